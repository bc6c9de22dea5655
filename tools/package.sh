#!/usr/bin/env bash
# Builds the Debian package of Melvanta from a Release build of its own and
# shows what it holds and what it depends on.
# Usage: tools/package.sh [BUILD_DIR]   (default: build-release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$root/build-release}
"$root/tools/install-deps.sh"
cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DMELVANTA_BUILD_TESTS=OFF -DMELVANTA_BUILD_BENCH=OFF \
    >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
rm -f "$build_dir"/melvanta_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
deb=$(ls "$build_dir"/melvanta_*.deb)
echo "== $deb"
dpkg-deb --info "$deb"
echo "== contents"
dpkg-deb --contents "$deb"
"$root/tools/check-deb.sh" "$deb"
