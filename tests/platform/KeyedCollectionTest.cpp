#include "platform/KeyedCollection.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using platform::KeyedCollection;
using platform::RuntimeError;

namespace {

long ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

TEST(KeyedCollection, KeepsOrderAndKeysWithoutRegardToCase) {
    KeyedCollection<QString> c;
    c.Add(u"anna"_s, u"_users_pc01"_s);
    c.Add(u"bob"_s, u"_users_PC02"_s);
    c.Add(u"no key"_s);
    c.Add(u"carl"_s, u"_users_pc03"_s);

    EXPECT_EQ(c.Count(), 4);
    EXPECT_EQ(c.Item(u"_USERS_pc02"_s), u"bob"_s);
    EXPECT_TRUE(c.Contains(u"_Users_Pc01"_s));
    EXPECT_FALSE(c.Contains(u""_s));
    EXPECT_EQ(c.Item(1), u"anna"_s);
    EXPECT_EQ(ErrorOf([&] { c.Add(u"again"_s, u"_USERS_PC01"_s); }), 457);
    EXPECT_EQ(c.Count(), 4);

    c.Remove(u"_users_pc01"_s);
    c.Remove(2);                                     // "no key", now second
    EXPECT_EQ(c.Item(u"_users_pc03"_s), u"carl"_s);  // positions after removals still found
    QStringList order;
    for (const QString& item : c) {
        order << item;
    }
    EXPECT_EQ(order, (QStringList{u"bob"_s, u"carl"_s}));
    c.Add(u"anna again"_s, u"_users_pc01"_s);  // a removed key is free again
    EXPECT_EQ(c.Item(3), u"anna again"_s);
}

TEST(KeyedCollection, RaisesItsOwnErrors) {
    KeyedCollection<int> c;
    c.Add(1, u"a"_s);
    EXPECT_EQ(ErrorOf([&] { c.Item(u"b"_s); }), 5);
    EXPECT_EQ(ErrorOf([&] { c.Remove(u"b"_s); }), 5);
    EXPECT_EQ(ErrorOf([&] { c.Item(0); }), 9);
    EXPECT_EQ(ErrorOf([&] { c.Item(2); }), 9);
    EXPECT_EQ(ErrorOf([&] { c.Remove(2); }), 9);
    EXPECT_EQ(c.Count(), 1);
}

}  // namespace
