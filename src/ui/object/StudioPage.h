#pragma once

#include <vector>

#include "ui/object/ObjectSheetPage.h"

class COGLHLModel;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QSpinBox;
class QTreeWidget;
class ValueSlider;
struct StudioData;

// The "Half-Life" page of a studio model: the submodel of each body part and the
// body value they make (either can be edited, the other follows), the skin
// family, a slider for each bone controller and the mouth, and the textures with
// the flags that decide how the game draws them.
class StudioPage : public ObjectSheetPage {
    Q_OBJECT
public:
    explicit StudioPage(QWidget* parent = nullptr);

    QString Title() const override;
    bool Applies() const override;
    void Refresh() override;

private:
    // The model shown, looked up afresh, while it still has the data the rows were made for.
    COGLHLModel* Shown() const;
    // Rows for the parts, controllers and textures of the model's data.
    void Build(const COGLHLModel& model);
    void ShowPose(const COGLHLModel& model);

    const StudioData* builtFor_ = nullptr;  // compared only, never read through
    bool showing_ = false;
    QGroupBox* bodyGroup_ = nullptr;
    QFormLayout* bodyForm_ = nullptr;
    std::vector<QComboBox*> parts_;
    QSpinBox* body_ = nullptr;
    QSpinBox* skinFamily_ = nullptr;
    QGroupBox* controllerGroup_ = nullptr;
    QFormLayout* controllerForm_ = nullptr;
    struct ControllerRow {
        int index = 0;  // the user setting (0-3), or -1 for the mouth
        ValueSlider* slider = nullptr;
    };
    std::vector<ControllerRow> controllers_;
    QTreeWidget* textures_ = nullptr;
};
