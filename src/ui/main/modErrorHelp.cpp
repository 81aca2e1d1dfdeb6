#include "ui/main/modErrorHelp.h"

#include "controls/modShellExecute.h"
#include "core/SharedState.h"
#include "ui/Forms.h"
#include "ui/main/wMain.h"

#include <QLabel>

using namespace Qt::StringLiterals;

namespace modErrorHelp {

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
        default:
            return u"Unknown.html"_s;
    }
}

void OpenErrorHelp(int code) {
    wMain* main = Forms::Main();
    modShellExecute::ShellExe(Shared().ErrorHelpPath + ErrorHelpPage(code), QString(),
                              main ? std::intptr_t(main->winId()) : 0, 1, QString(), false);
}

}  // namespace modErrorHelp
