#include "ui/ScenePropertiesPanel.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/Messages.h"
#include "ui/QtHost.h"
#include "ui/scene/BackgroundPage.h"
#include "ui/scene/ObjectsPage.h"
#include "ui/scene/PaksPage.h"
#include "ui/scene/MapPage.h"
#include "ui/scene/ShadowsPage.h"
#include "ui/scene/TexturesPage.h"

ScenePropertiesPanel::ScenePropertiesPanel(QWidget* parent) : QWidget(parent) {
    chooseColor = StandardColorChooser(this);
    // Background pictures and textures are looked for where the last of either was found.
    choosePictures = [this](const QString& title, bool several) {
        const QString filter = ToQtNameFilters(filters::kTexture).join(QStringLiteral(";;"));
        QStringList chosen;
        if (several) {
            chosen = QFileDialog::getOpenFileNames(this, title, lastDirectory_, filter);
        } else {
            const QString one = QFileDialog::getOpenFileName(this, title, lastDirectory_, filter);
            if (!one.isEmpty()) {
                chosen << one;
            }
        }
        if (!chosen.isEmpty()) {
            lastDirectory_ = QFileInfo(chosen.constFirst()).absolutePath();
        }
        return chosen;
    };

    tabs_ = new QTabWidget(this);
    tabs_->setDocumentMode(true);
    // Every page's tab in sight: a modder switches between them all the time.
    tabs_->setUsesScrollButtons(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(tabs_);

    const SceneSheetHooks& hooks = *this;
    AddPage(new ObjectsPage(hooks));
    AddPage(new BackgroundPage(hooks));
    AddPage(new ShadowsPage);
    auto* textures = new TexturesPage(hooks);
    AddPage(textures);
    paks_ = new PaksPage(hooks);
    // A picture opened from an archive joins the scene's textures.
    connect(paks_, &PropertyPage::changed, textures, &PropertyPage::Refresh);
    AddPage(paks_);
    AddPage(new MapPage);

    Refresh();
}

ScenePropertiesPanel::~ScenePropertiesPanel() = default;

void ScenePropertiesPanel::AddPage(PropertyPage* page) {
    tabs_->addTab(page, page->Title());
    pages_.push_back(page);
    connect(page, &PropertyPage::changed, this, [this] {
        if (onChanged) {
            onChanged();
        }
    });
}

void ScenePropertiesPanel::SetScene(COGLScene* scene) {
    scene_ = scene;
    for (PropertyPage* page : pages_) {
        page->SetScene(scene);
    }
    Refresh();
}

void ScenePropertiesPanel::Refresh() {
    setEnabled(scene_ != nullptr);
    for (PropertyPage* page : pages_) {
        page->Refresh();
    }
}

void ScenePropertiesPanel::ShowPak(int position) {
    if (paks_->ShowPak(position)) {
        tabs_->setCurrentIndex(kPaksPage);
    }
}
