#include "ui/scene/TexturesPage.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "media/COGLTexture2D.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLScene.h"
#include "ui/PropertyWidgets.h"
#include "ui/scene/SceneSheetHooks.h"
#include "ui/scene/SceneTextures.h"

TexturesPage::TexturesPage(const SceneSheetHooks& hooks, QWidget* parent)
    : PropertyPage(parent), hooks_(hooks) {
    QVBoxLayout* layout = MakePageLayout(this);
    textures_ = MakeList(QStringLiteral("textures"), this);
    layout->addWidget(textures_, 1);
    auto* add = MakeButton(QStringLiteral("Add..."), QStringLiteral("addTexture"), this);
    auto* remove = MakeButton(QStringLiteral("Delete"), QStringLiteral("deleteTexture"), this);
    layout->addLayout(MakeButtonRow({add, remove}));
    layout->addWidget(MakeNote(QStringLiteral("Pictures (BMP, PCX, TGA, JPEG, WAL, SWL) the scene's objects can wear; "
                                              "double-click one in a pak to add it too."),
                               this));
    connect(add, &QPushButton::clicked, this, &TexturesPage::AddFromFiles);
    connect(remove, &QPushButton::clicked, this, &TexturesPage::DeleteChosen);
}

QString TexturesPage::Title() const { return QStringLiteral("Textures"); }

void TexturesPage::Refresh() {
    COGLScene* scene = Scene();
    const QListWidgetItem* current = textures_->currentItem();
    const QVariant chosen = current != nullptr ? current->data(Qt::UserRole) : QVariant();
    textures_->clear();
    if (scene == nullptr) {
        return;
    }
    for (const auto& texture : scene->Textures()) {
        auto* item = new QListWidgetItem(TextureLabel(*texture), textures_);
        item->setData(Qt::UserRole, ItemData(texture.get()));
        item->setToolTip(TextureSource(*texture));
        if (item->data(Qt::UserRole) == chosen) {
            textures_->setCurrentItem(item);
        }
    }
}

void TexturesPage::AddFromFiles() {
    COGLScene* scene = Scene();
    if (scene == nullptr) {
        return;
    }
    const QStringList chosen = hooks_.choosePictures(QStringLiteral("Add Textures"), true);
    const std::size_t before = scene->Textures().size();
    for (const QString& path : chosen) {
        bool fresh = false;
        COGLTexture2D* texture = AddSceneTexture(*scene, path.toStdString(), nullptr, &fresh);
        if (fresh && hooks_.textureAdded) {
            hooks_.textureAdded(texture);
        }
    }
    if (scene->Textures().size() > before) {
        Refresh();
        textures_->setCurrentRow(textures_->count() - 1);
        emit changed();
    }
}

void TexturesPage::DeleteChosen() {
    COGLScene* scene = Scene();
    if (scene == nullptr) {
        return;
    }
    QListWidgetItem* item = textures_->currentItem();
    auto* texture = item != nullptr ? ItemPointer<COGLTexture2D>(item->data(Qt::UserRole)) : nullptr;
    if (texture == nullptr || scene->IndexOfTexture(texture) < 0) {
        ShowMessage(msg::kSelectTextureFirst);
        return;
    }
    GetHost().MakeViewContextCurrent();
    if (!(hooks_.deleteTexture ? hooks_.deleteTexture(texture) : scene->DeleteTexture(texture))) {
        ShowMessage(msg::kTextureInUse);
        return;
    }
    Refresh();
    emit changed();
}
