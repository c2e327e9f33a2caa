#!/usr/bin/env bash
# Runs the fuzz targets one after the other, each for SECONDS (default 600), one process at a time.
#   scripts/fuzz.sh [SECONDS] [TARGET...]        (no targets: every tests/fuzz/fuzz_*.cpp)
#
# Builds them first in build-fuzz/ (clang, optimised, AddressSanitizer and UndefinedBehaviorSanitizer,
# our code instrumented for the fuzzer's coverage). Each target's corpus grows across runs in a work
# folder outside the repository, $QUIRVEL_FUZZ_WORK (default ~/.cache/quirvel-fuzz), and takes in the
# checked-in seeds of tests/fuzz/corpus at every start; what it found is in WORK/TARGET/crashes.
# A target that crashes is started again on its corpus until its time is used up, so one finding
# does not end the search.
#
# Prints per target: runs and runs per second, coverage (cov: edges, ft: features) at the start and
# at the end, new corpus files, and every crash with the command that reproduces it. The full
# fuzzer output is in WORK/TARGET/log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
shift || true
work=${QUIRVEL_FUZZ_WORK:-${XDG_CACHE_HOME:-$HOME/.cache}/quirvel-fuzz}
build=$root/build-fuzz

if (($#)); then
  targets=("$@")
else
  targets=()
  for src in "$root"/tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi

if [[ ! -f $build/CMakeCache.txt ]]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIRVEL_UI=OFF \
    -DQUIRVEL_TESTS=ON -DQUIRVEL_FUZZ=ON >/dev/null
fi
cmake --build "$build" -j"${FUZZ_BUILD_JOBS:-2}" --target "${targets[@]}" >/dev/null

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"

# The first and the last "cov: N ft: M" of a log, as "N/M".
coverage_at() { grep -o 'cov: [0-9]* ft: [0-9]*' "$2" | sed -n "$1" | awk '{print $2 "/" $4}'; }
stat_sum() { grep -o "stat::$1: *[0-9]*" "$2" | awk '{s += $2} END {print s + 0}'; }

summary=()
for target in "${targets[@]}"; do
  dir=$work/$target
  mkdir -p "$dir/corpus" "$dir/crashes"
  seeds=$root/tests/fuzz/corpus/$target
  [[ -d $seeds ]] && cp -n "$seeds"/. "$dir/corpus/" -r
  dict=$root/tests/fuzz/dict/$target.dict
  options=()
  [[ -f $dict ]] && options+=("-dict=$dict")
  before=$(find "$dir/corpus" -type f | wc -l)
  known=$(find "$dir/crashes" -type f | sort)
  : >"$dir/log"
  start=$(date +%s)
  left=$seconds
  while ((left > 0)); do
    # The exit status says only whether something was found; the crashes folder tells what.
    "$build/tests/$target" -max_total_time="$left" -rss_limit_mb=2048 -malloc_limit_mb=1024 -timeout=20 \
      -print_final_stats=1 -artifact_prefix="$dir/crashes/" "${options[@]}" "$dir/corpus" \
      >>"$dir/log" 2>&1 || true
    left=$((seconds - ($(date +%s) - start)))
  done
  elapsed=$(($(date +%s) - start))
  runs=$(stat_sum number_of_executed_units "$dir/log")
  after=$(find "$dir/corpus" -type f | wc -l)
  line=$(printf '%-22s runs %10s  %6s/s  cov/ft start %-11s end %-11s  new files %5s' "$target" "$runs" \
    "$((runs / (elapsed > 0 ? elapsed : 1)))" "$(coverage_at 1p "$dir/log")" "$(coverage_at '$p' "$dir/log")" \
    "$((after - before))")
  echo "$line"
  summary+=("$line")
  found=$(comm -13 <(echo "$known") <(find "$dir/crashes" -type f | sort) | grep . || true)
  if [[ -n $found ]]; then
    echo "  new findings; reproduce with:"
    while read -r file; do echo "    $build/tests/$target $file"; done <<<"$found"
    echo "  minimise with: $build/tests/$target -minimize_crash=1 -runs=100000 FILE"
    summary+=("  $(wc -l <<<"$found") new finding(s) in $dir/crashes")
  fi
done

echo
echo "summary ($seconds s per target; corpora and logs in $work):"
printf '%s\n' "${summary[@]}"
