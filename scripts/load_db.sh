#!/usr/bin/env bash
# Loads a database into a running local cluster.
#   load_db.sh SOCKETDIR PORT DBNAME [demo]
# Creates the demo logins (once per cluster), the database with the whole schema, and with
# "demo" the demo plant's data as well.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
sock=$1 port=$2 name=$3 demo=${4:-}
psql_() { psql -X -q -v ON_ERROR_STOP=1 -h "$sock" -p "$port" -U tabel_admin "$@"; }
psql_ -d postgres -f "$top/schema/roles.sql" >/dev/null
psql_ -d postgres -c "CREATE DATABASE \"$name\" ENCODING 'UTF8' TEMPLATE template0" >/dev/null
psql_ -d "$name" -f "$top/schema/install.sql" >/dev/null
psql_ -d "$name" -f "$top/schema/rules.sql" >/dev/null
psql_ -d "$name" -f "$top/schema/history.sql" >/dev/null
psql_ -d "$name" -f "$top/schema/grants.sql" >/dev/null
if [ "$demo" = demo ]; then
    psql_ -d "$name" -f "$top/schema/demo.sql" >/dev/null
fi
