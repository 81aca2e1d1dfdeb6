#pragma once

#include "X.h"

#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <optional>

// Which tray the copy's Qt finds: the XEmbed tray (no session bus) or, through the private
// session bus, a StatusNotifierItem host.
enum class TrayKind { XEmbed, StatusNotifier };

// A copy of the built program directory (parlane, Glimmertip.so, Skins/, Data/) in a directory
// of its own, with its own Settings.ini, run on the test desktop as a person runs it.
class ParlaneCopy {
public:
    // Writes Settings.ini with these bytes (nothing: no file) and starts the program. The
    // splash is off unless the bytes say otherwise.
    explicit ParlaneCopy(const QByteArray& settings = {}, TrayKind tray = TrayKind::XEmbed);
    // An installed program, started as its user starts it: nothing beside it is touched, and
    // its settings go to the user's configuration directory, here one of the copy's own.
    struct Installed {
        QString program;
    };
    explicit ParlaneCopy(const Installed& installed);
    ~ParlaneCopy();  // Stop()
    ParlaneCopy(const ParlaneCopy&) = delete;
    ParlaneCopy& operator=(const ParlaneCopy&) = delete;

    QString Dir() const { return dir_.path(); }
    QString SettingsPath() const { return settingsPath_; }
    QByteArray Settings() const;  // Settings.ini's bytes now
    qint64 Pid() const { return pid_; }

    // A window of this copy (see x::WaitForWindow).
    x::Window WaitForWindow(const QString& title, int ms = 10000) const;
    x::Window Find(const QString& title) const { return x::Find(title, pid_); }
    bool WaitUntilHidden(const QString& title, int ms = 10000) const;
    // Closes the window as its close box does, again if it is back a moment later: a window
    // that hides and shows itself while it settles (a change of its flags) misses a close that
    // comes in between. True once it stays hidden.
    bool Close(const QString& title, int ms = 10000) const;

    // Waits until the copy's icon is in its tray: embedded in trayer, or registered with the
    // watcher.
    bool WaitForTrayIcon(int ms = 10000) const;
    // Activates the icon as a person does on this tray: a double-click on the XEmbed icon, a
    // click (the host calls Activate) on a StatusNotifierItem.
    void ActivateTrayIcon() const;

    bool Running() const;
    // The exit code once the program has ended by itself within ms; nothing while it runs or
    // when it crashed.
    std::optional<int> WaitForExit(int ms = 10000);
    // The signal (SIGTERM: the session's end), then SIGKILL after ms. Returns the exit code as
    // above.
    std::optional<int> Stop(int signal = SIGTERM, int ms = 10000);

    // Makes the copy's directory read-only (a read-only bind mount, which binds root as well),
    // so that every write of Settings.ini fails; undone when the copy goes.
    void MakeReadOnly();

private:
    void Launch(const QString& program);

    QTemporaryDir dir_;
    QString settingsPath_ = dir_.filePath(QStringLiteral("Settings.ini"));
    QProcess process_;
    TrayKind tray_;
    qint64 pid_ = 0;
    bool readOnly_ = false;
};
