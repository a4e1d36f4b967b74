#!/usr/bin/env bash
# Builds everything and runs every test: the Windows targets with GCC and
# again with clang, the native unit tests, also under the sanitizers together
# with the fuzzer, the checks of the executable's hardening, and the
# end-to-end tests that drive the real Tolvane.exe under Wine on a virtual
# display. The last line is CTest's summary of what ran.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

echo "== Building Tolvane.exe and the test driver (MinGW-w64 cross build)"
cmake --preset windows >/dev/null
cmake --build --preset windows

echo "== Building the same Windows targets with clang, warnings as errors (nothing GCC-only)"
cmake --preset windows-clang >/dev/null
cmake --build --preset windows-clang

echo "== Building the native unit tests"
cmake --preset native >/dev/null
cmake --build --preset native

echo "== Unit tests and a 60-second fuzzing run under AddressSanitizer and UBSan (clang)"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

echo "== Running the tests"
ctest --preset native "$@"
