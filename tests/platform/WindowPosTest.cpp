#include "platform/gui/WindowPos.h"

#include <gtest/gtest.h>
#include <QWidget>

using namespace platform;

namespace {

TEST(WindowPos, MovesSizesAndChangesTheBandAsTheFlagsSay) {
    QWidget w;
    w.resize(100, 80);
    w.move(10, 20);
    w.show();

    ASSERT_TRUE(SetWindowPos(&w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE));
    EXPECT_TRUE(IsTopMost(&w));
    EXPECT_TRUE(w.isVisible());  // changing the band does not hide it
    EXPECT_EQ(w.pos(), QPoint(10, 20));
    EXPECT_EQ(w.size(), QSize(100, 80));

    SetWindowPos(&w, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    EXPECT_FALSE(IsTopMost(&w));
    EXPECT_TRUE(w.isVisible());

    SetWindowPos(&w, HWND_TOP, 30, 40, 200, 150, SWP_NOZORDER);
    EXPECT_EQ(w.pos(), QPoint(30, 40));
    EXPECT_EQ(w.frameGeometry().size(), QSize(200, 150));  // the whole window, frame included
    EXPECT_FALSE(SetWindowPos(nullptr, HWND_TOP, 0, 0, 0, 0, 0));
}

TEST(WindowPos, ShowsWithoutActivatingWhenAsked) {
    QWidget w;
    ASSERT_FALSE(w.isVisible());
    SetWindowPos(&w, HWND_TOP, 5, 6, 120, 90, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.pos(), QPoint(5, 6));
    EXPECT_FALSE(w.isActiveWindow());
    // The attribute is only lent for the one show.
    EXPECT_FALSE(w.testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST(WindowPos, APlaceOffTheScreensIsMovedAndShrunkOntoTheNearest) {
    const QRect small(0, 0, 1024, 768), right(1024, 0, 1280, 1024), left(-1280, 0, 1280, 1024);
    const struct {
        const char* what;
        QRect window;
        QList<QRect> screens;
        QRect placed;
    } cases[] = {
        {"on the screen", {100, 100, 300, 200}, {small}, {100, 100, 300, 200}},
        {"across two screens", {900, 100, 300, 200}, {small, right}, {900, 100, 300, 200}},
        {"on a screen left of the first",
         {-1000, 100, 300, 200},
         {left, small},
         {-1000, 100, 300, 200}},
        {"left of every screen", {-2000, 100, 300, 200}, {small}, {0, 100, 300, 200}},
        {"partly above the top", {100, -30, 300, 200}, {small}, {100, 0, 300, 200}},
        {"beyond the bottom right", {2000, 2000, 300, 200}, {small}, {724, 568, 300, 200}},
        {"on a monitor unplugged", {1500, 300, 400, 300}, {small}, {624, 300, 400, 300}},
        {"hanging below the screen it is mostly on",
         {1100, 900, 400, 300},
         {small, right},
         {1100, 724, 400, 300}},
        {"larger than the screen", {-50, -50, 2000, 2000}, {small}, {0, 0, 1024, 768}},
        {"without screens", {-2000, 100, 300, 200}, {}, {-2000, 100, 300, 200}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OnScreen(c.window, c.screens), c.placed) << c.what;
    }
}

}  // namespace
