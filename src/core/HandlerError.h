#pragma once

#include "platform/RuntimeError.h"

#include <QString>

// How the program words an error that stopped a handler.
namespace HandlerError {

// "[number] - description".
QString NumberedText(const platform::RuntimeError& e);
// "Error during " handler ": [number] - description".
QString Text(const QString& handler, const platform::RuntimeError& e);

}  // namespace HandlerError
