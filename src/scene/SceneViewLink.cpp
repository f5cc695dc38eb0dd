#include "scene/SceneViewLink.h"

#include "platform/Host.h"

DefaultViewLink::CameraValues DefaultViewLink::DefaultCamera() {
    CameraValues values{};
    values[kCenterY] = -1.0f;
    values[kUpY] = 1.0f;
    values[kDistance] = 8.0f;
    values[kPitch] = 10.0f;
    return values;
}

void DefaultViewLink::SaveViewRecord(BinaryWriter& out) const {
    out.WriteF32(m_fieldOfView);
    for (const float value : m_camera) {
        out.WriteF32(value);
    }
}

void DefaultViewLink::LoadViewRecord(BinaryReader& in, int version) {
    ResetViewports();
    // Read everything before taking any of it, so a short record changes nothing more.
    float fieldOfView = m_fieldOfView;
    if (version >= kFirstVersionWithViewport) {
        fieldOfView = in.ReadF32();
    }
    CameraValues camera{};
    for (float& value : camera) {
        value = in.ReadF32();
    }
    m_fieldOfView = fieldOfView;
    m_camera = camera;
}

void DefaultViewLink::ResetViewports() {
    m_fieldOfView = kDefaultFieldOfView;
    m_camera = DefaultCamera();
    ++m_resets;
}

void DefaultViewLink::Repaint() {
    ++m_repaints;
    GetHost().RequestRepaint();
}
