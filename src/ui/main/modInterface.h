#pragma once

#include <QString>

// Routines the windows share with the main window.
namespace modInterface {

// Keeps the text as the program's status and repaints the main window's strip at once.
void SetStatusText(const QString& text);

// Closes every window but the main one: the four dialog-like windows that are open, then the
// rest from the most recently loaded back.
void UnloadAllWindows();

// The skin pictures again, on the main window.
void RefreshMainSkin();

}  // namespace modInterface
