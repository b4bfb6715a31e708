#!/bin/sh
# Installs what is needed, builds, and runs the terminal.
set -e
cd "$(dirname "$0")"
./tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" >build/build.log 2>&1 || { cat build/build.log; exit 1; }
exec ./build/q275-terminal "$@"
