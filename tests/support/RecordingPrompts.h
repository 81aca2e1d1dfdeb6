#pragma once

#include "core/UserPrompts.h"

#include <gtest/gtest.h>
#include <QStringList>

#include <deque>

// Answers the questions of the layers below the windows as the test scripts them and keeps what
// they told; a question nobody scripted fails the test and gets no.
class RecordingPrompts : public UserPrompts {
public:
    explicit RecordingPrompts(std::deque<bool> answers = {}) : answers_(std::move(answers)) {}

    void Warn(const QString& text) override { warnings << text; }
    bool Confirm(const QString& question) override {
        questions << question;
        if (answers_.empty()) {
            ADD_FAILURE() << "Unexpected question: " << question.toStdString();
            return false;
        }
        const bool yes = answers_.front();
        answers_.pop_front();
        return yes;
    }

    QStringList warnings;
    QStringList questions;

private:
    std::deque<bool> answers_;
};
