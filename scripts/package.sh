#!/usr/bin/env bash
# Builds the Windows deliverables and packs the zip a cockpit builder downloads:
#   scripts/package.sh   -> build/windows/package/Glowbridge-<version>-win64.zip
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/setup.sh"
"$top/scripts/build.sh" windows "$@"
(cd "$top/build/windows" && cpack -G ZIP >/dev/null)
ls "$top"/build/windows/package/*.zip
