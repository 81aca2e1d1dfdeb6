#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

// The profile-file routines Settings.ini is read and written through, with the Windows semantics
// (see ProfileDocument) and these differences: a change reaches the disk by replacing the file
// atomically, a failed write raises an error, a file is parsed once and parsed again only when it
// changed on disk (another running copy wrote it), and a batch writes many changes at once.
namespace platform {

inline constexpr qsizetype kProfileBufferChars = 60000;

// The value, or the default when the file, section or key is absent or the file is unreadable;
// cut to bufferChars - 1 characters as a buffer of that size would cut it.
QString GetPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultValue, const QString& file,
                                qsizetype bufferChars = kProfileBufferChars);

// Every key of a section, case-folded, with its value cut as GetPrivateProfileString cuts it, in
// no particular order; none when the file or section is absent. One call reads a whole list.
std::vector<std::pair<QString, QString>> GetPrivateProfileSection(const QString& section,
                                                                  const QString& file);

// No key removes the whole section, no value removes the key. Raises RuntimeError when the file
// cannot be read or written or the text cannot be stored; nothing is changed then.
void WritePrivateProfileString(const QString& section, const std::optional<QString>& key,
                               const std::optional<QString>& value, const QString& file);

// While a batch of a file lives, writes to that file change it in memory only; Commit writes them
// in one replacement of the file, or nothing when no byte changed. A batch that ends without
// Commit (an error escaped) discards its writes. Batches of one file nest: the outermost one
// writes, and its Commit raises an error when a nested batch was abandoned.
class ProfileBatch {
public:
    explicit ProfileBatch(QString file);
    ~ProfileBatch();
    ProfileBatch(const ProfileBatch&) = delete;
    ProfileBatch& operator=(const ProfileBatch&) = delete;

    void Commit();

private:
    QString file_;
    bool committed_ = false;
};

// While a snapshot of a file lives, reads of it see the file as it was when the snapshot began,
// without asking the disk again at every read: for a routine that reads many keys at once.
class ProfileSnapshot {
public:
    explicit ProfileSnapshot(QString file);
    ~ProfileSnapshot();
    ProfileSnapshot(const ProfileSnapshot&) = delete;
    ProfileSnapshot& operator=(const ProfileSnapshot&) = delete;

private:
    QString file_;
};

// The work of reading and parsing the file, to be run once on any thread; the file's first use
// waits for it and takes what it read, unless the file changed in between. For a file the
// program reads first thing at start.
std::function<void()> ReadProfileAhead(const QString& file);

// What keeps a settings file from being used, for the user; empty when it is a regular file or
// absent. Anything else (a directory, a pipe, a device) is never opened, read as empty, and every
// write to it fails.
QString ProfileFileProblem(const QString& file);

// Drops what is cached of every file, as a newly started process would have it.
void ForgetCachedProfiles();

}  // namespace platform
