#include "ui/shared/modErrorHelp.h"

#include "controls/modShellExecute.h"

#include <QLabel>
#include <QMouseEvent>

using namespace Qt::StringLiterals;

namespace modErrorHelp {

namespace {

class LinkClick : public QObject {
public:
    LinkClick(QLabel* link, std::function<void()> onClick)
        : QObject(link), onClick_(std::move(onClick)) {
        link->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            onClick_();
            return true;
        }
        return false;
    }

private:
    std::function<void()> onClick_;
};

}  // namespace

QLabel* CreateErrorHelpLink(QWidget* strip, std::function<void()> onClick) {
    auto* link = new QLabel(u"Explain"_s, strip);
    link->setObjectName(u"labErrorHelp"_s);
    link->setToolTip(u"Click for help, if available."_s);
    link->setCursor(Qt::PointingHandCursor);
    // A link's look without a style sheet, which would cost the window a style of its own.
    QFont font = link->font();
    font.setUnderline(true);
    link->setFont(font);
    QPalette colours = link->palette();
    colours.setColor(QPalette::WindowText, QColor(0x06, 0x45, 0xad));
    link->setPalette(colours);
    link->adjustSize();
    link->hide();
    new LinkClick(link, std::move(onClick));
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
