#include "ui/ObjectPropertiesPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "media/COGLTexture2D.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLLight.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "scene/COGLText.h"
#include "scene/Primitives.h"
#include "ui/SceneNames.h"

namespace {
constexpr double kPlacementLimit = 100000.0;
constexpr double kScaleLimit = 10000.0;
constexpr int kMaxNameLength = static_cast<int>(COGLObject::kNameFieldSize) - 1;
constexpr int kMaxTextLength = static_cast<int>(COGLText::kTextFieldSize) - 1;
constexpr int kMaxFontLength = static_cast<int>(COGLText::kFontFieldSize) - 1;

const char* const kMaterialNames[4] = {"Ambient", "Diffuse", "Specular", "Emission"};
const char* const kLightColorNames[3] = {"Ambient", "Diffuse", "Specular"};

// Each page scrolls on its own, so a short dock never squeezes the fields.
QWidget* Scrolling(QWidget* page, QWidget* parent) {
    auto* scroll = new QScrollArea(parent);
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Never narrower than the page: no field is ever cut off at the side.
    scroll->setMinimumWidth(page->minimumSizeHint().width() +
                            scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2);
    return scroll;
}

QVBoxLayout* PageLayout(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(8);
    return layout;
}

// A value as shown with `decimals` places, never as "-0.0".
QString Number(float value, int decimals) {
    const double shown = std::round(static_cast<double>(value) * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    return QString::number(shown == 0.0 ? 0.0 : shown, 'f', decimals);
}

QString Degrees(float value) { return Number(value, 1) + QChar(0x00B0); }

// The name typed into `edit` when it differs from `current` and the scene can
// hold it; a refused one is put back as it was.
std::optional<std::string> TypedName(QLineEdit& edit, const std::string& current) {
    const std::optional<std::string> name = ToSceneText(edit.text(), kMaxNameLength);
    if (!name) {
        edit.setText(FromSceneText(current));
        return std::nullopt;
    }
    return *name != current ? name : std::nullopt;
}

QToolButton* StepButton(const QString& text, const QString& name, const QString& tip, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(tip);
    button->setObjectName(name);
    button->setMinimumWidth(34);
    return button;
}
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

ObjectPropertiesPanel::ObjectPropertiesPanel(QWidget* parent) : QWidget(parent) {
    chooseColor = StandardColorChooser(this);

    placeholder_ = new QLabel(QStringLiteral("Select an object or a light to see its properties."), this);
    placeholder_->setAlignment(Qt::AlignCenter);
    placeholder_->setWordWrap(true);
    placeholder_->setMargin(12);
    placeholder_->setEnabled(false);

    auto* sheet = new QWidget(this);
    auto* sheetLayout = new QVBoxLayout(sheet);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    sheetLayout->setSpacing(4);
    title_ = new QLabel(sheet);
    title_->setObjectName(QStringLiteral("title"));
    title_->setStyleSheet(QStringLiteral("font-weight: bold; padding: 2px 4px;"));
    title_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    tabs_ = new QTabWidget(sheet);
    tabs_->setDocumentMode(true);
    tabs_->setUsesScrollButtons(true);
    sheetLayout->addWidget(title_);
    sheetLayout->addWidget(tabs_, 1);

    stack_ = new QStackedWidget(this);
    stack_->addWidget(placeholder_);
    stack_->addWidget(sheet);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(stack_);

    BuildObjectPage();
    BuildMaterialPage();
    BuildTexturePage();
    BuildTextPage();
    BuildLightPage();
    BuildSpotPage();
    Refresh();
}

ObjectPropertiesPanel::~ObjectPropertiesPanel() = default;

void ObjectPropertiesPanel::SetScene(COGLScene* scene) {
    scene_ = scene;
    shown_ = nullptr;
    Refresh();
}

COGLLight* ObjectPropertiesPanel::CurrentLight() const { return scene_ != nullptr ? scene_->SelectedLight() : nullptr; }

COGLObject* ObjectPropertiesPanel::CurrentObject() const {
    if (scene_ == nullptr || scene_->SelectedLight() != nullptr) {
        return nullptr;
    }
    COGLObject* selected = scene_->Selected();
    // A marker whose light is gone is not an object of the scene either.
    return selected != nullptr && scene_->IndexOfObject(selected) >= 0 ? selected : nullptr;
}

void ObjectPropertiesPanel::NotifyChanged() {
    if (onChanged) {
        onChanged();
    }
}

void ObjectPropertiesPanel::AddExtension(std::unique_ptr<ObjectPageExtension> extension) {
    Extension added;
    added.page = extension->CreatePage(*this);
    added.extension = std::move(extension);
    tabs_->addTab(Scrolling(added.page, tabs_), added.extension->Title());
    SetTabShown(added.page, false);
    extensions_.push_back(std::move(added));
    shown_ = nullptr;
    Refresh();
}

void ObjectPropertiesPanel::SetTabShown(QWidget* page, bool shown) {
    for (int i = 0; i < tabs_->count(); ++i) {
        auto* scroll = qobject_cast<QScrollArea*>(tabs_->widget(i));
        if (tabs_->widget(i) == page || (scroll != nullptr && scroll->widget() == page)) {
            tabs_->setTabVisible(i, shown);
            return;
        }
    }
}

// --- Pages ---

void ObjectPropertiesPanel::BuildObjectPage() {
    objectPage_ = new QWidget;
    QVBoxLayout* layout = PageLayout(objectPage_);

    QGroupBox* general = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("General"), general, objectPage_);
    name_ = new QLineEdit(general);
    name_->setObjectName(QStringLiteral("name"));
    name_->setMaxLength(kMaxNameLength);
    name_->setPlaceholderText(QStringLiteral("(no name)"));
    form->addRow(QStringLiteral("Name"), name_);
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
    form = MakeFormGroup(QStringLiteral("Placement"), placement, objectPage_);
    position_ = new Vector3Editor(-kPlacementLimit, kPlacementLimit, 0.1, 3, placement);
    position_->setObjectName(QStringLiteral("position"));
    form->addRow(QStringLiteral("Position"), position_);
    scale_ = new Vector3Editor(-kScaleLimit, kScaleLimit, 0.1, 3, placement);
    scale_->setObjectName(QStringLiteral("scale"));
    form->addRow(QStringLiteral("Scale"), scale_);
    layout->addWidget(placement);

    // The orientation is a quaternion that only ever turns by steps, as the Rotate
    // tool turns it; the angles shown are read back from it (about x, then the
    // turned y, then z), and Reset turns the same steps back.
    QGroupBox* rotation = nullptr;
    form = MakeFormGroup(QStringLiteral("Rotation"), rotation, objectPage_);
    orientation_ = new QLabel(rotation);
    orientation_->setObjectName(QStringLiteral("orientation"));
    orientation_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QStringLiteral("Angles"), orientation_);
    rotateStep_ = MakeRealBox(0.5, 180.0, 5.0, 1, rotation);
    rotateStep_->setObjectName(QStringLiteral("turnStep"));
    rotateStep_->setSuffix(QStringLiteral("\u00B0"));
    rotateStep_->setValue(15.0);
    form->addRow(QStringLiteral("Turn by"), rotateStep_);
    auto* turns = new QGridLayout;
    turns->setSpacing(3);
    static constexpr const char* kAxes[3] = {"X", "Y", "Z"};
    for (int axis = 0; axis < 3; ++axis) {
        const QString name = QString::fromLatin1(kAxes[axis]);
        QToolButton* minus = StepButton(QStringLiteral("-") + name, QStringLiteral("turn-") + name,
                                        QStringLiteral("Turn back about the object's %1 axis").arg(name), rotation);
        QToolButton* plus = StepButton(QStringLiteral("+") + name, QStringLiteral("turn+") + name,
                                       QStringLiteral("Turn about the object's %1 axis").arg(name), rotation);
        connect(minus, &QToolButton::clicked, this, [this, axis] { RotateSelected(axis, -1.0f); });
        connect(plus, &QToolButton::clicked, this, [this, axis] { RotateSelected(axis, 1.0f); });
        turns->addWidget(minus, 0, axis * 2);
        turns->addWidget(plus, 0, axis * 2 + 1);
    }
    auto* reset = new QPushButton(QStringLiteral("Reset"), rotation);
    reset->setObjectName(QStringLiteral("resetRotation"));
    reset->setToolTip(QStringLiteral("Turn the object back to its unrotated orientation"));
    connect(reset, &QPushButton::clicked, this, &ObjectPropertiesPanel::ResetRotation);
    turns->addWidget(reset, 1, 0, 1, 6);
    form->addRow(turns);
    layout->addWidget(rotation);
    layout->addStretch(1);

