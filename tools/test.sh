#!/usr/bin/env bash
# Installs what Melvanta needs, builds it with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs the whole test suite headless.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$root/build-test"
"$root/tools/install-deps.sh"
"$root/tools/build.sh" "$build_dir" -DMELVANTA_SANITIZE=ON

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:suppressions=$root/tests/sanitizer/asan.supp"
# use_tls=0: the leak checker of GCC 12 reads a stale dynamic-TLS entry of a
# program ended early in its start (SIGTERM while plugins are still being
# loaded) and crashes ("Tracer caught signal 11"). Without thread-local roots
# it can only report more, never less; the loader's own records are suppressed.
export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0:use_tls=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$root/tests/sanitizer/ubsan.supp"
cd "$build_dir"
"$root/tools/with-display.sh" ctest --output-on-failure -j"$(nproc)"

# The Debian package, from a Release build of its own: its contents and dependencies.
"$root/tools/package.sh" "$root/build-release"
