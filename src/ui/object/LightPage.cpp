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
#include "ui/object/PageFields.h"

namespace {
constexpr const char* kLightColorNames[3] = {"Ambient", "Diffuse", "Specular"};
}  // namespace

LightPage::LightPage(const ColorChooser& chooseColor, QWidget* parent)
    : ObjectSheetPage(parent), chooseColor_(chooseColor) {
    QVBoxLayout* layout = MakePageLayout(this);

    QGroupBox* general = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("Light"), general, this);
    name_ = AddNamedRow(form, QStringLiteral("Name"), QStringLiteral("lightName"), MakeNameField(general));
    enabled_ = AddNamedRow(form, QStringLiteral("Enabled"), QStringLiteral("lightEnabled"),
                           new QCheckBox(QStringLiteral("On"), general));
    slot_ = AddNamedRow(form, QStringLiteral("GL light"), QStringLiteral("lightSlot"), new QLabel(general));
    slot_->setWordWrap(true);
    position_ = AddNamedRow(form, QStringLiteral("Position"), QStringLiteral("lightPosition"),
                            new Vector3Editor(-kPlacementLimit, kPlacementLimit, 0.1, 3, general));
    w_ = AddNamedRow(form, QStringLiteral("W"), QStringLiteral("lightW"), MakeRealBox(0.0, 1.0, 1.0, 2, general));
    w_->setToolTip(QStringLiteral("1: the light stands at its position; 0: it shines from that direction, "
                                  "infinitely far away"));
    layout->addWidget(general);

    QGroupBox* colors = nullptr;
    form = MakeFormGroup(QStringLiteral("Colours"), colors, this);
    AddColorRows(form, kLightColorNames, QStringLiteral("light"), colors_, colors, [this](int i) { PickColor(i); });
    layout->addWidget(colors);
    layout->addStretch(1);

    connect(name_, &QLineEdit::editingFinished, this, [this] { Rename(*this, *name_, CurrentLight()); });
    connect(enabled_, &QCheckBox::toggled, this,
            [this](bool on) { EditShown(*this, CurrentLight(), [on](COGLLight& light) { light.SetEnabled(on); }); });
    connect(position_, &Vector3Editor::edited, this, [this](const Vector3& p) {
        EditShown(*this, CurrentLight(), [p](COGLLight& light) { light.Marker().SetPosition(p.x, p.y, p.z); });
    });
    connect(w_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        EditShown(*this, CurrentLight(), [value](COGLLight& light) { light.SetW(static_cast<float>(value)); });
    });
}

QString LightPage::Title() const { return QStringLiteral("Light"); }

bool LightPage::Applies() const { return CurrentLight() != nullptr; }

void LightPage::Refresh() {
    const COGLLight* light = CurrentLight();
    if (light == nullptr) {
        return;
    }
    ShowName(*name_, light->Name());
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
    PickColorFor(*this, chooseColor_, *colors_[which],
                 QStringLiteral("Light ") + QString::fromLatin1(kLightColorNames[which]), [this] { return CurrentLight(); },
                 [which](COGLLight& light, const QColor& chosen) {
                     switch (which) {
                         case 0: light.SetAmbient(ToColorRGBA(chosen, light.Ambient().alpha)); break;
                         case 1: light.SetDiffuse(ToColorRGBA(chosen, light.Diffuse().alpha)); break;
                         default: light.SetSpecular(ToColorRGBA(chosen, light.Specular().alpha)); break;
                     }
                 });
}
