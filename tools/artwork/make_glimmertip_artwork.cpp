// Draws Glimmertip's pictures (the 33 popup icons, the control's face, the About banner) and the
// pictures of Parlane's About window from code.
// Usage: make-glimmertip-artwork [resources-dir]

#include "Painting.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QColor kBlue{0x2f, 0x6f, 0xb5};
const QColor kBlueDark{0x1a, 0x45, 0x78};
const QColor kBlueLight{0x8c, 0xb8, 0xe8};
const QColor kBluePale{0xdd, 0xea, 0xf8};
const QColor kYellow{0xf7, 0xc9, 0x3e};
const QColor kYellowDark{0x9a, 0x6a, 0x00};
const QColor kYellowPale{0xfd, 0xec, 0xa6};
const QColor kRed{0xd9, 0x43, 0x3b};
const QColor kRedDark{0x8e, 0x22, 0x1c};
const QColor kGreen{0x3c, 0xa5, 0x4f};
const QColor kGreenDark{0x23, 0x6e, 0x31};
const QColor kGrey{0xb4, 0xba, 0xc2};
const QColor kGreyDark{0x5e, 0x65, 0x6e};
const QColor kPaper{0xfd, 0xfd, 0xfb};
const QColor kOrange{0xf0, 0x8a, 0x2b};

using artwork::Draw;
using artwork::paint;
using artwork::pen;
using artwork::polygon;
using artwork::vertical;

QImage icon(const Draw& draw) {
    return paint(16, 16, draw);
}

void disc(QPainter& p, const QColor& fill, const QColor& outline) {
    artwork::disc(p, fill, outline, 125);
}

void glyph(QPainter& p, const QString& text, const QColor& color, int pixelSize,
           const QRectF& box = QRectF(0, 0, 16, 16)) {
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(pixelSize);
    font.setBold(true);
    p.setFont(font);
    p.setPen(color);
    p.drawText(box, Qt::AlignCenter, text);
}

void person(QPainter& p, qreal cx, qreal top, qreal scale, const QColor& fill,
            const QColor& outline) {
    p.setPen(pen(outline));
    p.setBrush(vertical(top, top + 14 * scale, fill.lighter(120), fill));
    p.drawEllipse(QRectF(cx - 2.5 * scale, top, 5 * scale, 5 * scale));
    QPainterPath body;
    const qreal y = top + 6 * scale;
    body.moveTo(cx - 4.5 * scale, y + 7 * scale);
    body.cubicTo(cx - 4.5 * scale, y, cx + 4.5 * scale, y, cx + 4.5 * scale, y + 7 * scale);
    body.closeSubpath();
    p.drawPath(body);
}

void curvedArrow(QPainter& p, bool right) {
    p.save();
    if (!right) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    QPainterPath arc;
    arc.moveTo(3, 12.5);
    arc.cubicTo(2, 6, 7, 3.5, 11.5, 6.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(kBlueDark, 3.2));
    p.drawPath(arc);
    p.setPen(pen(kBlueLight, 1.6));
    p.drawPath(arc);
    QPainterPath head = polygon({{14.5, 3.5}, {14.5, 10.5}, {8, 9}});
    p.setPen(pen(kBlueDark));
    p.setBrush(kBlueLight);
    p.drawPath(head);
    p.restore();
}

void monitor(QPainter& p, const QRectF& screen) {
    p.setPen(pen(kGreyDark));
    p.setBrush(kGrey);
    p.drawRect(screen);
    p.setBrush(vertical(screen.top(), screen.bottom(), kBlueLight, kBlue));
    p.drawRect(screen.adjusted(1.5, 1.5, -1.5, -1.5));
    p.setBrush(kGrey);
    p.drawRect(QRectF(screen.center().x() - 2, screen.bottom(), 4, 1.5));
}

void globeShape(QPainter& p, const QRectF& box) {
    QRadialGradient sea(box.center(), box.width() / 2,
                        box.center() - QPointF(box.width() / 5, box.height() / 5));
    sea.setColorAt(0, Qt::white);
    sea.setColorAt(1, kBlueLight);
    p.setPen(pen(kBlueDark));
    p.setBrush(sea);
    p.drawEllipse(box);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(QColor(0x2f, 0x6f, 0xb5, 170)));
    p.drawEllipse(box.adjusted(box.width() / 4, 0, -box.width() / 4, 0));
    p.drawLine(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
    p.drawLine(QPointF(box.center().x(), box.top()), QPointF(box.center().x(), box.bottom()));
}

