// Draws all of Parlane's pictures from code, so they can be changed and redrawn at will.
// Usage: make-artwork [resources-dir]

#include "Painting.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// One palette for everything, so the skins and icons look like one family.
const QColor kPrimary{0x2f, 0x6f, 0xb5};
const QColor kPrimaryDark{0x1a, 0x45, 0x78};
const QColor kPrimaryLight{0x6c, 0xa2, 0xdc};
const QColor kPrimaryPale{0xd9, 0xe7, 0xf7};
const QColor kAccent{0xf0, 0x8a, 0x2b};
const QColor kAccentLight{0xf8, 0xb7, 0x6b};
const QColor kPaper{0xf8, 0xfa, 0xfd};
const QColor kMist{0xe7, 0xee, 0xf6};
const QColor kRule{0xc2, 0xd0, 0xe2};
const QColor kOutline{0x15, 0x37, 0x5e};
const QColor kGreen{0x3c, 0xa5, 0x4f};
const QColor kGreenDark{0x23, 0x6e, 0x31};
const QColor kRed{0xd9, 0x43, 0x3b};
const QColor kRedDark{0x8e, 0x22, 0x1c};
const QColor kAmber{0xf5, 0xb8, 0x28};
const QColor kAmberDark{0x9a, 0x64, 0x00};
const QColor kGrey{0xa4, 0xaa, 0xb2};
const QColor kGreyDark{0x70, 0x77, 0x80};

using artwork::Draw;
using artwork::paint;
using artwork::pen;
using artwork::polygon;
using artwork::vertical;

QColor alpha(QColor color, int a) {
    color.setAlpha(a);
    return color;
}

// ---- small shared shapes -------------------------------------------------------------------

void person(QPainter& p, const QRectF& head, const QRectF& body, const QColor& top,
            const QColor& bottom, const QColor& outline) {
    const qreal dome = std::min(body.width() * 0.5, body.height() * 0.75);
    QPainterPath torso;
    torso.moveTo(body.left(), body.bottom());
    torso.lineTo(body.left(), body.top() + dome);
    torso.arcTo(QRectF(body.left(), body.top(), body.width(), dome * 2), 180, -180);
    torso.lineTo(body.right(), body.bottom());
    torso.closeSubpath();
    p.setPen(pen(outline));
    p.setBrush(vertical(body.top(), body.bottom(), top, bottom));
    p.drawPath(torso);
    p.setBrush(vertical(head.top(), head.bottom(), top.lighter(112), top));
    p.drawEllipse(head);
}

// A globe whose grid lines fall on pixel centres when the box is on half pixels.
void globe(QPainter& p, const QRectF& box, qreal lineWidth, const QColor& outline, bool fullGrid) {
    const QPointF c = box.center();
    const qreal r = box.width() / 2;
    QRadialGradient sea(c, r, QPointF(c.x() - r * 0.4, c.y() - r * 0.45));
    sea.setColorAt(0, Qt::white);
    sea.setColorAt(0.55, kPrimaryPale);
    sea.setColorAt(1, kPrimaryLight);
    p.setPen(Qt::NoPen);
    p.setBrush(sea);
    p.drawEllipse(box);

    p.save();
    QPainterPath clip;
    clip.addEllipse(box);
    p.setClipPath(clip);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(alpha(kPrimary, 200), lineWidth));
    p.drawLine(QPointF(c.x(), box.top()), QPointF(c.x(), box.bottom()));
    p.drawLine(QPointF(box.left(), c.y()), QPointF(box.right(), c.y()));
    p.drawEllipse(QRectF(c.x() - r * 0.5, box.top(), r, box.height()));
    if (fullGrid)
        p.drawEllipse(QRectF(c.x() - r * 0.85, box.top(), r * 1.7, box.height()));
    for (qreal f : {-0.5, 0.5}) {
        const qreal y = c.y() + f * r;
        p.drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
    }
    p.restore();

    p.setBrush(Qt::NoBrush);
    p.setPen(pen(outline, lineWidth));
    p.drawEllipse(box);
}

// Signal bars: the "on the LAN" mark shared by the program icon and the status strip.
void signalBars(QPainter& p, qreal left, qreal bottom, qreal barWidth, qreal gap,
                const std::initializer_list<qreal>& heights, const QColor& color,
                const QColor& last) {
    p.setPen(Qt::NoPen);
    qreal x = left;
    int i = 0;
    const int count = int(heights.size());
    for (qreal h : heights) {
        p.setBrush(++i == count ? last : color);
        p.drawRect(QRectF(x, bottom - h, barWidth, h));
        x += barWidth + gap;
    }
}

