// How the main window looks: fixed placement of every control, and fonts.
#pragma once

class QWidget;

namespace pql {

// Places and sizes the window's controls (found by object name inside
// `client`), gives them their fonts and fixes the window's size.
void applyLayout(QWidget *window, QWidget *client);

} // namespace pql
