#pragma once

#include "support/Files.h"

#include <QFile>
#include <QString>

// An executable shell script, for standing in for programs the code starts.
inline QString MakeScript(const QString& path, const QByteArray& body) {
    WriteBytes(path, "#!/bin/sh\n" + body);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// A script that writes its working directory and arguments, one a line, to path + ".out" and
// then waits the given seconds.
inline QString MakeRecordingScript(const QString& path, const char* sleepSeconds = "0") {
    return MakeScript(path, "printf '%s\\n' \"$PWD\" \"$@\" > \"$0.tmp\"\nsleep " +
                                QByteArray(sleepSeconds) + "\nmv \"$0.tmp\" \"$0.out\"\n");
}
