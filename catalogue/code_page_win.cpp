#include "code_page.h"

#include <windows.h>

namespace pql {

namespace {

// The text of `bytes` in code page `codePage`, as Windows' own programs
// decode it; with MB_ERR_INVALID_CHARS in `flags`, nothing where the bytes
// hold anything the code page does not define.
QString converted(UINT codePage, DWORD flags, QByteArrayView bytes)
{
    QString text;
    if (bytes.isEmpty())
        return text;
    const int length =
        ::MultiByteToWideChar(codePage, flags, bytes.data(), int(bytes.size()), nullptr, 0);
    text.resize(length);
    ::MultiByteToWideChar(codePage, flags, bytes.data(), int(bytes.size()),
                          reinterpret_cast<wchar_t *>(text.data()), length);
    return text;
}

bool defined(UINT codePage, QByteArrayView bytes)
{
    return !converted(codePage, MB_ERR_INVALID_CHARS, bytes).isEmpty();
}

} // namespace

std::optional<CodePage> codePage(int number)
{
    if (number == 1252)
        return windows1252();
    if (!isReadableCodePage(number) || !::IsValidCodePage(UINT(number)))
        return std::nullopt;
    // An undefined byte becomes the code page's own mapping or its default
    // character, one UTF-16 unit for each character of the code page: the
    // characters are found again, one by one, where the whole is not
    // defined.
    const auto codePage = UINT(number);
    return CodePage{QStringLiteral("Windows-%1").arg(number),
                    [codePage](QByteArrayView bytes, QList<qsizetype> *undefined) {
                        if (undefined && !bytes.isEmpty() && !defined(codePage, bytes)) {
                            qsizetype at = 0;
                            for (qsizetype i = 0; i < bytes.size(); ++at) {
                                const qsizetype n = ::IsDBCSLeadByteEx(codePage, BYTE(bytes[i]))
                                        && i + 1 < bytes.size()
                                    ? 2
                                    : 1;
                                if (!defined(codePage, bytes.sliced(i, n)))
                                    undefined->append(at);
                                i += n;
                            }
                        }
                        return converted(codePage, 0, bytes);
                    }};
}

CodePage systemCodePage()
{
    CodePage system = codePage(int(::GetACP())).value_or(windows1252());
    system.name += QStringLiteral(" (the system's code page)");
    return system;
}

} // namespace pql
