#!/usr/bin/env bash
# Configures and builds one or both builds.
#   scripts/build.sh native    -> build/native   (g++, Linux)
#   scripts/build.sh windows   -> build/windows  (MinGW-w64, the Windows deliverables)
#   scripts/build.sh asan      -> build/asan     (native, AddressSanitizer + UBSan, for the tests)
#   scripts/build.sh           -> both
# Extra arguments after the build name go to CMake's configure step.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
which="${1:-all}"
shift || true

build_native() {
  cmake -S "$top" -B "$top/build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$top/build/native"
}
build_asan() {
  cmake -S "$top" -B "$top/build/asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DGB_SANITIZE=ON \
    -DGB_BENCH=OFF "$@" >/dev/null
  cmake --build "$top/build/asan"
}
build_windows() {
  cmake -S "$top" -B "$top/build/windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" "$@" >/dev/null
  cmake --build "$top/build/windows"
}

case "$which" in
  native) build_native "$@" ;;
  windows) build_windows "$@" ;;
  asan) build_asan "$@" ;;
  all) build_native "$@"; build_windows "$@" ;;
  *) echo "usage: scripts/build.sh [native|windows|asan|all] [cmake options...]" >&2; exit 2 ;;
esac
