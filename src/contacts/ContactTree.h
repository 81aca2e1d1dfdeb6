#pragma once

#include "core/ContactTreeState.h"

#include <QString>

// What contact loading and the main window need of the contact tree. Keys are unique without
// regard to letter case, as in the contact collections, so tree and collections agree on what
// is a duplicate. A key that is not in the tree raises platform::RuntimeError.
class ContactTree : public ContactTreeState {
public:
    // The node becomes the last child of parentKey, or the last top-level node when parentKey is
    // empty. A key already in the tree raises platform::RuntimeError (35602).
    virtual void AddNode(const QString& parentKey, const QString& key, const QString& text,
                         int image) = 0;
    virtual bool NodeExists(const QString& key) const = 0;
    virtual QString NodeText(const QString& key) const = 0;
    virtual int NodeChildren(const QString& key) const = 0;
    // The node goes with its children.
    virtual void RemoveNode(const QString& key) = 0;
    // The one display attribute the program sets: group nodes are shown in bold.
    virtual void SetNodeBold(const QString& key, bool bold) = 0;

    // Many nodes follow: a tree may hold them back until EndAdding, but answers every call as if
    // they were in.
    virtual void BeginAdding() {}
    virtual void EndAdding() {}
    // About that many more nodes are coming: room for them can be made at once.
    virtual void ReserveNodes(qsizetype /*more*/) {}
};
