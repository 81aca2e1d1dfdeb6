#include "ui/dialogs/wAddContact.h"

#include "contacts/ContactKeys.h"
#include "contacts/modAddContact.h"
#include "controls/modMiscFunctions.h"
#include "core/SharedState.h"
#include "platform/gui/MessageBox.h"
#include "ui/shared/DialogParts.h"
#include "ui/shared/ImageLists.h"
#include "ui/shared/Skins.h"
#include "ui/shared/WindowContext.h"
#include "ui/shared/WindowList.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace DialogParts;

namespace {

// The separator never enters a box, typed or pasted; the cursor stays where the user had it.
void KeepSeparatorOut(QLineEdit* box) {
    QObject::connect(box, &QLineEdit::textEdited, box, [box](const QString& text) {
        const QString clean = modAddContact::WithoutSeparator(text);
        if (clean != text) {
            const int removedBefore = int(text.left(box->cursorPosition()).count(u'|'));
            const int cursor = box->cursorPosition() - removedBefore;
            box->setText(clean);
            box->setCursorPosition(cursor);
        }
    });
}

}  // namespace

wAddContact* wAddContact::Open(WindowContext& context, ContactTree& contacts) {
    return context.windows.OpenInFront<wAddContact>(u"wAddContact"_s, [&] {
        auto* window = new wAddContact(context, contacts);
        window->Form_Load();
        return window;
    });
}

wAddContact::wAddContact(WindowContext& context, ContactTree& contacts)
    : context_(context), contacts_(contacts) {
    SetUp(*this, u"wAddContact"_s, u"Add Contact"_s, {401, 376});
    setWindowFlag(Qt::Dialog);
    labHeaderBkg = HeaderBand(this, u"labHeaderBkg"_s, {0, 0, 401, 72});
    labTitle =
        Label(this, u"labTitle"_s, u"Enter New Address Book Entry"_s, {10, 8, 300, 16}, true);
    labBody = Label(this, u"labBody"_s,
                    u"Parlane supports sending messages to single machines and entire domains. "
                    "If you're not sure which one you should use, then select the User Or "
                    "Machine option."_s,
                    {10, 26, 312, 44});
    imgTopRightLogo = Label(this, u"imgTopRightLogo"_s, {}, {329, 0, 72, 72});
    ruleTop = Rule(this, u"ruleTop"_s, {0, 72, 401, 6});

    fraEntryType = new QGroupBox(u"Entry Type"_s, this);
    fraEntryType->setObjectName(u"fraEntryType"_s);
    fraEntryType->setGeometry(8, 80, 385, 110);
    const QList<QIcon> images = ImageLists::ContactTreeImages();
    const int pictures[2] = {ContactKeys::kImageUser, ContactKeys::kImageDomain};
    const QString captions[2] = {u"User or Machine"_s, u"Domain"_s};
    for (int i = 0; i < 2; ++i) {
        imgLogo[i] = Label(fraEntryType, u"imgLogo"_s + QString::number(i), {}, {333, 38, 40, 40});
        imgLogo[i]->setAlignment(Qt::AlignCenter);
        if (pictures[i] < images.size()) {
            imgLogo[i]->setPixmap(images[pictures[i]].pixmap(32, 32));
        }
        optEntryType[i] = new QRadioButton(captions[i], fraEntryType);
        optEntryType[i]->setObjectName(u"optEntryType"_s + QString::number(i));
        QFont bold = optEntryType[i]->font();
        bold.setBold(true);
        optEntryType[i]->setFont(bold);
        optEntryType[i]->move(12, 16 + i * 45);
        optEntryType[i]->adjustSize();
        connect(optEntryType[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) {
                optEntryType_Click(i);
            }
        });
    }
    labUserOrMachine =
        Label(fraEntryType, u"labUserOrMachine"_s,
              u"Select this type if you want to send a message to a user on a single machine."_s,
              {32, 33, 290, 28});
    labDomain = Label(fraEntryType, u"labDomain"_s,
                      u"Or this type if you want to send a message to an entire domain."_s,
                      {32, 78, 290, 28});
    for (QLabel* label : {labUserOrMachine, labDomain}) {
        label->installEventFilter(this);
    }
    optEntryType[0]->setChecked(true);

    fraDetails = new QGroupBox(u"Recipient Details"_s, this);
    fraDetails->setObjectName(u"fraDetails"_s);
    fraDetails->setGeometry(8, 192, 385, 140);
    labH_Name = Label(fraDetails, u"labH_Name"_s, u"Name"_s, {12, 18, 56, 16}, true);
    labName = Label(fraDetails, u"labName"_s, u"Enter a name for this new entry into here."_s,
                    {70, 18, 305, 16});
    txtName = new QLineEdit(fraDetails);
    txtName->setObjectName(u"txtName"_s);
    txtName->setGeometry(70, 36, 305, 21);
    labH_Address = Label(fraDetails, u"labH_Address"_s, u"Address"_s, {12, 62, 56, 16}, true);
    labAddress = Label(fraDetails, u"labAddress"_s,
                       u"Finally enter either the IP address or name of the computer you would "
                       "like to add to your address book here. If using a computer name, it "
                       "must obviously exist within your Local Area Network."_s,
                       {70, 62, 305, 52});
    txtAddress = new QLineEdit(fraDetails);
    txtAddress->setObjectName(u"txtAddress"_s);
    txtAddress->setGeometry(70, 114, 305, 21);
    // Each box is named by its heading, not both by the frame around them.
    labH_Name->setBuddy(txtName);
    labH_Address->setBuddy(txtAddress);
    for (QLineEdit* box : {txtName, txtAddress}) {
        KeepSeparatorOut(box);
        box->installEventFilter(this);
    }

    ruleBottom = Rule(this, u"ruleBottom"_s, {0, 334, 401, 6});
    cmdAddEntry = Button(this, u"cmdAddEntry"_s, u"Add Entry"_s, {}, {206, 340, 90, 24});
    connect(cmdAddEntry, &QPushButton::clicked, this, [this] { cmdAddEntry_Click(); });
    cmdCancel = Button(this, u"cmdCancel"_s, u"Cancel"_s, {}, {302, 340, 90, 24});
    connect(cmdCancel, &QPushButton::clicked, this, &QWidget::close);
    DefaultButton(*this, cmdAddEntry);
    imgBottom = Label(this, u"imgBottom"_s, {}, {0, 366, 401, 10});

    setTabOrder(txtName, txtAddress);
    setTabOrder(txtAddress, cmdAddEntry);
    setTabOrder(cmdAddEntry, cmdCancel);
    txtName->setFocus();
    context_.windows.Loaded(this);
}

