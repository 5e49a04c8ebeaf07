#!/bin/bash
# Checks the Debian package: lintian finds no error, it holds what the
# install rules promise, and the PQL unpacked from it opens its window on a
# catalogue. Usage: package.sh pathquill_VERSION_ARCH.deb VERSION   (under xvfb-run)
set -u
deb=$(realpath "$1")
version=$2
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# lintian refuses to judge its own exit status as root without this note.
lintian --fail-on error --allow-root "$deb" || fail "lintian reports errors"

listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/PQL \
            ./usr/share/icons/hicolor/16x16/apps/pathquill.png \
            ./usr/share/icons/hicolor/32x32/apps/pathquill.png \
            ./usr/share/doc/pathquill/README.md \
            ./usr/share/doc/pathquill/copyright \
            ./usr/share/doc/pathquill/changelog.gz \
            ./usr/share/man/man1/PQL.1.gz; do
    grep -qxF "$path" <<<"$listing" || fail "the package lacks $path"
done

depends=$(dpkg-deb -f "$deb" Depends)
for needed in fonts-liberation2 libqt6widgets6 libqt6gui6 libqt6core6; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = pathquill ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"

for size in 16 32; do
    dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/share/icons/hicolor/${size}x${size}/apps/pathquill.png" >"$work/icon.png"
    file "$work/icon.png" | grep -q "PNG image data, $size x $size" || fail "icon $size is not a $size-pixel PNG"
done
man_text=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/man/man1/PQL.1.gz | gunzip | man -l - 2>/dev/null | col -b)
grep -q "EXIT STATUS" <<<"$man_text" || fail "the manual page does not render"

# The unpacked program, started in a folder holding a catalogue.
dpkg -x "$deb" "$work/root"
mkdir "$work/models"
printf 'props\r\ncrate01.mod\r\n' >"$work/models/PQL.TXT"
(cd "$work/models" && exec "$work/root/usr/bin/PQL") 2>"$work/stderr" &
pid=$!
window=$(timeout 10 xdotool search --sync --onlyvisible --name '^Pathquill$' | head -n 1)
if [ -z "$window" ]; then
    fail "the installed PQL showed no window"
    cat "$work/stderr"
else
    xdotool windowfocus --sync "$window"
    sleep 0.3
    xdotool key ctrl+x
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    wait "$pid"
    [ $? = 0 ] || fail "the installed PQL did not exit with status 0"
fi

if [ "$failed" = 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; fi
exit "$failed"
