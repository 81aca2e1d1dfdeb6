#include "platform/NamedMutex.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

void CreateMutexA(const QString& name) {
    // The lock is held until the process ends, however it ends; the kernel lets it go then.
    const QByteArray path =
        QFile::encodeName(QDir::temp().filePath(name + QStringLiteral(".lock")));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
    }
}

}  // namespace platform
