#!/bin/sh
# Fails when a text of the program has no finished translation, or when the translation file
# is stale: lupdate brings a copy of it up to the sources (a text new there comes in
# unfinished, one they no longer have goes), the copy must equal the file in the tree, and
# lrelease must find every text of it finished.
#
#   checkts.sh LUPDATE LRELEASE FILE.ts LUPDATE-OPTIONS-AND-SOURCES...
set -e
LUPDATE=$1
LRELEASE=$2
TS=$3
shift 3
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
cp "$TS" "$T/copy.ts"
"$LUPDATE" "$@" -ts "$T/copy.ts" >"$T/lupdate.log" 2>&1 || { cat "$T/lupdate.log"; exit 1; }
if ! cmp -s "$TS" "$T/copy.ts"; then
    cat "$T/lupdate.log"
    diff -u "$TS" "$T/copy.ts" | head -n 60
    echo "checkts: $TS is not up to the sources: build the target update_translations" >&2
    exit 1
fi
"$LRELEASE" "$TS" -qm "$T/out.qm" >"$T/lrelease.log" 2>&1 || { cat "$T/lrelease.log"; exit 1; }
cat "$T/lrelease.log"
if ! grep -q ' finished and 0 unfinished)' "$T/lrelease.log" || grep -q 'untranslated' "$T/lrelease.log"; then
    echo "checkts: $TS holds texts without a finished translation" >&2
    exit 1
fi
