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
    // A new slot counts from nothing.
    drops_ = MailslotDrops();
    refusals_ = MailslotDrops(MailslotDrops::Why::NamesTooLong);
    if (state_.MailSlotHandle > 0) {
        netbios_.emplace(state_.MailSlotHandle);
        UpdateKnownSenders(true);
        tmrMailSlot.start();
        ShowGaps(true);
    } else {
        std::fprintf(stderr, "%s: %s\n", qPrintable(state_.AppName),
                     qPrintable(platform::LastErrorText()));
        tmrMailSlot.stop();
        host_.ShowErrorHelp(ErrorHelpCouldNotOpenMailSlot);
        host_.SetStatusText(u"Couldn't start listening."_s);
    }
}

QString GapsText(const std::vector<platform::netbios::ListeningGap>& gaps) {
    using Lost = platform::netbios::ListeningGap::Lost;
    if (gaps.empty()) {
        return u"Ready for communication."_s;
    }
    if (gaps.size() > 1) {
        return u"Listening, but some messages will not arrive."_s;
    }
    switch (gaps.front().lost) {
        case Lost::DirectDatagrams:
            return u"Listening, but messages sent to this computer alone will not arrive."_s;
        case Lost::Sessions:
            return u"Listening, but messages from Windows NT-family and smbclient will not arrive."_s;
        default:
            return u"Listening, but senders that look for this computer by name will not find it."_s;
    }
}

void MailslotListener::ShowGaps(bool always) {
    auto gaps = platform::MailslotGaps(state_.MailSlotHandle);
    if (netbios_) {
        gaps.insert(gaps.end(), netbios_->Gaps().begin(), netbios_->Gaps().end());
    }
    if (!always && gaps == gaps_) {
        return;
    }
    gaps_ = std::move(gaps);
    for (const auto& gap : gaps_) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(state_.AppName), qPrintable(gap.why));
    }
    host_.ShowErrorHelp(gaps_.empty() ? ErrorHelpNone : ErrorHelpSomeMessagesLost);
    host_.SetStatusText(GapsText(gaps_));
}

void MailslotListener::UpdateKnownSenders(bool always) {
    QStringList known = host_.KnownSenders();
    if (always || known != known_) {
        known_ = std::move(known);
        platform::SetKnownSenders(state_.MailSlotHandle, known_);
    }
}

void MailslotListener::tmrMailSlot_Timer() {
    // The contact list changes seldom and is short: looking each tick catches every change.
    UpdateKnownSenders(false);
    ShowGaps(false);
    for (const auto& lost :
         {drops_.Check(platform::DroppedMailslotMessages(state_.MailSlotHandle)),
          refusals_.Check(platform::RefusedMailslotMessages(state_.MailSlotHandle))}) {
        if (lost) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(state_.AppName), qPrintable(*lost));
        }
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
