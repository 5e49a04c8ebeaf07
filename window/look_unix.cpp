#include "window_look.h"

namespace pql {

QStringList windowFaces()
{
    return {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial"),
            QStringLiteral("Helvetica")};
}

void prepareStyle() { }

} // namespace pql
