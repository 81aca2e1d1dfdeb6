#pragma once

#include "support/Files.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTest>

// A shell script, standing in for programs the code starts, that writes its working directory
// and arguments, one a line, to path + ".out" and then waits the given seconds.
inline QString MakeRecordingScript(const QString& path, const char* sleepSeconds = "0") {
    WriteBytes(path, "#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > \"$0.tmp\"\nsleep " +
                         QByteArray(sleepSeconds) + "\nmv \"$0.tmp\" \"$0.out\"\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// What a recording script wrote (its working directory, then its arguments), once it has
// finished; taken, so that its next run is awaited afresh. Empty when it did not run within 5 s.
inline QStringList RecordedBy(const QString& script) {
    const QString out = script + QStringLiteral(".out");
    if (!QTest::qWaitFor([&] { return QFile::exists(out); }, 5000)) {
        return {};
    }
    const QStringList recorded = QString::fromUtf8(ReadBytes(out)).split(u'\n', Qt::SkipEmptyParts);
    QFile::remove(out);
    return recorded;
}
