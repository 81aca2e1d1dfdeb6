#pragma once

#include <QString>

namespace modCreateMutex {

// Creates the named mutex, unowned; whether it existed already is not looked at.
void CreateMutex(const QString& name);

}  // namespace modCreateMutex
