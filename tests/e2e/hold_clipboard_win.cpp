// hold_clipboard.exe MILLISECONDS [TEXT]: holds the Windows clipboard open,
// for a window of its own as clipboard managers do (Wine lets another
// program open a clipboard opened for no window), saying "holding" once it
// holds it, until MILLISECONDS after a line comes on standard input (sent
// once Copy has been pressed), then saying "released" once it let go; with
// TEXT, puts TEXT on the clipboard just before it lets go, as a program
// that copies does.
// hold_clipboard.exe MILLISECONDS shown: shows a window that long instead,
// as a program that imports only KnownDLLs.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char *argv[])
{
    const DWORD milliseconds = argc > 1 ? DWORD(std::strtoul(argv[1], nullptr, 10)) : 0;
    if (argc == 3 && std::strcmp(argv[2], "shown") == 0) {
        ::CreateWindowExW(0, L"STATIC", L"shown", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                          nullptr, nullptr, nullptr, nullptr);
        ::Sleep(milliseconds);
        return 0;
    }
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                          nullptr, nullptr, nullptr);
    if (argc < 2 || argc > 3 || !window || !::OpenClipboard(window))
        return 1;
    std::puts("holding");
    std::fflush(stdout);
    for (int c = 0; c != '\n' && c != EOF;)
        c = std::getchar();
    ::Sleep(milliseconds);
    if (argc == 3) {
        const size_t size = std::strlen(argv[2]) + 1;
        const HGLOBAL text = ::GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(::GlobalLock(text), argv[2], size);
        ::GlobalUnlock(text);
        if (!::EmptyClipboard() || !::SetClipboardData(CF_TEXT, text))
            return 1;
    }
    ::CloseClipboard();
    std::puts("released");
    return 0;
}
