#include "ui/conversations/wCatchAll.h"

#include "controls/MultiRule.h"
#include "controls/modMiscFunctions.h"
#include "core/SharedState.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/WindowPos.h"
#include "ui/Forms.h"
#include "ui/main/ImageLists.h"
#include "ui/main/modSkinning.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

using namespace Qt::StringLiterals;

wCatchAll* wCatchAll::Current() {
    return qobject_cast<wCatchAll*>(Forms::Find(u"wCatchAll"_s));
}

wCatchAll* wCatchAll::Open() {
    wCatchAll* window = Current();
    if (!window) {
        window = new wCatchAll;
        window->Form_Load();
    }
    if (!window->isVisible()) {
        window->show();
    }
    return window;
}

wCatchAll::wCatchAll() {
    setObjectName(u"wCatchAll"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(u"CatchAll Account"_s);
    setWindowIcon(ImageLists::ProgramIcon());
    setFont(QFont(u"Tahoma"_s, 8));
    setFixedSize(447, 309);

    labBkg = new QLabel(this);
    labBkg->setObjectName(u"labBkg"_s);
    labBkg->setGeometry(0, 0, 447, 76);
    labBkg->setAutoFillBackground(true);
    labBkg->setBackgroundRole(QPalette::Base);
    imgGlobeBig = new QLabel(this);
    imgGlobeBig->setObjectName(u"imgGlobeBig"_s);
    imgGlobeBig->setGeometry(0, 2, 72, 72);
    imgLogo = new QLabel(this);
    imgLogo->setObjectName(u"imgLogo"_s);
    // In the button row: the header's width belongs to the description, which fonts wider than
    // Tahoma need in full.
    imgLogo->setGeometry(7, 273, 32, 32);
    imgLogo->setPixmap(ImageLists::ProgramIcon().pixmap(32, 32));

    QFont bold = font();
    bold.setBold(true);
    labTitle = new QLabel(u"Catch All Information"_s, this);
    labTitle->setObjectName(u"labTitle"_s);
    labTitle->setFont(bold);
    labTitle->move(74, 11);
    labTitle->adjustSize();
    Label1 = new QLabel(
        u"If you receive a message from a user or domain that is not in your contact list, then "
        "it will appear in this catch-all area. This is especially useful for revisiting items "
        "sent to yourself in a history format."_s,
        this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setGeometry(75, 24, 366, 52);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    MultiRule1 = new MultiRule(this);
    MultiRule1->setObjectName(u"MultiRule1"_s);
    MultiRule1->setGeometry(0, 76, 447, 6);
    MultiRule2 = new MultiRule(this);
    MultiRule2->setObjectName(u"MultiRule2"_s);
    MultiRule2->setGeometry(0, 266, 447, 6);

    rtbHistory = new QTextEdit(this);
    rtbHistory->setObjectName(u"rtbHistory"_s);
    rtbHistory->setGeometry(7, 84, 433, 175);
    rtbHistory->setReadOnly(true);
    rtbHistory->installEventFilter(this);

    cmdClear = new QPushButton(u"Clear"_s, this);
    cmdClear->setObjectName(u"cmdClear"_s);
    cmdClear->setToolTip(u"Clear the Catch All log.."_s);
    cmdClear->setGeometry(224, 275, 107, 27);
    cmdClear->setEnabled(false);
    cmdClose = new QPushButton(u"Close"_s, this);
    cmdClose->setObjectName(u"cmdClose"_s);
    cmdClose->setToolTip(u"Close the window"_s);
    cmdClose->setGeometry(333, 275, 107, 27);
    cmdClose->installEventFilter(this);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);

    imgBottom = new QLabel(this);
    imgBottom->setObjectName(u"imgBottom"_s);
    imgBottom->setGeometry(0, 299, 447, 10);

    tmrBringToFront.setInterval(150);
    tmrBringToFront.setSingleShot(true);
    connect(&tmrBringToFront, &QTimer::timeout, this, [this] {
        modMiscFunctions::SetTopMost(this, platform::HWND_NOTOPMOST);
        raise();
    });
    Forms::Loaded(this);
}

void wCatchAll::Form_Load() {
    Forms::RestorePosition(*this);
    modSkinning::ApplySkin(modSkinning::kSkinCatchAll);
    modMiscFunctions::SetTopMost(this, platform::HWND_TOPMOST);
    tmrBringToFront.start();
    Shared().CatchAllWindowOpen = true;
}

bool wCatchAll::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == cmdClose || watched == rtbHistory) && event->type() == QEvent::KeyPress &&
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
    Forms::UnloadDialog(*this, Shared().CatchAllWindowOpen);
}