// ---- the popup icons, by icon number -------------------------------------------------------

QImage tipInformation() {
    return icon([](QPainter& p) {
        disc(p, kBlue, kBlueDark);
        glyph(p, u"i"_s, Qt::white, 11);
    });
}

QImage tipQuestion() {
    return icon([](QPainter& p) {
        disc(p, kBlue, kBlueDark);
        glyph(p, u"?"_s, Qt::white, 11);
    });
}

QImage tipExclamation() {
    return icon([](QPainter& p) {
        QPainterPath t = polygon({{8, 1.5}, {15, 14.5}, {1, 14.5}});
        p.setPen(pen(kYellowDark));
        p.setBrush(vertical(1, 15, kYellowPale, kYellow));
        p.drawPath(t);
        glyph(p, u"!"_s, Qt::black, 10, QRectF(0, 3, 16, 12));
    });
}

QImage tipCritical() {
    return icon([](QPainter& p) {
        disc(p, kRed, kRedDark);
        p.setPen(pen(Qt::white, 2));
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
    });
}

QImage tipPapers() {
    return icon([](QPainter& p) {
        p.setPen(pen(kGreyDark));
        p.setBrush(kPaper.darker(106));
        p.drawRect(QRectF(5.5, 1.5, 9, 11));
        p.setBrush(kPaper);
        p.drawRect(QRectF(2.5, 3.5, 9, 11));
        p.setPen(pen(kBlueLight));
        for (qreal y : {6.5, 8.5, 10.5, 12.5}) {
            p.drawLine(QPointF(4.5, y), QPointF(9.5, y));
        }
    });
}

QImage tipFolder() {
    return icon([](QPainter& p) {
        p.setPen(pen(kYellowDark));
        p.setBrush(kYellow.darker(108));
        p.drawRoundedRect(QRectF(1.5, 2.5, 6, 4), 1, 1);
        p.setBrush(vertical(4, 14, kYellowPale, kYellow));
        p.drawRoundedRect(QRectF(1.5, 4.5, 13, 9), 1, 1);
    });
}

QImage tipGlobe() {
    return icon([](QPainter& p) { globeShape(p, QRectF(1.5, 1.5, 13, 13)); });
}

QImage tipKey() {
    return icon([](QPainter& p) {
        p.setPen(pen(kYellowDark));
        p.setBrush(vertical(2, 9, kYellowPale, kYellow));
        p.drawEllipse(QRectF(1.5, 3.5, 6, 6));
        p.setBrush(kYellow);
        QPainterPath shaft;
        shaft.addRect(QRectF(7, 5.5, 8, 2));
        shaft.addRect(QRectF(11.5, 7, 1.5, 2.5));
        shaft.addRect(QRectF(13.5, 7, 1.5, 3.5));
        p.drawPath(shaft.simplified());
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(3.3, 5.3, 2.4, 2.4));
    });
}

QImage tipMagnifyGlass() {
    return icon([](QPainter& p) {
        p.setPen(pen(kGreyDark, 3));
        p.drawLine(QPointF(10, 10), QPointF(14, 14));
        p.setPen(pen(kGreyDark, 1.4));
        p.setBrush(QColor(0xdd, 0xea, 0xf8, 200));
        p.drawEllipse(QRectF(1.5, 1.5, 9.5, 9.5));
        p.setPen(pen(Qt::white, 1.2));
        p.drawArc(QRectF(3.5, 3.5, 5.5, 5.5), 100 * 16, 70 * 16);
    });
}

QImage tipPadlock() {
    return icon([](QPainter& p) {
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(kGreyDark, 1.6));
        p.drawRoundedRect(QRectF(4.5, 1.5, 7, 9), 3.5, 3.5);
        p.setPen(pen(kYellowDark));
        p.setBrush(vertical(7, 15, kYellowPale, kYellow));
        p.drawRoundedRect(QRectF(2.5, 7.5, 11, 7), 1, 1);
        p.setPen(pen(kYellowDark, 1.5));
        p.drawLine(QPointF(8, 10), QPointF(8, 12));
    });
}

QImage tipEmail() {
    return icon([](QPainter& p) {
        const QRectF env(1.5, 3.5, 13, 9);
        p.setPen(pen(kBlueDark));
        p.setBrush(vertical(env.top(), env.bottom(), Qt::white, kBluePale));
        p.drawRect(env);
        QPainterPath flap =
            polygon({{env.topLeft()}, {env.center().x(), env.top() + 5}, {env.topRight()}}, false);
        p.setBrush(Qt::NoBrush);
        p.drawPath(flap);
    });
}

