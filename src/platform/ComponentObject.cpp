#include "platform/ComponentObject.h"

#include "platform/ComponentRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QLibrary>
#include <QMetaMethod>
#include <QPluginLoader>
#include <QPointer>

#include <array>

using namespace Qt::StringLiterals;

namespace platform {

namespace reg = ComponentRegistry;

struct ComponentObject::Loaded {
    QPluginLoader plugin;
    QLibrary library;
    reg::DllCanUnloadNowFn canUnloadNow = nullptr;

    explicit Loaded(const QString& path) : plugin(path), library(path) {
        // A symbol the library lacks fails the load instead of the first call.
        plugin.setLoadHints(QLibrary::ResolveAllSymbolsHint);
        library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    }
    // The loader deletes the library's root object as it unloads; while any other object of
    // the library lives, the library stays loaded for good rather than leave it without code.
    ~Loaded() {
        if (plugin.isLoaded() && canUnloadNow && canUnloadNow() == reg::S_OK) {
            library.unload();
            plugin.unload();
        }
    }
};

namespace {

bool Fail(QString* error, const QString& why) {
    if (error) {
        *error = why;
    }
    return false;
}

QJsonObject MetaDataOf(const QString& path) {
    return QPluginLoader(path).metaData().value(u"MetaData"_s).toObject();
}

// The libraries beside the program that say they serve the ProgID.
QStringList CandidatesIn(const QString& directory, const QString& progId) {
    QStringList found;
    const QFileInfoList files = QDir(directory).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& file : files) {
        if (QLibrary::isLibrary(file.fileName()) &&
            MetaDataOf(file.absoluteFilePath()).value(u"ProgID"_s).toString() == progId) {
            found << file.absoluteFilePath();
        }
    }
    return found;
}

}  // namespace

ComponentObject::ComponentObject(std::unique_ptr<Loaded> loaded, QObject* object, QString library,
                                 QString classId)
    : loaded_(std::move(loaded)),
      object_(object),
      library_(std::move(library)),
      classId_(std::move(classId)) {}

ComponentObject::~ComponentObject() {
    // The library's code must outlive its objects.
    delete object_.data();
    loaded_.reset();
}

std::unique_ptr<ComponentObject> ComponentObject::Create(const QString& progId, QObject* parent,
                                                         QString* error,
                                                         const QString& programDirectory,
                                                         const QString& installedRegistry) {
    QStringList reasons;
    const auto passedOver = [&] {
        if (error) {
            *error = reasons.join(u'\n');
        }
    };
    const auto tryLibrary = [&](const QString& path,
                                QString classId) -> std::unique_ptr<ComponentObject> {
        const QJsonObject plugin = QPluginLoader(path).metaData();
        const QJsonObject meta = plugin.value(u"MetaData"_s).toObject();
        if (meta.value(u"ProgID"_s).toString() != progId) {
            reasons << path + u": not a component that serves "_s + progId;
            return nullptr;
        }
        const QString speaks = plugin.value(u"IID"_s).toString();
        if (speaks != QLatin1StringView(PARLANE_COMPONENT_INTERFACE)) {
            reasons << path + u": refused, it speaks the interface \""_s + speaks +
                           u"\" and this program \""_s +
                           QLatin1StringView(PARLANE_COMPONENT_INTERFACE) + u'"';
            return nullptr;
        }
        if (classId.isEmpty()) {
            classId = meta.value(u"CLSID"_s).toString();
        }
        auto loaded = std::make_unique<Loaded>(path);
        if (!loaded->plugin.load() || !loaded->library.load()) {
            reasons << path + u": "_s + loaded->plugin.errorString();
            return nullptr;
        }
        const auto getClassObject = reinterpret_cast<reg::DllGetClassObjectFn>(
            loaded->library.resolve("DllGetClassObject"));
        loaded->canUnloadNow =
            reinterpret_cast<reg::DllCanUnloadNowFn>(loaded->library.resolve("DllCanUnloadNow"));
        QObject* factory = nullptr;
        if (!getClassObject || !loaded->canUnloadNow) {
            reasons << path + u": the library does not export the component entry points"_s;
            return nullptr;
        }
        // The factory is the library's root object, taken through the loader so that the
        // loader owns it; it must be the object the entry point hands out.
        QObject* root = loaded->plugin.instance();
        const QByteArray id = classId.toLatin1();
        if (getClassObject(id.constData(), &factory) != reg::S_OK || !factory) {
            reasons << path + u": the library does not serve the class "_s + classId;
            return nullptr;
        }
        if (factory != root) {
            reasons << path + u": the class factory is not the library's root object"_s;
            return nullptr;
        }
        QObject* object = nullptr;
        if (!QMetaObject::invokeMethod(factory, "CreateInstance", Qt::DirectConnection,
                                       Q_RETURN_ARG(QObject*, object), Q_ARG(QObject*, parent)) ||
            !object) {
            reasons << path + u": the class factory made no object"_s;
            return nullptr;
        }
        return std::unique_ptr<ComponentObject>(
            new ComponentObject(std::move(loaded), object, path, classId));
    };

    const QString directory =
        programDirectory.isEmpty() ? QCoreApplication::applicationDirPath() : programDirectory;
    for (const QString& path : CandidatesIn(directory, progId)) {
        if (auto made = tryLibrary(path, {})) {
            passedOver();
            return made;
        }
    }
    const auto registered = [&](const std::optional<reg::ClassEntry>& entry) {
        std::unique_ptr<ComponentObject> made;
        if (!entry) {
            return made;
        }
        if (QFileInfo::exists(entry->Library)) {
            made = tryLibrary(entry->Library, entry->ClassId);
        } else {
            reasons << entry->Library + u": registered, but not there"_s;
        }
        return made;
    };
    auto made = registered(reg::FindByProgId(progId));
    if (!made && !installedRegistry.isEmpty()) {
        made = registered(reg::FindByProgId(progId, installedRegistry));
    }
    if (!made && reasons.isEmpty()) {
        reasons << u"No component is registered as "_s + progId + u" or found in "_s + directory;
    }
    passedOver();
    return made;
}

