#include "support/MessageBoxes.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests happens at build time, where no display may exist.
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Components are found through a registry of the run's own, never the user's.
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    // Offscreen keeps window opacity and stacking but says at every call that it cannot show them.
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.startsWith(u"This plugin does not support"_s)) {
                previous(type, context, message);
            }
        });
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Parlane"_s);
    platform::SetMessageBoxResponder(UnexpectedMessageBox);
    return RUN_ALL_TESTS();
}
