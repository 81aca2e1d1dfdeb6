#include "platform/capture/CaptureHelper.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

using namespace Qt::StringLiterals;

namespace platform::capture {
namespace {

// Long enough for a loaded machine to start a small program; short enough not to hold up a start.
constexpr int kStartMs = 3000;

}  // namespace

std::unique_ptr<CaptureHelper> CaptureHelper::Start(const QString& program, std::uint16_t port,
                                                    QString* why) {
    if (!QFileInfo(program).isExecutable()) {
        *why = u"the capture helper %1 is missing"_s.arg(program);
        return nullptr;
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        *why = u"no pipe for the capture helper: %1"_s.arg(QString::fromLocal8Bit(strerror(errno)));
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    const QByteArray path = program.toLocal8Bit();
    const QByteArray portText = QByteArray::number(port);
    char* argv[] = {const_cast<char*>(path.constData()), const_cast<char*>(portText.constData()),
                    nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, path.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    if (spawned != 0) {
        ::close(ends[0]);
        *why = u"the capture helper %1 cannot be started: %2"_s.arg(
            program, QString::fromLocal8Bit(strerror(spawned)));
        return nullptr;
    }
    std::unique_ptr<CaptureHelper> helper(new CaptureHelper(pid, ends[0]));
    // Its first frame says it captures; an end of the pipe, that it could not.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartMs);
    bool ready = false;
    std::size_t got = 0;
    while (!ready) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fd{helper->pipe_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&fd, 1, int(left.count())) == 0) {
            *why = u"the capture helper %1 did not start in time"_s.arg(program);
            return nullptr;
        }
        // No more than the first frame, an empty one: a datagram behind it waits in the pipe,
        // where the listener's poll sees it.
        char bytes[kHeaderBytes];
        const ssize_t size = ::read(helper->pipe_, bytes, kHeaderBytes - got);
        if (size == 0 || (size < 0 && errno != EINTR && errno != EAGAIN)) {
            *why =
                u"the capture helper %1 could not capture; it needs the capability "
                "cap_net_raw (sudo setcap cap_net_raw=+ep %1)"_s.arg(program);
            return nullptr;
        }
        if (size > 0) {
            got += std::size_t(size);
            helper->frames_.Append(std::string_view(bytes, std::size_t(size)));
            ready = helper->frames_.Next().has_value();
        }
    }
    return helper;
}

CaptureHelper::~CaptureHelper() {
    ::close(pipe_);
    ::kill(pid_, SIGTERM);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
}

bool CaptureHelper::Read(const std::function<void(const Datagram&)>& each) {
    char bytes[65536];
    const ssize_t size = ::read(pipe_, bytes, sizeof bytes);
    if (size < 0) {
        return errno == EINTR || errno == EAGAIN;
    }
    if (size == 0) {
        return false;
    }
    frames_.Append(std::string_view(bytes, std::size_t(size)));
    while (const auto datagram = frames_.Next()) {
        each(*datagram);
    }
    return !frames_.Broken();
}

QString CaptureProgram() {
    const QString dir = QCoreApplication::applicationDirPath();
    const QString beside = dir + u"/parlane-capture"_s;
    if (QFileInfo(beside).isExecutable()) {
        return beside;
    }
    return QFileInfo(dir + u"/../libexec/parlane/parlane-capture"_s).absoluteFilePath();
}

}  // namespace platform::capture
