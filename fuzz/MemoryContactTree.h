#pragma once

#include "contacts/ContactTree.h"
#include "platform/RuntimeError.h"

#include <QHash>
#include <QStringList>

// The contact tree without a window, for loading at a fuzzer's pace: nodes by key, each with what
// loading gives it.
class MemoryContactTree : public ContactTree {
public:
    struct Node {
        QString key;
        QString parent;
        QString text;
        int image = -1;
        bool bold = false;
        bool expanded = false;
        QStringList children;
    };

    QStringList topLevel;

    void AddNode(const QString& parentKey, const QString& key, const QString& text,
                 int image) override {
        if (NodeExists(key)) {
            throw platform::RuntimeError(35602, QStringLiteral("tree"),
                                         QStringLiteral("Key is not unique in collection"));
        }
        (parentKey.isEmpty() ? topLevel : Required(parentKey).children) << key;
        nodes_.insert(key.toCaseFolded(), {key, parentKey, text, image, false, false, {}});
    }
    bool NodeExists(const QString& key) const override {
        return nodes_.contains(key.toCaseFolded());
    }
    QString NodeText(const QString& key) const override { return node(key).text; }
    int NodeChildren(const QString& key) const override { return int(node(key).children.size()); }
    void RemoveNode(const QString& key) override {
        const Node gone = node(key);
        for (const QString& child : gone.children) {
            RemoveNode(child);
        }
        (gone.parent.isEmpty() ? topLevel : Required(gone.parent).children).removeOne(gone.key);
        nodes_.remove(key.toCaseFolded());
    }
    void SetNodeBold(const QString& key, bool bold) override { Required(key).bold = bold; }
    bool NodeExpanded(const QString& key) const override { return node(key).expanded; }
    void SetNodeExpanded(const QString& key, bool expanded) override {
        Required(key).expanded = expanded;
    }

    const Node& node(const QString& key) const {
        return const_cast<MemoryContactTree*>(this)->Required(key);
    }

private:
    Node& Required(const QString& key) {
        const auto it = nodes_.find(key.toCaseFolded());
        if (it == nodes_.end()) {
            throw platform::RuntimeError(35601, QStringLiteral("tree"),
                                         QStringLiteral("Element not found"));
        }
        return *it;
    }
    QHash<QString, Node> nodes_;
};
