#pragma once

#include <QPointer>
#include <QString>
#include <QVariant>

#include <memory>

// One object of a component class that the program does not link: found by ProgID at run time,
// loaded, created and driven late-bound through its properties and invokable methods. Whatever
// goes wrong on the way is reported to the caller; a host then carries on without the component.
//
// Where a component is looked for, first found first served:
// 1. the libraries in the program's own directory, by the ProgID in their metadata, so a build
//    tree or a copied program directory always runs the library built with it, whatever the
//    registries say;
// 2. the per-user registry, for libraries a user registers by hand;
// 3. the installation's registry, which the package installs beside its data.
// A library whose metadata names another interface than PARLANE_COMPONENT_INTERFACE is refused.
namespace platform {

class ComponentObject {
public:
    // Null when no library serves the ProgID or none can be loaded or make the object. error
    // gets why each library passed over was refused, also when a later one served. An empty
    // programDirectory means the running program's; an empty installedRegistry, none.
    static std::unique_ptr<ComponentObject> Create(const QString& progId, QObject* parent,
                                                   QString* error = nullptr,
                                                   const QString& programDirectory = {},
                                                   const QString& installedRegistry = {});
    // Deletes the object; the library is unloaded when it says that nothing of it is left.
    ~ComponentObject();
    ComponentObject(const ComponentObject&) = delete;
    ComponentObject& operator=(const ComponentObject&) = delete;

    QObject* Object() const { return object_.data(); }
    QString LibraryPath() const { return library_; }
    QString ClassId() const { return classId_; }

    // False, with the reason, when the object has no such property or refuses the value.
    bool SetProperty(const char* name, const QVariant& value, QString* error = nullptr);
    // Invalid when there is no such property.
    QVariant Property(const char* name) const;
    // Calls the method with these first arguments, converted to its parameter types; the
    // method's own defaults fill the rest. False, with the reason, when there is no such
    // method or the object reports an error from it.
    bool Invoke(const char* method, const QVariantList& arguments = {}, QString* error = nullptr);
    // The member's dispatch id, as the component fixes it; -1 when it has none.
    int DispId(const QString& member) const;

private:
    struct Loaded;
    ComponentObject(std::unique_ptr<Loaded> loaded, QObject* object, QString library,
                    QString classId);

    std::unique_ptr<Loaded> loaded_;
    QPointer<QObject> object_;  // a host that deletes its parent first takes it along
    QString library_;
    QString classId_;
};

}  // namespace platform
