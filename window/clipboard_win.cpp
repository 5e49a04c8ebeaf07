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
    Refusal refusal() const override { return Refusal::HeldByAnotherProgram; }

    // Windows counts every change of the clipboard: the count at the press
    // is the only one kept, so that no later change, made by whichever
    // program, is ever taken for one of this program's own.
    void beginCopy() override { m_sequenceAtPress = ::GetClipboardSequenceNumber(); }

    // Qt tries to set a clipboard held open by another program three times,
    // 100 ms apart, with the window blocked, then drops the data. Asking
    // first costs nothing: opening the clipboard without changing it, and
    // closing it at once, fails exactly while another program holds it.
    bool put(const QString &text) override
    {
        if (!::OpenClipboard(nullptr))
            return false;
        ::CloseClipboard();
        return QtClipboard::put(text);
    }

    // Reading the clipboard through Qt needs it open, and reads as empty
    // when it cannot be opened; counting its formats needs nothing.
    bool isEmpty() override { return ::CountClipboardFormats() == 0; }

    // A change made while this program owns the clipboard is its own copy.
    bool changedByAnotherProgram() override
    {
        return ::GetClipboardSequenceNumber() != m_sequenceAtPress && !m_clipboard->ownsClipboard();
    }

private:
    DWORD m_sequenceAtPress = 0;
};

} // namespace

// Only Qt's Windows platform uses the Windows clipboard (the tests'
// offscreen platform keeps a clipboard of its own).
std::unique_ptr<Clipboard> systemClipboard()
{
    if (QGuiApplication::platformName() == u"windows")
        return std::make_unique<WindowsClipboard>();
    return std::make_unique<ChangeSignalClipboard>();
}

} // namespace pql
