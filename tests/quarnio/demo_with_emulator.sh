#!/usr/bin/env bash
# The native library loaded with dlopen by quarnio-demo, against the emulator program for USB
# card 1: the emulator's log must show the batch packet within two polls of the open.
#   demo_with_emulator.sh <quarn-emulator> <quarnio-demo>
set -euo pipefail
emulator="$1"
demo="$2"
folder="$(mktemp -d)"
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$folder"' EXIT

"$emulator" --device 1 --address "$folder" --plain --once --seconds 20 >"$folder/log" 2>&1 &
pid=$!
for _ in $(seq 50); do
  [ -S "$folder/QUARNUSBDevice0" ] && break
  sleep 0.1
done

QUARNIO_EMULATOR="$folder" "$demo"
wait "$pid" || true
cat "$folder/log"

# Packets after the handshake answer: the batch must come before the third poll request.
awk '
  / read  USB1 08 04/ { open = 1; next }
  open && /write USB1 05 80 FF/ { polls++ }
  open && /write USB1 06 00 20 05 10 03 01 02 03 04 FF/ { if (polls <= 2) found = 1; exit }
  END { exit found ? 0 : 1 }
' "$folder/log" || { echo "batch packet not seen within two polls" >&2; exit 1; }
echo "batch packet seen within two polls"