QImage tipPieChart() {
    return icon([](QPainter& p) {
        const QRectF box(1.5, 1.5, 13, 13);
        p.setPen(pen(kBlueDark));
        p.setBrush(kBlueLight);
        p.drawPie(box, 90 * 16, 250 * 16);
        p.setBrush(kOrange);
        p.drawPie(box, 340 * 16, 110 * 16);
    });
}

QImage tipRecycleBin() {
    return icon([](QPainter& p) {
        p.setPen(pen(kGreyDark));
        p.setBrush(vertical(3, 15, kGrey.lighter(120), kGrey));
        QPainterPath bin = polygon({{3, 4.5}, {13, 4.5}, {12, 14.5}, {4, 14.5}});
        p.drawPath(bin);
        p.drawRect(QRectF(2.5, 2.5, 11, 2));
        p.setPen(pen(kGreen, 1.3));
        p.drawArc(QRectF(5.5, 7, 5, 5), 30 * 16, 300 * 16);
    });
}

QImage tipSpeaker() {
    return icon([](QPainter& p) {
        QPainterPath cone =
            polygon({{1.5, 5.5}, {4.5, 5.5}, {8.5, 1.5}, {8.5, 14.5}, {4.5, 10.5}, {1.5, 10.5}});
        p.setPen(pen(kGreyDark));
        p.setBrush(vertical(1, 15, kGrey.lighter(115), kGrey));
        p.drawPath(cone);
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(kBlue, 1.2));
        p.drawArc(QRectF(6.5, 4.5, 6, 7), -60 * 16, 120 * 16);
        p.drawArc(QRectF(6, 2, 9, 12), -60 * 16, 120 * 16);
    });
}

QImage tipStar() {
    return icon([](QPainter& p) {
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const qreal r = i % 2 ? 3.1 : 7;
            const qreal a = -M_PI / 2 + i * M_PI / 5;
            const QPointF pt(8 + r * std::cos(a), 8.5 + r * std::sin(a));
            i ? star.lineTo(pt) : star.moveTo(pt);
        }
        star.closeSubpath();
        p.setPen(pen(kYellowDark));
        p.setBrush(vertical(1, 15, kYellowPale, kYellow));
        p.drawPath(star);
    });
}

QImage tipUsers() {
    return icon([](QPainter& p) {
        person(p, 10.5, 1.5, 0.85, kBlueLight, kBlueDark);
        person(p, 5.5, 3.5, 0.9, kGreen, kGreenDark);
    });
}

QImage tipRedo() {
    return icon([](QPainter& p) { curvedArrow(p, true); });
}

QImage tipAddressBook() {
    return icon([](QPainter& p) {
        p.setPen(pen(kRedDark));
        p.setBrush(vertical(1, 15, kRed.lighter(120), kRed));
        p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1, 1);
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 3.5, 8, 9));
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(kGreyDark);
        for (int y : {3, 6, 9, 12}) {
            p.drawRect(1, y, 2, 1);
        }
        p.setRenderHint(QPainter::Antialiasing, true);
        person(p, 8.5, 4.5, 0.55, kBlueLight, kBlueDark);
    });
}

QImage tipComputers() {
    return icon([](QPainter& p) {
        monitor(p, QRectF(5.5, 1.5, 10, 7));
        monitor(p, QRectF(0.5, 6.5, 10, 7));
    });
}

QImage tipMouse() {
    return icon([](QPainter& p) {
        p.setPen(pen(kGreyDark));
        p.setBrush(vertical(3, 15, Qt::white, kGrey));
        p.drawRoundedRect(QRectF(4.5, 4.5, 8, 11), 4, 4);
        p.drawLine(QPointF(8.5, 4.5), QPointF(8.5, 9));
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(kGreyDark, 1));
        QPainterPath cord;
        cord.moveTo(8.5, 4.5);
        cord.cubicTo(8.5, 1, 12, 3, 13, 0.5);
        p.drawPath(cord);
    });
}

