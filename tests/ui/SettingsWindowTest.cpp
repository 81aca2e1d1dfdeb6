#include "controls/ContactTreeWidget.h"
#include "core/SharedState.h"
#include "platform/ComponentObject.h"
#include "platform/ComponentRegistry.h"
#include "support/Files.h"
#include "support/MainWindowFixture.h"
#include "support/MessageBoxes.h"
#include "support/QtPrinters.h"
#include "ui/conversations/wCatchAll.h"
#include "ui/dialogs/wAbout.h"
#include "ui/dialogs/wAddContact.h"
#include "ui/dialogs/wSettings.h"
#include "ui/shared/WindowList.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLabel>
#include <QLibrary>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kPlace =
    "[Window Metrics]\r\nwSettings Window Left=1200\r\nwSettings Window Top=900\r\n";

class SettingsWindow : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        // A registry of the test's own: empty unless the test registers the component.
        qputenv("XDG_CONFIG_HOME", dir.filePath(u"config"_s).toLocal8Bit());
    }

    // What the build's registration step does.
    static void RegisterComponent() {
        QLibrary library(QStringLiteral(PARLANE_GLIMMERTIP_LIBRARY));
        const auto entry = reinterpret_cast<platform::ComponentRegistry::DllRegisterServerFn>(
            library.resolve("DllRegisterServer"));
        ASSERT_NE(entry, nullptr) << library.errorString();
        ASSERT_EQ(entry(), platform::ComponentRegistry::S_OK);
    }

    wSettings* OpenFromMenu() {
        main().mTOOLS_SETTINGS->trigger();
        return qobject_cast<wSettings*>(context().windows.Find(u"wSettings"_s));
    }
    static QTreeWidgetItem* Section(wSettings* w, const QString& key) {
        const auto items =
            w->tvwSections->findItems(u"*"_s, Qt::MatchWildcard | Qt::MatchRecursive);
        for (QTreeWidgetItem* item : items) {
            if (ContactTreeWidget::KeyOf(*item) == key) {
                return item;
            }
        }
        return nullptr;
    }
    static void ClickSection(wSettings* w, const QString& key,
                             Qt::MouseButton button = Qt::LeftButton) {
        const QRect at = w->tvwSections->visualItemRect(Section(w, key));
        QTest::mouseClick(w->tvwSections->viewport(), button, {}, at.center());
    }
    static QWidget* Popup() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == u"wGlimmertip"_s && w->isVisible()) {
                return w;
            }
        }
        return nullptr;
    }
    static QString PopupText(const char* label) {
        QWidget* popup = Popup();
        auto* text = popup ? popup->findChild<QLabel*>(QLatin1StringView(label)) : nullptr;
        return text ? text->text() : u"(no popup)"_s;
    }
};

TEST_F(SettingsWindow, OpensOnTheFirstPaneWithTheSettingsInMemory) {
    RegisterComponent();
    WriteSettings("[Skinning]\r\nEnable=0\r\n" + kPlace);
    Start();
    state().MinimiseOnStartup = true;  // memory, not the file, fills the boxes
    wSettings* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    w->tvwSections->setFocus();
    QCoreApplication::processEvents();

    EXPECT_EQ(w->FrontPane(), 0);
    EXPECT_TRUE(w->tvwSections->selectedItems().isEmpty());
    EXPECT_EQ(w->pos(), QPoint(80, 60));
    EXPECT_TRUE(state().SettingsWindowOpen);
    EXPECT_FALSE(w->chkContactListInterface_DisplaySplash->isChecked());
    EXPECT_TRUE(w->chkContactListInterface_MinimiseOnStartup->isChecked());
    EXPECT_FALSE(w->chkEnableApplicationSkinning->isChecked());
    ASSERT_NE(w->ToolTip, nullptr) << w->ToolTipError;
    EXPECT_EQ(OpenFromMenu(), w);

    // Each section, the children of the open Contact List too, brings its pane; only that pane
    // is shown, so that no hidden box takes the focus.
    const std::pair<QString, int> sections[] = {{u"_contactlist_skinning"_s, 2},
                                                {u"_sounds"_s, 5},
                                                {u"_contactlist_interface"_s, 1},
                                                {u"_contactlist"_s, 0}};
    for (const auto& [key, pane] : sections) {
        ClickSection(w, key);
        EXPECT_EQ(w->FrontPane(), pane) << key;
        for (int i = 0; i < wSettings::kPaneCount; ++i) {
            EXPECT_EQ(w->picContainer[i]->isVisible(), i == pane) << key << " pane " << i;
        }
    }
    QTest::keyClick(w->tvwSections, Qt::Key_Down);
    EXPECT_EQ(w->FrontPane(), 1);
}

