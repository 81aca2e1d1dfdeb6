#pragma once

#include <QString>

struct SharedState;

// Start-up: the mutex, the splash when the settings ask for it, the state's paths, then the main
// window. The windows belong to the layers above; the host makes them.
namespace modStartup {

class StartupHost {
public:
    virtual ~StartupHost() = default;
    // Shows the splash at once, without waiting for anything.
    virtual void ShowSplash() = 0;
    // Loads the main window, which completes start-up and removes the splash.
    virtual void LoadMainWindow() = 0;
};

inline constexpr const char* kMutexName = "OSTRELL_Parlane";

// The entry routine, with the directory of the executable.
void Main(SharedState& state, StartupHost& host, const QString& executableDir);

// Fills the state: names, paths beside the executable, empty collections.
void SetupPaths(SharedState& state, const QString& executableDir);

// The directory with one "/" appended and every doubled "/" reduced to one.
QString ProgramPathFor(const QString& executableDir);

}  // namespace modStartup
