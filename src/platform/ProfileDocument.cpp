#include "platform/ProfileDocument.h"

#include "platform/RuntimeError.h"
#include "platform/Windows1252.h"

using namespace Qt::StringLiterals;

namespace platform {
namespace {

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

// The first line of a name decides, as the lookups of the Windows functions do.
void InsertFirst(QHash<QString, qsizetype>& hash, const QString& key, qsizetype value) {
    if (!hash.contains(key)) {
        hash.insert(key, value);
    }
}

// The blanks trimmed around names and values, on the file's side and on the caller's alike.
bool IsBlank(char16_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QString TrimBlanks(QStringView s) {
    while (!s.isEmpty() && IsBlank(s.front().unicode())) {
        s = s.sliced(1);
    }
    while (!s.isEmpty() && IsBlank(s.back().unicode())) {
        s.chop(1);
    }
    return s.toString();
}

QByteArrayView Trim(QByteArrayView s) {
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && IsBlank(s[b])) {
        ++b;
    }
    while (e > b && IsBlank(s[e - 1])) {
        --e;
    }
    return s.sliced(b, e - b);
}

QByteArrayView WithoutTerminator(QByteArrayView line) {
    if (line.endsWith('\n')) {
        line.chop(1);
    }
    return line;
}

QByteArrayView TerminatorOf(QByteArrayView line) {
    if (line.endsWith("\r\n")) {
        return "\r\n";
    }
    if (line.endsWith('\n')) {
        return "\n";
    }
    return {};
}

enum class Kind { Other, Header, Key };

struct Classified {
    Kind kind = Kind::Other;
    QByteArrayView name;   // section or key name, trimmed
    QByteArrayView value;  // key value, trimmed, quotes kept
};

Classified Classify(QByteArrayView rawLine) {
    const QByteArrayView line = Trim(WithoutTerminator(rawLine));
    if (line.isEmpty() || line[0] == ';') {
        return {};
    }
    if (line[0] == '[') {
        const qsizetype close = line.indexOf(']');
        if (close < 0) {
            return {};
        }
        return {Kind::Header, Trim(line.sliced(1, close - 1)), {}};
    }
    const qsizetype eq = line.indexOf('=');
    const QByteArrayView name = Trim(eq < 0 ? line : line.first(eq));
    if (name.isEmpty()) {
        return {};
    }
    return {Kind::Key, name, eq < 0 ? QByteArrayView() : Trim(line.sliced(eq + 1))};
}

QByteArrayView Unquoted(QByteArrayView value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.sliced(1, value.size() - 2);
    }
    return value;
}

// Names compare case-folded. Nearly every name is ASCII, folded here without Unicode tables.
QString FoldAscii(QString text) {
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z') {
            c = QChar(c.unicode() + 0x20);
        }
    }
    return text;
}

bool IsAscii(QStringView text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            return false;
        }
    }
    return true;
}

QString Fold(QStringView name) {
    QString trimmed = TrimBlanks(name);
    return IsAscii(trimmed) ? FoldAscii(std::move(trimmed)) : trimmed.toCaseFolded();
}

QString FoldBytes(QByteArrayView name, bool utf8) {
    for (const char b : name) {
        if (static_cast<unsigned char>(b) >= 0x80) {
            return (utf8 ? QString::fromUtf8(name) : Windows1252::Decode(name)).toCaseFolded();
        }
    }
    return FoldAscii(QString::fromLatin1(name));
}

bool IsLastLineBlank(const std::vector<QByteArray>& lines) {
    return !lines.empty() && Trim(WithoutTerminator(lines.back())).isEmpty();
}

[[noreturn]] void Refuse(const QString& description) {
    throw RuntimeError(err::InvalidArgument, u"WritePrivateProfileString"_s, description);
}

void CheckNoLineBreak(const QString& text, const char* what) {
    if (text.contains(u'\n') || text.contains(u'\r') || text.contains(QChar(0))) {
        Refuse(u"The settings file cannot hold a line break or a zero character in a "_s +
               QLatin1StringView(what) + u'.');
    }
}

void CheckSectionName(const QString& section) {
    CheckNoLineBreak(section, "section name");
    if (TrimBlanks(section).isEmpty() || section.contains(u']')) {
        Refuse(u"\""_s + section + u"\" cannot be a section name of the settings file."_s);
    }
}

