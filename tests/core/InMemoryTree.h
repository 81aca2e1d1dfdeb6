#pragma once

#include "core/ContactTreeState.h"
#include "platform/RuntimeError.h"

#include <QMap>

// The contact tree's expanded states without a window.
class InMemoryTree : public ContactTreeState {
public:
    QMap<QString, bool> expanded{{QStringLiteral("_users"), false},
                                 {QStringLiteral("_domains"), false},
                                 {QStringLiteral("_unknown"), false}};
    QStringList order;  // keys in the order they were set

    bool NodeExpanded(const QString& key) const override { return expanded.value(Checked(key)); }
    void SetNodeExpanded(const QString& key, bool value) override {
        expanded[Checked(key)] = value;
        order << key;
    }

private:
    const QString& Checked(const QString& key) const {
        if (!expanded.contains(key)) {
            throw platform::RuntimeError(35601, QStringLiteral("tree"),
                                         QStringLiteral("Element not found"));
        }
        return key;
    }
};
