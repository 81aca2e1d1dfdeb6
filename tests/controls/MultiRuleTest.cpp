#include "controls/MultiRule.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QVariantMap>

using namespace Qt::StringLiterals;

namespace {

// The etched pair as drawn: dark then light, across the rule's length in the orientation chosen
// by the shape, or fixed by the property (other values leave the shape's choice).
TEST(MultiRule, DrawsTheEtchedPairAlongTheShapeOrTheFixedOrientation) {
    const struct {
        QSize size;
        long orientation;
        bool horizontal;
    } cases[] = {
        {{300, 2}, 0, true},
        {{2, 300}, 0, false},
        {{40, 40}, 0, false},
        {{40, 40}, MultiRule::kHorizontal, true},
        {{300, 40}, MultiRule::kVertical, false},
        {{300, 40}, 7, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(u"%1x%2, orientation %3"_s.arg(c.size.width())
                         .arg(c.size.height())
                         .arg(c.orientation)
                         .toStdString());
        MultiRule rule;
        rule.show();
        rule.resize(c.size);
        rule.SetOrientation(c.orientation);
        const QImage drawn = rule.grab().toImage();
        const QPoint middle =
            c.horizontal ? QPoint(c.size.width() / 2, 0) : QPoint(0, c.size.height() / 2);
        const QPoint next = middle + (c.horizontal ? QPoint(0, 1) : QPoint(1, 0));
        EXPECT_EQ(drawn.pixel(middle), rule.palette().color(QPalette::Dark).rgb());
        EXPECT_EQ(drawn.pixel(next), rule.palette().color(QPalette::Light).rgb());
    }
}

TEST(MultiRule, KeepsItsOrientationInTheSavedPropertySet) {
    MultiRule rule;
    rule.ReadProperties({});
    EXPECT_FALSE(rule.PropertyChanged());
    rule.SetOrientation(MultiRule::kHorizontal);
    rule.SetOrientation(MultiRule::kVertical);
    EXPECT_TRUE(rule.PropertyChanged());
    QVariantMap bag;
    rule.WriteProperties(bag);
    EXPECT_FALSE(rule.PropertyChanged());

    MultiRule loaded;
    loaded.ReadProperties(bag);
    EXPECT_EQ(loaded.Orientation(), MultiRule::kVertical);
    // Zero is written too: there is no default to leave out.
    loaded.SetOrientation(0);
    loaded.WriteProperties(bag);
    EXPECT_EQ(bag.value(u"Orientation"_s), QVariant(0));
}

}  // namespace
