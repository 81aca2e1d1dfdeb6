#include "ui/conversations/ConversationView.h"

#include "controls/Readable.h"
#include "transport/modMailSlots.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>

using namespace Qt::StringLiterals;

namespace ConversationView {

namespace {

QColor FromBgr(quint32 colour) {
    return QColor(int(colour & 0xff), int((colour >> 8) & 0xff), int((colour >> 16) & 0xff));
}

// One run as it stands, with its look.
void Insert(QTextEdit& box, const QString& plain, quint32 colour, const QString& fontName,
            int fontSize, bool bold, bool italic, bool underline) {
    QTextCharFormat format;
    // The design's red and black where they read on the box; their light counterparts on a dark
    // one.
    format.setForeground(Readable::On(FromBgr(colour), box.palette().color(QPalette::Base)));
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(italic);
    format.setFontUnderline(underline);
    format.setFontFamilies({fontName});
    format.setFontPointSize(fontSize);

    // A cursor of its own: the user's selection is never the insertion point.
    QTextCursor end(box.document());
    end.movePosition(QTextCursor::End);
    end.insertText(plain, format);

    box.setTextCursor(end);
    box.verticalScrollBar()->setValue(box.verticalScrollBar()->maximum());
}

}  // namespace

void AppendText(QTextEdit& box, const QString& text, quint32 colour, const QString& fontName,
                int fontSize, bool bold, bool italic, bool underline) {
    QString plain = text;
    plain.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n').replace(u'|', u'\n');
    Insert(box, plain, colour, fontName, fontSize, bold, italic, underline);
}

// The name comes from the network: a "|", line break or other control in it is shown, never
// obeyed, so it cannot start a second line that looks like another sender's message.
void AppendIncomingLine(QTextEdit& box, const QString& name, const QString& text) {
    Insert(box, modMailSlots::EscapeControls(name), 255, u"Tahoma"_s, 8, true, false, false);
    AppendText(box, u": "_s + text + u"\r\n"_s, 0, u"Tahoma"_s, 8, false, false, false);
}

}  // namespace ConversationView
