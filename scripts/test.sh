#!/usr/bin/env bash
# Installs what is missing, builds Quirvel twice and runs every test in both builds, then a third, small
# build for threads:
#   build/       optimised (gcc), with the benchmarks compiled
#   build-asan/  clang with AddressSanitizer + UndefinedBehaviorSanitizer, and the libFuzzer targets
#   build-tsan/  clang with ThreadSanitizer: the core with the export and platform tests, among them two
#                exports running at once and the window's export job, the thumbnail makers' workers
#                and the preview's picture workers
# The photo corpus for the picture tests is made once into build/photos (about four minutes).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$root/scripts/install-deps.sh" --test

photos="$root/build/photos"
photos_pid=
if [[ ! -f $photos/manifest.tsv ]]; then
  maker="$root/../shared/photos/make-photos.sh"
  if [[ -x $maker || -f $maker ]]; then
    mkdir -p "$root/build"
    rm -rf "$photos.tmp"
    ( JOBS=1 bash "$maker" "$photos.tmp" >"$root/build/photos.log" 2>&1 && mv "$photos.tmp" "$photos" ) &
    photos_pid=$!
  else
    # The corpus is part of the tests: without it the picture tests fail, so stop here instead.
    echo "error: $maker not found; the photo corpus cannot be made" >&2
    exit 1
  fi
fi

export QT_QPA_PLATFORM=offscreen
export QUIRVEL_PHOTOS="$photos"
# Every reader and tool the tests use is installed above: here a missing one must fail, never skip.
unset QUIRVEL_TESTS_ALLOW_MISSING

cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIRVEL_TESTS=ON -DQUIRVEL_BENCH=ON >/dev/null
cmake --build "$root/build" -j"$jobs"

if [[ -n $photos_pid ]]; then
  wait "$photos_pid" || { echo "making the photo corpus failed:" >&2; tail -20 "$root/build/photos.log" >&2; exit 1; }
fi

(cd "$root/build" && ctest -j"$jobs" --output-on-failure)
# The window and the command line once more under the German locale the program is written for: a
# decimal comma must not reach a file, nor a German message be garbled.
(cd "$root/build" && LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 ctest -j"$jobs" --output-on-failure -R '^ui_')
LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 "$root/build/tests/test_app"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug \
  -DQUIRVEL_TESTS=ON -DQUIRVEL_SANITIZE=ON -DQUIRVEL_FUZZ=ON >/dev/null
cmake --build "$root/build-asan" -j"$jobs"
(cd "$root/build-asan" && ctest -j"$jobs" --output-on-failure)

# Qt itself is not built with ThreadSanitizer and synchronises its threads in ways the sanitizer cannot
# see, so the window stays out of this build.
unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUIRVEL_TESTS=ON -DQUIRVEL_UI=OFF -DQUIRVEL_TSAN=ON >/dev/null
cmake --build "$root/build-tsan" -j"$jobs" --target test_export test_platform test_imaging
export TSAN_OPTIONS=halt_on_error=1
"$root/build-tsan/tests/test_export"
"$root/build-tsan/tests/test_platform"
# Of the picture tests only the thumbnail makers and the preview's pictures have threads; the others
# run in the two builds above.
"$root/build-tsan/tests/test_imaging" --gtest_filter='ThumbnailMaker.*:PreviewPictures.*'