// ---- program icon --------------------------------------------------------------------------

QPainterPath bubble16() {
    QPainterPath path;
    path.addRoundedRect(QRectF(0.5, 1.5, 15, 10.5), 3, 3);
    QPainterPath tail = polygon({{3.5, 11}, {2.5, 15.5}, {8, 11}});
    return path.united(tail);
}

QImage appIcon16() {
    return paint(16, 16, [](QPainter& p) {
        p.setPen(pen(kOutline));
        p.setBrush(vertical(1, 15, kPrimaryLight, kPrimary));
        p.drawPath(bubble16());
        // Whole-pixel bars stay sharp at tray size.
        p.setRenderHint(QPainter::Antialiasing, false);
        signalBars(p, 4, 10, 2, 1, {2, 4, 6}, Qt::white, kAccentLight);
    });
}

// Drawn on a 32-unit grid and scaled, so the 64 px copy keeps whole-pixel edges too.
QImage appIcon(int size) {
    return paint(size, size, [size](QPainter& p) {
        p.scale(size / 32.0, size / 32.0);
        QPainterPath body;
        body.addRoundedRect(QRectF(1.5, 2.5, 29, 21), 6, 6);
        QPainterPath tail = polygon({{7, 22}, {5, 30.5}, {15, 22}});
        body = body.united(tail);

        p.setPen(pen(kOutline));
        QLinearGradient fill = vertical(2, 30, kPrimaryLight, kPrimary.darker(108));
        fill.setColorAt(0.5, kPrimary);
        p.setBrush(fill);
        p.drawPath(body);

        // A soft sheen on the upper half keeps the large icon from looking flat.
        p.save();
        p.setClipPath(body);
        p.setPen(Qt::NoPen);
        p.setBrush(vertical(2.5, 13, QColor(255, 255, 255, 80), QColor(255, 255, 255, 0)));
        p.drawRoundedRect(QRectF(3, 3.5, 26, 10), 5, 5);
        p.restore();
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(QColor(255, 255, 255, 70)));
        p.drawRoundedRect(QRectF(2.5, 3.5, 27, 19), 5, 5);

        p.setPen(Qt::NoPen);
        const qreal bottom = 18.5;
        const qreal heights[] = {4, 7.5, 11};
        for (int i = 0; i < 3; ++i) {
            p.setBrush(i == 2 ? kAccentLight : QColor(Qt::white));
            p.drawRoundedRect(QRectF(8.5 + i * 5.5, bottom - heights[i], 4, heights[i]), 1, 1);
        }
    });
}

// ---- tree icons ----------------------------------------------------------------------------

QImage treeUser() {
    return paint(16, 16, [](QPainter& p) {
        person(p, QRectF(4.5, 1.5, 7, 7), QRectF(2.5, 9.5, 11, 6), kPrimaryLight, kPrimary,
               kPrimaryDark);
    });
}

QImage treeUsers() {
    return paint(16, 16, [](QPainter& p) {
        const QColor backTop(0xa9, 0xc6, 0xe6);
        const QColor backBottom(0x7f, 0xa6, 0xd2);
        person(p, QRectF(9, 1.5, 5, 5), QRectF(7.5, 7.5, 8, 6), backTop, backBottom,
               QColor(0x4a, 0x6f, 0x9a));
        person(p, QRectF(2.5, 4.5, 6, 6), QRectF(0.5, 10.5, 10, 5), kPrimaryLight, kPrimary,
               kPrimaryDark);
    });
}

QImage treeDomain() {
    return paint(16, 16,
                 [](QPainter& p) { globe(p, QRectF(1.5, 1.5, 12, 12), 1, kPrimaryDark, false); });
}

QImage treeDomains() {
    return paint(16, 16, [](QPainter& p) {
        // Centres on half pixels keep the links and node equators sharp.
        const QPointF top(8, 3.5), left(3.5, 11.5), right(12.5, 11.5);
        p.setPen(pen(kPrimaryDark));
        p.drawLine(top, left);
        p.drawLine(top, right);
        p.drawLine(left, right);
        for (const QPointF& c : {top, left, right}) {
            const QRectF box(c.x() - 3, c.y() - 3, 6, 6);
            p.setPen(pen(kPrimaryDark));
            p.setBrush(vertical(box.top(), box.bottom(), kPrimaryPale, kPrimaryLight));
            p.drawEllipse(box);
            p.setPen(pen(alpha(kPrimary, 170)));
            p.drawLine(QPointF(c.x() - 2.5, c.y()), QPointF(c.x() + 2.5, c.y()));
        }
    });
}

