#pragma once

#include <map>
#include <string>
#include <utility>

// Per-user integers and strings by section ("Settings", "VWep", "Bars") and name.
class Settings {
public:
    virtual ~Settings() = default;
    virtual int GetInt(const std::string& section, const std::string& name, int defaultValue) = 0;
    virtual void SetInt(const std::string& section, const std::string& name, int value) = 0;
    virtual std::string GetString(const std::string& section, const std::string& name,
                                  const std::string& defaultValue) = 0;
    virtual void SetString(const std::string& section, const std::string& name, const std::string& value) = 0;
    virtual void Remove(const std::string& section, const std::string& name) = 0;
};

class MemorySettings : public Settings {
public:
    int GetInt(const std::string& section, const std::string& name, int defaultValue) override;
    void SetInt(const std::string& section, const std::string& name, int value) override;
    std::string GetString(const std::string& section, const std::string& name,
                          const std::string& defaultValue) override;
    void SetString(const std::string& section, const std::string& name, const std::string& value) override;
    void Remove(const std::string& section, const std::string& name) override;
    bool Has(const std::string& section, const std::string& name) const;
    void Clear() { values_.clear(); }

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

// The process-wide settings store; in memory until the shell installs its own.
Settings& GetSettings();
void SetSettings(Settings* settings);  // nullptr restores the in-memory store

// Section and value names used across the program.
namespace settings_keys {
inline constexpr const char* kSettings = "Settings";
inline constexpr const char* kVWep = "VWep";
inline constexpr const char* kBars = "Bars";

inline constexpr const char* kSaveSettings = "SaveSettings";
inline constexpr const char* kGamma = "Gamma";
inline constexpr const char* kForceSWRender = "ForceSWRender";
inline constexpr const char* kShowFrameTime = "ShowFrameTime";
inline constexpr const char* kMouseSensitivity = "MouseSensitivity";
inline constexpr const char* kGrid = "Grid";
inline constexpr const char* kAxis = "Axis";
// The overlays the view draws over the selected model (their bits), and whether saved pictures keep them.
inline constexpr const char* kOverlays = "Overlays";
inline constexpr const char* kOverlaysInPictures = "OverlaysInPictures";
inline constexpr const char* kSceneWindow = "SceneWindow";
inline constexpr const char* kObjectProperties = "ObjectProperties";
inline constexpr const char* kSceneSelector = "SceneSelector";
inline constexpr const char* kColorPicker = "ColorPicker";
inline constexpr const char* kIgnoreToolbarLoad = "IgnoreToolbarLoad";

inline constexpr const char* kEnabled = "Enabled";
inline constexpr const char* kVWepPakFile = "VWepPakFile";
inline constexpr const char* kCTFPakFile = "CTFPakFile";
}  // namespace settings_keys
