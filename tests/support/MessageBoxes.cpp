#include "support/MessageBoxes.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QPushButton>

namespace {

int DefaultAnswer(QMessageBox& box) {
    QAbstractButton* button = box.defaultButton();
    if (!button) {
        button = box.buttons().value(0);
    }
    switch (box.standardButton(button)) {
        case QMessageBox::Yes:
            return platform::vbYes;
        case QMessageBox::No:
            return platform::vbNo;
        case QMessageBox::Cancel:
            return platform::vbCancel;
        default:
            return platform::vbOK;
    }
}

}  // namespace

MessageBoxes::MessageBoxes(std::deque<int> answers) : answers_(std::move(answers)) {
    previous_ = platform::SetMessageBoxResponder(
        [this](const platform::MessageBoxRequest& request, QMessageBox& box) {
            shown_.push_back({request, box.text(), box.icon()});
            if (answers_.empty()) {
                ADD_FAILURE() << "unanswered message box: " << request.prompt;
                return DefaultAnswer(box);
            }
            const int answer = answers_.front();
            answers_.pop_front();
            return answer;
        });
}

MessageBoxes::~MessageBoxes() {
    platform::SetMessageBoxResponder(std::move(previous_));
}

int UnexpectedMessageBox(const platform::MessageBoxRequest& request, QMessageBox& box) {
    ADD_FAILURE() << "unexpected message box \"" << request.title << "\": " << request.prompt;
    return DefaultAnswer(box);
}
