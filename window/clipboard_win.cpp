#include "clipboard_copy.h"

#include <QGuiApplication>

#include <windows.h>

namespace pql {

namespace {

// Only Qt's Windows platform uses the Windows clipboard (the tests' offscreen
// platform keeps a clipboard of its own).
bool native() { return QGuiApplication::platformName() == u"windows"; }

} // namespace

// Qt tries to set a clipboard held open by another program three times,
// 100 ms apart, with the window blocked, then drops the data. Asking first
// costs nothing: opening the clipboard without changing it, and closing it
// at once, fails exactly while another program holds it.
bool clipboardHeldElsewhere()
{
    if (!native())
        return false;
    if (!::OpenClipboard(nullptr))
        return true;
    ::CloseClipboard();
    return false;
}

// Reading the clipboard through Qt needs it open, and reads as empty when
// it cannot be opened; counting its formats needs nothing.
bool clipboardIsEmpty() { return native() ? ::CountClipboardFormats() == 0 : qtClipboardIsEmpty(); }

} // namespace pql
