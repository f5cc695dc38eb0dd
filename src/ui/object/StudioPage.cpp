#include "ui/object/StudioPage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStringList>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <cstdint>

#include "models/halflife/COGLHLModel.h"
#include "ui/PropertyWidgets.h"
#include "ui/SceneNames.h"
#include "ui/object/ValueSlider.h"

namespace {
// The ways a texture is drawn, in the words of the texture list.
QString TextureFlagsText(int flags) {
    using namespace studio_format;
    static constexpr struct {
        int flag;
        const char* name;
    } kFlags[] = {{kTextureChrome, "chrome"},        {kTextureAdditive, "additive"}, {kTextureMasked, "masked"},
                  {kTextureFlatShade, "flat"},       {kTextureFullBright, "fullbright"},
                  {kTextureNoMipmaps, "no mipmaps"}};
    QStringList names;
    for (const auto& entry : kFlags) {
        if ((flags & entry.flag) != 0) {
            names << QString::fromLatin1(entry.name);
        }
    }
    return names.join(QStringLiteral(", "));
}

// The largest body value the parts make (each part's count times the ones before).
int LargestBody(const std::vector<COGLHLModel::BodyPartChoice>& parts) {
    std::int64_t values = 1;
    for (const auto& part : parts) {
        values = std::min<std::int64_t>(values * std::max<std::int64_t>(1, std::ssize(part.submodels)), INT_MAX);
    }
    return static_cast<int>(values - 1);
}

void ClearRows(QFormLayout* form) {
    while (form->rowCount() > 0) {
        form->removeRow(0);
    }
}
}  // namespace

StudioPage::StudioPage(QWidget* parent) : ObjectSheetPage(parent) {
    QVBoxLayout* layout = MakePageLayout(this);

    bodyForm_ = MakeFormGroup(QStringLiteral("Body"), bodyGroup_, this);
    layout->addWidget(bodyGroup_);

    QGroupBox* skins = nullptr;
    QFormLayout* skinForm = MakeFormGroup(QStringLiteral("Skins"), skins, this);
    skinFamily_ =
        AddNamedRow(skinForm, QStringLiteral("Skin family"), QStringLiteral("skinFamily"), new QSpinBox(skins));
    skinFamily_->setKeyboardTracking(false);
    layout->addWidget(skins);

    controllerForm_ = MakeFormGroup(QStringLiteral("Controllers"), controllerGroup_, this);
    layout->addWidget(controllerGroup_);

    QGroupBox* textures = nullptr;
    QFormLayout* textureForm = MakeFormGroup(QStringLiteral("Textures"), textures, this);
    textures_ = new QTreeWidget(textures);
    textures_->setObjectName(QStringLiteral("studioTextures"));
    textures_->setHeaderLabels({QStringLiteral("Texture"), QStringLiteral("Size"), QStringLiteral("Flags")});
    textures_->setRootIsDecorated(false);
    textures_->setSelectionMode(QAbstractItemView::NoSelection);
    textures_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    textureForm->addRow(textures_);
    layout->addWidget(textures);
    layout->addStretch(1);

    connect(skinFamily_, &QSpinBox::valueChanged, this, [this](int family) {
        if (!showing_) {
            EditShown(*this, Shown(), [family](COGLHLModel& m) { m.SetSkinFamily(family); });
        }
    });
}

QString StudioPage::Title() const { return QStringLiteral("Half-Life"); }

bool StudioPage::Applies() const {
    const auto* model = dynamic_cast<const COGLHLModel*>(CurrentObject());
    return model != nullptr && model->Studio() != nullptr && model->Studio()->Data() != nullptr;
}

COGLHLModel* StudioPage::Shown() const {
    auto* model = dynamic_cast<COGLHLModel*>(CurrentObject());
    const bool same = model != nullptr && model->Studio() != nullptr && model->Studio()->Data() == builtFor_;
    return same ? model : nullptr;
}

void StudioPage::Refresh() {
    const auto* model = dynamic_cast<const COGLHLModel*>(CurrentObject());
    if (model == nullptr || model->Studio() == nullptr) {
        return;
    }
    if (model->Studio()->Data() != builtFor_) {
        Build(*model);
    }
    ShowPose(*model);
}

