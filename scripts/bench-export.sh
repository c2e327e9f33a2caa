#!/usr/bin/env bash
# Times the album export on the photo corpus (60 photos of 12 to 24 megapixels, 2 x 3 grid, A4) side by
# side with references that decode and re-encode the same pictures, in one run:
#   quirvel export           our program
#   djpeg | cjpeg -q 90      every photo decoded and encoded at quality 90 by two processes in a pipe,
#                            one on each core: the floor of any export that re-encodes what it places
#   djpeg, cjpeg via a file  the same one after the other through a file in the temporary folder
#   djpeg alone              decoding only
#   montage (fastest)        ImageMagick laying out the same grid as 150 dpi page images, decoding each
#                            photo at a reduced size (-define jpeg:size), without labels
# Each is measured for wall time, CPU time (user + system), peak memory (the largest process, from
# /usr/bin/time -v) and the peak size of its temporary folder (a fresh TMPDIR, sampled every 50 ms).
#
# Usage: scripts/bench-export.sh [QUIRVEL_BINARY] [PHOTO_FOLDER]   ROUNDS=n repeats the whole set, so
# that on a shared, noisy machine the ratios of each round can be compared.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/bench-lib.sh
source "$root/scripts/bench-lib.sh"
bench_setup "$@"
mkdir -p "$work/policy"
cat > "$work/policy/policy.xml" <<'XML'
<policymap>
  <policy domain="resource" name="memory" value="4GiB"/>
  <policy domain="resource" name="map" value="8GiB"/>
  <policy domain="resource" name="disk" value="16GiB"/>
  <policy domain="resource" name="area" value="1GP"/>
</policymap>
XML
export MAGICK_CONFIGURE_PATH="$work/policy"

# A4 at 150 dpi is 1240 x 1754 pixels; two columns and three rows of 560 x 520 cells fill it. Asking
# the JPEG decoder for at least twice the cell lets it decode at 1/4 or 1/8 of the size.
font=$(fc-match -f "%{file}" sans)
echo "${#files[@]} photos from $photos, $rounds round(s)"
for ((round = 1; round <= rounds; ++round)); do
  rows=()
  rows+=("$(measure "quirvel export" "$quirvel" export "$work/album.pdf" "${files[@]}")")
  pdf=$(stat -c %s "$work/album.pdf")
  pages=$(pdfinfo "$work/album.pdf" | awk '/^Pages:/ { print $2 }')
  rows+=("$(measure "djpeg | cjpeg -quality 90" bash -c '
    for f; do djpeg "$f" | cjpeg -quality 90 >/dev/null || exit; done' _ "${files[@]}")")
  rows+=("$(measure "djpeg, cjpeg through a file" bash -c '
    for f; do
      djpeg -outfile "$TMPDIR/p.ppm" "$f" && cjpeg -quality 90 -outfile /dev/null "$TMPDIR/p.ppm" || exit
      rm -f "$TMPDIR/p.ppm"
    done' _ "${files[@]}")")
  rows+=("$(measure "djpeg alone" bash -c 'for f; do djpeg "$f" >/dev/null || exit; done' _ "${files[@]}")")
  rows+=("$(measure "montage, reduced-size decoding" montage -define jpeg:size=1120x1040 -font "$font" \
    "${files[@]}" -tile 2x3 -geometry 560x520+30+20 -quality 90 "$work/page-%02d.jpg")")
  rm -f "$work"/page-*.jpg

  echo
  echo "round $round: our PDF has $pages pages, $((pdf / 1048576)) MiB"
  printf '%-32s %8s %8s %10s %10s\n' "" "wall s" "CPU s" "peak MiB" "tmp MiB"
  for row in "${rows[@]}"; do
    IFS=";" read -r name wall cpu rss tmp <<<"$row"
    printf '%-32s %8s %8s %10s %10s\n' "$name" "$wall" "$cpu" "$rss" "$tmp"
  done
  IFS=';' read -r _ ours _ rss tmp <<<"${rows[0]}"
  IFS=';' read -r _ pipe _ _ _ <<<"${rows[1]}"
  IFS=';' read -r _ montage _ _ _ <<<"${rows[4]}"
  # Targets: <= 0.55 of the pipe and below montage; memory <= two decoded 24 MP pictures (72 MB
  # each) + 100 MB; temporary folder <= 1.1 x the PDF.
  awk -v o="$ours" -v p="$pipe" -v m="$montage" -v rss="$rss" -v tmp="$tmp" -v pdf="$pdf" 'BEGIN {
    limit = (2 * 72e6 + 100e6) / 1048576
    printf "quirvel / pipe: %.2f (target <= 0.55)   quirvel / montage: %.2f (target < 1)\n", o / p, o / m
    printf "peak memory %d MiB (target <= %d)   temporary folder %.2f x the PDF (target <= 1.1)\n",
      rss, limit, tmp * 1048576 / pdf }'
  bench_row "export of 60 photos, every pixel (wall s)" "$ours" "djpeg | cjpeg -quality 90, a pipe" "$pipe" 0.55
  bench_row "the same (wall s)" "$ours" "montage, reduced-size decoding" "$montage" 1
  bench_row "its peak memory (MiB)" "$rss" "two 24 MP pictures + 100 MB" 233 1
  bench_row "its peak temporary folder (MiB)" "$tmp" "the PDF" "$(awk -v b="$pdf" 'BEGIN { printf "%.0f", b / 1048576 }')" 1.1
done
