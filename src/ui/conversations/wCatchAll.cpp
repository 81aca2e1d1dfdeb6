#include "ui/conversations/wCatchAll.h"

#include "controls/modMiscFunctions.h"
#include "core/SharedState.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/WindowPos.h"
#include "ui/shared/DialogParts.h"
#include "ui/shared/ImageLists.h"
#include "ui/shared/Skins.h"
#include "ui/shared/WindowContext.h"
#include "ui/shared/WindowList.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

using namespace Qt::StringLiterals;
using namespace DialogParts;

wCatchAll::wCatchAll(WindowContext& context) : context_(context) {
    SetUp(*this, u"wCatchAll"_s, u"CatchAll Account"_s, {447, 309});
    labBkg = HeaderBand(this, u"labBkg"_s, {0, 0, 447, 76});
    imgGlobeBig = Label(this, u"imgGlobeBig"_s, {}, {0, 2, 72, 72});
    // In the button row: the header's width belongs to the description, which fonts wider than
    // Tahoma need in full.
    imgLogo = Label(this, u"imgLogo"_s, {}, {7, 273, 32, 32});
    imgLogo->setPixmap(ImageLists::ProgramIcon().pixmap(32, 32));

    QFont bold = font();
    bold.setBold(true);
    labTitle = new QLabel(u"Catch All Information"_s, this);
    labTitle->setObjectName(u"labTitle"_s);
    labTitle->setFont(bold);
    labTitle->move(74, 11);
    labTitle->adjustSize();
    labDescription = Label(
        this, u"labDescription"_s,
        u"If you receive a message from a user or domain that is not in your contact list, then "
        "it will appear in this catch-all area. This is especially useful for revisiting items "
        "sent to yourself in a history format."_s,
        {75, 24, 366, 52});

    ruleHeader = Rule(this, u"ruleHeader"_s, {0, 76, 447, 6});
    ruleButtons = Rule(this, u"ruleButtons"_s, {0, 266, 447, 6});

    rtbHistory = new QTextEdit(this);
    rtbHistory->setObjectName(u"rtbHistory"_s);
    rtbHistory->setGeometry(7, 84, 433, 175);
    rtbHistory->setReadOnly(true);
    rtbHistory->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    rtbHistory->setTabChangesFocus(true);
    rtbHistory->setAccessibleName(u"Catch All log"_s);
    rtbHistory->installEventFilter(this);

    cmdClear = Button(this, u"cmdClear"_s, u"Clear"_s, u"Clear the Catch All log.."_s,
                      {224, 273, 107, 25});
    cmdClear->setEnabled(false);
    cmdClose = Button(this, u"cmdClose"_s, u"Close"_s, u"Close the window"_s, {333, 273, 107, 25});
    cmdClose->installEventFilter(this);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);

    imgBottom = new QLabel(this);
    imgBottom->setObjectName(u"imgBottom"_s);
    // Below the buttons, never over them.
    imgBottom->setGeometry(0, 299, 447, 10);

    tmrBringToFront.setInterval(150);
    tmrBringToFront.setSingleShot(true);
    connect(&tmrBringToFront, &QTimer::timeout, this, [this] {
        modMiscFunctions::SetTopMost(this, platform::HWND_NOTOPMOST);
        raise();
    });
    context_.windows.Loaded(this);
}

void wCatchAll::Form_Load() {
    context_.windows.RestorePosition(*this);
    context_.skins.ApplySkin(Skins::kSkinCatchAll);
    modMiscFunctions::SetTopMost(this, platform::HWND_TOPMOST);
    tmrBringToFront.start();
    context_.state.CatchAllWindowOpen = true;
}

// Installed on the history and Close alone.
bool wCatchAll::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void wCatchAll::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void wCatchAll::Form_Unload() {
    context_.windows.UnloadDialog(*this, context_.state.CatchAllWindowOpen);
}
