#pragma once

#include "glimmertip/modGlimmertip.h"
#include "glimmertip/wGlimmertip.h"
#include "platform/OsVersion.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QCursor>
#include <QPointer>

#include <vector>

// A 1024 by 768 screen, the cursor where the test puts it, and an event pump that records the
// popup's opacity at every step of a fade, in 8 bits as the platform keeps it.
class TipTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Offscreen keeps the opacity but says at every step that it cannot show it.
        static const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
                if (!message.startsWith(QStringLiteral("This plugin does not support"))) {
                    previous(type, context, message);
                }
            });
        platform::OverrideOsVersion(std::nullopt);
        modGlimmertip::SetDesktop({{},
                                   [] { return QSize(1024, 768); },
                                   [this] {
                                       if (wGlimmertip* w = modGlimmertip::TipWindow()) {
                                           steps.push_back(Alpha(*w));
                                       } else if (closing) {
                                           steps.push_back(Alpha(*closing));
                                       }
                                       if (onStep) {
                                           onStep();
                                       }
                                   }});
        QCursor::setPos(500, 400);
    }
    void TearDown() override {
        modGlimmertip::DestroyTipWindow();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        modGlimmertip::SetDesktop({});
        platform::OverrideOsVersion(std::nullopt);
    }

    static int Alpha(const QWidget& w) { return qRound(w.windowOpacity() * 255); }
    static wGlimmertip& Tip() {
        wGlimmertip* w = modGlimmertip::TipWindow();
        if (!w) {
            throw std::runtime_error("no popup");
        }
        return *w;
    }
    // Closes the popup as the platform would and lets its deletion happen.
    void Close(wGlimmertip& w) {
        closing = &w;
        w.Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::vector<int> steps;
    std::function<void()> onStep;
    QPointer<wGlimmertip> closing;
};
