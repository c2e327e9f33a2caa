#!/usr/bin/env bash
# Times the album export on the photo corpus (60 photos of 12 to 24 megapixels, 2 x 3 grid, A4) side by
# side with two references, each under /usr/bin/time -v for wall time and peak memory:
#   quirvel export      our program
#   montage + img2pdf   ImageMagick rendering the same grid with file-name labels at 150 dpi, its
#                       page images wrapped into a PDF (Debian's policy forbids writing PDF directly)
#   djpeg + cjpeg       decoding every picture to a file and encoding that file back at quality 90,
#                       one after the other: the floor of any export that re-encodes what it places.
#                       (A pipe would let the two run side by side on two cores and hide half the work.)
# Usage: scripts/bench-export.sh [QUIRVEL_BINARY] [PHOTO_FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
quirvel=${1:-$root/build/quirvel}
photos=${2:-${QUIRVEL_PHOTOS:-$root/build/photos}/photos}
[[ -x $quirvel ]] || { echo "no program at $quirvel (build the target quirvel first)" >&2; exit 1; }
mapfile -t files < <(ls "$photos"/*.jpg | sort)
[[ ${#files[@]} -gt 0 ]] || { echo "no photos in $photos" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/policy" "$work/montage"
cat > "$work/policy/policy.xml" <<'XML'
<policymap>
  <policy domain="resource" name="memory" value="4GiB"/>
  <policy domain="resource" name="map" value="8GiB"/>
  <policy domain="resource" name="disk" value="16GiB"/>
  <policy domain="resource" name="area" value="1GP"/>
</policymap>
XML
export MAGICK_CONFIGURE_PATH="$work/policy"

# Runs a command under time -v; prints "name|wall s|user s|sys s|peak MB".
measure() {
  local name=$1; shift
  /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>"$work/err.txt" || {
    echo "$name failed:" >&2; tail -5 "$work/err.txt" >&2; return 1; }
  awk -v name="$name" -F': ' '
    /Elapsed \(wall clock\)/ { n = split($2, t, ":"); wall = (n == 3) ? t[1]*3600 + t[2]*60 + t[3] : t[1]*60 + t[2] }
    /User time/ { user = $2 } /System time/ { sys = $2 } /Maximum resident/ { rss = $2 / 1024 }
    END { printf "%s|%.2f|%.2f|%.2f|%.0f\n", name, wall, user, sys, rss }' "$work/time.txt"
}

# Every run reads the photos from the page cache, not only the ones after the first.
cat "${files[@]}" >/dev/null

rows=()
rows+=("$(measure "quirvel export" "$quirvel" export "$work/album.pdf" "${files[@]}")")
pages=$(pdfinfo "$work/album.pdf" | awk '/^Pages:/ { print $2 }')
size=$(stat -c %s "$work/album.pdf")

# A4 at 150 dpi is 1240 x 1754 pixels; two columns and three rows of labelled cells fill it.
font=$(fc-match -f "%{file}" sans)
rows+=("$(measure "montage (labels, 2x3, 150 dpi)" montage -font "$font" -label '%f' "${files[@]}" -tile 2x3 \
  -geometry 560x520+30+20 -quality 90 "$work/montage/page-%02d.jpg")")
rows+=("$(measure "img2pdf (montage pages)" bash -c 'img2pdf "$1"/page-*.jpg -o "$2"' _ "$work/montage" "$work/montage.pdf")")
# Each picture's files are removed before the next are written: rewriting a file in place makes ext4
# write the old blocks out first, a disk wait that belongs to no decoder or encoder.
rows+=("$(measure "djpeg + cjpeg -quality 90" bash -c 'w=$1; shift
  for f; do
    djpeg -outfile "$w/p.ppm" "$f" && cjpeg -quality 90 -outfile "$w/p.jpg" "$w/p.ppm" || exit
    rm -f "$w/p.ppm" "$w/p.jpg"
  done' _ "$work" "${files[@]}")")

echo "${#files[@]} photos from $photos; our PDF: $pages pages, $((size / 1024)) KiB"
printf '%-34s %9s %9s %9s %9s\n' "" "wall s" "user s" "sys s" "peak MB"
for row in "${rows[@]}"; do
  IFS='|' read -r name wall user sys rss <<<"$row"
  printf '%-34s %9s %9s %9s %9s\n' "$name" "$wall" "$user" "$sys" "$rss"
done
# Our wall time against the two references; the targets are below 1.5 and below 1.
IFS='|' read -r _ ours _ _ _ <<<"${rows[0]}"
IFS='|' read -r _ montage _ _ _ <<<"${rows[1]}"
IFS='|' read -r _ floor _ _ _ <<<"${rows[3]}"
awk -v o="$ours" -v f="$floor" -v m="$montage" \
  'BEGIN { printf "quirvel / (djpeg + cjpeg): %.2f   quirvel / montage: %.2f\n", o / f, o / m }'
