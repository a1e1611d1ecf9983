#!/usr/bin/env bash
# Configures and builds (Release with debug info).
#   scripts/build.sh                     the whole tree into build/ (program, tests, benchmarks)
#   scripts/build.sh DIR [TARGET...]     into DIR, only the targets named (all when none)
# ./run.sh and ./test.sh build into folders of their own, so neither undoes the other's build.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TABEL_CMAKE_ARGS:-} >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
