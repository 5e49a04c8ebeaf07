#!/bin/sh
# Each Windows program imports only DLLs that every Windows has, so that it
# runs as one file dropped anywhere: every Windows that Qt 6 runs on, that
# is Windows 10 and later, whose API sets (api-ms-win-*) and shcore.dll
# included. Usage: imports.sh PROGRAM.exe...
failed=0
for exe in "$@"; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z')
    [ -n "$dlls" ] || { echo "FAIL: no import table read from $exe"; failed=1; }
    for dll in $dlls; do
        case $dll in
            kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | shell32.dll | ole32.dll | \
            oleaut32.dll | comdlg32.dll | imm32.dll | winmm.dll | uxtheme.dll | dwmapi.dll | \
            version.dll | shlwapi.dll | msvcrt.dll | ws2_32.dll | userenv.dll | netapi32.dll | \
            wtsapi32.dll | setupapi.dll | crypt32.dll | bcrypt.dll | d3d9.dll | d3d11.dll | \
            dxgi.dll | d3d12.dll | d2d1.dll | dwrite.dll | authz.dll | mpr.dll | rpcrt4.dll | \
            winspool.drv | ntdll.dll | \
            shcore.dll | api-ms-win-core-synch-l1-2-0.dll | api-ms-win-core-winrt-l1-1-0.dll | \
            api-ms-win-core-winrt-string-l1-1-0.dll) ;;
            *) echo "FAIL: $exe imports $dll, which Windows does not have of itself"; failed=1 ;;
        esac
    done
    echo "$exe imports:" $dlls
done
[ "$failed" = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $failed
