#!/usr/bin/env bash
# run-fuzzer.sh FUZZER CORPUS WORKDIR [DICTIONARY]: runs one libFuzzer target for a few seconds,
# starting from the checked-in seed corpus (copied, so the checkout stays clean). FUZZ_SECONDS
# overrides the time.
set -euo pipefail
fuzzer=$1 corpus=$2 work=$3 dict=${4:-}
rm -rf "$work"; mkdir -p "$work/corpus"
[[ -d $corpus ]] && cp -r "$corpus"/. "$work/corpus/"
options=()
[[ -n $dict && -f $dict ]] && options+=("-dict=$dict")
cd "$work"
exec "$fuzzer" -max_total_time="${FUZZ_SECONDS:-8}" -rss_limit_mb=2048 -malloc_limit_mb=1024 \
  -timeout=10 -print_final_stats=1 "${options[@]}" corpus
