#include "platform/ComponentRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace platform::ComponentRegistry {
namespace {

const QString kProgIds = u"ProgID"_s;
const QString kClasses = u"CLSID"_s;

enum class ReadResult { Ok, Missing, Unreadable };

ReadResult Read(QJsonObject& registry, const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        return ReadResult::Missing;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return ReadResult::Unreadable;
    }
    QJsonParseError parse{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parse);
    if (parse.error != QJsonParseError::NoError || !document.isObject()) {
        return ReadResult::Unreadable;
    }
    registry = document.object();
    return ReadResult::Ok;
}

// Read, change and write under one lock, so two registrations at once both stay.
template <typename Change>
bool Update(Change change, QString* error) {
    const QString path = RegistryFile();
    const auto fail = [error](const QString& why) {
        if (error) {
            *error = why;
        }
        return false;
    };
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return fail(u"Cannot make the directory of "_s + path);
    }
    QLockFile lock(path + u".lock"_s);
    if (!lock.tryLock(10000)) {
        return fail(u"The registry "_s + path + u" is locked by another process."_s);
    }
    QJsonObject registry;
    if (Read(registry, path) == ReadResult::Unreadable) {
        return fail(u"The registry "_s + path + u" cannot be read; it was left as it is."_s);
    }
    change(registry);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(registry).toJson()) < 0 ||
        !file.commit()) {
        return fail(u"Cannot write the registry "_s + path + u": "_s + file.errorString());
    }
    return true;
}

// Drops every ProgID that names the class.
void ForgetProgIds(QJsonObject& progIds, const QString& classId) {
    for (auto it = progIds.begin(); it != progIds.end();) {
        if (it.value().toString().compare(classId, Qt::CaseInsensitive) == 0) {
            it = progIds.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace

QString RegistryFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           u"/parlane/components.json"_s;
}

bool RegisterClass(const ClassEntry& entry, QString* error) {
    return Update(
        [&entry](QJsonObject& registry) {
            QJsonObject progIds = registry.value(kProgIds).toObject();
            QJsonObject classes = registry.value(kClasses).toObject();
            ForgetProgIds(progIds, entry.ClassId);
            progIds.insert(entry.ProgId, entry.ClassId);
            classes.insert(entry.ClassId, QJsonObject{{u"ProgID"_s, entry.ProgId},
                                                      {u"InprocServer"_s, entry.Library},
                                                      {u"TypeLib"_s, entry.TypeLib},
                                                      {u"Version"_s, entry.Version}});
            registry.insert(kProgIds, progIds);
            registry.insert(kClasses, classes);
        },
        error);
}

bool UnregisterClass(const QString& classId, QString* error) {
    return Update(
        [&classId](QJsonObject& registry) {
            QJsonObject progIds = registry.value(kProgIds).toObject();
            QJsonObject classes = registry.value(kClasses).toObject();
            ForgetProgIds(progIds, classId);
            classes.remove(classId);
            registry.insert(kProgIds, progIds);
            registry.insert(kClasses, classes);
        },
        error);
}

std::optional<ClassEntry> FindByProgId(const QString& progId) {
    return FindByProgId(progId, RegistryFile());
}

std::optional<ClassEntry> FindByProgId(const QString& progId, const QString& registryFile) {
    QJsonObject registry;
    if (Read(registry, registryFile) != ReadResult::Ok) {
        return std::nullopt;
    }
    const QString classId = registry.value(kProgIds).toObject().value(progId).toString();
    const QJsonValue found = registry.value(kClasses).toObject().value(classId);
    if (classId.isEmpty() || !found.isObject()) {
        return std::nullopt;
    }
    const QJsonObject c = found.toObject();
    const QString library = c.value(u"InprocServer"_s).toString();
    return ClassEntry{
        classId, progId,
        library.isEmpty()
            ? library
            : QDir::cleanPath(QFileInfo(registryFile).dir().absoluteFilePath(library)),
        c.value(u"TypeLib"_s).toString(), c.value(u"Version"_s).toString()};
}

}  // namespace platform::ComponentRegistry
