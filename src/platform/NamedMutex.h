#pragma once

#include <QString>

namespace platform {

// Marks the process with a name for as long as it runs. Nobody tests the mark: a second copy
// makes its own attempt, fails quietly and runs all the same.
void CreateMutexA(const QString& name);

}  // namespace platform
