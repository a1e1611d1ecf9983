#!/usr/bin/env bash
# Installs the Debian packages Tabel needs to build, test and run. Quiet when all are there.
set -euo pipefail
PKGS=(g++ cmake ninja-build qt6-base-dev libqt6sql6-odbc unixodbc unixodbc-dev odbc-postgresql
      postgresql-15 libxlsxwriter-dev fonts-liberation xvfb xauth python3-openpyxl poppler-utils)
missing=()
for p in "${PKGS[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Устанавливаются пакеты: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
