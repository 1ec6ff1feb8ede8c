#!/usr/bin/env bash
# Runs the Windows build's tests under Wine inside a headless X server.
#   scripts/wine-test.sh [ctest options...]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
export GB_WIN_BUILD="${GB_WIN_BUILD:-$top/build/windows}"
# shellcheck source=scripts/wine-env.sh
. "$top/scripts/wine-env.sh"

# Inside one X server: prepare the prefix, start Wine's services detached from ctest's pipes (they
# would otherwise keep ctest waiting on their inherited stderr), run the tests, end the server.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -uo pipefail
  . "'"$top"'/scripts/wine-env.sh"
  gb_wine_prefix || exit 1
  wine64 wineboot >/dev/null 2>&1 </dev/null
  cd "$GB_WIN_BUILD"
  ctest --output-on-failure "$@"
  rc=$?
  wineserver -k >/dev/null 2>&1 || true
  exit $rc
' wine-test "$@"
