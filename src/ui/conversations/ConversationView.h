#pragma once

#include <QString>

class QTextEdit;

// Writing into a conversation's history view: one run of plain text with its look, always at the
// end.
namespace ConversationView {

// Colour is 0x00BBGGRR. The text is never read as markup; "|" and CR LF become line breaks.
// The view is left scrolled to its end with nothing selected.
void AppendText(QTextEdit& box, const QString& text, quint32 colour, const QString& fontName,
                int fontSize, bool bold, bool italic, bool underline);

// A received line: the name in red bold, then ": ", the text and a line break in black. The name
// stays on its line: "|" shows as itself and control characters as escapes.
void AppendIncomingLine(QTextEdit& box, const QString& name, const QString& text);

}  // namespace ConversationView
