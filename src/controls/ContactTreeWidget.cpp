#include "controls/ContactTreeWidget.h"

#include "platform/RuntimeError.h"

#include <QTreeWidget>

using namespace Qt::StringLiterals;

ContactTreeWidget::~ContactTreeWidget() {
    qDeleteAll(pending_);
}

void ContactTreeWidget::AddNode(const QString& parentKey, const QString& key, const QString& text,
                                int image) {
    // A list's children come one after another: their parent is known without a lookup.
    QTreeWidgetItem* parent = nullptr;
    if (!parentKey.isEmpty()) {
        parent = pendingParent_ && parentKey == pendingParentKey_ ? pendingParent_
                                                                  : &Required(parentKey);
    }
    // One lookup finds the key taken or makes its place.
    const qsizetype before = nodes_.size();
    QTreeWidgetItem*& slot = nodes_[key.toCaseFolded()];
    if (nodes_.size() == before) {
        throw platform::RuntimeError(35602, u"TreeView"_s, u"Key is not unique in collection"_s);
    }
    if (parent != pendingParent_ || !parent) {
        Flush();
    }
    auto* node = new QTreeWidgetItem(QStringList{text});
    node->setData(0, kKeyRole, key);
    if (image >= 0 && image < images_.size()) {
        node->setIcon(0, images_[image]);
    }
    slot = node;
    if (!parent) {
        tree_.addTopLevelItem(node);
    } else if (adding_) {
        pendingParent_ = parent;
        pendingParentKey_ = parentKey;
        pending_ << node;
    } else {
        parent->addChild(node);
    }
}

void ContactTreeWidget::EndAdding() {
    Flush();
    adding_ = false;
}

void ContactTreeWidget::Flush() const {
    if (pendingParent_) {
        pendingParent_->addChildren(pending_);
    }
    pending_.clear();
    pendingParent_ = nullptr;
}

bool ContactTreeWidget::NodeExists(const QString& key) const {
    return nodes_.contains(key.toCaseFolded());
}

QString ContactTreeWidget::NodeText(const QString& key) const {
    Flush();
    return Required(key).text(0);
}

int ContactTreeWidget::NodeChildren(const QString& key) const {
    Flush();
    return Required(key).childCount();
}

void ContactTreeWidget::RemoveNode(const QString& key) {
    Flush();
    QTreeWidgetItem& node = Required(key);
    Forget(node);
    delete &node;
}

void ContactTreeWidget::Forget(QTreeWidgetItem& node) {
    for (int i = 0; i < node.childCount(); ++i) {
        Forget(*node.child(i));
    }
    nodes_.remove(KeyOf(node).toCaseFolded());
}

void ContactTreeWidget::SetNodeBold(const QString& key, bool bold) {
    Flush();
    QTreeWidgetItem& node = Required(key);
    QFont font = node.font(0);
    font.setBold(bold);
    node.setFont(0, font);
}

bool ContactTreeWidget::NodeExpanded(const QString& key) const {
    Flush();
    return Required(key).isExpanded();
}

void ContactTreeWidget::SetNodeExpanded(const QString& key, bool expanded) {
    Flush();
    Required(key).setExpanded(expanded);
}

QTreeWidgetItem* ContactTreeWidget::Node(const QString& key) const {
    Flush();
    return nodes_.value(key.toCaseFolded());
}

QString ContactTreeWidget::KeyOf(const QTreeWidgetItem& node) {
    return node.data(0, kKeyRole).toString();
}

QTreeWidgetItem& ContactTreeWidget::Required(const QString& key) const {
    if (QTreeWidgetItem* node = nodes_.value(key.toCaseFolded())) {
        return *node;
    }
    throw platform::RuntimeError(35601, u"TreeView"_s, u"Element not found: "_s + key);
}