void wAddContact::Form_Load() {
    context_.skins.ApplySkin(Skins::kSkinAddContact);
    context_.windows.RestorePosition(*this);
    context_.state.AddContactWindowOpen = true;
}

void wAddContact::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void wAddContact::Form_Unload() {
    context_.windows.UnloadDialog(*this, context_.state.AddContactWindowOpen);
}

void wAddContact::optEntryType_Click(int index) {
    imgLogo[index]->raise();
}

// The window stays open with what the user typed, the box to mend in front.
void wAddContact::Refuse(const QString& prompt, QLineEdit* box) {
    platform::MsgBox(prompt, platform::vbExclamation, context_.state.AppName);
    if (box) {
        box->setFocus();
    }
}

void wAddContact::cmdAddEntry_Click() {
    const long kind = modMiscFunctions::SelectedOptionIndex({optEntryType[0], optEntryType[1]}, 0);
    try {
        switch (modAddContact::AddContact(context_.state, contacts_, kind, txtName->text(),
                                          txtAddress->text())) {
            case modAddContact::AddResult::EmptyName:
                Refuse(u"Please enter a name for this entry."_s, txtName);
                return;
            case modAddContact::AddResult::EmptyAddress:
                Refuse(u"Please enter the address of the computer or domain for this entry."_s,
                       txtAddress);
                return;
            case modAddContact::AddResult::Unreachable:
                Refuse(modAddContact::AddressProblem(txtAddress->text().trimmed().toLower()),
                       txtAddress);
                return;
            case modAddContact::AddResult::Duplicate:
                Refuse(kind == 0
                           ? u"Sorry, but this user/machine already exists in your contact list."_s
                           : u"Sorry, but this domain already exists in your contact list."_s,
                       nullptr);
                return;
            case modAddContact::AddResult::Added:
                break;
        }
    } catch (const platform::RuntimeError& e) {
        platform::MsgBox(u"Error while adding new contact: "_s + e.Description(),
                         platform::vbExclamation, context_.state.AppName);
        return;
    }
    close();
}

bool wAddContact::eventFilter(QObject* watched, QEvent* event) {
    if (watched == labUserOrMachine || watched == labDomain) {
        if (event->type() == QEvent::MouseButtonRelease) {
            optEntryType[watched == labDomain ? 1 : 0]->setChecked(true);
        }
    } else if (event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    } else if (event->type() == QEvent::FocusIn) {
        // After the mouse press that gave the focus, which would undo a selection made now.
        auto* box = static_cast<QLineEdit*>(watched);
        QTimer::singleShot(0, box, [box] { box->selectAll(); });
    }
    return QWidget::eventFilter(watched, event);
}
