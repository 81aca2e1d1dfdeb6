// A library that says it serves the popup's ProgID but speaks an interface of another version:
// a host must refuse it before it runs any of its code.
#include <QObject>

class OtherInterfaceComponent : public QObject {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.parlane.Component/2.0" FILE "OtherInterfaceComponent.json")
};

#include "OtherInterfaceComponent.moc"
