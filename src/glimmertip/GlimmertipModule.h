#pragma once

#include "platform/ComponentRegistry.h"

#include <QObject>

// The library's root object, which the plugin loader finds by its metadata, and the class
// factory of PelGlimmertip.
class GlimmertipModule : public QObject {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PARLANE_COMPONENT_INTERFACE FILE "glimmertip.json")
public:
    // A new control, placed on parent when that is a widget.
    Q_INVOKABLE QObject* CreateInstance(QObject* parent);
};
