#pragma once

#include <QByteArray>

// Which of Qt's platform plugins Parlane runs on. It places windows, keeps them on top and shows
// them without the focus, all of which Wayland leaves to the compositor; so in a Wayland session
// it runs through XWayland when that is there, and natively only when asked (QT_QPA_PLATFORM) or
// when there is no X server.
namespace QtPlatform {

// The plugins for Qt to try in turn (QT_QPA_PLATFORM's list), from the one asked for and the
// display servers there are: what was asked first, then each server's own plugin, so that a
// plugin missing or failing never ends the program while another could serve. Empty leaves the
// choice to Qt.
QByteArray PluginsToTry(const QByteArray& asked, bool x11, bool wayland);

// Before the application object: sets QT_QPA_PLATFORM for Qt to read, and returns what it held.
QByteArray Choose();

// After it: gives child processes the environment back, and says on standard error when the
// plugin asked for was passed over.
void Restore(const QByteArray& asked);

}  // namespace QtPlatform
