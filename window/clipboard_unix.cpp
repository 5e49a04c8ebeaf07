#include "clipboard_copy.h"

namespace pql {

// X11 and Wayland have no clipboard that one program holds open: Qt's own
// answer after the attempt is the whole story.
bool clipboardHeldElsewhere() { return false; }

bool clipboardIsEmpty() { return qtClipboardIsEmpty(); }

} // namespace pql
