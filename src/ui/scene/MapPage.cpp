#include "ui/scene/MapPage.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "scene/COGLScene.h"
#include "scene/SceneBackdrop.h"
#include "ui/PropertyWidgets.h"
#include "ui/SceneNames.h"

namespace {
SceneBackdrop* BackdropOf(COGLScene* scene) { return scene != nullptr ? scene->Backdrop() : nullptr; }

// Changes the shown backdrop's settings through `edit`, then reports it.
template <typename Edit>
void EditSettings(PropertyPage& page, Edit&& edit) {
    EditShown(page, BackdropOf(page.Scene()), [&](SceneBackdrop& backdrop) {
        BackdropSettings settings = backdrop.Settings();
        edit(settings);
        backdrop.SetSettings(settings);
    });
}
}  // namespace

MapPage::MapPage(QWidget* parent) : PropertyPage(parent) {
    auto* layout = new QVBoxLayout(this);
    QGroupBox* look = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("Map"), look, this);
    name_ = new QLabel(look);
    name_->setObjectName(QStringLiteral("mapName"));
    form->addRow(name_);
    brightness_ = AddNamedRow(form, QStringLiteral("Brightness"), QStringLiteral("mapBrightness"),
                              MakeRealBox(0.0, 8.0, 0.25, 2, look));
    brightness_->setToolTip(QStringLiteral("The lightmaps are multiplied by this; the games use 2"));
    sky_ = new QCheckBox(QStringLiteral("Sky"), look);
    sky_->setObjectName(QStringLiteral("mapSky"));
    sky_->setToolTip(QStringLiteral("Off: the scene's background shows where the map's sky is"));
    form->addRow(sky_);
    layout->addWidget(look);

    layout->addWidget(new QLabel(QStringLiteral("Brush entities shown:"), this));
    brushEntities_ = new QListWidget(this);
    brushEntities_->setObjectName(QStringLiteral("mapBrushEntities"));
    layout->addWidget(brushEntities_);
    layout->addWidget(new QLabel(QStringLiteral("Pictures not found (drawn as a checker):"), this));
    missing_ = new QListWidget(this);
    missing_->setObjectName(QStringLiteral("mapMissing"));
    layout->addWidget(missing_);
    layout->addWidget(MakeNote(QStringLiteral("Open a map (.bsp) to compose in it; clicking the map away from any "
                                              "object selects it."),
                               this));

    connect(brightness_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        EditSettings(*this, [value](BackdropSettings& settings) { settings.brightness = static_cast<float>(value); });
    });
    connect(sky_, &QCheckBox::toggled, this,
            [this](bool on) { EditSettings(*this, [on](BackdropSettings& settings) { settings.sky = on; }); });
    connect(brushEntities_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const int row = brushEntities_->row(item);
        const bool shown = item->checkState() == Qt::Checked;
        EditSettings(*this, [row, shown](BackdropSettings& settings) {
            if (row >= 0) {
                settings.brushEntitiesShown.resize(std::max(settings.brushEntitiesShown.size(), std::size_t(row) + 1), 1);
                settings.brushEntitiesShown[static_cast<std::size_t>(row)] = shown ? 1 : 0;
            }
        });
    });
}

QString MapPage::Title() const { return QStringLiteral("Map"); }

void MapPage::Refresh() {
    const SceneBackdrop* backdrop = BackdropOf(Scene());
    setEnabled(backdrop != nullptr);
    const QSignalBlocker blockBrightness(brightness_);
    const QSignalBlocker blockSky(sky_);
    const QSignalBlocker blockEntities(brushEntities_);
    brushEntities_->clear();
    missing_->clear();
    if (backdrop == nullptr) {
        name_->setText(QStringLiteral("No map"));
        return;
    }
    const BackdropSettings& settings = backdrop->Settings();
    name_->setText(GameText(backdrop->Name()));
    brightness_->setValue(settings.brightness);
    sky_->setChecked(settings.sky);
    const std::vector<std::string> names = backdrop->BrushEntityNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto* item = new QListWidgetItem(GameText(names[i]), brushEntities_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(settings.BrushEntityShown(i) ? Qt::Checked : Qt::Unchecked);
    }
    for (const std::string& name : backdrop->MissingPictures()) {
        missing_->addItem(GameText(name));
    }
}