    connect(name_, &QLineEdit::editingFinished, this, [this] {
        COGLObject* object = CurrentObject();
        if (object == nullptr) {
            return;
        }
        if (const auto name = TypedName(*name_, object->Name())) {
            object->SetName(*name);
            NotifyChanged();
        }
    });
    connect(visible_, &QCheckBox::toggled, this, [this](bool on) {
        if (COGLObject* object = CurrentObject()) {
            object->SetVisible(on);
            NotifyChanged();
        }
    });
    connect(transparent_, &QCheckBox::toggled, this, [this](bool on) {
        if (COGLObject* object = CurrentObject()) {
            object->SetTransparent(on);
            NotifyChanged();
        }
    });
    connect(alpha_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        if (COGLObject* object = CurrentObject()) {
            object->SetDiffuseAlpha(static_cast<float>(value));
            NotifyChanged();
        }
    });
    connect(position_, &Vector3Editor::edited, this, [this](const Vector3& p) {
        if (COGLObject* object = CurrentObject()) {
            object->SetPosition(p.x, p.y, p.z);
            NotifyChanged();
        }
    });
    connect(scale_, &Vector3Editor::edited, this, [this](const Vector3& s) {
        if (COGLObject* object = CurrentObject()) {
            object->SetScale(s.x, s.y, s.z);
            scale_->SetValue(object->GetScale());
            NotifyChanged();
        }
    });

    tabs_->addTab(Scrolling(objectPage_, tabs_), QStringLiteral("Object"));
}

