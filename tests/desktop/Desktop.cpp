#include "controls/Readable.h"
#include "support/Files.h"
#include "support/NetworkNamespaces.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The desktop every journey of this program runs on, started once for all of them:
// - a private X server (Xvfb, 1024x768), a window manager (openbox), an XEmbed tray (trayer);
// - a private session bus whose watcher reports a tray host (TrayKind::StatusNotifier);
// - the network: namespaces of this program's own (network, mount, UTS; host kHostName), lo up,
//   10.99.0.1/24 on a veth pair to the peer machine, 10.99.0.2/24. Port 138 free; nothing leaves.
// - names: kLongHost is this machine and "pc01" the peer; other dotted names are never answered.
// Needs root; without it every journey is skipped with the reason.
const QString kHostName = QStringLiteral("deskhost");
// Long enough that a full box of text no longer fits a datagram beside it.
const QString kLongHost = kHostName + QStringLiteral(".a-rather-long-domain-name.example");

// Runs a program to its end (killed after ms, as its QProcess goes); its standard output.
// exitCode gets its exit code, or -1 when it did not start, crashed or ran too long.
QString Run(const QString& program, const QStringList& args, int* exitCode = nullptr,
            int ms = 10000) {
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    const bool finished = p.waitForFinished(ms);
    if (exitCode) {
        *exitCode = finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Which tray the copy's Qt finds: the XEmbed tray (no session bus) or, through the private
// session bus, a StatusNotifierItem host.
enum class TrayKind { XEmbed, StatusNotifier };

// Qt's light default, a dark desktop's qt6ct scheme with Fusion, or the light one at scale 1.5.
enum class Look { Light, Dark, Large };

const QString kBusName = u"desktop-tests"_s;
const QString kWatcher = u"org.kde.StatusNotifierWatcher"_s;
const QString kBuilt = QStringLiteral(PARLANE_RUNTIME_DIR);

QString peerNamespace;
QString busAddress;
// Made in main, before any thread exists; the reason when there is no desktop.
QString noDesktopReason;

// The desktop's StatusNotifierItem tray: items register here, and a host is always reported, so
// Qt on this bus picks it over XEmbed. It answers whenever the journey lets events run (any wait).
class StatusNotifierWatcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
public:
    bool IsStatusNotifierHostRegistered() const { return true; }

    QStringList items;  // each as "service/path"

public Q_SLOTS:
    // Items name their service (the path is the usual one) or their path (the caller's service).
    void RegisterStatusNotifierItem(const QString& serviceOrPath) {
        items << (serviceOrPath.startsWith(u'/') ? message().service() + serviceOrPath
                                                 : serviceOrPath + u"/StatusNotifierItem"_s);
    }
};

StatusNotifierWatcher* watcher = nullptr;

// The desktop's notification server keeps what it is asked to show; Activate is the user's click.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList shown;  // each as "id replaced summary: body", and "+icon" when it has one
    void Activate(uint id) { emit ActionInvoked(id, u"default"_s); }
public Q_SLOTS:
    QStringList GetCapabilities() const { return {u"body"_s, u"body-markup"_s, u"actions"_s}; }
    uint Notify(const QString&, uint replaces, const QString&, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap& hints, int) {
        const uint id = replaces ? replaces : uint(shown.size() + 1);
        shown << u"%1 %2 %3: %4"_s.arg(id).arg(replaces).arg(summary, body) +
                     (hints.contains(u"image-data"_s) ? u" +icon"_s : u""_s);
        return id;
    }
Q_SIGNALS:
    void ActionInvoked(uint id, const QString& action);
};

NotificationServer* notifications = nullptr;

// The session's accessibility bus, as a desktop offers it to its programs.
class AccessibilityBus : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.a11y.Bus")
public:
    QString address;  // empty without at-spi2-core
public Q_SLOTS:
    QString GetAddress() const { return address; }
};

AccessibilityBus* accessibility = nullptr;

// The item of the process, as "service/path"; empty when it has none.
QString ItemOf(qint64 pid) {
    for (const QString& item : watcher->items) {
        const QString service = item.section(u'/', 0, 0);
        if (QDBusConnection(kBusName).interface()->servicePid(service).value() == quint64(pid)) {
            return item;
        }
    }
    return {};
}

// A UDP socket bound to the port of that address (0: any); -1 when it cannot be bound.
int BoundUdp(const char* address, int port) {
    const int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const sockaddr_in at{AF_INET, htons(port), {address ? inet_addr(address) : INADDR_ANY}, {}};
    if (s >= 0 && bind(s, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) {
        close(s);
        return -1;
    }
    return s;
}

// Starts a child that dies with this process, even when it is killed (a CTest time-out), so
// that no X server or copy outlives a run.
void StartChild(QProcess& child, const QString& program, const QStringList& args,
                QProcess::ProcessChannelMode channels) {
    child.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    child.setProcessChannelMode(channels);
    child.start(program, args);
}

// A first line printed on standard output within 10 s (Xvfb's display, the bus's address).
QString FirstLine(QProcess& process) {
    QDeadlineTimer deadline(10000);
    while (!process.canReadLine() && !deadline.hasExpired() &&
           process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(100);
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

class DesktopEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!noDesktopReason.isEmpty()) {
            GTEST_SKIP() << noDesktopReason.toStdString();
        }
        for (const char* tool :
             {"Xvfb", "openbox", "trayer", "xdotool", "wmctrl", "xwininfo", "xwd", "xwdtopnm",
              "xclip", "dbus-daemon", "ip", "sway", "wtype"}) {
            if (QStandardPaths::findExecutable(QLatin1StringView(tool)).isEmpty()) {
                GTEST_SKIP() << tool << " is missing: run scripts/deps.sh --test";
            }
        }
        if (!MakeNetwork()) {
            GTEST_SKIP() << "this machine cannot make network namespaces";
        }

        // No reset when the last client goes: the probes below come and go before openbox.
        QProcess& xvfb =
            Start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"1024x768x24"_s,
                              u"-nolisten"_s, u"tcp"_s, u"-noreset"_s});
        const QString display = FirstLine(xvfb);
        ASSERT_FALSE(display.isEmpty()) << "Xvfb did not start";
        qputenv("DISPLAY", (u':' + display).toUtf8());

        // Its start-up command runs once it manages windows; a window mapped before that (as soon
        // as wmctrl sees it) was now and then never managed.
        const QString ready = dir_.filePath(u"openbox-ready"_s);
        Start(u"openbox"_s, {u"--sm-disable"_s, u"--startup"_s, u"touch "_s + ready});
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(ready); }, 30000))
            << "openbox did not start";
        // Its panel appears once it owns the tray selection.
        Start(u"trayer"_s,
              {u"--edge"_s, u"bottom"_s, u"--align"_s, u"right"_s, u"--widthtype"_s, u"request"_s,
               u"--height"_s, u"24"_s, u"--transparent"_s, u"false"_s, u"--tint"_s, u"0xffffff"_s});
        ASSERT_TRUE(QTest::qWaitFor(
            [] { return Run(u"wmctrl"_s, {u"-lx"_s}).contains(u"panel.trayer"_s); }, 30000))
            << "trayer did not start";

        QProcess& bus =
            Start(u"dbus-daemon"_s,
                  {u"--session"_s, u"--nofork"_s, u"--nopidfile"_s,
                   u"--address=unix:path="_s + dir_.filePath(u"bus"_s), u"--print-address=1"_s});
        busAddress = FirstLine(bus);
        ASSERT_FALSE(busAddress.isEmpty()) << "dbus-daemon did not start";
        QDBusConnection connection = QDBusConnection::connectToBus(busAddress, kBusName);
        watcher = new StatusNotifierWatcher;
        notifications = new NotificationServer;
        accessibility = new AccessibilityBus;
        // The accessibility bus, and the registry on it that screen readers ask.
        if (const QString registry = u"/usr/libexec/at-spi2-registryd"_s; QFile::exists(registry)) {
            QProcess& a11y = Start(
                u"dbus-daemon"_s,
                {u"--config-file=/usr/share/defaults/at-spi2/accessibility.conf"_s, u"--nofork"_s,
                 u"--print-address=1"_s, u"--address=unix:path="_s + dir_.filePath(u"a11y"_s)});
            accessibility->address = FirstLine(a11y);
            qputenv("AT_SPI_BUS_ADDRESS", accessibility->address.toUtf8());
            Start(registry, {});
        }
        for (const auto& [object, path, service] :
             std::initializer_list<std::tuple<QObject*, QString, QString>>{
                 {watcher, u"/StatusNotifierWatcher"_s, kWatcher},
                 {notifications, u"/org/freedesktop/Notifications"_s,
                  u"org.freedesktop.Notifications"_s},
                 {accessibility, u"/org/a11y/bus"_s, u"org.a11y.Bus"_s}}) {
            ASSERT_TRUE(
                connection.registerObject(path, object, QDBusConnection::ExportAllContents) &&
                connection.registerService(service));
        }

        const QString hosts = dir_.filePath(u"hosts"_s), resolv = dir_.filePath(u"resolv.conf"_s);
        WriteBytes(hosts, ReadBytes(u"/etc/hosts"_s) + "\n127.0.0.1 " + kLongHost.toUtf8() +
                              "\n10.99.0.2 pc01\n");
        WriteBytes(resolv, "nameserver 10.99.0.1\n");
        ASSERT_GE(BoundUdp("10.99.0.1", 53), 0);  // takes questions, never answers
        for (const auto& [file, over] :
             {std::pair(hosts, "/etc/hosts"), std::pair(resolv, "/etc/resolv.conf")}) {
            ASSERT_EQ(mount(QFile::encodeName(file).constData(), over, nullptr, MS_BIND, nullptr),
                      0);
        }
    }

    void TearDown() override {
        delete watcher;
        delete accessibility;
        delete notifications;
    }

