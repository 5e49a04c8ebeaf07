#include "app_icon.h"

#include <QPixmap>

namespace {
#include "icons/pql_icon_16.xpm"
#include "icons/pql_icon_32.xpm"
} // namespace

namespace pql {

QImage iconImage(int size)
{
    switch (size) {
    case 16:
        return QImage(pql_icon_16);
    case 32:
        return QImage(pql_icon_32);
    }
    return {};
}

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 32})
        icon.addPixmap(QPixmap::fromImage(iconImage(size)));
    return icon;
}

} // namespace pql
