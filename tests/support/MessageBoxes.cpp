#include "support/MessageBoxes.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

MessageBoxes::MessageBoxes(std::deque<int> answers) : answers_(std::move(answers)) {
    previous_ = platform::SetMessageBoxResponder(
        [this](const platform::MessageBoxRequest& request, QMessageBox& box) {
            shown_.push_back({request, box.text(), box.icon()});
            if (answers_.empty()) {
                ADD_FAILURE() << "unanswered message box: " << request.prompt;
                return platform::vbCancel;
            }
            const int answer = answers_.front();
            answers_.pop_front();
            return answer;
        });
}

MessageBoxes::~MessageBoxes() {
    platform::SetMessageBoxResponder(std::move(previous_));
}

int UnexpectedMessageBox(const platform::MessageBoxRequest& request, QMessageBox&) {
    ADD_FAILURE() << "unexpected message box \"" << request.title << "\": " << request.prompt;
    return platform::vbCancel;
}