void ObjectPropertiesPanel::BuildMaterialPage() {
    materialPage_ = new QWidget;
    QVBoxLayout* layout = PageLayout(materialPage_);
    QGroupBox* colors = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("Material"), colors, materialPage_);
    for (int i = 0; i < 4; ++i) {
        auto* button = new ColorButton(colors);
        button->setObjectName(QString::fromLatin1(kMaterialNames[i]));
        connect(button, &ColorButton::clicked, this, [this, i] { PickMaterialColor(i); });
        materialColors_[i] = button;
        form->addRow(QString::fromLatin1(kMaterialNames[i]), button);
    }
    shininess_ = MakeRealBox(0.0, 128.0, 4.0, 1, colors);
    shininess_->setToolTip(QStringLiteral("Specular exponent, 0 to 128: higher is a smaller, sharper highlight"));
    form->addRow(QStringLiteral("Shininess"), shininess_);
    layout->addWidget(colors);
    auto* hint = new QLabel(QStringLiteral("The Color Picker's \u201cAmbient\u201d, \u201cDiffuse\u201d, "
                                           "\u201cSpecular\u201d and \u201cEmission\u201d entries set these too."),
                            materialPage_);
    hint->setWordWrap(true);
    hint->setEnabled(false);
    layout->addWidget(hint);
    layout->addStretch(1);

    connect(shininess_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        if (COGLObject* object = CurrentObject()) {
            object->SetShininess(static_cast<float>(value));
            NotifyChanged();
        }
    });
    tabs_->addTab(Scrolling(materialPage_, tabs_), QStringLiteral("Material"));
}

