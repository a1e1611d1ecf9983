#!/usr/bin/env bash
# A local PostgreSQL cluster in a folder of our own, on loopback.
#   pg.sh start DIR PORT [durable]   creates the cluster on first use, then starts it
#   pg.sh durable DIR                makes a (running) cluster write safely from now on
#   pg.sh stop DIR
#   pg.sh free-port FROM             prints the first free TCP port from FROM upwards
# Test clusters take ports below 32768, where the kernel hands out no ports to outgoing
# connections, so the port found free is still free when the server binds it.
# Throwaway clusters (tests, benchmarks) skip flushing to disk for speed: a power cut may
# corrupt them, which does not matter there. A cluster that keeps what users type (the demo of
# ./run.sh) is started "durable": fsync, full_page_writes and synchronous_commit on.
# PostgreSQL refuses to run as root, so as root the cluster belongs to the postgres user.
set -euo pipefail
BIN=/usr/lib/postgresql/15/bin
as_owner() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
# A port is taken when something listens on it, and also when any socket, an outgoing
# connection's own end among them, holds it: the server could not bind it then either.
port_taken() {
    local hex
    hex=$(printf ':%04X ' "$1")
    grep -qs -- "$hex" /proc/net/tcp /proc/net/tcp6 && return 0
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}
# Writes the durability settings of the cluster in DIR, replacing earlier ones: on or off.
durability() {
    local conf=$1/postgresql.conf value=$2
    sed -i -E '/^(fsync|synchronous_commit|full_page_writes) = /d' "$conf"
    printf 'fsync = %s\nsynchronous_commit = %s\nfull_page_writes = %s\n' \
        "$value" "$value" "$value" >>"$conf"
}
case "${1:-}" in
start)
    dir=$2 port=$3
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres:postgres "$dir"
    if [ ! -f "$dir/PG_VERSION" ]; then
        pwfile=$(mktemp); echo "tabel_admin" >"$pwfile"; chmod 644 "$pwfile"
        as_owner "$BIN/initdb" -D "$dir" -U tabel_admin --pwfile="$pwfile" -E UTF8 \
            --locale=C.UTF-8 --auth-local=trust --auth-host=scram-sha-256 >/dev/null
        rm -f "$pwfile"
        cat >>"$dir/postgresql.conf" <<CONF
listen_addresses = '127.0.0.1'
unix_socket_directories = '$dir'
max_connections = 200
CONF
    fi
    if [ "${4:-}" = durable ]; then durability "$dir" on; else durability "$dir" off; fi
    sed -i "s/^port = .*//" "$dir/postgresql.conf"
    echo "port = $port" >>"$dir/postgresql.conf"
    as_owner "$BIN/pg_ctl" -D "$dir" -l "$dir/server.log" -w -t 60 start >/dev/null
    ;;
durable)
    dir=$2
    durability "$dir" on
    if [ -f "$dir/postmaster.pid" ]; then
        # All three take effect on reload; then what was written without flushing is flushed.
        as_owner "$BIN/pg_ctl" -D "$dir" reload >/dev/null
        sync
    fi
    ;;
stop)
    dir=$2
    [ -f "$dir/postmaster.pid" ] && as_owner "$BIN/pg_ctl" -D "$dir" -m fast -w stop >/dev/null || true
    ;;
restart)
    dir=$2
    as_owner "$BIN/pg_ctl" -D "$dir" -m fast -w -l "$dir/server.log" restart >/dev/null
    ;;
free-port)
    p=$2
    while port_taken "$p"; do p=$((p + 1)); done
    echo "$p"
    ;;
*) echo "usage: pg.sh start DIR PORT [durable] | durable DIR | stop DIR | restart DIR |" \
        "free-port FROM" >&2; exit 2 ;;
esac
