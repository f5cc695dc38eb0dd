#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;

// "Viewable Weapons (VWep)": whether visual weapons are used and the two pak
// archives they come from, kept in the "VWep" settings section.
class VWepDialog : public QDialog {
    Q_OBJECT
public:
    explicit VWepDialog(QWidget* parent = nullptr);

    void WriteSettings() const;

    QCheckBox* EnabledBox() const { return enabled_; }
    QLineEdit* VWepPakEdit() const { return vwepPak_; }
    QLineEdit* CTFPakEdit() const { return ctfPak_; }

    // Asks for a pak file (title, current path); an empty answer keeps the path.
    // Defaults to the standard open dialog with the pak filter.
    std::function<QString(const QString&, const QString&)> browse;

private:
    QWidget* PathRow(QLineEdit* edit, const QString& title);

    QCheckBox* enabled_ = nullptr;
    QLineEdit* vwepPak_ = nullptr;
    QLineEdit* ctfPak_ = nullptr;
};
