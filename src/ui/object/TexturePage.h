#pragma once

#include "ui/object/ObjectSheetPage.h"

class QComboBox;
class QLabel;
class QPushButton;
class Vector3Editor;

// The "Texture" page: which of the scene's textures the selected object wears, how
// it combines with the material, and where it lies on the object.
class TexturePage : public ObjectSheetPage {
    Q_OBJECT
public:
    explicit TexturePage(QWidget* parent = nullptr);

    QString Title() const override;
    bool Applies() const override;
    void Refresh() override;

private:
    void FillChoices(const COGLObject& object);
    void Apply();
    void Remove();

    QComboBox* choice_ = nullptr;
    QLabel* current_ = nullptr;
    QPushButton* remove_ = nullptr;
    QComboBox* envMode_ = nullptr;
    QWidget* placement_ = nullptr;
    Vector3Editor* translation_ = nullptr;
    Vector3Editor* rotation_ = nullptr;
    Vector3Editor* scale_ = nullptr;
};