private:
    static QProcess& Start(const QString& program, const QStringList& args) {
        auto& p = *new QProcess(QCoreApplication::instance());  // ends with the program
        StartChild(p, program, args, QProcess::ForwardedErrorChannel);
        return p;
    }

    static bool MakeNetwork() {
        const QString id = QString::number(getpid());
        peerNamespace = u"parlane-desk-"_s + id;
        for (QString command : {u"link set lo up"_s, u"netns add NS"_s,
                                u"link add HERE type veth peer name THERE netns NS"_s,
                                u"addr add 10.99.0.1/24 brd + dev HERE"_s, u"link set HERE up"_s,
                                u"-n NS addr add 10.99.0.2/24 brd + dev THERE"_s,
                                u"-n NS link set THERE up"_s, u"-n NS link set lo up"_s}) {
            command.replace(u"NS"_s, peerNamespace)
                .replace(u"THERE"_s, u"plp"_s + id)
                .replace(u"HERE"_s, u"pld"_s + id);
            if (!RunIp(command)) {
                return false;
            }
        }
        return true;
    }

    QTemporaryDir dir_;
};

qulonglong Id(const QString& text) {
    return text.trimmed().toULongLong(nullptr, 0);
}

int Field(const QString& info, const QString& name) {
    const auto m = QRegularExpression(name + u":\\s*(-?\\d+)"_s).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

// The X display as a person sees and drives it, through the desktop's own tools (wmctrl,
// xwininfo, xdotool with XTest): every input is a real X event.
namespace x {

// A window the window manager manages (the EWMH client list).
struct Window {
    qulonglong id = 0;
    QString title;
    bool viewable = false;  // mapped, and shown on the screen
    QRect client;           // the inside of the frame, in screen coordinates
    explicit operator bool() const { return id != 0; }
};

QList<Window> Windows(qint64 pid) {
    static const QRegularExpression line(u"^(0x[0-9a-f]+)\\s+-?\\d+\\s+(\\d+)\\s+\\S+ ?(.*)$"_s);
    QList<Window> windows;
    for (const QString& text : Run(u"wmctrl"_s, {u"-lp"_s}).split(u'\n', Qt::SkipEmptyParts)) {
        const auto m = line.match(text);
        if (!m.hasMatch() || m.captured(2).toLongLong() != pid) {
            continue;
        }
        const QString info = Run(u"xwininfo"_s, {u"-id"_s, m.captured(1)});
        windows << Window{
            Id(m.captured(1)), m.captured(3), info.contains(u"Map State: IsViewable"_s),
            QRect(Field(info, u"Absolute upper-left X"_s), Field(info, u"Absolute upper-left Y"_s),
                  Field(info, u"Width"_s), Field(info, u"Height"_s))};
    }
    return windows;
}

// The window the window manager calls active (_NET_ACTIVE_WINDOW); 0 for none.
qulonglong ActiveWindow() {
    return Id(Run(u"xdotool"_s, {u"getactivewindow"_s}));
}

// Asks the window manager to activate the window, and waits until it is.
bool Activate(qulonglong id) {
    Run(u"xdotool"_s, {u"windowactivate"_s, QString::number(id)});
    return QTest::qWaitFor([&] { return ActiveWindow() == id; }, 5000);
}

// Keys in turn (xdotool names: "Return", "alt+f x", "ctrl+a ctrl+c"); text typed at the focus.
void Key(const QString& keys) {
    Run(u"xdotool"_s,
        QStringList{u"key"_s, u"--clearmodifiers"_s, u"--delay"_s, u"50"_s} + keys.split(u' '));
}

void Type(const QString& text) {
    Run(u"xdotool"_s, {u"type"_s, u"--clearmodifiers"_s, u"--delay"_s, u"30"_s, text});
}

// Moves the pointer to a point of the screen and clicks count times (button 3: the right one).
void Click(QPoint at, int count = 1, int button = 1) {
    // Clicks of separate calls must not join into a double-click: a person's next click comes
    // after the double-click interval (400 ms by default).
    static QElapsedTimer last;
    if (last.isValid() && last.elapsed() < 500) {
        QTest::qWait(int(500 - last.elapsed()));
    }
    // No --sync: it waits for ever when the pointer is there already. The server takes XTest
    // events in order, so the click lands where the pointer went.
    Run(u"xdotool"_s,
        {u"mousemove"_s, QString::number(at.x()), QString::number(at.y()), u"click"_s,
         u"--repeat"_s, QString::number(count), u"--delay"_s, u"100"_s, QString::number(button)});
    last.start();
}

// Closes the window as its close box does (WM_DELETE_WINDOW).
void Close(qulonglong id) {
    Run(u"wmctrl"_s, {u"-i"_s, u"-c"_s, QString::number(id)});
}

// The window's pixels as they are on the screen now; null when it cannot be read.
QImage Screenshot(qulonglong id) {
    QProcess dump;
    dump.start(u"sh"_s, {u"-c"_s, u"xwd -silent -id %1 | xwdtopnm"_s.arg(id)});
    dump.waitForFinished(10000);
    return QImage::fromData(dump.readAllStandardOutput(), "PPM");
}

}  // namespace x

namespace wire {

// Sends a message as a stranger on this machine would, with parlane-send; its exit code.
// To "." is to this machine, where the copy listens.
int Send(const QString& from, const QString& to, const QString& text) {
    int code = -1;
    Run(QStringLiteral(PARLANE_TOOLS_DIR) + u"/parlane-send"_s, {u"--from"_s, from, to, text},
        &code);
    return code;
}

// Whether UDP port 138 of this machine is free (nothing bound to it). Read from the kernel's
// table, so that asking never holds the port from a copy.
bool PortFree() {
    static const QRegularExpression local138(u"^\\s*\\d+: [0-9A-F]+:008A "_s,
                                             QRegularExpression::MultilineOption);
    return !local138.match(QString::fromLatin1(ReadBytes(u"/proc/net/udp"_s))).hasMatch();
}

// Captures the UDP datagrams that arrive at port 138 of the peer machine from its making on.
class Capture {
public:
    // The socket is made inside the peer's namespace by this thread, which then returns home; a
    // socket keeps the namespace it was made in.
    Capture() {
        const int home = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        const int peer = open(QFile::encodeName(u"/run/netns/"_s + peerNamespace).constData(),
                              O_RDONLY | O_CLOEXEC);
        if (home >= 0 && peer >= 0 && setns(peer, CLONE_NEWNET) == 0) {
            socket_ = BoundUdp(nullptr, 138);
            setns(home, CLONE_NEWNET);
        }
        close(home);
        close(peer);
    }

    ~Capture() { close(socket_); }

    // Whether a datagram holding the bytes arrives within ms.
    bool Heard(const QByteArray& bytes, int ms = 5000) {
        QByteArray datagram(65536, Qt::Uninitialized);
        pollfd waiting{socket_, POLLIN, 0};
        while (poll(&waiting, 1, ms) == 1) {
            const ssize_t n = recv(socket_, datagram.data(), datagram.size(), 0);
            if (datagram.left(qMax<ssize_t>(0, n)).contains(bytes)) {
                return true;
            }
        }
        return false;
    }

    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

private:
    int socket_ = -1;
};

}  // namespace wire

// A copy of the built program directory (parlane, Glimmertip.so, Skins/, Data/) in a directory
// of its own, with its own Settings.ini, run on the test desktop as a person runs it.
class ParlaneCopy {
public:
    // An installed program, started as its user starts it: nothing beside it is touched, and
    // its settings go to the user's configuration directory, here one of the copy's own.
    struct Installed {
        QString program;
    };
    // Writes Settings.ini with these bytes and starts the program. The splash is off unless the
    // bytes say otherwise. env sets "NAME=value" in the environment ("NAME=": empty, as unset).
    explicit ParlaneCopy(const QByteArray& settings = {}, TrayKind tray = TrayKind::XEmbed,
                         Look look = Look::Light, const QStringList& env = {})
        : tray_(tray), look_(look), env_(env) {
        CopyProgram();
        const QByteArray noSplash = "[Contact List - Interface]\r\nDisplay Splash=0\r\n";
        WriteBytes(settingsPath_,
                   settings.contains("Display Splash") ? settings : noSplash + settings);
        Launch(dir_.filePath(u"parlane"_s));
    }
    // A second copy on the settings file of a first, as a user may start two.
    struct SharingSettingsOf {
        const ParlaneCopy& first;
    };
    explicit ParlaneCopy(const SharingSettingsOf& sharing) : tray_(sharing.first.tray_) {
        CopyProgram();
        QFile::link(sharing.first.SettingsPath(), settingsPath_);
        Launch(dir_.filePath(u"parlane"_s));
    }
    explicit ParlaneCopy(const Installed& installed) : tray_(TrayKind::XEmbed) {
        settingsPath_ = dir_.filePath(u".home/parlane/Settings.ini"_s);
        Launch(installed.program);
    }
    ~ParlaneCopy() {
        Stop();
        std::fputs(Told().constData(), stderr);
    }

    qint64 Pid() const { return pid_; }
    QString SettingsPath() const { return settingsPath_; }
    QByteArray Settings() const { return ReadBytes(settingsPath_); }
    QByteArray Told() const { return ReadBytes(dir_.filePath(u"told"_s)); }  // on standard error
    // The copy's window with exactly this title; none when there is no such window.
    x::Window Find(const QString& title) const {
        const QList<x::Window> windows = x::Windows(pid_);
        const auto w = std::ranges::find(windows, title, &x::Window::title);
        return w == windows.end() ? x::Window{} : *w;
    }
    // Waits until such a window is listed and viewable; none after ms.
    x::Window WaitForWindow(const QString& title, int ms = 10000) const {
        x::Window found;
        const auto shown = [&] { return (found = Find(title)).viewable; };
        return QTest::qWaitFor(shown, ms) ? found : x::Window{};
    }
    // The same, then made active as a click on it would; none when it could not be.
    x::Window Activate(const QString& title) const {
        const x::Window w = WaitForWindow(title);
        return w && x::Activate(w.id) ? w : x::Window{};
    }
    // Waits until no such window is viewable (closed, withdrawn or minimised).
    bool WaitUntilHidden(const QString& title, int ms = 10000) const {
        return QTest::qWaitFor([&] { return !Find(title).viewable; }, ms);
    }
    // Closes the window as its close box does, again if it is back a moment later: a window
    // that hides and shows itself while it settles (a change of its flags) misses a close that
    // comes in between. True once it stays hidden.
    bool Close(const QString& title, int ms = 10000) const {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            if (const x::Window window = Find(title); window.viewable) {
                x::Close(window.id);
            }
            // Hidden, and still hidden a moment later: not just between a hide and a show.
            if (WaitUntilHidden(title, 1000) &&
                !QTest::qWaitFor([&] { return Find(title).viewable; }, 300)) {
                return true;
            }
        }
        return false;
    }
    // The icon is a window of the process inside the tray's panel.
    QRect TrayIcon() const {
        static const QRegularExpression panelLine(u"^(0x[0-9a-f]+)\\s.*panel\\.trayer"_s,
                                                  QRegularExpression::MultilineOption);
        static const QRegularExpression treeLine(
            u"(0x[0-9a-f]+) .* (\\d+)x(\\d+)[+-]-?\\d+[+-]-?\\d+\\s+\\+(-?\\d+)\\+(-?\\d+)"_s);
        const auto panel = panelLine.match(Run(u"wmctrl"_s, {u"-lx"_s}));
        if (!panel.hasMatch()) {
            return {};
        }
        const QStringList own = Run(u"xdotool"_s, {u"search"_s, u"--pid"_s, QString::number(pid_)})
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
    // Waits until the icon is in its tray: embedded in trayer, or registered with the watcher.
    bool WaitForTrayIcon(int ms = 10000) const {
        return QTest::qWaitFor(
            [&] {
                return tray_ == TrayKind::XEmbed ? !TrayIcon().isNull() : !ItemOf(pid_).isEmpty();
            },
            ms);
    }
    // Activates the icon as a person does on this tray: a double-click on the XEmbed icon, a
    // click (the host calls Activate) on a StatusNotifierItem.
    void ActivateTrayIcon() const {
        if (tray_ == TrayKind::XEmbed) {
            x::Click(TrayIcon().center(), 2);
            return;
        }
        const QString item = ItemOf(pid_);
        const qsizetype slash = item.indexOf(u'/');
        // Not waited for: the copy may ask the watcher, here, before it answers.
        QDBusConnection(kBusName).send(
            QDBusMessage::createMethodCall(item.left(slash), item.mid(slash),
                                           u"org.kde.StatusNotifierItem"_s, u"Activate"_s)
            << 0 << 0);
    }
    bool Running() const { return process_.state() != QProcess::NotRunning; }
    // The exit code once the program ended by itself within ms; nothing while it runs or crashed.
    std::optional<int> WaitForExit(int ms = 10000) {
        if ((Running() && !process_.waitForFinished(ms)) ||
            process_.exitStatus() != QProcess::NormalExit) {
            return std::nullopt;
        }
        return process_.exitCode();
    }
    std::optional<int> Stop(int signal = SIGTERM, int ms = 10000) {
        if (Running()) {
            ::kill(pid_, signal);
        }
        return WaitForExit(ms);  // what has not ended by then, QProcess's destructor kills
    }

private:
    void CopyProgram() {
        for (const QString& file : {u"parlane"_s, u"Glimmertip.so"_s}) {
            QFile::copy(kBuilt + u'/' + file, dir_.filePath(file));
        }
        for (const QString& folder : {u"Skins"_s, u"Data"_s}) {
            QFile::link(kBuilt + u'/' + folder, dir_.filePath(folder));
        }
    }
    void Launch(const QString& program) {
        // A home of its own: the component registry, the settings of an installed copy and Qt's
        // runtime files stay out of the user's.
        const QString home = dir_.filePath(u".home"_s);
        QDir().mkdir(home);
        QFile::setPermissions(home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        env.insert(u"XDG_CONFIG_HOME"_s, home);
        env.insert(u"XDG_RUNTIME_DIR"_s, home);
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s,
                   tray_ == TrayKind::StatusNotifier ? busAddress : u"unix:path=/nonexistent"_s);
        // As with a screen reader running; the copy finds the bus as a desktop's programs do.
        env.insert(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
        env.remove(u"AT_SPI_BUS_ADDRESS"_s);
        if (look_ == Look::Dark) {
            QDir().mkdir(home + u"/qt6ct"_s);
            WriteBytes(home + u"/qt6ct/qt6ct.conf"_s,
                       "[Appearance]\ncustom_palette=true\nstyle=Fusion\n"
                       "color_scheme_path=/usr/share/qt6ct/colors/darker.conf\n");
            env.insert(u"QT_QPA_PLATFORMTHEME"_s, u"qt6ct"_s);
        }
        env.insert(u"QT_SCALE_FACTOR"_s, look_ == Look::Large ? u"1.5"_s : u"1"_s);
        for (const QString& change : env_) {
            env.insert(change.section(u'=', 0, 0), change.section(u'=', 1));
        }
        process_.setProcessEnvironment(env);
        process_.setStandardErrorFile(dir_.filePath(u"told"_s));
        StartChild(process_, program, {}, QProcess::ForwardedOutputChannel);
        process_.waitForStarted(10000);
        pid_ = process_.processId();
    }

    QTemporaryDir dir_;
    QString settingsPath_ = dir_.filePath(QStringLiteral("Settings.ini"));
    QProcess process_;
    TrayKind tray_;
    Look look_ = Look::Light;
    QStringList env_;
    qint64 pid_ = 0;
};

#define SKIP_WITHOUT_ACCESSIBILITY()      \
    if (accessibility->address.isEmpty()) \
    GTEST_SKIP() << "at-spi2-core is missing: run scripts/deps.sh --test"

// What a screen reader finds of a copy (tests/desktop/accessible_tree.py): its objects, each in
// its window and at its place on the screen, the runs of a text among them.
struct Accessible {
    QString window, role, name;
    QStringList states;
    QRect at;
    bool Is(const QString& state) const { return states.contains(state); }
    QString Says() const { return role + u' ' + name; }
};

QList<Accessible> ReadAccessibleTree(qint64 pid) {
    const QString tool = QStringLiteral(PARLANE_TESTS_DIR) + u"/accessible_tree.py"_s;
    QList<Accessible> objects;
    for (const QString& line : Run(tool, {QString::number(pid)}, nullptr, 30000).split(u'\n')) {
        if (const QStringList f = line.split(u'\t'); f.size() == 8) {
            objects << Accessible{f[0], f[1], f[2], f[3].split(u','),
                                  QRect(f[4].toInt(), f[5].toInt(), f[6].toInt(), f[7].toInt())};
        }
    }
    return objects;
}

// The innermost named object with the focus.
Accessible Focus(qint64 pid) {
    Accessible focus;
    for (const Accessible& a : ReadAccessibleTree(pid)) {
        if (a.Is(u"focused"_s) && !a.name.isEmpty()) {
            focus = a;
        }
    }
    return focus;
}

// Whether the focus comes to the object ("role name") within 5 s.
bool FocusComesTo(qint64 pid, const QString& object) {
    return QTest::qWaitFor([&] { return Focus(pid).Says() == object; }, 5000);
}

// Conversations as a person meets them: messages that fill the box, a resolver that never
// answers, and windows that open while the user types elsewhere.

// A name only DNS could answer, whose server never does.
const QString kSlowHost = u"nowhere.lan"_s;
const QString kAddContact = u"Add Contact"_s;
const QString kCatchAll = u"CatchAll Account"_s;

// A message from a contact with a long address: the box takes no more than the answer can
// carry, and the answer reaches the contact by its full host name (here, this same copy).
TEST(Conversations, AFullBoxToAFullHostNameGoesOut) {
    ParlaneCopy parlane("[Users]\r\nTotal=1\r\nUser[1]=NAME=Far|ADDRESS=" + kLongHost.toUtf8() +
                        "|TYPE=0\r\n");
    ASSERT_TRUE(parlane.WaitForWindow(u"Parlane"_s));
    ASSERT_EQ(wire::Send(kLongHost, u"."_s, u"write me a long one"_s), 0);
    ASSERT_TRUE(parlane.Activate(u"Message: Far"_s));
    x::Type(QString(40, u'x'));
    x::Key(u"ctrl+a ctrl+c End"_s + u" ctrl+v"_s.repeated(10) + u" Return"_s);
    EXPECT_TRUE(parlane.WaitForWindow(kCatchAll));
}

TEST(Conversations, ASlowResolverFreezesNothingAndAFailedSendKeepsTheText) {
    ParlaneCopy parlane("[Users]\r\nTotal=1\r\nUser[1]=NAME=Slow|ADDRESS=" + kSlowHost.toUtf8() +
                        "|TYPE=0\r\n");
    const x::Window main = parlane.WaitForWindow(u"Parlane"_s);
    ASSERT_EQ(wire::Send(kSlowHost, u"."_s, u"ping"_s), 0);
    const x::Window chat = parlane.Activate(u"Message: Slow"_s);
    ASSERT_TRUE(chat);
    x::Type(u"pong"_s);
    x::Key(u"Return"_s);
    x::Type(u"x"_s);  // while it sends, the box takes no keys

    // While the resolver keeps the send waiting, the other windows answer at once.
    ASSERT_TRUE(x::Activate(main.id));
    x::Key(u"alt+c a"_s);
    const x::Window dialog = parlane.WaitForWindow(kAddContact, 2000);
    ASSERT_TRUE(dialog);
    x::Close(dialog.id);

    // Once the send has failed, the box takes keys again and still holds the text.
    ASSERT_TRUE(x::Activate(chat.id));
    QString text;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            // Copied as a person copies it, into a clipboard emptied first, so that a copy the
            // program has not made yet reads as nothing rather than as what was there before.
            ::Run(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-i"_s, u"/dev/null"_s});
            x::Key(u"ctrl+a ctrl+c End"_s);
            [[maybe_unused]] const bool copied = QTest::qWaitFor(
                [&] {
                    text = ::Run(u"xclip"_s, {u"-o"_s, u"-selection"_s, u"clipboard"_s});
                    return !text.isEmpty();
                },
                3000);
            if (text == u"pong"_s) {
                x::Type(u"!"_s);
            }
            return text == u"pong!"_s;
        },
        20000))
        << text.toStdString();
}

