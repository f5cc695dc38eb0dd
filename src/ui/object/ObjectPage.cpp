#include "ui/object/ObjectPage.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "scene/COGLObject.h"
#include "scene/Primitives.h"
#include "ui/PropertyWidgets.h"
#include "ui/object/PageFields.h"

namespace {
QString Degrees(float value) { return ShownNumber(value, 1) + QChar(0x00B0); }
}  // namespace

Vector3 OrientationAngles(const COGLObject& object) {
    // R = Rx(a) Ry(b) Rz(c): row 0 is (cb cc, -cb sc, sb), and the last column
    // below it is (-sa cb, ca cb).
    const Matrix4 m = object.Orientation().ToMatrix();
    const double sb = std::clamp(m(0, 2), -1.0, 1.0);
    double a = 0.0;
    double c = 0.0;
    const double b = std::asin(sb);
    if (std::abs(sb) < 0.99999) {
        a = std::atan2(-m(1, 2), m(2, 2));
        c = std::atan2(-m(0, 1), m(0, 0));
    } else {
        // Looking straight along x: only a + c (or a - c) is defined; c takes 0.
        a = std::atan2(m(2, 1), m(1, 1));
    }
    constexpr double kToDegrees = 180.0 / std::numbers::pi;
    const auto tidy = [](double degrees) {
        // -0.0 and -180 read badly; both have a plain equivalent.
        if (std::abs(degrees) < 0.005) {
            return 0.0f;
        }
        if (degrees <= -179.995) {
            degrees += 360.0;
        }
        return static_cast<float>(degrees);
    };
    return {tidy(a * kToDegrees), tidy(b * kToDegrees), tidy(c * kToDegrees)};
}

ObjectPage::ObjectPage(QWidget* parent) : ObjectSheetPage(parent) {
    QVBoxLayout* layout = MakePageLayout(this);

    QGroupBox* general = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("General"), general, this);
    name_ = AddNamedRow(form, QStringLiteral("Name"), QStringLiteral("name"), MakeNameField(general));
    name_->setPlaceholderText(QStringLiteral("(no name)"));
    visible_ = new QCheckBox(QStringLiteral("Visible"), general);
    visible_->setObjectName(QStringLiteral("visible"));
    transparent_ = new QCheckBox(QStringLiteral("Transparent"), general);
    transparent_->setObjectName(QStringLiteral("transparent"));
    auto* flags = new QHBoxLayout;
    flags->addWidget(visible_);
    flags->addWidget(transparent_);
    flags->addStretch(1);
    form->addRow(flags);
    alpha_ = MakeRealBox(0.0, 1.0, 0.05, 2, general);
    alpha_->setToolTip(QStringLiteral("The diffuse alpha a transparent object is blended with"));
    form->addRow(QStringLiteral("Opacity"), alpha_);
    layout->addWidget(general);

    QGroupBox* placement = nullptr;
    form = MakeFormGroup(QStringLiteral("Placement"), placement, this);
    position_ = AddNamedRow(form, QStringLiteral("Position"), QStringLiteral("position"),
                            new Vector3Editor(-kPlacementLimit, kPlacementLimit, 0.1, 3, placement));
    scale_ = AddNamedRow(form, QStringLiteral("Scale"), QStringLiteral("scale"),
                         new Vector3Editor(-kScaleLimit, kScaleLimit, 0.1, 3, placement));
    layout->addWidget(placement);

    // The orientation is a quaternion that only ever turns by steps, as the Rotate
    // tool turns it; the angles shown are read back from it (about x, then the
    // turned y, then z), and Reset turns the same steps back.
    QGroupBox* rotation = nullptr;
    form = MakeFormGroup(QStringLiteral("Rotation"), rotation, this);
    orientation_ = AddNamedRow(form, QStringLiteral("Angles"), QStringLiteral("orientation"), new QLabel(rotation));
    orientation_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    rotateStep_ = AddNamedRow(form, QStringLiteral("Turn by"), QStringLiteral("turnStep"), MakeTurnStep(rotation));
    auto* turns = new QGridLayout;
    turns->setSpacing(3);
    const auto buttons = MakeTurnButtons(QStringLiteral("turn"), QStringLiteral("Turn back about the object's %1 axis"),
                                         QStringLiteral("Turn about the object's %1 axis"), rotation,
                                         [this](int axis, float sign) { Turn(axis, sign); });
    for (int column = 0; column < 6; ++column) {
        turns->addWidget(buttons[static_cast<std::size_t>(column)], 0, column);
    }
    auto* reset = new QPushButton(QStringLiteral("Reset"), rotation);
    reset->setObjectName(QStringLiteral("resetRotation"));
    reset->setToolTip(QStringLiteral("Turn the object back to its unrotated orientation"));
    connect(reset, &QPushButton::clicked, this, &ObjectPage::ResetRotation);
    turns->addWidget(reset, 1, 0, 1, 6);
    form->addRow(turns);
    layout->addWidget(rotation);
    layout->addStretch(1);

    connect(name_, &QLineEdit::editingFinished, this, [this] { Rename(*this, *name_, CurrentObject()); });
    connect(visible_, &QCheckBox::toggled, this,
            [this](bool on) { EditShown(*this, CurrentObject(), [on](COGLObject& o) { o.SetVisible(on); }); });
    connect(transparent_, &QCheckBox::toggled, this,
            [this](bool on) { EditShown(*this, CurrentObject(), [on](COGLObject& o) { o.SetTransparent(on); }); });
    connect(alpha_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        EditShown(*this, CurrentObject(), [value](COGLObject& o) { o.SetDiffuseAlpha(static_cast<float>(value)); });
    });
    connect(position_, &Vector3Editor::edited, this, [this](const Vector3& p) {
        EditShown(*this, CurrentObject(), [p](COGLObject& o) { o.SetPosition(p.x, p.y, p.z); });
    });
    connect(scale_, &Vector3Editor::edited, this, [this](const Vector3& s) {
        EditShown(*this, CurrentObject(), [this, s](COGLObject& o) {
            o.SetScale(s.x, s.y, s.z);
            scale_->SetValue(o.GetScale());
        });
    });
}

