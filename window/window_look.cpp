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

struct ControlLook {
    const char *name;
    int left, top, width, height; // twips
    double points;                // 0: the window's default font
};

// Every control of the window, in creation order.
constexpr ControlLook controlLooks[] = {
    {"Command1", 240, 4080, 1575, 375, 0},
    {"Fullpath", 240, 3600, 8655, 300, 8.25},
    {"Dir_Box", 5880, 2040, 2775, 300, 9.75},
    {"Model_list", 240, 2760, 8655, 315, 8.25},
    {"Search_name", 240, 1920, 2895, 315, 9.75},
    {"Label6", 240, 3360, 615, 255, 0},
    {"LoadingLabel", 2760, 960, 3135, 375, 12},
    {"Label7", 4440, 1560, 1095, 375, 0},
    {"Matches", 4440, 1920, 975, 375, 9.75},
    {"Label5", 240, 2520, 1695, 255, 0},
    {"Label4", 240, 1560, 1695, 255, 0},
    {"Label3", 1800, 120, 5175, 495, 24},
    {"Label2", 1800, 960, 855, 255, 9.75},
    {"Label1", 360, 960, 1455, 255, 9.75},
};

constexpr double defaultPoints = 8.25;

// A sans-serif font at a size given in points at 96 DPI. The size is set in
// pixels so that texts keep fitting their fixed boxes whatever DPI the
// desktop reports, and scale with the rest of the window under high-DPI
// scaling.
QFont windowFont(double points, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("Arial"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    return font;
}

} // namespace

namespace pql {

void applyLayout(QWidget *window, QWidget *client)
{
    window->setFont(windowFont(defaultPoints, false));
    for (const ControlLook &look : controlLooks) {
        auto *control = client->findChild<QWidget *>(QString::fromLatin1(look.name),
                                                     Qt::FindDirectChildrenOnly);
        Q_ASSERT(control);
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
