// How the main window looks: fixed placement of every control, and fonts.
#pragma once

#include <QFont>

class QWidget;

namespace pql {

// Positions and sizes are given in twips; 15 twips make a pixel at 96 DPI.
inline constexpr int twipsPerPixel = 15;

// The client area below the menu bar, in pixels.
inline constexpr int clientWidth = 9120 / twipsPerPixel;
inline constexpr int clientHeight = 4620 / twipsPerPixel;

// A sans-serif font at a size given in points at 96 DPI. The size is set in
// pixels so that texts keep fitting their fixed boxes whatever DPI the
// desktop reports, and scale with the rest of the window under high-DPI
// scaling.
QFont windowFont(double points, bool bold);

// Places and sizes the window's controls (found by object name inside
// `client`), gives them their fonts and fixes the window's size.
void applyLayout(QWidget *window, QWidget *client);

} // namespace pql
