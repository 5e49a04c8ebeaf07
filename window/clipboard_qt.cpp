#include "clipboard_qt.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QScopedValueRollback>

namespace pql {

QtClipboard::QtClipboard() : m_clipboard(QGuiApplication::clipboard())
{
    QObject::connect(m_clipboard, &QClipboard::changed, &m_receiver, [this](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !m_putting && !m_clipboard->ownsClipboard())
            m_changed = true;
    });
}

bool QtClipboard::put(const QString &text)
{
    const QScopedValueRollback putting(m_putting, true);
    if (text.isEmpty()) {
        m_clipboard->clear();
        return isEmpty();
    }
    // Setting data replaces every format on the clipboard at once, on every
    // platform: no empty clipboard is announced on the way.
    auto *data = new QMimeData;
    data->setText(text);
    const QPointer<QMimeData> ours(data);
    m_clipboard->setMimeData(data); // the clipboard owns it from here
    return ours && m_clipboard->mimeData() == ours;
}

bool QtClipboard::isEmpty()
{
    const QMimeData *data = m_clipboard->mimeData();
    return !data || data->formats().isEmpty();
}

void QtClipboard::watch() { m_changed = false; }

// A program that empties the clipboard leaves nothing newer to protect.
bool QtClipboard::changedElsewhere() { return m_changed && !isEmpty(); }

} // namespace pql
