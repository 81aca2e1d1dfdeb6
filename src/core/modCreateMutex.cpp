#include "core/modCreateMutex.h"

#include "platform/NamedMutex.h"

namespace modCreateMutex {

void CreateMutex(const QString& name) {
    platform::CreateMutexA(name);
}

}  // namespace modCreateMutex