QImage tipSettings() {
    return icon([](QPainter& p) {
        QPainterPath gear;
        for (int i = 0; i < 32; ++i) {
            const qreal r = (i / 2) % 2 ? 5.2 : 7.3;
            const qreal a = (i - 0.5) * M_PI / 16;
            const QPointF pt(8 + r * std::cos(a), 8 + r * std::sin(a));
            i ? gear.lineTo(pt) : gear.moveTo(pt);
        }
        gear.closeSubpath();
        QPainterPath hole;
        hole.addEllipse(QPointF(8, 8), 2.2, 2.2);
        p.setPen(pen(kGreyDark));
        p.setBrush(vertical(1, 15, kGrey.lighter(120), kGrey));
        p.drawPath(gear.subtracted(hole));
    });
}

QImage messengerBuddy(const QColor& head, const QColor& body, const QColor& outline) {
    return icon([&](QPainter& p) {
        p.setPen(pen(outline));
        p.setBrush(vertical(1, 7, head.lighter(130), head));
        p.drawEllipse(QRectF(4.5, 1.5, 6, 6));
        QPainterPath torso;
        torso.moveTo(2, 14.5);
        torso.cubicTo(2, 7.5, 13, 7.5, 13, 14.5);
        torso.closeSubpath();
        p.setBrush(vertical(8, 15, body.lighter(125), body));
        p.drawPath(torso);
    });
}

QImage tipMSN1() {
    return messengerBuddy(kGreen, kGreen, kGreenDark);
}

QImage tipMSN2() {
    return messengerBuddy(kOrange, kBlue, kBlueDark);
}

QImage tipBackup() {
    return icon([](QPainter& p) {
        p.setPen(pen(kGreyDark));
        p.setBrush(vertical(8, 15, kGrey.lighter(120), kGrey));
        p.drawRoundedRect(QRectF(1.5, 9.5, 13, 5), 1, 1);
        p.setPen(pen(kGreen, 1.5));
        p.drawLine(QPointF(12, 12), QPointF(12.5, 12));
        QPainterPath arrow =
            polygon({{8, 8.5}, {3.5, 4}, {6, 4}, {6, 0.5}, {10, 0.5}, {10, 4}, {12.5, 4}});
        p.setPen(pen(kBlueDark));
        p.setBrush(kBlueLight);
        p.drawPath(arrow);
    });
}

QImage tipIE() {
    return icon([](QPainter& p) {
        p.setPen(pen(kGreyDark));
        p.setBrush(kPaper);
        p.drawRect(QRectF(0.5, 1.5, 15, 13));
        p.setBrush(kBlue);
        p.drawRect(QRectF(0.5, 1.5, 15, 3));
        globeShape(p, QRectF(4.5, 6, 7, 7));
    });
}

QImage tipEject() {
    return icon([](QPainter& p) {
        p.setPen(pen(kGreyDark));
        p.setBrush(vertical(2, 12, kGrey.lighter(125), kGreyDark.lighter(130)));
        QPainterPath t = polygon({{8, 2.5}, {14, 9.5}, {2, 9.5}});
        p.drawPath(t);
        p.drawRect(QRectF(2.5, 11.5, 11, 2.5));
    });
}

QImage tipLightbulb() {
    return icon([](QPainter& p) {
        QRadialGradient glow(QPointF(8, 6), 6, QPointF(6.5, 4.5));
        glow.setColorAt(0, Qt::white);
        glow.setColorAt(1, kYellow);
        p.setPen(pen(kYellowDark));
        p.setBrush(glow);
        QPainterPath bulb;
        bulb.addEllipse(QRectF(3, 0.5, 10, 10));
        QPainterPath neck;
        neck.addRect(QRectF(5.5, 8, 5, 3.5));
        p.drawPath(bulb.united(neck));
        p.setBrush(kGrey);
        p.setPen(pen(kGreyDark));
        p.drawRect(QRectF(5.5, 11.5, 5, 3));
        p.drawLine(QPointF(5.5, 13), QPointF(10.5, 13));
    });
}

QImage tipPicture() {
    return icon([](QPainter& p) {
        p.setPen(pen(kGreyDark));
        p.setBrush(vertical(2, 14, kBlueLight.lighter(120), kBluePale));
        p.drawRect(QRectF(0.5, 2.5, 15, 11));
        p.setPen(Qt::NoPen);
        p.setBrush(kYellow);
        p.drawEllipse(QRectF(10, 4, 3.5, 3.5));
        QPainterPath hills = polygon({{1, 13}, {5.5, 6.5}, {9, 11}, {11, 8.5}, {15, 13}});
        p.setBrush(kGreen);
        p.drawPath(hills);
    });
}

