#!/usr/bin/env bash
# Sets up, builds and runs the demonstration.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/setup.sh"
"$top/scripts/build.sh" native
echo "The demonstration is being assembled; the native build is ready in build/native."
