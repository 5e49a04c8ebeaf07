// Putting a text on the system clipboard, and knowing how that ended.
#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <memory>

namespace pql {

// What copying needs of a clipboard: the system's, or a stand-in.
class Clipboard
{
public:
    Clipboard() = default;
    Q_DISABLE_COPY_MOVE(Clipboard)
    virtual ~Clipboard() = default;

    // What it means on this platform when an attempt does not take.
    enum class Refusal {
        HeldByAnotherProgram, // Windows: another program has it open
        NotGranted,           // X11, Wayland: the display server did not let
                              // this program set it (no program holds it)
    };
    virtual Refusal refusal() const = 0;

    // A copy begins: what other programs did before this is older than it.
    virtual void beginCopy() = 0;
    // One attempt at making the clipboard hold exactly `text`, as plain
    // text, in place of every format it held; for no text, at emptying it.
    // True when the clipboard now holds just that.
    virtual bool put(const QString &text) = 0;
    // Whether the clipboard holds nothing at all, seen as it is now.
    virtual bool isEmpty() = 0;
    // Whether another program has changed the clipboard since beginCopy();
    // this program's own attempts do not count.
    virtual bool changedByAnotherProgram() = 0;
};

// The clipboard of the platform the application runs on, chosen once.
std::unique_ptr<Clipboard> systemClipboard();

// How a copy ended.
enum class CopyOutcome {
    Copied,         // the clipboard holds the text (for no text: nothing)
    NotCopiedEmpty, // it does not, and holds nothing now
    NotCopiedKept,  // it does not, and still holds what it held at the press
    Overtaken,      // meanwhile another program put something newer on it,
                    // which is left as it is
};

// Copies one text at a time to the clipboard. On Windows other programs
// hold the clipboard for a moment after each change (clipboard managers,
// clipboard history, remote-desktop bridges), and elsewhere the display
// server may refuse it; while the text has not taken, it is tried again
// from the event loop, every `interval`, until `patience` has passed since
// the wait began. The window stays responsive meanwhile. A copy asked
// for during the wait takes the place of the one waiting: the latest text
// wins, and one outcome, about it, follows. A text that has not taken by
// the end does not leave what was there before to pass for it: the
// clipboard is emptied, unless another program has put something newer on
// it since, which is left alone.
class ClipboardCopy : public QObject
{
    Q_OBJECT

public:
    explicit ClipboardCopy(std::unique_ptr<Clipboard> clipboard, QObject *parent = nullptr,
                           std::chrono::milliseconds interval = std::chrono::milliseconds(100),
                           std::chrono::milliseconds patience = std::chrono::seconds(2));
    ~ClipboardCopy() override;

    // Starts copying `text`, exactly as given, or puts it in the place of
    // the text still waiting. `finished` follows, at once when this first
    // attempt takes.
    void copy(const QString &text);

    bool isWaiting() const { return m_timer.isActive(); }
    Clipboard::Refusal refusal() const { return m_clipboard->refusal(); }

Q_SIGNALS:
    void finished(const QString &text, pql::CopyOutcome outcome);

private:
    bool attempt();
    bool overtaken();
    void tryAgain();
    void finish(CopyOutcome outcome);

    std::unique_ptr<Clipboard> m_clipboard;
    std::chrono::milliseconds m_patience;
    QTimer m_timer;
    QDeadlineTimer m_deadline;
    QString m_text;
};

} // namespace pql

Q_DECLARE_METATYPE(pql::CopyOutcome)
