#include "transport/MailSlotListener.h"

#include "core/SharedState.h"
#include "platform/gui/MessageBox.h"
#include "platform/mailslot/Mailslot.h"

#include <QTime>

#include <cstdio>

using namespace Qt::StringLiterals;

MailSlotListener::MailSlotListener(MailSlotListenerHost& host, QObject* parent)
    : QObject(parent), host_(host) {
    tmrMailSlot.setInterval(1000);
    connect(&tmrMailSlot, &QTimer::timeout, this, &MailSlotListener::tmrMailSlot_Timer);
}

void MailSlotListener::OpenMailSlot() {
    SharedState& shared = Shared();
    if (shared.MailSlotHandle > 0) {
        const QString question = shared.AppName +
                                 u" already seems to be listening. Are you sure you\r\n"
                                 u"want to try listening again?"_s;
        if (platform::MsgBox(question, platform::vbYesNo | platform::vbQuestion, shared.AppName) ==
            platform::vbNo) {
            return;
        }
        shared.MailSlotHandle = modMailSlots::CloseMailSlot(shared.MailSlotHandle);
    }
    shared.MailSlotHandle = modMailSlots::CreateMailSlot(u"messngr"_s);
    drops_ = {};  // a new slot counts from nothing
    if (shared.MailSlotHandle > 0) {
        tmrMailSlot.start();
        host_.ShowErrorHelp(ErrorHelpNone);
        host_.SetStatusText(u"Ready for communication."_s);
    } else {
        tmrMailSlot.stop();
        host_.ShowErrorHelp(ErrorHelpCouldNotOpenMailSlot);
        host_.SetStatusText(u"Couldn't start listening."_s);
    }
}

void MailSlotListener::tmrMailSlot_Timer() {
    if (const auto dropped =
            drops_.Check(platform::DroppedMailslotMessages(Shared().MailSlotHandle))) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(Shared().AppName), qPrintable(*dropped));
    }
    const MailSlotMessage message = modMailSlots::ReadMailSlot(Shared().MailSlotHandle);
    if (message.Text.isEmpty()) {
        return;
    }
    host_.SetStatusText(u"Message received at "_s + QTime::currentTime().toString(u"hh:mm:ss"_s) +
                        u'.');
    host_.RouteMessage(message);
}

void MailSlotListener::DisableCommunications() {
    tmrMailSlot.stop();
    Shared().MailSlotHandle = modMailSlots::CloseMailSlot(Shared().MailSlotHandle);
    host_.SetStatusText(u"Communications disabled."_s);
}

void MailSlotListener::EnableCommunications() {
    OpenMailSlot();
}

void MailSlotListener::StopListening() {
    tmrMailSlot.stop();
    Shared().MailSlotHandle = modMailSlots::CloseMailSlot(Shared().MailSlotHandle);
}
