#include "ui/QtSettings.h"

QtSettings::QtSettings() : settings_(QStringLiteral("Tolvane"), QStringLiteral("DUV")) {}

QtSettings::QtSettings(const QString& iniPath) : settings_(iniPath, QSettings::IniFormat) {}

QString QtSettings::Key(const std::string& section, const std::string& name) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(name);
}

int QtSettings::GetInt(const std::string& section, const std::string& name, int defaultValue) {
    bool ok = false;
    const int value = settings_.value(Key(section, name), defaultValue).toInt(&ok);
    return ok ? value : defaultValue;
}

void QtSettings::SetInt(const std::string& section, const std::string& name, int value) {
    settings_.setValue(Key(section, name), value);
}

std::string QtSettings::GetString(const std::string& section, const std::string& name,
                                  const std::string& defaultValue) {
    return settings_.value(Key(section, name), QString::fromStdString(defaultValue)).toString().toStdString();
}

void QtSettings::SetString(const std::string& section, const std::string& name, const std::string& value) {
    settings_.setValue(Key(section, name), QString::fromStdString(value));
}

void QtSettings::Remove(const std::string& section, const std::string& name) { settings_.remove(Key(section, name)); }