// The user types into one window while messages open others: every key lands where it was aimed,
// and the desktop tells of each message, one notification a conversation. A double-click, or a
// click on the notification, brings a window active, so the user can act at once.
TEST(Conversations, WindowsOpenedByMessagesLeaveTheKeysWhereTheUserTypes) {
    SKIP_WITHOUT_ACCESSIBILITY();  // the selected node is found as a screen reader finds it
    notifications->shown.clear();
    ParlaneCopy parlane(
        "[Contact List]\r\nUnknown Expanded=1\r\nUsers Expanded=1\r\n"
        "[Users]\r\nTotal=1\r\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\r\n",
        TrayKind::StatusNotifier);
    const x::Window main = parlane.Activate(u"Parlane"_s);
    ASSERT_TRUE(main);
    x::Key(u"alt+c a"_s);
    const x::Window dialog = parlane.Activate(kAddContact);
    ASSERT_TRUE(dialog);
    x::Type(u"A"_s);
    // A first message, a stranger's, and one that brings back the chat window the user closed.
    struct Arrival {
        QString from, window, typedNext;
        bool closedFirst;
    };
    for (const Arrival& a : {Arrival{u"pc01"_s, u"Message: Anna"_s, u"n"_s, false},
                             Arrival{u"stranger"_s, kCatchAll, u"n"_s, false},
                             Arrival{u"pc01"_s, u"Message: Anna"_s, u"a"_s, true}}) {
        if (a.closedFirst) {
            ASSERT_TRUE(parlane.Close(a.window) && x::Activate(dialog.id));
        }
        ASSERT_EQ(wire::Send(a.from, u"."_s, u"hello <b>|second line"_s), 0);
        ASSERT_TRUE(parlane.WaitForWindow(a.window)) << a.window.toStdString();
        EXPECT_FALSE(QTest::qWaitFor([&] { return x::ActiveWindow() != dialog.id; }, 500))
            << a.window.toStdString();
        x::Type(a.typedNext);
    }
    x::Key(u"Tab"_s);
    x::Type(u"pc02"_s);
    x::Key(u"Tab space"_s);
    ASSERT_TRUE(parlane.WaitUntilHidden(kAddContact));
    EXPECT_TRUE(parlane.Settings().contains("NAME=Anna|ADDRESS=pc02")) << parlane.Settings().data();
    // Catch All, covered by the main window, comes to the front at a double-click; Anna's chat
    // at a click on its notification, the keys in its input: what is typed goes out.
    ASSERT_TRUE(QTest::qWaitFor([&] { return notifications->shown.size() == 3; }));
    EXPECT_EQ(notifications->shown, QStringList({u"1 0 Anna: hello &lt;b&gt; +icon"_s,
                                                 u"2 0 stranger: hello &lt;b&gt; +icon"_s,
                                                 u"1 1 Anna: hello &lt;b&gt; +icon"_s}));
    ASSERT_TRUE(x::Activate(main.id));
    x::Key(u"Home Down"_s);
    Accessible node;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (node = Focus(parlane.Pid())).Is(u"selected"_s); }));
    x::Click(node.at.center(), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return x::ActiveWindow() == parlane.Find(kCatchAll).id; }));
    wire::Capture wire;
    notifications->Activate(1);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return x::ActiveWindow() == parlane.Find(u"Message: Anna"_s).id; }));
    x::Type(u"typed at once"_s);
    x::Key(u"Return"_s);
    EXPECT_TRUE(wire.Heard("typed at once"));
}

