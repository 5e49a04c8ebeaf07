#include "clipboard_qt.h"

#include <QClipboard>
#include <QGuiApplication>

#include <windows.h>

namespace pql {

namespace {

// The Windows clipboard, which another program can hold open.
class WindowsClipboard final : public QtClipboard
{
public:
    // Qt tries to set a clipboard held open by another program three times,
    // 100 ms apart, with the window blocked, then drops the data. Asking
    // first costs nothing: opening the clipboard without changing it, and
    // closing it at once, fails exactly while another program holds it.
    bool put(const QString &text) override
    {
        if (!::OpenClipboard(nullptr))
            return false;
        ::CloseClipboard();
        const bool taken = QtClipboard::put(text);
        m_sequence = ::GetClipboardSequenceNumber(); // this change is ours
        return taken;
    }

    // Reading the clipboard through Qt needs it open, and reads as empty
    // when it cannot be opened; counting its formats needs nothing.
    bool isEmpty() override { return ::CountClipboardFormats() == 0; }

    // Windows counts every change of the clipboard. One made while this
    // program still owns it is a copy of ours being handed on, not new data.
    void watch() override { m_sequence = ::GetClipboardSequenceNumber(); }
    bool changedElsewhere() override
    {
        return ::GetClipboardSequenceNumber() != m_sequence && !m_clipboard->ownsClipboard()
            && !isEmpty();
    }

private:
    DWORD m_sequence = 0;
};

} // namespace

// Only Qt's Windows platform uses the Windows clipboard (the tests'
// offscreen platform keeps a clipboard of its own).
std::unique_ptr<Clipboard> systemClipboard()
{
    if (QGuiApplication::platformName() == u"windows")
        return std::make_unique<WindowsClipboard>();
    return std::make_unique<QtClipboard>();
}

} // namespace pql
