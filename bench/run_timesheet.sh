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

port=$(scripts/pg.sh free-port 56700)
cluster=$(mktemp -d /tmp/tabel-bench-timesheet.XXXXXX)
home=$(mktemp -d /tmp/tabel-bench-home.XXXXXX)
cleanup() {
    scripts/pg.sh stop "$cluster" || true
    rm -rf "$cluster" "$home"
}
trap cleanup EXIT
scripts/pg.sh start "$cluster" "$port"
scripts/load_db.sh "$cluster" "$port" "$db" demo
psql -X -q -v ON_ERROR_STOP=1 -h "$cluster" -p "$port" -U tabel_admin -d "$db" <<'SQL'
INSERT INTO cmn_contractor.person (s_caption, id_staffpos, id_department, id_role, b_employee)
SELECT (ARRAY['Иванов', 'Петров', 'Сидоров', 'Кузнецов', 'Смирнов', 'Попов', 'Васильев',
              'Соколов', 'Михайлов', 'Новиков'])[1 + i % 10] || ' ' ||
       substr('АБВГДЕЖЗИКЛМНОПРСТ', 1 + i % 18, 1) || '.' ||
       substr('АБВГДЕЖЗИКЛМНОПРСТ', 1 + (i / 18) % 18, 1) || '. ' || i,
       p.id_staffpos, p.id_department, p.id_role, true
FROM generate_series(1, 1000) i
CROSS JOIN LATERAL (SELECT * FROM cmn_contractor.person WHERE id = 1) p;
-- Weekdays of 8 hours, some long days and some days off, in every shift.
INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, d1, d2, d3, d4, d5, d6, d7, d8, d9,
    d10, d11, d12, d13, d14, d15, d16, d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27,
    d28, d29, d30, d31)
SELECT p.id, s, 1, 2027, VARIADIC_days.*
FROM (SELECT id, row_number() OVER (ORDER BY id) k FROM cmn_contractor.person
      ORDER BY id DESC LIMIT 1000) p
CROSS JOIN generate_series(1, 3) s
CROSS JOIN LATERAL (SELECT
    (array_agg(CASE WHEN extract(isodow FROM DATE '2027-01-01' + d - 1) >= 6 THEN 0
                    WHEN (p.k + d + s) % 11 = 0 THEN 10 ELSE 8 END ORDER BY d))
    AS a FROM generate_series(1, 31) d) h
CROSS JOIN LATERAL (SELECT h.a[1], h.a[2], h.a[3], h.a[4], h.a[5], h.a[6], h.a[7], h.a[8],
    h.a[9], h.a[10], h.a[11], h.a[12], h.a[13], h.a[14], h.a[15], h.a[16], h.a[17], h.a[18],
    h.a[19], h.a[20], h.a[21], h.a[22], h.a[23], h.a[24], h.a[25], h.a[26], h.a[27], h.a[28],
    h.a[29], h.a[30], h.a[31]) VARIADIC_days;
ANALYZE;
SQL
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
