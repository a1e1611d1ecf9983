#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test against a throwaway PostgreSQL cluster.
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)
scripts/setup.sh
TABEL_CMAKE_ARGS="${TABEL_CMAKE_ARGS:-} -DTABEL_WERROR=ON" scripts/build.sh

pgdir=$(mktemp -d /tmp/tabel-test.XXXXXX)
chmod 755 "$pgdir"
cleanup() { "$top/scripts/pg.sh" stop "$pgdir/data"; rm -rf "$pgdir"; }
trap cleanup EXIT
port=$(scripts/pg.sh free-port 25432)
scripts/pg.sh start "$pgdir/data" "$port"
# The template every writing test clones, and one with the demo plant in it.
scripts/load_db.sh "$pgdir/data" "$port" tabel_template
scripts/load_db.sh "$pgdir/data" "$port" tabel_demo demo

export TABEL_TEST_HOST=127.0.0.1 TABEL_TEST_PORT=$port TABEL_TEST_SOCKET="$pgdir/data"
export TABEL_TEST_ADMIN=tabel_admin TABEL_TEST_ADMIN_PASSWORD=tabel_admin
export TABEL_TEST_TEMPLATE=tabel_template TABEL_TEST_DEMO=tabel_demo
export TABEL_TEST_PGCTL="$top/scripts/pg.sh"
# The tests' configuration, data and error log stay in the throwaway folder, not the user's.
export XDG_CONFIG_HOME="$pgdir/config" XDG_DATA_HOME="$pgdir/data-home" XDG_STATE_HOME="$pgdir/state"
cd build
ctest --output-on-failure -j2
