#pragma once

#include <memory>
#include <string>

#include "math/ColorRGBA.h"
#include "math/Vector3.h"
#include "platform/BinaryIO.h"
#include "scene/COGLObject.h"

// A fixed-function GL light with a visible marker object that carries its position
// (and a spot light's orientation). The eight GL lights are shared by every scene
// of the process through one table: the ninth live light gets none, says so, and
// then neither lights anything nor touches GL.
class COGLLight {
public:
    static constexpr int kMaxLights = 8;
    static constexpr std::size_t kRecordSize = 172;  // the common light record

    virtual ~COGLLight();
    COGLLight(const COGLLight&) = delete;
    COGLLight& operator=(const COGLLight&) = delete;

    // Sets the GL light state and draws the marker.
    virtual void Apply() = 0;
    // Draws the marker unlit with its alternate list, restoring the enable bits.
    virtual void DrawMarker();
    // Draws the marker with its alternate list and no state changes.
    virtual void DrawMarkerPlain();
    virtual void DrawForPicking();
    virtual void Save(BinaryWriter& out) const;
    virtual void Load(BinaryReader& in, int version);
    // Colours, w, the marker's position and the enabled flag; the name becomes
    // "Copy of " and the source's name. The GL light stays this light's own.
    virtual void CopyFrom(const COGLLight& other);

    virtual bool IsSpot() const { return false; }

    COGLObject& Marker() { return *m_marker; }
    const COGLObject& Marker() const { return *m_marker; }
    const Vector3& Position() const { return m_marker->Position(); }

    const ColorRGBA& Ambient() const { return m_ambient; }
    void SetAmbient(const ColorRGBA& c) { m_ambient = c; }
    const ColorRGBA& Diffuse() const { return m_diffuse; }
    void SetDiffuse(const ColorRGBA& c) { m_diffuse = c; }
    const ColorRGBA& Specular() const { return m_specular; }
    void SetSpecular(const ColorRGBA& c) { m_specular = c; }
    float W() const { return m_w; }
    void SetW(float w) { m_w = w; }
    bool IsEnabled() const { return m_enabled != 0; }
    void SetEnabled(bool enabled) { m_enabled = enabled ? 1 : 0; }
    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }

    // GL_LIGHT0 + slot, or 0 for a light that got no GL light.
    unsigned GLLight() const { return m_glLight; }
    // Index in the light table, -1 when none was free.
    int Slot() const { return m_slot; }
    bool HasGLLight() const { return m_slot >= 0; }

    // Entries of the process-wide light table in use.
    static int LightsInUse();

protected:
    // Takes the first free GL light; when none is free, shows "No more lights are
    // available." and keeps the slot -1.
    explicit COGLLight(const std::string& name);
    // Sets the colours and position of an enabled GL light (the part both kinds share).
    void ApplyLightColours() const;
    // Makes the view's context current and says whether a GL call may be made.
    static bool PrepareGL();

    std::unique_ptr<COGLObject> m_marker;
    ColorRGBA m_ambient{0.0f, 0.0f, 0.0f, 1.0f};
    ColorRGBA m_diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    ColorRGBA m_specular{1.0f, 1.0f, 1.0f, 1.0f};
    float m_w = 1.0f;
    unsigned m_glLight = 0;
    int m_slot = -1;
    int m_enabled = 1;
    std::string m_name;
};

class COGLPointLight : public COGLLight {
public:
    // The marker is a small grey sphere at (x, y, z).
    COGLPointLight(float x, float y, float z);
    ~COGLPointLight() override;
    void Apply() override;
};

class COGLSpotLight : public COGLLight {
public:
    static constexpr std::size_t kSpotRecordSize = 36;  // after the common record

    // The marker is a flattened cone at (x, y, z), turned half around so that it
    // opens along -z, the direction GL spot lights shine by default.
    COGLSpotLight(float x, float y, float z);
    // Resets the GL light's spot state to GL's defaults before the light is freed.
    ~COGLSpotLight() override;

    void Apply() override;
    void Save(BinaryWriter& out) const override;
    void Load(BinaryReader& in, int version) override;
    void CopyFrom(const COGLLight& other) override;
    bool IsSpot() const override { return true; }

    // The marker's orientation applied to (0, 0, 1), normalised. With a GL context
    // current it is read back from the modelview matrix as GL composes it; without
    // one (loading in the command-line tool, unit tests) the same product is formed
    // with Quaternion and Matrix4. Both give the same direction.
    void ComputeDirection();
    const Vector3& Direction() const { return m_direction; }

    float CutOff() const { return m_cutOff; }
    void SetCutOff(float degrees) { m_cutOff = degrees; }
    float Exponent() const { return m_exponent; }
    void SetExponent(float exponent) { m_exponent = exponent; }
    float ConstantAttenuation() const { return m_constantAttenuation; }
    void SetConstantAttenuation(float a) { m_constantAttenuation = a; }
    float LinearAttenuation() const { return m_linearAttenuation; }
    void SetLinearAttenuation(float a) { m_linearAttenuation = a; }
    float QuadraticAttenuation() const { return m_quadraticAttenuation; }
    void SetQuadraticAttenuation(float a) { m_quadraticAttenuation = a; }

private:
    Vector3 m_direction{0.0f, 0.0f, -1.0f};
    float m_cutOff = 30.0f;
    float m_exponent = 0.0f;
    float m_constantAttenuation = 1.0f;
    float m_linearAttenuation = 0.0f;
    float m_quadraticAttenuation = 0.0f;
};
