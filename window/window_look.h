// How the main window looks: fixed placement of every control, and fonts.
#pragma once

#include <QStringList>

#include <initializer_list>

class QWidget;

namespace pql {

// Where one control of the window sits, and its font.
struct ControlLook {
    QWidget *control;
    int left, top, width, height; // twips: 15 make a pixel at 96 DPI
    double points;                // 0: the window's default font
};

// Places and sizes the window's controls (children of `client`), gives them
// their fonts and fixes the window's size.
void applyLayout(QWidget *window, QWidget *client, std::initializer_list<ControlLook> looks);

// The sans-serif faces the window asks for, the first one it has being
// taken: each platform's own, in look_unix.cpp and look_win.cpp.
QStringList windowFaces();

// Readies the widget style before any window shows, where the platform needs
// it (look_win.cpp); nothing elsewhere.
void prepareStyle();

} // namespace pql
