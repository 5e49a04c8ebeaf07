// The system clipboard as Qt gives it, which every platform builds on.
// Only the platforms' own files include this.
#pragma once

#include "clipboard_copy.h"

class QClipboard;

namespace pql {

class QtClipboard : public Clipboard
{
public:
    QtClipboard();

    // Takes only when Qt's clipboard really holds the data handed to it
    // afterwards: Qt drops a copy it could not make with no more than a
    // warning (Windows: another program holds the clipboard open; X11: the
    // selection was not granted; Wayland: no data device).
    bool put(const QString &text) override;
    bool isEmpty() override;
    // Qt tells of every change; one made while another program owns the
    // clipboard is that program's.
    void watch() override;
    bool changedElsewhere() override;

protected:
    QClipboard *const m_clipboard;

private:
    QObject m_receiver; // ends the connection to Qt's clipboard with us
    bool m_putting = false;
    bool m_changed = false;
};

} // namespace pql
