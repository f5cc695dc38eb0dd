#include "ui/object/MaterialPage.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "scene/COGLObject.h"

namespace {
constexpr const char* kMaterialNames[4] = {"Ambient", "Diffuse", "Specular", "Emission"};
}  // namespace

MaterialPage::MaterialPage(const ColorChooser& chooseColor, QWidget* parent)
    : ObjectSheetPage(parent), chooseColor_(chooseColor) {
    QVBoxLayout* layout = MakePageLayout(this);
    QGroupBox* colors = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("Material"), colors, this);
    AddColorRows(form, kMaterialNames, QString(), colors_, colors, [this](int i) { PickColor(i); });
    shininess_ = MakeRealBox(0.0, 128.0, 4.0, 1, colors);
    shininess_->setToolTip(QStringLiteral("Specular exponent, 0 to 128: higher is a smaller, sharper highlight"));
    form->addRow(QStringLiteral("Shininess"), shininess_);
    layout->addWidget(colors);
    layout->addWidget(MakeNote(QStringLiteral("The Color Picker's \u201cAmbient\u201d, \u201cDiffuse\u201d, "
                                              "\u201cSpecular\u201d and \u201cEmission\u201d entries set these too."),
                               this));
    layout->addStretch(1);

    connect(shininess_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        EditShown(*this, CurrentObject(), [value](COGLObject& o) { o.SetShininess(static_cast<float>(value)); });
    });
}

QString MaterialPage::Title() const { return QStringLiteral("Material"); }

bool MaterialPage::Applies() const { return CurrentObject() != nullptr; }

void MaterialPage::Refresh() {
    const COGLObject* object = CurrentObject();
    if (object == nullptr) {
        return;
    }
    {
        const QSignalBlocker block(shininess_);
        shininess_->setValue(static_cast<double>(object->Shininess()));
    }
    colors_[0]->SetColor(ToQColor(object->Ambient()));
    colors_[1]->SetColor(ToQColor(object->Diffuse()));
    colors_[2]->SetColor(ToQColor(object->Specular()));
    colors_[3]->SetColor(ToQColor(object->Emission()));
}

void MaterialPage::PickColor(int which) {
    PickColorFor(*this, chooseColor_, *colors_[which], QString::fromLatin1(kMaterialNames[which]),
                 [this] { return CurrentObject(); },
                 [which](COGLObject& object, const QColor& chosen) {
                     const auto r = static_cast<float>(chosen.redF());
                     const auto g = static_cast<float>(chosen.greenF());
                     const auto b = static_cast<float>(chosen.blueF());
                     switch (which) {
                         case 0: object.SetAmbient(r, g, b, object.Ambient().alpha); break;
                         case 1: object.SetDiffuse(r, g, b, object.Diffuse().alpha); break;
                         case 2: object.SetSpecular(r, g, b, object.Specular().alpha); break;
                         default: object.SetEmission(r, g, b, object.Emission().alpha); break;
                     }
                 });
}
