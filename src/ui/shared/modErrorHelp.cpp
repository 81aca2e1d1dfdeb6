#include "ui/shared/modErrorHelp.h"

#include "controls/LinkLabel.h"
#include "controls/modShellExecute.h"

using namespace Qt::StringLiterals;

namespace modErrorHelp {

QLabel* CreateErrorHelpLink(QWidget* strip, std::function<void()> onClick) {
    auto* link = new LinkLabel(u"Explain"_s, QColor(0x06, 0x45, 0xad), strip);
    link->setObjectName(u"labErrorHelp"_s);
    link->setToolTip(u"Click for help, if available."_s);
    link->adjustSize();
    link->hide();
    QObject::connect(link, &LinkLabel::clicked, link, std::move(onClick));
    return link;
}

void ShowErrorHelp(QWidget* window, int code) {
    auto* link = window ? window->findChild<QLabel*>(u"labErrorHelp"_s) : nullptr;
    if (!link) {
        return;
    }
    if (code != kNoError) {
        link->setVisible(true);
        link->setProperty("Tag", QString::number(code));
    } else {
        link->setVisible(false);
    }
}

QString ErrorHelpPage(int code) {
    switch (code) {
        case kNoError:
            return u"NoError.html"_s;
        case kCouldNotOpenMailSlot:
            return u"CouldNotOpenMailSlot.html"_s;
        case kCouldNotSendMessage:
            return u"CouldNotSendMessage.html"_s;
        case kNoMessageToSend:
            return u"NoMessageToSend.html"_s;
        case kSomeMessagesLost:
            return u"SomeMessagesLost.html"_s;
        default:
            return u"Unknown.html"_s;
    }
}

void OpenErrorHelp(const QString& errorHelpPath, int code) {
    modShellExecute::ShellExe(errorHelpPath + ErrorHelpPage(code), QString(), 0, 1, QString(),
                              false);
}

}  // namespace modErrorHelp
