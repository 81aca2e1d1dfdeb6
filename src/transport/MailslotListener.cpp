#include "transport/MailslotListener.h"

#include "core/SharedState.h"
#include "core/UserPrompts.h"
#include "platform/mailslot/Mailslot.h"

#include <QTime>

#include <cstdio>

using namespace Qt::StringLiterals;

MailslotListener::MailslotListener(SharedState& state, UserPrompts& prompts,
                                   MailslotListenerHost& host, QObject* parent)
    : QObject(parent), state_(state), prompts_(prompts), host_(host) {
    tmrMailSlot.setInterval(1000);
    connect(&tmrMailSlot, &QTimer::timeout, this, &MailslotListener::tmrMailSlot_Timer);
}

void MailslotListener::OpenMailSlot() {
    if (state_.MailSlotHandle > 0) {
        const QString question = state_.AppName +
                                 u" already seems to be listening. Are you sure you\r\n"
                                 u"want to try listening again?"_s;
        if (!prompts_.Confirm(question)) {
            return;
        }
        CloseSlot();
    }
    state_.MailSlotHandle = modMailSlots::CreateMailSlot(u"messngr"_s);
    drops_ = {};  // a new slot counts from nothing
    if (state_.MailSlotHandle > 0) {
        // Standard error tells a taken port; the status strip is the mailslot's alone.
        netbios_.emplace(state_.MailSlotHandle);
        for (const QString& problem : netbios_->Problems()) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(state_.AppName), qPrintable(problem));
        }
        tmrMailSlot.start();
        host_.ShowErrorHelp(ErrorHelpNone);
        host_.SetStatusText(u"Ready for communication."_s);
    } else {
        tmrMailSlot.stop();
        host_.ShowErrorHelp(ErrorHelpCouldNotOpenMailSlot);
        host_.SetStatusText(u"Couldn't start listening."_s);
    }
}

void MailslotListener::tmrMailSlot_Timer() {
    if (const auto dropped =
            drops_.Check(platform::DroppedMailslotMessages(state_.MailSlotHandle))) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(state_.AppName), qPrintable(*dropped));
    }
    const MailSlotMessage message = modMailSlots::ReadMailSlot(state_.MailSlotHandle);
    if (message.Text.isEmpty()) {
        return;
    }
    host_.SetStatusText(u"Message received at "_s + QTime::currentTime().toString(u"hh:mm:ss"_s) +
                        u'.');
    host_.RouteMessage(message);
}

void MailslotListener::CloseSlot() {
    netbios_.reset();
    state_.MailSlotHandle = modMailSlots::CloseMailSlot(state_.MailSlotHandle);
}

void MailslotListener::DisableCommunications() {
    tmrMailSlot.stop();
    CloseSlot();
    host_.SetStatusText(u"Communications disabled."_s);
}

void MailslotListener::EnableCommunications() {
    OpenMailSlot();
}

void MailslotListener::StopListening() {
    tmrMailSlot.stop();
    CloseSlot();
}
