#include "X.h"

#include "Desktop.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;
using desktop::Run;

namespace x {
namespace {

QString Hex(qulonglong id) {
    return u"0x"_s + QString::number(id, 16);
}

qulonglong Id(const QString& text) {
    return text.trimmed().toULongLong(nullptr, 0);
}

int Field(const QString& info, const QString& name) {
    const auto m = QRegularExpression(name + u":\\s*(-?\\d+)"_s).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

void Describe(Window& w) {
    const QString info = Run(u"xwininfo"_s, {u"-id"_s, Hex(w.id)});
    w.viewable = info.contains(u"Map State: IsViewable"_s);
    w.client =
        QRect(Field(info, u"Absolute upper-left X"_s), Field(info, u"Absolute upper-left Y"_s),
              Field(info, u"Width"_s), Field(info, u"Height"_s));
}

void Xdotool(const QStringList& args) {
    Run(u"xdotool"_s, args);
}

}  // namespace

QList<Window> Windows(qint64 pid) {
    static const QRegularExpression line(u"^(0x[0-9a-f]+)\\s+-?\\d+\\s+(\\d+)\\s+\\S+ ?(.*)$"_s);
    QList<Window> windows;
    for (const QString& text : Run(u"wmctrl"_s, {u"-lp"_s}).split(u'\n', Qt::SkipEmptyParts)) {
        const auto m = line.match(text);
        if (!m.hasMatch() || (pid && m.captured(2).toLongLong() != pid)) {
            continue;
        }
        Window w{Id(m.captured(1)), m.captured(2).toLongLong(), m.captured(3), false, {}};
        Describe(w);
        windows << w;
    }
    return windows;
}

Window Find(const QString& title, qint64 pid) {
    for (const Window& w : Windows(pid)) {
        if (w.title == title) {
            return w;
        }
    }
    return {};
}

Window WaitForWindow(const QString& title, qint64 pid, int ms) {
    Window found;
    const bool shown = QTest::qWaitFor(
        [&] {
            found = Find(title, pid);
            return found.viewable;
        },
        ms);
    return shown ? found : Window{};
}

bool WaitUntilHidden(const QString& title, qint64 pid, int ms) {
    return QTest::qWaitFor([&] { return !Find(title, pid).viewable; }, ms);
}

qulonglong ActiveWindow() {
    return Id(Run(u"xdotool"_s, {u"getactivewindow"_s}));
}

qulonglong FocusWindow() {
    return Id(Run(u"xdotool"_s, {u"getwindowfocus"_s, u"-f"_s}));
}

bool Activate(qulonglong id) {
    Xdotool({u"windowactivate"_s, Hex(id)});
    return QTest::qWaitFor([&] { return ActiveWindow() == id; }, 5000);
}

void Key(const QString& keys) {
    Xdotool({u"key"_s, u"--clearmodifiers"_s, u"--delay"_s, u"50"_s, keys});
}

void Type(const QString& text) {
    Xdotool({u"type"_s, u"--clearmodifiers"_s, u"--delay"_s, u"30"_s, text});
}

void Click(const Window& window, QPoint at, int count, int button) {
    ClickAt(window.client.topLeft() + at, count, button);
}

void ClickAt(QPoint at, int count, int button) {
    // Clicks of separate calls must not join into a double-click: a person's next click comes
    // after the double-click interval (400 ms by default).
    static QElapsedTimer last;
    if (last.isValid() && last.elapsed() < 500) {
        QTest::qWait(int(500 - last.elapsed()));
    }
    // No --sync: it waits for ever when the pointer is there already. The server takes XTest
    // events in order, so the click lands where the pointer went.
    Xdotool({u"mousemove"_s, QString::number(at.x()), QString::number(at.y()), u"click"_s,
             u"--repeat"_s, QString::number(count), u"--delay"_s, u"100"_s,
             QString::number(button)});
    last.start();
}

void Close(qulonglong id) {
    Run(u"wmctrl"_s, {u"-i"_s, u"-c"_s, Hex(id)});
}

// xwd's dump: a header of big-endian 32-bit fields, the colours, then the pixels as the server
// keeps them; this display's are 32 bits with the low byte first, as QImage's RGB32.
QImage Screenshot(qulonglong id) {
    QProcess xwd;
    xwd.start(u"xwd"_s, {u"-silent"_s, u"-id"_s, Hex(id)});
    if (!xwd.waitForFinished(10000) || xwd.exitCode() != 0) {
        return {};
    }
    const QByteArray dump = xwd.readAllStandardOutput();
    const auto field = [&](int i) {
        return dump.size() >= 100 ? qFromBigEndian<quint32>(dump.constData() + 4 * i) : 0u;
    };
    enum {
        kHeaderSize = 0,
        kWidth = 4,
        kHeight = 5,
        kByteOrder = 7,
        kBitsPerPixel = 11,
        kBytesPerLine = 12,
        kColours = 19
    };
    const qsizetype start = field(kHeaderSize) + 12 * qsizetype(field(kColours));
    const qsizetype stride = field(kBytesPerLine);
    const int width = int(field(kWidth)), height = int(field(kHeight));
    if (field(kBitsPerPixel) != 32 || field(kByteOrder) != 0 ||
        dump.size() < start + stride * height) {
        return {};
    }
    return QImage(reinterpret_cast<const uchar*>(dump.constData() + start), width, height, stride,
                  QImage::Format_RGB32)
        .copy();
}

// The icon is a window of the process inside the tray's panel.
QRect TrayIcon(qint64 pid) {
    static const QRegularExpression panelLine(u"^(0x[0-9a-f]+)\\s.*panel\\.trayer"_s,
                                              QRegularExpression::MultilineOption);
    static const QRegularExpression treeLine(
        u"(0x[0-9a-f]+) .* (\\d+)x(\\d+)[+-]-?\\d+[+-]-?\\d+\\s+\\+(-?\\d+)\\+(-?\\d+)"_s);
    const auto panel = panelLine.match(Run(u"wmctrl"_s, {u"-lx"_s}));
    if (!panel.hasMatch()) {
        return {};
    }
    const QStringList own = Run(u"xdotool"_s, {u"search"_s, u"--pid"_s, QString::number(pid)})
                                .split(u'\n', Qt::SkipEmptyParts);
    const QString tree = Run(u"xwininfo"_s, {u"-tree"_s, u"-id"_s, panel.captured(1)});
    for (const QString& text : tree.split(u'\n')) {
        const auto m = treeLine.match(text);
        if (m.hasMatch() && own.contains(QString::number(Id(m.captured(1))))) {
            return QRect(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(2).toInt(),
                         m.captured(3).toInt());
        }
    }
    return {};
}

}  // namespace x
