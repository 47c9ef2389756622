// The desktop's clipboard, for the few texts the models hand the user (the install hint).
#pragma once

#include <QString>

namespace ZintraRadio::Clipboard {

// Replaces the clipboard's content with `text`. False when the process has no GUI
// application object (and so no clipboard).
bool setText(const QString& text);
// The clipboard's text; empty without a GUI application object.
QString text();

} // namespace ZintraRadio::Clipboard
