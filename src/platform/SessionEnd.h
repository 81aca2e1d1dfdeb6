#pragma once

#include <functional>

class QObject;

// The end of the session as a Linux desktop signals it: SIGTERM from the session manager or
// init, SIGHUP when the terminal goes, SIGINT from Ctrl+C.
namespace platform {

// From now on these signals no longer end the process; instead onEnd runs in the event loop,
// while context lives. Once context is gone they end it again as before.
void OnSessionEnd(QObject* context, std::function<void()> onEnd);

}  // namespace platform