void CheckKeyName(const QString& key) {
    CheckNoLineBreak(key, "key name");
    const QString trimmed = TrimBlanks(key);
    if (trimmed.isEmpty() || trimmed.contains(u'=') || trimmed.startsWith(u'[') ||
        trimmed.startsWith(u';')) {
        Refuse(u"\""_s + key + u"\" cannot be a key name of the settings file."_s);
    }
}

}  // namespace

void ProfileDocument::Section::IndexKeys(bool utf8) {
    keys.clear();
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const Classified c = Classify(lines[i]);
        if (c.kind == Kind::Key) {
            InsertFirst(keys, FoldBytes(c.name, utf8), i);
        }
    }
}

ProfileDocument ProfileDocument::Parse(const QByteArray& bytes) {
    ProfileDocument doc;
    doc.utf8_ = bytes.startsWith(kUtf8Bom);
    doc.sections_.emplace_back();
    const qsizetype firstBreak = bytes.indexOf('\n');
    if (firstBreak > 0 && bytes[firstBreak - 1] != '\r') {
        doc.eol_ = "\n";
    }

    // Keys of the section being read, indexed once its size is known: growing the index line
    // by line costs more than the rest of the parse.
    std::vector<std::pair<QString, qsizetype>> keys;
    const auto finishSection = [&] {
        QHash<QString, qsizetype>& index = doc.sections_.back().keys;
        index.reserve(qsizetype(keys.size()));
        for (auto& [name, line] : keys) {
            InsertFirst(index, name, line);
        }
        keys.clear();
    };

    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', pos);
        const qsizetype end = nl < 0 ? bytes.size() : nl + 1;
        // The mark belongs to the file, not to its first line, which a change may remove.
        const qsizetype from = pos == 0 && doc.utf8_ ? kUtf8Bom.size() : pos;
        QByteArray raw = bytes.sliced(from, end - from);
        const Classified c = Classify(raw);
        if (c.kind == Kind::Header) {
            finishSection();
            Section next;
            next.header = std::move(raw);
            next.name = FoldBytes(c.name, doc.utf8_);
            doc.sections_.push_back(std::move(next));
        } else {
            Section& current = doc.sections_.back();
            if (c.kind == Kind::Key) {
                keys.emplace_back(FoldBytes(c.name, doc.utf8_), qsizetype(current.lines.size()));
            }
            current.lines.push_back(std::move(raw));
        }
        pos = end;
    }
    finishSection();
    doc.RebuildIndex();
    return doc;
}

QByteArray ProfileDocument::Serialize() const {
    qsizetype size = 0;
    for (const Section& s : sections_) {
        size += s.header.size();
        for (const QByteArray& line : s.lines) {
            size += line.size();
        }
    }
    QByteArray out;
    out.reserve(size + kUtf8Bom.size());
    if (utf8_) {
        out += kUtf8Bom;
    }
    for (const Section& s : sections_) {
        out += s.header;
        for (const QByteArray& line : s.lines) {
            out += line;
        }
    }
    return out;
}

std::optional<QString> ProfileDocument::Value(const QString& section, const QString& key) const {
    const Section* s = Find(Fold(section));
    if (!s) {
        return std::nullopt;
    }
    const auto it = s->keys.constFind(Fold(key));
    if (it == s->keys.cend()) {
        return std::nullopt;
    }
    return DecodeText(Unquoted(Classify(s->lines[*it]).value));
}

std::vector<std::pair<QString, QString>> ProfileDocument::Entries(const QString& section) const {
    std::vector<std::pair<QString, QString>> entries;
    if (const Section* s = Find(Fold(section))) {
        entries.reserve(std::size_t(s->keys.size()));
        for (auto it = s->keys.cbegin(); it != s->keys.cend(); ++it) {
            entries.emplace_back(it.key(), DecodeText(Unquoted(Classify(s->lines[*it]).value)));
        }
    }
    return entries;
}

