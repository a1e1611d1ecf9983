#!/usr/bin/env bash
# Installs the Debian packages Tabel needs to build, test and run. Quiet when all are there.
set -euo pipefail
# qt6-translations-l10n: Qt's own texts (message box buttons, calendars, edit menus) in Russian.
# locales: the office machines' ru_RU.UTF-8, under which the tests run as well.
PKGS=(g++ cmake ninja-build qt6-base-dev qt6-translations-l10n libqt6sql6-odbc unixodbc
      unixodbc-dev odbc-postgresql postgresql-15 libxlsxwriter-dev fonts-liberation xvfb xauth python3-openpyxl
      poppler-utils locales)
missing=()
for p in "${PKGS[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if [ ${#missing[@]} -gt 0 ]; then
    echo "Устанавливаются пакеты: ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
    echo "Создаётся локаль ru_RU.UTF-8"
    $SUDO localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi
