// The one rule that composes a model's relative path.
#pragma once

#include <QString>

namespace pql {

// "models\" + directory + "\" + name, nothing trimmed or normalised, with
// backslashes on every platform: the path is pasted into other programs and
// is never looked up on this file system. An empty name gives an empty path.
QString composePath(const QString &directory, const QString &name);

} // namespace pql
