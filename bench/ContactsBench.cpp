#include "contacts/clsContact.h"
#include "contacts/modLoadContacts.h"
#include "contacts/modSaveContacts.h"
#include "controls/ContactTreeWidget.h"
#include "core/SharedState.h"
#include "platform/ProfileFile.h"
#include "support/SilentPrompts.h"

#include "WidgetBenchMain.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <map>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A settings file with n user contacts, as the program writes it.
QString MakeSettings(const QTemporaryDir& dir, int n) {
    QByteArray text = "[Users]\r\nTotal=" + QByteArray::number(n) + "\r\n";
    for (int i = 1; i <= n; ++i) {
        const QByteArray number = QByteArray::number(i);
        text +=
            "User[" + number + "]=NAME=Person " + number + "|ADDRESS=pc" + number + "|TYPE=0\r\n";
    }
    const QString path = dir.filePath(u"Settings.ini"_s);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(text);
    }
    return path;
}

SharedState StartFresh(const QString& settings) {
    platform::ForgetCachedProfiles();
    SharedState fresh;
    fresh.AppName = u"Parlane"_s;
    fresh.FieldSeparator = u"|"_s;
    fresh.SettingsFile = settings;
    return fresh;
}

// Resident memory of the process, in bytes.
double ResidentBytes() {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() * 1024;
        }
    }
    return 0;
}

// From the file on disk into the real tree widget, as at start-up; the memory the loaded list
// holds (parsed file, records, tree) is counted per contact on the first load of each size,
// before freed memory is there to be reused.
void BM_LoadContacts(benchmark::State& state) {
    QTemporaryDir dir;
    const QString settings = MakeSettings(dir, int(state.range(0)));
    static std::map<std::int64_t, double> firstLoad;
    double& perContact = firstLoad[state.range(0)];
    for (auto _ : state) {
        state.PauseTiming();
        SharedState loaded = StartFresh(settings);
        SilentPrompts warnings;
        auto tree = std::make_unique<QTreeWidget>();
        ContactTreeWidget contacts(*tree);
        const double before = ResidentBytes();
        state.ResumeTiming();
        modLoadContacts::LoadContacts(loaded, contacts, warnings);
        state.PauseTiming();
        if (perContact == 0) {
            perContact = (ResidentBytes() - before) / double(state.range(0));
        }
        tree.reset();
        state.ResumeTiming();
    }
    state.counters["rss_per_contact_bytes"] = perContact;
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadContacts)
    ->Arg(10000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// A Total as large as it can be, with a key at that number: loading reads only the keys there.
void BM_LoadContactsHugeTotal(benchmark::State& state) {
    QTemporaryDir dir;
    const QString settings = dir.filePath(u"Settings.ini"_s);
    QFile file(settings);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(
            "[Users]\r\nTotal=2147483647\r\nUser[2147483647]=NAME=Last|ADDRESS=pc99|TYPE=0\r\n");
        file.close();
    }
    for (auto _ : state) {
        state.PauseTiming();
        SharedState loaded = StartFresh(settings);
        SilentPrompts warnings;
        QTreeWidget tree;
        ContactTreeWidget contacts(tree);
        state.ResumeTiming();
        modLoadContacts::LoadContacts(loaded, contacts, warnings);
    }
}
BENCHMARK(BM_LoadContactsHugeTotal)->Unit(benchmark::kMillisecond);

// Both sections rewritten and the file replaced; one entry changes each time, as after an add.
void BM_SaveContacts(benchmark::State& state) {
    QTemporaryDir dir;
    SharedState loaded = StartFresh(MakeSettings(dir, int(state.range(0))));
    SilentPrompts warnings;
    QTreeWidget tree;
    ContactTreeWidget contacts(tree);
    modLoadContacts::LoadContacts(loaded, contacts, warnings);
    QString& changing = loaded.UserContacts.Item(1)->Entry;
    const QString original = changing;
    bool flip = false;
    for (auto _ : state) {
        changing = (flip = !flip) ? original + u'x' : original;
        modSaveContacts::SaveContacts(loaded);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SaveContacts)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

int main(int argc, char** argv) {
    return RunWidgetBenchmarks(argc, argv);
}
