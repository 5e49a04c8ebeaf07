#include "path_rule.h"

namespace pql {

QString composePath(const QString &directory, const QString &name)
{
    if (name.isEmpty())
        return {};
    return QStringLiteral("models\\") + directory + u'\\' + name;
}

} // namespace pql
