#include "core/AppVersion.h"
#include "core/modStartup.h"
#include "ui/main/StartupWindows.h"

#include <QApplication>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Parlane"_s);
    QApplication::setApplicationVersion(QString::number(AppVersion::Major) + u'.' +
                                        QString::number(AppVersion::Minor));

    StartupWindows windows;
    modStartup::Main(windows, QCoreApplication::applicationDirPath());
    return QApplication::exec();
}
