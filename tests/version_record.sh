#!/bin/bash
# Compiles the Windows version record with the MinGW resource compiler, reads
# it back out of the compiled resource and checks every field; given PQL.exe
# as well, checks that it carries the same record, the icon in 16 and 32
# pixels, and runs without a console window.
# Usage: version_record.sh PQL.rc VERSION [PQL.exe]   (VERSION: the release, 1.0.0)
set -eu
rc=$1
IFS=. read -r major minor patch <<<"$2"
short=$major.$(printf %02d "$minor")
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
expect " FILEVERSION $major, $minor, $patch, 0"
expect " PRODUCTVERSION $major, $minor, $patch, 0"
expect ' FILEOS 0x4'
expect ' FILETYPE 0x1'
expect ' BLOCK "040904B0"'
expect ' VALUE "ProductName", "PQL"'
expect " VALUE \"FileVersion\", \"$short\""
expect " VALUE \"ProductVersion\", \"$short\""
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

if [ -n "${3:-}" ]; then
    exe=$3
    x86_64-w64-mingw32-objdump -p "$exe" | grep -q 'Subsystem.*(Windows GUI)' \
        || { echo "$exe would open a console window"; failed=1; }
    # The record's strings, each key followed by its value (after padding).
    wrestool -x --raw --type=16 "$exe" | iconv -c -f UTF-16LE -t UTF-8 | tr '\0' '\n' \
        | grep -v '^$' >"$out/exe.txt"
    for pair in ProductName=PQL FileVersion=$short ProductVersion=$short InternalName=PQL \
                OriginalFilename=PQL.exe; do
        [ "$(grep -A1 "${pair%%=*}\$" "$out/exe.txt" | sed -n 2p)" = "${pair#*=}" ] \
            || { echo "$exe lacks $pair"; failed=1; }
    done
    # The numbers after the fixed part's signature: file and product version.
    hex=$(printf '%04x%04x %04x0000' "$major" "$minor" "$patch")
    numbers=$(wrestool -x --raw --type=16 "$exe" | od -A n -t x4 -v | tr -s ' \n' ' ' \
              | sed -n 's/.*feef04bd [0-9a-f]* \([0-9a-f]* [0-9a-f]* [0-9a-f]* [0-9a-f]*\).*/\1/p')
    [ "$numbers" = "$hex $hex" ] || { echo "version numbers: $numbers"; failed=1; }
    wrestool -x --type=14 "$exe" >"$out/icon.ico"
    [ "$(icotool -l "$out/icon.ico" | sed 's/.*--width=\([0-9]*\) --height=\([0-9]*\).*/\1x\2/' | sort -n | tr '\n' ' ')" = "16x16 32x32 " ] \
        || { echo "$exe lacks its 16 and 32 pixel icon"; failed=1; }
fi
exit $failed