// The program as a person starts and ends it: windows open where they were as long as that is
// on a screen, and closing completes whatever fails on the way.
const QRect kScreen(0, 0, 1024, 768);  // the test desktop's

// File > Exit and the session's end (each signal) close alike: the port is freed and the place,
// brought onto the screen, is saved. An ending session waits for no one, even if nothing saves.
TEST(StartAndExit, ARememberedPlaceOffTheScreenIsBroughtOntoItAndEveryEndingSavesIt) {
    const struct {
        const char* what;
        QByteArray metrics;  // twips
        int signal;          // 0: File > Exit
        bool saves = true;
    } cases[] = {
        {"no place yet, File > Exit", {}, 0},
        {"left of the screen, SIGTERM", "wMain Window Left=-30000\r\nwMain Window Top=1500\r\n",
         SIGTERM},
        {"beyond the bottom right, SIGINT", "wMain Window Left=30000\r\nwMain Window Top=30000\r\n",
         SIGINT},
        {"larger than the screen, SIGHUP",
         "wMain Window Left=-150\r\nwMain Window Top=0\r\nwMain Window Width=30000\r\n"
         "wMain Window Height=30000\r\n",
         SIGHUP},
        {"a settings file that cannot be replaced, SIGTERM", {}, SIGTERM, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ParlaneCopy parlane("[Window Metrics]\r\n" + c.metrics);
        const x::Window main = parlane.Activate(u"Parlane"_s);
        ASSERT_TRUE(main);
        EXPECT_TRUE(kScreen.contains(main.client) && !wire::PortFree());

        if (!c.saves) {
            ASSERT_TRUE(QFile::remove(parlane.SettingsPath()) &&
                        QDir().mkpath(parlane.SettingsPath() + u"/locked"_s));
        }
        if (c.signal) {
            EXPECT_EQ(parlane.Stop(c.signal, 5000), 0);
        } else {
            x::Key(u"alt+f x"_s);
            EXPECT_EQ(parlane.WaitForExit(), 0);
        }
        // The place Settings.ini keeps, in twips (15 a pixel).
        const auto saved =
            QRegularExpression(u"wMain Window Left=(-?\\d+)\r\nwMain Window Top=(-?\\d+)"_s)
                .match(QString::fromLatin1(parlane.Settings()));
        EXPECT_TRUE(!c.saves ||
                    (saved.hasMatch() && kScreen.contains(QPoint(saved.captured(1).toInt() / 15,
                                                                 saved.captured(2).toInt() / 15))))
            << parlane.Settings().toStdString();
        EXPECT_TRUE(wire::PortFree());
    }
}

// Two copies on one settings file each add a contact, one removes the other's: nothing is lost.
TEST(StartAndExit, TwoCopiesOnOneSettingsFileKeepEachOthersContacts) {
    SKIP_WITHOUT_ACCESSIBILITY();  // the lists are read as a screen reader reads them
    ParlaneCopy first("[Contact List]\r\nUsers Expanded=1\r\n", TrayKind::StatusNotifier);
    ASSERT_TRUE(first.WaitForWindow(u"Parlane"_s));
    ParlaneCopy second(ParlaneCopy::SharingSettingsOf{first});
    const auto listed = [](const ParlaneCopy& copy) {
        QStringList names;
        for (const Accessible& a : ReadAccessibleTree(copy.Pid())) {
            if (a.role == u"table cell"_s && (a.name == u"Anna"_s || a.name == u"Bert"_s)) {
                names << a.name;
            }
        }
        return names;
    };
    const auto bothList = [&](const QStringList& names) {
        return QTest::qWaitFor([&] { return listed(first) == names && listed(second) == names; });
    };
    for (const auto& [copy, typed] :
         {std::pair(&first, u"Anna\tpc01"_s), std::pair(&second, u"Bert\tpc02"_s)}) {
        ASSERT_TRUE(copy->Activate(u"Parlane"_s));
        x::Key(u"alt+c a"_s);
        ASSERT_TRUE(copy->Activate(kAddContact));
        x::Type(typed);
        x::Key(u"Return"_s);
        ASSERT_TRUE(copy->WaitUntilHidden(kAddContact));
    }
    ASSERT_TRUE(bothList({u"Anna"_s, u"Bert"_s}) && second.Activate(u"Parlane"_s));
    x::Type(u"Anna"_s);
    ASSERT_TRUE(FocusComesTo(second.Pid(), u"table cell Anna"_s));
    x::Key(u"Menu r"_s);
    ASSERT_TRUE(FocusComesTo(second.Pid(), u"push button Yes"_s));
    x::Key(u"Return"_s);
    EXPECT_TRUE(bothList({u"Bert"_s}) && !first.Settings().contains("Anna"));
    EXPECT_TRUE(first.Settings().contains("NAME=Bert|ADDRESS=pc02"));
}

// Living in the tray: the icon brings the window back and hides it on every kind of tray, and
// keeps the program, whatever windows close; without its tray the window is never lost.
TEST(Tray, TheIconTogglesTheWindowAndClosingAnyWindowOverItKeepsTheProgramListening) {
    const struct {
        const char* what;
        TrayKind tray;
        QString from;    // whose message opens the window; none: About, from the menu
        QString window;  // what then closes over the hidden main window
    } cases[] = {
        {"a stranger's message", TrayKind::XEmbed, u"stranger"_s, kCatchAll},
        {"a contact's message", TrayKind::StatusNotifier, u"beta"_s, u"Message: Beta"_s},
        {"the About dialog", TrayKind::XEmbed, {}, u"Parlane Extended"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ParlaneCopy parlane(
            "[Contact List - Interface]\r\nDisplay Splash=0\r\nMinimise On Startup=1\r\n"
            "[Users]\r\nTotal=1\r\nUser[1]=NAME=Beta|ADDRESS=beta|TYPE=0\r\n",
            c.tray);
        ASSERT_TRUE(parlane.WaitForTrayIcon());
        parlane.ActivateTrayIcon();
        ASSERT_TRUE(parlane.Activate(u"Parlane"_s));
        if (c.from.isEmpty()) {
            x::Key(u"alt+h a"_s);
            ASSERT_TRUE(parlane.WaitForWindow(c.window));
        }
        parlane.ActivateTrayIcon();
        ASSERT_TRUE(parlane.WaitUntilHidden(u"Parlane"_s));
        if (!c.from.isEmpty()) {
            ASSERT_EQ(wire::Send(c.from, u"."_s, u"hello"_s), 0);
        }
        ASSERT_TRUE(parlane.WaitForWindow(c.window) && parlane.Close(c.window));

        EXPECT_EQ(wire::Send(u"stranger"_s, u"."_s, u"still there?"_s), 0);
        EXPECT_TRUE(parlane.WaitForWindow(kCatchAll) && parlane.Running());
        if (c.tray == TrayKind::StatusNotifier) {  // its host ends: the window goes to the task bar
            QDBusConnection bus(kBusName);
            const auto back = qScopeGuard([&] { bus.registerService(kWatcher); });
            ASSERT_TRUE(bus.unregisterService(kWatcher));
            EXPECT_TRUE(QTest::qWaitFor([&] { return bool(parlane.Find(u"Parlane"_s)); }, 5000));
        }
    }
}

// A Wayland session, headless: sway without an X server, run as nobody (it refuses root) and
// killed with this program, with a virtual keyboard of wtype's held on its seat throughout: a
// keyboard that came and went with each key would leave the focused window without one.
class Sway {
public:
    Sway() {
        chown(QFile::encodeName(dir_.path()).constData(), 65534, 65534);
        WriteBytes(dir_.filePath(u"config"_s),
                   "xwayland disable\noutput HEADLESS-1 resolution 1024x768\n");
        StartChild(
            sway_, u"env"_s,
            {u"WLR_BACKENDS=headless"_s, u"WLR_RENDERER=pixman"_s, u"WLR_LIBINPUT_NO_DEVICES=1"_s,
             u"XDG_RUNTIME_DIR="_s + dir_.path(), u"HOME="_s + dir_.path(), u"setpriv"_s,
             u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s, u"--pdeathsig=KILL"_s,
             u"sway"_s, u"-c"_s, dir_.filePath(u"config"_s)},
            QProcess::SeparateChannels);
        const auto socket = [&](const QString& pattern) {
            const QStringList found = QDir(dir_.path()).entryList({pattern}, QDir::System);
            return found.isEmpty() ? QString() : dir_.filePath(found.first());
        };
        (void)QTest::qWaitFor([&] { return !socket(u"sway-ipc.*"_s).isEmpty(); }, 10000);
        display = socket(u"wayland-?"_s);
        qputenv("WAYLAND_DISPLAY", QFile::encodeName(display));
        qputenv("SWAYSOCK", QFile::encodeName(socket(u"sway-ipc.*"_s)));
        StartChild(keyboard_, u"wtype"_s, {u"-s"_s, u"600000"_s}, QProcess::SeparateChannels);
    }
    ~Sway() {  // the keyboard, then sway, go with their QProcess
        qunsetenv("WAYLAND_DISPLAY");
        qunsetenv("SWAYSOCK");
    }
    // The titles of the process's windows, the one with the keyboard first.
    static QStringList Windows(qint64 pid) {
        QStringList titles;
        QJsonArray nodes{
            QJsonDocument::fromJson(Run(u"swaymsg"_s, {u"-t"_s, u"get_tree"_s}).toUtf8()).object()};
        for (qsizetype i = 0; i < nodes.size(); ++i) {
            const QJsonObject node = nodes[i].toObject();
            if (node[u"pid"_s].toInteger() == pid) {
                titles.insert(node[u"focused"_s].toBool() ? 0 : titles.size(),
                              node[u"name"_s].toString());
            }
            for (const QString& children : {u"nodes"_s, u"floating_nodes"_s}) {
                std::ranges::copy(node[children].toArray(), std::back_inserter(nodes));
            }
        }
        return titles;
    }
    static bool WaitForFocus(qint64 pid, const QString& title) {
        return QTest::qWaitFor([&] { return Windows(pid).value(0) == title; }, 10000);
    }
    // wtype's arguments: text, "-k Tab", "-M alt c -m alt"; at a person's pace, since a key
    // that comes while the focus moves on (Tab) may be lost to Qt's input method.
    static void Keys(QString keys) { Run(u"wtype"_s, keys.prepend(u"-d 80 "_s).split(u' ')); }

    QString display;  // the socket's path, WAYLAND_DISPLAY for a client

private:
    QTemporaryDir dir_;
    QProcess sway_, keyboard_;
};

// Parlane natively on Wayland, as where there is no X server: a message arriving while the user
// types into Add Contact takes no key (its window waits; a notification stands for it), the place
// remembered is kept from one the compositor keeps to itself, and the notification brings it.
TEST(Wayland, KeysStayInAddContactThePlaceSurvivesAndTheNotificationBringsTheWindow) {
    Sway sway;
    ASSERT_FALSE(sway.display.isEmpty()) << "sway did not start";
    notifications->shown.clear();
    const QByteArray place =
        "[Window Metrics]\r\nwMain Window Left=3000\r\nwMain Window Top=1500\r\n";
    ParlaneCopy parlane(
        place + "[Users]\r\nTotal=1\r\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\r\n",
        TrayKind::StatusNotifier, Look::Light,
        {u"DISPLAY="_s, u"QT_QPA_PLATFORM="_s, u"WAYLAND_DISPLAY="_s + sway.display});
    ASSERT_TRUE(Sway::WaitForFocus(parlane.Pid(), u"Parlane"_s));
    Sway::Keys(u"-M alt c -m alt a"_s);
    ASSERT_TRUE(Sway::WaitForFocus(parlane.Pid(), kAddContact));
    Sway::Keys(u"XYZ"_s);
    wire::Capture wire;
    ASSERT_EQ(wire::Send(u"pc01"_s, u"."_s, u"hello"_s), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return notifications->shown.size() == 1; }));
    Sway::Keys(u"-k Tab pc02 -k Tab -k Return"_s);
    EXPECT_TRUE(QTest::qWaitFor([&] { return parlane.Settings().contains("=XYZ|ADDRESS=pc02"); }));
    EXPECT_FALSE(wire.Heard("XYZ", 1000));
    EXPECT_EQ(Sway::Windows(parlane.Pid()), QStringList{u"Parlane"_s});
    notifications->Activate(1);
    EXPECT_TRUE(Sway::WaitForFocus(parlane.Pid(), u"Message: Anna"_s) && parlane.Stop() == 0);
    EXPECT_TRUE(parlane.Settings().contains(place)) << parlane.Settings().data();
}