QImage tipRAM() {
    return icon([](QPainter& p) {
        p.setPen(pen(kGreenDark));
        p.setBrush(vertical(4, 12, kGreen.lighter(125), kGreen));
        p.drawRect(QRectF(0.5, 4.5, 15, 6));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x22, 0x22, 0x22));
        for (qreal x : {2.0, 6.0, 10.0}) {
            p.drawRect(QRectF(x, 5.5, 3, 3.5));
        }
        p.setBrush(kYellow.darker(110));
        for (int i = 0; i < 7; ++i) {
            p.drawRect(QRectF(1.5 + i * 2, 11, 1, 2));
        }
    });
}

// The one icon drawn 15 by 15.
QImage tipSmiley() {
    return paint(15, 15, [](QPainter& p) {
        p.setPen(pen(kYellowDark));
        p.setBrush(vertical(1, 14, kYellowPale, kYellow));
        p.drawEllipse(QRectF(0.5, 0.5, 14, 14));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x40, 0x30, 0x00));
        p.drawEllipse(QRectF(4, 4, 2, 3));
        p.drawEllipse(QRectF(9, 4, 2, 3));
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(QColor(0x40, 0x30, 0x00), 1.2));
        p.drawArc(QRectF(3.5, 4.5, 8, 6.5), 200 * 16, 140 * 16);
    });
}

QImage tipUndo() {
    return icon([](QPainter& p) { curvedArrow(p, false); });
}

QImage tipWindow() {
    return icon([](QPainter& p) {
        p.setPen(pen(kBlueDark));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(0.5, 1.5, 15, 13));
        p.setBrush(vertical(1, 5, kBlueLight, kBlue));
        p.drawRect(QRectF(0.5, 1.5, 15, 3.5));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(12, 2.5, 2, 1.5));
    });
}

QImage tipTick() {
    return icon([](QPainter& p) {
        QPainterPath tick = polygon({{2, 8.5}, {6, 12.5}, {14, 3}}, false);
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(kGreenDark, 3.6));
        p.drawPath(tick);
        p.setPen(pen(kGreen.lighter(115), 2));
        p.drawPath(tick);
    });
}

// ---- the control's face, the About banner --------------------------------------------------

// A small popup with its coloured band: how form designers show the control.
QImage face() {
    return icon([](QPainter& p) {
        p.setPen(pen(Qt::black));
        p.setBrush(QColor(255, 255, 225));
        p.drawRect(QRectF(0.5, 1.5, 15, 11));
        p.setBrush(QColor(255, 255, 128));
        p.drawRect(QRectF(0.5, 1.5, 15, 3.5));
        p.setPen(pen(kBlue, 1.5));
        p.drawLine(QPointF(2.5, 3.3), QPointF(4, 3.3));
        p.setPen(pen(kGreyDark));
        p.drawLine(QPointF(2.5, 7.5), QPointF(12.5, 7.5));
        p.drawLine(QPointF(2.5, 9.5), QPointF(9.5, 9.5));
        p.setPen(pen(Qt::black));
        p.setBrush(Qt::white);
        QPainterPath arrow = polygon(
            {{10, 10}, {10, 15.5}, {11.5, 14}, {13.5, 15.5}, {14, 14.5}, {12.5, 13}, {14.5, 12.5}});
        p.drawPath(arrow);
    });
}

QImage banner() {
    return paint(300, 102, [](QPainter& p) {
        QLinearGradient sky(0, 0, 300, 102);
        sky.setColorAt(0, QColor(0x1a, 0x2f, 0x55));
        sky.setColorAt(1, QColor(0x3d, 0x6f, 0xb0));
        p.fillRect(QRect(0, 0, 300, 102), sky);
        // Small glints across the sky.
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 24; ++i) {
            const qreal x = std::fmod(i * 73.0, 300.0);
            const qreal y = std::fmod(i * 37.0, 102.0);
            p.setBrush(QColor(255, 255, 255, 40 + (i * 29) % 120));
            p.drawEllipse(QPointF(x, y), 1.1, 1.1);
        }
        // A popup with its band, as the component shows one.
        const QRectF tip(204, 24, 80, 54);
        p.setBrush(QColor(0, 0, 0, 60));
        p.drawRect(tip.translated(3, 3));
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(255, 255, 225));
        p.drawRect(tip);
        p.setBrush(QColor(255, 255, 128));
        p.drawRect(QRectF(tip.left(), tip.top(), tip.width(), 14));
        p.setPen(QPen(QColor(0x70, 0x77, 0x80), 2));
        for (int i = 0; i < 3; ++i) {
            p.drawLine(QPointF(tip.left() + 8, tip.top() + 24 + i * 9),
                       QPointF(tip.right() - 10 - i * 14, tip.top() + 24 + i * 9));
        }
        p.setPen(Qt::white);
        QFont title(u"DejaVu Sans"_s);
        title.setPixelSize(26);
        title.setBold(true);
        p.setFont(title);
        p.drawText(QRectF(16, 20, 180, 40), Qt::AlignLeft | Qt::AlignVCenter, u"Glimmertip"_s);
        QFont small(u"DejaVu Sans"_s);
        small.setPixelSize(12);
        p.setFont(small);
        p.setPen(QColor(0xdd, 0xea, 0xf8));
        p.drawText(QRectF(18, 58, 180, 20), Qt::AlignLeft | Qt::AlignVCenter,
                   u"notification popups"_s);
    });
}

