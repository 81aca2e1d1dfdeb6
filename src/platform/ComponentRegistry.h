#pragma once

#include <QString>

#include <cstdint>
#include <optional>

class QObject;

// The interface a component library speaks, in its plugin metadata's IID. A host refuses a
// library that names another.
#define PARLANE_COMPONENT_INTERFACE "org.parlane.Component/1.0"

// Registries of component classes: which class id a ProgID names and which library serves that
// class. The per-user one is a JSON file under the user's configuration directory
// (XDG_CONFIG_HOME moves it); components write it when they register, by hand through regsvr.
// An installation ships a read-only one of the same form beside its data, whose relative library
// paths count from the file's own directory. Hosts read them to find components. Both sides
// build this source.
namespace platform::ComponentRegistry {

struct ClassEntry {
    QString ClassId;  // "{xxxxxxxx-...}"
    QString ProgId;
    QString Library;  // absolute path of the library that serves the class
    QString TypeLib;
    QString Version;  // of the type library
};

QString RegistryFile();

// Adds the class, or replaces what was registered for its class id and ProgID. False, with the
// reason, when the file cannot be written or holds something else than a registry; an
// unreadable registry is left alone rather than replaced.
bool RegisterClass(const ClassEntry& entry, QString* error = nullptr);
// Removes the class and every ProgID that names it. Not registered counts as done.
bool UnregisterClass(const QString& classId, QString* error = nullptr);

// ProgID -> class id -> entry in the per-user registry, or in the given registry file; nothing
// when either step is missing or the file cannot be read.
std::optional<ClassEntry> FindByProgId(const QString& progId);
std::optional<ClassEntry> FindByProgId(const QString& progId, const QString& registryFile);

// What a component library exports (extern "C"), with the platform's result codes.
using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);

using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();
// Hands out the class factory of a class: a QObject with an invokable
// "QObject* CreateInstance(QObject* parent)". The library keeps it.
using DllGetClassObjectFn = HRESULT (*)(const char* classId, QObject** factory);
// S_OK once no object of the library is left, so it may be unloaded.
using DllCanUnloadNowFn = HRESULT (*)();

}  // namespace platform::ComponentRegistry
