#include "code_page.h"

#include <windows.h>

namespace pql {

std::optional<CodePage> codePage(int number)
{
    if (number == 1252)
        return windows1252();
    if (number <= 0 || !::IsValidCodePage(UINT(number)))
        return std::nullopt;
    // Windows decodes as its own programs do: an undefined byte becomes the
    // code page's own mapping or U+FFFD.
    return CodePage{QStringLiteral("Windows-%1").arg(number), [number](QByteArrayView bytes) {
                        QString text;
                        if (bytes.isEmpty())
                            return text;
                        const int length = ::MultiByteToWideChar(UINT(number), 0, bytes.data(),
                                                                 int(bytes.size()), nullptr, 0);
                        text.resize(length);
                        ::MultiByteToWideChar(UINT(number), 0, bytes.data(), int(bytes.size()),
                                              reinterpret_cast<wchar_t *>(text.data()), length);
                        return text;
                    }};
}

CodePage systemCodePage()
{
    CodePage system = codePage(int(::GetACP())).value_or(windows1252());
    system.name += QStringLiteral(" (the system's code page)");
    return system;
}

} // namespace pql
