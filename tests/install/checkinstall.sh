#!/bin/sh
# Installs a build into a temporary DESTDIR and checks what lands there: the three
# programs, the menu entry, the icons, the AppStream file, the MIME type of .obd files and
# the manual pages in English and Russian, with desktop-file-validate, appstreamcli, xmllint
# and update-mime-database where they are installed; that the terminal answers --help
# without a display, in English for an English user, and the three programs --version with
# the project's version; then makes the Debian package with tools/package.sh (its build kept
# in BUILD_DIR/package) and checks its contents, version and dependencies, and
# that lintian --pedantic finds no error and no warning.
#
#   tools/checkinstall.sh BUILD_DIR
set -e
B=$(cd "$1" && pwd)
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
ID=ru.veltrona.Q275Terminal

DESTDIR="$T/root" cmake --install "$B" --prefix /usr >"$T/install.log"
(cd "$T/root" && find . -type f | sort) >"$T/got"
{
    printf './usr/bin/%s\n' q275-cli q275-sim q275-terminal
    echo "./usr/share/applications/$ID.desktop"
    echo ./usr/share/bash-completion/completions/q275-cli
    for s in 128 16 256 32 48 64; do echo "./usr/share/icons/hicolor/${s}x$s/apps/$ID.png"; done
    printf './usr/share/man/man1/%s.1.gz\n' q275-cli q275-sim q275-terminal
    printf './usr/share/man/ru/man1/%s.1.gz\n' q275-cli q275-terminal
    echo "./usr/share/metainfo/$ID.metainfo.xml"
    echo "./usr/share/mime/packages/$ID.xml"
} | sort >"$T/want"
if ! diff -u "$T/want" "$T/got"; then
    echo "checkinstall: the installed files differ from the list above" >&2
    exit 1
fi
DESKTOP="$T/root/usr/share/applications/$ID.desktop"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$DESKTOP"
fi
# The menu entry takes the file a file manager hands it, for the type the package defines.
MIME="$T/root/usr/share/mime/packages/$ID.xml"
TYPE=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$MIME")
grep -qx 'Exec=q275-terminal %f' "$DESKTOP" ||
    { echo "checkinstall: the menu entry does not start q275-terminal with %f" >&2; exit 1; }
grep -qx "MimeType=$TYPE;" "$DESKTOP" ||
    { echo "checkinstall: the menu entry does not list the type '$TYPE'" >&2; exit 1; }
if command -v xmllint >/dev/null; then
    xmllint --noout "$MIME"
fi
if command -v update-mime-database >/dev/null; then
    mkdir -p "$T/mime/packages"
    cp "$MIME" "$T/mime/packages/"
    update-mime-database "$T/mime" >"$T/mime.log" 2>&1 || { cat "$T/mime.log"; exit 1; }
    grep -qx "50:$TYPE:\*\.obd" "$T/mime/globs2" ||
        { cat "$T/mime.log"; echo "checkinstall: *.obd is not of the type $TYPE" >&2; exit 1; }
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$T/root/usr/share/metainfo/$ID.metainfo.xml" >"$T/as.log" ||
        { cat "$T/as.log"; exit 1; }
fi
# The programs answer --help and --version before the terminal needs a display (GNU style),
# and an option it does not know ends it with status 2.
TERM_BIN="$T/root/usr/bin/q275-terminal"
VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$B/CMakeCache.txt")
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
for p in q275-cli q275-sim q275-terminal; do
    [ "$(nodisplay "$T/root/usr/bin/$p" --version)" = "$p (Q-275 Terminal) $VERSION" ] ||
        { echo "checkinstall: $p --version does not say $VERSION" >&2; exit 1; }
done
nodisplay "$TERM_BIN" --help | grep -q -- '--version' ||
    { echo "checkinstall: q275-terminal --help does not answer" >&2; exit 1; }
# Its English texts are in the program itself.
nodisplay env LC_ALL=C.UTF-8 LANGUAGE=en "$TERM_BIN" --help | grep -q '^Usage: q275-terminal' ||
    { echo "checkinstall: q275-terminal --help is not in English for an English user" >&2; exit 1; }
status=0
nodisplay "$TERM_BIN" --no-such-option 2>"$T/usage" || status=$?
[ "$status" -eq 2 ] && grep -q -- '--no-such-option' "$T/usage" ||
    { echo "checkinstall: an unknown option ends q275-terminal with $status" >&2; exit 1; }
# A program's --help and its manual page name the same options: the English help the English
# page, the Russian help the Russian one (q275-sim speaks English only).
options() { grep -oE -- '(^|[ [(,"])--?[a-z][a-z-]*' | sed 's/^[^-]*//' | sort -u; }
for page in en/q275-cli en/q275-sim en/q275-terminal ru/q275-cli ru/q275-terminal; do
    lang=${page%%/*} p=${page#*/} dir=man1
    [ "$lang" = ru ] && dir=ru/man1
    LC_ALL=C.UTF-8 LANGUAGE=$lang "$T/root/usr/bin/$p" --help | options >"$T/help"
    zcat "$T/root/usr/share/man/$dir/$p.1.gz" | sed 's/\\-/-/g; s/\\f[BIR]//g' | options >"$T/man"
    diff -u "$T/help" "$T/man" || { echo "checkinstall: $page.1 and --help differ" >&2; exit 1; }
done

# The package is built as tools/package.sh builds it, in the build folder, unoptimised and
# without its debug-symbol package to stay quick: its files and metadata are the same.
SRC=$(cd "$(dirname "$0")/../.." && pwd)
deb=$(DEB_BUILD_OPTIONS="noopt noautodbgsym" "$SRC/tools/package.sh" "$B/package" | tail -n 1)
# GCC, the compiler Debian builds with, compiles every file here: it warns of nothing.
! grep -E 'warning:' "$B/package/build.log" || { echo "checkinstall: the package build warns" >&2; exit 1; }
{ cat "$T/want"; printf './usr/share/doc/q275-terminal/%s\n' changelog.gz copyright; } | sort >"$T/debwant"
dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sort >"$T/debgot"
diff -u "$T/debwant" "$T/debgot" || { echo "checkinstall: the package holds other files" >&2; exit 1; }
[ "$(dpkg-deb -f "$deb" Version)" = "$VERSION" ] ||
    { echo "checkinstall: the package's version is not $VERSION" >&2; exit 1; }
for dep in libqt6core6 libqt6serialport6 libqt6widgets6 qt6-translations-l10n; do
    dpkg-deb -f "$deb" Depends | grep -q "$dep" ||
        { echo "checkinstall: the package does not depend on $dep" >&2; exit 1; }
done
lintian --pedantic "$deb" >"$T/lintian" 2>&1 || true
! grep -E '^[EW]: ' "$T/lintian" || { echo "checkinstall: lintian finds the above" >&2; exit 1; }
echo "checkinstall: $(wc -l <"$T/want") files installed and packaged as listed"