TEST_F(SettingsWindow, SaveWritesReloadsAndTakesThePicturesOffEveryOpenWindow) {
    CopyResources();
    WriteSettings("[Skinning]\r\nEnable=1\r\n");
    wMain& m = Start();
    wAddContact* add = wAddContact::Open(context(), main().Contacts());
    wAbout* about = wAbout::Open(context());
    wCatchAll* catchAll = app->Chats().OpenCatchAll();
    ASSERT_FALSE(m.picStatus->Picture().isNull());
    for (QLabel* image : {add->imgTopRightLogo, add->imgBottom, about->imgGlobe,
                          catchAll->imgGlobeBig, catchAll->imgBottom}) {
        ASSERT_FALSE(image->pixmap().isNull()) << image->objectName();
    }

    // No component is registered or beside the program: the window works without help.
    wSettings* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->ToolTip, nullptr);
    EXPECT_FALSE(w->ToolTipError.isEmpty());
    EXPECT_FALSE(w->imgTopRightLogo->pixmap().isNull());
    QTest::mouseClick(w->cmdSave, Qt::RightButton);
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_TRUE(w->isVisible());

    ClickSection(w, u"_contactlist_skinning"_s);
    QTest::mouseClick(w->chkEnableApplicationSkinning, Qt::LeftButton);
    ClickSection(w, u"_contactlist_interface"_s);
    QTest::mouseClick(w->chkContactListInterface_MinimiseOnStartup, Qt::LeftButton);
    const QPoint place = w->pos() * 15;
    QTest::mouseClick(w->cmdSave, Qt::LeftButton);
    EXPECT_EQ(ReadBytes(settings()),
              "[Contact List - Interface]\r\nDisplay Splash=0\r\nMinimise On Startup=1\r\n"
              "[Skinning]\r\nEnable=0\r\n\r\n[Window Metrics]\r\nwSettings Window Left=" +
                  QByteArray::number(place.x()) +
                  "\r\nwSettings Window Top=" + QByteArray::number(place.y()) + "\r\n");
    EXPECT_FALSE(state().SkinningEnabled);
    EXPECT_TRUE(state().MinimiseOnStartup);
    EXPECT_FALSE(state().DisplaySplash);
    EXPECT_FALSE(state().SettingsWindowOpen);
    EXPECT_EQ(context().windows.Find(u"wSettings"_s), nullptr);
    EXPECT_TRUE(m.picStatus->Picture().isNull());
    for (QLabel* image : {add->imgTopRightLogo, add->imgBottom, about->imgGlobe,
                          catchAll->imgGlobeBig, catchAll->imgBottom}) {
        EXPECT_TRUE(image->pixmap().isNull()) << image->objectName();
    }

    // And back on: the pictures are read again and return.
    w = OpenFromMenu();
    EXPECT_TRUE(w->imgTopRightLogo->pixmap().isNull());
    w->chkEnableApplicationSkinning->setChecked(true);
    w->cmdSave_Click();
    EXPECT_TRUE(state().SkinningEnabled);
    EXPECT_FALSE(m.picStatus->Picture().isNull());
    EXPECT_FALSE(about->imgGlobe->pixmap().isNull());
    EXPECT_FALSE(catchAll->imgGlobeBig->pixmap().isNull());
}