void ObjectPropertiesPanel::BuildTexturePage() {
    texturePage_ = new QWidget;
    QVBoxLayout* layout = PageLayout(texturePage_);

    QGroupBox* choice = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("Texture"), choice, texturePage_);
    currentTexture_ = new QLabel(choice);
    currentTexture_->setObjectName(QStringLiteral("currentTexture"));
    currentTexture_->setWordWrap(true);
    form->addRow(QStringLiteral("Current"), currentTexture_);
    textureChoice_ = new QComboBox(choice);
    textureChoice_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    textureChoice_->setObjectName(QStringLiteral("textureChoice"));
    textureChoice_->setPlaceholderText(QStringLiteral("Choose a scene texture"));
    textureChoice_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    textureChoice_->setMinimumContentsLength(12);
    form->addRow(QStringLiteral("Texture"), textureChoice_);
    auto* apply = new QPushButton(QStringLiteral("Apply"), choice);
    apply->setObjectName(QStringLiteral("applyTexture"));
    removeTexture_ = new QPushButton(QStringLiteral("Remove"), choice);
    removeTexture_->setObjectName(QStringLiteral("removeTexture"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(apply);
    buttons->addWidget(removeTexture_);
    form->addRow(buttons);
    envMode_ = new QComboBox(choice);
    envMode_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    envMode_->setObjectName(QStringLiteral("environmentMode"));
    envMode_->addItem(QStringLiteral("Modulate"), GL_MODULATE);
    envMode_->addItem(QStringLiteral("Decal"), GL_DECAL);
    envMode_->addItem(QStringLiteral("Blend"), GL_BLEND);
    envMode_->addItem(QStringLiteral("Replace"), GL_REPLACE);
    envMode_->setToolTip(QStringLiteral("How the texture combines with the lit material (GL_TEXTURE_ENV_MODE)"));
    form->addRow(QStringLiteral("Mode"), envMode_);
    layout->addWidget(choice);

    QGroupBox* placement = nullptr;
    form = MakeFormGroup(QStringLiteral("Placement"), placement, texturePage_);
    placement_ = placement;
    textureTranslation_ = new Vector3Editor(-kPlacementLimit, kPlacementLimit, 0.05, 3, placement);
    textureTranslation_->setObjectName(QStringLiteral("textureTranslation"));
    form->addRow(QStringLiteral("Offset"), textureTranslation_);
    textureRotation_ = new Vector3Editor(-360.0, 360.0, 5.0, 1, placement);
    textureRotation_->setObjectName(QStringLiteral("textureRotation"));
    textureRotation_->SetSuffix(QStringLiteral("\u00B0"));
    form->addRow(QStringLiteral("Rotation"), textureRotation_);
    textureScale_ = new Vector3Editor(-kScaleLimit, kScaleLimit, 0.1, 3, placement);
    textureScale_->setObjectName(QStringLiteral("textureScale"));
    form->addRow(QStringLiteral("Scale"), textureScale_);
    auto* resetPlacement = new QPushButton(QStringLiteral("Reset Placement"), placement);
    resetPlacement->setObjectName(QStringLiteral("resetPlacement"));
    auto* resetRow = new QHBoxLayout;
    resetRow->addStretch(1);
    resetRow->addWidget(resetPlacement);
    form->addRow(resetRow);
    layout->addWidget(placement);
    layout->addStretch(1);

    connect(apply, &QPushButton::clicked, this, &ObjectPropertiesPanel::ApplyTexture);
    connect(removeTexture_, &QPushButton::clicked, this, &ObjectPropertiesPanel::RemoveTexture);
    connect(envMode_, &QComboBox::currentIndexChanged, this, [this](int index) {
        COGLObject* object = CurrentObject();
        if (object != nullptr && index >= 0) {
            object->SetTextureEnvMode(envMode_->itemData(index).toInt());
            NotifyChanged();
        }
    });
    connect(textureTranslation_, &Vector3Editor::edited, this, [this](const Vector3& value) {
        if (COGLObject* object = CurrentObject()) {
            object->SetTextureTranslation(value);
            NotifyChanged();
        }
    });
    connect(textureRotation_, &Vector3Editor::edited, this, [this](const Vector3& value) {
        if (COGLObject* object = CurrentObject()) {
            object->SetTextureRotation(value);
            NotifyChanged();
        }
    });
    connect(textureScale_, &Vector3Editor::edited, this, [this](const Vector3& value) {
        if (COGLObject* object = CurrentObject()) {
            object->SetTextureScale(value);
            NotifyChanged();
        }
    });
    connect(resetPlacement, &QPushButton::clicked, this, [this] {
        if (COGLObject* object = CurrentObject()) {
            object->SetTextureTranslation({});
            object->SetTextureRotation({});
            object->SetTextureScale({1.0f, 1.0f, 1.0f});
            ShowObject(*object);
            NotifyChanged();
        }
    });
    tabs_->addTab(Scrolling(texturePage_, tabs_), QStringLiteral("Texture"));
}

void ObjectPropertiesPanel::BuildTextPage() {
    textPage_ = new QWidget;
    QVBoxLayout* layout = PageLayout(textPage_);
    QGroupBox* group = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("Text"), group, textPage_);
    text_ = new QLineEdit(group);
    text_->setObjectName(QStringLiteral("text"));
    form->addRow(QStringLiteral("Text"), text_);
    font_ = new QComboBox(group);
    font_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    font_->setObjectName(QStringLiteral("font"));
    font_->setEditable(true);
    font_->setInsertPolicy(QComboBox::NoInsert);
    font_->addItems(QFontDatabase::families());
    font_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    font_->setMinimumContentsLength(12);
    form->addRow(QStringLiteral("Font"), font_);
    bold_ = new QCheckBox(QStringLiteral("Bold"), group);
    bold_->setObjectName(QStringLiteral("bold"));
    italic_ = new QCheckBox(QStringLiteral("Italic"), group);
    auto* style = new QHBoxLayout;
    style->addWidget(bold_);
    style->addWidget(italic_);
    style->addStretch(1);
    form->addRow(style);
    auto* apply = new QPushButton(QStringLiteral("Apply Text"), group);
    apply->setObjectName(QStringLiteral("applyText"));
    auto* applyRow = new QHBoxLayout;
    applyRow->addStretch(1);
    applyRow->addWidget(apply);
    form->addRow(applyRow);
    layout->addWidget(group);

    QGroupBox* shape = nullptr;
    form = MakeFormGroup(QStringLiteral("Shape"), shape, textPage_);
    outlineFormat_ = new QComboBox(shape);
    outlineFormat_->addItem(QStringLiteral("Solid"), COGLText::kOutlinePolygons);
    outlineFormat_->addItem(QStringLiteral("Outline"), COGLText::kOutlineLines);
    form->addRow(QStringLiteral("Drawn as"), outlineFormat_);
    extrusion_ = MakeRealBox(0.0, 10.0, 0.05, 2, shape);
    extrusion_->setSuffix(QStringLiteral(" em"));
    form->addRow(QStringLiteral("Depth"), extrusion_);
    spacing_ = MakeRealBox(-1.0, 10.0, 0.05, 2, shape);
    spacing_->setSuffix(QStringLiteral(" em"));
    form->addRow(QStringLiteral("Spacing"), spacing_);
    layout->addWidget(shape);
    layout->addStretch(1);

    connect(apply, &QPushButton::clicked, this, &ObjectPropertiesPanel::ApplyText);
    connect(text_, &QLineEdit::returnPressed, this, &ObjectPropertiesPanel::ApplyText);
    const auto textEdit = [this](auto&& change) {
        if (auto* text = dynamic_cast<COGLText*>(CurrentObject())) {
            GetHost().MakeViewContextCurrent();
            change(*text);
            NotifyChanged();
        }
    };
    connect(bold_, &QCheckBox::toggled, this, [textEdit](bool on) { textEdit([on](COGLText& t) { t.SetBold(on); }); });
    connect(italic_, &QCheckBox::toggled, this,
            [textEdit](bool on) { textEdit([on](COGLText& t) { t.SetItalic(on); }); });
    connect(outlineFormat_, &QComboBox::currentIndexChanged, this, [this, textEdit](int index) {
        const int format = outlineFormat_->itemData(index).toInt();
        textEdit([format](COGLText& t) { t.SetOutlineFormat(format); });
    });
    connect(extrusion_, &QDoubleSpinBox::valueChanged, this, [textEdit](double value) {
        textEdit([value](COGLText& t) { t.SetExtrusion(static_cast<float>(value)); });
    });
    connect(spacing_, &QDoubleSpinBox::valueChanged, this, [textEdit](double value) {
        textEdit([value](COGLText& t) { t.SetSpacing(static_cast<float>(value)); });
    });
    tabs_->addTab(Scrolling(textPage_, tabs_), QStringLiteral("Text"));
}

