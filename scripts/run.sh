#!/usr/bin/env bash
# Installs what is missing, builds Quirvel and starts it. Arguments are passed to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIRVEL_TESTS=OFF >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target quirvel
exec "$root/build/quirvel" "$@"
