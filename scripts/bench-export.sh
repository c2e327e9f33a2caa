#!/usr/bin/env bash
# Times the album export on the photo corpus (60 photos of 12 to 24 megapixels, 2 x 3 grid, A4) side by
# side with two references, each under /usr/bin/time -v for wall time and peak memory:
#   quirvel export      our program
#   montage + img2pdf   ImageMagick rendering the same grid with file-name labels at 150 dpi, its
#                       page images wrapped into a PDF (Debian's policy forbids writing PDF directly)
#   djpeg + cjpeg       decoding and re-encoding every picture at quality 90, the floor of any export
#                       that re-encodes what it places
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

rows=()
rows+=("$(measure "quirvel export" "$quirvel" export "$work/album.pdf" "${files[@]}")")
pages=$(pdfinfo "$work/album.pdf" | awk '/^Pages:/ { print $2 }')
size=$(stat -c %s "$work/album.pdf")

# A4 at 150 dpi is 1240 x 1754 pixels; two columns and three rows of labelled cells fill it.
font=$(fc-match -f "%{file}" sans)
rows+=("$(measure "montage (labels, 2x3, 150 dpi)" montage -font "$font" -label '%f' "${files[@]}" -tile 2x3 \
  -geometry 560x520+30+20 -quality 90 "$work/montage/page-%02d.jpg")")
rows+=("$(measure "img2pdf (montage pages)" bash -c 'img2pdf "$1"/page-*.jpg -o "$2"' _ "$work/montage" "$work/montage.pdf")")
rows+=("$(measure "djpeg + cjpeg -quality 90" bash -c 'for f; do djpeg "$f" | cjpeg -quality 90 >/dev/null; done' _ "${files[@]}")")

echo "${#files[@]} photos from $photos; our PDF: $pages pages, $((size / 1024)) KiB"
printf '%-34s %9s %9s %9s %9s\n' "" "wall s" "user s" "sys s" "peak MB"
for row in "${rows[@]}"; do
  IFS='|' read -r name wall user sys rss <<<"$row"
  printf '%-34s %9s %9s %9s %9s\n' "$name" "$wall" "$user" "$sys" "$rss"
done
