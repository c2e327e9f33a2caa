#!/usr/bin/env bash
# Colour profiles and HEIF in the export, each beside its reference, in one run:
# - the first 20 corpus photos exported as they are, and again with a Display P3 profile (version 4)
#   put into each: the profile should cost next to nothing, since the photos' numbers are not
#   converted and the profile is written once;
# - a 24-megapixel HEIC exported, against libheif's own heif-convert decoding it to raw frames (its
#   HEVC decoder is the floor).
# Prints "what;wall s;cpu s;peak MiB;tmp MiB" per run and the two processor-time ratios.
# Usage: scripts/bench-colour.sh [QUIRVEL_BINARY] [PHOTO_FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/bench-lib.sh
source "$root/scripts/bench-lib.sh"
bench_setup "$@"
for tool in exiftool heif-enc heif-convert convert; do
  command -v $tool >/dev/null || { echo "$tool is missing (scripts/install-deps.sh --test)" >&2; exit 1; }
done

python3 - "$root/tests/fuzz/make-seeds.py" "$work/p3.icc" <<'PY'
import importlib.util, sys
found = importlib.util.spec_from_file_location("seeds", sys.argv[1])
seeds = importlib.util.module_from_spec(found)
found.loader.exec_module(seeds)
open(sys.argv[2], "wb").write(seeds.icc_profile(version=4, colorants=seeds.P3_COLORANTS))
PY
plain=("${files[@]:0:20}")
tagged=()
for f in "${plain[@]}"; do
  out="$work/p3-$(basename "$f")"
  exiftool -q -o "$out" "-ICC_Profile<=$work/p3.icc" "$f"
  tagged+=("$out")
done
cat "${tagged[@]}" >/dev/null
convert -size 6000x4000 gradient:tomato-steelblue -quality 95 "$work/field.png"
heif-enc -q 90 -o "$work/photo.heic" "$work/field.png" >/dev/null

{
  measure "export, 20 photos as they are" "$quirvel" export "$work/plain.pdf" "${plain[@]}"
  measure "export, the same 20 with a P3 profile" "$quirvel" export "$work/p3.pdf" "${tagged[@]}"
  measure "heif-convert, one 24 MP HEIC to y4m" heif-convert "$work/photo.heic" "$work/photo.y4m"
  measure "export, the same HEIC" "$quirvel" export "$work/heic.pdf" "$work/photo.heic"
} | tee "$work/results.txt"
awk -F';' '{ cpu[NR] = $3 } END {
  printf "P3 profile / as they are: %.3fx\nHEIC export / heif-convert: %.2fx\n", cpu[2] / cpu[1], cpu[4] / cpu[3] }' \
  "$work/results.txt"
IFS=';' read -r _ _ plainCpu _ _ < <(sed -n 1p "$work/results.txt")
IFS=';' read -r _ _ p3Cpu _ _ < <(sed -n 2p "$work/results.txt")
IFS=';' read -r _ _ heifCpu _ _ < <(sed -n 3p "$work/results.txt")
IFS=';' read -r _ _ heicCpu _ _ < <(sed -n 4p "$work/results.txt")
bench_row "export of 20 photos with a P3 profile (CPU s)" "$p3Cpu" "the same photos as they are" "$plainCpu" 1.05
bench_row "export of one 24 MP HEIC (CPU s)" "$heicCpu" "heif-convert decoding it" "$heifCpu" 1.1
