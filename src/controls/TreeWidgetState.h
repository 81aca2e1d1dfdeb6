#pragma once

#include "core/ContactTreeState.h"

class QTreeWidget;
class QTreeWidgetItem;

// The expanded state of a QTreeWidget's nodes, each found by the key kept in its data.
class TreeWidgetState : public ContactTreeState {
public:
    static constexpr int kKeyRole = 0x0100;  // Qt::UserRole

    explicit TreeWidgetState(QTreeWidget& tree) : tree_(tree) {}

    bool NodeExpanded(const QString& key) const override;
    void SetNodeExpanded(const QString& key, bool expanded) override;

    QTreeWidgetItem* Node(const QString& key) const;

private:
    QTreeWidgetItem& Required(const QString& key) const;
    QTreeWidget& tree_;
};