void ObjectPropertiesPanel::BuildLightPage() {
    lightPage_ = new QWidget;
    QVBoxLayout* layout = PageLayout(lightPage_);

    QGroupBox* general = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("Light"), general, lightPage_);
    lightName_ = new QLineEdit(general);
    lightName_->setObjectName(QStringLiteral("lightName"));
    lightName_->setMaxLength(kMaxNameLength);
    form->addRow(QStringLiteral("Name"), lightName_);
    lightEnabled_ = new QCheckBox(QStringLiteral("On"), general);
    lightEnabled_->setObjectName(QStringLiteral("lightEnabled"));
    form->addRow(QStringLiteral("Enabled"), lightEnabled_);
    lightSlot_ = new QLabel(general);
    lightSlot_->setObjectName(QStringLiteral("lightSlot"));
    lightSlot_->setWordWrap(true);
    form->addRow(QStringLiteral("GL light"), lightSlot_);
    lightPosition_ = new Vector3Editor(-kPlacementLimit, kPlacementLimit, 0.1, 3, general);
    lightPosition_->setObjectName(QStringLiteral("lightPosition"));
    form->addRow(QStringLiteral("Position"), lightPosition_);
    lightW_ = MakeRealBox(0.0, 1.0, 1.0, 2, general);
    lightW_->setObjectName(QStringLiteral("lightW"));
    lightW_->setToolTip(QStringLiteral("1: the light stands at its position; 0: it shines from that direction, "
                                       "infinitely far away"));
    form->addRow(QStringLiteral("W"), lightW_);
    layout->addWidget(general);

    QGroupBox* colors = nullptr;
    form = MakeFormGroup(QStringLiteral("Colours"), colors, lightPage_);
    for (int i = 0; i < 3; ++i) {
        auto* button = new ColorButton(colors);
        button->setObjectName(QStringLiteral("light") + QString::fromLatin1(kLightColorNames[i]));
        connect(button, &ColorButton::clicked, this, [this, i] { PickLightColor(i); });
        lightColors_[i] = button;
        form->addRow(QString::fromLatin1(kLightColorNames[i]), button);
    }
    layout->addWidget(colors);
    layout->addStretch(1);

    connect(lightName_, &QLineEdit::editingFinished, this, [this] {
        COGLLight* light = CurrentLight();
        if (light == nullptr) {
            return;
        }
        if (const auto name = TypedName(*lightName_, light->Name())) {
            light->SetName(*name);
            NotifyChanged();
        }
    });
    connect(lightEnabled_, &QCheckBox::toggled, this, [this](bool on) {
        if (COGLLight* light = CurrentLight()) {
            light->SetEnabled(on);
            NotifyChanged();
        }
    });
    connect(lightPosition_, &Vector3Editor::edited, this, [this](const Vector3& p) {
        if (COGLLight* light = CurrentLight()) {
            light->Marker().SetPosition(p.x, p.y, p.z);
            NotifyChanged();
        }
    });
    connect(lightW_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        if (COGLLight* light = CurrentLight()) {
            light->SetW(static_cast<float>(value));
            NotifyChanged();
        }
    });
    tabs_->addTab(Scrolling(lightPage_, tabs_), QStringLiteral("Light"));
}

