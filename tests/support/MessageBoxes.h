#pragma once

#include "platform/gui/MessageBox.h"

#include <QMessageBox>

#include <deque>
#include <vector>

// Answers the message boxes a test causes, in order, and remembers what each one showed.
// Without answers left, a box is cancelled, as Escape would, and the test fails.
class MessageBoxes {
public:
    struct Shown {
        platform::MessageBoxRequest request;
        QString text;
        QMessageBox::Icon icon;
    };

    explicit MessageBoxes(std::deque<int> answers = {});
    ~MessageBoxes();
    MessageBoxes(const MessageBoxes&) = delete;
    MessageBoxes& operator=(const MessageBoxes&) = delete;

    const std::vector<Shown>& shown() const { return shown_; }

private:
    std::deque<int> answers_;
    std::vector<Shown> shown_;
    platform::MessageBoxResponder previous_;
};

// Installed by the test main: a box nobody expected fails the test, cancelled, never blocking.
int UnexpectedMessageBox(const platform::MessageBoxRequest& request, QMessageBox&);
