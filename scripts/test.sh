#!/usr/bin/env bash
# Sets up the machine, builds and runs every test:
#   1. native, with AddressSanitizer and UBSan (build/asan);
#   2. the Windows build under Wine, headless inside Xvfb (build/windows);
#   3. a bounded run of every libFuzzer target (build/fuzz; GB_FUZZ_SECONDS each, default 30).
# Warnings are errors here. Exits non-zero when anything fails.
#   scripts/test.sh [ctest options...]      e.g. scripts/test.sh -L unit
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

"$top/scripts/setup.sh"

t0=$(date +%s)
echo "== native build (sanitizers)"
"$top/scripts/build.sh" asan -DGB_WERROR=ON
echo "== native tests"
(cd build/asan && ctest --output-on-failure -j2 "$@")
t1=$(date +%s)

echo "== Windows build"
"$top/scripts/build.sh" windows -DGB_WERROR=ON
echo "== Windows tests under Wine"
"$top/scripts/wine-test.sh" "$@"
t2=$(date +%s)

echo "== fuzzing"
"$top/scripts/fuzz.sh" "${GB_FUZZ_SECONDS:-30}"
t3=$(date +%s)

echo "== all tests passed (native $((t1 - t0)) s, Windows $((t2 - t1)) s, fuzzing $((t3 - t2)) s)"
