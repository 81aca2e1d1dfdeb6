#include "platform/ShellLaunch.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QUrl>

#include <signal.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace platform {
namespace {

QString& Opener() {
    static QString program = u"xdg-open"_s;
    return program;
}

// An address with a scheme of its own (http:, mailto:); "C:" style prefixes are paths.
bool IsAddress(const QString& target) {
    const QUrl url(target);
    return url.isValid() && url.scheme().size() > 1 && url.scheme() != u"file"_s;
}

QString LocalPath(const QString& target, const QString& directory) {
    if (target.startsWith(u"file:"_s)) {
        return QUrl(target).toLocalFile();
    }
    return QDir(directory).absoluteFilePath(target);
}

bool HasEnded(ProcessHandle pid) {
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH) {
        return true;
    }
    // A child nobody reaps stays a zombie; it has ended all the same.
    QFile stat(u"/proc/"_s + QString::number(pid) + u"/stat"_s);
    if (!stat.open(QIODevice::ReadOnly)) {
        return true;
    }
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && close + 2 < line.size() && line[close + 2] == 'Z';
}

}  // namespace

bool ShellExecuteExA(ShellExecuteInfo& info) {
    info.process = 0;
    if (!(info.verb.isEmpty() || info.verb.compare(u"open"_s, Qt::CaseInsensitive) == 0) ||
        info.file.isEmpty()) {
        return false;
    }
    const QString directory = info.directory.value_or(QDir::currentPath());
    if (info.directory && !QFileInfo(directory).isDir()) {
        return false;
    }

    QString program = Opener();
    QStringList arguments{info.file};
    if (!IsAddress(info.file)) {
        const QFileInfo local(LocalPath(info.file, directory));
        if (!local.exists()) {
            return false;
        }
        if (local.isFile() && local.isExecutable()) {
            program = local.absoluteFilePath();
            arguments = QProcess::splitCommand(info.parameters);
        } else {
            arguments = {local.absoluteFilePath()};
        }
    }

    qint64 pid = 0;
    if (!QProcess::startDetached(program, arguments, directory, &pid)) {
        return false;
    }
    if (info.mask & SEE_MASK_NOCLOSEPROCESS) {
        info.process = pid;
    }
    return true;
}

unsigned long WaitForSingleObject(ProcessHandle process, unsigned long milliseconds) {
    if (process <= 0) {
        return WAIT_FAILED;
    }
    QDeadlineTimer deadline(milliseconds == INFINITE ? QDeadlineTimer::Forever
                                                     : QDeadlineTimer(qint64(milliseconds)));
    while (!HasEnded(process)) {
        if (deadline.hasExpired()) {
            return WAIT_TIMEOUT;
        }
        QThread::msleep(10);
    }
    return WAIT_OBJECT_0;
}

void SetShellOpener(const QString& program) {
    Opener() = program;
}

}  // namespace platform
