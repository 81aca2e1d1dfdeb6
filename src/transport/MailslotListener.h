#pragma once

#include "transport/MailslotDrops.h"
#include "transport/NetbiosServices.h"
#include "transport/modMailSlots.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <optional>
#include <vector>

struct SharedState;
class UserPrompts;

// What the status strip says of these gaps in what can arrive.
QString GapsText(const std::vector<platform::netbios::ListeningGap>& gaps);

// Where the listener's news goes: the status strip, the error help and the conversations.
class MailslotListenerHost {
public:
    virtual ~MailslotListenerHost() = default;
    virtual void SetStatusText(const QString& text) = 0;
    virtual void ShowErrorHelp(int errorHelpCode) = 0;
    virtual void RouteMessage(const MailSlotMessage& message) = 0;
    // The contacts' addresses, whose messages the slot reads before others'.
    virtual QStringList KnownSenders() const { return {}; }
};

// The program's own mailslot, polled once a second: opening it (asking first when it already
// listens), the tick that reads one message, and switching communications off and on. "Ready for
// communication." only while every kind of message can arrive; otherwise the strip says which
// cannot.
class MailslotListener : public QObject {
    Q_OBJECT

public:
    static constexpr int ErrorHelpNone = 0;
    static constexpr int ErrorHelpCouldNotOpenMailSlot = 1;
    static constexpr int ErrorHelpSomeMessagesLost = 4;

    // The state's MailSlotHandle is the slot this listener opens and closes.
    MailslotListener(SharedState& state, UserPrompts& prompts, MailslotListenerHost& host,
                     QObject* parent = nullptr);

    QTimer tmrMailSlot;

    void OpenMailSlot();
    void tmrMailSlot_Timer();
    void DisableCommunications();
    void EnableCommunications();
    // The exit step of the main window's closing.
    void StopListening();

    // The session and name services open beside the slot, if it is open.
    const NetbiosServices* Netbios() const { return netbios_ ? &*netbios_ : nullptr; }

private:
    SharedState& state_;
    UserPrompts& prompts_;
    MailslotListenerHost& host_;
    MailslotDrops drops_;
    MailslotDrops refusals_{MailslotDrops::Why::NamesTooLong};
    std::optional<NetbiosServices> netbios_;
    std::vector<platform::netbios::ListeningGap> gaps_;

    QStringList known_;  // as the slot was last told

    void CloseSlot();
    // Tells the slot the host's known senders when they changed, or always.
    void UpdateKnownSenders(bool always);
    // Says on the status strip and standard error what cannot arrive, when that changed.
    void ShowGaps(bool always);
};
