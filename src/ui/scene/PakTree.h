#pragma once

#include <QIcon>
#include <QString>

#include <string>

class Archive;
class QTreeWidgetItem;

// An archive's directory tree (the entries that can be put into a scene, in their
// folders) as items of a tree widget, each entry's item holding the entry's name.
// Apart from the page that shows it, so that any view of archives can use it.

// Adds the tree of `pak` under `root`; false when the archive holds nothing to show.
bool FillPakTree(Archive& pak, QTreeWidgetItem& root, const QIcon& folder, const QIcon& file);

// The name of the archive entry an item stands for, as the archive holds it;
// empty for a folder.
std::string PakTreeEntry(const QTreeWidgetItem& item);

// What a view of the scene's archives says while the scene has none.
QString NoArchivesText();