QString ObjectPage::Title() const { return QStringLiteral("Object"); }

bool ObjectPage::Applies() const { return CurrentObject() != nullptr; }

void ObjectPage::Refresh() {
    const COGLObject* object = CurrentObject();
    if (object == nullptr) {
        return;
    }
    ShowName(*name_, object->Name());
    position_->SetValue(object->Position());
    scale_->SetValue(object->GetScale());
    const auto* plane = dynamic_cast<const COGLPlane*>(object);
    for (int axis = 0; axis < 3; ++axis) {
        scale_->SetAxisEnabled(axis, plane == nullptr || plane->ThinAxis() != axis);
    }
    ShowOrientation(*object);
    const QSignalBlocker a(visible_), b(transparent_), c(alpha_);
    visible_->setChecked(object->IsVisible());
    transparent_->setChecked(object->IsTransparent());
    alpha_->setValue(static_cast<double>(object->Diffuse().alpha));
}

void ObjectPage::ShowOrientation(const COGLObject& object) {
    const Vector3 angles = OrientationAngles(object);
    orientation_->setText(
        QStringLiteral("X %1   Y %2   Z %3").arg(Degrees(angles.x), Degrees(angles.y), Degrees(angles.z)));
}

void ObjectPage::Turn(int axis, float sign) {
    COGLObject* object = CurrentObject();
    if (object == nullptr) {
        return;
    }
    TurnAbout(*object, axis, sign * static_cast<float>(rotateStep_->value()));
    ShowOrientation(*object);
    emit changed();
}

void ObjectPage::ResetRotation() {
    COGLObject* object = CurrentObject();
    if (object == nullptr) {
        return;
    }
    // Undo x, then y, then z in the reverse order, through the object's own turns
    // (a player turns its weapon with it).
    const Vector3 angles = OrientationAngles(*object);
    object->RotateZ(-angles.z);
    object->RotateY(-angles.y);
    object->RotateX(-angles.x);
    ShowOrientation(*object);
    emit changed();
}
