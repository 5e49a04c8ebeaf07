#include "window_look.h"

#include <QFont>
#include <QLayout>
#include <QWidget>

#include <cmath>

namespace {

// Positions and sizes are given in twips; 15 twips make a pixel at 96 DPI.
constexpr int twipsPerPixel = 15;

// The client area below the menu bar, in pixels.
constexpr int clientWidth = 9120 / twipsPerPixel;
constexpr int clientHeight = 4620 / twipsPerPixel;

constexpr double defaultPoints = 8.25;

// A sans-serif font at a size given in points at 96 DPI. The size is set in
// pixels so that texts keep fitting their fixed boxes whatever DPI the
// desktop reports, and scale with the rest of the window under high-DPI
// scaling.
QFont windowFont(double points, bool bold)
{
    QFont font;
    font.setFamilies(pql::windowFaces());
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    return font;
}

} // namespace

namespace pql {

void applyLayout(QWidget *window, QWidget *client, std::initializer_list<ControlLook> looks)
{
    prepareStyle();
    window->setFont(windowFont(defaultPoints, false));
    for (const ControlLook &look : looks) {
        QWidget *control = look.control;
        control->setGeometry(look.left / twipsPerPixel, look.top / twipsPerPixel,
                             look.width / twipsPerPixel, look.height / twipsPerPixel);
        if (look.points > 0)
            control->setFont(windowFont(look.points, true));
    }
    client->setFixedSize(clientWidth, clientHeight);
    // Nothing reacts to a new size, so the window keeps the one it opens with.
    if (window->layout())
        window->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace pql
