#!/usr/bin/env bash
# Sets up, builds and runs the demonstration of the whole chain on Linux: the stand-in simulator,
# started under the name the process watch looks for (EFALCON.EXE), flies a 20-second circuit
# over and over; glowbridge, with the sample settings and definitions (samples/Glowbridge.ini),
# finds it, attaches about ten seconds later and drives the card; the card emulator, given the same
# definitions, shows the card's lamps (Pigeon-hole bits), QProc calls and Pigeon-holes changing as
# the flight plays, each named by its binding ("MasterCaution ON (QProc 5)", "Left on",
# "KIAS 250 (byte 125)").
# In a terminal the emulator's view refreshes in place; without one (CI, a pipe) every batch
# the card takes is printed as a line, repeats left out. Afterwards the tray's lines and the
# start of the debug log are shown.
#   GB_DEMO_BUILD=<native build folder> scripts/demo.sh   uses an existing build, builds nothing
#   GB_DEMO_SECONDS=<n>                                    how long to fly (default 45)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${GB_DEMO_BUILD:-}"
if [ -n "$build" ]; then build="$(cd "$build" && pwd)"; fi
if [ -z "$build" ]; then
  "$top/scripts/setup.sh"
  echo "== building (native)"
  "$top/scripts/build.sh" native
  build="$top/build/native"
fi
seconds="${GB_DEMO_SECONDS:-45}"
sim="$build/tools/simulator/EFALCON.EXE"
emulator="$build/tools/card_emulator/quarn-emulator"
glowbridge="$build/glowbridge"
flight="$top/tools/simulator/flights/demo-flight.txt"

work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
      kill -INT "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    fi
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Glowbridge runs in a folder of its own with the sample as its Glowbridge.ini: the settings (card
# 1, EFALCON.EXE, 4 s checks) and the definitions come from it, the debug log goes beside it.
cp "$top/samples/Glowbridge.ini" "$work/Glowbridge.ini"
mkdir -p "$work/quarn"
export QUARNIO_EMULATOR="$work/quarn"

echo "== the card emulator: USB card 1 at $QUARNIO_EMULATOR, labelled by samples/Glowbridge.ini"
if [ -t 1 ]; then
  "$emulator" --device 1 --address "$work/quarn" --definitions "$work/Glowbridge.ini" --view \
    --seconds "$((seconds + 5))" </dev/null &
  pids+=($!)
else
  # One line per batch the card takes, without the time and sequence columns' repeats.
  "$emulator" --device 1 --address "$work/quarn" --definitions "$work/Glowbridge.ini" --plain \
    --seconds "$((seconds + 5))" </dev/null |
    awk '/write USB1 06/ { k = $0; sub(/^ *[0-9.]+ ms +#[0-9]+ +/, "", k);
                           if (k != prev) { print "   card: " k; fflush() } prev = k }
         /quarn-emulator:/ { print; fflush() }' &
  pids+=($!)
fi
sleep 0.5

echo "== the stand-in simulator flies tools/simulator/flights/demo-flight.txt as EFALCON.EXE" >&2
"$sim" --layout 200 --play "$flight" --seconds "$seconds" --quiet >"$work/sim.log" 2>&1 </dev/null &
pids+=($!)
for _ in $(seq 100); do
  grep -q "falcon-sim: holding" "$work/sim.log" && break
  sleep 0.1
done

echo "== glowbridge with samples/Glowbridge.ini and /debug; it attaches on its third check" >&2
(cd "$work" && exec "$glowbridge" /debug) >"$work/tray.log" 2>&1 </dev/null &
gb_pid=$!
pids+=($gb_pid)

sleep "$seconds"
kill -INT "$gb_pid" 2>/dev/null || true
wait "$gb_pid" 2>/dev/null || true
wait 2>/dev/null || true
pids=()
[ -t 1 ] && echo
echo "== what the tray showed (glowbridge's console tray):"
sed 's/^/   /' "$work/tray.log"
echo "== the first lines of the debug log (Glowbridge.txt):"
head -12 "$work/Glowbridge.txt" 2>/dev/null | sed 's/^/   /' || true
echo
echo "== done. Try it yourself (three terminals):"
echo "   $build/tools/card_emulator/quarn-emulator --device 1 --address /tmp/quarn"
echo "   $build/tools/simulator/EFALCON.EXE --play $flight"
echo "   cp $top/samples/Glowbridge.ini . && QUARNIO_EMULATOR=/tmp/quarn $glowbridge"
echo "   (glowbridge takes menu commands on its input: ? lists them; exit ends it)"
