#!/bin/bash
# Checks the Debian package: lintian finds no error, it holds what the
# install rules promise, and the PQL unpacked from it opens its window on a
# catalogue. Usage: package.sh pathquill_VERSION+RELEASE_ARCH.deb VERSION   (under xvfb-run)
set -u
deb=$(realpath "$1")
version=$2
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
. "$(dirname "$0")/e2e/xtry.sh"

# lintian says nothing of the package: no error, no warning. It refuses to
# judge its own exit status as root without --allow-root.
said=$(lintian --fail-on error,warning --allow-root "$deb" 2>&1) || fail "lintian: $said"
[ -z "$said" ] || fail "lintian says: $said"

listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/PQL ./usr/bin/pql-catalogue ./usr/share/man/man1/pql-catalogue.1.gz \
            ./usr/share/icons/hicolor/16x16/apps/pathquill.png \
            ./usr/share/icons/hicolor/32x32/apps/pathquill.png \
            ./usr/share/doc/pathquill/README.md \
            ./usr/share/doc/pathquill/docs/catalogue.md \
            ./usr/share/doc/pathquill/docs/window.png \
            ./usr/share/doc/pathquill/copyright \
            ./usr/share/doc/pathquill/changelog.gz \
            ./usr/share/man/man1/PQL.1.gz \
            ./usr/share/applications/pathquill.desktop \
            ./usr/share/mime/packages/pathquill.xml; do
    grep -qxF "$path" <<<"$listing" || fail "the package lacks $path"
done

depends=$(dpkg-deb -f "$deb" Depends)
for needed in fonts-liberation2 libqt6widgets6 libqt6gui6 libqt6core6; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = pathquill ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Recommends)" = qt6-wayland ] || fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
# The release, and the Debian release it was built for: 1.0.0+deb13.
grep -qE "^$version\+(deb[0-9]+|[a-z]+)\$" <<<"$(dpkg-deb -f "$deb" Version)" \
    || fail "package version $(dpkg-deb -f "$deb" Version)"

for size in 16 32; do
    dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/share/icons/hicolor/${size}x${size}/apps/pathquill.png" >"$work/icon.png"
    file "$work/icon.png" | grep -q "PNG image data, $size x $size" || fail "icon $size is not a $size-pixel PNG"
done
for page in PQL pql-catalogue; do
    man_text=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/share/man/man1/$page.1.gz" | gunzip | man -l - 2>/dev/null | col -b)
    grep -q "EXIT STATUS" <<<"$man_text" || fail "the manual page of $page does not render"
done

dpkg -x "$deb" "$work/root"
share=$work/root/usr/share

# The programs carry Debian's hardening, as dpkg-buildflags gives it on this
# release: a flag lost on the way fails here. (pql-catalogue's copies have
# sizes known only at run time: it has no call to fortify.)
# Control-flow protection is looked for in the code itself: a program is
# marked as having it only when every object linked in has it, and Debian's C
# start files do not (on Debian 13 no program is marked). Those bring two
# endbr64 marks; the programs' own functions bring hundreds. Branch
# protection belongs to arm64.
flags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS)
unasked=(--nocfprotection)
if [[ $flags != *-mbranch-protection* ]] && hardening-check --help | grep -q -- --nobranchprotection; then
    unasked+=(--nobranchprotection)
fi
for program in PQL pql-catalogue; do
    [ "$program" = PQL ] || unasked+=(--nofortify)
    said=$(hardening-check "${unasked[@]}" "$work/root/usr/bin/$program") || fail "$said"
    if [[ $flags == *-fcf-protection* ]]; then
        marks=$(objdump -d "$work/root/usr/bin/$program" | grep -c endbr64) || true
        [ "$marks" -ge 50 ] || fail "$program has $marks endbr64 marks: built without -fcf-protection"
    fi
done
"$work/root/usr/bin/pql-catalogue" --version | grep -qxF "pql-catalogue $version" || fail "pql-catalogue --version"
desktop-file-validate "$share/applications/pathquill.desktop" || fail "the desktop entry is not valid"

# PQL.TXT in any letter case is a catalogue, and still text; other text is not.
update-mime-database "$share/mime" 2>/dev/null
mkdir "$work/types"
printf 'props\r\ncrate01.mod\r\n' | tee "$work/types/Pql.Txt" >"$work/types/notes.txt"
filetype() { XDG_DATA_DIRS=$share:/usr/share XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype "$1"; }
[ "$(filetype "$work/types/Pql.Txt")" = text/x-pathquill-catalogue ] || fail "Pql.Txt is $(filetype "$work/types/Pql.Txt")"
[ "$(filetype "$work/types/notes.txt")" = text/plain ] || fail "notes.txt is $(filetype "$work/types/notes.txt")"
grep -q '<sub-class-of type="text/plain"/>' "$share/mime/packages/pathquill.xml" || fail "the catalogue is no longer text"

# Launching the desktop entry on a folder, and on the PQL.TXT inside it,
# starts the unpacked PQL in that folder; the window appears and Ctrl+X
# ends it with status 0. The entry finds PQL on the PATH, where a wrapper of
# the test's own runs the unpacked one and keeps its exit status.
folder="$work/my \"models\" été 'x'"
mkdir "$folder" "$work/wrapper"
printf 'props\r\ncrate01.mod\r\n' >"$folder/PQL.TXT"
printf '#!/bin/sh\n"%s" "$@"\necho $? >"%s.new" && mv "%s.new" "%s"\n' \
    "$work/root/usr/bin/PQL" "$work/status" "$work/status" "$work/status" >"$work/wrapper/PQL"
chmod +x "$work/wrapper/PQL"
for target in "$folder" "$folder/PQL.TXT"; do
    rm -f "$work/status"
    PATH=$work/wrapper:$work/root/usr/bin:$PATH xtry gio launch "$share/applications/pathquill.desktop" "$target" 2>"$work/stderr"
    window=$(xwindow Pathquill 10)
    if [ -z "$window" ]; then
        fail "launching on $target showed no window"
        cat "$work/stderr"
        continue
    fi
    pid=$(xtry xdotool getwindowpid "$window")
    [ "$(readlink "/proc/$pid/cwd")" = "$folder" ] || fail "launched on $target, PQL runs in $(readlink "/proc/$pid/cwd")"
    xtry xdotool windowfocus --sync "$window"
    sleep 0.3
    xtry xdotool key ctrl+x
    for _ in $(seq 50); do [ -e "$work/status" ] && break; sleep 0.1; done
    if [ ! -e "$work/status" ]; then
        fail "the installed PQL did not end on Ctrl+X"
        kill "$pid"
    elif [ "$(cat "$work/status")" != 0 ]; then
        fail "launched on $target, PQL ended with status $(cat "$work/status")"
    fi
done

if [ "$failed" = 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; fi
exit "$failed"
