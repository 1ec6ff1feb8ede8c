#!/usr/bin/env bash
# Sets up the machine, builds both builds and runs every test: natively, then the Windows build
# under Wine (headless, inside Xvfb). Exits non-zero when anything fails.
#   scripts/test.sh [ctest options...]      e.g. scripts/test.sh -L unit
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

"$top/scripts/setup.sh"

start=$(date +%s)
echo "== native build"
"$top/scripts/build.sh" native
echo "== native tests"
(cd build/native && ctest --output-on-failure -j2 "$@")
native_done=$(date +%s)

echo "== Windows build"
"$top/scripts/build.sh" windows
echo "== Windows tests under Wine"
"$top/scripts/wine-test.sh" "$@"
end=$(date +%s)

echo "== all tests passed (native $((native_done - start)) s, Windows $((end - native_done)) s)"
