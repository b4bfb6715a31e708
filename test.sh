#!/bin/sh
# Installs what is needed, builds, and runs every test through CTest.
set -e
cd "$(dirname "$0")"
./tools/install-deps.sh
export QT_QPA_PLATFORM=offscreen
JOBS=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build -j "$JOBS" >build/build.log 2>&1 || { cat build/build.log; exit 1; }
ctest --test-dir build -j "$JOBS" --output-on-failure
