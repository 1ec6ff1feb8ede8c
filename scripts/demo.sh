#!/usr/bin/env bash
# Sets up, builds and runs the demonstration: the stand-in simulator, started under the name the
# process watch looks for (EFALCON.EXE), flies a 20-second circuit while the monitor shows the
# cockpit elements exactly as Glowbridge reads them. In a terminal the view refreshes in place;
# without one (CI, a pipe) it prints a snapshot every two seconds.
#   GB_DEMO_BUILD=<native build folder> scripts/demo.sh   uses an existing build, builds nothing
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${GB_DEMO_BUILD:-}"
if [ -z "$build" ]; then
  "$top/scripts/setup.sh"
  echo "== building (native)"
  "$top/scripts/build.sh" native
  build="$top/build/native"
fi
sim="$build/tools/simulator/EFALCON.EXE"
monitor="$build/tools/monitor/glowbridge-monitor"
flight="$top/tools/simulator/flights/demo-flight.txt"

log="$(mktemp)"
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill -INT "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -f "$log"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "== the stand-in simulator flies tools/simulator/flights/demo-flight.txt (20 s) as EFALCON.EXE"
"$sim" --layout 200 --play "$flight" --once --quiet >"$log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do
  grep -q "falcon-sim: holding" "$log" && break
  kill -0 "$sim_pid" 2>/dev/null || { cat "$log"; echo "the simulator did not start" >&2; exit 1; }
  sleep 0.1
done
head -1 "$log"

names=("Eyebrow Lights/MasterCaution" "Caution Lights/FwdFuelLow" "Gear Lights" "Speed Lights"
       "Primary Data/Altitude" "Primary Data/Alt10000" "Primary Data/Alt1000" "Primary Data/Alt100"
       "Primary Data/KIAS" "Secondary Data/RPM" "Secondary Data/InternalFuel")
if [ -t 1 ]; then
  interval=250; count=100
else
  interval=2000; count=12
fi
echo "== the monitor: what Glowbridge reads from FalconSharedMemoryArea"
# The block holds the height negated, as the simulator does; the Alt digits show it positive.
"$monitor" --interval "$interval" --count "$count" --until-gone "${names[@]}"
wait "$sim_pid" || true
sim_pid=""
echo
echo "== done. Try it yourself:"
echo "   $build/tools/simulator/falcon-sim --play $flight       (Ctrl-C ends)"
echo "   $build/tools/monitor/glowbridge-monitor \"Gear Lights\" \"Primary Data/KIAS\""
echo "   $build/tools/simulator/falcon-sim --help ; $build/tools/monitor/glowbridge-monitor --help"
