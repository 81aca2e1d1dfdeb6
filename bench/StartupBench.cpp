// Parlane with a thousand contacts against a bare Qt window: time from start to a viewable window,
// resident memory once settled, and processor time while idle. Run by hand on an X server, e.g.
//   xvfb-run -a -s "-screen 0 1024x768x24" startup_bench
// The summary benchmark carries the ratios, so one run answers the question.
#include <benchmark/benchmark.h>
#include <xcb/xcb.h>
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kContacts = 1000;
constexpr int kLaunches = 10;
constexpr auto kSettle = 5s;
constexpr auto kIdle = 60s;
// Far beyond any sane start, short enough that a hung program does not stall the run for long.
constexpr auto kMapTimeout = 30s;

enum class Which { Bare, Parlane };

struct Figures {
    std::optional<double> mappedMs;
    std::optional<double> mappedMedianMs;
    std::optional<double> rssMiB;
    std::optional<double> idleCpuS;
};
Figures bareFigures;
Figures parlaneFigures;

Figures& FiguresOf(Which which) {
    return which == Which::Parlane ? parlaneFigures : bareFigures;
}

const char* TitleOf(Which which) {
    return which == Which::Parlane ? "Parlane" : "Bare";
}

std::optional<std::string> NoDisplay() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return "DISPLAY is not set; run under an X server, e.g. xvfb-run -a -s \"-screen 0 "
               "1024x768x24\" startup_bench";
    }
    return std::nullopt;
}

bool CopyTree(const QString& from, const QString& to) {
    QDir target(to);
    if (!target.mkpath(u"."_s)) {
        return false;
    }
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir source(from);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString relative = source.relativeFilePath(file);
        if (!target.mkpath(QFileInfo(relative).path()) ||
            !QFile::copy(file, target.filePath(relative))) {
            return false;
        }
    }
    return true;
}

QByteArray SettingsWithContacts() {
    QByteArray ini =
        "[Contact List - Interface]\r\n"
        "Display Splash=0\r\n"
        "Minimise On Startup=0\r\n"
        "[Users]\r\n"
        "Total=" +
        QByteArray::number(kContacts) + "\r\n";
    for (int i = 1; i <= kContacts; ++i) {
        const QByteArray n = QByteArray::number(i);
        ini += "User[" + n + "]=NAME=Person " + n + "|ADDRESS=pc" + n.rightJustified(4, '0') +
               "|TYPE=0\r\n";
    }
    return ini;
}

// Parlane finds its settings beside its executable, so each run gets a private copy of the
// program; the temporary directory also takes its lock file and output.
class Installation {
public:
    std::optional<std::string> Prepare(Which which) {
        if (!dir_.isValid()) {
            return "cannot make a temporary directory";
        }
        const QString built = QString::fromUtf8(which == Which::Parlane ? PARLANE_EXE : BARE_EXE);
        if (!QFileInfo(built).isExecutable()) {
            return "not built: " + built.toStdString();
        }
        if (which == Which::Bare) {
            executable_ = built;
            return std::nullopt;
        }
        executable_ = dir_.filePath(u"parlane"_s);
        const QDir beside = QFileInfo(built).dir();
        if (!QFile::copy(built, executable_) ||
            !CopyTree(beside.filePath(u"Skins"_s), dir_.filePath(u"Skins"_s)) ||
            !CopyTree(beside.filePath(u"Data"_s), dir_.filePath(u"Data"_s))) {
            return "cannot copy parlane with Skins/ and Data/ from " + beside.path().toStdString();
        }
        settings_ = SettingsWithContacts();
        return std::nullopt;
    }

    // Rewritten before every start in case a previous run saved its own.
    bool WriteSettings() const {
        if (settings_.isEmpty()) {
            return true;
        }
        QFile file(dir_.filePath(u"Settings.ini"_s));
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(settings_) == settings_.size();
    }

