#include "core/MetricsWindow.h"
#include "core/SharedState.h"
#include "core/modWindowMetrics.h"
#include "platform/RuntimeError.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

struct Window : MetricsWindow {
    QString name = u"wMain"_s;
    long left = 100, top = 200, width = 3195, height = 4350;
    QString Name() const override { return name; }
    long Left() const override { return left; }
    long Top() const override { return top; }
    long Width() const override { return width; }
    long Height() const override { return height; }
    void SetLeft(long v) override { left = v; }
    void SetTop(long v) override { top = v; }
    void SetWidth(long v) override { width = v; }
    void SetHeight(long v) override { height = v; }
};

class WindowMetrics : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file = dir.filePath(u"Settings.ini"_s);
};

TEST_F(WindowMetrics, WithoutAFileNameRaises9999AndTouchesNothing) {
    Window w;
    for (int save = 0; save < 2; ++save) {
        try {
            save ? modWindowMetrics::SaveWindowMetrics(QString(), w, true, true)
                 : modWindowMetrics::LoadWindowMetrics(QString(), w, true, true);
            ADD_FAILURE() << "no error";
        } catch (const platform::RuntimeError& e) {
            EXPECT_EQ(e.Number(), 9999);
            EXPECT_EQ(e.Description(),
                      u"WindowMetricsINIFile within modWindowMetrics needs to have its filename "
                      "set."_s);
        }
    }
    EXPECT_EQ(w.left, 100);
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(WindowMetrics, SavesAndRestoresWhatWasChosen) {
    Window main;
    main.left = -30000;  // the file keeps any place; screens are the window's business
    modWindowMetrics::SaveWindowMetrics(file, main, true, true);
    Window about;
    about.name = u"wAbout"_s;
    modWindowMetrics::SaveWindowMetrics(file, about, true, false);
    EXPECT_EQ(ReadBytes(file),
              "[Window Metrics]\r\nwMain Window Left=-30000\r\nwMain Window Top=200\r\n"
              "wMain Window Width=3195\r\nwMain Window Height=4350\r\nwAbout Window Left=100\r\n"
              "wAbout Window Top=200\r\n");

    Window restored;
    restored.left = restored.top = restored.width = restored.height = 0;
    modWindowMetrics::LoadWindowMetrics(file, restored, true, false);
    EXPECT_EQ(restored.left, -30000);
    EXPECT_EQ(restored.top, 200);
    EXPECT_EQ(restored.width, 0);
    modWindowMetrics::LoadWindowMetrics(file, restored, false, true);
    EXPECT_EQ(restored.width, 3195);
    EXPECT_EQ(restored.height, 4350);
}

TEST_F(WindowMetrics, MissingOrHandEditedValuesLeaveThePropertyAsItIs) {
    WriteBytes(file,
               "[Window Metrics]\r\nwMain Window Left=abc\r\nwMain Window Top= 1500.4 \r\n"
               "wMain Window Width=99999999999\r\n");
    Window w;
    modWindowMetrics::LoadWindowMetrics(file, w, true, true);
    EXPECT_EQ(w.left, 100);
    EXPECT_EQ(w.top, 1500);
    EXPECT_EQ(w.width, 3195);
    EXPECT_EQ(w.height, 4350);
}

}  // namespace
