#pragma once

#include "app/ParlaneApp.h"
#include "controls/ContactTreeWidget.h"
#include "platform/ProfileFile.h"
#include "platform/ShellLaunch.h"
#include "support/Files.h"
#include "support/MailslotNetwork.h"
#include "ui/main/wMain.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

inline void CopyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& entry :
         QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry.isDir()) {
            CopyTree(entry.filePath(), to + u'/' + entry.fileName());
        } else {
            QFile::copy(entry.filePath(), to + u'/' + entry.fileName());
        }
    }
}

// The whole program started on a settings file of the test's own, in a temporary program
// directory, listening on a free port of its own.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override { platform::ForgetCachedProfiles(); }
    void TearDown() override {
        if (app && app->MainWindow()) {
            app->MainWindow()->close();
        }
        app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::SetShellOpener(QStringLiteral("xdg-open"));
    }

    QString settings() const { return dir.filePath(QStringLiteral("Settings.ini")); }
    void WriteSettings(const QByteArray& more) {
        WriteBytes(settings(), "[Contact List - Interface]\r\nDisplay Splash=0\r\n" + more);
    }
    // The skin pictures and help pages of the build beside the test's program directory.
    void CopyResources() {
        CopyTree(QStringLiteral(PARLANE_RUNTIME_DIR) + QStringLiteral("/Skins"),
                 dir.filePath(QStringLiteral("Skins")));
        CopyTree(QStringLiteral(PARLANE_RUNTIME_DIR) + QStringLiteral("/Data"),
                 dir.filePath(QStringLiteral("Data")));
    }

    wMain& Start() {
        platform::ForgetCachedProfiles();
        app = std::make_unique<ParlaneApp>(dir.path());
        app->Tray().OverrideTrayAvailable(trayAvailable);
        app->Start();
        return *app->MainWindow();
    }
    void Restart() {
        app->MainWindow()->close();
        app.reset();
        Start();
    }
    wMain& main() { return *app->MainWindow(); }
    SharedState& state() { return app->State(); }
    WindowContext& context() { return app->Context(); }

    QTemporaryDir dir;
    ScopedMailslotNetwork network;
    std::unique_ptr<ParlaneApp> app;
    bool trayAvailable = true;  // a tray host stands in, unless a test takes it away

    QTreeWidgetItem* Node(const QString& key) {
        return static_cast<ContactTreeWidget&>(main().Contacts()).Node(key);
    }
    QStringList Children(const QString& key) {
        QStringList texts;
        const QTreeWidgetItem* node = Node(key);
        for (int i = 0; node && i < node->childCount(); ++i) {
            texts << node->child(i)->text(0);
        }
        return texts;
    }
    // A right click on a node, as the mouse gives it.
    void RightClick(const QString& key) {
        QTreeWidget* tree = main().tvwContacts;
        tree->expandAll();
        const QRect at = tree->visualItemRect(Node(key));
        ASSERT_TRUE(at.isValid()) << key;
        // What the platform makes of a right click.
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, at.center());
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at.center(),
                               tree->viewport()->mapToGlobal(at.center()));
        QApplication::sendEvent(tree->viewport(), &menu);
        ASSERT_TRUE(QTest::qWaitFor([&] { return main().mCONTEXTMENU->isVisible(); }));
    }
};
