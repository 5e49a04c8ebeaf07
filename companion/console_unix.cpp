#include "console.h"

namespace pql {

void prepareOutput() { }

void writeText(std::FILE *to, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

} // namespace pql
