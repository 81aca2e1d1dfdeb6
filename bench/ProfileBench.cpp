// Settings.ini with many contacts: reading Total and every User[i] key as contact loading does,
// and writing them all back in one batch as contact saving does. The "EveryCall" variants parse
// or write the file once per key, for comparison.
#include "core/modINI.h"
#include "platform/ProfileDocument.h"
#include "platform/ProfileFile.h"

#include <benchmark/benchmark.h>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

QString UserKey(int i) {
    return u"User["_s + QString::number(i) + u']';
}
QString Entry(int i) {
    return u"NAME=Contact "_s + QString::number(i) + u"|ADDRESS=pc"_s + QString::number(i) +
           u"|TYPE=0"_s;
}

// A settings file with n contacts, made once per size.
QString ContactsFile(QTemporaryDir& dir, int n) {
    const QString path = dir.filePath(u"Settings"_s + QString::number(n) + u".ini"_s);
    if (!QFile::exists(path)) {
        platform::ProfileBatch batch(path);
        modINI::WriteINI(u"Skinning"_s, u"Enable"_s, u"1"_s, path);
        modINI::WriteINI(u"Users"_s, u"Total"_s, QString::number(n), path);
        for (int i = 1; i <= n; ++i) {
            modINI::WriteINI(u"Users"_s, UserKey(i), Entry(i), path);
        }
        batch.Commit();
    }
    return path;
}

QTemporaryDir& Dir() {
    static QTemporaryDir dir;
    return dir;
}

void ReadContacts(benchmark::State& state) {
    const int n = int(state.range(0));
    const QString path = ContactsFile(Dir(), n);
    for (auto _ : state) {
        platform::ForgetCachedProfiles();  // as at start-up: nothing parsed yet
        const int total = modINI::ReadINI(u"Users"_s, u"Total"_s, u"0"_s, path).toInt();
        for (int i = 0; i <= total; ++i) {
            benchmark::DoNotOptimize(modINI::ReadINI(u"Users"_s, UserKey(i), {}, path));
        }
    }
    state.SetItemsProcessed(state.iterations() * (n + 1));
}

// What reading costs when every call reads and parses the whole file again.
void ReadContactsParsingEveryCall(benchmark::State& state) {
    const int n = int(state.range(0));
    const QString path = ContactsFile(Dir(), n);
    const auto read = [&](const QString& key) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return platform::ProfileDocument::Parse(f.readAll())
            .Value(u"Users"_s, key)
            .value_or(QString());
    };
    for (auto _ : state) {
        const int total = read(u"Total"_s).toInt();
        for (int i = 0; i <= total; ++i) {
            benchmark::DoNotOptimize(read(UserKey(i)));
        }
    }
    state.SetItemsProcessed(state.iterations() * (n + 1));
}

void WriteContactsInOneBatch(benchmark::State& state) {
    const int n = int(state.range(0));
    const QString path = ContactsFile(Dir(), n);
    for (auto _ : state) {
        platform::ProfileBatch batch(path);
        modINI::DeleteINISection(path, u"Users"_s);
        modINI::WriteINI(u"Users"_s, u"Total"_s, QString::number(n), path);
        for (int i = 1; i <= n; ++i) {
            modINI::WriteINI(u"Users"_s, UserKey(i), Entry(i), path);
        }
        batch.Commit();
    }
    state.SetItemsProcessed(state.iterations() * (n + 1));
}

// The same without a batch: one replacement of the file per key.
void WriteContactsEveryCall(benchmark::State& state) {
    const int n = int(state.range(0));
    const QString path = ContactsFile(Dir(), n);
    for (auto _ : state) {
        modINI::DeleteINISection(path, u"Users"_s);
        modINI::WriteINI(u"Users"_s, u"Total"_s, QString::number(n), path);
        for (int i = 1; i <= n; ++i) {
            modINI::WriteINI(u"Users"_s, UserKey(i), Entry(i), path);
        }
    }
    state.SetItemsProcessed(state.iterations() * (n + 1));
}

BENCHMARK(ReadContacts)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadContactsParsingEveryCall)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteContactsInOneBatch)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteContactsEveryCall)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