void ObjectPropertiesPanel::BuildSpotPage() {
    spotPage_ = new QWidget;
    QVBoxLayout* layout = PageLayout(spotPage_);
    QGroupBox* cone = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("Cone"), cone, spotPage_);
    cutOff_ = MakeRealBox(0.0, 90.0, 1.0, 1, cone);
    cutOff_->setObjectName(QStringLiteral("cutOff"));
    cutOff_->setSuffix(QStringLiteral("\u00B0"));
    cutOff_->setToolTip(QStringLiteral("Half the angle of the cone of light (GL_SPOT_CUTOFF)"));
    form->addRow(QStringLiteral("Cut-off"), cutOff_);
    exponent_ = MakeRealBox(0.0, 128.0, 1.0, 1, cone);
    exponent_->setObjectName(QStringLiteral("exponent"));
    exponent_->setToolTip(QStringLiteral("How sharply the light falls off towards the edge (GL_SPOT_EXPONENT)"));
    form->addRow(QStringLiteral("Exponent"), exponent_);
    direction_ = new QLabel(cone);
    direction_->setObjectName(QStringLiteral("direction"));
    form->addRow(QStringLiteral("Direction"), direction_);
    spotStep_ = MakeRealBox(0.5, 180.0, 5.0, 1, cone);
    spotStep_->setObjectName(QStringLiteral("aimStep"));
    spotStep_->setSuffix(QStringLiteral("\u00B0"));
    spotStep_->setValue(15.0);
    form->addRow(QStringLiteral("Aim by"), spotStep_);
    auto* turns = new QHBoxLayout;
    turns->setSpacing(3);
    static constexpr const char* kAxes[3] = {"X", "Y", "Z"};
    for (int axis = 0; axis < 3; ++axis) {
        const QString name = QString::fromLatin1(kAxes[axis]);
        QToolButton* minus = StepButton(QStringLiteral("-") + name, QStringLiteral("aim-") + name,
                                        QStringLiteral("Aim the spot back about its %1 axis").arg(name), cone);
        QToolButton* plus = StepButton(QStringLiteral("+") + name, QStringLiteral("aim+") + name,
                                       QStringLiteral("Aim the spot about its %1 axis").arg(name), cone);
        connect(minus, &QToolButton::clicked, this, [this, axis] { RotateSelected(axis, -1.0f); });
        connect(plus, &QToolButton::clicked, this, [this, axis] { RotateSelected(axis, 1.0f); });
        turns->addWidget(minus);
        turns->addWidget(plus);
    }
    form->addRow(turns);
    layout->addWidget(cone);

    QGroupBox* falloff = nullptr;
    form = MakeFormGroup(QStringLiteral("Attenuation"), falloff, spotPage_);
    static constexpr const char* kAttenuation[3] = {"Constant", "Linear", "Quadratic"};
    for (int i = 0; i < 3; ++i) {
        attenuation_[i] = MakeRealBox(0.0, 100.0, 0.05, 3, falloff);
        attenuation_[i]->setObjectName(QString::fromLatin1(kAttenuation[i]).toLower());
        form->addRow(QString::fromLatin1(kAttenuation[i]), attenuation_[i]);
        connect(attenuation_[i], &QDoubleSpinBox::valueChanged, this, [this, i](double value) {
            auto* spot = dynamic_cast<COGLSpotLight*>(CurrentLight());
            if (spot == nullptr) {
                return;
            }
            const auto a = static_cast<float>(value);
            switch (i) {
                case 0: spot->SetConstantAttenuation(a); break;
                case 1: spot->SetLinearAttenuation(a); break;
                default: spot->SetQuadraticAttenuation(a); break;
            }
            NotifyChanged();
        });
    }
    layout->addWidget(falloff);
    layout->addStretch(1);

    connect(cutOff_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        if (auto* spot = dynamic_cast<COGLSpotLight*>(CurrentLight())) {
            spot->SetCutOff(static_cast<float>(value));
            NotifyChanged();
        }
    });
    connect(exponent_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        if (auto* spot = dynamic_cast<COGLSpotLight*>(CurrentLight())) {
            spot->SetExponent(static_cast<float>(value));
            NotifyChanged();
        }
    });
    tabs_->addTab(Scrolling(spotPage_, tabs_), QStringLiteral("Spot"));
}

// --- Showing the selection ---

void ObjectPropertiesPanel::Refresh() {
    COGLLight* light = CurrentLight();
    COGLObject* object = CurrentObject();
    const void* target = light != nullptr ? static_cast<const void*>(light) : static_cast<const void*>(object);
    if (target == nullptr) {
        shown_ = nullptr;
        stack_->setCurrentWidget(placeholder_);
        return;
    }
    stack_->setCurrentIndex(1);
    const bool fresh = target != shown_;
    shown_ = target;
    if (light != nullptr) {
        SetTabShown(objectPage_, false);
        SetTabShown(materialPage_, false);
        SetTabShown(texturePage_, false);
        SetTabShown(textPage_, false);
        for (const Extension& extension : extensions_) {
            SetTabShown(extension.page, false);
        }
        SetTabShown(lightPage_, true);
        SetTabShown(spotPage_, light->IsSpot());
        ShowLight(*light);
    } else {
        SetTabShown(lightPage_, false);
        SetTabShown(spotPage_, false);
        SetTabShown(objectPage_, true);
        SetTabShown(materialPage_, true);
        SetTabShown(texturePage_, true);
        SetTabShown(textPage_, dynamic_cast<COGLText*>(object) != nullptr);
        for (const Extension& extension : extensions_) {
            const bool applies = extension.extension->AppliesTo(*object);
            SetTabShown(extension.page, applies);
            if (applies) {
                extension.extension->ShowObject(*object);
            }
        }
        ShowObject(*object);
    }
    if (fresh || !tabs_->isTabVisible(tabs_->currentIndex())) {
        for (int i = 0; i < tabs_->count(); ++i) {
            if (tabs_->isTabVisible(i)) {
                tabs_->setCurrentIndex(i);
                break;
            }
        }
    }
}

void ObjectPropertiesPanel::RefreshAnimation() {
    COGLObject* object = CurrentObject();
    if (object == nullptr) {
        return;
    }
    for (const Extension& extension : extensions_) {
        if (extension.extension->AppliesTo(*object)) {
            extension.extension->RefreshAnimation(*object);
        }
    }
}

void ObjectPropertiesPanel::ShowOrientation(COGLObject& object) {
    const Vector3 angles = OrientationAngles(object);
    orientation_->setText(
        QStringLiteral("X %1   Y %2   Z %3").arg(Degrees(angles.x), Degrees(angles.y), Degrees(angles.z)));
}

