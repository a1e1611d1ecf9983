#!/usr/bin/env bash
# The month rebuild's benchmark on a throwaway cluster of its own: builds bench_rebuild
# optimized, starts a cluster, loads the schema into a template and runs it.
#   bench/run_rebuild.sh             builds into $TABEL_BENCH_BUILD (default build-bench/)
#   TABEL_BENCH_RUNS=5               runs per figure (the statement-by-statement one runs once)
# Never part of the test run.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
build="${TABEL_BENCH_BUILD:-build-bench}"
runs="${TABEL_BENCH_RUNS:-5}"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TABEL_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" --target bench_rebuild

port=$(scripts/pg.sh free-port 26600)
cluster=$(mktemp -d /tmp/tabel-bench-rebuild.XXXXXX)
cleanup() {
    scripts/pg.sh stop "$cluster" || true
    rm -rf "$cluster"
}
trap cleanup EXIT
scripts/pg.sh start "$cluster" "$port"
scripts/load_db.sh "$cluster" "$port" tabel_template
"$build/bench/bench_rebuild" --server 127.0.0.1 --port "$port" --login tabel_admin \
    --password tabel_admin --template tabel_template --runs "$runs"
