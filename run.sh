#!/usr/bin/env bash
# Installs what is missing, builds the program, starts the local demo database and opens Tabel
# on it with every command shown (TABEL_SHOW_HIDDEN_COMMANDS=1, see the README).
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)
scripts/setup.sh
# The program alone, in a folder of its own: ./test.sh builds the tests into build/.
scripts/build.sh build-run tabel

# PostgreSQL runs as the postgres user when we are root, and root's home is closed to it.
if [ "$(id -u)" -eq 0 ]; then
    home=/var/lib/tabel
else
    home="${XDG_DATA_HOME:-$HOME/.local/share}/tabel"
fi
pgdata="$home/pgdata"
mkdir -p "$home"
port=$(cat "$home/port" 2>/dev/null || echo 5433)
if pg_isready -q -h "$pgdata" -p "$port" 2>/dev/null; then
    # Running already, perhaps started by an older run.sh without flushing to disk.
    scripts/pg.sh durable "$pgdata"
else
    # Not running (first start, or after a reboot): start it, on its old port when still free.
    port=$(scripts/pg.sh free-port "$port")
    echo "$port" >"$home/port"
    scripts/pg.sh start "$pgdata" "$port" durable
fi
if ! psql -X -h "$pgdata" -p "$port" -U tabel_admin -d postgres -tAc \
        "select 1 from pg_database where datname='tabel_demo'" | grep -q 1; then
    echo "Создаётся демонстрационная база tabel_demo..."
    scripts/load_db.sh "$pgdata" "$port" tabel_demo demo
else
    # Made by an earlier version perhaps: it takes this version's rules and keeps its rows.
    psql -X -q -v ON_ERROR_STOP=1 -h "$pgdata" -p "$port" -U tabel_admin -d tabel_demo \
        -f schema/upgrade.sql >/dev/null
fi
echo "Запускается Tabel на демонстрационной базе tabel_demo (127.0.0.1:$port)."
echo "Вход: логин wvk, пароль wuvbzad (или 4739, начальный текст поля пароля, он же код"
echo "доступа); другие демонстрационные логины (senior, clerk, checker, plonta...) в README.md."
echo "База в psql: psql -h 127.0.0.1 -p $port -U tabel_admin tabel_demo (пароль tabel_admin)."
TABEL_SHOW_HIDDEN_COMMANDS=1 exec build-run/tabel "127.0.0.1:$port" tabel_demo
