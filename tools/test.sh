#!/usr/bin/env bash
# Installs what Melvanta needs, builds it with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs the whole test suite headless.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$root/build-test"
"$root/tools/install-deps.sh"
"$root/tools/build.sh" "$build_dir" -DMELVANTA_SANITIZE=ON

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:suppressions=$root/tests/sanitizer/asan.supp"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$root/tests/sanitizer/ubsan.supp"
cd "$build_dir"
"$root/tools/with-display.sh" ctest --output-on-failure -j"$(nproc)"

# The Debian package, from a Release build of its own: its contents and dependencies.
"$root/tools/package.sh" "$root/build-release"
