#include "core/AppVersion.h"
#include "core/SharedState.h"
#include "platform/ProfileFile.h"
#include "platform/ShellLaunch.h"
#include "support/Files.h"
#include "support/MessageBoxes.h"
#include "support/QtPrinters.h"
#include "support/RecordingPrompts.h"
#include "support/Scripts.h"
#include "ui/dialogs/wAbout.h"
#include "ui/shared/Skins.h"
#include "ui/shared/WindowContext.h"
#include "ui/shared/WindowList.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

class AboutWindow : public ::testing::Test {
protected:
    void SetUp() override {
        platform::ForgetCachedProfiles();
        state.WindowMetricsINIFile = dir.filePath(u"Settings.ini"_s);
    }
    void TearDown() override {
        if (QWidget* w = windows.Find(u"wAbout"_s)) {
            w->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::SetShellOpener(u"xdg-open"_s);
    }

    QTemporaryDir dir;
    SharedState state;
    WindowList windows{state};
    Skins skins{state, windows};
    RecordingPrompts prompts;
    WindowContext context{state, windows, skins, prompts};
};

TEST_F(AboutWindow, VersionAndBuildTexts) {
    EXPECT_EQ(wAbout::VersionText(1, 0), u"1.00"_s);
    EXPECT_EQ(wAbout::VersionText(1, 5), u"1.05"_s);
    EXPECT_EQ(wAbout::VersionText(2, 10), u"2.10"_s);
    EXPECT_EQ(wAbout::BuildText(12), u"#012"_s);
    EXPECT_EQ(wAbout::BuildText(1234), u"#1234"_s);
    EXPECT_EQ(wAbout::BuildText(0), u"#000"_s);
}

TEST_F(AboutWindow, OpensWithTheProgramsVersionSkinAndPlace) {
    WriteBytes(state.WindowMetricsINIFile,
               "[Window Metrics]\r\nwAbout Window Left=1500\r\nwAbout Window Top=3000\r\n");
    state.SkinningEnabled = true;
    state.DefaultSkinPath = QStringLiteral(PARLANE_RUNTIME_DIR) + u"/Skins/Default/"_s;
    skins.LoadSkinImages();

    wAbout* w = wAbout::Open(context);
    EXPECT_EQ(w->windowTitle(), u"Parlane Extended"_s);
    EXPECT_EQ(w->labVersion->text(), wAbout::VersionText(AppVersion::Major, AppVersion::Minor));
    EXPECT_EQ(w->labBuild->text(), wAbout::BuildText(AppVersion::Revision));
    EXPECT_FALSE(w->imgGlobe->pixmap().isNull());
    EXPECT_FALSE(w->imgBottom->pixmap().isNull());
    EXPECT_FALSE(w->imgOstrellLogo->pixmap().isNull());
    EXPECT_FALSE(w->cmdCheckForUpdate->isEnabled());
    EXPECT_EQ(w->pos(), QPoint(100, 200));
    EXPECT_TRUE(state.AboutWindowOpen);
    EXPECT_EQ(wAbout::Open(context), w);
    // PARLANE_WRITE_PICTURES=dir writes the window's picture there.
    const QString pictures = qEnvironmentVariable("PARLANE_WRITE_PICTURES");
    if (!pictures.isEmpty()) {
        EXPECT_TRUE(w->grab().save(pictures + u"/about-window.png"_s));
    }

    // Esc on Close closes it, saving the place and clearing the flag.
    w->move(60, 90);
    w->cmdClose->setFocus();
    QTest::keyClick(w->cmdClose, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(state.AboutWindowOpen);
    const QByteArray saved = ReadBytes(state.WindowMetricsINIFile);
    EXPECT_TRUE(saved.contains("wAbout Window Left=900\r\n")) << saved.constData();
    EXPECT_TRUE(saved.contains("wAbout Window Top=1350\r\n"));
    EXPECT_FALSE(saved.contains("wAbout Window Width"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_NE(wAbout::Open(context), nullptr);
}

TEST_F(AboutWindow, TheLogoAndTheWebSiteLabelOpenTheSameSite) {
    const QString opener = MakeRecordingScript(dir.filePath(u"opener"_s));
    platform::SetShellOpener(opener);
    wAbout* w = wAbout::Open(context);
    QTest::mouseClick(w->labWebsite, Qt::LeftButton);
    const QStringList first = RecordedBy(opener);
    QFile::remove(opener + u".out"_s);
    QTest::mouseClick(w->imgOstrellLogo, Qt::LeftButton);
    EXPECT_EQ(RecordedBy(opener), first);
    EXPECT_EQ(first.value(1), wAbout::kWebsite);
    EXPECT_TRUE(w->isVisible());
}

TEST_F(AboutWindow, WithoutAMetricsFileTheLoadErrorIsShown) {
    state.WindowMetricsINIFile.clear();
    MessageBoxes boxes({platform::vbOK, platform::vbOK});
    wAbout* w = wAbout::Open(context);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(boxes.shown()[0].request.prompt.startsWith(u"Error during Form_Load: [9999]"_s));
    w->close();
    EXPECT_FALSE(state.AboutWindowOpen);
}

}  // namespace
