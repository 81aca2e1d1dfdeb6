#pragma once

#include "transport/MailslotDrops.h"
#include "transport/NetbiosServices.h"
#include "transport/modMailSlots.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

struct SharedState;
class UserPrompts;

// Where the listener's news goes: the status strip, the error help and the conversations.
class MailslotListenerHost {
public:
    virtual ~MailslotListenerHost() = default;
    virtual void SetStatusText(const QString& text) = 0;
    virtual void ShowErrorHelp(int errorHelpCode) = 0;
    virtual void RouteMessage(const MailSlotMessage& message) = 0;
};

// The program's own mailslot, polled once a second: opening it (asking first when it already
// listens), the tick that reads one message, and switching communications off and on.
class MailslotListener : public QObject {
    Q_OBJECT

public:
    static constexpr int ErrorHelpNone = 0;
    static constexpr int ErrorHelpCouldNotOpenMailSlot = 1;

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
    std::optional<NetbiosServices> netbios_;

    void CloseSlot();
};