// A Wayland session with an X server runs on X (XWayland's part); a platform that cannot start
// here (Wayland asked for, no compositor) gives way to the X server, and the user is told.
TEST(Wayland, ASessionWithAnXServerRunsOnItAndAPlatformThatCannotStartGivesWay) {
    Sway sway;
    for (const QStringList& env :
         {QStringList{u"QT_QPA_PLATFORM="_s, u"XDG_SESSION_TYPE=wayland"_s,
                      u"WAYLAND_DISPLAY="_s + sway.display},
          QStringList{u"QT_QPA_PLATFORM=wayland"_s, u"WAYLAND_DISPLAY=/nonexistent"_s},
          QStringList{}}) {  // X asked for, and there
        ParlaneCopy parlane({}, TrayKind::XEmbed, Look::Light, env);
        EXPECT_TRUE(parlane.WaitForWindow(u"Parlane"_s)) << env.join(u' ').toStdString();
        EXPECT_EQ(parlane.Told().contains("could not start here"),
                  env.contains(u"QT_QPA_PLATFORM=wayland"_s));
    }
}

// Parlane as people meet it who are not its designer's default: on a dark theme or a large
// scale, with a screen reader, with the keys alone.

// The contrast of the text in a place (not empty) of the screen, as the guidelines for the web
// measure it: the commonest colour there is the background, the farthest from it the text's.
double TextContrast(const QImage& screen, const QRect& at) {
    const QImage part = screen.copy(at);
    QHash<QRgb, int> counts;
    for (int i = 0; i < part.width() * part.height(); ++i) {
        ++counts[part.pixel(i % part.width(), i / part.width())];
    }
    const QColor back = std::ranges::max(counts.keys(), {}, [&](QRgb c) { return counts[c]; });
    double most = 0;
    for (QRgb c : counts.keys()) {
        most = std::max(most, Readable::Contrast(QColor(c), back));
    }
    return most;
}

