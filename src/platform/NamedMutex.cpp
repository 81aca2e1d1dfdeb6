#include "platform/NamedMutex.h"

#include <QDir>
#include <QLockFile>

#include <memory>
#include <vector>

namespace platform {

void CreateMutexA(const QString& name) {
    // Held until the process ends; the lock file goes with it.
    static std::vector<std::unique_ptr<QLockFile>> held;
    auto lock = std::make_unique<QLockFile>(QDir::temp().filePath(name + QStringLiteral(".lock")));
    if (lock->tryLock(0)) {
        held.push_back(std::move(lock));
    }
}

}  // namespace platform
