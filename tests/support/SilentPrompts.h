#pragma once

#include "core/UserPrompts.h"

// For programs that judge results, not warnings: warnings are dropped, every question answered no.
class SilentPrompts : public UserPrompts {
public:
    void Warn(const QString&) override {}
    bool Confirm(const QString&) override { return false; }
};
