#include "controls/FormMetrics.h"
#include "controls/modMiscFunctions.h"
#include "platform/Twips.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

using namespace Qt::StringLiterals;
using namespace modMiscFunctions;

namespace {

TEST(MiscFunctions, FormMetricsSpeaksTwips) {
    QWidget w;
    w.setObjectName(u"wCatchAll"_s);
    w.setGeometry(10, 20, 213, 290);
    FormMetrics m(w);
    EXPECT_EQ(m.Name(), u"wCatchAll"_s);
    EXPECT_EQ(m.Left(), 150);
    EXPECT_EQ(m.Width(), 3195);
    m.SetWidth(4810);
    m.SetTop(1500);
    EXPECT_EQ(w.width(), 320);
    EXPECT_EQ(w.y(), 100);
}

TEST(MiscFunctions, LoadPictureSafeNeverFails) {
    QTemporaryDir dir;
    EXPECT_TRUE(LoadPictureSafe(dir.filePath(u"missing.png"_s)).isNull());
    WriteBytes(dir.filePath(u"junk.png"_s), "\x89PNG not really");
    EXPECT_TRUE(LoadPictureSafe(dir.filePath(u"junk.png"_s)).isNull());
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(dir.filePath(u"ok.bmp"_s)));
    EXPECT_EQ(LoadPictureSafe(dir.filePath(u"ok.bmp"_s)).size(), QSize(16, 16));
}

}  // namespace
