#pragma once

#include <QString>

// How the layers without windows tell the user of a problem or ask a yes-or-no question. The
// windows answer with message boxes; tests answer as they please.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // Something went wrong that the user should know; nothing to decide.
    virtual void Warn(const QString& text) = 0;
    // True for yes.
    virtual bool Confirm(const QString& question) = 0;
};
