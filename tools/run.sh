#!/usr/bin/env bash
# Installs what Melvanta needs, builds it and starts the clock.
# The program folder is build/program (override with MELVANTA_HOME).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh" "$root/build" -DMELVANTA_BUILD_TESTS=OFF -DMELVANTA_BUILD_BENCH=OFF
exec "$root/build/program/melvanta" "$@"
