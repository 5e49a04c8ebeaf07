#!/bin/bash
# The installer in a clean Wine prefix (under xvfb-run): msiexec installs it
# for the user without elevation; each "Open Pathquill here" verb, run as
# Explorer runs it, opens the catalogue of its folder (one with blanks and
# accents in its name); a newer version replaces it; msiexec /x leaves no
# file and no key behind.
# Usage: msi.sh pathquill-VERSION-win64.msi WXS FILES   (FILES: what the MSI holds,
#        from which a newer version is built the same way)
set -u
msi=$(realpath "$1") wxs=$(realpath "$2") files=$3
top=$(mktemp -d)
export WINEPREFIX=$top/wine WINEDEBUG=-all
trap 'wineserver -k 2>/dev/null; rm -rf "$top"' EXIT
. "$(dirname "$0")/e2e/xtry.sh"
failed=0
fail() { echo "FAIL: $*"; failed=1; }
msiexec() { xtry wine msiexec "$1" "$(winepath -w "$2")" /qn || fail "msiexec $1 $2: status $?"; }
value() {  # KEY [NAME]: the value's data, the key's default without a NAME
    local which=(/ve)
    [ -n "${2:-}" ] && which=(/v "$2")
    wine reg query "$1" "${which[@]}" 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'
}

xtry wineboot -i >/dev/null 2>&1
msiexec /i "$msi"
install=$(wine cmd /c echo '%LOCALAPPDATA%' 2>/dev/null | tr -d '\r')'\Programs\Pathquill'
[ -f "$(winepath -u "$install\\PQL.exe")" ] || fail "nothing installed in $install"

# Three folders, each with a catalogue of its own model: the folder verb is
# run in the parent, as Explorer runs it, and must still open the folder.
folder="$top/My Models été"
mkdir -p "$folder"
printf 'here\r\nfolder.mod\r\n' >"$folder/Pql.Txt"
printf 'there\r\nparent.mod\r\n' >"$top/PQL.TXT"
classes='HKCU\Software\Classes'
while read -r key argument cwd model; do
    eval "argument=$argument cwd=$cwd"
    [ "$(value "$classes\\$key\\shell\\Pathquill")" = "Open Pathquill here" ] || fail "$key: no verb"
    command=$(value "$classes\\$key\\shell\\Pathquill\\command")
    [ "$command" = "\"$install\\pql-open.exe\" \"${argument:0:2}\"" ] || fail "$key runs $command"
    (cd "$cwd" && exec wine "$(winepath -u "$install\\pql-open.exe")" "$(winepath -w "$folder")${argument:2}") &
    window=$(xwindow Pathquill 30)
    [ -n "$window" ] || { fail "$key: no window"; continue; }
    xtry xdotool windowfocus --sync "$window"; sleep 0.5
    xtry xdotool key --delay 100 Tab Tab Tab space; sleep 0.5
    copied=$(xtry timeout 5 xclip -selection clipboard -o)
    [ "$copied" = "models\\$model" ] || fail "$key opened the catalogue with $copied"
    xtry xdotool key ctrl+x
    for _ in $(seq 50); do xtry xdotool search --onlyvisible --name '^Pathquill$' >/dev/null || break; sleep 0.1; done
    wait
done <<'VERBS'
Directory\Background %V "$folder" here\folder.mod
Directory %V "$top" here\folder.mod
SystemFileAssociations\.txt %1\\Pql.Txt "$folder" here\folder.mod
VERBS

newer=$top/pathquill-9.9.9-win64.msi
/usr/bin/python3 "$(dirname "$wxs")/build-msi.py" "$wxs" 9.9.9 "$files" 0 "$newer" || fail "build-msi.py"
msiexec /i "$newer"
[ "$(value 'HKCU\Software\Pathquill' Version)" = 9.9.9 ] || fail "the newer version is not installed"
[ "$(wine reg query 'HKCU\Software\Microsoft\Installer\Products' /s 2>/dev/null | grep -c 'ProductName.*Pathquill')" = 1 ] \
    || fail "not exactly one Pathquill installed after the upgrade"
msiexec /x "$newer"
[ -e "$(winepath -u "$install")" ] && fail "files are left: $(ls -R "$(winepath -u "$install")")"
left=$(wine reg query HKCU /s 2>/dev/null | tr -d '\r' | grep -i -E 'pathquill|pql-open')
[ -z "$left" ] || fail "registry entries are left: $left"
wine reg query 'HKCU\Software\Pathquill' >/dev/null 2>&1 && fail "the key HKCU\Software\Pathquill is left"

if [ "$failed" = 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; fi
exit "$failed"
