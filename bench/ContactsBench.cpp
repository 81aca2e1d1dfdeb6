#include "contacts/clsContact.h"
#include "contacts/modLoadContacts.h"
#include "contacts/modSaveContacts.h"
#include "controls/ContactTreeWidget.h"
#include "core/SharedState.h"
#include "platform/ProfileFile.h"

#include "WidgetBenchMain.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

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

void StartFresh(const QString& settings) {
    ResetSharedState();
    platform::ForgetCachedProfiles();
    Shared().AppName = u"Parlane"_s;
    Shared().FieldSeparator = u"|"_s;
    Shared().SettingsFile = settings;
}

// From the file on disk into the real tree widget, as at start-up.
void BM_LoadContacts(benchmark::State& state) {
    QTemporaryDir dir;
    const QString settings = MakeSettings(dir, int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        StartFresh(settings);
        auto tree = std::make_unique<QTreeWidget>();
        ContactTreeWidget contacts(*tree);
        state.ResumeTiming();
        modLoadContacts::LoadContacts(contacts);
        state.PauseTiming();
        tree.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadContacts)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// Both sections rewritten and the file replaced; one entry changes each time, as after an add.
void BM_SaveContacts(benchmark::State& state) {
    QTemporaryDir dir;
    StartFresh(MakeSettings(dir, int(state.range(0))));
    QTreeWidget tree;
    ContactTreeWidget contacts(tree);
    modLoadContacts::LoadContacts(contacts);
    QString& changing = Shared().UserContacts.Item(1)->Buffer;
    const QString original = changing;
    bool flip = false;
    for (auto _ : state) {
        changing = (flip = !flip) ? original + u'x' : original;
        modSaveContacts::SaveContacts();
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
