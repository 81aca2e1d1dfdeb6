#include "ui/shared/MessageBoxPrompts.h"

#include "core/SharedState.h"
#include "platform/gui/MessageBox.h"

void MessageBoxPrompts::Warn(const QString& text) {
    platform::MsgBox(text, platform::vbExclamation, state_.AppName);
}

bool MessageBoxPrompts::Confirm(const QString& question) {
    return platform::MsgBox(question, platform::vbYesNo | platform::vbQuestion, state_.AppName) ==
           platform::vbYes;
}
