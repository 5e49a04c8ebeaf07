#include "window_look.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace pql {

// The window's own face where it exists: MS Sans Serif's TrueType successor,
// on every Windows since 2000, then the bitmap original; and never an
// arbitrary fallback where neither is (as under Wine).
QStringList windowFaces()
{
    return {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("MS Sans Serif"),
            QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
}

// Qt 6.8's Windows style paints selected list items with the help of a hidden
// window of its own, made the first time it needs one: here the combo box's
// list, when the box takes the focus. Under Wine, making that window takes
// the keyboard from the active window, so after one Tab into the box every
// key went nowhere. Painting one selected item before the window shows makes
// the helper while nothing is active yet. On Windows itself this only does
// earlier what the style would do anyway.
void prepareStyle()
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    QStyleOptionViewItem item;
    item.rect = image.rect();
    item.state = QStyle::State_Enabled | QStyle::State_Active | QStyle::State_Selected;
    QApplication::style()->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, &painter);
}

} // namespace pql
