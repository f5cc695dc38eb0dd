#pragma once

#include <QDialog>

class QCheckBox;
class QSlider;

// "Program Options". The slider and frame-time values are written by
// WriteSettings() when the dialog is accepted; "Save settings on exit" is written
// the moment it changes, whatever happens to the dialog afterwards.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    OptionsDialog(bool saveSettings, bool resetWindowPositions, QWidget* parent = nullptr);

    void WriteSettings() const;

    bool SaveSettings() const;
    bool ResetWindowPositions() const;

    QCheckBox* ForceSoftwareBox() const { return forceSoftware_; }
    QCheckBox* ShowFrameTimeBox() const { return showFrameTime_; }
    QSlider* SensitivitySlider() const { return sensitivity_; }
    QSlider* GammaSlider() const { return gamma_; }
    QCheckBox* SaveSettingsBox() const { return saveSettings_; }
    QCheckBox* ResetWindowsBox() const { return resetWindows_; }

signals:
    void saveSettingsChanged(bool save);

private:
    QCheckBox* forceSoftware_ = nullptr;
    QCheckBox* showFrameTime_ = nullptr;
    QSlider* sensitivity_ = nullptr;
    QSlider* gamma_ = nullptr;
    QCheckBox* saveSettings_ = nullptr;
    QCheckBox* resetWindows_ = nullptr;
    int initialGammaPosition_ = 0;
};
