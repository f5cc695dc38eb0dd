#include "ui/object/LightPage.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "scene/COGLLight.h"
#include "ui/SceneNames.h"
#include "ui/object/PageFields.h"

namespace {
const char* const kLightColorNames[3] = {"Ambient", "Diffuse", "Specular"};
}  // namespace

LightPage::LightPage(const ColorChooser& chooseColor, QWidget* parent)
    : ObjectSheetPage(parent), chooseColor_(chooseColor) {
    QVBoxLayout* layout = MakePageLayout(this);

    QGroupBox* general = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("Light"), general, this);
    name_ = new QLineEdit(general);
    name_->setObjectName(QStringLiteral("lightName"));
    name_->setMaxLength(kMaxNameLength);
    form->addRow(QStringLiteral("Name"), name_);
    enabled_ = new QCheckBox(QStringLiteral("On"), general);
    enabled_->setObjectName(QStringLiteral("lightEnabled"));
    form->addRow(QStringLiteral("Enabled"), enabled_);
    slot_ = new QLabel(general);
    slot_->setObjectName(QStringLiteral("lightSlot"));
    slot_->setWordWrap(true);
    form->addRow(QStringLiteral("GL light"), slot_);
    position_ = new Vector3Editor(-kPlacementLimit, kPlacementLimit, 0.1, 3, general);
    position_->setObjectName(QStringLiteral("lightPosition"));
    form->addRow(QStringLiteral("Position"), position_);
    w_ = MakeRealBox(0.0, 1.0, 1.0, 2, general);
    w_->setObjectName(QStringLiteral("lightW"));
    w_->setToolTip(QStringLiteral("1: the light stands at its position; 0: it shines from that direction, "
                                  "infinitely far away"));
    form->addRow(QStringLiteral("W"), w_);
    layout->addWidget(general);

    QGroupBox* colors = nullptr;
    form = MakeFormGroup(QStringLiteral("Colours"), colors, this);
    for (int i = 0; i < 3; ++i) {
        auto* button = new ColorButton(colors);
        button->setObjectName(QStringLiteral("light") + QString::fromLatin1(kLightColorNames[i]));
        connect(button, &ColorButton::clicked, this, [this, i] { PickColor(i); });
        colors_[i] = button;
        form->addRow(QString::fromLatin1(kLightColorNames[i]), button);
    }
    layout->addWidget(colors);
    layout->addStretch(1);

    connect(name_, &QLineEdit::editingFinished, this, [this] {
        COGLLight* light = CurrentLight();
        if (light == nullptr) {
            return;
        }
        if (const auto name = TypedName(*name_, light->Name())) {
            light->SetName(*name);
            emit changed();
        }
    });
    connect(enabled_, &QCheckBox::toggled, this, [this](bool on) {
        if (COGLLight* light = CurrentLight()) {
            light->SetEnabled(on);
            emit changed();
        }
    });
    connect(position_, &Vector3Editor::edited, this, [this](const Vector3& p) {
        if (COGLLight* light = CurrentLight()) {
            light->Marker().SetPosition(p.x, p.y, p.z);
            emit changed();
        }
    });
    connect(w_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        if (COGLLight* light = CurrentLight()) {
            light->SetW(static_cast<float>(value));
            emit changed();
        }
    });
}

QString LightPage::Title() const { return QStringLiteral("Light"); }

bool LightPage::Applies() const { return CurrentLight() != nullptr; }

void LightPage::Refresh() {
    const COGLLight* light = CurrentLight();
    if (light == nullptr) {
        return;
    }
    const QString name = GameText(light->Name());
    if (name_->text() != name) {
        name_->setText(name);
    }
    {
        const QSignalBlocker a(enabled_), b(w_);
        enabled_->setChecked(light->IsEnabled());
        w_->setValue(static_cast<double>(light->W()));
    }
    slot_->setText(light->HasGLLight() ? QStringLiteral("GL_LIGHT%1").arg(light->Slot())
                                       : QStringLiteral("None: all eight are taken, so this light lights nothing."));
    position_->SetValue(light->Position());
    colors_[0]->SetColor(ToQColor(light->Ambient()));
    colors_[1]->SetColor(ToQColor(light->Diffuse()));
    colors_[2]->SetColor(ToQColor(light->Specular()));
}

void LightPage::PickColor(int which) {
    if (CurrentLight() == nullptr) {
        return;
    }
    const std::optional<QColor> chosen =
        chooseColor_(colors_[which]->Color(), QStringLiteral("Light ") + QString::fromLatin1(kLightColorNames[which]));
    // The dialog is modal: the selection may have changed while it was open.
    COGLLight* light = CurrentLight();
    if (!chosen || light == nullptr) {
        return;
    }
    const auto r = static_cast<float>(chosen->redF());
    const auto g = static_cast<float>(chosen->greenF());
    const auto b = static_cast<float>(chosen->blueF());
    switch (which) {
        case 0: light->SetAmbient({r, g, b, light->Ambient().alpha}); break;
        case 1: light->SetDiffuse({r, g, b, light->Diffuse().alpha}); break;
        default: light->SetSpecular({r, g, b, light->Specular().alpha}); break;
    }
    Refresh();
    emit changed();
}
