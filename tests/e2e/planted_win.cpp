// planted.dll, copied under the names of the DLLs a program loads: loaded
// into a process, it leaves an empty file named after itself (NAME.loaded)
// in the working folder. It exports nothing.

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(self, path, MAX_PATH);
    const wchar_t *name = path + length;
    while (name > path && name[-1] != L'\\')
        --name;
    wchar_t marker[MAX_PATH + 8];
    ::lstrcpyW(marker, name);
    ::lstrcatW(marker, L".loaded");
    const HANDLE file = ::CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return TRUE;
}
