#pragma once

struct SharedState;
class Skins;
class UserPrompts;
class WindowList;

// What every window is handed when it is made: the program's state and the services all windows
// share. The application object owns each of them and outlives the windows.
struct WindowContext {
    SharedState& state;
    WindowList& windows;
    Skins& skins;
    UserPrompts& prompts;
};
