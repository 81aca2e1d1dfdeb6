#include "ui/main/StartupWindows.h"

#include "ui/dialogs/wSplash.h"
#include "ui/main/wMain.h"

#include <QCoreApplication>

StartupWindows::StartupWindows() = default;
StartupWindows::~StartupWindows() = default;

void StartupWindows::ShowSplash() {
    splash_ = std::make_unique<wSplash>();
    splash_->show();
    splash_->repaint();
    QCoreApplication::processEvents();
}

void StartupWindows::LoadMainWindow() {
    main_ = std::make_unique<wMain>();
    main_->Form_Initialize();
    main_->Form_Load([this] { splash_.reset(); });
}
