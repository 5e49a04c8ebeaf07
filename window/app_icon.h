// The program's icon: a tile with a model drawn on it, 16 and 32 pixels.
#pragma once

#include <QIcon>
#include <QImage>

namespace pql {

// The icon at 16 or 32 pixels (any other size gives a null image).
QImage iconImage(int size);

// The window's and the application's icon, in both sizes.
QIcon applicationIcon();

} // namespace pql
