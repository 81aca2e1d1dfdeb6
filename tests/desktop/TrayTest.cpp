// Living in the tray: the icon keeps the program, whatever windows close, and brings the window
// back on every kind of tray.
#include "ParlaneCopy.h"
#include "Wire.h"
#include "X.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kHiddenWithBeta =
    "[Contact List - Interface]\r\nDisplay Splash=0\r\nMinimise On Startup=1\r\n"
    "[Users]\r\nTotal=1\r\nUser[1]=NAME=Beta|ADDRESS=beta|TYPE=0\r\n";
const QString kMain = u"Parlane"_s;
const QString kCatchAll = u"CatchAll Account"_s;

// Opens the About window from the main window's menu, then hides the main window again.
QString AboutOverHiddenMain(ParlaneCopy& parlane) {
    parlane.ActivateTrayIcon();
    const x::Window main = parlane.WaitForWindow(kMain);
    if (!main || !x::Activate(main.id)) {
        return {};
    }
    x::Key(u"alt+h"_s);
    x::Key(u"a"_s);
    const QString about = u"Parlane Extended"_s;
    if (!parlane.WaitForWindow(about)) {
        return {};
    }
    parlane.ActivateTrayIcon();
    return parlane.WaitUntilHidden(kMain) ? about : QString();
}

}  // namespace

TEST(Tray, ClosingAnyWindowWhileTheMainWindowIsInTheTrayKeepsTheProgramListening) {
    // Each opens a window over the hidden main window and returns its title.
    const std::pair<const char*, std::function<QString(ParlaneCopy&)>> cases[] = {
        {"a stranger's message",
         [](ParlaneCopy&) {
             return wire::Send(u"stranger"_s, u"."_s, u"who is there?"_s) == 0 ? kCatchAll
                                                                               : QString();
         }},
        {"a contact's message",
         [](ParlaneCopy&) {
             return wire::Send(u"beta"_s, u"."_s, u"hello"_s) == 0 ? u"Message: Beta"_s : QString();
         }},
        {"the About dialog", AboutOverHiddenMain},
    };
    for (const auto& [what, open] : cases) {
        SCOPED_TRACE(what);
        ParlaneCopy parlane(kHiddenWithBeta);
        ASSERT_TRUE(parlane.WaitForTrayIcon());
        const QString title = open(parlane);
        const x::Window window = parlane.WaitForWindow(title);
        ASSERT_TRUE(window);
        ASSERT_TRUE(parlane.Close(title));

        EXPECT_EQ(wire::Send(u"stranger"_s, u"."_s, u"still there?"_s), 0);
        EXPECT_TRUE(parlane.WaitForWindow(kCatchAll));
        EXPECT_TRUE(parlane.Running());
    }
}

TEST(Tray, ActivatingTheIconHidesAndBringsBackTheWindowOnEveryKindOfTray) {
    for (const TrayKind kind : {TrayKind::XEmbed, TrayKind::StatusNotifier}) {
        SCOPED_TRACE(kind == TrayKind::XEmbed ? "XEmbed" : "StatusNotifierItem");
        ParlaneCopy parlane({}, kind);
        ASSERT_TRUE(parlane.WaitForWindow(kMain));
        ASSERT_TRUE(parlane.WaitForTrayIcon());

        parlane.ActivateTrayIcon();
        EXPECT_TRUE(parlane.WaitUntilHidden(kMain));
        parlane.ActivateTrayIcon();
        EXPECT_TRUE(parlane.WaitForWindow(kMain));
    }
}
