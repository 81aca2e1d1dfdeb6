#pragma once

// What the component asks of the platform.
namespace modAPI {

// The platform's major version; 0 when it cannot be asked. Layered (translucent) windows need 5.
long GetWindowsMajorVersion();

// Whether a window's opacity shows: a layered-window platform, and on X11 a compositing manager
// (the owner of the screen's _NET_WM_CM_S selection). Without one the X server draws every window
// whole, and a popup is drawn opaque.
bool DrawsTranslucent();

}  // namespace modAPI
