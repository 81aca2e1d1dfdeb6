#include "contacts/clsContact.h"
#include "support/MainWindowFixture.h"
#include "support/MessageBoxes.h"
#include "support/QtPrinters.h"
#include "ui/conversations/wChat.h"
#include "ui/dialogs/wAddContact.h"
#include "ui/shared/WindowList.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>

using namespace Qt::StringLiterals;

namespace {

class AddContact : public MainWindowFixture {
protected:
    wAddContact* Open() {
        main().mCONTACTS_ADDCONTACT->trigger();
        return qobject_cast<wAddContact*>(context().windows.Find(u"wAddContact"_s));
    }
    // Fills the window and presses Add Entry; returns the texts of the boxes shown meanwhile.
    QStringList Add(bool domain, const QString& name, const QString& address) {
        wAddContact* w = Open();
        EXPECT_NE(w, nullptr);
        if (!w) {
            return {};
        }
        QTest::mouseClick(domain ? w->labDomain : w->labUserOrMachine, Qt::LeftButton);
        w->txtName->setText(name);
        w->txtAddress->setText(address);
        MessageBoxes boxes({platform::vbOK});
        QTest::mouseClick(w->cmdAddEntry, Qt::LeftButton);
        QStringList texts;
        for (const auto& shown : boxes.shown()) {
            texts << shown.text;
        }
        return texts;
    }
    bool IsOpen() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return context().windows.Find(u"wAddContact"_s) != nullptr;
    }
};

TEST_F(AddContact, AddsSavesAndRoutesAtOnceAndRefusesDuplicatesPerKind) {
    WriteSettings({});
    Start();
    app->Listener().tmrMailSlot.stop();

    EXPECT_EQ(Add(false, u"Anna"_s, u" PC01 "_s), QStringList());
    EXPECT_FALSE(IsOpen());
    EXPECT_FALSE(state().AddContactWindowOpen);
    EXPECT_EQ(Children(u"_users"_s), QStringList{u"Anna"_s});
    EXPECT_TRUE(Node(u"_users"_s)->isExpanded());
    EXPECT_TRUE(ReadBytes(settings()).contains("User[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\r\n"));
    EXPECT_EQ(state().UserContacts.Item(u"_users_pc01"_s)->Address, u"pc01"_s);
    app->Chats().RouteMessage(main().Contacts(), {u"PC01"_s, {}, u"hello"_s});
    bool reached = false;
    for (const QPointer<QWidget>& w : context().windows.LoadedWindows()) {
        if (auto* chat = qobject_cast<wChat*>(w.data())) {
            reached = chat->rtbHistory->toPlainText() == u"Anna: hello\n"_s;
        }
    }
    EXPECT_TRUE(reached);

    // The same address: refused as a user, welcome as a domain.
    EXPECT_EQ(Add(false, u"Other"_s, u"pc01"_s),
              QStringList{u"Sorry, but this user/machine already exists in your contact list."_s});
    ASSERT_TRUE(IsOpen());
    wAddContact* w = qobject_cast<wAddContact*>(context().windows.Find(u"wAddContact"_s));
    EXPECT_EQ(w->txtName->text(), u"Other"_s);
    w->close();
    EXPECT_EQ(Add(true, u"Office"_s, u"pc01"_s), QStringList());
    EXPECT_TRUE(ReadBytes(settings()).contains("Domain[1]=NAME=Office|ADDRESS=pc01|TYPE=1\r\n"));
    EXPECT_EQ(Add(true, u"Again"_s, u"PC01"_s),
              QStringList{u"Sorry, but this domain already exists in your contact list."_s});
    context().windows.Find(u"wAddContact"_s)->close();

    // Removed, then added again in the same run.
    RightClick(u"_users_pc01"_s);
    {
        MessageBoxes yes({platform::vbYes});
        main().mCONTEXTMENU_REMOVECONTACT->trigger();
    }
    EXPECT_EQ(Add(false, u"Anna"_s, u"pc01"_s), QStringList());

    Restart();
    EXPECT_EQ(Children(u"_users"_s), QStringList{u"Anna"_s});
    EXPECT_EQ(Children(u"_domains"_s), QStringList{u"Office"_s});
}

