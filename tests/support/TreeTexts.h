#pragma once

#include <QStringList>
#include <QTreeWidgetItem>

// The texts of a tree node's children, in order; none for no node.
inline QStringList ChildTexts(const QTreeWidgetItem* node) {
    QStringList texts;
    for (int i = 0; node && i < node->childCount(); ++i) {
        texts << node->child(i)->text(0);
    }
    return texts;
}
