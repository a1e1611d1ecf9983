#!/usr/bin/env bash
# Makes docs/summary_export.png under Xvfb, on a throwaway demo database: the summary export of
# the demo plant's November, read back from the saved workbook and drawn as a spreadsheet shows it.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
scripts/setup.sh
scripts/build.sh build tabel_screenshot_export
tmp=$(mktemp -d /tmp/tabel-shots.XXXXXX)
chmod 755 "$tmp"
trap 'scripts/pg.sh stop "$tmp/data"; rm -rf "$tmp"' EXIT
port=$(scripts/pg.sh free-port 25900)
scripts/pg.sh start "$tmp/data" "$port"
scripts/load_db.sh "$tmp/data" "$port" tabel_demo demo
mkdir -p docs
XDG_CONFIG_HOME="$tmp/config" xvfb-run -a -s "-screen 0 1280x800x24" \
    build/tabel_screenshot_export "127.0.0.1:$port" tabel_demo "$top/docs/summary_export.png" \
    senior senior
echo "docs/summary_export.png"
