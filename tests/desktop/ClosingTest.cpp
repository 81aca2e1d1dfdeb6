// Closing completes whatever fails on the way.
#include "ParlaneCopy.h"
#include "Wire.h"
#include "X.h"

#include <gtest/gtest.h>
#include <QTest>

using namespace Qt::StringLiterals;

TEST(Closing, WithSettingsThatCannotBeWrittenEveryStepRunsAndOneBoxTellsWhatFailed) {
    ParlaneCopy parlane;
    const x::Window main = parlane.WaitForWindow(u"Parlane"_s);
    ASSERT_TRUE(main && x::Activate(main.id));
    // A dialog whose place cannot be saved either.
    x::Key(u"alt+h"_s);
    x::Key(u"a"_s);
    ASSERT_TRUE(parlane.WaitForWindow(u"Parlane Extended"_s));
    ASSERT_TRUE(parlane.WaitForTrayIcon());
    parlane.MakeReadOnly();
    const QByteArray settings = parlane.Settings();

    ASSERT_TRUE(x::Activate(main.id));
    x::Key(u"alt+f"_s);
    x::Key(u"x"_s);
    x::Window box;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (const x::Window& w : x::Windows(parlane.Pid())) {
                if (w.title == u"Parlane"_s && w.id != main.id && w.viewable) {
                    box = w;
                }
            }
            return bool(box);
        },
        10000));
    // Everything else is done while the box is read.
    EXPECT_TRUE(wire::PortFree());
    EXPECT_TRUE(x::TrayIcon(parlane.Pid()).isNull());
    EXPECT_FALSE(parlane.Find(u"Parlane Extended"_s).viewable);

    ASSERT_TRUE(x::Activate(box.id));
    x::Key(u"Return"_s);
    EXPECT_EQ(parlane.WaitForExit(), 0) << "no second box";
    EXPECT_EQ(parlane.Settings(), settings);
}
