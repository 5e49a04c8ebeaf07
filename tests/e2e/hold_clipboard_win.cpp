// hold_clipboard.exe MILLISECONDS: opens the Windows clipboard and keeps it
// open that long, as clipboard managers and remote-desktop bridges do for a
// moment after each change, then lets it go. Says "holding" once it holds
// it and "released" when it has let go, each on a line of standard output.

#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    // Opened for a window of its own, as clipboard managers open it (Wine
    // lets another program open a clipboard opened for no window).
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                          nullptr, nullptr, nullptr);
    if (!window || !::OpenClipboard(window)) {
        std::puts("the clipboard could not be opened");
        return 1;
    }
    std::puts("holding");
    std::fflush(stdout);
    ::Sleep(DWORD(std::strtoul(argv[1], nullptr, 10)));
    ::CloseClipboard();
    ::DestroyWindow(window);
    std::puts("released");
    std::fflush(stdout);
    return 0;
}
