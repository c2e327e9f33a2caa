#!/usr/bin/env bash
# Installs the Debian packages Quirvel needs to build, run and test.
# Usage: scripts/install-deps.sh [--test]   (--test adds the test and benchmark tools, and the German
# locale de_DE.UTF-8 the tests run the window and the command line under)
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
  default-jre-headless libpdfbox2-java libactivation-java libjaxb-api-java
  desktop-file-utils appstream shared-mime-info xdg-utils man-db locales
)

want=("${build_pkgs[@]}")
[[ ${1:-} == --test ]] && want+=("${test_pkgs[@]}")

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}" >&2
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [[ ${1:-} == --test ]] && ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  echo "generating the locale de_DE.UTF-8" >&2
  "${sudo[@]}" sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo[@]}" locale-gen >/dev/null
fi
