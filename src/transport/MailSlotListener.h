#pragma once

#include "transport/MailSlotDrops.h"
#include "transport/modMailSlots.h"

#include <QObject>
#include <QString>
#include <QTimer>

// What the listener needs of the window that hosts it.
class MailSlotListenerHost {
public:
    virtual ~MailSlotListenerHost() = default;
    virtual void SetStatusText(const QString& text) = 0;
    virtual void ShowErrorHelp(int errorHelpCode) = 0;
    virtual void RouteMessage(const MailSlotMessage& message) = 0;
};

// The program's own mailslot, polled once a second: opening it (asking first when it already
// listens), the tick that reads one message, and switching communications off and on.
class MailSlotListener : public QObject {
    Q_OBJECT

public:
    static constexpr int ErrorHelpNone = 0;
    static constexpr int ErrorHelpCouldNotOpenMailSlot = 1;

    explicit MailSlotListener(MailSlotListenerHost& host, QObject* parent = nullptr);

    QTimer tmrMailSlot;

    void OpenMailSlot();
    void tmrMailSlot_Timer();
    void DisableCommunications();
    void EnableCommunications();
    // The exit step of the main window's closing.
    void StopListening();

private:
    MailSlotListenerHost& host_;
    MailSlotDrops drops_;
};
