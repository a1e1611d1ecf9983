#!/usr/bin/env bash
# Builds the Debian package tabel_<version>_<arch>.deb into build-package/ (a build of its own,
# so build/ keeps its settings) and prints its path. Built as build/ is (the same compiler
# flags let ccache share the work); the package strips the debug information.
set -euo pipefail
cd "$(dirname "$0")/.."
out=build-package
cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TABEL_CMAKE_ARGS:-} >/dev/null
cmake --build "$out" --target tabel -j"$(nproc)"
(cd "$out" && cpack -G DEB --config CPackConfig.cmake >/dev/null)
ls "$out"/tabel_*.deb
