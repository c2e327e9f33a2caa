#!/usr/bin/env bash
# JPEG pass-through on 20 upright corpus photos of 12 to 24 megapixels, side by side in one run:
#   quirvel export --keep-jpeg, first time    every file's clean-decode check done (an empty cache folder)
#   quirvel export --keep-jpeg, second time   the same files, their verdicts remembered
#   img2pdf                                   the same files' bytes put into a PDF, one per page
# each with wall time, CPU time, peak memory and peak temporary-folder use. Targets: the first export
# at most 1.2x img2pdf's wall time, the second at most 0.8x.
#
# Usage: scripts/bench-keep-jpeg.sh [QUIRVEL_BINARY] [PHOTO_FOLDER]   ROUNDS=n repeats the set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/bench-lib.sh
source "$root/scripts/bench-lib.sh"
bench_setup "$@"
# Upright (no orientation tag to apply) and 12 to 24 megapixels, from the corpus' manifest.
mapfile -t files < <(awk -F'\t' -v dir="$photos/.." 'NR > 1 && $4 == "JPEG" && $7 == 1 &&
  $2 * $3 >= 12e6 && $2 * $3 <= 24.1e6 { print dir "/" $1 }' "$photos/../manifest.tsv" | head -20)
[[ ${#files[@]} -eq 20 ]] || { echo "fewer than 20 upright 12-24 MP JPEGs in $photos" >&2; exit 1; }
cat "${files[@]}" >/dev/null

echo "${#files[@]} upright photos, $(( $(cat "${files[@]}" | wc -c) / 1048576 )) MiB, $rounds round(s)"
for ((round = 1; round <= rounds; ++round)); do
  rm -rf "$work/cache"
  rows=()
  rows+=("$(XDG_CACHE_HOME="$work/cache" measure "quirvel --keep-jpeg, first" \
    "$quirvel" export --keep-jpeg "$work/first.pdf" "${files[@]}")")
  rows+=("$(XDG_CACHE_HOME="$work/cache" measure "quirvel --keep-jpeg, second" \
    "$quirvel" export --keep-jpeg "$work/second.pdf" "${files[@]}")")
  rows+=("$(measure "img2pdf" img2pdf -o "$work/img2pdf.pdf" "${files[@]}")")
  echo
  echo "round $round"
  printf '%-30s %8s %8s %10s %10s\n' "" "wall s" "CPU s" "peak MiB" "tmp MiB"
  for row in "${rows[@]}"; do
    IFS=";" read -r name wall cpu rss tmp <<<"$row"
    printf '%-30s %8s %8s %10s %10s\n' "$name" "$wall" "$cpu" "$rss" "$tmp"
  done
  IFS=';' read -r _ first _ _ _ <<<"${rows[0]}"
  IFS=';' read -r _ second _ _ _ <<<"${rows[1]}"
  IFS=';' read -r _ img2pdf _ _ _ <<<"${rows[2]}"
  awk -v f="$first" -v s="$second" -v i="$img2pdf" 'BEGIN {
    printf "first: %.2f x img2pdf (target <= 1.2)   second: %.2f x img2pdf (target <= 0.8)\n", f / i, s / i }'
  bench_row "--keep-jpeg, 20 upright photos, first export (wall s)" "$first" "img2pdf" "$img2pdf" 1.2
  bench_row "--keep-jpeg, the same, second export (wall s)" "$second" "img2pdf" "$img2pdf" 0.8
done
