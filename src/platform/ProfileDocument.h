#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace platform {

// One profile ("INI") file in memory, with the lookup rules of the Windows profile functions:
// section and key names compare without regard to case, blanks around names and values are
// trimmed, a value in one pair of quotes loses them, comment lines never match. Every line keeps
// its bytes, so a change touches only the lines it must and the rest of the file stays byte for
// byte. Text is Windows-1252, or UTF-8 when the file starts with a UTF-8 byte order mark; a
// file that must hold a character Windows-1252 lacks becomes UTF-8 as a whole.
class ProfileDocument {
public:
    static ProfileDocument Parse(const QByteArray& bytes);
    QByteArray Serialize() const;

    // The first section of that name decides; nothing when the section or key is absent.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    // Every key of the first section of that name, case-folded, with the value Value gives for
    // it, in no particular order.
    std::vector<std::pair<QString, QString>> Entries(const QString& section) const;

    // The Set and Remove routines answer whether the bytes changed. Text the file cannot hold
    // (line breaks, a key with "=") raises an error and changes nothing.
    bool SetValue(const QString& section, const QString& key, const QString& value);
    bool RemoveKey(const QString& section, const QString& key);
    // Every section of that name goes, so no stray copy survives below the first.
    bool RemoveSection(const QString& section);

private:
    struct Section {
        QByteArray header;  // empty for the lines before the first section
        QString name;       // case-folded
        std::vector<QByteArray> lines;
        QHash<QString, qsizetype> keys;  // case-folded key -> first line holding it
        void IndexKeys(bool utf8);
    };

    void WidenFor(const QString& text);
    QString DecodeText(QByteArrayView bytes) const;
    QByteArray EncodeText(const QString& text) const;
    Section* Find(const QString& folded);
    const Section* Find(const QString& folded) const;
    Section& AppendSection(const QString& name);
    void RebuildIndex();

    std::vector<Section> sections_;           // sections_[0] holds the lines before any header
    QHash<QString, qsizetype> sectionIndex_;  // case-folded name -> first section of that name
    bool utf8_ = false;
    QByteArray eol_ = "\r\n";
};

}  // namespace platform