void StudioPage::Build(const COGLHLModel& model) {
    builtFor_ = model.Studio()->Data();
    showing_ = true;

    // Removing a row deletes its widgets, the body box with them.
    ClearRows(bodyForm_);
    parts_.clear();
    const auto parts = model.BodyParts();
    for (std::size_t p = 0; p < parts.size(); ++p) {
        QComboBox* choice = MakeChoiceBox(QStringLiteral("bodyPart%1").arg(p), bodyGroup_);
        for (const std::string& name : parts[p].submodels) {
            choice->addItem(GameText(name));
        }
        const int part = static_cast<int>(p);
        connect(choice, &QComboBox::currentIndexChanged, this, [this, part](int submodel) {
            if (showing_ || submodel < 0) {
                return;
            }
            EditShown(*this, Shown(), [this, part, submodel](COGLHLModel& m) {
                m.SetSubmodel(part, submodel);
                ShowPose(m);
            });
        });
        bodyForm_->addRow(GameText(parts[p].name), choice);
        parts_.push_back(choice);
    }
    body_ = AddNamedRow(bodyForm_, QStringLiteral("Body value"), QStringLiteral("body"), new QSpinBox(bodyGroup_));
    body_->setRange(0, LargestBody(parts));
    body_->setKeyboardTracking(false);
    body_->setToolTip(QStringLiteral("The number the game stores for the submodels chosen"));
    connect(body_, &QSpinBox::valueChanged, this, [this](int body) {
        if (!showing_) {
            EditShown(*this, Shown(), [this, body](COGLHLModel& m) {
                m.SetBody(body);
                ShowPose(m);
            });
        }
    });
    bodyGroup_->setVisible(!parts.empty());

    ClearRows(controllerForm_);
    controllers_.clear();
    // Several bone controllers may share one setting: the first of them gives its range.
    const auto& all = model.Controllers();
    for (int index = 0; index <= studio_format::kMouthController; ++index) {
        const auto found = std::find_if(all.begin(), all.end(),
                                        [index](const StudioBoneController& c) { return c.index == index; });
        if (found == all.end()) {
            continue;
        }
        const bool mouth = index == studio_format::kMouthController;
        const QString name = mouth ? QStringLiteral("mouth") : QStringLiteral("controller%1").arg(index);
        auto* slider = new ValueSlider(name, controllerGroup_);
        slider->SetRange(found->start, found->end, found->Loops(), found->Rotates());
        const auto bone = static_cast<std::size_t>(found->bone);
        if (const StudioData* data = model.Studio()->Data(); bone < data->bones.size()) {
            slider->setToolTip(QStringLiteral("Bone %1").arg(GameText(data->bones[bone].name)));
        }
        connect(slider, &ValueSlider::edited, this, [this, index, mouth](float value) {
            EditShown(*this, Shown(), [index, mouth, value](COGLHLModel& m) {
                if (mouth) {
                    m.SetMouth(value);
                } else {
                    m.SetController(index, value);
                }
            });
        });
        controllerForm_->addRow(mouth ? QStringLiteral("Mouth") : QStringLiteral("Controller %1").arg(index), slider);
        controllers_.push_back({mouth ? -1 : index, slider});
    }
    controllerGroup_->setVisible(!controllers_.empty());

    textures_->clear();
    for (const StudioTexture& texture : builtFor_->textures) {
        auto* item = new QTreeWidgetItem(textures_);
        item->setText(0, GameText(texture.name));
        item->setText(1, QStringLiteral("%1 \u00D7 %2").arg(texture.width).arg(texture.height));
        item->setText(2, TextureFlagsText(texture.flags));
    }
    textures_->setMinimumHeight(textures_->sizeHintForRow(0) * std::clamp(textures_->topLevelItemCount(), 1, 8) +
                                textures_->header()->sizeHint().height() + 4);
    showing_ = false;
}

void StudioPage::ShowPose(const COGLHLModel& model) {
    const bool wasShowing = showing_;
    showing_ = true;
    for (std::size_t p = 0; p < parts_.size(); ++p) {
        const QSignalBlocker block(parts_[p]);
        parts_[p]->setCurrentIndex(model.Submodel(static_cast<int>(p)));
    }
    {
        const QSignalBlocker block(body_);
        body_->setValue(model.Body());
    }
    {
        const QSignalBlocker block(skinFamily_);
        skinFamily_->setRange(0, std::max(0, model.SkinFamilyCount() - 1));
        skinFamily_->setValue(model.SkinFamily());
        skinFamily_->setEnabled(model.SkinFamilyCount() > 1);
    }
    for (const ControllerRow& row : controllers_) {
        row.slider->SetValue(row.index < 0 ? model.Mouth() : model.Controller(row.index));
    }
    showing_ = wasShowing;
}
