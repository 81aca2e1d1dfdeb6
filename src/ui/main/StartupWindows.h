#pragma once

#include "core/modStartup.h"

#include <memory>

class wMain;
class wSplash;

// Makes the windows start-up asks for and keeps them for the program's life.
class StartupWindows : public modStartup::StartupHost {
public:
    StartupWindows();
    ~StartupWindows() override;

    void ShowSplash() override;
    void LoadMainWindow() override;

    wMain* MainWindow() const { return main_.get(); }
    wSplash* Splash() const { return splash_.get(); }

private:
    std::unique_ptr<wSplash> splash_;
    std::unique_ptr<wMain> main_;
};
