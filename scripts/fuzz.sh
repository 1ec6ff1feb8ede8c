#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build/fuzz and runs each for a bounded time.
#   scripts/fuzz.sh [seconds per target, default 30] [target name ...]
# Fails when a target crashes or a sanitizer reports. A fresh corpus is grown in
# build/fuzz/corpus/<target>, seeded from the target's folder under tests/data.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-30}"
shift || true
"$top/scripts/setup.sh"
CC=clang CXX=clang++ cmake -S "$top" -B "$top/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGB_FUZZ=ON -DGB_BENCH=OFF -DGB_TESTS=ON >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(cd "$top/tests/fuzz" && ls ./*_fuzz.cpp 2>/dev/null | sed 's|^\./||; s|\.cpp$||')
fi
if [ ${#targets[@]} -eq 0 ]; then echo "no fuzz targets"; exit 0; fi
cmake --build "$top/build/fuzz" --target "${targets[@]}"
for t in "${targets[@]}"; do
  corpus="$top/build/fuzz/corpus/$t"
  mkdir -p "$corpus"
  seeds="$top/tests/data/fuzz/$t"
  dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  echo "== fuzzing $t for ${seconds}s"
  "$top/build/fuzz/tests/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 "${dirs[@]}" \
    2>"$top/build/fuzz/$t.log" || { tail -50 "$top/build/fuzz/$t.log"; exit 1; }
  grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb)|cov:" "$top/build/fuzz/$t.log" | tail -3
done
