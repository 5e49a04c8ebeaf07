#!/bin/sh
# Each Windows program runs as one file dropped anywhere, and nothing planted
# beside it runs inside it:
# - the DLLs it imports the ordinary way, which Windows resolves before any
#   of its code runs, are KnownDLLs of Windows 10 and 11, which come from the
#   system folder only, and API sets (api-ms-win-*); every other DLL is
#   delay-loaded, once the program has named the system folder as the only
#   place to look (and taken the working folder out of the standard search);
# - it holds no code that loads Qt plugins (with it comes QT_PLUGIN_PATH);
# - its PE header asks for ASLR, with high entropy, and DEP;
# - it checks the stack (GCC's stack protector, linked in).
# Usage: imports.sh PROGRAM.exe...
known=$(grep -v '^#' "$(dirname "$0")/known-dlls.txt" | tr -s ' \n' '|' | sed 's/|$//')
failed=0
fail() { echo "FAIL: $*"; failed=1; }
for exe in "$@"; do
    header=$(x86_64-w64-mingw32-objdump -p "$exe")
    dlls=$(printf '%s\n' "$header" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z')
    [ -n "$dlls" ] || fail "no import table read from $exe"
    for dll in $dlls; do
        echo "$dll" | grep -qxE "api-ms-win-.*|($known)\.dll" ||
            fail "$exe imports $dll, which Windows would look for beside it first"
    done
    echo "$exe imports:" $dlls
    flags=$(printf '%s\n' "$header" | sed -n 's/^DllCharacteristics[[:space:]]*//p')
    for bit in 0x20:"high-entropy ASLR" 0x40:ASLR 0x100:DEP; do
        [ $((0x$flags & ${bit%%:*})) -ne 0 ] || fail "$exe has no ${bit#*:} (DllCharacteristics $flags)"
    done
    # The system folder alone for DLLs, set as it starts (app/dll_search_win.cpp).
    for call in SetDefaultDllDirectories SetDllDirectoryW; do
        printf '%s\n' "$header" | grep -qw "$call" || fail "$exe never calls $call"
    done
    ! grep -qa QT_PLUGIN_PATH "$exe" || fail "$exe can load Qt plugins"
    grep -qa "stack smashing detected" "$exe" || fail "$exe does not check its stack"
done
[ "$failed" = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $failed
