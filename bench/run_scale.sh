#!/usr/bin/env bash
# A plant ten times the demo: the figures of the journal, the timesheet, the month rebuild, the
# workers summary and the resident memory, each at the demo's size (1×) and at ten times it
# (10×), with their ratio held against linear growth. One throwaway cluster with two databases
# of the demo plant, each with its share of generated data:
#   1×:  a day of 3,000 shift-1 records (3,000 more employees), a month of 300 more workers in
#        three shifts, a second day of 10,000 records for the workers summary, and a rebuild of
#        300 workers × 3 shifts × 31 days in a database of its own;
#   10×: 30,000, 3,000, 100,000 and 3,000.
#   bench/run_scale.sh           builds into $TABEL_BENCH_BUILD (default build/) and runs
#   TABEL_BENCH_RUNS=7           runs per figure (the workers summary and the rebuild: 3)
# Exit status 1 when an aim is missed. Never part of the test run.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
build="${TABEL_BENCH_BUILD:-build}"
runs="${TABEL_BENCH_RUNS:-7}"
few="${TABEL_BENCH_FEW_RUNS:-3}"
day=2027-01-15    # the journal's day; no demo record falls on it
summary=2027-01-16 # the workers summary's day
benches=(bench_scale_journal bench_timesheet bench_rebuild bench_report bench_memory)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TABEL_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" $(printf -- '--target %s ' "${benches[@]}")

port=$(scripts/pg.sh free-port 26900)
work=$(mktemp -d /tmp/tabel-bench-scale.XXXXXX)
chmod 755 "$work" # the cluster inside belongs to postgres when run as root
cleanup() {
    scripts/pg.sh stop "$work/cluster" || true
    rm -rf "$work"
}
trap cleanup EXIT
cluster=$work/cluster
scripts/pg.sh start "$cluster" "$port"
mkdir -m 700 "$work/run"
scripts/load_db.sh "$cluster" "$port" tabel_template # the rebuild's own databases come from it

for k in 1 10; do
    db=tabel_scale$k
    echo "Загрузка ${k}×: демо-завод, $((3000 * k)) записей за $day," \
        "$((300 * k)) работников в табеле, $((10000 * k)) записей за $summary"
    scripts/load_db.sh "$cluster" "$port" "$db" demo
    psql_=(psql -X -q -v ON_ERROR_STOP=1 -h "$cluster" -p "$port" -U tabel_admin -d "$db")
    "${psql_[@]}" -v workers=$((300 * k)) -f bench/timesheet_month.sql
    "${psql_[@]}" -v day=$day -v persons=$((3000 * k)) -v records=$((3000 * k)) \
        -f bench/big_day.sql
    "${psql_[@]}" -v day=$summary -v persons=0 -v records=$((10000 * k)) -f bench/big_day.sql
    # The program's own config file points at this database with the stored account.
    mkdir -p "$work/home$k/tabel"
    printf '[General]\nserver=127.0.0.1\nport=%s\ndatabase=%s\nlogin=wvk\npassword=wuvbzad\n' \
        "$port" "$db" >"$work/home$k/tabel/tabel.conf"
done

# Each benchmark runs at 1× and then at 10×, so a load that comes and goes on the machine
# weighs on both sizes alike. Their own aims are theirs; the table below holds the ratios.
at() {
    local k=$1
    shift
    echo
    echo "=== ${k}×: $(basename "$1") ==="
    TABEL_BENCH_FIGURES=$work/figures$k XDG_CONFIG_HOME=$work/home$k XDG_RUNTIME_DIR=$work/run \
        QT_QPA_PLATFORM=offscreen "$@" || echo "(код завершения $?)"
}
for k in 1 10; do
    at $k "$build/bench/bench_scale_journal" --server 127.0.0.1 --port "$port" \
        --database tabel_scale$k --date $day --runs "$runs"
done
for k in 1 10; do
    at $k "$build/bench/bench_timesheet" --server 127.0.0.1 --port "$port" \
        --database tabel_scale$k --runs "$runs"
done
for k in 1 10; do
    at $k "$build/bench/bench_rebuild" --server 127.0.0.1 --port "$port" --login tabel_admin \
        --password tabel_admin --template tabel_template --runs "$few" \
        --workers $((300 * k)) --no-old
done
for k in 1 10; do
    at $k "$build/bench/bench_report" --server 127.0.0.1 --port "$port" \
        --database tabel_scale$k --from $summary --to "$(date -d "$summary + 1 day" +%F)" \
        --runs "$few"
done
for k in 1 10; do
    at $k "$build/bench/bench_memory" --date $day --limit 300
done

