// The system clipboard as Qt gives it, which every platform builds on.
// Only the platforms' own files include this.
#pragma once

#include "clipboard_copy.h"

#include <QObject>

class QClipboard;

namespace pql {

// Puts and looks through Qt; each platform adds how it tells another
// program's changes from this program's own.
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

protected:
    QClipboard *const m_clipboard;
};

// Where no program holds the clipboard open (X11, Wayland, and the tests'
// offscreen platform), an attempt that does not take was refused by the
// display server. Qt tells of every change of the clipboard; one made while
// another program owns it is that program's.
class ChangeSignalClipboard : public QtClipboard
{
public:
    ChangeSignalClipboard();

    Refusal refusal() const override { return Refusal::NotGranted; }
    void beginCopy() override { m_changed = false; }
    bool put(const QString &text) override;
    bool changedByAnotherProgram() override { return m_changed; }

protected:
    // Whether the last put went to the display server: Qt tells of the
    // change as it sends it, and of none where it drops the data.
    bool m_sent = false;

private:
    QObject m_receiver; // ends the connection to Qt's clipboard with us
    bool m_putting = false;
    bool m_changed = false;
};

} // namespace pql