// ---- Parlane's About window ----------------------------------------------------------------

// The maker's logo: a ringed "O".
QImage ostrellLogo() {
    return paint(48, 48, [](QPainter& p) {
        QRadialGradient g(QPointF(24, 24), 22, QPointF(17, 15));
        g.setColorAt(0, kBlueLight);
        g.setColorAt(1, kBlueDark);
        p.setPen(QPen(kBlueDark, 2));
        p.setBrush(g);
        p.drawEllipse(QRectF(3, 3, 42, 42));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, 5));
        p.drawEllipse(QRectF(14, 14, 20, 20));
        p.setPen(QPen(kOrange, 3));
        p.drawArc(QRectF(8, 8, 32, 32), 30 * 16, 60 * 16);
    });
}

// The maker's name as a small word mark.
QImage ostrellWordmark() {
    return paint(120, 24, [](QPainter& p) {
        QFont font(u"DejaVu Sans"_s);
        font.setPixelSize(17);
        font.setBold(true);
        font.setLetterSpacing(QFont::AbsoluteSpacing, 2);
        p.setFont(font);
        p.setPen(kBlueDark);
        p.drawText(QRectF(0, 0, 120, 24), Qt::AlignLeft | Qt::AlignVCenter, u"OSTRELL"_s);
        p.setPen(QPen(kOrange, 2));
        p.drawLine(QPointF(2, 22), QPointF(40, 22));
    });
}

bool save(const QString& path, const QImage& image) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QString root =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(PARLANE_RESOURCES_DIR);
    const std::pair<const char*, QImage (*)()> icons[] = {
        {"tipInformation", tipInformation},
        {"tipQuestion", tipQuestion},
        {"tipExclamation", tipExclamation},
        {"tipCritical", tipCritical},
        {"tipPapers", tipPapers},
        {"tipFolder", tipFolder},
        {"tipGlobe", tipGlobe},
        {"tipKey", tipKey},
        {"tipMagnifyGlass", tipMagnifyGlass},
        {"tipPadlock", tipPadlock},
        {"tipEmail", tipEmail},
        {"tipPieChart", tipPieChart},
        {"tipRecycleBin", tipRecycleBin},
        {"tipSpeaker", tipSpeaker},
        {"tipStar", tipStar},
        {"tipUsers", tipUsers},
        {"tipRedo", tipRedo},
        {"tipAddressBook", tipAddressBook},
        {"tipComputers", tipComputers},
        {"tipMouse", tipMouse},
        {"tipSettings", tipSettings},
        {"tipMSN1", tipMSN1},
        {"tipMSN2", tipMSN2},
        {"tipBackup", tipBackup},
        {"tipIE", tipIE},
        {"tipEject", tipEject},
        {"tipLightbulb", tipLightbulb},
        {"tipPicture", tipPicture},
        {"tipRAM", tipRAM},
        {"tipSmiley", tipSmiley},
        {"tipUndo", tipUndo},
        {"tipWindow", tipWindow},
        {"tipTick", tipTick},
    };
    bool ok = true;
    for (const auto& [name, draw] : icons) {
        ok &= save(root + u"/glimmertip/icons/"_s + QLatin1StringView(name) + u".png"_s, draw());
    }
    ok &= save(root + u"/glimmertip/face.png"_s, face());
    ok &= save(root + u"/glimmertip/banner.png"_s, banner());
    ok &= save(root + u"/icons/about-logo.png"_s, ostrellLogo());
    ok &= save(root + u"/icons/about-maker.png"_s, ostrellWordmark());
    return ok ? 0 : 1;
}
