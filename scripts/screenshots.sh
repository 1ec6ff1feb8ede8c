#!/usr/bin/env bash
# Takes the pictures of every dialog and of the tray menu from the Windows build, under Wine in a
# headless X server, and writes them to docs/screenshots/*.png (README.md and the user guide show
# them). Run it after changing a dialog, a template or the menu, and commit the pictures: the
# Wine test ui_screenshots fails while they differ from what the program shows.
#   scripts/screenshots.sh [NAME...]      all pictures, or only these (names: --list)
#   scripts/screenshots.sh --list         the pictures' names
#   GB_WIN_BUILD=<folder>                 the Windows build folder (default build/windows); it is
#                                         configured when missing, and only the screenshot
#                                         program is built
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
export GB_WIN_BUILD="${GB_WIN_BUILD:-$top/build/windows}"

"$top/scripts/setup.sh"
if [ ! -f "$GB_WIN_BUILD/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$GB_WIN_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$GB_WIN_BUILD" --target glowbridge-screenshots >/dev/null
program="$GB_WIN_BUILD/tools/screenshots/glowbridge-screenshots.exe"

# shellcheck source=scripts/wine-env.sh
. "$top/scripts/wine-env.sh"
if [ "${1:-}" = "--list" ]; then
  wine64 "$program" --list </dev/null 2>/dev/null | tr -d '\r'
  exit 0
fi

# The same screen and prefix as the Wine tests, so the pictures are the ones the test takes.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -uo pipefail
  . "'"$top"'/scripts/wine-env.sh"
  gb_wine_prefix || exit 1
  wine64 wineboot >/dev/null 2>&1 </dev/null
  python3 "'"$top"'/tools/screenshots/shots.py" write --wine wine64 --program "'"$program"'" \
    --sample "'"$top"'/samples/Glowbridge.ini" --out "'"$top"'/docs/screenshots" "$@"
  rc=$?
  wineserver -k >/dev/null 2>&1 || true
  exit $rc
' screenshots "$@"
