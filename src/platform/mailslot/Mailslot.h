#pragma once

#include "platform/netbios/ListeningGap.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// Mailslots with the calls and semantics of the Windows API, carried on the NetBIOS datagram
// service: "\\.\mailslot\NAME" is this machine's listening slot, "\\RECIPIENT\mailslot\NAME" a
// slot written to on the network.
namespace platform {

using HANDLE = std::intptr_t;
using DWORD = std::uint32_t;

inline constexpr HANDLE INVALID_HANDLE_VALUE = -1;
inline constexpr DWORD MAILSLOT_WAIT_FOREVER = 0xFFFFFFFF;
inline constexpr DWORD MAILSLOT_NO_MESSAGE = 0xFFFFFFFF;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD FILE_SHARE_READ = 1;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// What GetLastError reports after a failed call.
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_BAD_NETPATH = 53;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_SEM_TIMEOUT = 121;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_INVALID_NAME = 123;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
inline constexpr DWORD ERROR_NETWORK_UNREACHABLE = 1231;

HANDLE CreateMailslotA(const QString& name, DWORD maxMessageSize, DWORD readTimeout,
                       const void* securityAttributes);
bool GetMailslotInfo(HANDLE slot, DWORD* maxMessageSize, DWORD* nextSize, DWORD* messageCount,
                     DWORD* readTimeout);
bool ReadFile(HANDLE file, char* buffer, DWORD bytesToRead, DWORD* bytesRead, void* overlapped);

HANDLE CreateFileA(const QString& name, DWORD desiredAccess, DWORD shareMode,
                   const void* securityAttributes, DWORD creationDisposition, DWORD flags,
                   HANDLE templateFile);
bool WriteFile(HANDLE file, const char* buffer, DWORD bytesToWrite, DWORD* bytesWritten,
               void* overlapped);

bool CloseHandle(HANDLE handle);

// The code and a sentence on why the last failed call of this thread failed.
DWORD GetLastError();
QString LastErrorText();

// Hands a body to an open listening slot as a writer would, network aside: by default one on this
// machine, else the sender at that IPv4 address (host order). False when the slot, or the
// sender's share of it, is full or the handle is not a listening slot.
bool DeliverToMailslot(HANDLE slot, QByteArray body, std::uint32_t sender = 0x7F000001);

// Tells a listening slot its known senders, whose messages are read first and never dropped for
// others' (see MailslotReceiver); the addresses are IPv4 addresses or sender names.
void SetKnownSenders(HANDLE slot, const QStringList& addresses);

// What cannot reach a listening slot now, as its receiver last looked; empty for any other
// handle.
std::vector<netbios::ListeningGap> MailslotGaps(HANDLE slot);

// How many datagrams addressed to a listening slot were dropped because the queue, or the
// sender's share of it, was full; 0 for any other handle.
std::uint64_t DroppedMailslotMessages(HANDLE slot);

// How many messages from the network a listening slot refused because a sender's or recipient's
// name was longer than a name can be; 0 for any other handle.
std::uint64_t RefusedMailslotMessages(HANDLE slot);

}  // namespace platform
