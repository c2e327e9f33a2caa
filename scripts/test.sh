#!/usr/bin/env bash
# Installs what is missing, builds Quirvel twice and runs every test in both builds, then a third, small
# build for threads:
#   build/       optimised (gcc), with the benchmarks compiled
#   build-asan/  clang with AddressSanitizer + UndefinedBehaviorSanitizer, and the libFuzzer targets
#   build-tsan/  clang with ThreadSanitizer: the core with the export and platform tests, among them two
#                exports running at once and the window's export job, the thumbnail makers' workers
#                and the preview's picture workers
# The photo corpus for the picture tests is made once into build/photos (about four minutes), while
# the first build compiles.
#
# Tests spend much of their time waiting for the readers they call (qpdf, poppler, Java), and a
# compiler can use that time: the sanitizer build compiles while the optimised build's tests run, and
# the thread build while the sanitizer build's. ctest runs more tests at once than there are cores.
# Every stage's wall and processor time is printed at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
tests_at_once=$((jobs + 2))

stage_names=()
stage_times=()
# stage NAME COMMAND...: runs the command, remembering its wall time and the processor time of the
# processes it waited for (a build run in the background counts in the stage during which it ends).
stage() {
  local name=$1; shift
  local start=$SECONDS status=0
  local before after
  before=$(awk '{ print $14 + $15 + $16 + $17 }' /proc/$$/stat)
  "$@" || status=$?
  after=$(awk '{ print $14 + $15 + $16 + $17 }' /proc/$$/stat)
  stage_names+=("$name")
  stage_times+=("$((SECONDS - start)) s wall, $(awk -v t="$((after - before))" -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%.1f", t / hz }') s CPU")
  return $status
}
report_stages() {
  # A stage that failed leaves no build of ours running behind it.
  local pids
  pids=$(jobs -p)
  [[ -z $pids ]] || kill $pids 2>/dev/null || true
  echo
  echo "Stages:"
  for i in "${!stage_names[@]}"; do printf '  %-48s %s\n' "${stage_names[i]}" "${stage_times[i]}"; done
  echo "  total: $SECONDS s"
}
trap report_stages EXIT

# background VAR LOG COMMAND...: runs the command in the background with its output in LOG and its
# process id in VAR; wait_for prints the log and fails as the command did.
background() {
  local var=$1 log=$2; shift 2
  ( "$@" ) >"$log" 2>&1 &
  printf -v "$var" '%s' $!
}
wait_for() {  # wait_for PID LOG WHAT
  local status=0
  wait "$1" || status=$?
  cat "$2"
  if ((status != 0)); then echo "$3 failed" >&2; return $status; fi
}

stage "install what is missing" "$root/scripts/install-deps.sh" --test

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

sanitizers() {
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
}
build_asan() {
  sanitizers
  CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug \
    -DQUIRVEL_TESTS=ON -DQUIRVEL_SANITIZE=ON -DQUIRVEL_FUZZ=ON >/dev/null
  cmake --build "$root/build-asan" -j"$jobs"
}
# Qt itself is not built with ThreadSanitizer and synchronises its threads in ways the sanitizer cannot
# see, so the window stays out of this build.
build_tsan() {
  CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUIRVEL_TESTS=ON -DQUIRVEL_UI=OFF -DQUIRVEL_TSAN=ON >/dev/null
  cmake --build "$root/build-tsan" -j"$jobs" --target test_export test_platform test_imaging
}
optimised_tests() {
  (cd "$root/build" && ctest -j"$tests_at_once" --output-on-failure)
  # The window and the command line once more under the German locale the program is written for: a
  # decimal comma must not reach a file, nor a German message be garbled.
  (cd "$root/build" && LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 ctest -j"$tests_at_once" --output-on-failure -R '^ui_')
  LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 "$root/build/tests/test_app"
}
# The desktop files' check reads only what the build installs, with outside tools: the optimised build
# runs it; under the sanitizers it would check nothing more.
sanitizer_tests() (
  sanitizers
  cd "$root/build-asan" && ctest -j"$tests_at_once" --output-on-failure -E '^desktop_files$'
)
thread_tests() {
  export TSAN_OPTIONS=halt_on_error=1
  "$root/build-tsan/tests/test_export"
  "$root/build-tsan/tests/test_platform"
  # Of the picture tests only the thumbnail makers and the preview's pictures have threads; the others
  # run in the two builds above.
  "$root/build-tsan/tests/test_imaging" --gtest_filter='ThumbnailMaker.*:PreviewPictures.*'
}

logs=$(mktemp -d)
stage "optimised build" bash -c "cmake -S '$root' -B '$root/build' -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUIRVEL_TESTS=ON -DQUIRVEL_BENCH=ON >/dev/null && cmake --build '$root/build' -j$jobs"
if [[ -n $photos_pid ]]; then
  stage "photo corpus (made during the build)" wait "$photos_pid" ||
    { echo "making the photo corpus failed:" >&2; tail -20 "$root/build/photos.log" >&2; exit 1; }
fi

background asan_pid "$logs/asan-build.log" build_asan
stage "optimised tests (sanitizer build beside them)" optimised_tests
stage "sanitizer build, what remained" wait_for "$asan_pid" "$logs/asan-build.log" "the sanitizer build"

background tsan_pid "$logs/tsan-build.log" build_tsan
stage "sanitizer tests (thread build beside them)" sanitizer_tests
stage "thread build, what remained" wait_for "$tsan_pid" "$logs/tsan-build.log" "the thread build"
stage "thread tests" thread_tests
rm -rf "$logs"
