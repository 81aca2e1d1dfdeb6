#pragma once

#include "contacts/ContactTree.h"

#include <QHash>
#include <QIcon>
#include <QList>

class QTreeWidget;
class QTreeWidgetItem;

// The contact tree on a QTreeWidget. Each node keeps its key in its data; an index by key keeps
// a lookup constant in time however long the list is. While adding, children added one after
// another to the same parent are handed to the widget together, which saves the view its work
// per row. Node pictures come from an image list set before nodes are added.
class ContactTreeWidget : public ContactTree {
public:
    static constexpr int kKeyRole = 0x0100;  // Qt::UserRole

    explicit ContactTreeWidget(QTreeWidget& tree) : tree_(tree) {}
    ~ContactTreeWidget() override;

    void SetImageList(QList<QIcon> images) { images_ = std::move(images); }

    void AddNode(const QString& parentKey, const QString& key, const QString& text,
                 int image) override;
    bool NodeExists(const QString& key) const override;
    QString NodeText(const QString& key) const override;
    int NodeChildren(const QString& key) const override;
    void RemoveNode(const QString& key) override;
    void SetNodeBold(const QString& key, bool bold) override;
    bool NodeExpanded(const QString& key) const override;
    void SetNodeExpanded(const QString& key, bool expanded) override;
    void BeginAdding() override { adding_ = true; }
    void EndAdding() override;
    void ReserveNodes(qsizetype more) override { nodes_.reserve(nodes_.size() + more); }

    // Null when the key is not in the tree.
    QTreeWidgetItem* Node(const QString& key) const;
    static QString KeyOf(const QTreeWidgetItem& node);

private:
    QTreeWidgetItem& Required(const QString& key) const;
    void Flush() const;
    void Forget(QTreeWidgetItem& node);

    QTreeWidget& tree_;
    QList<QIcon> images_;
    QHash<QString, QTreeWidgetItem*> nodes_;  // case-folded key -> node
    bool adding_ = false;
    mutable QTreeWidgetItem* pendingParent_ = nullptr;
    mutable QString pendingParentKey_;
    mutable QList<QTreeWidgetItem*> pending_;  // children of pendingParent_, not yet in it
};
