#include "controls/TreeWidgetState.h"

#include "platform/RuntimeError.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

using namespace Qt::StringLiterals;

QTreeWidgetItem* TreeWidgetState::Node(const QString& key) const {
    for (QTreeWidgetItemIterator it(&tree_); *it; ++it) {
        if ((*it)->data(0, kKeyRole).toString() == key) {
            return *it;
        }
    }
    return nullptr;
}

QTreeWidgetItem& TreeWidgetState::Required(const QString& key) const {
    if (QTreeWidgetItem* node = Node(key)) {
        return *node;
    }
    throw platform::RuntimeError(35601, u"TreeView"_s, u"Element not found: "_s + key);
}

bool TreeWidgetState::NodeExpanded(const QString& key) const {
    return Required(key).isExpanded();
}

void TreeWidgetState::SetNodeExpanded(const QString& key, bool expanded) {
    Required(key).setExpanded(expanded);
}
