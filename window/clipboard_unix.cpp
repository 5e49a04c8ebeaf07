#include "clipboard_qt.h"

namespace pql {

// X11 and Wayland have no clipboard that one program holds open: Qt's own
// answers are the whole story.
std::unique_ptr<Clipboard> systemClipboard() { return std::make_unique<QtClipboard>(); }

} // namespace pql
