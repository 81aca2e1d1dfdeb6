#include "controls/ContactTreeWidget.h"
#include "platform/RuntimeError.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

QStringList Texts(const QTreeWidgetItem* parent) {
    QStringList texts;
    for (int i = 0; i < parent->childCount(); ++i) {
        texts << parent->child(i)->text(0);
    }
    return texts;
}

TEST(ContactTreeWidget, NodesKeepTheirOrderAndKeysWhateverTheOrderOfCalls) {
    QTreeWidget widget;
    ContactTreeWidget tree(widget);
    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    tree.SetImageList({QIcon(picture)});

    tree.AddNode({}, u"_users"_s, u"Users"_s, 0);
    tree.BeginAdding();
    tree.AddNode(u"_users"_s, u"_users_a"_s, u"Anna"_s, 0);
    tree.AddNode(u"_users"_s, u"_users_b"_s, u"Bob"_s, 7);  // no such picture: none
    EXPECT_TRUE(tree.NodeExists(u"_USERS_B"_s));
    EXPECT_THROW(tree.AddNode(u"_users"_s, u"_Users_A"_s, u"Twin"_s, 0), platform::RuntimeError);
    tree.AddNode(u"_users_b"_s, u"_users_b_x"_s, u"Below Bob"_s, 0);
    tree.AddNode(u"_users"_s, u"_users_c"_s, u"Carl"_s, 0);
    tree.AddNode({}, u"_domains"_s, u"Domains"_s, 0);
    tree.AddNode(u"_domains"_s, u"_domains_s"_s, u"Sales"_s, 0);
    tree.EndAdding();

    ASSERT_EQ(widget.topLevelItemCount(), 2);
    EXPECT_EQ(Texts(widget.topLevelItem(0)), (QStringList{u"Anna"_s, u"Bob"_s, u"Carl"_s}));
    EXPECT_EQ(Texts(widget.topLevelItem(1)), QStringList{u"Sales"_s});
    EXPECT_EQ(tree.NodeChildren(u"_users_b"_s), 1);
    EXPECT_FALSE(tree.Node(u"_users_a"_s)->icon(0).isNull());
    EXPECT_TRUE(tree.Node(u"_users_b"_s)->icon(0).isNull());
    EXPECT_EQ(ContactTreeWidget::KeyOf(*tree.Node(u"_USERS_C"_s)), u"_users_c"_s);

    tree.SetNodeExpanded(u"_users"_s, true);
    EXPECT_TRUE(widget.topLevelItem(0)->isExpanded());
    tree.SetNodeBold(u"_users"_s, true);
    EXPECT_TRUE(widget.topLevelItem(0)->font(0).bold());

    // A node goes with its children, and their keys are free again.
    tree.RemoveNode(u"_users_b"_s);
    EXPECT_EQ(Texts(widget.topLevelItem(0)), (QStringList{u"Anna"_s, u"Carl"_s}));
    EXPECT_FALSE(tree.NodeExists(u"_users_b_x"_s));
    // Outside a run of adds, a node is in the widget at once.
    tree.AddNode(u"_users"_s, u"_users_b_x"_s, u"Back"_s, 0);
    EXPECT_EQ(Texts(widget.topLevelItem(0)), (QStringList{u"Anna"_s, u"Carl"_s, u"Back"_s}));
    EXPECT_THROW(tree.NodeText(u"_nothing"_s), platform::RuntimeError);
}

}  // namespace