bool ProfileDocument::SetValue(const QString& section, const QString& key, const QString& value) {
    CheckSectionName(section);
    CheckKeyName(key);
    CheckNoLineBreak(value, "value");
    for (const QString* text : {&section, &key, &value}) {
        WidenFor(*text);
    }
    QByteArray encodedValue = EncodeText(value);
    // A value within a pair of quotes would lose them on reading: one more pair keeps it whole.
    if (Unquoted(encodedValue).size() != encodedValue.size()) {
        encodedValue = '"' + encodedValue + '"';
    }
    const QByteArray encodedKey = EncodeText(TrimBlanks(key));

    Section* s = Find(Fold(section));
    if (!s) {
        s = &AppendSection(TrimBlanks(section));
    }
    const auto it = s->keys.constFind(Fold(key));
    if (it != s->keys.cend()) {
        QByteArray& line = s->lines[*it];
        QByteArray replaced =
            Classify(line).name.toByteArray() + '=' + encodedValue + TerminatorOf(line);
        if (replaced == line) {
            return false;
        }
        line = std::move(replaced);
        return true;
    }

    // A new key goes after the section's last non-blank line, so blank lines that separate it
    // from the next section stay where they are.
    qsizetype at = qsizetype(s->lines.size());
    while (at > 0 && Trim(WithoutTerminator(s->lines[at - 1])).isEmpty()) {
        --at;
    }
    QByteArray& before = at > 0 ? s->lines[at - 1] : s->header;
    if (!before.isEmpty() && !before.endsWith('\n')) {
        before += eol_;
    }
    s->lines.insert(s->lines.begin() + at, encodedKey + '=' + encodedValue + eol_);
    s->keys.insert(Fold(key), at);
    return true;
}

bool ProfileDocument::RemoveKey(const QString& section, const QString& key) {
    Section* s = Find(Fold(section));
    if (!s) {
        return false;
    }
    const auto it = s->keys.constFind(Fold(key));
    if (it == s->keys.cend()) {
        return false;
    }
    s->lines.erase(s->lines.begin() + *it);
    s->IndexKeys(utf8_);
    return true;
}

bool ProfileDocument::RemoveSection(const QString& section) {
    const QString folded = Fold(section);
    const auto before = sections_.size();
    std::erase_if(sections_,
                  [&](const Section& s) { return !s.header.isEmpty() && s.name == folded; });
    if (sections_.size() == before) {
        return false;
    }
    RebuildIndex();
    return true;
}

// Rewrites every line as UTF-8 behind a byte order mark, the other form the file is read in, when
// Windows-1252 lacks a character of the text: each line decodes to the same text as before.
void ProfileDocument::WidenFor(const QString& text) {
    if (utf8_ || Windows1252::FirstUnencodable(text) < 0) {
        return;
    }
    const auto widen = [](QByteArray& bytes) { bytes = Windows1252::Decode(bytes).toUtf8(); };
    for (Section& s : sections_) {
        widen(s.header);
        for (QByteArray& line : s.lines) {
            widen(line);
        }
    }
    utf8_ = true;
}

QString ProfileDocument::DecodeText(QByteArrayView bytes) const {
    return utf8_ ? QString::fromUtf8(bytes) : Windows1252::Decode(bytes);
}

// After WidenFor, so the text always has a code in the file's encoding.
QByteArray ProfileDocument::EncodeText(const QString& text) const {
    return utf8_ ? text.toUtf8() : Windows1252::Encode(text).value();
}

ProfileDocument::Section* ProfileDocument::Find(const QString& folded) {
    const auto it = sectionIndex_.constFind(folded);
    return it == sectionIndex_.cend() ? nullptr : &sections_[*it];
}

const ProfileDocument::Section* ProfileDocument::Find(const QString& folded) const {
    const auto it = sectionIndex_.constFind(folded);
    return it == sectionIndex_.cend() ? nullptr : &sections_[*it];
}

ProfileDocument::Section& ProfileDocument::AppendSection(const QString& name) {
    Section* last = nullptr;
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
        if (!it->header.isEmpty() || !it->lines.empty()) {
            last = &*it;
            break;
        }
    }
    if (last) {
        QByteArray& tail = last->lines.empty() ? last->header : last->lines.back();
        if (!tail.endsWith('\n')) {
            tail += eol_;
        }
        // A blank line between sections, as the Windows functions leave it.
        if (!IsLastLineBlank(last->lines)) {
            last->lines.push_back(eol_);
        }
    }
    Section s;
    s.header = '[' + EncodeText(name) + ']' + eol_;
    s.name = Fold(name);
    sections_.push_back(std::move(s));
    InsertFirst(sectionIndex_, sections_.back().name, qsizetype(sections_.size() - 1));
    return sections_.back();
}

void ProfileDocument::RebuildIndex() {
    sectionIndex_.clear();
    for (qsizetype i = 1; i < qsizetype(sections_.size()); ++i) {
        InsertFirst(sectionIndex_, sections_[i].name, i);
    }
}

}  // namespace platform
