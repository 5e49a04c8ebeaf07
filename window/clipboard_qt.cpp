#include "clipboard_qt.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QScopedValueRollback>

namespace pql {

QtClipboard::QtClipboard() : m_clipboard(QGuiApplication::clipboard()) { }

bool QtClipboard::put(const QString &text)
{
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

ChangeSignalClipboard::ChangeSignalClipboard()
{
    QObject::connect(m_clipboard, &QClipboard::changed, &m_receiver, [this](QClipboard::Mode mode) {
        if (mode != QClipboard::Clipboard)
            return;
        if (m_putting)
            m_sent = true;
        else if (!m_clipboard->ownsClipboard())
            m_changed = true;
    });
}

bool ChangeSignalClipboard::put(const QString &text)
{
    const QScopedValueRollback putting(m_putting, true);
    m_sent = false;
    return QtClipboard::put(text);
}

} // namespace pql