TEST_F(SettingsWindow, EscapeCancelAndAFailedSaveChangeNothing) {
    WriteSettings("[Skinning]\r\nEnable=1\r\n" + kPlace);
    Start();
    const QByteArray before = ReadBytes(settings());
    const auto toggleAll = [](wSettings* w) {
        for (QCheckBox* box :
             {w->chkContactListInterface_DisplaySplash,
              w->chkContactListInterface_MinimiseOnStartup, w->chkEnableApplicationSkinning}) {
            box->toggle();
        }
    };
    const auto unchanged = [&] {
        EXPECT_EQ(context().windows.Find(u"wSettings"_s), nullptr);
        EXPECT_FALSE(state().SettingsWindowOpen);
        EXPECT_EQ(ReadBytes(settings()), before);
        EXPECT_TRUE(state().SkinningEnabled);
        EXPECT_FALSE(state().DisplaySplash);
    };

    wSettings* w = OpenFromMenu();
    toggleAll(w);
    QTest::keyClick(w->tvwSections, Qt::Key_Escape);
    unchanged();

    w = OpenFromMenu();
    toggleAll(w);
    w->cmdCancel->setFocus();
    QTest::keyClick(w->cmdCancel, Qt::Key_Escape);
    unchanged();

    w = OpenFromMenu();
    toggleAll(w);
    QTest::mouseClick(w->cmdCancel, Qt::LeftButton);
    unchanged();

    // A settings file that cannot be written: the user hears of it and keeps the window.
    w = OpenFromMenu();
    toggleAll(w);
    const QString file = state().SettingsFile;
    // A file where its directory should be, so no directory can be made for it.
    WriteBytes(dir.filePath(u"blocked"_s), "");
    state().SettingsFile = dir.filePath(u"blocked/Settings.ini"_s);
    {
        MessageBoxes boxes({platform::vbOK});
        w->cmdSave_Click();
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_TRUE(boxes.shown()[0].text.startsWith(u"Error while saving the settings: "_s))
            << boxes.shown()[0].text;
    }
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->chkEnableApplicationSkinning->isChecked());
    EXPECT_TRUE(state().SkinningEnabled);
    state().SettingsFile = file;
    QTest::keyClick(w->tvwSections, Qt::Key_Escape);
    unchanged();
}

TEST_F(SettingsWindow, ARightClickShowsHelpAndDoesNothingElse) {
    RegisterComponent();
    CopyResources();
    WriteSettings("[Skinning]\r\nEnable=1\r\n" + kPlace);
    Start();
    const QByteArray before = ReadBytes(settings());
    wSettings* w = OpenFromMenu();
    ASSERT_NE(w->ToolTip, nullptr) << w->ToolTipError;

    // Other buttons give no help.
    QTest::mouseClick(w->cmdSave, Qt::MiddleButton);
    EXPECT_EQ(Popup(), nullptr);

    QTest::mouseClick(w->cmdSave, Qt::RightButton);
    EXPECT_EQ(PopupText("labTitle"), u"Save Changes"_s);
    EXPECT_EQ(PopupText("labBody"), u"Clicking on this button will save any changes made."_s);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(ReadBytes(settings()), before);

    QTest::mouseClick(w->cmdCancel, Qt::RightButton);
    EXPECT_EQ(PopupText("labTitle"), u"Cancel Changes"_s);
    EXPECT_TRUE(w->isVisible());

    // In the tree it selects nothing, so the pane stays.
    ClickSection(w, u"_contactlist_interface"_s, Qt::RightButton);
    EXPECT_EQ(PopupText("labTitle"), u"Sections"_s);
    EXPECT_TRUE(w->tvwSections->selectedItems().isEmpty());
    EXPECT_EQ(w->FrontPane(), 0);

    ClickSection(w, u"_contactlist_skinning"_s);
    QTest::mouseClick(w->chkEnableApplicationSkinning, Qt::RightButton);
    EXPECT_TRUE(w->chkEnableApplicationSkinning->isChecked());
    EXPECT_EQ(PopupText("labTitle"), u"Enable Application Skinning"_s);
    EXPECT_EQ(PopupText("labBody"),
              u"Enabling this option causes Parlane to display customised graphics in certain "
              "areas of its interface.\n\nEnabling this option increases resource usage by an "
              "extremely small amount, and so it is recommended that it is left enabled."_s);

    // PARLANE_WRITE_PICTURES=dir writes the window with its popup there.
    const QString pictures = qEnvironmentVariable("PARLANE_WRITE_PICTURES");
    if (!pictures.isEmpty()) {
        QWidget* popup = Popup();
        ASSERT_NE(popup, nullptr);
        QPixmap picture = w->grab();
        QPainter painter(&picture);
        const QPoint corner = w->chkEnableApplicationSkinning->mapTo(w, QPoint(60, 14));
        painter.drawPixmap(corner, popup->grab());
        painter.end();
        EXPECT_TRUE(picture.save(pictures + u"/settings-window.png"_s));
    }

    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(ReadBytes(settings()), before);

    // Closing takes the popup along before the component's code may go.
    QTest::keyClick(w->tvwSections, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_FALSE(state().SettingsWindowOpen);
}

}  // namespace