QImage treeUnknown() {
    return paint(16, 16, [](QPainter& p) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(1.5, 1.5, 13, 10), 3, 3);
        QPainterPath tail = polygon({{4, 11}, {3.5, 14.5}, {8, 11}});
        shape = shape.united(tail);
        p.setPen(pen(kPrimaryDark));
        p.setBrush(vertical(1, 15, Qt::white, kPrimaryPale));
        p.drawPath(shape);

        QPainterPath mark;
        mark.moveTo(6.2, 5.0);
        mark.cubicTo(6.2, 2.9, 9.8, 2.9, 9.8, 5.0);
        mark.cubicTo(9.8, 6.4, 8.0, 6.4, 8.0, 7.9);
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(kAccent.darker(115), 1.6));
        p.drawPath(mark);
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent.darker(115));
        p.drawEllipse(QPointF(8, 9.9), 0.95, 0.95);
    });
}

QImage treeCatchAll() {
    return paint(16, 16, [](QPainter& p) {
        // A letter waiting in the tray.
        p.setPen(pen(kGreyDark));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 8));
        p.setPen(pen(kPrimaryLight));
        p.drawLine(QPointF(6, 4.5), QPointF(10, 4.5));
        p.drawLine(QPointF(6, 6.5), QPointF(10, 6.5));

        QPainterPath tray = polygon({{0.5, 8.5},
                                     {4.5, 8.5},
                                     {5.5, 10.5},
                                     {10.5, 10.5},
                                     {11.5, 8.5},
                                     {15.5, 8.5},
                                     {15.5, 14.5},
                                     {0.5, 14.5}});
        p.setPen(pen(kPrimaryDark));
        p.setBrush(vertical(8, 15, kPrimaryLight, kPrimary));
        p.drawPath(tray);
    });
}

// ---- chat status icons ---------------------------------------------------------------------

void disc(QPainter& p, const QColor& fill, const QColor& outline) {
    artwork::disc(p, fill, outline, 118);
}

QImage chatSending() {
    return paint(16, 16, [](QPainter& p) {
        const QRectF env(4.5, 3.5, 11, 9);
        p.setPen(pen(kPrimaryDark));
        p.setBrush(vertical(env.top(), env.bottom(), Qt::white, kPrimaryPale));
        p.drawRect(env);
        QPainterPath flap =
            polygon({{env.topLeft()}, {env.center().x(), env.top() + 5}, {env.topRight()}}, false);
        p.setBrush(Qt::NoBrush);
        p.drawPath(flap);
        // Speed lines in the warm accent say "on its way".
        p.setPen(pen(kAccent));
        p.drawLine(QPointF(0.5, 5.5), QPointF(2.5, 5.5));
        p.drawLine(QPointF(0.5, 8.5), QPointF(2.5, 8.5));
        p.drawLine(QPointF(1.5, 11.5), QPointF(2.5, 11.5));
    });
}

QImage chatWaiting() {
    return paint(16, 16, [](QPainter& p) {
        disc(p, kGreen, kGreenDark);
        QPainterPath tick = polygon({{4.8, 8.2}, {7.0, 10.4}, {11.2, 5.8}}, false);
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(Qt::white, 1.8));
        p.drawPath(tick);
    });
}

QImage chatUnused() {
    return paint(16, 16, [](QPainter& p) {
        p.setPen(pen(kGreyDark));
        p.setBrush(vertical(4, 12, kGrey.lighter(125), kGrey));
        p.drawEllipse(QRectF(4.5, 4.5, 7, 7));
    });
}

QImage chatEmpty() {
    return paint(16, 16, [](QPainter& p) {
        QPainterPath triangle = polygon({{8, 1.2}, {15.2, 14.5}, {0.8, 14.5}});
        p.setPen(pen(kAmberDark));
        p.setBrush(vertical(1, 15, kAmber.lighter(120), kAmber));
        p.drawPath(triangle);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x4a, 0x30, 0x00));
        p.drawRect(QRect(7, 5, 2, 5));
        p.drawRect(QRect(7, 11, 2, 2));
    });
}

QImage chatError() {
    return paint(16, 16, [](QPainter& p) {
        disc(p, kRed, kRedDark);
        p.setPen(pen(Qt::white, 1.8));
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
    });
}

// ---- skins ---------------------------------------------------------------------------------

