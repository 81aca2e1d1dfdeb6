#pragma once

#include "core/UserPrompts.h"

// For programs that judge the results instead of the warnings: every warning is dropped and every
// question answered no.
class SilentPrompts : public UserPrompts {
public:
    void Warn(const QString&) override {}
    bool Confirm(const QString&) override { return false; }
};
