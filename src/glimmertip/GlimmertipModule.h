#pragma once

#include <QObject>

// The library's root object, which the plugin loader finds by its metadata, and the class
// factory of PelGlimmertip.
class GlimmertipModule : public QObject {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.parlane.Component/1.0" FILE "glimmertip.json")
public:
    // A new control, placed on parent when that is a widget.
    Q_INVOKABLE QObject* CreateInstance(QObject* parent);
};