QImage statusBar() {
    return paint(
        640, 25,
        [](QPainter& p) {
            p.setRenderHint(QPainter::Antialiasing, false);
            p.fillRect(QRect(0, 0, 640, 25), vertical(1, 25, kPaper, kMist));
            p.fillRect(QRect(0, 0, 640, 1), kRule);
            p.fillRect(QRect(0, 1, 640, 1), Qt::white);
            p.fillRect(QRect(0, 24, 640, 1), QColor(0xd6, 0xe0, 0xec));
            // Text starts at x = 22, so the mark stays within x 4..18.
            signalBars(p, 6, 17, 2, 2, {3, 6, 9}, kPrimary, kAccent);
        },
        true);
}

QImage trimBottom() {
    return paint(
        640, 10,
        [](QPainter& p) {
            p.setRenderHint(QPainter::Antialiasing, false);
            p.fillRect(QRect(0, 0, 640, 10), vertical(0, 10, kPaper, kMist));
            p.fillRect(QRect(0, 0, 640, 1), kRule);
            p.fillRect(QRect(0, 1, 640, 1), Qt::white);
            // Two rows, because JPEG smears a single coloured row.
            QLinearGradient accent(0, 0, 640, 0);
            accent.setColorAt(0, kPrimary);
            accent.setColorAt(0.6, kPrimaryLight);
            accent.setColorAt(1, kAccentLight);
            p.fillRect(QRect(0, 8, 640, 2), accent);
        },
        true);
}

void softBackdrop(QPainter& p) {
    QRadialGradient glow(QPointF(36, 34), 36);
    glow.setColorAt(0, QColor(0xee, 0xf4, 0xfb));
    glow.setColorAt(1, Qt::white);
    p.fillRect(QRect(0, 0, 72, 72), glow);
}

void groundShadow(QPainter& p, qreal y, qreal width) {
    QRadialGradient shade(QPointF(36, y), width / 2);
    shade.setColorAt(0, alpha(kPrimaryDark, 45));
    shade.setColorAt(1, alpha(kPrimaryDark, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.save();
    p.translate(36, y);
    p.scale(1, 0.18);
    p.translate(-36, -y);
    p.drawEllipse(QPointF(36, y), width / 2, width / 2);
    p.restore();
}

QImage bigGlobe() {
    return paint(
        72, 72,
        [](QPainter& p) {
            softBackdrop(p);
            groundShadow(p, 66, 48);
            globe(p, QRectF(10, 7, 52, 52), 1.5, kPrimary, true);
            // A small warm dot: a message somewhere on the network.
            p.setPen(pen(Qt::white, 1.5));
            p.setBrush(kAccent);
            p.drawEllipse(QPointF(49.5, 20.5), 3.5, 3.5);
        },
        true);
}

QImage bigRunningMan() {
    return paint(
        72, 72,
        [](QPainter& p) {
            softBackdrop(p);
            groundShadow(p, 66, 40);

            p.setPen(pen(alpha(kAccent, 200), 3));
            p.drawLine(QPointF(7, 29), QPointF(19, 29));
            p.drawLine(QPointF(4, 37), QPointF(20, 37));
            p.drawLine(QPointF(9, 45), QPointF(21, 45));

            const QPointF shoulder(42, 26), hip(35, 42);
            auto limb = [&p](const QColor& color, std::initializer_list<QPointF> points) {
                QPainterPath path;
                auto it = points.begin();
                path.moveTo(*it);
                for (++it; it != points.end(); ++it)
                    path.lineTo(*it);
                p.setBrush(Qt::NoBrush);
                p.setPen(pen(color, 6.5));
                p.drawPath(path);
            };
            // Far limbs are paler, so the figure has depth without outlines.
            limb(kPrimaryLight, {shoulder, {33, 33}, {26, 28}});
            limb(kPrimaryLight, {hip, {30, 53}, {19, 55}});
            limb(kPrimary, {shoulder, hip});
            limb(kPrimary, {hip, {46, 50}, {44, 62}});
            limb(kPrimary, {shoulder, {51, 33}, {58, 27}});
            p.setPen(Qt::NoPen);
            p.setBrush(vertical(9, 22, kPrimaryLight, kPrimary));
            p.drawEllipse(QPointF(47, 15.5), 6.5, 6.5);
        },
        true);
}

QImage bigCirclePlay() {
    return paint(
        72, 72,
        [](QPainter& p) {
            softBackdrop(p);
            groundShadow(p, 66, 46);
            const QRectF box(9, 7, 54, 54);
            QRadialGradient face(box.center(), 27, QPointF(26, 20));
            face.setColorAt(0, Qt::white);
            face.setColorAt(1, kPrimaryPale);
            p.setBrush(face);
            QLinearGradient ring(0, box.top(), 0, box.bottom());
            ring.setColorAt(0, kPrimaryLight);
            ring.setColorAt(1, kPrimary);
            p.setPen(QPen(QBrush(ring), 3.5));
            p.drawEllipse(box);

            QPainterPath play = polygon({{29, 21}, {51, 34}, {29, 47}});
            QPen edge(kPrimary, 3);
            edge.setJoinStyle(Qt::RoundJoin);
            p.setPen(edge);
            p.setBrush(vertical(21, 47, kPrimaryLight, kPrimary));
            p.drawPath(play);
        },
        true);
}

// ---- output --------------------------------------------------------------------------------

class Writer {
public:
    explicit Writer(QString root) : root_(std::move(root)) {}

    void icon(const QString& name, const QImage& image) {
        if (save(u"icons"_s, name, image, "PNG", -1))
            icons_ << name;
    }
    void skin(const QString& name, const QImage& image) {
        save(u"Skins/Default"_s, name, image, "JPG", 92);
    }
    // The desktop's menu and launchers take the program's icon from the hicolor theme.
    void themeIcon(const QString& name, const QImage& image) {
        const QString size = QString::number(image.width());
        save(u"hicolor/"_s + size + u'x' + size + u"/apps"_s, name, image, "PNG", -1);
    }

    void resourceFile() {
        QString text =
            u"<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n    <qresource prefix=\"/icons\">\n"_s;
        for (const QString& name : std::as_const(icons_))
            text += u"        <file alias=\""_s + name + u"\">"_s + name + u"</file>\n"_s;
        text += u"    </qresource>\n</RCC>\n"_s;
        QFile file(root_ + u"/icons/icons.qrc"_s);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(text.toUtf8()) < 0) {
            fail(file.fileName());
        }
    }

    bool ok() const { return ok_; }

private:
    bool save(const QString& dir, const QString& name, const QImage& image, const char* format,
              int quality) {
        const QString path = root_ + u'/' + dir + u'/' + name;
        if (!QDir().mkpath(root_ + u'/' + dir) || !image.save(path, format, quality)) {
            fail(path);
            return false;
        }
        std::printf("wrote %s\n", qPrintable(QDir::cleanPath(path)));
        return true;
    }
    void fail(const QString& path) {
        std::fprintf(stderr, "make-artwork: could not write %s\n", qPrintable(path));
        ok_ = false;
    }

    QString root_;
    QStringList icons_;
    bool ok_ = true;
};

}  // namespace