    std::string Executable() const { return QFile::encodeName(executable_).toStdString(); }
    std::string TempPath() const { return QFile::encodeName(dir_.path()).toStdString(); }
    std::string LogPath() const { return TempPath() + "/output.log"; }

private:
    QTemporaryDir dir_;
    QString executable_;
    QByteArray settings_;
};

class Child {
public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { Kill(); }

    bool Start(const Installation& installation) {
        const std::string exe = installation.Executable();
        const std::string log = installation.LogPath();
        const std::string tmpdir = "TMPDIR=" + installation.TempPath();
        std::vector<char*> env;
        for (char** e = environ; *e != nullptr; ++e) {
            if (std::strncmp(*e, "TMPDIR=", 7) != 0) {
                env.push_back(*e);
            }
        }
        env.push_back(const_cast<char*>(tmpdir.c_str()));
        env.push_back(nullptr);
        char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        start_ = Clock::now();
        const int rc = posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv, env.data());
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            pid_ = 0;
        }
        return pid_ != 0;
    }

    bool Exited() {
        if (pid_ != 0 && waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = 0;
        }
        return pid_ == 0;
    }

    // Reaped before returning, so the next Parlane finds UDP 138 free.
    void Kill() {
        if (pid_ != 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = 0;
        }
    }

    pid_t Pid() const { return pid_; }
    Clock::time_point Started() const { return start_; }

private:
    pid_t pid_ = 0;
    Clock::time_point start_;
};

std::string OutputTail(const Installation& installation) {
    QFile file(QString::fromStdString(installation.LogPath()));
    if (!file.open(QIODevice::ReadOnly)) {
        return "(no output)";
    }
    const QByteArray all = file.readAll();
    return all.isEmpty() ? "(no output)" : all.right(400).trimmed().toStdString();
}

class MapWatcher {
public:
    enum class Outcome { Mapped, Exited, TimedOut, Broken };

    std::optional<std::string> Connect() {
        conn_.reset(xcb_connect(nullptr, nullptr));
        if (xcb_connection_has_error(conn_.get()) != 0) {
            return "cannot connect to the X server on DISPLAY";
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_.get())).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(conn_.get(), root_, XCB_CW_EVENT_MASK, &mask);
        netWmName_ = Atom("_NET_WM_NAME");
        utf8String_ = Atom("UTF8_STRING");
        return std::nullopt;
    }

    // Windows of earlier runs must not be taken for the next one's.
    void Drain() {
        xcb_flush(conn_.get());
        while (xcb_generic_event_t* event = xcb_poll_for_event(conn_.get())) {
            std::free(event);
        }
    }

    Outcome WaitForMapped(const char* title, Child& child, Clock::time_point& when) {
        const auto deadline = child.Started() + kMapTimeout;
        const int fd = xcb_get_file_descriptor(conn_.get());
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(conn_.get())) {
                const auto seen = Clock::now();
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                const xcb_window_t window =
                    reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
                std::free(event);
                if (mapped && Shows(window, title)) {
                    when = seen;
                    return Outcome::Mapped;
                }
            }
            if (xcb_connection_has_error(conn_.get()) != 0) {
                return Outcome::Broken;
            }
            if (child.Exited()) {
                return Outcome::Exited;
            }
            if (Clock::now() > deadline) {
                return Outcome::TimedOut;
            }
            pollfd ready{fd, POLLIN, 0};
            poll(&ready, 1, 1);
        }
    }

