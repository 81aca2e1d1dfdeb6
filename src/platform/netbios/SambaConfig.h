#pragma once

#include <QString>

#include <cstdint>

// What Samba's configuration says about the roads messages take to Parlane.
namespace platform::netbios {

// The value of a [global] setting of an smb.conf, empty when unset. Names match as Samba matches
// them: in any case, spaces aside.
QString SmbConfGlobal(const QString& path, const QString& name);

// The smb.conf that the smbd beside this process, while the port is held, reads (its -s or
// --configfile, else Samba's default); empty when no smbd runs in this network namespace.
QString RunningSmbdConfig(std::uint16_t port);

// Whether that smb.conf hands messages to Parlane: its message command is Parlane's, and it
// allows the SMB1 dialect that carries messages.
bool SmbConfHandsMessagesOn(const QString& path);

}  // namespace platform::netbios
