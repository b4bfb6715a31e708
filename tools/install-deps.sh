#!/bin/sh
# Installs the Debian 12 packages the terminal and its tests need, when any is missing.
# Quiet when everything is already there.
set -e
# qt6-translations-l10n: Qt's own texts in Russian, which the terminal loads at start.
# qt6-tools-dev (CMake's Qt6LinguistTools) and qt6-l10n-tools (lupdate, lrelease): the
# program's English translation, built from translations/*.ts.
# The install check validates the menu entry, the AppStream file and the MIME type
# (update-mime-database, xmllint), and makes the Debian package the Debian way (debhelper,
# dpkg-dev's dpkg-buildpackage) and checks it with lintian; bash-completion is where the
# completion of q275-cli is installed and tried.
PKGS="cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev qt6-base-dev-tools \
qt6-serialport-dev qt6-image-formats-plugins qt6-translations-l10n qt6-tools-dev qt6-l10n-tools \
libgl-dev xvfb xauth \
desktop-file-utils appstream shared-mime-info libxml2-utils dpkg-dev \
debhelper lintian bash-completion"
missing=""
for p in $PKGS; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
