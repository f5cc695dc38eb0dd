#pragma once

#include <QSettings>

#include "platform/Settings.h"

// Per-user settings kept by Qt under the organisation "Tolvane" and application
// "DUV", one group per section.
class QtSettings : public Settings {
public:
    QtSettings();
    // For tests: a settings file of its own instead of the user's.
    explicit QtSettings(const QString& iniPath);

    int GetInt(const std::string& section, const std::string& name, int defaultValue) override;
    void SetInt(const std::string& section, const std::string& name, int value) override;
    std::string GetString(const std::string& section, const std::string& name,
                          const std::string& defaultValue) override;
    void SetString(const std::string& section, const std::string& name, const std::string& value) override;
    void Remove(const std::string& section, const std::string& name) override;

    QSettings& Store() { return settings_; }

private:
    static QString Key(const std::string& section, const std::string& name);
    QSettings settings_;
};
