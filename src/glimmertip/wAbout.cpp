#include "glimmertip/wAbout.h"

#include "controls/HyperLink.h"
#include "glimmertip/LiveObjects.h"
#include "platform/Twips.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace Tolv_Glimmertip {
namespace {

int Px(long twips) {
    return qRound(double(twips) / double(platform::kTwipsPerPixel));
}

QRect PxRect(long left, long top, long width, long height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

}  // namespace

wAbout::wAbout(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    LiveObjects::Created();
    setObjectName(u"wAbout"_s);
    setWindowTitle(u"About Glimmertip"_s);
    setFixedSize(Px(4515), Px(4245));

    fraMain = new QFrame(this);
    fraMain->setObjectName(u"fraMain"_s);
    fraMain->setFrameShape(QFrame::Box);
    fraMain->setFrameShadow(QFrame::Sunken);
    fraMain->setGeometry(PxRect(0, 1050, 4515, 3195));

    // Over the frame's top, so the whole banner shows.
    picSplash = new QLabel(this);
    picSplash->setObjectName(u"picSplash"_s);
    picSplash->setPixmap(QPixmap(u":/glimmertip/banner.png"_s));
    picSplash->setGeometry(PxRect(0, 0, 4500, 1530));

    lnkTolv = new HyperLink(fraMain);
    lnkTolv->setObjectName(u"lnkTolv"_s);
    // The link's saved property set, as the window was designed.
    lnkTolv->ReadProperties({{u"Caption"_s, u"Tolv Software"_s},
                             {u"URL"_s, u"https://tolv.example/"_s},
                             {u"ToolTipText"_s, u"Visit the Tolv Software web site"_s},
                             {u"HilightColour"_s, platform::RGB(0, 0, 175)}});
    lnkTolv->move(Px(240), Px(2760));

    cmdClose = new QPushButton(u"Close"_s, fraMain);
    cmdClose->setObjectName(u"cmdClose"_s);
    cmdClose->setGeometry(PxRect(3255, 2700, 1155, 390));
    cmdClose->setDefault(true);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
}

wAbout::~wAbout() {
    LiveObjects::Destroyed();
}

}  // namespace Tolv_Glimmertip
