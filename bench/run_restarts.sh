#!/usr/bin/env bash
# A server that restarts mid-work, window by window: runs every restart case of the program (the
# tests named *_reconnect, which restart the server between two of a user's actions or during
# one) against a throwaway cluster of its own and prints one line per case: the window, the
# case, its result and how long it took, restarts included.
#   bench/run_restarts.sh          builds into $TABEL_BENCH_BUILD (default build/) and runs
# Never part of the test run.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
build="${TABEL_BENCH_BUILD:-build}"

cases=()
for src in tests/*/tst_*_reconnect.cpp tests/db/tst_db_connection.cpp; do
    cases+=("$(basename "$src" .cpp)")
done
targets=()
for c in "${cases[@]}"; do targets+=(--target "$c"); done
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TABEL_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" "${targets[@]}"

port=$(scripts/pg.sh free-port 26900)
work=$(mktemp -d /tmp/tabel-restarts.XXXXXX)
chmod 755 "$work"
cleanup() {
    scripts/pg.sh stop "$work/data" || true
    rm -rf "$work"
}
trap cleanup EXIT
scripts/pg.sh start "$work/data" "$port"
scripts/load_db.sh "$work/data" "$port" tabel_template
scripts/load_db.sh "$work/data" "$port" tabel_demo demo
export TABEL_TEST_HOST=127.0.0.1 TABEL_TEST_PORT=$port TABEL_TEST_SOCKET="$work/data"
export TABEL_TEST_ADMIN=tabel_admin TABEL_TEST_ADMIN_PASSWORD=tabel_admin
export TABEL_TEST_TEMPLATE=tabel_template TABEL_TEST_DEMO=tabel_demo
export TABEL_TEST_PGCTL="$top/scripts/pg.sh"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data-home"
export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8

failed=0
for c in "${cases[@]}"; do
    # One after another: each case restarts the one server.
    "$build/tests/$c" -o "$work/$c.xml,junitxml" -o "$work/$c.txt,txt" >/dev/null 2>&1 || failed=1
done

python3 - "$work" "${cases[@]}" <<'PY'
import sys, xml.etree.ElementTree as ET
work, cases = sys.argv[1], sys.argv[2:]
windows = {
    "tst_journal_reconnect": "журнал (TForm1)",
    "tst_entry_reconnect": "редактор записи (TForm11)",
    "tst_material_reconnect": "расход ТМЦ (TForm24)",
    "tst_timesheet_reconnect": "табель (TForm19)",
    "tst_report_reconnect": "отчеты (TForm18, TForm12)",
    "tst_directory_reconnect": "справочники",
    "tst_process_reconnect": "техпроцессы (TForm4, TForm10)",
    "tst_db_connection": "соединение (db)",
}
total = bad = 0
print(f"{'окно':32} {'случай':58} {'итог':6} {'с':>6}")
for c in cases:
    try:
        root = ET.parse(f"{work}/{c}.xml").getroot()
    except (OSError, ET.ParseError):
        print(f"{windows.get(c, c):32} {'(не запустился)':58} {'СБОЙ':6}")
        bad += 1
        continue
    for tc in root.iter("testcase"):
        name = tc.get("name")
        if name in ("initTestCase", "cleanupTestCase"):
            continue
        if c == "tst_db_connection" and "econnect" not in name and "ost" not in name:
            continue  # the connection's other cases do not restart the server
        ok = tc.find("failure") is None and tc.find("error") is None
        total += 1
        bad += 0 if ok else 1
        print(f"{windows.get(c, c):32} {name:58} {'да' if ok else 'СБОЙ':6} "
              f"{float(tc.get('time') or 0):6.2f}")
print(f"\nслучаев: {total}, со сбоем: {bad}")
PY
exit $failed
