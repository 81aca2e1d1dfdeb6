#include "ui/dialogs/wSplash.h"

#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr QSize kSize(360, 200);

QPixmap SplashPicture() {
    QPixmap picture(kSize);
    QPainter p(&picture);
    QLinearGradient sky(0, 0, 0, kSize.height());
    sky.setColorAt(0, QColor(0x1f, 0x4e, 0x79));
    sky.setColorAt(1, QColor(0x5b, 0x9b, 0xd5));
    p.fillRect(picture.rect(), sky);
    p.setPen(Qt::white);
    QFont title = p.font();
    title.setPointSize(26);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(0, 40, kSize.width(), 60), Qt::AlignCenter, u"Parlane"_s);
    QFont tagline = p.font();
    tagline.setPointSize(10);
    tagline.setBold(false);
    p.setFont(tagline);
    p.drawText(QRect(0, 95, kSize.width(), 24), Qt::AlignCenter, u"LAN messenger"_s);
    return picture;
}

}  // namespace

wSplash::wSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(u"wSplash"_s);
    setFixedSize(kSize);

    picSplash = new QLabel(this);
    picSplash->setPixmap(SplashPicture());
    picSplash->setGeometry(rect());

    shpBorder = new QFrame(this);
    shpBorder->setFrameShape(QFrame::Box);
    shpBorder->setStyleSheet(u"color: #10304f;"_s);
    shpBorder->setGeometry(rect());

    labStatus = new QLabel(u"Loading..."_s, this);
    labStatus->setStyleSheet(u"color: white;"_s);
    labStatus->setGeometry(12, kSize.height() - 30, kSize.width() - 24, 20);

    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}
