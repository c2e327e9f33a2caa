#!/usr/bin/env bash
# Checks the files that put the program on the desktop, as the build made them: the .desktop file, the
# metainfo and the MIME type pass their validators, the manual page renders without warnings, and the
# manual page and the bash completion know every option the program's own help lists.
# Usage: check-desktop-files.sh DATA_DIR COMPLETION QUIRVEL
set -euo pipefail
data=$1 completion=$2 quirvel=$3
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$data"/*.desktop
appstreamcli validate --no-net "$data"/*.metainfo.xml

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/mime/packages"
cp "$data/quirvel-mime.xml" "$scratch/mime/packages/"
XDG_DATA_DIRS=$scratch update-mime-database "$scratch/mime"
grep -q 'pattern="\*.qvl"' "$scratch/mime/application/x-quirvel-album.xml" || fail "MIME type not built"

manual=$(MANWIDTH=100 man --warnings -l "$data/man/quirvel.1" 2>"$scratch/warnings")
[[ ! -s $scratch/warnings ]] || fail "manual page: $(cat "$scratch/warnings")"

# What the completion offers for the words given, one per line.
complete_words() {
  bash -c 'source "$0"; COMP_WORDS=(quirvel "$@"); COMP_CWORD=$#; _quirvel; printf "%s\n" "${COMPREPLY[@]}"' \
    "$completion" "$@"
}
for command in "export" "preview" "check" "album new" "album show" "album sort" "album add" "album remove" \
  "album move" "album text" "album set"; do
  # shellcheck disable=SC2086  # the command's words are meant to split
  offered=$(complete_words $command --)
  for option in $("$quirvel" $command --help | grep -oE -- '--[a-z][a-z-]+' | sort -u); do
    grep -qx -- "$option" <<<"$offered" || fail "completion of quirvel $command lacks $option"
    grep -q -- "$option" <<<"$manual" || fail "manual page lacks $option"
  done
done
[[ $(complete_words "") == *export* && $(complete_words --v) == --version ]] || fail "no commands offered"
[[ $(complete_words album "") == $'new\nshow\nsort\nadd\nremove\nmove\ntext\nset' ]] || fail "album's commands not offered"
[[ -z $(complete_words export --columns "") ]] || fail "files offered as the value of --columns"
echo "desktop files: all checks passed"
