#!/usr/bin/env bash
# Builds the game, its tools and every test with AddressSanitizer, LeakSanitizer
# and UndefinedBehaviorSanitizer into build-asan/ and runs all tests there.
# Slower than scripts/test.sh and not part of CI. Extra arguments go to ctest
# (e.g. `bash scripts/test-sanitize.sh -R Gltf`).
#
# Every sanitizer report, also one from a program a test starts (the harness,
# the content tool), is written to build-asan/sanitizer-reports/; the run fails
# if any report was written, even when the test itself passed (some tests expect
# the harness to exit with 1, the sanitizers' usual exit code).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

bash scripts/install-deps.sh
cmake -S . -B build-asan -DGV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j"$(nproc)"

reports="$root/build-asan/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
# intercept_tls_get_addr=0: the runtime's record of dynamic TLS blocks (Mesa's
# libraries' thread-locals) can hold a garbage range under glibc 2.36, and
# LeakSanitizer's scan of it then crashes at exit ("Tracer caught signal 11"),
# depending only on how the executable is laid out. Without the record those
# blocks are not scanned; no leak report depends on them.
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:intercept_tls_get_addr=0:exitcode=86:log_path=$reports/report"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/report"

status=0
(cd build-asan && ctest --output-on-failure -j"$(nproc)" "$@") || status=$?

shopt -s nullglob
found=("$reports"/report.*)
if [ ${#found[@]} -gt 0 ]; then
  for f in "${found[@]}"; do
    echo "==== sanitizer report $f"
    cat "$f"
  done
  echo "test-sanitize: ${#found[@]} sanitizer report(s) written; see above" >&2
  [ "$status" -ne 0 ] || status=1
else
  echo "test-sanitize: no sanitizer reports"
fi
exit "$status"
