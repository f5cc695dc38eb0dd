#include "ui/scene/PaksPage.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStringList>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <vector>

#include "media/Archive.h"
#include "scene/COGLScene.h"
#include "ui/PropertyWidgets.h"
#include "ui/SceneNames.h"
#include "ui/scene/PakTree.h"
#include "ui/scene/SceneSheetHooks.h"
#include "ui/scene/SceneTextures.h"

PaksPage::PaksPage(const SceneSheetHooks& hooks, QWidget* parent)
    : PropertyPage(parent), hooks_(hooks) {
    QVBoxLayout* layout = MakePageLayout(this);
    archives_ = new QComboBox(this);
    archives_->setObjectName(QStringLiteral("paks"));
    archives_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    archives_->setMinimumContentsLength(12);
    layout->addWidget(archives_);

    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("pakTree"));
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    tree_->setExpandsOnDoubleClick(true);
    placeholder_ = MakePlaceholder(QStringLiteral("pakPlaceholder"), this);
    stack_ = new QStackedWidget(this);
    stack_->addWidget(placeholder_);
    stack_->addWidget(tree_);
    layout->addWidget(stack_, 1);
    origin_ = new QLabel(this);
    origin_->setObjectName(QStringLiteral("pakOrigin"));
    origin_->setWordWrap(true);
    origin_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(origin_);
    layout->addWidget(MakeNote(QStringLiteral("Double-click a model to add it to the scene, or a picture to add it "
                                              "to the scene's textures."),
                               this));

    connect(archives_, &QComboBox::currentIndexChanged, this, [this](int index) {
        COGLScene* scene = Scene();
        Archive* pak = index >= 0 ? ItemPointer<Archive>(archives_->itemData(index)) : nullptr;
        ShowTree(scene != nullptr && scene->PositionOfPak(pak) >= 0 ? pak : nullptr);
    });
    // A double-click, or Enter on the chosen item (or a single click where the
    // desktop activates items that way).
    connect(tree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) { Activate(item); });
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) { ShowOrigin(item); });
}

QString PaksPage::Title() const { return QStringLiteral("Paks"); }

void PaksPage::SetScene(COGLScene* scene) {
    PropertyPage::SetScene(scene);
    // Another scene's archive may have the address of the one shown.
    shown_ = nullptr;
}

void PaksPage::Refresh() {
    COGLScene* scene = Scene();
    // The archive shown before, if the scene still holds it.
    Archive* shown = scene != nullptr ? scene->PakAt(scene->PositionOfPak(shown_)) : nullptr;
    {
        const QSignalBlocker block(archives_);
        archives_->clear();
        if (scene != nullptr) {
            for (int i = 0; i < scene->PakCount(); ++i) {
                const Archive* pak = scene->PakAt(i);
                const QString path = GameText(pak->Path());
                QString label = QFileInfo(path).fileName();
                if (pak->Kind() == ArchiveKind::Game) {
                    label += QStringLiteral(" (game folder)");
                }
                archives_->addItem(label, ItemData(pak));
                archives_->setItemData(i, path, Qt::ToolTipRole);
            }
        }
        if (shown == nullptr && archives_->count() > 0) {
            shown = ItemPointer<Archive>(archives_->itemData(0));
        }
        archives_->setCurrentIndex(shown != nullptr ? archives_->findData(ItemData(shown)) : -1);
    }
    if (shown != shown_ || shown == nullptr) {
        ShowTree(shown);
    }
}

void PaksPage::ShowTree(Archive* pak) {
    tree_->clear();
    origin_->clear();
    shown_ = pak;
    if (pak == nullptr) {
        const COGLScene* scene = Scene();
        placeholder_->setText(scene != nullptr && scene->PakCount() > 0 ? QStringLiteral("Choose an archive.")
                                                                         : NoArchivesText());
        stack_->setCurrentWidget(placeholder_);
        return;
    }
    const QIcon folder = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon file = style()->standardIcon(QStyle::SP_FileIcon);
    if (!FillPakTree(*pak, *tree_->invisibleRootItem(), folder, file)) {
        placeholder_->setText(QStringLiteral("%1 holds nothing that can be put into a scene.")
                                  .arg(QFileInfo(GameText(pak->Path())).fileName()));
        stack_->setCurrentWidget(placeholder_);
        return;
    }
    stack_->setCurrentWidget(tree_);
}

bool PaksPage::ShowPak(int position) {
    COGLScene* scene = Scene();
    if (scene == nullptr || scene->PakAt(position) == nullptr) {
        return false;
    }
    Archive* pak = scene->PakAt(position);
    Refresh();
    {
        const QSignalBlocker block(archives_);
        archives_->setCurrentIndex(archives_->findData(ItemData(pak)));
    }
    if (shown_ != pak) {
        ShowTree(pak);
    }
    return true;
}

void PaksPage::Activate(const QTreeWidgetItem* item) {
    COGLScene* scene = Scene();
    if (item == nullptr || scene == nullptr || shown_ == nullptr) {
        return;
    }
    const std::string name = PakTreeEntry(*item);
    const int position = scene->PositionOfPak(shown_);
    if (name.empty() || position < 0) {
        return;
    }
    if (ActivateArchiveEntry(*scene, *scene->PakAt(position), name, hooks_)) {
        emit changed();
    }
}

void PaksPage::ShowOrigin(const QTreeWidgetItem* item) {
    const COGLScene* scene = Scene();
    const std::string name = item != nullptr ? PakTreeEntry(*item) : std::string();
    const Archive* pak = scene != nullptr ? scene->PakAt(scene->PositionOfPak(shown_)) : nullptr;
    const PakEntry* entry = pak != nullptr && !name.empty() ? pak->FindEntry(name) : nullptr;
    if (entry == nullptr) {
        origin_->clear();
        return;
    }
    const Archive::Origin origin = pak->OriginOf(*entry);
    QString text = QStringLiteral("%1\nfrom %2").arg(GameText(entry->name), GameText(origin.source->Path()));
    const std::vector<Archive::Origin> hidden = pak->HiddenBy(*entry);
    if (!hidden.empty()) {
        QStringList sources;
        for (const Archive::Origin& other : hidden) {
            sources << GameText(other.source->Path());
        }
        text += QStringLiteral("\nhides the same name in %1").arg(sources.join(QStringLiteral(", ")));
    }
    origin_->setText(text);
}
