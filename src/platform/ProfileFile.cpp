#include "platform/ProfileFile.h"

#include "platform/ProfileDocument.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

using namespace Qt::StringLiterals;

namespace platform {
namespace {

// What tells a file changed on disk: a replacement gets a new inode, an edit in place a new size
// or time.
struct FileStamp {
    bool exists = false;
    bool regular = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileStamp& o) const {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

FileStamp StampOf(const QString& file) {
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) != 0) {
        return {};
    }
    return {true, S_ISREG(st.st_mode), st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

using Change = std::function<bool(ProfileDocument&)>;

// The file as it was read, with the stamp taken before its bytes were.
struct ReadFile {
    ProfileDocument doc;
    FileStamp stamp;
    bool readable = true;
};

ReadFile Read(const QString& file) {
    ReadFile read;
    read.stamp = StampOf(file);
    if (!read.stamp.exists) {
        return read;
    }
    // A pipe would block the open until a writer came, and a device is nobody's settings.
    QFile f(file);
    if (!read.stamp.regular || !f.open(QIODevice::ReadOnly)) {
        read.readable = false;
        return read;
    }
    read.doc = ProfileDocument::Parse(f.readAll());
    return read;
}

struct CachedFile {
    ProfileDocument doc;
    FileStamp stamp;
    bool loaded = false;
    bool readable = true;
    std::future<ReadFile> preload;
    int batchDepth = 0;
    int snapshotDepth = 0;
    bool batchDiscarded = false;
    bool batchChanged = false;
    FileStamp batchBase;
    std::vector<Change> pending;
};

std::unordered_map<QString, std::unique_ptr<CachedFile>>& Cache() {
    static std::unordered_map<QString, std::unique_ptr<CachedFile>> cache;
    return cache;
}

CachedFile& Cached(const QString& file) {
    auto& slot = Cache()[file];
    if (!slot) {
        slot = std::make_unique<CachedFile>();
    }
    return *slot;
}

[[noreturn]] void FailWrite(const QString& file, const QString& why) {
    throw RuntimeError(err::FileAccess, u"WritePrivateProfileString"_s,
                       u"Couldn't write the settings file "_s + file + u": "_s + why);
}

// Parses the file again when it changed since it was last parsed. The stamp is taken before the
// bytes are read, so a change in between shows up as a changed stamp next time.
void Refresh(CachedFile& c, const QString& file) {
    const FileStamp now = StampOf(file);
    if (c.loaded && now == c.stamp) {
        return;
    }
    // What was read ahead counts while the file is still as it was then.
    std::optional<ReadFile> read;
    if (c.preload.valid()) {
        read = c.preload.get();
    }
    if (!read || !(read->stamp == now)) {
        read = Read(file);
    }
    c.doc = std::move(read->doc);
    c.stamp = read->stamp;
    c.readable = read->readable;
    c.loaded = true;
}

// A file that exists but cannot be read would be replaced by one holding only the new keys.
void RefreshForWrite(CachedFile& c, const QString& file) {
    Refresh(c, file);
    if (!c.readable) {
        c.loaded = false;
        FailWrite(file, c.stamp.regular
                            ? u"the file exists but cannot be read, so it is left as it is."_s
                            : u"it is not a regular file, so nothing is written there."_s);
    }
}

void WriteAtomically(const QString& file, const QByteArray& bytes) {
    // A per-user settings directory comes into being with its first file.
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        FailWrite(file, out.errorString());
    }
    if (out.write(bytes) != bytes.size()) {
        const QString why = out.errorString();
        out.cancelWriting();
        FailWrite(file, why);
    }
    if (!out.commit()) {
        FailWrite(file, out.errorString());
    }
}

// Writes the document and remembers the new stamp; on failure forgets the document, so the next
// read shows what the disk holds rather than the change that was not saved.
void Store(CachedFile& c, const QString& file) {
    try {
        WriteAtomically(file, c.doc.Serialize());
    } catch (...) {
        c.loaded = false;
        throw;
    }
    c.stamp = StampOf(file);
}

// A change that raises an error (text the file cannot hold) has changed nothing. One that
// changes no byte writes nothing.
void Apply(const QString& file, const Change& change) {
    CachedFile& c = Cached(file);
    if (c.batchDepth > 0) {
        c.batchChanged = change(c.doc) || c.batchChanged;
        c.pending.push_back(change);
        return;
    }
    RefreshForWrite(c, file);
    if (change(c.doc)) {
        Store(c, file);
    }
}

}  // namespace

std::function<void()> ReadProfileAhead(const QString& file) {
    CachedFile& c = Cached(file);
    if (c.loaded || c.preload.valid()) {
        return [] {};
    }
    auto read = std::make_shared<std::packaged_task<ReadFile()>>([file] { return Read(file); });
    c.preload = read->get_future();
    return [read] { (*read)(); };
}

QString GetPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultValue, const QString& file,
                                qsizetype bufferChars) {
    CachedFile& c = Cached(file);
    if (c.batchDepth == 0 && c.snapshotDepth == 0) {
        Refresh(c, file);
    }
    QString value = c.doc.Value(section, key).value_or(defaultValue);
    if (bufferChars <= 0) {
        return {};
    }
    value.truncate(bufferChars - 1);
    return value;
}

