#include "window_look.h"

namespace pql {

// The window's own face where it exists: MS Sans Serif's TrueType successor,
// on every Windows since 2000, then the bitmap original; and never an
// arbitrary fallback where neither is (as under Wine).
QStringList windowFaces()
{
    return {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("MS Sans Serif"),
            QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
}

} // namespace pql
