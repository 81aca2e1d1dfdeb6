#include "platform/SessionEnd.h"

#include <QObject>
#include <QSocketNotifier>

#include <cerrno>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

int pipeFds[2] = {-1, -1};

// Only what is safe in a signal handler: one byte into the pipe, read by the event loop.
void Notify(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(pipeFds[1], &byte, 1);
    errno = saved;
}

void SetHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) {
        sigaction(signal, &action, nullptr);
    }
}

// While one lives, the signals come through the pipe.
class EndNotifier : public QSocketNotifier {
public:
    explicit EndNotifier(QObject* context) : QSocketNotifier(pipeFds[0], Read, context) {
        if (live++ == 0) {
            SetHandler(Notify);
        }
    }
    ~EndNotifier() override {
        if (--live == 0) {
            SetHandler(SIG_DFL);
        }
    }

private:
    static inline int live = 0;
};

}  // namespace

void OnSessionEnd(QObject* context, std::function<void()> onEnd) {
    if (pipeFds[0] < 0 && pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    auto* notifier = new EndNotifier(context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [onEnd = std::move(onEnd)] {
        char bytes[16];
        while (read(pipeFds[0], bytes, sizeof bytes) > 0) {
        }
        onEnd();
    });
}

}  // namespace platform
