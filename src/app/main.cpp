#include "app/ParlaneApp.h"
#include "core/AppVersion.h"

#include <QApplication>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Parlane"_s);
    QApplication::setApplicationVersion(QString::number(AppVersion::Major) + u'.' +
                                        QString::number(AppVersion::Minor));

    ParlaneApp parlane(QCoreApplication::applicationDirPath());
    parlane.Start();
    return QApplication::exec();
}
