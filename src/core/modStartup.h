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
    // Tells the user of a problem found at start-up; start-up goes on.
    virtual void Warn(const QString& text) = 0;
};

inline constexpr const char* kMutexName = "OSTRELL_Parlane";

// The entry routine, with the directory of the executable.
void Main(SharedState& state, StartupHost& host, const QString& executableDir);

// Fills the state: names, paths (see below), empty collections.
void SetupPaths(SharedState& state, const QString& executableDir);

// The directory with one "/" appended and every doubled "/" reduced to one.
QString ProgramPathFor(const QString& executableDir);

// Where Skins/ and Data/ are, ending in "/": beside the program when either is there (a build
// tree, a copied program directory), else the installation's share/parlane/ when the program
// sits in an installed bin/, else beside the program all the same.
QString ResourcePathFor(const QString& programPath);

// The settings file: beside the program when that directory is writable and holds one (a copied
// program directory), else Settings.ini in the user's configuration directory
// ($XDG_CONFIG_HOME/parlane, by default ~/.config/parlane), which the first save makes.
QString SettingsFileFor(const QString& programPath);

}  // namespace modStartup
