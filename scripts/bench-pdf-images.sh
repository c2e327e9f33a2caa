#!/bin/bash
# Forty 12-megapixel photos through the PDF writer (load, place, end the document), against decoding
# and re-encoding the same files with djpeg | cjpeg -quality 90, each under /usr/bin/time -v for
# wall time and peak memory.
#
# Usage: BUILD=<build folder> scripts/bench-pdf-images.sh   (QUIRVEL_PHOTOS names the corpus;
# QUIRVEL_BENCH_PICTURES the count, default 40)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
photos=${QUIRVEL_PHOTOS:-$build/photos}
count=${QUIRVEL_BENCH_PICTURES:-40}
export QUIRVEL_PHOTOS=$photos QUIRVEL_BENCH_PICTURES=$count

cmake -S "$here" -B "$build" -DQUIRVEL_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target bench_pdf_images >/dev/null

work=$(mktemp -d "$build/bench-pdf-images.XXXXXX")
trap 'rm -rf "$work"' EXIT

summary() {  # the wall time and peak memory lines of /usr/bin/time -v
  grep -E "Elapsed \(wall clock\)|Maximum resident set size" "$1" | sed 's/^\s*/  /'
}

echo "== PDF writer: $count pictures placed and written"
/usr/bin/time -v -o "$work/writer.time" "$build/tests/bench_pdf_images" | grep -E "BM_|^-|Benchmark"
summary "$work/writer.time"

mapfile -t files < <(awk -F'\t' '$1 ~ /^photos\// && $2==4032 && $3==3024 && $4=="JPEG" {print $1}' "$photos/manifest.tsv")
list=()
for ((i = 0; i < count; ++i)); do list+=("$photos/${files[i % ${#files[@]}]}"); done
echo "== djpeg | cjpeg -quality 90 of the same $count files"
/usr/bin/time -v -o "$work/jpeg.time" bash -c '
  out=$1; shift
  for f in "$@"; do djpeg "$f" | cjpeg -quality 90 >"$out"; done' _ "$work/out.jpg" "${list[@]}"
summary "$work/jpeg.time"
wall_of() {  # seconds of /usr/bin/time -v's wall clock line
  awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); print (n == 3) ? t[1]*3600 + t[2]*60 + t[3] : t[1]*60 + t[2] }' "$1"
}
if [[ -n ${BENCH_TABLE:-} ]]; then
  # shellcheck source=scripts/bench-lib.sh
  source "$here/scripts/bench-lib.sh"
  bench_row "$count 12 MP pictures loaded, placed and written (wall s)" "$(wall_of "$work/writer.time")" \
    "djpeg | cjpeg -quality 90, one after the other" "$(wall_of "$work/jpeg.time")" -
fi
