#include "StatusNotifierWatcher.h"

#include <QDBusMessage>

QStringList StatusNotifierWatcher::RegisteredStatusNotifierItems() const {
    const QMutexLocker lock(&mutex_);
    return items_;
}

// Items name either their service (the path is the usual one) or their path (the service is
// the caller).
void StatusNotifierWatcher::RegisterStatusNotifierItem(const QString& serviceOrPath) {
    const QString item = serviceOrPath.startsWith(u'/')
                             ? message().service() + serviceOrPath
                             : serviceOrPath + QStringLiteral("/StatusNotifierItem");
    {
        const QMutexLocker lock(&mutex_);
        items_ << item;
    }
    Q_EMIT StatusNotifierItemRegistered(item);
}
