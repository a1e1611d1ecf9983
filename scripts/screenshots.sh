#!/usr/bin/env bash
# Makes the README's pictures in docs/ under Xvfb, on a throwaway demo database, with every
# command shown as in the demo of ./run.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
scripts/setup.sh
scripts/build.sh build tabel_screenshots
tmp=$(mktemp -d /tmp/tabel-shots.XXXXXX)
chmod 755 "$tmp"
trap 'scripts/pg.sh stop "$tmp/data"; rm -rf "$tmp"' EXIT
port=$(scripts/pg.sh free-port 25800)
scripts/pg.sh start "$tmp/data" "$port"
scripts/load_db.sh "$tmp/data" "$port" tabel_demo demo
mkdir -p docs
TABEL_SHOW_HIDDEN_COMMANDS=1 XDG_CONFIG_HOME="$tmp/config" xvfb-run -a -s "-screen 0 1280x800x24" \
    build/tabel_screenshots "127.0.0.1:$port" tabel_demo "$top/docs" senior senior
echo "docs/login.png docs/journal.png docs/calendar.png docs/personnel.png docs/question.png docs/process_operations.png docs/entry_editor.png docs/material.png docs/history.png"
