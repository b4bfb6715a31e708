#!/bin/sh
# Builds the Debian package of the terminal, q275-cli and q275-sim from a release build:
#
#   tools/package.sh [BUILD_DIR]      (default build-package)
#
# and prints the package's path. Install it with  apt-get install ./q275-terminal_*.deb
# which also brings what the package depends on: the Qt libraries the programs link and
# qt6-translations-l10n (Qt's own dialogs in Russian).
set -e
cd "$(dirname "$0")/.."
./tools/install-deps.sh
B=${1:-build-package}
cmake -S . -B "$B" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DQ275_BENCH=OFF >/dev/null
cmake --build "$B" -j "$(nproc 2>/dev/null || echo 2)" >"$B/build.log" 2>&1 || { cat "$B/build.log"; exit 1; }
(cd "$B" && cpack -G DEB >cpack.log 2>&1) || { cat "$B/cpack.log"; exit 1; }
(cd "$B" && ls "$PWD"/q275-terminal_*.deb)
