#include "clipboard_copy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>

namespace pql {

bool qtClipboardIsEmpty()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return !data || data->formats().isEmpty();
}

bool putOnClipboard(const QString &text)
{
    if (clipboardHeldElsewhere())
        return false;
    QClipboard *clipboard = QGuiApplication::clipboard();
    // Clearing first drops every format another program left there, so an
    // empty path leaves nothing behind.
    clipboard->clear();
    if (text.isEmpty())
        return clipboardIsEmpty();
    auto *data = new QMimeData;
    data->setText(text);
    const QPointer<QMimeData> ours(data);
    clipboard->setMimeData(data); // the clipboard owns it from here
    return ours && clipboard->mimeData() == ours;
}

ClipboardCopy::ClipboardCopy(ClipboardAttempt attempt, QObject *parent,
                             std::chrono::milliseconds interval, std::chrono::milliseconds patience)
    : QObject(parent), m_attempt(std::move(attempt)), m_patience(patience)
{
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, &ClipboardCopy::tryAgain);
}

bool ClipboardCopy::copy(const QString &text)
{
    if (isWaiting())
        return false;
    if (m_attempt(text)) {
        Q_EMIT finished(text, CopyOutcome::Copied);
        return true;
    }
    m_text = text;
    m_deadline.setRemainingTime(m_patience);
    m_timer.start();
    return true;
}

void ClipboardCopy::tryAgain()
{
    CopyOutcome outcome;
    if (m_attempt(m_text)) {
        outcome = CopyOutcome::Copied;
    } else if (!m_deadline.hasExpired()) {
        return;
    } else {
        // Text from before must not stay there as if it were the copy.
        outcome = !m_text.isEmpty() && m_attempt(QString()) ? CopyOutcome::NotCopiedCleared
                                                            : CopyOutcome::NotCopied;
    }
    m_timer.stop();
    Q_EMIT finished(std::exchange(m_text, QString()), outcome);
}

QString ClipboardCopy::failureMessage(bool emptyText, CopyOutcome outcome)
{
    switch (outcome) {
    case CopyOutcome::Copied:
        return {};
    case CopyOutcome::NotCopiedCleared:
        return QStringLiteral("The path was not copied: another program is holding the "
                              "clipboard, which is now empty. Try again.");
    case CopyOutcome::NotCopied:
        return emptyText ? QStringLiteral("The clipboard was not cleared: another program is "
                                          "holding it. Try again.")
                         : QStringLiteral("The path was not copied: another program is holding "
                                          "the clipboard, which still holds what was there "
                                          "before. Try again.");
    }
    return {};
}

} // namespace pql