int main(int argc, char* argv[]) {
    // No display is needed to paint into images.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 2) {
        std::fprintf(stderr, "usage: make-artwork [resources-dir]\n");
        return 2;
    }
    const QString root =
        QDir::cleanPath(args.size() == 2 ? args.at(1) : QString::fromUtf8(PARLANE_RESOURCES_DIR));

    Writer out(root);
    out.skin(u"MainContactListStatusBar.jpg"_s, statusBar());
    out.skin(u"ParlaneTrimBottom.jpg"_s, trimBottom());
    out.skin(u"BigGlobeLight.jpg"_s, bigGlobe());
    out.skin(u"BigRunningManLight.jpg"_s, bigRunningMan());
    out.skin(u"BigCirclePlayLight.jpg"_s, bigCirclePlay());

    out.icon(u"tree-users.png"_s, treeUsers());
    out.icon(u"tree-user.png"_s, treeUser());
    out.icon(u"tree-domains.png"_s, treeDomains());
    out.icon(u"tree-unknown.png"_s, treeUnknown());
    out.icon(u"tree-catchall.png"_s, treeCatchAll());
    out.icon(u"tree-domain.png"_s, treeDomain());
    out.icon(u"tray.png"_s, appIcon16());
    out.icon(u"tray-32.png"_s, appIcon(32));
    out.icon(u"app-64.png"_s, appIcon(64));
    // The theme's sizes up to the largest a launcher asks for; the drawing scales to any.
    out.themeIcon(u"org.parlane.Parlane.png"_s, appIcon16());
    for (const int size : {22, 24, 32, 48, 64, 128, 256, 512}) {
        out.themeIcon(u"org.parlane.Parlane.png"_s, appIcon(size));
    }
    out.icon(u"chat-sending.png"_s, chatSending());
    out.icon(u"chat-waiting.png"_s, chatWaiting());
    out.icon(u"chat-unused.png"_s, chatUnused());
    out.icon(u"chat-empty.png"_s, chatEmpty());
    out.icon(u"chat-error.png"_s, chatError());
    out.resourceFile();
    return out.ok() ? 0 : 1;
}
