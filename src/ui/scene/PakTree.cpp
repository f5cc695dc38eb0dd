#include "ui/scene/PakTree.h"

#include <QTreeWidgetItem>

#include "media/Archive.h"

namespace {
constexpr int kEntryRole = Qt::UserRole;

void AddTreeNodes(const PakTreeNode& node, QTreeWidgetItem* parent, const QIcon& folder, const QIcon& file) {
    for (const auto& child : node.children) {
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, QString::fromStdString(child->text));
        item->setIcon(0, child->children.empty() ? file : folder);
        if (child->entry != nullptr) {
            const QString name = QString::fromStdString(child->entry->name);
            item->setData(0, kEntryRole, name);
            item->setToolTip(0, name);
        }
        AddTreeNodes(*child, item, folder, file);
    }
}
}  // namespace

bool FillPakTree(Archive& pak, QTreeWidgetItem& root, const QIcon& folder, const QIcon& file) {
    PakTreeNode tree;
    pak.BuildDirectoryTree(tree);
    if (tree.children.empty()) {
        return false;
    }
    AddTreeNodes(tree, &root, folder, file);
    return true;
}

QString PakTreeEntry(const QTreeWidgetItem& item) { return item.data(0, kEntryRole).toString(); }
