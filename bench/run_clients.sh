#!/usr/bin/env bash
# Eight clients at once on a throwaway cluster with the demo plant: each a process of its own
# with its own login, for three minutes, then the checks of what the database holds.
#   bench/run_clients.sh                builds into $TABEL_BENCH_BUILD (default build-bench/)
#   TABEL_CLIENTS=8                     clients (one of them runs the month rebuilds)
#   TABEL_CLIENTS_SECONDS=180           how long they work
#   TABEL_CLIENTS_SEED=1                start of the random sequence
# The exit status is 1 when a check fails. Never part of the test run.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
build="${TABEL_BENCH_BUILD:-build-bench}"
db=tabel_clients

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TABEL_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" --target bench_clients

port=$(scripts/pg.sh free-port 26700)
cluster=$(mktemp -d /tmp/tabel-bench-clients.XXXXXX)
home=$(mktemp -d /tmp/tabel-bench-clients-home.XXXXXX)
cleanup() {
    scripts/pg.sh stop "$cluster" || true
    rm -rf "$cluster" "$home"
}
trap cleanup EXIT
scripts/pg.sh start "$cluster" "$port"
scripts/load_db.sh "$cluster" "$port" "$db" demo
XDG_RUNTIME_DIR=$home QT_QPA_PLATFORM=offscreen "$build/bench/bench_clients" \
    --server 127.0.0.1 --port "$port" --database "$db" --admin tabel_admin \
    --admin-password tabel_admin --clients "${TABEL_CLIENTS:-8}" \
    --seconds "${TABEL_CLIENTS_SECONDS:-180}" --seed "${TABEL_CLIENTS_SEED:-1}"
