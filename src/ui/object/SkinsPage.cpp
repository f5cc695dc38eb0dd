#include "ui/object/SkinsPage.h"

#include <QImage>
#include <QListWidget>
#include <QPixmap>
#include <QVBoxLayout>

#include "media/Archive.h"
#include "media/COGLImage.h"
#include "media/COGLTexture2D.h"
#include "models/COGLModel.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "ui/SceneNames.h"

namespace {
constexpr int kSkinIconSize = 32;

QString DisplayName(const std::string& path) { return GameText(fs_util::FileNameOf(path)); }

// A picture's final pixels (bottom row first, RGB or BGR, with or without
// alpha) as an icon; a null icon when it has none or too few.
QIcon IconOf(const COGLImage* image) {
    if (image == nullptr || !image->HasPixels() || image->Width() <= 0 || image->Height() <= 0) {
        return {};
    }
    const int width = image->Width();
    const int height = image->Height();
    const int channels = image->BytesPerPixel();
    const std::size_t row = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
    if (image->Pixels().size() < row * static_cast<std::size_t>(height)) {
        return {};
    }
    QImage picture(width, height, QImage::Format_ARGB32);
    const bool bgr = image->IsBgrOrder();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = image->Pixels().data() + row * static_cast<std::size_t>(height - 1 - y);
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x, source += channels) {
            const int red = bgr ? source[2] : source[0];
            const int blue = bgr ? source[0] : source[2];
            line[x] = qRgba(red, source[1], blue, channels == 4 ? source[3] : 255);
        }
    }
    return QIcon(QPixmap::fromImage(
        picture.scaled(kSkinIconSize, kSkinIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

// A texture hands its pixels to the card and forgets them, so a skin shown is
// read again from where it came from, as the game's own file or archive entry.
QIcon SkinIcon(const COGLTexture2D& skin) {
    if (skin.Image() != nullptr && skin.Image()->HasPixels()) {
        return IconOf(skin.Image());
    }
    COGLImage image;
    image.SetBgrOrder(false);
    // With the palette it is drawn with: the game's, or the default one.
    const bool palette = skin.LoadOption() != 0;
    bool read = false;
    if (Archive* pak = skin.Pak()) {
        const PakEntry* entry = pak->FindEntry(skin.Path());
        read = entry != nullptr && image.LoadFromArchive(*pak, *entry, false, palette, false);
    } else if (!skin.Path().empty()) {
        read = image.LoadFile(skin.Path(), false, palette);
    }
    return read ? IconOf(&image) : QIcon();
}
}  // namespace

SkinsPage::SkinsPage(QWidget* parent) : ObjectSheetPage(parent) {
    auto* layout = new QVBoxLayout(this);
    skins_ = new QListWidget(this);
    skins_->setObjectName(QStringLiteral("skins"));
    skins_->setIconSize(QSize(kSkinIconSize, kSkinIconSize));
    layout->addWidget(skins_, 1);
    connect(skins_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (showing_ || model_ == nullptr || row < 0 || row >= static_cast<int>(model_->Skins().size())) {
            return;
        }
        GetHost().MakeViewContextCurrent();
        model_->SetTexture(model_->Skins()[static_cast<std::size_t>(row)]);
        emit changed();
    });
}

QString SkinsPage::Title() const { return QStringLiteral("Skins"); }

bool SkinsPage::Applies() const {
    const auto* model = dynamic_cast<const COGLModel*>(CurrentObject());
    return model != nullptr && !model->Skins().empty();
}

void SkinsPage::Refresh() {
    model_ = dynamic_cast<COGLModel*>(CurrentObject());
    if (model_ == nullptr) {
        return;
    }
    showing_ = true;
    skins_->clear();
    int currentSkin = -1;
    for (std::size_t i = 0; i < model_->Skins().size(); ++i) {
        const COGLTexture2D* skin = model_->Skins()[i];
        auto* item = new QListWidgetItem(
            skin != nullptr ? DisplayName(skin->Path().empty() ? skin->Name() : skin->Path()) : QStringLiteral("(none)"),
            skins_);
        if (skin != nullptr) {
            const QString key = QStringLiteral("%1|%2").arg(reinterpret_cast<quintptr>(skin->Pak())).arg(
                QString::fromStdString(skin->Path().empty() ? skin->Name() : skin->Path()));
            auto icon = icons_.find(key);
            if (icon == icons_.end()) {
                icon = icons_.insert(key, SkinIcon(*skin));
            }
            item->setIcon(*icon);
        }
        if (skin != nullptr && skin == model_->Texture()) {
            currentSkin = static_cast<int>(i);
        }
    }
    skins_->setCurrentRow(currentSkin);
    showing_ = false;
}
