#include "platform/gui/MessageBox.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace platform {
namespace {

MessageBoxResponder& Responder() {
    static MessageBoxResponder responder;
    return responder;
}

MessageBoxGathering*& Gathering() {
    static MessageBoxGathering* gathering = nullptr;
    return gathering;
}

std::vector<std::pair<QMessageBox::StandardButton, int>> ButtonsFor(int style) {
    using B = QMessageBox;
    switch (style & 7) {
        case vbOKCancel:
            return {{B::Ok, vbOK}, {B::Cancel, vbCancel}};
        case vbAbortRetryIgnore:
            return {{B::Abort, vbAbort}, {B::Retry, vbRetry}, {B::Ignore, vbIgnore}};
        case vbYesNoCancel:
            return {{B::Yes, vbYes}, {B::No, vbNo}, {B::Cancel, vbCancel}};
        case vbYesNo:
            return {{B::Yes, vbYes}, {B::No, vbNo}};
        case vbRetryCancel:
            return {{B::Retry, vbRetry}, {B::Cancel, vbCancel}};
        default:
            return {{B::Ok, vbOK}};
    }
}

QMessageBox::Icon IconFor(int style) {
    switch (style & 0x70) {
        case vbCritical:
            return QMessageBox::Critical;
        case vbQuestion:
            return QMessageBox::Question;
        case vbExclamation:
            return QMessageBox::Warning;
        case vbInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

int MsgBox(const QString& prompt, int style, const QString& title) {
    if (Gathering() && (style & 7) == vbOKOnly) {
        if (!Gathering()->prompts_.contains(prompt)) {
            Gathering()->prompts_ << prompt;
        }
        return vbOK;
    }
    const MessageBoxRequest request{prompt, style,
                                    title.isEmpty() ? QCoreApplication::applicationName() : title};

    QMessageBox box;
    box.setWindowTitle(request.title);
    box.setIcon(IconFor(style));
    QString shown = prompt;
    box.setText(shown.replace(u"\r\n"_s, u"\n"_s));
    box.setTextFormat(Qt::PlainText);
    const auto buttons = ButtonsFor(style);
    // Style bits 0x100 and 0x200 make the second or third button the default one.
    const std::size_t defaultIndex = std::size_t((style >> 8) & 3);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        QPushButton* button = box.addButton(buttons[i].first);
        if (i == defaultIndex) {
            box.setDefaultButton(button);
        }
    }

    if (Responder()) {
        return Responder()(request, box);
    }
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const auto& [button, result] : buttons) {
        if (button == clicked) {
            return result;
        }
    }
    // Closed by Escape or the close box: Cancel where there is one, else the only button.
    return buttons.size() == 1 ? buttons.front().second : vbCancel;
}

MessageBoxResponder SetMessageBoxResponder(MessageBoxResponder responder) {
    return std::exchange(Responder(), std::move(responder));
}

MessageBoxGathering::MessageBoxGathering() : outer_(std::exchange(Gathering(), this)) {}

MessageBoxGathering::~MessageBoxGathering() {
    StopGathering();
}

void MessageBoxGathering::StopGathering() {
    if (Gathering() == this) {
        Gathering() = outer_;
    }
}

void MessageBoxGathering::Show(int style, const QString& title) {
    StopGathering();
    if (!prompts_.isEmpty()) {
        MsgBox(std::exchange(prompts_, {}).join(u"\r\n\r\n"_s), style, title);
    }
}

void MessageBoxGathering::Print(const QString& title) {
    StopGathering();
    for (QString prompt : std::exchange(prompts_, {})) {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(title),
                     qUtf8Printable(prompt.replace(u"\r\n"_s, u" "_s)));
    }
}

}  // namespace platform
