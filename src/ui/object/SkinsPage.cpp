#include "ui/object/SkinsPage.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "media/COGLTexture2D.h"
#include "models/COGLModel.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "ui/SceneNames.h"

namespace {
QString DisplayName(const std::string& path) { return GameText(fs_util::FileNameOf(path)); }
}  // namespace

SkinsPage::SkinsPage(QWidget* parent) : ObjectSheetPage(parent) {
    auto* layout = new QVBoxLayout(this);
    skins_ = new QListWidget(this);
    skins_->setObjectName(QStringLiteral("skins"));
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
        skins_->addItem(skin != nullptr ? DisplayName(skin->Path().empty() ? skin->Name() : skin->Path())
                                        : QStringLiteral("(none)"));
        if (skin != nullptr && skin == model_->Texture()) {
            currentSkin = static_cast<int>(i);
        }
    }
    skins_->setCurrentRow(currentSkin);
    showing_ = false;
}