bool ComponentObject::SetProperty(const char* name, const QVariant& value, QString* error) {
    if (!object_) {
        return Fail(error, u"The component's object is gone"_s);
    }
    const QMetaObject* meta = object_->metaObject();
    const int index = meta->indexOfProperty(name);
    if (index < 0) {
        // setProperty would quietly add a dynamic property instead.
        return Fail(error, u"The component has no property "_s + QLatin1StringView(name));
    }
    if (!meta->property(index).write(object_, value)) {
        return Fail(error, u"The component refused the value of "_s + QLatin1StringView(name));
    }
    return true;
}

QVariant ComponentObject::Property(const char* name) const {
    if (!object_) {
        return {};
    }
    const QMetaObject* meta = object_->metaObject();
    const int index = meta->indexOfProperty(name);
    return index < 0 ? QVariant() : meta->property(index).read(object_);
}

bool ComponentObject::Invoke(const char* method, const QVariantList& arguments, QString* error) {
    if (!object_) {
        return Fail(error, u"The component's object is gone"_s);
    }
    const QMetaObject* meta = object_->metaObject();
    const QString name = QLatin1StringView(method);
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod m = meta->method(i);
        if (m.access() != QMetaMethod::Public || m.name() != method ||
            m.parameterCount() != arguments.size() || m.parameterCount() > 10) {
            continue;
        }
        QVariantList converted = arguments;
        std::array<QGenericArgument, 10> passed{};
        for (int a = 0; a < m.parameterCount(); ++a) {
            if (!converted[a].convert(m.parameterMetaType(a))) {
                return Fail(error, u"Argument "_s + QString::number(a + 1) + u" of "_s + name +
                                       u" has the wrong type"_s);
            }
            passed[std::size_t(a)] =
                QGenericArgument(m.parameterMetaType(a).name(), converted[a].constData());
        }
        if (!m.invoke(object_, Qt::DirectConnection, passed[0], passed[1], passed[2], passed[3],
                      passed[4], passed[5], passed[6], passed[7], passed[8], passed[9])) {
            return Fail(error, u"The component did not run "_s + name);
        }
        // The component's way of raising an error from a method that returns nothing.
        QVariantMap errorInfo;
        if (object_ && meta->indexOfMethod("GetErrorInfo()") >= 0) {
            QMetaObject::invokeMethod(object_, "GetErrorInfo", Qt::DirectConnection,
                                      Q_RETURN_ARG(QVariantMap, errorInfo));
        }
        if (!errorInfo.isEmpty()) {
            return Fail(error, u"Error "_s + errorInfo.value(u"Number"_s).toString() + u" in "_s +
                                   errorInfo.value(u"Source"_s).toString() + u": "_s +
                                   errorInfo.value(u"Description"_s).toString());
        }
        return true;
    }
    return Fail(error, u"The component has no method "_s + name + u" that takes "_s +
                           QString::number(arguments.size()) + u" arguments"_s);
}

int ComponentObject::DispId(const QString& member) const {
    int id = -1;
    if (object_ && object_->metaObject()->indexOfMethod("GetIDsOfNames(QString)") >= 0) {
        QMetaObject::invokeMethod(object_, "GetIDsOfNames", Qt::DirectConnection,
                                  Q_RETURN_ARG(int, id), Q_ARG(QString, member));
    }
    return id;
}

}  // namespace platform
