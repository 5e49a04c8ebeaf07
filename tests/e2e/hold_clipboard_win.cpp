// hold_clipboard.exe MILLISECONDS: holds the Windows clipboard open that
// long, for a window of its own as clipboard managers do (Wine lets another
// program open a clipboard opened for no window), saying "holding" once it
// holds it and "released" once it let go.

#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                          nullptr, nullptr, nullptr);
    if (argc != 2 || !window || !::OpenClipboard(window))
        return 1;
    std::puts("holding");
    std::fflush(stdout);
    ::Sleep(DWORD(std::strtoul(argv[1], nullptr, 10)));
    ::CloseClipboard();
    std::puts("released");
    return 0;
}
