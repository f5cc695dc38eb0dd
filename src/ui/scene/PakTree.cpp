#include "ui/scene/PakTree.h"

#include <QTreeWidgetItem>

#include "media/Archive.h"
#include "ui/SceneNames.h"

namespace {
constexpr int kEntryRole = Qt::UserRole;

void AddTreeNodes(const PakTreeNode& node, QTreeWidgetItem* parent, const QIcon& folder, const QIcon& file) {
    for (const auto& child : node.children) {
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, GameText(child->text));
        item->setIcon(0, child->children.empty() ? file : folder);
        if (child->entry != nullptr) {
            // The name as the archive spells it, byte for byte, to find the entry by.
            const std::string& name = child->entry->name;
            item->setData(0, kEntryRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
            item->setToolTip(0, GameText(name));
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

std::string PakTreeEntry(const QTreeWidgetItem& item) { return item.data(0, kEntryRole).toByteArray().toStdString(); }

QString NoArchivesText() {
    return QStringLiteral("No archives yet: open a pak, pk3 or WAD with File, Open Pak File..., or a whole game with "
                          "File, Open Game Folder...");
}
