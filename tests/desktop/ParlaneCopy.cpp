#include "ParlaneCopy.h"

#include "Desktop.h"
#include "support/Files.h"

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTest>

#include <signal.h>
#include <sys/mount.h>

using namespace Qt::StringLiterals;

namespace {

const QString kBuilt = QStringLiteral(PARLANE_RUNTIME_DIR);

}  // namespace

ParlaneCopy::ParlaneCopy(const QByteArray& settings, TrayKind tray) : tray_(tray) {
    const QDir dir(Dir());
    for (const QString& file : {u"parlane"_s, u"Glimmertip.so"_s}) {
        QFile::copy(kBuilt + u'/' + file, dir.filePath(file));
    }
    for (const QString& folder : {u"Skins"_s, u"Data"_s}) {
        QFile::link(kBuilt + u'/' + folder, dir.filePath(folder));
    }
    const QByteArray noSplash = "[Contact List - Interface]\r\nDisplay Splash=0\r\n";
    WriteBytes(SettingsPath(),
               settings.contains("Display Splash") ? settings : noSplash + settings);

    Launch(dir.filePath(u"parlane"_s));
}

ParlaneCopy::ParlaneCopy(const Installed& installed) : tray_(TrayKind::XEmbed) {
    settingsPath_ = dir_.filePath(u".home/parlane/Settings.ini"_s);
    Launch(installed.program);
}

void ParlaneCopy::Launch(const QString& program) {
    // A home of its own: the component registry, the settings of an installed copy and Qt's
    // runtime files stay out of the user's.
    const QDir dir(Dir());
    dir.mkdir(u".home"_s);
    QFile::setPermissions(dir.filePath(u".home"_s),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.insert(u"XDG_CONFIG_HOME"_s, dir.filePath(u".home"_s));
    env.insert(u"XDG_RUNTIME_DIR"_s, dir.filePath(u".home"_s));
    env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, tray_ == TrayKind::StatusNotifier
                                                  ? desktop::BusAddress()
                                                  : u"unix:path=/nonexistent"_s);
    process_.setProcessEnvironment(env);
    desktop::DieWithThisProcess(process_);
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    process_.start(program, {});
    process_.waitForStarted(10000);
    pid_ = process_.processId();
}

ParlaneCopy::~ParlaneCopy() {
    Stop();
    if (readOnly_) {
        umount2(QFile::encodeName(Dir()).constData(), MNT_DETACH);
    }
}

QByteArray ParlaneCopy::Settings() const {
    return ReadBytes(SettingsPath());
}

x::Window ParlaneCopy::WaitForWindow(const QString& title, int ms) const {
    return x::WaitForWindow(title, pid_, ms);
}

bool ParlaneCopy::WaitUntilHidden(const QString& title, int ms) const {
    return x::WaitUntilHidden(title, pid_, ms);
}

bool ParlaneCopy::Close(const QString& title, int ms) const {
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

bool ParlaneCopy::Running() const {
    return process_.state() != QProcess::NotRunning;
}

std::optional<int> ParlaneCopy::WaitForExit(int ms) {
    if (Running() && !process_.waitForFinished(ms)) {
        return std::nullopt;
    }
    if (process_.exitStatus() != QProcess::NormalExit) {
        return std::nullopt;
    }
    return process_.exitCode();
}

bool ParlaneCopy::WaitForTrayIcon(int ms) const {
    return QTest::qWaitFor(
        [&] {
            return tray_ == TrayKind::XEmbed ? !x::TrayIcon(pid_).isNull()
                                             : desktop::HasStatusNotifierItem(pid_);
        },
        ms);
}

void ParlaneCopy::ActivateTrayIcon() const {
    if (tray_ == TrayKind::XEmbed) {
        x::ClickAt(x::TrayIcon(pid_).center(), 2);
    } else {
        desktop::ActivateStatusNotifierItem(pid_);
    }
}

std::optional<int> ParlaneCopy::Stop(int signal, int ms) {
    if (Running()) {
        ::kill(pid_, signal);
        if (!process_.waitForFinished(ms)) {
            process_.kill();
            process_.waitForFinished(ms);
            return std::nullopt;
        }
    }
    return WaitForExit(0);
}

void ParlaneCopy::MakeReadOnly() {
    const QByteArray path = QFile::encodeName(Dir());
    readOnly_ = mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0;
    ASSERT_TRUE(readOnly_);
    ASSERT_EQ(mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr),
              0);
}
