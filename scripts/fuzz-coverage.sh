#!/usr/bin/env bash
# The lines of our own code that the fuzz corpora reach, by llvm-cov.
#   scripts/fuzz-coverage.sh [TARGET...]         (no targets: every tests/fuzz/fuzz_*.cpp)
#
# Builds the targets in build-fuzzcov/ with source-based coverage, runs each once over every input of
# its corpus (the work corpus of scripts/fuzz.sh, $QUIRVEL_FUZZ_WORK, and the checked-in seeds) and
# prints llvm-cov's report for the source files each target exists to test. The merged profile and a
# line-by-line listing of those files are left in build-fuzzcov/coverage/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${QUIRVEL_FUZZ_WORK:-${XDG_CACHE_HOME:-$HOME/.cache}/quirvel-fuzz}
build=$root/build-fuzzcov
out=$build/coverage

if (($#)); then
  targets=("$@")
else
  targets=()
  for src in "$root"/tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi

# The files each target is there to test.
sources_of() {
  case $1 in
    fuzz_bmp) echo imaging/pictaro/BmpCodec.cpp ;;
    fuzz_jpeg) echo imaging/pictaro/JpegCodec.cpp imaging/pictaro/Orientation.cpp ;;
    fuzz_png) echo imaging/pictaro/PngCodec.cpp ;;
    fuzz_tiff) echo imaging/pictaro/TiffCodec.cpp imaging/pictaro/Orientation.cpp ;;
    fuzz_gif) echo imaging/pictaro/GifCodec.cpp ;;
    fuzz_webp) echo imaging/pictaro/WebpCodec.cpp ;;
    fuzz_album_reader | fuzz_album_roundtrip) echo album/AlbumFile.cpp album/FontRecord.cpp album/DiskText.cpp ;;
    fuzz_jbig2_roundtrip) echo imaging/jbig2/Jbig2Encode.cpp imaging/jbig2/GenericRegion.cpp \
      imaging/jbig2/MqEncoder.cpp imaging/jbig2/Segments.cpp ;;
    fuzz_pdf_picture) echo pdf/ImageObjects.cpp pdf/PictureSpool.cpp ;;
  esac
}

if [[ ! -f $build/CMakeCache.txt ]]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIRVEL_UI=OFF \
    -DQUIRVEL_TESTS=ON -DQUIRVEL_FUZZ=ON -DQUIRVEL_COVERAGE=ON >/dev/null
fi
cmake --build "$build" -j"${FUZZ_BUILD_JOBS:-2}" --target "${targets[@]}" >/dev/null

rm -rf "$out"
mkdir -p "$out"
export ASAN_OPTIONS=detect_leaks=0
objects=()
files=()
for target in "${targets[@]}"; do
  inputs=("$root/tests/fuzz/corpus/$target")
  [[ -d $work/$target/corpus ]] && inputs+=("$work/$target/corpus")
  LLVM_PROFILE_FILE="$out/$target-%p.profraw" "$build/tests/$target" -runs=0 "${inputs[@]}" \
    >"$out/$target.log" 2>&1 || echo "$target: a corpus input fails, see $out/$target.log" >&2
  objects+=(-object "$build/tests/$target")
  for f in $(sources_of "$target"); do files+=("$root/$f"); done
done
llvm-profdata merge -sparse "$out"/*.profraw -o "$out/merged.profdata"
# The report names files as the compiler saw them (absolute, or relative to the build folder when a
# compiler cache rewrote the paths), so the wanted files are picked from the whole report by their ends.
pattern=$(printf '%s\n' "${files[@]#"$root"/}" | sort -u | sed 's|[.]|[.]|g; s|^|(^\|/)|; s|$| |' | paste -sd'|')
llvm-cov report -instr-profile "$out/merged.profdata" "${objects[@]:1}" 2>/dev/null >"$out/report.txt"
printf '%-48s %6s %7s %8s\n' file lines missed covered
grep -E "$pattern" "$out/report.txt" | awk '{printf "%-48s %6s %7s %8s\n", $1, $8, $9, $10}'
llvm-cov show -instr-profile "$out/merged.profdata" "${objects[@]:1}" 2>/dev/null >"$out/lines.txt"
echo "every file: $out/report.txt; line by line: $out/lines.txt"
