#include "console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace pql {

void prepareOutput() { _setmode(_fileno(stdout), _O_BINARY); }

void writeText(std::FILE *to, const QString &text)
{
    const HANDLE handle = ::GetStdHandle(to == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) {
        // A console: it is handed UTF-16, whatever its code page. What went
        // to the stream before goes first.
        std::fflush(to);
        DWORD written = 0;
        ::WriteConsoleW(handle, text.utf16(), DWORD(text.size()), &written, nullptr);
        return;
    }
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

} // namespace pql
