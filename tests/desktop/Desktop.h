#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The desktop every journey of this program runs on, started once for all of them:
// - a private X server (Xvfb, 1024x768) with a window manager (openbox) and an XEmbed tray
//   (trayer); DISPLAY names it for this process and everything it starts;
// - a private D-Bus session bus with a StatusNotifierWatcher that reports a tray host, for
//   copies started with TrayKind::StatusNotifier;
// - the network: this program runs in a network (and mount) namespace of its own, with lo up
//   and 10.99.0.1/24 on a veth pair whose other end, 10.99.0.2/24, is the peer machine
//   PeerNamespace(). Port 138 here is free for the copies; nothing reaches the real network.
// Needs root; without it every journey is skipped with the reason.
namespace desktop {

// The network namespace (for `ip netns exec`) of the peer machine at kPeerAddress.
QString PeerNamespace();
inline constexpr const char* kOwnAddress = "10.99.0.1";
inline constexpr const char* kPeerAddress = "10.99.0.2";

// This machine's host name in the program's own namespace, and so the copies' machine name.
inline const QString kHostName = QStringLiteral("deskhost");

// The private session bus's address.
QString BusAddress();

// Runs a program to its end (killed after ms); its standard output. exitCode gets its exit
// code, or -1 when it did not start, crashed or ran too long.
QString Run(const QString& program, const QStringList& args, int* exitCode = nullptr,
            int ms = 10000);

// Makes the process's children die with it, even when it is killed (a CTest time-out), so
// that no X server or copy outlives a run.
void DieWithThisProcess(QProcess& child);

// Calls Activate(x, y) on the StatusNotifierItem that the process registered with the watcher,
// as a tray host does on a click; false when the process has none.
bool ActivateStatusNotifierItem(qint64 pid);
// Whether the process has a StatusNotifierItem registered on the private bus.
bool HasStatusNotifierItem(qint64 pid);

}  // namespace desktop
