// Parlane against a bare Qt window, started in turn on one X server: time from exec to the first
// window of the process mapped, resident memory once settled, and processor time while idle.
// Run by hand on an X server, e.g.
//   xvfb-run -a -s "-screen 0 1024x768x24" startup_bench
// With PARLANE_BASELINE naming another build's parlane (Skins/ and Data/ beside it), that build
// takes its turns too, so one run compares two builds. The summary carries the ratios.
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
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 21;
constexpr int kMemoryRounds = 3;
constexpr auto kSettle = 5s;
constexpr auto kIdle = 60s;
// Far beyond any sane start, short enough that a hung program does not stall the run for long.
constexpr auto kMapTimeout = 30s;

// What takes turns: the bare window, then Parlane with a contact list of each size.
struct Program {
    std::string name;
    QString executable;  // empty for the bare window
    int contacts = 0;
};

std::vector<Program> Programs() {
    std::vector<Program> programs{{"bare", {}, 0}};
    const auto add = [&](const std::string& build, const QString& exe) {
        for (const int contacts : {0, 1000, 10000}) {
            programs.push_back({build + std::to_string(contacts), exe, contacts});
        }
    };
    add("parlane_", QString::fromUtf8(PARLANE_EXE));
    if (const char* baseline = std::getenv("PARLANE_BASELINE"); baseline && *baseline) {
        add("baseline_", QString::fromLocal8Bit(baseline));
    }
    return programs;
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

QByteArray SettingsWithContacts(int contacts) {
    QByteArray ini =
        "[Contact List - Interface]\r\n"
        "Display Splash=0\r\n"
        "Minimise On Startup=0\r\n"
        "[Users]\r\n"
        "Total=" +
        QByteArray::number(contacts) + "\r\n";
    for (int i = 1; i <= contacts; ++i) {
        const QByteArray n = QByteArray::number(i);
        ini += "User[" + n + "]=NAME=Person " + n + "|ADDRESS=pc" + n.rightJustified(5, '0') +
               "|TYPE=0\r\n";
    }
    return ini;
}

// Parlane finds its settings beside its executable, so each program gets a private copy; the
// temporary directory also takes its lock file and output.
class Installation {
public:
    std::optional<std::string> Prepare(const Program& program) {
        if (!dir_.isValid()) {
            return "cannot make a temporary directory";
        }
        const QString built =
            program.executable.isEmpty() ? QString::fromUtf8(BARE_EXE) : program.executable;
        if (!QFileInfo(built).isExecutable()) {
            return "not built: " + built.toStdString();
        }
        if (program.executable.isEmpty()) {
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
        settings_ = SettingsWithContacts(program.contacts);
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

// Sees every window mapped on the screen and tells when one of the started process's is.
class MapWatcher {
public:
    enum class Outcome { Mapped, Exited, TimedOut, Broken };

    std::optional<std::string> Connect() {
        conn_.reset(xcb_connect(nullptr, nullptr));
        if (xcb_connection_has_error(conn_.get()) != 0) {
            return "cannot connect to the X server on DISPLAY";
        }
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn_.get())).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(conn_.get(), root, XCB_CW_EVENT_MASK, &mask);
        const char* name = "_NET_WM_PID";
        const auto cookie = xcb_intern_atom(conn_.get(), 0, std::strlen(name), name);
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(conn_.get(), cookie, nullptr), &std::free);
        netWmPid_ = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        return std::nullopt;
    }

    // Windows of earlier runs must not be taken for the next one's.
    void Drain() {
        xcb_flush(conn_.get());
        while (xcb_generic_event_t* event = xcb_poll_for_event(conn_.get())) {
            std::free(event);
        }
    }

    Outcome WaitForMapped(Child& child, Clock::time_point& when) {
        const auto deadline = child.Started() + kMapTimeout;
        const int fd = xcb_get_file_descriptor(conn_.get());
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(conn_.get())) {
                const auto seen = Clock::now();
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                const xcb_window_t window =
                    reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
                std::free(event);
                if (mapped && Belongs(window, child.Pid())) {
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

    bool OwnedBy(xcb_window_t window, pid_t pid) {
        const auto cookie =
            xcb_get_property(conn_.get(), 0, window, netWmPid_, XCB_ATOM_CARDINAL, 0, 1);
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
            xcb_get_property_reply(conn_.get(), cookie, nullptr), &std::free);
        return reply && xcb_get_property_value_length(reply.get()) == 4 &&
               *static_cast<const uint32_t*>(xcb_get_property_value(reply.get())) ==
                   static_cast<uint32_t>(pid);
    }

    // A reparenting window manager maps its own frame; the program's window is inside it.
    bool Belongs(xcb_window_t window, pid_t pid) {
        if (OwnedBy(window, pid)) {
            return true;
        }
        const auto cookie = xcb_query_tree(conn_.get(), window);
        std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
            xcb_query_tree_reply(conn_.get(), cookie, nullptr), &std::free);
        if (!tree) {
            return false;
        }
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        return std::any_of(children, children + xcb_query_tree_children_length(tree.get()),
                           [&](xcb_window_t c) { return OwnedBy(c, pid); });
    }

    std::unique_ptr<xcb_connection_t, Disconnect> conn_;
    xcb_atom_t netWmPid_ = XCB_ATOM_NONE;
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

struct Contender {
    Program program;
    Installation installation;
};

struct Bench {
    std::vector<std::unique_ptr<Contender>> contenders;
    MapWatcher watcher;
    std::map<std::string, std::vector<double>> mappedMs;
    std::map<std::string, double> rssMiB;
    std::optional<double> idleCpuS;
};

std::optional<std::string> SetUp(Bench& bench) {
    if (auto error = NoDisplay()) {
        return error;
    }
    for (const Program& program : Programs()) {
        auto contender = std::make_unique<Contender>();
        contender->program = program;
        if (auto error = contender->installation.Prepare(program)) {
            return error;
        }
        bench.contenders.push_back(std::move(contender));
    }
    return bench.watcher.Connect();
}

// Starts the program and waits for its first window; on failure says why.
std::optional<std::string> StartMapped(Bench& bench, const Contender& contender, Child& child,
                                       Clock::time_point& mapped) {
    const std::string& name = contender.program.name;
    if (!contender.program.executable.isEmpty() && Udp138InUse()) {
        return "UDP port 138 is in use by another process; stop it before measuring";
    }
    if (!contender.installation.WriteSettings()) {
        return "cannot write Settings.ini";
    }
    bench.watcher.Drain();
    if (!child.Start(contender.installation)) {
        return "cannot start " + contender.installation.Executable();
    }
    switch (bench.watcher.WaitForMapped(child, mapped)) {
        case MapWatcher::Outcome::Mapped:
            return std::nullopt;
        case MapWatcher::Outcome::Exited:
            return name +
                   " exited before its window was mapped: " + OutputTail(contender.installation);
        case MapWatcher::Outcome::TimedOut:
            return name + " showed no window in time: " + OutputTail(contender.installation);
        case MapWatcher::Outcome::Broken:
            break;
    }
    return "lost the connection to the X server";
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : (values[(n - 1) / 2] + values[n / 2]) / 2;
}

Bench& TheBench() {
    static Bench bench;
    return bench;
}

std::optional<std::string> error;

// Every program once per round, in turn, so a busy moment of the machine falls on all alike. The
// first round only pulls the libraries into the page cache.
void BM_StartToMapped(benchmark::State& state) {
    Bench& bench = TheBench();
    if (!error) {
        error = SetUp(bench);
    }
    for (auto _ : state) {
        for (int round = 0; round <= kRounds && !error; ++round) {
            for (const auto& contender : bench.contenders) {
                Child child;
                Clock::time_point mapped;
                if ((error = StartMapped(bench, *contender, child, mapped))) {
                    break;
                }
                if (round > 0) {
                    bench.mappedMs[contender->program.name].push_back(
                        std::chrono::duration<double, std::milli>(mapped - child.Started())
                            .count());
                }
            }
        }
    }
    if (error) {
        state.SkipWithError(error->c_str());
        return;
    }
    for (const auto& [name, taken] : bench.mappedMs) {
        state.counters[name + "_ms"] = Median(taken);
    }
}
BENCHMARK(BM_StartToMapped)->Iterations(1)->Unit(benchmark::kSecond);

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

// Resident memory once the program has settled, the median of a few starts taken in turn.
void BM_SettledMemory(benchmark::State& state) {
    Bench& bench = TheBench();
    std::map<std::string, std::vector<double>> taken;
    for (auto _ : state) {
        for (int round = 0; round < kMemoryRounds && !error; ++round) {
            for (const auto& contender : bench.contenders) {
                Child child;
                Clock::time_point mapped;
                if ((error = StartMapped(bench, *contender, child, mapped))) {
                    break;
                }
                std::this_thread::sleep_until(child.Started() + kSettle);
                if (const auto rss = RssMiB(child.Pid())) {
                    taken[contender->program.name].push_back(*rss);
                } else {
                    error = "cannot read VmRSS from /proc";
                }
            }
        }
    }
    if (error) {
        state.SkipWithError(error->c_str());
        return;
    }
    for (const auto& [name, values] : taken) {
        bench.rssMiB[name] = Median(values);
        state.counters[name + "_MiB"] = bench.rssMiB[name];
    }
}
BENCHMARK(BM_SettledMemory)->Iterations(1)->Unit(benchmark::kSecond);

// Processor time of Parlane with 1,000 contacts over a minute of doing nothing.
void BM_Idle(benchmark::State& state) {
    Bench& bench = TheBench();
    for (auto _ : state) {
        const auto it =
            std::find_if(bench.contenders.begin(), bench.contenders.end(),
                         [](const auto& c) { return c->program.name == "parlane_1000"; });
        if (error || it == bench.contenders.end()) {
            break;
        }
        Child child;
        Clock::time_point mapped;
        if ((error = StartMapped(bench, **it, child, mapped))) {
            break;
        }
        std::this_thread::sleep_until(child.Started() + kSettle);
        const std::optional<double> before = CpuSeconds(child.Pid());
        std::this_thread::sleep_until(child.Started() + kSettle + kIdle);
        const std::optional<double> after = CpuSeconds(child.Pid());
        if (child.Exited()) {
            error = "parlane ended while idle: " + OutputTail((*it)->installation);
        } else if (!before || !after) {
            error = "cannot read CPU times from /proc";
        } else {
            bench.idleCpuS = *after - *before;
            state.counters["idle_cpu_s"] = *bench.idleCpuS;
        }
    }
    if (error) {
        state.SkipWithError(error->c_str());
    }
}
BENCHMARK(BM_Idle)->Iterations(1)->Unit(benchmark::kSecond);

void BM_Summary(benchmark::State& state) {
    const Bench& bench = TheBench();
    for (auto _ : state) {
    }
    if (error || !bench.idleCpuS || !bench.mappedMs.contains("bare")) {
        state.SkipWithError("needs every benchmark above to have run without error");
        return;
    }
    const double bareMs = Median(bench.mappedMs.at("bare"));
    const double bareMiB = bench.rssMiB.at("bare");
    const auto verdict = [](bool met) { return met ? "met" : "MISSED"; };
    std::printf("\n%-16s %12s %8s %12s %8s\n", "", "mapped (ms)", "ratio", "RSS (MiB)", "ratio");
    for (const auto& contender : bench.contenders) {
        const std::string& name = contender->program.name;
        const double ms = Median(bench.mappedMs.at(name));
        const double mib = bench.rssMiB.at(name);
        std::printf("%-16s %12.1f %7.2fx %12.1f %7.2fx\n", name.c_str(), ms, ms / bareMs, mib,
                    mib / bareMiB);
        if (name != "bare") {
            state.counters[name + "_start_ratio"] = ms / bareMs;
            state.counters[name + "_rss_ratio"] = mib / bareMiB;
        }
    }
    const double start1000 = Median(bench.mappedMs.at("parlane_1000")) / bareMs;
    const double start10000 = Median(bench.mappedMs.at("parlane_10000")) / bareMs;
    const double rss1000 = bench.rssMiB.at("parlane_1000") / bareMiB;
    state.SetLabel(std::string("1,000: start ") + verdict(start1000 <= 1.5) + " (<=1.5x), rss " +
                   verdict(rss1000 <= 1.3) + " (<=1.3x); 10,000: start " +
                   verdict(start10000 <= 2.5) + " (<=2.5x); idle cpu " +
                   verdict(*bench.idleCpuS <= 0.1) + " (<=0.1 s)");
}
BENCHMARK(BM_Summary)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
