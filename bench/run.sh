#!/usr/bin/env bash
# Benchmarks of the data layer and the start-up on a throwaway cluster with the demo plant
# plus a large day: 10,000 shift-1 records of one date and 10,000 more employees.
#   bench/run.sh                 builds into $TABEL_BENCH_BUILD (default build/) and runs
#   TABEL_BENCH_RUNS=20          runs per figure
#   TABEL_BENCH_SCALE=0          without the scale table of bench/run_scale.sh at the end
# Never part of the test run.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
build="${TABEL_BENCH_BUILD:-build}"
runs="${TABEL_BENCH_RUNS:-20}"
day=2027-01-15   # no demo record falls on it
db=tabel_bench

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TABEL_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" --target bench_journal bench_startup bench_entry bench_history bench_report \
    bench_memory

port=$(scripts/pg.sh free-port 25900)
cluster=$(mktemp -d /tmp/tabel-bench.XXXXXX)
home=$(mktemp -d /tmp/tabel-bench-home.XXXXXX)
cleanup() {
    scripts/pg.sh stop "$cluster" || true
    rm -rf "$cluster" "$home"
}
trap cleanup EXIT
scripts/pg.sh start "$cluster" "$port"
scripts/load_db.sh "$cluster" "$port" "$db" demo
psql_() { psql -X -q -v ON_ERROR_STOP=1 -h "$cluster" -p "$port" -U tabel_admin -d "$db" "$@"; }

echo "Загрузка большого дня: 10 000 работников и 10 000 записей смены 1 за $day"
psql_ -v day="$day" -v persons=10000 -v records=10000 -f bench/big_day.sql

# Start-up: the program's own config file points at this cluster with the stored account.
mkdir -p "$home/tabel"
cat >"$home/tabel/tabel.conf" <<CONF
[General]
server=127.0.0.1
port=$port
database=$db
login=wvk
password=wuvbzad
CONF
# Each start is timed from just before the launch to the moment the login window has been
# painted, and to the moment its version check is done (the window ready for a login), both of
# which bench_startup prints (microseconds since the epoch).
startup=()
ready=()
for _ in $(seq 1 "${TABEL_BENCH_STARTS:-7}"); do
    launched=${EPOCHREALTIME/[.,]/}
    moments=$(XDG_CONFIG_HOME=$home XDG_RUNTIME_DIR=$home QT_QPA_PLATFORM=offscreen timeout 60 \
        "$build/bench/bench_startup" 2>>"$home/startup.log") || {
        echo "bench_startup не дошёл до окна входа:" >&2
        cat "$home/startup.log" >&2
        exit 1
    }
    read -r shown checked <<<"$moments"
    startup+=("$(awk -v a="$launched" -v b="$shown" 'BEGIN { printf "%.1f", (b - a) / 1000 }')")
    ready+=("$(awk -v a="$launched" -v b="$checked" 'BEGIN { printf "%.1f", (b - a) / 1000 }')")
done
echo "Запуск до окна входа, мс: ${startup[*]}"
echo "Запуск до проверки версии, мс: ${ready[*]}"

# A missed aim is reported at the end; the other benchmarks still run.
status=0
XDG_RUNTIME_DIR=$home QT_QPA_PLATFORM=offscreen "$build/bench/bench_journal" \
    --server 127.0.0.1 --port "$port" --database "$db" --date "$day" --runs "$runs" \
    --startup-ms "$(IFS=,; echo "${startup[*]}")" --ready-ms "$(IFS=,; echo "${ready[*]}")" \
    || status=$?

# The entry editor on the same large day. The records it changes need a requisition line; they
# get one here as history written before the database kept the lines' need (the clerk's login may
# not move a record to another line).
psql_ <<SQL
SET session_replication_role = replica;
UPDATE accounts_dep.smena s SET id_doc_item = (SELECT min(ri.id) FROM mnf_doc.requisition_item ri
                                               WHERE ri.id_doc = s.id_doc)
WHERE s.id IN (SELECT id FROM accounts_dep.smena WHERE data = DATE '$day' AND smena = 1
               AND ok = 'no' AND brak < kol_vo ORDER BY id LIMIT 2 * $runs);
SQL
XDG_CONFIG_HOME=$home XDG_RUNTIME_DIR=$home QT_QPA_PLATFORM=offscreen "$build/bench/bench_entry" \
    --date "$day" --runs "$runs" || status=$?

# The record history: a save with and without it, and its window on a few hundred thousand
# history rows of the large day's records (TABEL_BENCH_HISTORY_ROWS, 300,000 by default).
psql_ -v day="$day" -v rows="${TABEL_BENCH_HISTORY_ROWS:-300000}" -f bench/history_rows.sql
XDG_CONFIG_HOME=$home XDG_RUNTIME_DIR=$home QT_QPA_PLATFORM=offscreen "$build/bench/bench_history" \
    --date "$day" --runs "$runs" --server 127.0.0.1 --port "$port" --database "$db" || status=$?

# Resident memory: every window created, a login, the large day's journal shown and scrolled.
XDG_CONFIG_HOME=$home XDG_RUNTIME_DIR=$home QT_QPA_PLATFORM=offscreen "$build/bench/bench_memory" \
    --date "$day" || status=$?

# The workers summary over the large day: 10,000 rows of its query, one per worker.
XDG_RUNTIME_DIR=$home QT_QPA_PLATFORM=offscreen "$build/bench/bench_report" \
    --server 127.0.0.1 --port "$port" --database "$db" --from "$day" \
    --to "$(date -d "$day + 1 day" +%F)" --runs "${TABEL_BENCH_REPORT_RUNS:-7}" || status=$?

# A plant ten times the demo, on a cluster of its own (TABEL_BENCH_SCALE=0 leaves it out).
if [ "${TABEL_BENCH_SCALE:-1}" != 0 ]; then
    cleanup
    trap - EXIT
    bench/run_scale.sh || status=$?
fi
exit $status
