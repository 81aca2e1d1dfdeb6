#include "glimmertip/GlimmertipModule.h"

#include "glimmertip/GlimmertipIds.h"
#include "glimmertip/LiveObjects.h"
#include "glimmertip/PelGlimmertip.h"
#include "platform/ComponentRegistry.h"

#include <QFileInfo>

#include <dlfcn.h>

using namespace Qt::StringLiterals;
namespace reg = platform::ComponentRegistry;

namespace LiveObjects {
namespace {
int& Counter() {
    static int count = 0;
    return count;
}
}  // namespace

void Created() {
    ++Counter();
}
void Destroyed() {
    --Counter();
}
int Count() {
    return Counter();
}

}  // namespace LiveObjects

QObject* GlimmertipModule::CreateInstance(QObject* parent) {
    auto* host = qobject_cast<QWidget*>(parent);
    auto* control = new PelGlimmertip(host);
    if (parent && !host) {
        control->QObject::setParent(parent);
    }
    control->setObjectName(u"PelGlimmertip"_s);
    return control;
}

namespace {

// The file this code was loaded from.
QString ThisLibrary() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ThisLibrary), &info) == 0 || !info.dli_fname) {
        return {};
    }
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

}  // namespace

// Made by the plugin metadata's moc output.
extern "C" QObject* qt_plugin_instance();

#define GLIMMERTIP_EXPORT extern "C" __attribute__((visibility("default")))

GLIMMERTIP_EXPORT reg::HRESULT DllRegisterServer() {
    const reg::ClassEntry entry{QString::fromLatin1(GlimmertipIds::kCLSID_PelGlimmertip),
                                QString::fromLatin1(GlimmertipIds::kProgID), ThisLibrary(),
                                QString::fromLatin1(GlimmertipIds::kLIBID_Tolv_Glimmertip),
                                QString::fromLatin1(GlimmertipIds::kTypeLibVersion)};
    return !entry.Library.isEmpty() && reg::RegisterClass(entry) ? reg::S_OK : reg::SELFREG_E_CLASS;
}

GLIMMERTIP_EXPORT reg::HRESULT DllUnregisterServer() {
    return reg::UnregisterClass(QString::fromLatin1(GlimmertipIds::kCLSID_PelGlimmertip))
               ? reg::S_OK
               : reg::SELFREG_E_CLASS;
}

GLIMMERTIP_EXPORT reg::HRESULT DllGetClassObject(const char* classId, QObject** factory) {
    if (!factory) {
        return reg::E_POINTER;
    }
    *factory = nullptr;
    if (!classId ||
        QString::fromLatin1(classId).compare(
            QString::fromLatin1(GlimmertipIds::kCLSID_PelGlimmertip), Qt::CaseInsensitive) != 0) {
        return reg::CLASS_E_CLASSNOTAVAILABLE;
    }
    *factory = qt_plugin_instance();
    return *factory ? reg::S_OK : reg::CLASS_E_CLASSNOTAVAILABLE;
}

GLIMMERTIP_EXPORT reg::HRESULT DllCanUnloadNow() {
    return LiveObjects::Count() == 0 ? reg::S_OK : reg::S_FALSE;
}
