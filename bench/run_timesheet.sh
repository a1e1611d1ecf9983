#!/usr/bin/env bash
# The timesheet window's benchmark on a throwaway cluster of its own: the demo plant plus a
# month (January 2027) of 1,000 more workers with hours rows in shifts 1, 2 and 3.
#   bench/run_timesheet.sh           builds into $TABEL_BENCH_BUILD (default build-bench/)
#   TABEL_BENCH_RUNS=10              runs per figure
# Never part of the test run.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
build="${TABEL_BENCH_BUILD:-build-bench}"
runs="${TABEL_BENCH_RUNS:-10}"
db=tabel_bench

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TABEL_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" --target bench_timesheet

port=$(scripts/pg.sh free-port 26700)
cluster=$(mktemp -d /tmp/tabel-bench-timesheet.XXXXXX)
home=$(mktemp -d /tmp/tabel-bench-home.XXXXXX)
cleanup() {
    scripts/pg.sh stop "$cluster" || true
    rm -rf "$cluster" "$home"
}
trap cleanup EXIT
scripts/pg.sh start "$cluster" "$port"
scripts/load_db.sh "$cluster" "$port" "$db" demo
psql -X -q -v ON_ERROR_STOP=1 -h "$cluster" -p "$port" -U tabel_admin -d "$db" -v workers=1000 \
    -f bench/timesheet_month.sql
mkdir -p "$home/tabel"
cat >"$home/tabel/tabel.conf" <<CONF
[General]
server=127.0.0.1
port=$port
database=$db
login=wvk
password=wuvbzad
CONF
XDG_CONFIG_HOME=$home XDG_RUNTIME_DIR=$home QT_QPA_PLATFORM=offscreen \
    "$build/bench/bench_timesheet" --server 127.0.0.1 --port "$port" --database "$db" \
    --runs "$runs"
