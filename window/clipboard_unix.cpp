#include "clipboard_qt.h"

#include <QClipboard>
#include <QGuiApplication>

#include <optional>

namespace pql {

namespace {

// A Wayland compositor answers a request for the clipboard in its own
// time; until it has, Qt still shows the selection that was there before,
// so an emptied clipboard does not look empty at once. Each text is asked
// for once a copy, and the attempts after that look for the answer.
class WaylandClipboard final : public ChangeSignalClipboard
{
public:
    void beginCopy() override
    {
        ChangeSignalClipboard::beginCopy();
        m_asked.reset();
    }
    bool put(const QString &text) override
    {
        if (m_asked == text)
            return text.isEmpty() ? isEmpty() : m_clipboard->ownsClipboard();
        const bool taken = ChangeSignalClipboard::put(text);
        if (m_sent)
            m_asked = text;
        return taken;
    }

private:
    std::optional<QString> m_asked;
};

} // namespace

std::unique_ptr<Clipboard> systemClipboard()
{
    if (QGuiApplication::platformName().startsWith(u"wayland"))
        return std::make_unique<WaylandClipboard>();
    return std::make_unique<ChangeSignalClipboard>();
}

} // namespace pql
