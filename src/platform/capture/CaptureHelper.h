#pragma once

#include "platform/capture/CaptureFrame.h"

#include <QString>

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace platform::capture {

// The capture helper as its listener runs it: a child process whose standard output is a pipe of
// datagram frames. The listener never holds the helper's privilege itself.
class CaptureHelper {
public:
    // Starts the program and waits a moment for it to begin capturing; nothing and why not.
    static std::unique_ptr<CaptureHelper> Start(const QString& program, std::uint16_t port,
                                                QString* why);
    ~CaptureHelper();
    CaptureHelper(const CaptureHelper&) = delete;
    CaptureHelper& operator=(const CaptureHelper&) = delete;

    int Pipe() const { return pipe_; }
    // Hands on every whole datagram the pipe holds now; false once the helper is gone.
    bool Read(const std::function<void(const Datagram&)>& each);

private:
    CaptureHelper(pid_t pid, int pipe) : pid_(pid), pipe_(pipe) {}

    pid_t pid_;
    int pipe_;
    FrameReader frames_;
};

// Where the helper is: beside the running program (a build tree), else in the installation's
// libexec/parlane beside its bin/.
QString CaptureProgram();

}  // namespace platform::capture
