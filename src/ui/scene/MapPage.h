#pragma once

#include "ui/PropertyPage.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;

// The "Map" page: the map the scene stands in, its brightness, its sky, which of
// its brush entities (doors, platforms) show, and the pictures it could not find.
class MapPage : public PropertyPage {
    Q_OBJECT
public:
    explicit MapPage(QWidget* parent = nullptr);

    QString Title() const override;
    void Refresh() override;

private:
    QLabel* name_ = nullptr;
    QDoubleSpinBox* brightness_ = nullptr;
    QCheckBox* sky_ = nullptr;
    QListWidget* brushEntities_ = nullptr;
    QListWidget* missing_ = nullptr;
};