const QStringList kTextRoles = {u"label"_s,        u"link"_s,      u"push button"_s, u"check box"_s,
                                u"radio button"_s, u"menu item"_s, u"table cell"_s,  u"text run"_s};

// Every window, on a light and a dark theme and at a large scale: each text reads on what is
// behind it, each part the keys reach tells a screen reader what it is, and each window is a
// frame or a dialog. PARLANE_WRITE_PICTURES=dir writes the windows' pictures there.
TEST(Everyone, EveryTextReadsOnEveryThemeAndEveryControlTellsAScreenReaderWhatItIs) {
    SKIP_WITHOUT_ACCESSIBILITY();
    for (const auto& [look, name] : {std::pair(Look::Light, "light"), std::pair(Look::Dark, "dark"),
                                     std::pair(Look::Large, "scale-1.5")}) {
        ParlaneCopy parlane(
            "[Contact List]\r\nUsers Expanded=1\r\nUnknown Expanded=1\r\n[Users]"
            "\r\nTotal=1\r\nUser[1]=NAME=Alice|ADDRESS=pc01|TYPE=0\r\n",
            TrayKind::StatusNotifier, look);
        // One window at a time, opened and closed with the keys (Escape from the part that has
        // the focus first); an empty send in the chat shows the error and its link.
        const std::array<QString, 5> windows[] = {
            {u"Parlane"_s, {}, {}, {}, {}},
            {kAddContact, u"alt+c a"_s, {}, {}, u"Escape"_s},
            {u"Settings"_s, u"alt+t s"_s, {}, {}, u"Escape"_s},
            {u"Parlane Extended"_s, u"alt+h a"_s, {}, {}, u"Tab Escape"_s},
            {u"Message: Alice"_s, {}, u"pc01"_s, u"Tab space"_s, u"alt+F4"_s},
            {kCatchAll, {}, u"stranger"_s, {}, u"Escape"_s}};
        for (const auto& [title, keys, from, then, close] : windows) {
            SCOPED_TRACE(name + QString(u' ' + title).toStdString());
            ASSERT_TRUE(parlane.Activate(u"Parlane"_s));
            x::Key(keys);
            ASSERT_TRUE(from.isEmpty() || wire::Send(from, u"."_s, u"Lunch at twelve?"_s) == 0);
            ASSERT_TRUE(parlane.Activate(title));
            x::Key(then);
            // Drawn: no longer the black of an unpainted window.
            const x::Window window = parlane.Find(title);
            QImage screen;
            EXPECT_TRUE(QTest::qWaitFor(
                [&] {
                    screen = x::Screenshot(window.id);
                    return !screen.isNull() && screen.pixel(screen.width() / 2, 4) != qRgb(0, 0, 0);
                },
                5000));
            if (const QString pictures = qEnvironmentVariable("PARLANE_WRITE_PICTURES");
                !pictures.isEmpty()) {
                screen.save(pictures + u'/' + title.toLower().replace(u' ', u'-').remove(u':') +
                            u'-' + QLatin1StringView(name) + u".png"_s);
            }
            // Places from the window's corner in its own pixels: at a scale, not the screen's.
            const QList<Accessible> objects = ReadAccessibleTree(parlane.Pid());
            const auto frame = std::ranges::find_if(objects, [t = title](const Accessible& a) {
                return a.name == t && (a.role == u"frame"_s || a.role == u"dialog"_s);
            });
            ASSERT_NE(frame, objects.end()) << "no frame or dialog";
            for (const Accessible& a : objects) {
                if (a.window != title || !a.Is(u"showing"_s)) {
                    continue;
                }
                if (a.Is(u"focusable"_s)) {
                    EXPECT_FALSE(a.name.trimmed().isEmpty() || a.role == u"filler"_s)
                        << a.Says().toStdString();
                }
                const double scale = double(window.client.width()) / frame->at.width();
                const QRect at((a.at.topLeft() - frame->at.topLeft()) * scale, a.at.size() * scale);
                if (kTextRoles.contains(a.role) && !a.name.trimmed().isEmpty() &&
                    a.Is(u"enabled"_s) && !at.isEmpty()) {
                    EXPECT_GE(TextContrast(screen, at), 4.5) << a.Says().toStdString();
                }
                // A box keeps its right and bottom border.
                for (const QPoint& in : {QPoint(3, 0), QPoint(0, 3)}) {
                    const QPoint edge(in.x() ? at.right() : at.center().x(),
                                      in.y() ? at.bottom() : at.center().y());
                    EXPECT_TRUE(a.role != u"text"_s ||
                                screen.pixel(edge) != screen.pixel(edge - in))
                        << a.Says().toStdString();
                }
            }
            x::Key(close);
            ASSERT_TRUE(close.isEmpty() || parlane.WaitUntilHidden(title));
        }
    }
}