private:
    struct Disconnect {
        void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
    };

    xcb_atom_t Atom(const char* name) {
        const auto cookie = xcb_intern_atom(conn_.get(), 0, std::strlen(name), name);
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(conn_.get(), cookie, nullptr), &std::free);
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    bool NameIs(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, const char* title) {
        const auto cookie = xcb_get_property(conn_.get(), 0, window, property, type, 0, 256);
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
            xcb_get_property_reply(conn_.get(), cookie, nullptr), &std::free);
        if (!reply) {
            return false;
        }
        const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply.get()));
        return length == std::strlen(title) &&
               std::memcmp(xcb_get_property_value(reply.get()), title, length) == 0;
    }

    bool Viewable(xcb_window_t window) {
        const auto cookie = xcb_get_window_attributes(conn_.get(), window);
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> reply(
            xcb_get_window_attributes_reply(conn_.get(), cookie, nullptr), &std::free);
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    bool Named(xcb_window_t window, const char* title) {
        return NameIs(window, netWmName_, utf8String_, title) ||
               NameIs(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, title);
    }

    // A reparenting window manager maps its nameless frame; the program's window is inside it.
    bool Shows(xcb_window_t window, const char* title) {
        if (Named(window, title)) {
            return Viewable(window);
        }
        const auto cookie = xcb_query_tree(conn_.get(), window);
        std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
            xcb_query_tree_reply(conn_.get(), cookie, nullptr), &std::free);
        if (!tree) {
            return false;
        }
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            if (Named(children[i], title)) {
                return Viewable(children[i]);
            }
        }
        return false;
    }

    std::unique_ptr<xcb_connection_t, Disconnect> conn_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_atom_t netWmName_ = XCB_ATOM_NONE;
    xcb_atom_t utf8String_ = XCB_ATOM_NONE;
};

// Bound as root, Parlane's listener would fail against another holder of the port and measure a
// different program; as an ordinary user it never gets the port anyway.
bool Udp138InUse() {
    for (const QString& table : {u"/proc/net/udp"_s, u"/proc/net/udp6"_s}) {
        QFile file(table);
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        // /proc files claim a size of 0, so QFile::atEnd() cannot be trusted on them.
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() > 1 && fields[1].endsWith(":008A")) {
                return true;
            }
        }
    }
    return false;
}

struct Run {
    Installation installation;
    MapWatcher watcher;
};

std::optional<std::string> SetUp(Which which, Run& run) {
    if (auto error = NoDisplay()) {
        return error;
    }
    if (auto error = run.installation.Prepare(which)) {
        return error;
    }
    return run.watcher.Connect();
}

// Starts the program and waits for its window; on failure says why.
std::optional<std::string> StartMapped(Which which, Run& run, Child& child,
                                       Clock::time_point& mapped) {
    if (which == Which::Parlane && Udp138InUse()) {
        return "UDP port 138 is in use by another process; stop it before measuring";
    }
    if (!run.installation.WriteSettings()) {
        return "cannot write Settings.ini";
    }
    run.watcher.Drain();
    if (!child.Start(run.installation)) {
        return "cannot start " + run.installation.Executable();
    }
    switch (run.watcher.WaitForMapped(TitleOf(which), child, mapped)) {
        case MapWatcher::Outcome::Mapped:
            return std::nullopt;
        case MapWatcher::Outcome::Exited:
            return std::string(TitleOf(which)) +
                   " exited before its window was mapped: " + OutputTail(run.installation);
        case MapWatcher::Outcome::TimedOut:
            return std::string(TitleOf(which)) +
                   " showed no window in time: " + OutputTail(run.installation);
        case MapWatcher::Outcome::Broken:
            break;
    }
    return "lost the connection to the X server";
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void BM_StartToMapped(benchmark::State& state, Which which) {
    Run run;
    std::optional<std::string> error = SetUp(which, run);
    // The first start pulls the shared libraries into the page cache; whichever program went
    // first would otherwise pay for both.
    if (!error) {
        Child warmUp;
        Clock::time_point mapped;
        error = StartMapped(which, run, warmUp, mapped);
    }
    if (error) {
        state.SkipWithError(error->c_str());
        return;
    }
    std::vector<double> taken;
    for (auto _ : state) {
        Child child;
        Clock::time_point mapped;
        if ((error = StartMapped(which, run, child, mapped))) {
            state.SkipWithError(error->c_str());
            break;
        }
        taken.push_back(Seconds(mapped - child.Started()));
        state.SetIterationTime(taken.back());
    }
    if (!error && !taken.empty()) {
        std::sort(taken.begin(), taken.end());
        const double meanMs = 1000 * std::accumulate(taken.begin(), taken.end(), 0.0) /
                              static_cast<double>(taken.size());
        // Others' load on a shared machine inflates the mean; the median shows whether it did.
        const double medianMs = 500 * (taken[(taken.size() - 1) / 2] + taken[taken.size() / 2]);
        FiguresOf(which).mappedMs = meanMs;
        FiguresOf(which).mappedMedianMs = medianMs;
        state.counters["mapped_ms"] = meanMs;
        state.counters["median_ms"] = medianMs;
        state.counters["fastest_ms"] = 1000 * taken.front();
    }
}
BENCHMARK_CAPTURE(BM_StartToMapped, bare_window, Which::Bare)
    ->Iterations(kLaunches)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartToMapped, parlane, Which::Parlane)
    ->Iterations(kLaunches)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

