// Putting a text on the system clipboard, and knowing whether it got there.
#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>

namespace pql {

// One attempt at the clipboard: empty it, then put `text` on it as plain
// text unless `text` is empty. True when the clipboard now holds exactly
// that: the text, or nothing at all.
using ClipboardAttempt = std::function<bool(const QString &text)>;

// The attempt on the system clipboard, through Qt. It takes only when Qt's
// clipboard really holds the data handed to it afterwards: Qt drops a copy
// it could not make with no more than a warning (Windows: the clipboard is
// held open by another program; X11: the selection was not granted;
// Wayland: no data device).
bool putOnClipboard(const QString &text);

// How a copy ended.
enum class CopyOutcome {
    Copied,           // the clipboard holds the text (or, for no text, nothing)
    NotCopiedCleared, // it does not, but it was emptied: nothing from before is left
    NotCopied,        // nothing could be changed: what was there before still is
};

// Copies one text at a time to the clipboard. Other programs hold the
// clipboard for a moment after each change (clipboard managers, clipboard
// history, remote-desktop bridges); while it is held, the same text is tried
// again from the event loop, every `interval`, until `patience` has passed.
// The window stays responsive meanwhile, and a copy asked for in between is
// refused rather than raced against the one under way. When the text has
// not taken by then, the clipboard is emptied if it can be, and the outcome
// says which.
class ClipboardCopy : public QObject
{
    Q_OBJECT

public:
    explicit ClipboardCopy(ClipboardAttempt attempt, QObject *parent = nullptr,
                           std::chrono::milliseconds interval = std::chrono::milliseconds(100),
                           std::chrono::milliseconds patience = std::chrono::seconds(2));

    // Starts copying `text`, exactly as given. False, and nothing done,
    // while an earlier copy is still being tried. `finished` follows, at
    // once when the first attempt takes.
    bool copy(const QString &text);

    bool isWaiting() const { return m_timer.isActive(); }

    // What to tell the user of a copy that did not take, in one or two
    // sentences.
    static QString failureMessage(bool emptyText, CopyOutcome outcome);

Q_SIGNALS:
    void finished(const QString &text, pql::CopyOutcome outcome);

private:
    void tryAgain();

    ClipboardAttempt m_attempt;
    std::chrono::milliseconds m_patience;
    QTimer m_timer;
    QDeadlineTimer m_deadline;
    QString m_text;
};

// Each platform's part (clipboard_unix.cpp, clipboard_win.cpp): whether
// another program holds the clipboard open right now, so that an attempt
// cannot take (asked first, where Qt would otherwise block the window while
// it tries), and whether the clipboard holds nothing at all.
bool clipboardHeldElsewhere();
bool clipboardIsEmpty();
// What Qt itself sees of the clipboard: no format at all.
bool qtClipboardIsEmpty();

} // namespace pql

Q_DECLARE_METATYPE(pql::CopyOutcome)
