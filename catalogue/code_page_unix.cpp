#include "code_page.h"

#include <QStringDecoder>

#include <langinfo.h>

#include <memory>

namespace pql {

namespace {

// A decoder of Qt's by `name`, which decodes each text whole and on its
// own. The first byte of a two-byte character cut short at the end would be
// dropped without a trace: a line end after the text makes the decoder map
// it as it maps any byte it does not define.
std::optional<CodePage> decoderNamed(const char *name, const QString &shown)
{
    auto decoder = std::make_shared<QStringDecoder>(name, QStringDecoder::Flag::Stateless);
    if (!decoder->isValid())
        return std::nullopt;
    return CodePage{shown, [decoder](QByteArrayView bytes) {
                        QString text = decoder->decode(bytes.toByteArray() + '\n');
                        if (text.endsWith(u'\n'))
                            text.chop(1);
                        return text;
                    }};
}

} // namespace

std::optional<CodePage> codePage(int number)
{
    if (number == 1252)
        return windows1252();
    if (number <= 0)
        return std::nullopt;
    return decoderNamed(("cp" + QByteArray::number(number)).constData(),
                        QStringLiteral("Windows-%1").arg(number));
}

CodePage systemCodePage()
{
    // The application object has set the locale from the environment.
    const char *codeset = nl_langinfo(CODESET);
    // The usual ones, UTF-8 and the C locale's ASCII, without a decoder.
    if (qstrcmp(codeset, "UTF-8") == 0 || qstrcmp(codeset, "ANSI_X3.4-1968") == 0)
        return windows1252();
    std::optional<CodePage> locale = decoderNamed(
        codeset,
        QStringLiteral("%1 (the locale's character set)").arg(QString::fromLatin1(codeset)));
    if (!locale)
        return windows1252();
    const QStringDecoder named(codeset);
    if (qstrcmp(named.name(), "UTF-8") == 0 || qstrcmp(named.name(), "US-ASCII") == 0)
        return windows1252();
    return *locale;
}

} // namespace pql