// A day's work without the pointer: add a contact, open its chat and send, open Settings and
// save, read About, hide to the tray and come back through the tray's keyboard path, exit.
TEST(Everyone, ADaysWorkWithTheKeysAlone) {
    SKIP_WITHOUT_ACCESSIBILITY();
    ParlaneCopy parlane("[Contact List]\r\nUsers Expanded=1\r\nUnknown Expanded=1\r\n",
                        TrayKind::StatusNotifier);
    ASSERT_TRUE(parlane.Activate(u"Parlane"_s));
    x::Key(u"alt+c a"_s);
    ASSERT_TRUE(parlane.WaitForWindow(kAddContact));
    x::Type(u"Alice\tpc01"_s);
    x::Key(u"Return"_s);
    ASSERT_TRUE(parlane.WaitUntilHidden(kAddContact));

    const x::Window main = parlane.Activate(u"Parlane"_s);
    x::Type(u"Alice"_s);
    ASSERT_TRUE(FocusComesTo(parlane.Pid(), u"table cell Alice"_s));

    // Return opens the chat, keys in its box; what is typed goes out; Tab leaves the box for Send.
    wire::Capture wire;
    x::Key(u"Return"_s);
    ASSERT_TRUE(FocusComesTo(parlane.Pid(), u"text Message to send"_s));
    x::Type(u"hello"_s);
    x::Key(u"Return"_s);
    EXPECT_TRUE(wire.Heard("hello"));
    // A reply added to the open chat is told to a screen reader.
    QProcess reader;
    reader.start(QStringLiteral(PARLANE_TESTS_DIR) + u"/accessible_tree.py"_s,
                 {QString::number(parlane.Pid()), u"--notifications"_s});
    ASSERT_TRUE(reader.waitForReadyRead(10000));
    ASSERT_EQ(wire::Send(u"pc01"_s, u"."_s, u"hi back"_s), 0);
    QByteArray heard;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return (heard += reader.readAll()).contains("notification\tAlice: hi back");
    })) << heard.data();
    x::Key(u"Tab"_s);
    EXPECT_TRUE(FocusComesTo(parlane.Pid(), u"push button Send"_s));
    x::Key(u"Return Tab"_s);  // nothing to send: the error and its link
    EXPECT_TRUE(FocusComesTo(parlane.Pid(), u"link Explain"_s));
    x::Key(u"alt+F4"_s);
    ASSERT_TRUE(parlane.WaitUntilHidden(u"Message: Alice"_s));

    // Settings opens on the section it shows; Return saves.
    ASSERT_TRUE(x::Activate(main.id));
    x::Key(u"alt+t s"_s);
    ASSERT_TRUE(FocusComesTo(parlane.Pid(), u"table cell Contact List"_s));
    x::Key(u"Down space Tab space Return"_s);
    ASSERT_TRUE(parlane.WaitUntilHidden(u"Settings"_s));
    EXPECT_TRUE(parlane.Settings().contains("Minimise On Startup=1"));

    // About opens on its web link; Return on Close closes it. Escape hides into the tray; the
    // tray's activation, which its keys reach, brings it back.
    ASSERT_TRUE(x::Activate(main.id));
    x::Key(u"alt+h a"_s);
    EXPECT_TRUE(FocusComesTo(parlane.Pid(), u"link www.ostrell.example"_s));
    x::Key(u"Tab Return Escape"_s);
    ASSERT_TRUE(parlane.WaitUntilHidden(u"Parlane Extended"_s) &&
                parlane.WaitUntilHidden(u"Parlane"_s));
    parlane.ActivateTrayIcon();
    ASSERT_TRUE(parlane.Activate(u"Parlane"_s));
    x::Key(u"alt+f x"_s);
    EXPECT_EQ(parlane.WaitForExit(), 0);
}

