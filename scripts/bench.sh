#!/usr/bin/env bash
# Every benchmark, one after the other, and one table of what each measured against its reference:
#   figure | ours | reference | reference's | ratio | target | within
# The scripts that time whole runs beside reference tools (scripts/bench-*.sh, one round each) give
# their rows through bench_row (bench-lib.sh); the benchmark programs (build/tests/bench_*) are run
# with JSON output and paired as the list below says. Each part's own output goes to the log folder.
#
# Usage: scripts/bench.sh [BUILD_FOLDER]   (QUIRVEL_PHOTOS names the corpus; ONLY=regex runs only the
# parts whose name matches, e.g. ONLY='keep-jpeg|export')
# The build needs -DQUIRVEL_BENCH=ON; the targets are built here.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
export QUIRVEL_PHOTOS=${QUIRVEL_PHOTOS:-$build/photos}
export QT_QPA_PLATFORM=offscreen
only=${ONLY:-.}
logs=$(mktemp -d "${TMPDIR:-/tmp}/quirvel-bench.XXXXXX")
export BENCH_TABLE=$logs/table.txt
: >"$BENCH_TABLE"

cmake -S "$root" -B "$build" -DQUIRVEL_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target quirvel $(cd "$root/tests/bench" && ls *.cpp | sed 's/\.cpp$//; s/^/bench_/') >/dev/null ||
  { echo "building the benchmarks failed" >&2; exit 1; }

failed=()
part() {  # part NAME COMMAND...: runs one benchmark, its output into the log folder
  local name=$1; shift
  [[ $name =~ $only ]] || return 0
  echo "== $name" >&2
  if ! "$@" >"$logs/$name.log" 2>&1; then
    failed+=("$name")
    tail -5 "$logs/$name.log" >&2
  fi
}

quirvel=$build/quirvel
part keep-jpeg "$root/scripts/bench-keep-jpeg.sh" "$quirvel"
part export "$root/scripts/bench-export.sh" "$quirvel"
part print-size env BENCH_PSNR=0 "$root/scripts/bench-print-size.sh" "$quirvel"
part colour "$root/scripts/bench-colour.sh" "$quirvel"
part pdf-images env BUILD="$build" "$root/scripts/bench-pdf-images.sh"

# The benchmark programs: name, ours, reference (benchmark names, or "-" and a fixed value in ms), target.
pairs=(
  "pictaro_jpeg|decode one 12 MP JPEG|OpenDibJpeg/min_time:2.000/real_time|DjpegToBmp/min_time:2.000/real_time|-"
  "pictaro_jpeg|encode one 12 MP JPEG, quality 90|SaveDibJpeg/min_time:2.000/real_time|CjpegFromPpm/min_time:2.000/real_time|-"
  "page_preview|a margin typed until the preview has drawn the page, 12 photos|ControlChangeToPaneRedrawn/12/min_time:2.000/real_time|=100|1"
  "page_preview|the same in an album of 500|ControlChangeToPaneRedrawn/500/min_time:2.000/real_time|=100|1"
  "thumbnails|thumbnail of a 24 MP JPEG, made the first time|FastThumbnail/min_time:3.000/real_time|FullDecode/min_time:3.000/real_time|-"
  "thumbnails|the same, from the shared thumbnail folder|ThumbnailFromItsEntry/min_time:3.000/real_time|FullDecode/min_time:3.000/real_time|-"
  "arranging|sort 10,000 photos by name|BM_SortByName/10000|=50|1"
  "arranging|undo the delete of 1,000 of 10,000 photos|BM_UndoDelete/10000/1000|=50|1"
  "print_ready|print check of 500 photos|CheckFiveHundredPhotos/0|=500|1"
  "print_ready|24 camera JPEGs at 300 dpi with 3 mm bleed|ExportCameraAlbum/1/iterations:3|ExportCameraAlbum/0/iterations:3|1.05"
  "print_ready|the same as PDF/A-2b|ExportCameraAlbum/2/iterations:3|ExportCameraAlbum/0/iterations:3|1.05"
  "print_ready|the same as PDF/A-1b|ExportCameraAlbum/3/iterations:3|ExportCameraAlbum/0/iterations:3|1.05"
  "print_ready|the same as PDF/A-1b with bleed|ExportCameraAlbum/4/iterations:3|ExportCameraAlbum/0/iterations:3|1.05"
  "album_export|200 pages, texts in eleven other scripts|ExportTwoHundredPagesAllScripts/min_time:3.000|ExportTwoHundredPagesCp1252/min_time:3.000|-"
)
for program in $(printf '%s\n' "${pairs[@]}" | cut -d'|' -f1 | sort -u); do
  part "bench_$program" "$build/tests/bench_$program" --benchmark_format=json --benchmark_out="$logs/$program.json"
done
python3 - "$logs" "${pairs[@]}" >>"$BENCH_TABLE" <<'PY'
import json, os, sys
logs, pairs = sys.argv[1], sys.argv[2:]
scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
found = {}
for pair in pairs:
    program = pair.split("|")[0]
    if program in found: continue
    found[program] = {}
    try:
        with open(os.path.join(logs, program + ".json")) as f:
            for b in json.load(f)["benchmarks"]:
                found[program][b["name"]] = b["real_time"] * scale[b["time_unit"]]
    except (OSError, ValueError, KeyError):
        pass
for pair in pairs:
    program, figure, ours, reference, target = pair.split("|")
    mine = found[program].get(ours)
    if mine is None: continue
    if reference.startswith("="):
        name, value = "target time", float(reference[1:])
    else:
        name, value = reference.split("/")[0], found[program].get(reference)
        if value is None: continue
    print(f"{figure} (ms)|{mine:.2f}|{name}|{value:.2f}|{target}")
PY

echo
printf '| figure | ours | reference | ratio | target | within |\n|---|---|---|---|---|---|\n'
while IFS='|' read -r figure ours reference value target; do
  awk -v f="$figure" -v o="$ours" -v r="$reference" -v v="$value" -v t="$target" 'BEGIN {
    ratio = (v > 0) ? o / v : 0
    within = (t == "-") ? "-" : (ratio <= t + 1e-9 ? "yes" : "NO")
    printf "| %s | %s | %s %s | %.2f | %s | %s |\n", f, o, r, v, ratio, (t == "-") ? "-" : "<= " t, within }'
done <"$BENCH_TABLE"
echo
echo "logs: $logs"
if ((${#failed[@]})); then echo "failed: ${failed[*]}" >&2; exit 1; fi
