#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>

// The record one datagram carries.
struct MailSlotMessage {
    QString From;
    QString To;
    QString Text;

    friend bool operator==(const MailSlotMessage&, const MailSlotMessage&) = default;
};

namespace modMailSlots {

// Result codes of SendMailSlotMessage.
inline constexpr int SendWritten = 0;
inline constexpr int SendNoText = 1;
inline constexpr int SendShortWrite = 2;
inline constexpr int SendFailed = 3;

// Writes one datagram to the recipient's mailslot. Empty From and To are given their defaults in
// the caller's record. Raises an error, sending nothing, when a field holds a character without a
// Windows-1252 code or a zero character, or the datagram does not fit the send buffer.
int SendMailSlotMessage(const QString& slotName, MailSlotMessage& message);

// How many characters of text a message from `from` to `to` can carry: one datagram between
// machines holds only so many bytes, the two names and the zero bytes among them.
int TextRoom(const QString& from, const QString& to);

// The name this machine answers to on the network, as a sender field that lets the recipient
// answer.
QString OwnName();

std::intptr_t CreateMailSlot(const QString& name);
std::intptr_t CloseMailSlot(std::intptr_t handle);

// At most one waiting datagram; an empty record when none waits or the read fails.
MailSlotMessage ReadMailSlot(std::intptr_t handle);

// The fields of one datagram: From, To and Text, each ended by a zero byte.
QByteArray JoinMailSlotFields(const MailSlotMessage& message);
MailSlotMessage SplitMailSlotFields(QByteArrayView datagram);

// The text with each control character (C0, DEL and C1) written as a visible escape such as
// "\x1b": what came from the network can then neither steer a terminal nor break the line it is
// shown on.
QString EscapeControls(const QString& text);

}  // namespace modMailSlots