# The table. Kinds of aim: "lin" ten times the work in at most 11 times the time; "nlogn" a
# sort of ten times the rows within 1.1 × 10n·log(10n) / (n·log n); "same" the same work
# (a frame, a page) in at most 1.1 times the time; "mb" at most 300 MB at 10×; "floor" the
# journal's open at most 1.15 times the driver's floor at 10×; "count" and "info" are shown
# without an aim.
table=("journal.rows|count|журнал смены 1, строк"
       "journal.open|lin|журнал: открытие"
       "journal.floor|info|журнал: нижняя граница драйвера (тот же запрос)"
       "journal.open_floor|floor|журнал: открытие / нижняя граница, раз"
       "journal.sort.first|nlogn|журнал: первая сортировка по ФИО после открытия")
for c in 0 1 2 3 6 8 10 11 12; do
    table+=("journal.sort.${c}a|nlogn|журнал: сортировка по столбцу $c, по возрастанию"
            "journal.sort.${c}d|nlogn|журнал: сортировка по столбцу $c, по убыванию")
done
table+=("workers.rows|count|список работников, строк"
        "workers.filter.on|lin|работники: фильтр «Ива%»"
        "workers.filter.narrowed|lin|работники: фильтр уточнён до «Иван%»"
        "workers.filter.off|lin|работники: снятие фильтра"
        "timesheet.rows|count|табель: строк трёх смен"
        "timesheet.open|lin|табель: открытие месяца"
        "timesheet.frame|same|табель: кадр прокрутки (медиана кадров)"
        "timesheet.export|lin|табель: выгрузка в Excel"
        "rebuild.records|count|перестроение: записей смен за месяц"
        "rebuild|lin|перестроение месяца"
        "rebuild.set_based|info|  для сравнения: один set-based оператор"
        "report.rows|count|сводка по рабочим: строк запроса"
        "report.pages|count|сводка по рабочим: страниц"
        "report.open|info|сводка: открытие запроса t_Report"
        "report.prepare|lin|сводка: подготовка страниц"
        "report.pdf_page|same|сводка: PDF, на страницу"
        "memory.rows|count|память: записей журнала за день (четыре смены)"
        "memory.opened|info|память: журнал открыт и пролистан, МБ"
        "memory.peak|mb|память: пик, МБ")
echo
echo "Десять раз демо-завод (мс, если не сказано иное; медианы)"
# The figures are written in the C form whatever the locale; awk reads them so.
printf '%s\n' "${table[@]}" | LC_ALL=C awk -F'|' -v one="$work/figures1" -v ten="$work/figures10" '
    function load(file, into,    line, eq) {
        while ((getline line < file) > 0) {
            eq = index(line, "=")
            into[substr(line, 1, eq - 1)] = substr(line, eq + 1) + 0
        }
    }
    function num(v) {
        if (v == "")
            return "—"
        v += 0
        return v == int(v) ? sprintf("%d", v) : sprintf(v < 10 ? "%.2f" : "%.1f", v)
    }
    # Right-aligned to w letters: awk may count the bytes of a UTF-8 text.
    function pad(s, w,    bytes) {
        bytes = s
        w += gsub(/[\200-\277]/, "", bytes)
        return sprintf("%" w "s", s)
    }
    BEGIN {
        load(one, a); load(ten, b)
        printf "%s %s %s %s %s  %s\n", pad("1×", 9), pad("10×", 9), pad("10×/1×", 7),
               pad("цель", 9), pad("итог", 4), "показатель"
    }
    {
        key = $1; kind = $2; x = a[key]; y = b[key]
        ratio = (x > 0 && y != "") ? sprintf("%.2f", y / x) : "—"
        aim = ""; ok = 1
        if (kind == "lin") { limit = 11; aim = "≤ 11" }
        else if (kind == "same") { limit = 1.1; aim = "≤ 1,1" }
        else if (kind == "nlogn") {
            n = a["journal.rows"]; m = b["journal.rows"]
            limit = (n > 1 && m > 1) ? 1.1 * m * log(m) / (n * log(n)) : 0
            aim = sprintf("≤ %.1f", limit)
        } else if (kind == "mb") { aim = "≤ 300 МБ" }
        else if (kind == "floor") { aim = "≤ 1,15" }
        if (aim != "") {
            if (x == "" || y == "") ok = 0
            else if (kind == "mb") ok = y <= 300
            else if (kind == "floor") ok = y <= 1.15
            else ok = x > 0 && y / x <= limit
            if (!ok) ++failed
        }
        printf "%s %s %s %s %s  %s\n", pad(num(x), 9), pad(num(y), 9), pad(ratio, 7), pad(aim, 9),
               pad(aim == "" ? "" : ok ? "да" : "НЕТ", 4), $3
    }
    END {
        print ""
        print failed ? "Не достигнуто целей: " failed : "Все цели достигнуты"
        exit failed ? 1 : 0
    }'
