// Windows open where they were, as long as that is on a screen.
#include "ParlaneCopy.h"
#include "X.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(Places, ARememberedPlaceOffTheScreenIsBroughtOntoIt) {
    const QRect screen(0, 0, 1024, 768);  // the test desktop's
    const struct {
        const char* what;
        QByteArray metrics;  // twips, 15 a pixel
    } cases[] = {
        {"left of the screen", "wMain Window Left=-30000\r\nwMain Window Top=1500\r\n"},
        {"beyond the bottom right", "wMain Window Left=30000\r\nwMain Window Top=30000\r\n"},
        {"larger than the screen",
         "wMain Window Left=-150\r\nwMain Window Top=0\r\nwMain Window Width=30000\r\n"
         "wMain Window Height=30000\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ParlaneCopy parlane("[Window Metrics]\r\n" + c.metrics);
        const x::Window window = parlane.WaitForWindow(u"Parlane"_s);
        ASSERT_TRUE(window);
        EXPECT_TRUE(screen.contains(window.client))
            << window.client.x() << ',' << window.client.y() << ' ' << window.client.width() << 'x'
            << window.client.height();
    }
}
