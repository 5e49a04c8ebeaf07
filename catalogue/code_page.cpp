#include "code_page.h"

namespace pql {

QString readableCodePages() { return QStringLiteral("874, 932, 936, 949, 950 and 1250 to 1258"); }

bool isReadableCodePage(int number)
{
    return number == 874 || number == 932 || number == 936 || number == 949 || number == 950
        || (number >= 1250 && number <= 1258);
}

// Latin-1 but for 0x80-0x9F, where it has typographic marks and a few
// letters. Its five bytes without a character become the C1 controls of the
// same value, as Windows decodes them (it counts every byte as defined).
// Decoded here rather than by a codec, whose presence depends on how Qt was
// built (without ICU there is none).
CodePage windows1252()
{
    return {QStringLiteral("Windows-1252"), [](QByteArrayView bytes, QList<qsizetype> *) {
                static constexpr char16_t high[32] = {
                    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020',
                    u'\u2021', u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D',
                    u'\u017D', u'\u008F', u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D',
                    u'\u2022', u'\u2013', u'\u2014', u'\u02DC', u'\u2122', u'\u0161', u'\u203A',
                    u'\u0153', u'\u009D', u'\u017E', u'\u0178'};
                QString text(bytes.size(), Qt::Uninitialized);
                QChar *out = text.data();
                for (const char b : bytes) {
                    const auto u = uchar(b);
                    *out++ = QChar(u >= 0x80 && u < 0xA0 ? high[u - 0x80] : char16_t(u));
                }
                return text;
            }};
}

} // namespace pql
