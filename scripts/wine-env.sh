# Sourced by the scripts that run Windows programs: one Wine prefix inside the build folder,
# quiet, no Mono/Gecko prompts, no menu entries written into the home folder.
# GB_WIN_BUILD names the Windows build folder (default: build/windows of this checkout).
GB_WIN_BUILD="${GB_WIN_BUILD:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/windows}"
export GB_WIN_BUILD
export WINEPREFIX="${WINEPREFIX:-$GB_WIN_BUILD/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all,err+module}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
# Debian's wine64 package keeps the 64-bit loader out of PATH.
case ":$PATH:" in *:/usr/lib/wine:*) ;; *) export PATH="/usr/lib/wine:$PATH" ;; esac
# Every Wine process of one run must see the same TMPDIR, or a second wineserver starts and the
# processes cannot see each other's mappings and processes.
export TMPDIR="${TMPDIR:-/tmp}"

# Creates the prefix once, with a virtual desktop so that hiding a window under Xvfb (no window
# manager) does not stall for seconds.
gb_wine_prefix() {
  if [ -f "$WINEPREFIX/.glowbridge-ready" ]; then return 0; fi
  mkdir -p "$WINEPREFIX"
  if ! wine64 wineboot -i >/dev/null 2>&1 </dev/null; then
    echo "wine64 wineboot failed: is Wine installed (scripts/setup.sh)?" >&2
    return 1
  fi
  local reg="$WINEPREFIX/desktop.reg"
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="Default"\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"Default"="1024x768"\n' >"$reg"
  wine64 reg import "$reg" >/dev/null 2>&1 </dev/null
  wineserver -w
  touch "$WINEPREFIX/.glowbridge-ready"
}
