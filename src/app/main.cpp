#include "app/ParlaneApp.h"
#include "app/QtPlatform.h"
#include "app/ReadAhead.h"
#include "core/AppVersion.h"
#include "core/modStartup.h"
#include "platform/ProfileFile.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

bool AsksForHelp(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            return true;
        }
    }
    return false;
}

// Answered without a display, so it works from a terminal anywhere.
int PrintHelp(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString program = modStartup::ProgramPathFor(QCoreApplication::applicationDirPath());
    std::printf(
        "Usage: parlane [Qt options]\n"
        "A messenger for the local network that speaks the Windows \"net send\" format.\n\n"
        "Settings file: %s\n"
        "Skins and help pages: %s\n",
        qUtf8Printable(modStartup::SettingsFileFor(program)),
        qUtf8Printable(modStartup::ResourcePathFor(program)));
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (AsksForHelp(argc, argv)) {
        return PrintHelp(argc, argv);
    }
    const QByteArray askedPlatform = QtPlatform::Choose();
    const QString executableDir =
        QFileInfo(QFile::symLinkTarget(u"/proc/self/exe"_s)).absolutePath();
    std::optional<ReadAhead> readAhead(
        std::in_place, platform::ReadProfileAhead(
                           modStartup::SettingsFileFor(modStartup::ProgramPathFor(executableDir))));
    QApplication app(argc, argv);
    readAhead.reset();
    QtPlatform::Restore(askedPlatform);
    QApplication::setApplicationName(u"Parlane"_s);
    QApplication::setApplicationVersion(QString::number(AppVersion::Major) + u'.' +
                                        QString::number(AppVersion::Minor));

    ParlaneApp parlane(QCoreApplication::applicationDirPath());
    parlane.Start();
    return QApplication::exec();
}
