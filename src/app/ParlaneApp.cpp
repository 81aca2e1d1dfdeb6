#include "app/ParlaneApp.h"

#include "contacts/clsContact.h"

#include "ui/dialogs/wSplash.h"
#include "ui/main/wMain.h"

#include <QCoreApplication>

ParlaneApp::ParlaneApp(const QString& executableDir) : executableDir_(executableDir) {}

ParlaneApp::~ParlaneApp() = default;

void ParlaneApp::Start() {
    modStartup::Main(state_, *this, executableDir_);
}

void ParlaneApp::ShowSplash() {
    splash_ = std::make_unique<wSplash>();
    splash_->show();
    splash_->repaint();
    QCoreApplication::processEvents();
}

void ParlaneApp::LoadMainWindow() {
    main_ = std::make_unique<wMain>(context_, conversations_, listener_, tray_);
    main_->Form_Initialize();
    main_->Form_Load([this] { splash_.reset(); });
}

void ParlaneApp::Warn(const QString& text) {
    prompts_.Warn(text);
}

void ParlaneApp::SetStatusText(const QString& text) {
    if (main_) {
        main_->SetStatusText(text);
    }
}

void ParlaneApp::ShowErrorHelp(int errorHelpCode) {
    if (main_) {
        main_->ShowErrorHelp(errorHelpCode);
    }
}

void ParlaneApp::RouteMessage(const MailSlotMessage& message) {
    if (main_) {
        conversations_.RouteMessage(main_->Contacts(), message);
    }
}

QStringList ParlaneApp::KnownSenders() const {
    QStringList addresses;
    for (const auto* contacts : {&state_.UserContacts, &state_.DomainContacts}) {
        for (const auto& contact : *contacts) {
            addresses << contact->Address;
        }
    }
    return addresses;
}
