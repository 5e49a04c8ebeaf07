#!/bin/bash
# Compiles the Windows version record with the MinGW resource compiler, reads
# it back out of the compiled resource and checks every field.
# Usage: version_record.sh PQL.rc
set -eu
rc=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

windres=x86_64-w64-mingw32-windres
"$windres" --preprocessor=cpp "$rc" -O res -o "$out/PQL.res"
"$windres" -i "$out/PQL.res" -O rc | tr -s ' ' >"$out/back.rc"

failed=0
expect() {
    if ! grep -qxF -- "$1" "$out/back.rc"; then
        echo "missing: $1"
        failed=1
    fi
}
expect ' FILEVERSION 1, 0, 0, 0'
expect ' PRODUCTVERSION 1, 0, 0, 0'
expect ' FILEOS 0x4'
expect ' FILETYPE 0x1'
expect ' BLOCK "040904B0"'
expect ' VALUE "ProductName", "PQL"'
expect ' VALUE "FileVersion", "1.00"'
expect ' VALUE "ProductVersion", "1.00"'
expect ' VALUE "InternalName", "PQL"'
expect ' VALUE "OriginalFilename", "PQL.exe"'
expect ' VALUE "Translation", 0x409, 1200'

values=$(grep -c ' VALUE "' "$out/back.rc")
if [ "$values" != 6 ]; then
    echo "expected five strings and one translation, found $values values:"
    cat "$out/back.rc"
    failed=1
fi
[ "$(grep -c '^1 VERSIONINFO' "$out/back.rc")" = 1 ] || { echo "not exactly one version record"; failed=1; }
exit $failed