std::vector<std::pair<QString, QString>> GetPrivateProfileSection(const QString& section,
                                                                  const QString& file) {
    CachedFile& c = Cached(file);
    if (c.batchDepth == 0 && c.snapshotDepth == 0) {
        Refresh(c, file);
    }
    auto entries = c.doc.Entries(section);
    for (auto& entry : entries) {
        entry.second.truncate(kProfileBufferChars - 1);
    }
    return entries;
}

void WritePrivateProfileString(const QString& section, const std::optional<QString>& key,
                               const std::optional<QString>& value, const QString& file) {
    if (!key) {
        Apply(file, [section](ProfileDocument& d) { return d.RemoveSection(section); });
    } else if (!value) {
        Apply(file, [section, k = *key](ProfileDocument& d) { return d.RemoveKey(section, k); });
    } else {
        Apply(file, [section, k = *key, v = *value](ProfileDocument& d) {
            return d.SetValue(section, k, v);
        });
    }
}

ProfileBatch::ProfileBatch(QString file) : file_(std::move(file)) {
    CachedFile& c = Cached(file_);
    if (c.batchDepth == 0) {
        RefreshForWrite(c, file_);
        c.batchBase = c.stamp;
        c.batchDiscarded = false;
        c.batchChanged = false;
        c.pending.clear();
    }
    ++c.batchDepth;
}

// An outermost batch that was not committed, or whose commit failed, forgets its changes, so
// reads show the file as it is on disk.
ProfileBatch::~ProfileBatch() {
    CachedFile& c = Cached(file_);
    if (!committed_) {
        c.batchDiscarded = true;
    }
    if (--c.batchDepth == 0 && c.batchDiscarded) {
        c.pending.clear();
        c.loaded = false;
    }
}

void ProfileBatch::Commit() {
    CachedFile& c = Cached(file_);
    if (c.batchDiscarded) {
        throw RuntimeError(err::FileAccess, u"WritePrivateProfileString"_s,
                           u"The changes to the settings file "_s + file_ +
                               u" were abandoned after an error and are not written."_s);
    }
    if (c.batchDepth > 1) {
        committed_ = true;
        return;
    }
    if (!c.batchChanged) {
        c.pending.clear();
        committed_ = true;
        return;
    }
    // Another copy wrote the file while the batch was open: keep its keys, put ours on top.
    if (!(StampOf(file_) == c.batchBase)) {
        c.loaded = false;
        RefreshForWrite(c, file_);
        for (const Change& change : c.pending) {
            change(c.doc);
        }
    }
    Store(c, file_);
    c.pending.clear();
    committed_ = true;
}

ProfileSnapshot::ProfileSnapshot(QString file) : file_(std::move(file)) {
    CachedFile& c = Cached(file_);
    if (c.batchDepth == 0 && c.snapshotDepth == 0) {
        Refresh(c, file_);
    }
    ++c.snapshotDepth;
}

ProfileSnapshot::~ProfileSnapshot() {
    --Cached(file_).snapshotDepth;
}

QString ProfileFileProblem(const QString& file) {
    const FileStamp stamp = StampOf(file);
    if (!stamp.exists || stamp.regular) {
        return {};
    }
    return u"The settings file "_s + file +
           u" is not a regular file. Parlane starts with its default settings and saves "
           u"nothing there."_s;
}

void ForgetCachedProfiles() {
    for (auto& [file, c] : Cache()) {
        if (c->batchDepth == 0) {
            c->loaded = false;
        }
    }
}

}  // namespace platform
