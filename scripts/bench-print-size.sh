#!/usr/bin/env bash
# Times print-size albums on the photo corpus (60 photos of 12 to 24 megapixels, 2 x 3 grid, A4) side
# by side with the references, in one run:
#   quirvel export                   "Original": every photo decoded and encoded again, all its pixels
#   quirvel export --dpi 300         "Druck (300 dpi)": scaled down to 300 pixels per inch of its place
#   quirvel export --dpi 150         "Bildschirm (150 dpi)"
#   quirvel export --keep-jpeg       the JPEG files' own bytes
#   djpeg | cjpeg -quality 90        every photo decoded and encoded at quality 90 by two processes in a
#                                    pipe: the cost of encoding each photo again at full size
#   img2pdf                          the same photos' bytes put into a PDF, one per page
# each with wall time, CPU time, peak memory, peak temporary-folder use and the size of what it wrote.
# Then how the 300 dpi album looks next to the Original one: every page rendered by pdftoppm at 300
# dpi, compared by ImageMagick (PSNR in dB over all channels; identical pages have none).
#
# Usage: scripts/bench-print-size.sh [QUIRVEL_BINARY] [PHOTO_FOLDER]   ROUNDS=n repeats the timings,
# PAGES=n compares only the first n pages.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/bench-lib.sh
source "$root/scripts/bench-lib.sh"
bench_setup "$@"

photo_bytes=$(cat "${files[@]}" | wc -c)
size_of() { stat -c %s "$1"; }

echo "${#files[@]} photos from $photos ($((photo_bytes / 1048576)) MiB), $rounds round(s)"
for ((round = 1; round <= rounds; ++round)); do
  rows=()
  for setting in original 300 150 keep; do
    case $setting in
      original) args=() name="quirvel export (Original)" ;;
      keep) args=(--keep-jpeg) name="quirvel export --keep-jpeg" ;;
      *) args=(--dpi "$setting") name="quirvel export --dpi $setting" ;;
    esac
    row=$(measure "$name" "$quirvel" export "${args[@]}" "$work/$setting.pdf" "${files[@]}")
    rows+=("$row;$(size_of "$work/$setting.pdf")")
  done
  row=$(measure "djpeg | cjpeg -quality 90" bash -c '
    for f; do djpeg "$f" | cjpeg -quality 90 >/dev/null || exit; done' _ "${files[@]}")
  rows+=("$row;0")
  row=$(measure "img2pdf" img2pdf -o "$work/img2pdf.pdf" "${files[@]}")
  rows+=("$row;$(size_of "$work/img2pdf.pdf")")

  echo
  echo "round $round"
  printf '%-30s %8s %8s %10s %10s %10s\n' "" "wall s" "CPU s" "peak MiB" "tmp MiB" "output MiB"
  for row in "${rows[@]}"; do
    IFS=";" read -r name wall cpu rss tmp bytes <<<"$row"
    printf '%-30s %8s %8s %10s %10s %10s\n' "$name" "$wall" "$cpu" "$rss" "$tmp" \
      "$(awk -v b="$bytes" 'BEGIN { if (b > 0) printf "%.1f", b / 1048576; else print "-" }')"
  done
  IFS=';' read -r _ _ _ _ _ original <<<"${rows[0]}"
  IFS=';' read -r _ scaled _ _ _ printed <<<"${rows[1]}"
  IFS=';' read -r _ keep _ _ _ kept <<<"${rows[3]}"
  IFS=';' read -r _ pipe _ _ _ _ <<<"${rows[4]}"
  IFS=';' read -r _ img2pdf _ _ _ _ <<<"${rows[5]}"
  # Targets: 300 dpi <= 0.25 x the pipe's time and <= 1/5 of the Original PDF; pass-through <= 1.5 x
  # img2pdf's time and within 2 % of the photos' bytes plus the pages.
  awk -v scaled="$scaled" -v pipe="$pipe" -v printed="$printed" -v original="$original" -v keep="$keep" \
    -v img2pdf="$img2pdf" -v kept="$kept" -v photos="$photo_bytes" 'BEGIN {
    printf "300 dpi: %.2f x the pipe'"'"'s time (target <= 0.25), PDF 1/%.1f of the Original one (target >= 1/5)\n",
      scaled / pipe, original / printed
    printf "pass-through: %.2f x img2pdf'"'"'s time (target <= 1.5), PDF = photos + %.0f KiB (%.3f %%; target <= 2 %%)\n",
      keep / img2pdf, (kept - photos) / 1024, (kept - photos) * 100 / photos }'
  bench_row "export of 60 photos at 300 dpi (wall s)" "$scaled" "djpeg | cjpeg -quality 90, a pipe" "$pipe" 0.25
  bench_row "export of 60 photos, --keep-jpeg (wall s)" "$keep" "img2pdf" "$img2pdf" 1.5
  bench_row "300 dpi PDF against the Original one (MiB)" \
    "$(awk -v b="$printed" 'BEGIN { printf "%.1f", b / 1048576 }')" "the Original PDF" \
    "$(awk -v b="$original" 'BEGIN { printf "%.1f", b / 1048576 }')" 0.2
done
# Only the timings: BENCH_PSNR=0 leaves the rendered comparison out.
[[ ${BENCH_PSNR:-1} != 0 ]] || exit 0

# How the pages look: the 300 dpi album against the Original one, both rendered at 300 dpi.
pages=$(pdfinfo "$work/original.pdf" | awk '/^Pages:/ { print $2 }')
pages=${PAGES:-$pages}
echo
echo "300 dpi against Original, $pages page(s) rendered by pdftoppm at 300 dpi (PSNR, dB):"
values=()
for ((page = 1; page <= pages; ++page)); do
  for setting in original 300; do
    pdftoppm -r 300 -f "$page" -l "$page" -singlefile "$work/$setting.pdf" "$work/page-$setting"
  done
  value=$(compare -metric PSNR "$work/page-original.ppm" "$work/page-300.ppm" null: 2>&1 || true)
  values+=("$value")
  printf '  page %2d: %s\n' "$page" "$value"
done
printf '%s\n' "${values[@]}" | awk '$1 ~ /^[0-9.]+$/ { n++; sum += $1; if (min == "" || $1 < min) min = $1 }
  END { if (n) printf "mean %.2f dB, lowest %.2f dB (40 dB and more: no difference the eye can see)\n", sum / n, min }'
