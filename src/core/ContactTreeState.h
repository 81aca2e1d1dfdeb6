#pragma once

#include <QString>

// What the settings need of the contact tree: the expanded state of a node by its key. A key
// that is not in the tree raises platform::RuntimeError.
class ContactTreeState {
public:
    virtual ~ContactTreeState() = default;
    virtual bool NodeExpanded(const QString& key) const = 0;
    virtual void SetNodeExpanded(const QString& key, bool expanded) = 0;
};
