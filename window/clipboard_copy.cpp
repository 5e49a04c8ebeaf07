#include "clipboard_copy.h"

namespace pql {

ClipboardCopy::ClipboardCopy(std::unique_ptr<Clipboard> clipboard, QObject *parent,
                             std::chrono::milliseconds interval, std::chrono::milliseconds patience)
    : QObject(parent), m_clipboard(std::move(clipboard)), m_patience(patience)
{
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, &ClipboardCopy::tryAgain);
}

ClipboardCopy::~ClipboardCopy() = default;

// One attempt at the text. An empty text is there already when the
// clipboard is empty, held or not. The clipboard is asked first all the
// same: on Wayland, what Qt knows of it can be out of date.
bool ClipboardCopy::attempt()
{
    return m_clipboard->put(m_text) || (m_text.isEmpty() && m_clipboard->isEmpty());
}

void ClipboardCopy::copy(const QString &text)
{
    m_clipboard->beginCopy();
    m_text = text;
    if (attempt()) {
        finish(CopyOutcome::Copied);
        return;
    }
    if (!isWaiting()) {
        m_deadline.setRemainingTime(m_patience);
        m_timer.start();
    }
}

// Newer than the press: the copy must not replace it, nor empty it. A
// program that emptied the clipboard left nothing to keep.
bool ClipboardCopy::overtaken()
{
    return m_clipboard->changedByAnotherProgram() && !m_clipboard->isEmpty();
}

void ClipboardCopy::tryAgain()
{
    if (overtaken()) {
        finish(CopyOutcome::Overtaken);
    } else if (attempt()) {
        finish(CopyOutcome::Copied);
    } else if (m_deadline.hasExpired()) {
        // An attempt can take a while (Qt tries again within it): another
        // program may have copied since the question above, and what it
        // copied is not emptied.
        if (overtaken()) {
            finish(CopyOutcome::Overtaken);
            return;
        }
        // What was there before must not stay as if it were the copy.
        if (!m_text.isEmpty())
            m_clipboard->put(QString());
        finish(m_clipboard->isEmpty() ? CopyOutcome::NotCopiedEmpty : CopyOutcome::NotCopiedKept);
    }
}

void ClipboardCopy::finish(CopyOutcome outcome)
{
    m_timer.stop();
    Q_EMIT finished(std::exchange(m_text, QString()), outcome);
}

} // namespace pql