void ObjectPropertiesPanel::ShowObject(COGLObject& object) {
    const QString name = FromSceneText(object.Name());
    title_->setText(name.isEmpty() ? ObjectKindName(object.TypeCode())
                                   : QStringLiteral("%1  \u2013  %2").arg(name, ObjectKindName(object.TypeCode())));
    if (name_->text() != name) {
        name_->setText(name);
    }
    position_->SetValue(object.Position());
    scale_->SetValue(object.GetScale());
    const auto* plane = dynamic_cast<const COGLPlane*>(&object);
    for (int axis = 0; axis < 3; ++axis) {
        scale_->SetAxisEnabled(axis, plane == nullptr || plane->ThinAxis() != axis);
    }
    ShowOrientation(object);
    {
        const QSignalBlocker a(visible_), b(transparent_), c(alpha_), d(shininess_), e(envMode_);
        visible_->setChecked(object.IsVisible());
        transparent_->setChecked(object.IsTransparent());
        alpha_->setValue(static_cast<double>(object.Diffuse().alpha));
        shininess_->setValue(static_cast<double>(object.Shininess()));
        const int mode = envMode_->findData(object.TextureEnvMode());
        envMode_->setCurrentIndex(mode);
    }
    materialColors_[0]->SetColor(ToQColor(object.Ambient()));
    materialColors_[1]->SetColor(ToQColor(object.Diffuse()));
    materialColors_[2]->SetColor(ToQColor(object.Specular()));
    materialColors_[3]->SetColor(ToQColor(object.Emission()));

    FillTextureChoices(object);
    textureTranslation_->SetValue(object.TextureTranslation());
    textureRotation_->SetValue(object.TextureRotation());
    textureScale_->SetValue(object.TextureScale());

    if (auto* text = dynamic_cast<COGLText*>(&object)) {
        const QSignalBlocker a(bold_), b(italic_), c(extrusion_), d(spacing_), e(outlineFormat_);
        if (!text_->hasFocus()) {
            text_->setText(FromSceneText(text->Text()));
        }
        if (!font_->hasFocus()) {
            font_->setCurrentText(FromSceneText(text->FontFace()));
        }
        bold_->setChecked(text->Bold());
        italic_->setChecked(text->Italic());
        extrusion_->setValue(static_cast<double>(text->Extrusion()));
        spacing_->setValue(static_cast<double>(text->Spacing()));
        outlineFormat_->setCurrentIndex(outlineFormat_->findData(text->OutlineFormat()));
    }
}

void ObjectPropertiesPanel::FillTextureChoices(const COGLObject& object) {
    const QSignalBlocker block(textureChoice_);
    const QVariant chosen = textureChoice_->currentData();
    textureChoice_->clear();
    if (scene_ != nullptr) {
        for (const auto& texture : scene_->Textures()) {
            textureChoice_->addItem(QString::fromStdString(texture->Name()),
                                    QVariant::fromValue(reinterpret_cast<quintptr>(texture.get())));
            textureChoice_->setItemData(textureChoice_->count() - 1, QString::fromStdString(texture->Path()),
                                        Qt::ToolTipRole);
        }
    }
    const COGLTexture2D* current = object.Texture();
    int index = current != nullptr ? textureChoice_->findData(QVariant::fromValue(reinterpret_cast<quintptr>(current)))
                                   : -1;
    if (index < 0 && chosen.isValid()) {
        index = textureChoice_->findData(chosen);
    }
    textureChoice_->setCurrentIndex(index);
    if (current != nullptr) {
        currentTexture_->setText(QStringLiteral("%1  (%2 \u00D7 %3)")
                                     .arg(QString::fromStdString(current->Name()))
                                     .arg(current->Width())
                                     .arg(current->Height()));
    } else {
        currentTexture_->setText(QStringLiteral("None"));
    }
    removeTexture_->setEnabled(current != nullptr);
    placement_->setEnabled(current != nullptr);
    envMode_->setEnabled(current != nullptr);
    if (textureChoice_->count() == 0) {
        textureChoice_->setPlaceholderText(QStringLiteral("No textures: add them on Scene Properties"));
    } else {
        textureChoice_->setPlaceholderText(QStringLiteral("Choose a scene texture"));
    }
}

void ObjectPropertiesPanel::ShowLight(COGLLight& light) {
    title_->setText(QStringLiteral("%1  \u2013  %2")
                        .arg(FromSceneText(light.Name()),
                             light.IsSpot() ? QStringLiteral("Spot light") : QStringLiteral("Point light")));
    const QString name = FromSceneText(light.Name());
    if (lightName_->text() != name) {
        lightName_->setText(name);
    }
    {
        const QSignalBlocker a(lightEnabled_), b(lightW_);
        lightEnabled_->setChecked(light.IsEnabled());
        lightW_->setValue(static_cast<double>(light.W()));
    }
    lightSlot_->setText(light.HasGLLight()
                            ? QStringLiteral("GL_LIGHT%1").arg(light.Slot())
                            : QStringLiteral("None: all eight are taken, so this light lights nothing."));
    lightPosition_->SetValue(light.Position());
    lightColors_[0]->SetColor(ToQColor(light.Ambient()));
    lightColors_[1]->SetColor(ToQColor(light.Diffuse()));
    lightColors_[2]->SetColor(ToQColor(light.Specular()));

    if (auto* spot = dynamic_cast<COGLSpotLight*>(&light)) {
        const QSignalBlocker a(cutOff_), b(exponent_), c(attenuation_[0]), d(attenuation_[1]), e(attenuation_[2]);
        // GL takes 0 to 90 or the special 180 (no cone at all).
        cutOff_->setMaximum(spot->CutOff() > 90.0f ? 180.0 : 90.0);
        cutOff_->setValue(static_cast<double>(spot->CutOff()));
        exponent_->setValue(static_cast<double>(spot->Exponent()));
        attenuation_[0]->setValue(static_cast<double>(spot->ConstantAttenuation()));
        attenuation_[1]->setValue(static_cast<double>(spot->LinearAttenuation()));
        attenuation_[2]->setValue(static_cast<double>(spot->QuadraticAttenuation()));
        const Vector3& aim = spot->Direction();
        direction_->setText(QStringLiteral("%1, %2, %3").arg(Number(aim.x, 2), Number(aim.y, 2), Number(aim.z, 2)));
    }
}

