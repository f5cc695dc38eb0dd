#pragma once

#include <QDialog>

class QListWidget;
class QRadioButton;

// "Select a Light Type to Add": a point or a spot light.
class LightTypeDialog : public QDialog {
    Q_OBJECT
public:
    explicit LightTypeDialog(QWidget* parent = nullptr);

    // 0 for a point light, 1 for a spot light.
    int Kind() const;
    void SetKind(int kind);

private:
    QRadioButton* point_ = nullptr;
    QRadioButton* spot_ = nullptr;
};

// "Select an Object Type to Add": every primitive, answered by its object type code.
class ObjectTypeDialog : public QDialog {
    Q_OBJECT
public:
    explicit ObjectTypeDialog(QWidget* parent = nullptr);

    // The type code of the chosen primitive, or -1 when none is chosen.
    int TypeCode() const;
    bool SelectTypeCode(int typeCode);
    QListWidget* List() const { return list_; }

private:
    QListWidget* list_ = nullptr;
};
