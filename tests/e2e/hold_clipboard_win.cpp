// hold_clipboard.exe MILLISECONDS: holds the Windows clipboard open that
// long, for a window of its own as clipboard managers do (Wine lets another
// program open a clipboard opened for no window), saying "holding" once it
// holds it and "released" once it let go.
// hold_clipboard.exe MILLISECONDS shown: shows a window that long instead,
// as a program that imports only KnownDLLs.

#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    const DWORD milliseconds = argc > 1 ? DWORD(std::strtoul(argv[1], nullptr, 10)) : 0;
    if (argc == 3) {
        ::CreateWindowExW(0, L"STATIC", L"shown", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                          nullptr, nullptr, nullptr, nullptr);
        ::Sleep(milliseconds);
        return 0;
    }
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                          nullptr, nullptr, nullptr);
    if (argc != 2 || !window || !::OpenClipboard(window))
        return 1;
    std::puts("holding");
    std::fflush(stdout);
    ::Sleep(milliseconds);
    ::CloseClipboard();
    std::puts("released");
    return 0;
}
