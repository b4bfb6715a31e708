#!/bin/sh
# Builds the Debian package of the terminal, q275-cli and q275-sim the Debian way (debian/,
# debhelper, dpkg-buildpackage -us -uc -b) and prints the package's path:
#
#   tools/package.sh [BUILD_DIR]      (default build-package)
#
# The sources are copied into BUILD_DIR/source with their times, and the build folder beside
# them (build-deb) is kept, so that the next run builds only what changed. The package, its
# debug symbols (q275-terminal-dbgsym) and dpkg-buildpackage's .buildinfo and .changes land
# in BUILD_DIR; the log of the build is BUILD_DIR/build.log. Install the package with
#   apt-get install ./q275-terminal_*.deb
# which also brings what it depends on: the Qt libraries the programs link and
# qt6-translations-l10n (Qt's own dialogs in Russian). DEB_BUILD_OPTIONS is honoured as
# Debian's tools honour it (noopt, nostrip, noautodbgsym, parallel=N).
set -e
cd "$(dirname "$0")/.."
./tools/install-deps.sh
B=${1:-build-package}
mkdir -p "$B/source"
B=$(cd "$B" && pwd)
S=$B/source

# The sources afresh (a file removed from the tree goes from the copy too), the build kept.
find "$S" -mindepth 1 -maxdepth 1 ! -name build-deb -exec rm -rf {} +
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files --cached --others --exclude-standard
else
    find . -path './build*' -prune -o -type f -print
fi | while IFS= read -r f; do [ -f "$f" ] && printf '%s\n' "$f"; done |
    tar -cf - -T - | tar -xf - -C "$S"

rm -f "$B"/q275-terminal*.deb "$B"/q275-terminal*.ddeb "$B"/q275-terminal_*.buildinfo \
    "$B"/q275-terminal_*.changes
# As many compilers as cores, unless DEB_BUILD_OPTIONS says otherwise (debhelper runs one).
case " ${DEB_BUILD_OPTIONS:-} " in
*" parallel="*) ;;
*) DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:+$DEB_BUILD_OPTIONS }parallel=$(nproc 2>/dev/null || echo 1)" ;;
esac
export DEB_BUILD_OPTIONS
# -nc: no clean before the build, which would remove the kept build folder.
(cd "$S" && dpkg-buildpackage -us -uc -b -nc) >"$B/build.log" 2>&1 ||
    { tail -n 60 "$B/build.log"; exit 1; }
ls "$B"/q275-terminal_*.deb