// --- Edits ---

void ObjectPropertiesPanel::PickMaterialColor(int which) {
    COGLObject* object = CurrentObject();
    if (object == nullptr) {
        return;
    }
    const std::optional<QColor> chosen =
        chooseColor(materialColors_[which]->Color(), QString::fromLatin1(kMaterialNames[which]));
    // The dialog is modal: the selection may have changed while it was open.
    object = CurrentObject();
    if (!chosen || object == nullptr) {
        return;
    }
    const auto r = static_cast<float>(chosen->redF());
    const auto g = static_cast<float>(chosen->greenF());
    const auto b = static_cast<float>(chosen->blueF());
    switch (which) {
        case 0: object->SetAmbient(r, g, b, object->Ambient().alpha); break;
        case 1: object->SetDiffuse(r, g, b, object->Diffuse().alpha); break;
        case 2: object->SetSpecular(r, g, b, object->Specular().alpha); break;
        default: object->SetEmission(r, g, b, object->Emission().alpha); break;
    }
    ShowObject(*object);
    NotifyChanged();
}

void ObjectPropertiesPanel::PickLightColor(int which) {
    if (CurrentLight() == nullptr) {
        return;
    }
    const std::optional<QColor> chosen =
        chooseColor(lightColors_[which]->Color(),
                    QStringLiteral("Light ") + QString::fromLatin1(kLightColorNames[which]));
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
    ShowLight(*light);
    NotifyChanged();
}

void ObjectPropertiesPanel::RotateSelected(int axis, float sign) {
    if (auto* spot = dynamic_cast<COGLSpotLight*>(CurrentLight())) {
        const float step = sign * static_cast<float>(spotStep_->value());
        COGLObject& marker = spot->Marker();
        switch (axis) {
            case 0: marker.RotateX(step); break;
            case 1: marker.RotateY(step); break;
            default: marker.RotateZ(step); break;
        }
        GetHost().MakeViewContextCurrent();
        spot->ComputeDirection();
        ShowLight(*spot);
        NotifyChanged();
        return;
    }
    COGLObject* object = CurrentObject();
    if (object == nullptr) {
        return;
    }
    const float step = sign * static_cast<float>(rotateStep_->value());
    switch (axis) {
        case 0: object->RotateX(step); break;
        case 1: object->RotateY(step); break;
        default: object->RotateZ(step); break;
    }
    ShowOrientation(*object);
    NotifyChanged();
}

void ObjectPropertiesPanel::ResetRotation() {
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
    NotifyChanged();
}

void ObjectPropertiesPanel::ApplyTexture() {
    COGLObject* object = CurrentObject();
    if (object == nullptr || scene_ == nullptr) {
        return;
    }
    COGLTexture2D* texture = nullptr;
    if (textureChoice_->currentIndex() >= 0) {
        auto* candidate = reinterpret_cast<COGLTexture2D*>(textureChoice_->currentData().value<quintptr>());
        if (scene_->IndexOfTexture(candidate) >= 0) {
            texture = candidate;
        }
    }
    if (texture == nullptr) {
        ShowMessage(msg::kSelectTextureFirst);
        return;
    }
    object->SetTexture(texture);
    ShowObject(*object);
    NotifyChanged();
}

void ObjectPropertiesPanel::RemoveTexture() {
    COGLObject* object = CurrentObject();
    if (object == nullptr || object->Texture() == nullptr) {
        return;
    }
    object->SetTexture(nullptr);
    ShowObject(*object);
    NotifyChanged();
}

void ObjectPropertiesPanel::ApplyText() {
    auto* text = dynamic_cast<COGLText*>(CurrentObject());
    if (text == nullptr) {
        return;
    }
    const QString font = font_->currentText().trimmed();
    if (font.isEmpty()) {
        ShowMessage(msg::kSelectFontFirst);
        return;
    }
    const QString typed = text_->text();
    if (typed.isEmpty()) {
        ShowMessage(msg::kEnterText);
        return;
    }
    const std::optional<std::string> value = ToSceneText(typed, kMaxTextLength);
    const std::optional<std::string> face = value ? ToSceneText(font, kMaxFontLength) : std::nullopt;
    if (!value || !face) {
        text_->setText(FromSceneText(text->Text()));
        return;
    }
    if (typed.size() > kMaxTextLength) {
        ShowMessage(msg::kTextTooLong);
        text_->setText(FromSceneText(*value));
    }
    GetHost().MakeViewContextCurrent();
    text->SetText(*value);
    text->SetFontFace(*face);
    ShowObject(*text);
    NotifyChanged();
}
