#include "platform/Settings.h"

#include <charconv>

int MemorySettings::GetInt(const std::string& section, const std::string& name, int defaultValue) {
    auto it = values_.find({section, name});
    if (it == values_.end()) {
        return defaultValue;
    }
    int value = defaultValue;
    const std::string& s = it->second;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && ptr == s.data() + s.size() ? value : defaultValue;
}

void MemorySettings::SetInt(const std::string& section, const std::string& name, int value) {
    values_[{section, name}] = std::to_string(value);
}

std::string MemorySettings::GetString(const std::string& section, const std::string& name,
                                      const std::string& defaultValue) {
    auto it = values_.find({section, name});
    return it == values_.end() ? defaultValue : it->second;
}

void MemorySettings::SetString(const std::string& section, const std::string& name, const std::string& value) {
    values_[{section, name}] = value;
}

void MemorySettings::Remove(const std::string& section, const std::string& name) { values_.erase({section, name}); }

bool MemorySettings::Has(const std::string& section, const std::string& name) const {
    return values_.count({section, name}) != 0;
}

namespace {
MemorySettings& BuiltInSettings() {
    static MemorySettings settings;
    return settings;
}
Settings* g_settings = nullptr;
}  // namespace

Settings& GetSettings() { return g_settings != nullptr ? *g_settings : BuiltInSettings(); }

void SetSettings(Settings* settings) { g_settings = settings; }
