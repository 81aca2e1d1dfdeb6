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

}  // namespace
