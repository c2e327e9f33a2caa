# Shared by the benchmark scripts that time whole runs on the photo corpus side by side with others.

# From the script's arguments [QUIRVEL_BINARY] [PHOTO_FOLDER] and ROUNDS: sets quirvel, photos, rounds
# and files (the corpus photos, sorted), makes the scratch folder $work (removed on exit), and reads
# the photos once, so that every run finds them in the page cache, not only the ones after the first.
bench_setup() {
  quirvel=${1:-$root/build/quirvel}
  photos=${2:-${QUIRVEL_PHOTOS:-$root/build/photos}/photos}
  rounds=${ROUNDS:-1}
  [[ -x $quirvel ]] || { echo "no program at $quirvel (build the target quirvel first)" >&2; exit 1; }
  mapfile -t files < <(ls "$photos"/*.jpg | sort)
  [[ ${#files[@]} -gt 0 ]] || { echo "no photos in $photos" >&2; exit 1; }
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cat "${files[@]}" >/dev/null
}

# Runs a command under time -v with a fresh temporary folder; prints "name;wall s;cpu s;peak MiB;tmp MiB".
measure() {
  local name=$1; shift
  local tmp="$work/tmp"
  rm -rf "$tmp" && mkdir -p "$tmp"
  touch "$work/running"
  ( peak=0
    while [[ -e $work/running ]]; do
      size=$(du -sb "$tmp" 2>/dev/null | cut -f1) || size=0
      ((size > peak)) && peak=$size
      sleep 0.05
    done
    echo "$peak" > "$work/tmp-peak" ) &
  local sampler=$!
  local status=0
  TMPDIR="$tmp" MAGICK_TEMPORARY_PATH="$tmp" /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>"$work/err.txt" ||
    status=$?
  rm -f "$work/running"
  wait "$sampler"
  if ((status != 0)); then echo "$name failed:" >&2; tail -5 "$work/err.txt" >&2; return 1; fi
  awk -v name="$name" -v tmp="$(cat "$work/tmp-peak")" -F': ' '
    /Elapsed \(wall clock\)/ { n = split($2, t, ":"); wall = (n == 3) ? t[1]*3600 + t[2]*60 + t[3] : t[1]*60 + t[2] }
    /User time/ { user = $2 } /System time/ { sys = $2 } /Maximum resident/ { rss = $2 / 1024 }
    END { printf "%s;%.2f;%.2f;%.0f;%.0f\n", name, wall, user + sys, rss, tmp / 1048576 }' "$work/time.txt"
}

# When $BENCH_TABLE names a file (scripts/bench.sh sets it), appends one row of the summary table:
#   bench_row FIGURE OURS REFERENCE REFERENCE_VALUE TARGET
# OURS and REFERENCE_VALUE in the same unit (seconds, say); TARGET the highest ratio allowed ("0.55"),
# or "-" when there is none. Without $BENCH_TABLE it does nothing.
bench_row() {
  [[ -n ${BENCH_TABLE:-} ]] || return 0
  printf '%s|%s|%s|%s|%s\n' "$1" "$2" "$3" "$4" "$5" >>"$BENCH_TABLE"
}