std::optional<double> RssMiB(pid_t pid) {
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            return fields.size() > 1 ? fields[1].toDouble() / 1024 : std::optional<double>();
        }
    }
    return std::nullopt;
}

std::optional<double> CpuSeconds(pid_t pid) {
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    // The command name may hold spaces, so fields are counted from its closing parenthesis.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) {
        return std::nullopt;
    }
    const double ticks = fields[11].toDouble() + fields[12].toDouble();
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void BM_Idle(benchmark::State& state, Which which) {
    Run run;
    if (auto error = SetUp(which, run)) {
        state.SkipWithError(error->c_str());
        return;
    }
    for (auto _ : state) {
        Child child;
        Clock::time_point mapped;
        if (auto error = StartMapped(which, run, child, mapped)) {
            state.SkipWithError(error->c_str());
            break;
        }
        std::this_thread::sleep_until(child.Started() + kSettle);
        const std::optional<double> rss = RssMiB(child.Pid());
        const std::optional<double> before = CpuSeconds(child.Pid());
        std::this_thread::sleep_until(child.Started() + kSettle + kIdle);
        const std::optional<double> after = CpuSeconds(child.Pid());
        if (child.Exited()) {
            const std::string error =
                std::string(TitleOf(which)) + " ended while idle: " + OutputTail(run.installation);
            state.SkipWithError(error.c_str());
            break;
        }
        if (!rss || !before || !after) {
            state.SkipWithError("cannot read VmRSS or CPU times from /proc");
            break;
        }
        FiguresOf(which).rssMiB = *rss;
        FiguresOf(which).idleCpuS = *after - *before;
        state.counters["rss_MiB"] = *rss;
        state.counters["idle_cpu_s"] = *after - *before;
    }
}
BENCHMARK_CAPTURE(BM_Idle, bare_window, Which::Bare)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_Idle, parlane, Which::Parlane)->Iterations(1)->Unit(benchmark::kSecond);

void BM_Summary(benchmark::State& state) {
    const Figures& p = parlaneFigures;
    const Figures& b = bareFigures;
    if (!p.mappedMs || !b.mappedMs || !p.rssMiB || !b.rssMiB || !p.idleCpuS) {
        state.SkipWithError("needs every benchmark above to have run without error");
        return;
    }
    const double mapped = *p.mappedMs / *b.mappedMs;
    const double rss = *p.rssMiB / *b.rssMiB;
    for (auto _ : state) {
    }
    state.counters["mapped_ratio"] = mapped;
    state.counters["median_ratio"] = *p.mappedMedianMs / *b.mappedMedianMs;
    state.counters["rss_ratio"] = rss;
    state.counters["parlane_idle_cpu_s"] = *p.idleCpuS;
    const auto verdict = [](bool met) { return met ? "met" : "MISSED"; };
    state.SetLabel(std::string("start ") + verdict(mapped <= 1.5) + " (<=1.5x), rss " +
                   verdict(rss <= 1.3) + " (<=1.3x), idle cpu " + verdict(*p.idleCpuS <= 0.1) +
                   " (<=0.1 s)");
}
BENCHMARK(BM_Summary)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
