#pragma once

#include "core/UserPrompts.h"

struct SharedState;

// The layers below the windows ask and warn through message boxes titled with the program's name.
class MessageBoxPrompts : public UserPrompts {
public:
    explicit MessageBoxPrompts(const SharedState& state) : state_(state) {}
    void Warn(const QString& text) override;
    bool Confirm(const QString& question) override;

private:
    const SharedState& state_;
};
