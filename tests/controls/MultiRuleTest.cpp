#include "controls/MultiRule.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QVariantMap>

using namespace Qt::StringLiterals;

namespace {

QImage Drawn(MultiRule& rule) {
    return rule.grab().toImage();
}

TEST(MultiRule, LaysOutByShapeOrOrientationAndDrawsTheEtchedPair) {
    MultiRule rule;
    rule.resize(300, 2);
    rule.show();
    EXPECT_EQ(rule.LoLite(), QLine(0, 0, 4500, 0));
    EXPECT_EQ(rule.HiLite(), QLine(0, 20, 4500, 20));
    const QImage wide = Drawn(rule);
    EXPECT_EQ(wide.pixel(150, 0), rule.palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(wide.pixel(150, 1), rule.palette().color(QPalette::Light).rgb());

    // Tall, and square, lay out vertically; the dark line keeps the end it had.
    rule.resize(2, 300);
    EXPECT_EQ(rule.LoLite(), QLine(2, 0, 2, 4500));
    EXPECT_EQ(rule.HiLite(), QLine(20, 30, 20, 4500));
    const QImage tall = Drawn(rule);
    EXPECT_EQ(tall.pixel(0, 150), rule.palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(tall.pixel(1, 150), rule.palette().color(QPalette::Light).rgb());
    rule.resize(40, 40);
    EXPECT_EQ(rule.HiLite(), QLine(20, 30, 20, 600));

    // A fixed orientation wins over the shape; other values leave the lines alone.
    rule.SetOrientation(MultiRule::kHorizontal);
    EXPECT_EQ(rule.LoLite(), QLine(2, 0, 600, 0));
    EXPECT_EQ(rule.HiLite(), QLine(0, 20, 600, 20));
    rule.SetOrientation(MultiRule::kVertical);
    EXPECT_EQ(rule.LoLite(), QLine(2, 0, 2, 600));
    rule.SetOrientation(7);
    EXPECT_EQ(rule.LoLite(), QLine(2, 0, 2, 600));
}

TEST(MultiRule, KeepsItsOrientationInTheSavedPropertySet) {
    MultiRule rule;
    rule.resize(300, 6);
    rule.show();
    rule.ReadProperties({});
    EXPECT_EQ(rule.Orientation(), 0);
    EXPECT_FALSE(rule.PropertyChanged());
    EXPECT_EQ(rule.HiLite(), QLine(0, 20, 4500, 20));

    rule.SetOrientation(MultiRule::kHorizontal);
    rule.SetOrientation(MultiRule::kVertical);
    EXPECT_TRUE(rule.PropertyChanged());
    QVariantMap bag;
    rule.WriteProperties(bag);
    EXPECT_EQ(bag, (QVariantMap{{u"Orientation"_s, 2}}));
    EXPECT_FALSE(rule.PropertyChanged());

    MultiRule loaded;
    loaded.resize(300, 6);
    loaded.show();
    loaded.ReadProperties(bag);
    EXPECT_EQ(loaded.Orientation(), 2);
    EXPECT_EQ(loaded.LoLite(), QLine(2, 0, 2, 90));
    // Zero is written too: there is no default to leave out.
    loaded.SetOrientation(0);
    loaded.WriteProperties(bag);
    EXPECT_EQ(bag.value(u"Orientation"_s), QVariant(0));
}

}  // namespace
