#!/usr/bin/env bash
# Makes docs/timesheet.png, docs/report_preview.png and docs/report_continued.png under Xvfb,
# on a throwaway demo database.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TABEL_CMAKE_ARGS:-} >/dev/null
cmake --build build --target tabel_screenshots_reports
tmp=$(mktemp -d /tmp/tabel-shots.XXXXXX)
chmod 755 "$tmp"
trap 'scripts/pg.sh stop "$tmp/data"; rm -rf "$tmp"' EXIT
port=$(scripts/pg.sh free-port 25850)
scripts/pg.sh start "$tmp/data" "$port"
scripts/load_db.sh "$tmp/data" "$port" tabel_demo demo
mkdir -p docs
XDG_CONFIG_HOME="$tmp/config" xvfb-run -a -s "-screen 0 1280x800x24" \
    build/tabel_screenshots_reports "127.0.0.1:$port" tabel_demo "$top/docs" senior senior
echo "docs/timesheet.png docs/report_preview.png docs/report_continued.png"