TEST_F(AddContact, EmptyInputIsRefusedAndTheSeparatorNeverGetsIn) {
    WriteSettings({});
    Start();
    const QByteArray before = ReadBytes(settings());

    EXPECT_EQ(Add(false, u"  "_s, u"pc01"_s),
              QStringList{u"Please enter a name for this entry."_s});
    EXPECT_EQ(Add(false, u"Anna"_s, u""_s),
              QStringList{u"Please enter the address of the computer or domain for this entry."_s});
    ASSERT_TRUE(IsOpen());
    wAddContact* w = qobject_cast<wAddContact*>(context().windows.Find(u"wAddContact"_s));
    EXPECT_EQ(w->txtName->text(), u"Anna"_s);
    EXPECT_TRUE(w->txtAddress->hasFocus() || !QApplication::focusWidget());
    EXPECT_EQ(Children(u"_users"_s), QStringList());
    EXPECT_EQ(ReadBytes(settings()), before);

    // Addresses no message could ever reach are refused with the reason, the box to mend in front.
    for (const QString& address : {u"a-name-of-sixteen"_s, u"\u0141\u00f3d\u017a"_s, u"pc*1"_s,
                                   u"pc01..lan"_s, u"-pc.lan"_s, u"10.0.0.300"_s, u"fe80::1"_s}) {
        const QStringList boxes = Add(false, u"Anna"_s, address);
        ASSERT_EQ(boxes.size(), 1) << address;
        EXPECT_TRUE(boxes[0].contains(address.toLower())) << boxes[0];
    }
    EXPECT_EQ(Children(u"_users"_s), QStringList());
    EXPECT_EQ(ReadBytes(settings()), before);
    w = qobject_cast<wAddContact*>(context().windows.Find(u"wAddContact"_s));

    // Typed or pasted, "|" stays out of both boxes.
    for (QLineEdit* box : {w->txtName, w->txtAddress}) {
        box->clear();
        box->setFocus();
        QTest::keyClicks(box, u"a|b"_s);
        QGuiApplication::clipboard()->setText(u"|c|"_s);
        box->paste();
        EXPECT_EQ(box->text(), u"abc"_s) << box->objectName();
    }

    // Escape in either box closes the window with nothing added.
    QTest::keyClick(w->txtAddress, Qt::Key_Escape);
    EXPECT_FALSE(IsOpen());
    w = Open();
    w->txtName->setText(u"Zed"_s);
    QTest::keyClick(w->txtName, Qt::Key_Escape);
    EXPECT_FALSE(IsOpen());
    EXPECT_FALSE(ReadBytes(settings()).contains("[Users]"));  // only the window's place
}

// Nothing shows in the list that is not in the file, so a corrected second try is no duplicate.
TEST_F(AddContact, AContactThatCannotBeSavedIsNotAddedAndTheWindowKeepsIt) {
    WriteSettings({});
    Start();
    QFile::remove(settings());
    ASSERT_TRUE(QDir().mkdir(settings()));
    const QStringList boxes = Add(false, u"\u0141ukasz"_s, u"pc07.lan"_s);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith(u"Error while adding new contact: "_s)) << boxes[0];
    ASSERT_TRUE(IsOpen());
    auto* w = qobject_cast<wAddContact*>(context().windows.Find(u"wAddContact"_s));
    EXPECT_EQ(w->txtName->text(), u"\u0141ukasz"_s);
    EXPECT_EQ(Children(u"_users"_s), QStringList());
    EXPECT_FALSE(state().UserContacts.Contains(u"_users_pc07.lan"_s));

    ASSERT_TRUE(QDir().rmdir(settings()));
    MessageBoxes none;
    QTest::mouseClick(w->cmdAddEntry, Qt::LeftButton);
    EXPECT_TRUE(none.shown().empty());
    EXPECT_EQ(Children(u"_users"_s), QStringList{u"\u0141ukasz"_s});
    Restart();
    EXPECT_EQ(Children(u"_users"_s), QStringList{u"\u0141ukasz"_s});
}

TEST_F(AddContact, TheKindLabelsChooseTheirOptionAndItsPicture) {
    CopyResources();
    WriteSettings("[Skinning]\r\nEnable=1\r\n");
    Start();
    wAddContact* w = Open();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->optEntryType[0]->isChecked());
    EXPECT_FALSE(w->imgTopRightLogo->pixmap().isNull());
    EXPECT_FALSE(w->imgBottom->pixmap().isNull());
    const auto front = [w] {
        const QObjectList& order = w->fraEntryType->children();
        return order.indexOf(w->imgLogo[1]) > order.indexOf(w->imgLogo[0]) ? 1 : 0;
    };
    QTest::mouseClick(w->labDomain, Qt::LeftButton);
    EXPECT_TRUE(w->optEntryType[1]->isChecked());
    EXPECT_EQ(front(), 1);
    QTest::mouseClick(w->labUserOrMachine, Qt::LeftButton);
    EXPECT_TRUE(w->optEntryType[0]->isChecked());
    EXPECT_EQ(front(), 0);

    // Focus selects what a box holds.
    w->txtName->setText(u"Anna"_s);
    w->txtAddress->setFocus();
    w->txtName->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([w] { return w->txtName->selectedText() == u"Anna"_s; }, 1000));

    // PARLANE_WRITE_PICTURES=dir writes the README's picture there.
    const QString dir = qEnvironmentVariable("PARLANE_WRITE_PICTURES");
    if (!dir.isEmpty()) {
        w->txtAddress->setText(u"pc01"_s);
        EXPECT_TRUE(w->grab().save(dir + u"/add-contact-window.png"_s));
    }
}

}  // namespace
