#pragma once

#include "core/SharedState.h"
#include "core/modStartup.h"
#include "transport/MailslotListener.h"
#include "ui/conversations/Conversations.h"
#include "ui/main/SystemTray.h"
#include "ui/shared/MessageBoxPrompts.h"
#include "ui/shared/Skins.h"
#include "ui/shared/WindowContext.h"
#include "ui/shared/WindowList.h"

#include <memory>

class wMain;
class wSplash;

// The program, made once in main: it owns the state (paths, settings, contact lists), the
// listener, the tray icon and every window, and hands each window and service what it needs.
// Received messages come to it from the listener and go on to the conversations.
class ParlaneApp : private modStartup::StartupHost, private MailslotListenerHost {
public:
    explicit ParlaneApp(const QString& executableDir);
    ~ParlaneApp() override;
    ParlaneApp(const ParlaneApp&) = delete;
    ParlaneApp& operator=(const ParlaneApp&) = delete;

    // The start-up sequence: the splash if asked for, the paths, then the main window.
    void Start();

    SharedState& State() { return state_; }
    WindowContext& Context() { return context_; }
    Conversations& Chats() { return conversations_; }
    MailslotListener& Listener() { return listener_; }
    SystemTray& Tray() { return tray_; }
    wMain* MainWindow() const { return main_.get(); }
    wSplash* Splash() const { return splash_.get(); }

protected:
    void ShowSplash() override;
    void LoadMainWindow() override;
    void Warn(const QString& text) override;

private:
    void SetStatusText(const QString& text) override;
    void ShowErrorHelp(int errorHelpCode) override;
    void RouteMessage(const MailSlotMessage& message) override;
    QStringList KnownSenders() const override;

    QString executableDir_;
    SharedState state_;
    WindowList windows_{state_};
    Skins skins_{state_, windows_};
    MessageBoxPrompts prompts_{state_};
    WindowContext context_{state_, windows_, skins_, prompts_};
    SystemTray tray_;
    MailslotListener listener_{state_, prompts_, *this};
    Conversations conversations_{context_};
    std::unique_ptr<wSplash> splash_;
    std::unique_ptr<wMain> main_;
};
