// The program as a person starts and ends it.
#include "ParlaneCopy.h"
#include "Wire.h"
#include "X.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(StartAndExit, TheMainWindowShowsAndFileExitEndsTheProgram) {
    ParlaneCopy parlane;
    const x::Window main = parlane.WaitForWindow(u"Parlane"_s);
    ASSERT_TRUE(main);
    EXPECT_FALSE(wire::PortFree());

    ASSERT_TRUE(x::Activate(main.id));
    x::Key(u"alt+f"_s);
    x::Key(u"x"_s);
    EXPECT_EQ(parlane.WaitForExit(), 0);
    EXPECT_TRUE(wire::PortFree());
}

TEST(StartAndExit, TheSessionEndingRunsTheClosingSequence) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        ParlaneCopy parlane;
        ASSERT_TRUE(parlane.WaitForWindow(u"Parlane"_s));
        EXPECT_EQ(parlane.Stop(signal), 0);
        EXPECT_TRUE(parlane.Settings().contains("wMain Window Left=")) << "its place is saved";
        EXPECT_TRUE(wire::PortFree());
    }
}
