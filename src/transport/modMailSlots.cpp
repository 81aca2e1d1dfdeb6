#include "transport/modMailSlots.h"

#include "platform/RuntimeError.h"
#include "platform/Windows1252.h"
#include "platform/mailslot/Mailslot.h"
#include "platform/mailslot/MailslotDatagram.h"
#include "platform/mailslot/MailslotNames.h"

#include <vector>

using namespace Qt::StringLiterals;

namespace modMailSlots {
namespace {

// Indices 0 to 65536, as the buffers of the mailslot routines are sized.
constexpr qsizetype kBufferBytes = 65537;

void CheckField(const QString& text, const QString& field) {
    const auto zero = text.indexOf(QChar(0));
    if (zero >= 0) {
        throw platform::RuntimeError(
            platform::err::InvalidArgument, u"SendMailSlotMessage"_s,
            u"The %1 holds a zero character, which the message format cannot carry."_s.arg(field));
    }
    const auto bad = platform::Windows1252::FirstUnencodable(text);
    if (bad >= 0) {
        throw platform::RuntimeError(
            platform::err::InvalidArgument, u"SendMailSlotMessage"_s,
            u"The %1 holds %2, which has no Windows-1252 code and cannot be sent."_s.arg(
                field, platform::Windows1252::DescribeCharacter(text, bad)));
    }
}

}  // namespace

QByteArray JoinMailSlotFields(const MailSlotMessage& message) {
    const QString datagram =
        message.From + QChar(0) + message.To + QChar(0) + message.Text + QChar(0) + QChar(0);
    return platform::Windows1252::Encode(datagram).value_or(QByteArray());
}

MailSlotMessage SplitMailSlotFields(QByteArrayView datagram) {
    MailSlotMessage message;
    QString* fields[] = {&message.From, &message.To, &message.Text};
    qsizetype start = 0;
    for (QString* field : fields) {
        if (start > datagram.size()) {
            break;
        }
        qsizetype end = datagram.indexOf('\0', start);
        if (end < 0) {
            end = datagram.size();
        }
        *field = platform::Windows1252::Decode(datagram.sliced(start, end - start));
        start = end + 1;
    }
    return message;
}

QString EscapeControls(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f)) {
            shown += u"\\x%1"_s.arg(int(u), 2, 16, QChar(u'0'));
        } else {
            shown += c;
        }
    }
    return shown;
}

int TextRoom(const QString& from, const QString& to) {
    const MailSlotMessage empty{from, to, {}};
    return int(platform::netbios::kMaxRemoteBody - JoinMailSlotFields(empty).size());
}

QString OwnName() {
    return QString::fromLatin1(platform::netbios::OwnMachineName());
}

int SendMailSlotMessage(const QString& slotName, MailSlotMessage& message) {
    if (message.Text.isEmpty()) {
        return SendNoText;
    }
    if (message.To.isEmpty()) {
        message.To = u"*"_s;
    }
    if (message.From.isEmpty()) {
        message.From = u"Parlane User"_s;
    }
    CheckField(message.From, u"sender"_s);
    CheckField(message.To, u"recipient"_s);
    CheckField(message.Text, u"text"_s);
    if (message.From.size() > platform::netbios::kMaxHostNameBytes) {
        throw platform::RuntimeError(
            platform::err::InvalidArgument, u"SendMailSlotMessage"_s,
            u"The sender name is longer than the %1 characters a recipient accepts."_s.arg(
                platform::netbios::kMaxHostNameBytes));
    }
    const QByteArray datagram = JoinMailSlotFields(message);
    if (datagram.size() > kBufferBytes) {
        throw platform::RuntimeError(
            platform::err::SubscriptOutOfRange, u"SendMailSlotMessage"_s,
            u"The message is %1 bytes; the send buffer holds %2."_s.arg(datagram.size())
                .arg(kBufferBytes));
    }

    const QString path = u"\\\\"_s + message.To + u"\\mailslot\\"_s + slotName;
    const platform::HANDLE file =
        platform::CreateFileA(path, platform::GENERIC_WRITE, platform::FILE_SHARE_READ, nullptr,
                              platform::OPEN_EXISTING, platform::FILE_ATTRIBUTE_NORMAL, 0);
    if (file == platform::INVALID_HANDLE_VALUE) {
        return SendFailed;
    }
    platform::DWORD written = 0;
    const bool ok = platform::WriteFile(file, datagram.constData(),
                                        platform::DWORD(datagram.size()), &written, nullptr);
    platform::CloseHandle(file);
    if (!ok) {
        return SendFailed;
    }
    return written == platform::DWORD(datagram.size()) ? SendWritten : SendShortWrite;
}

std::intptr_t CreateMailSlot(const QString& name) {
    return platform::CreateMailslotA(u"\\\\.\\mailslot\\"_s + name, 0,
                                     platform::MAILSLOT_WAIT_FOREVER, nullptr);
}

std::intptr_t CloseMailSlot(std::intptr_t handle) {
    if (handle > 0) {
        platform::CloseHandle(handle);
        return 0;
    }
    return handle;
}

MailSlotMessage ReadMailSlot(std::intptr_t handle) {
    platform::DWORD nextSize = 0;
    if (!platform::GetMailslotInfo(handle, nullptr, &nextSize, nullptr, nullptr) ||
        nextSize == platform::MAILSLOT_NO_MESSAGE) {
        return {};
    }
    // A message the buffer cannot hold is read aside and dropped, so it never blocks the ones
    // behind it.
    const bool fits = qsizetype(nextSize) < kBufferBytes;
    std::vector<char> buffer(fits ? kBufferBytes : qsizetype(nextSize) + 1, '\0');
    platform::DWORD read = 0;
    if (!platform::ReadFile(handle, buffer.data(), nextSize, &read, nullptr) || read != nextSize ||
        !fits) {
        return {};
    }
    return SplitMailSlotFields(QByteArrayView(buffer.data(), qsizetype(nextSize) + 1));
}

}  // namespace modMailSlots