// Openbox composites nothing: the help popup, asked for by a right click on Save, is opaque.
TEST(Everyone, AHelpPopupIsDrawnOpaqueWhereNothingComposites) {
    SKIP_WITHOUT_ACCESSIBILITY();  // Save is found as a screen reader finds it
    ParlaneCopy parlane("[Contact List]\r\nUsers Expanded=1\r\n", TrayKind::StatusNotifier);
    const x::Window main = parlane.Activate(u"Parlane"_s);
    x::Key(u"alt+t s"_s);
    const x::Window settings = parlane.Activate(u"Settings"_s);
    ASSERT_TRUE(settings);
    const QList<Accessible> objects = ReadAccessibleTree(parlane.Pid());
    const auto save = std::ranges::find(objects, u"push button Save"_s, &Accessible::Says);
    ASSERT_NE(save, objects.end());
    x::Click(save->at.center(), 1, 3);
    x::Window popup;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (const x::Window& w : x::Windows(parlane.Pid())) {
            popup = w.viewable && w.id != main.id && w.id != settings.id ? w : popup;
        }
        return bool(popup);
    }));
    EXPECT_FALSE(
        ::Run(u"xprop"_s, {u"-id"_s, QString::number(popup.id), u"_NET_WM_WINDOW_OPACITY"_s})
            .contains(u'='));
    // What the screen shows there: the popup's own colours, never black.
    const QImage shown = x::Screenshot(popup.id);
    ASSERT_TRUE(!shown.isNull() && shown.pixel(shown.rect().center()) != qRgb(0, 0, 0));
}

// The Debian package as a user meets it: unpacked, its program started from where it was
// installed, with nothing but the user's own configuration directory to write.

// Every path under the root with its mode, size and time of its last change.
QStringList Listing(const QString& root) {
    QStringList lines = Run(u"find"_s, {root, u"-printf"_s, u"%P %m %s %C@\\n"_s}).split(u'\n');
    lines.sort();
    return lines;
}

TEST(InstalledPackage, StartsFromTheInstalledTreeAndSavesOnlyIntoTheUsersDirectory) {
    const QStringList built = QDir(QStringLiteral(PARLANE_PACKAGE_DIR))
                                  .entryList({u"parlane_*.deb"_s}, QDir::Files, QDir::Time);
    if (built.isEmpty()) {
        GTEST_SKIP() << "no package built: run cpack in the build directory first";
    }
    const QString package = QStringLiteral(PARLANE_PACKAGE_DIR) + u'/' + built.first();
    const QTemporaryDir root;
    ASSERT_EQ(QProcess::execute(u"dpkg-deb"_s, {u"-x"_s, package, root.path()}), 0);
    const QStringList before = Listing(root.path());

    {
        ParlaneCopy parlane(ParlaneCopy::Installed{root.filePath(u"usr/bin/parlane"_s)});
        // The first start of an installed copy: no settings yet, so the splash, then the window
        // with its tray icon. Where it finds its skins is the start-up's unit test.
        ASSERT_TRUE(parlane.WaitForTrayIcon(20000) && !QFileInfo::exists(parlane.SettingsPath()));

        // The session's end saves the window's place: into the user's directory.
        EXPECT_TRUE(parlane.Stop() == 0 && parlane.Settings().contains("wMain Window Left="));
    }

    EXPECT_EQ(Listing(root.path()), before);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests happens at build time, where there is no desktop.
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    // Before any thread: namespaces of our own, so port 138 and the journeys' mounts stay ours;
    // the peer's name too, on a folder of names that goes with this process however it ends.
    if (geteuid() != 0) {
        noDesktopReason = u"the desktop journeys need root (network namespace, port 138)"_s;
    } else if (unshare(CLONE_NEWNET | CLONE_NEWNS | CLONE_NEWUTS) != 0 ||
               mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
               !QDir().mkpath(u"/run/netns"_s) || mount("", "/run/netns", "tmpfs", 0, nullptr) ||
               sethostname(kHostName.toLatin1().constData(), std::size_t(kHostName.size())) != 0) {
        noDesktopReason =
            u"cannot make private namespaces: "_s + QString::fromLocal8Bit(strerror(errno));
    }
    QCoreApplication app(argc, argv);
    ::testing::AddGlobalTestEnvironment(new DesktopEnvironment);
    return RUN_ALL_TESTS();
}

#include "Desktop.moc"
