#include "ui/object/SpotPage.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/Host.h"
#include "scene/COGLLight.h"
#include "ui/PropertyWidgets.h"
#include "ui/object/PageFields.h"

SpotPage::SpotPage(QWidget* parent) : ObjectSheetPage(parent) {
    QVBoxLayout* layout = MakePageLayout(this);
    QGroupBox* cone = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("Cone"), cone, this);
    cutOff_ = AddNamedRow(form, QStringLiteral("Cut-off"), QStringLiteral("cutOff"), MakeRealBox(0.0, 90.0, 1.0, 1, cone));
    cutOff_->setSuffix(QStringLiteral("\u00B0"));
    cutOff_->setToolTip(QStringLiteral("Half the angle of the cone of light (GL_SPOT_CUTOFF)"));
    exponent_ = AddNamedRow(form, QStringLiteral("Exponent"), QStringLiteral("exponent"),
                            MakeRealBox(0.0, 128.0, 1.0, 1, cone));
    exponent_->setToolTip(QStringLiteral("How sharply the light falls off towards the edge (GL_SPOT_EXPONENT)"));
    direction_ = AddNamedRow(form, QStringLiteral("Direction"), QStringLiteral("direction"), new QLabel(cone));
    step_ = AddNamedRow(form, QStringLiteral("Aim by"), QStringLiteral("aimStep"), MakeTurnStep(cone));
    auto* turns = new QHBoxLayout;
    turns->setSpacing(3);
    for (QToolButton* button : MakeTurnButtons(QStringLiteral("aim"), QStringLiteral("Aim the spot back about its %1 axis"),
                                               QStringLiteral("Aim the spot about its %1 axis"), cone,
                                               [this](int axis, float sign) { Aim(axis, sign); })) {
        turns->addWidget(button);
    }
    form->addRow(turns);
    layout->addWidget(cone);

    QGroupBox* falloff = nullptr;
    form = MakeFormGroup(QStringLiteral("Attenuation"), falloff, this);
    static constexpr const char* kAttenuation[3] = {"Constant", "Linear", "Quadratic"};
    for (int i = 0; i < 3; ++i) {
        attenuation_[i] = AddNamedRow(form, QString::fromLatin1(kAttenuation[i]),
                                      QString::fromLatin1(kAttenuation[i]).toLower(),
                                      MakeRealBox(0.0, 100.0, 0.05, 3, falloff));
        connect(attenuation_[i], &QDoubleSpinBox::valueChanged, this, [this, i](double value) {
            EditShown(*this, CurrentSpot(), [i, a = static_cast<float>(value)](COGLSpotLight& spot) {
                switch (i) {
                    case 0: spot.SetConstantAttenuation(a); break;
                    case 1: spot.SetLinearAttenuation(a); break;
                    default: spot.SetQuadraticAttenuation(a); break;
                }
            });
        });
    }
    layout->addWidget(falloff);
    layout->addStretch(1);

    connect(cutOff_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        EditShown(*this, CurrentSpot(), [value](COGLSpotLight& spot) { spot.SetCutOff(static_cast<float>(value)); });
    });
    connect(exponent_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        EditShown(*this, CurrentSpot(), [value](COGLSpotLight& spot) { spot.SetExponent(static_cast<float>(value)); });
    });
}

COGLSpotLight* SpotPage::CurrentSpot() const { return dynamic_cast<COGLSpotLight*>(CurrentLight()); }

QString SpotPage::Title() const { return QStringLiteral("Spot"); }

bool SpotPage::Applies() const {
    const COGLLight* light = CurrentLight();
    return light != nullptr && light->IsSpot();
}

void SpotPage::Refresh() {
    const COGLSpotLight* spot = CurrentSpot();
    if (spot == nullptr) {
        return;
    }
    const QSignalBlocker a(cutOff_), b(exponent_), c(attenuation_[0]), d(attenuation_[1]), e(attenuation_[2]);
    // GL takes 0 to 90 or the special 180 (no cone at all).
    cutOff_->setMaximum(spot->CutOff() > 90.0f ? 180.0 : 90.0);
    cutOff_->setValue(static_cast<double>(spot->CutOff()));
    exponent_->setValue(static_cast<double>(spot->Exponent()));
    attenuation_[0]->setValue(static_cast<double>(spot->ConstantAttenuation()));
    attenuation_[1]->setValue(static_cast<double>(spot->LinearAttenuation()));
    attenuation_[2]->setValue(static_cast<double>(spot->QuadraticAttenuation()));
    const Vector3& aim = spot->Direction();
    direction_->setText(
        QStringLiteral("%1, %2, %3").arg(ShownNumber(aim.x, 2), ShownNumber(aim.y, 2), ShownNumber(aim.z, 2)));
}

void SpotPage::Aim(int axis, float sign) {
    COGLSpotLight* spot = CurrentSpot();
    if (spot == nullptr) {
        return;
    }
    TurnAbout(spot->Marker(), axis, sign * static_cast<float>(step_->value()));
    GetHost().MakeViewContextCurrent();
    spot->ComputeDirection();
    Refresh();
    emit changed();
}
