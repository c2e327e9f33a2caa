#!/usr/bin/env bash
# Builds the Debian package from a build folder (cpack -G DEB), unpacks it into a scratch root and runs
# the installed program from there: its version, and an export of a photo. Checks the dependencies that
# dpkg-shlibdeps found, that nothing points back into the build folder, and that the desktop finds the
# installed files (xdg-mime names the program as the handler of albums).
# Usage: check-package.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1 app_id=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

work=$build/package-test
rm -rf "$work"
mkdir -p "$work/home"
(cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/out/quirvel_*.deb)
deb=${debs[0]}
[[ -f $deb ]] || fail "no package made"

depends=$(dpkg-deb --field "$deb" Depends)
for library in libc6 libqt6widgets6 libjpeg62-turbo libpng16-16 libtiff6 libgif7 \
  libwebp7 libfreetype6 libfontconfig1 zlib1g liblcms2-2 libheif1; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

root=$work/root
dpkg -x "$deb" "$root"
share=$root/usr/share
for file in usr/bin/quirvel usr/share/man/man1/quirvel.1.gz usr/share/bash-completion/completions/quirvel \
  "usr/share/applications/$app_id.desktop" "usr/share/metainfo/$app_id.metainfo.xml" \
  usr/share/mime/packages/quirvel-mime.xml "usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
  "usr/share/icons/hicolor/48x48/apps/$app_id.png" "usr/share/icons/hicolor/256x256/apps/$app_id.png"; do
  [[ -e $root/$file ]] || fail "not in the package: $file"
done
if readelf -d "$root/usr/bin/quirvel" | grep -qE 'RPATH|RUNPATH'; then fail "the program keeps a library path"; fi

# The installed program, with nothing of the build folder in reach.
run() { env -i PATH=/usr/bin:/bin HOME="$work/home" TMPDIR="$work" "$root/usr/bin/quirvel" "$@"; }
version=$(run --version)
[[ $version == "quirvel $(dpkg-deb --field "$deb" Version)" ]] || fail "version: $version"
printf 'P6 4 2 255\n%s' "$(head -c 24 /dev/zero | tr '\0' '\200')" | cjpeg >"$work/photo.jpg"
(cd "$work" && run export album.pdf photo.jpg >/dev/null 2>&1) || fail "export from the installed program"
qpdf --check "$work/album.pdf" >/dev/null || fail "the installed program's PDF"
man -l "$share/man/man1/quirvel.1.gz" >/dev/null 2>&1 || fail "man -l on the installed manual page"

# The desktop's view, with the scratch root as the only data directory.
XDG_DATA_DIRS=$share update-mime-database "$share/mime"
update-desktop-database "$share/applications"
handler=$(env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_DATA_DIRS="$share" XDG_DATA_HOME="$work/home/data" \
  XDG_CONFIG_HOME="$work/home/config" xdg-mime query default application/x-quirvel-album)
[[ $handler == "$app_id.desktop" ]] || fail "xdg-mime names \"$handler\" for albums"
rm -rf "$work"
echo "package $(basename "$deb"): all checks passed"
