#!/usr/bin/env bash
# Installs the Debian packages Quirvel needs to build, run and test.
# Usage: scripts/install-deps.sh [--test]   (--test adds the test and benchmark tools)
set -euo pipefail

build_pkgs=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
  zlib1g-dev libjpeg62-turbo-dev libpng-dev libtiff-dev libgif-dev libwebp-dev nettle-dev
  liblcms2-dev libheif-dev
  libfreetype-dev libfontconfig-dev libharfbuzz-dev libicu-dev
  fonts-liberation2 fonts-dejavu-core fonts-noto-core fonts-noto-cjk
  librsvg2-bin scdoc dpkg-dev
)
test_pkgs=(
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  jbig2dec libjbig2dec0-dev qpdf poppler-utils libjpeg-turbo-progs ghostscript libheif-examples
  imagemagick libimage-exiftool-perl img2pdf
  desktop-file-utils appstream shared-mime-info xdg-utils man-db
)

want=("${build_pkgs[@]}")
[[ ${1:-} == --test ]] && want+=("${test_pkgs[@]}")

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
((${#missing[@]})) || exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "installing: ${missing[*]}" >&2
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
