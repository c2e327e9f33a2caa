#!/usr/bin/env bash
# Installs what is missing, builds Quirvel optimised and makes the Debian package build/quirvel_*.deb
# (cpack -G DEB; the library dependencies come from dpkg-shlibdeps).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target quirvel quirvel_manual
cd "$root/build"
cpack -G DEB >/dev/null
ls "$root"/build/quirvel_*.deb
