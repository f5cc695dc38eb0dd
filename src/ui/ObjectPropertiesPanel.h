#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "math/Vector3.h"
#include "ui/PropertyWidgets.h"

class COGLLight;
class COGLObject;
class COGLScene;
class COGLSpotLight;
class COGLText;
class ObjectPropertiesPanel;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;

// A page of the object sheet that comes from outside the shell: the models add
// their animation, skin and weapon controls this way. The sheet asks every
// registered page whether it applies to the selected object and shows the tab
// only then.
class ObjectPageExtension {
public:
    virtual ~ObjectPageExtension() = default;
    // The tab's title ("Animation").
    virtual QString Title() const = 0;
    // Whether the page belongs on the sheet for this object.
    virtual bool AppliesTo(const COGLObject& object) const = 0;
    // Makes the page's widget, once; the sheet owns it. Edits on the page go
    // through the object's operations and end with sheet.NotifyChanged().
    virtual QWidget* CreatePage(ObjectPropertiesPanel& sheet) = 0;
    // Shows the object's current state (the object is the one AppliesTo accepted).
    virtual void ShowObject(COGLObject& object) = 0;
    // The animation controls must follow the running animation (frame, playing).
    virtual void RefreshAnimation(COGLObject& /*object*/) {}
};

// The "Object Properties" sheet: the selected object's placement, material,
// texture and text, or the selected light's colours, position and spot shape.
// It reads the scene's selection at every Refresh and changes the selected object
// or light only through their own operations; every edit ends in onChanged.
class ObjectPropertiesPanel : public QWidget {
    Q_OBJECT
public:
    explicit ObjectPropertiesPanel(QWidget* parent = nullptr);
    ~ObjectPropertiesPanel() override;

    // The scene whose selection the sheet edits; nullptr shows nothing.
    void SetScene(COGLScene* scene);
    COGLScene* Scene() const { return scene_; }

    // Shows the scene's current selection (a new one, or new values of the old one).
    void Refresh();
    // Only the extension pages' animation controls.
    void RefreshAnimation();

    void AddExtension(std::unique_ptr<ObjectPageExtension> extension);

    // What the sheet shows: the selected light, else the selected object (never
    // a light's marker), else nothing.
    COGLLight* CurrentLight() const;
    COGLObject* CurrentObject() const;

    // Called by the sheet's own editors and by the extension pages after an edit.
    void NotifyChanged();

    // After every edit: the wiring repaints the view and marks the document modified.
    std::function<void()> onChanged;
    // Asks for a colour (the standard colour dialog by default).
    ColorChooser chooseColor;

    QTabWidget* Tabs() const { return tabs_; }

private:
    void BuildObjectPage();
    void BuildMaterialPage();
    void BuildTexturePage();
    void BuildTextPage();
    void BuildLightPage();
    void BuildSpotPage();

    void ShowObject(COGLObject& object);
    void ShowLight(COGLLight& light);
    void ShowOrientation(COGLObject& object);
    void FillTextureChoices(const COGLObject& object);
    void SetTabShown(QWidget* page, bool shown);

    // Material and light colours: asks for a colour and applies it.
    void PickMaterialColor(int which);
    void PickLightColor(int which);
    void RotateSelected(int axis, float sign);
    void ResetRotation();
    void ApplyTexture();
    void RemoveTexture();
    void ApplyText();

    COGLScene* scene_ = nullptr;
    // What was shown last, compared by address only (never read through: it may be gone).
    const void* shown_ = nullptr;

    QStackedWidget* stack_ = nullptr;
    QLabel* placeholder_ = nullptr;
    QLabel* title_ = nullptr;
    QTabWidget* tabs_ = nullptr;

    // Object page.
    QWidget* objectPage_ = nullptr;
    QLineEdit* name_ = nullptr;
    Vector3Editor* position_ = nullptr;
    QLabel* orientation_ = nullptr;
    QDoubleSpinBox* rotateStep_ = nullptr;
    Vector3Editor* scale_ = nullptr;
    QCheckBox* visible_ = nullptr;
    QCheckBox* transparent_ = nullptr;
    QDoubleSpinBox* alpha_ = nullptr;

    // Material page.
    QWidget* materialPage_ = nullptr;
    ColorButton* materialColors_[4] = {};
    QDoubleSpinBox* shininess_ = nullptr;

    // Texture page.
    QWidget* texturePage_ = nullptr;
    QComboBox* textureChoice_ = nullptr;
    QLabel* currentTexture_ = nullptr;
    QPushButton* removeTexture_ = nullptr;
    QComboBox* envMode_ = nullptr;
    QWidget* placement_ = nullptr;
    Vector3Editor* textureTranslation_ = nullptr;
    Vector3Editor* textureRotation_ = nullptr;
    Vector3Editor* textureScale_ = nullptr;

    // Text page.
    QWidget* textPage_ = nullptr;
    QLineEdit* text_ = nullptr;
    QComboBox* font_ = nullptr;
    QCheckBox* bold_ = nullptr;
    QCheckBox* italic_ = nullptr;
    QDoubleSpinBox* extrusion_ = nullptr;
    QDoubleSpinBox* spacing_ = nullptr;
    QComboBox* outlineFormat_ = nullptr;

    // Light page.
    QWidget* lightPage_ = nullptr;
    QLineEdit* lightName_ = nullptr;
    QCheckBox* lightEnabled_ = nullptr;
    QLabel* lightSlot_ = nullptr;
    Vector3Editor* lightPosition_ = nullptr;
    QDoubleSpinBox* lightW_ = nullptr;
    ColorButton* lightColors_[3] = {};

    // Spot page.
    QWidget* spotPage_ = nullptr;
    QDoubleSpinBox* cutOff_ = nullptr;
    QDoubleSpinBox* exponent_ = nullptr;
    QDoubleSpinBox* attenuation_[3] = {};
    QLabel* direction_ = nullptr;
    QDoubleSpinBox* spotStep_ = nullptr;

    struct Extension {
        std::unique_ptr<ObjectPageExtension> extension;
        QWidget* page = nullptr;
    };
    std::vector<Extension> extensions_;
};

// The orientation as angles about x, then the turned y, then the twice-turned z
// (the order of rotating by x, y and z in turn), in degrees within (-180, 180].
Vector3 OrientationAngles(const COGLObject& object);
