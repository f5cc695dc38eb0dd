#pragma once

#include <array>
#include <cstddef>

#include "platform/BinaryIO.h"

class COGLObject;

// What the scene and the document need of the view that shows the scene, without
// depending on it: the view record of the scene file (the perspective viewport's
// field of view and its camera), the reset of the viewports to their default
// layout, and a repaint. The view implements it; DefaultViewLink stands in where
// there is no view (the command-line tool, tests, benchmarks).
class SceneViewLink {
public:
    static constexpr std::size_t kViewportRecordSize = 4;   // field of view, from version 6 on
    static constexpr std::size_t kCameraRecordSize = 52;    // 13 reals
    static constexpr int kFirstVersionWithViewport = 6;

    virtual ~SceneViewLink() = default;

    // Writes the viewport record and the camera record of the first perspective
    // viewport (or of a freshly made default one when the view shows none).
    virtual void SaveViewRecord(BinaryWriter& out) const = 0;
    // Resets the view to its default layout, then reads the viewport record (only
    // for `version` 6 and later) into the current viewport and the camera record
    // into its camera, which is marked as changed.
    virtual void LoadViewRecord(BinaryReader& in, int version) = 0;
    // The viewports back to their default layout and cameras (Clear the scene).
    virtual void ResetViewports() = 0;
    virtual void Repaint() = 0;
    // A view may move an object just added (a model opened, a primitive chosen) to
    // where its user will look for it; without a view it stays where it was made.
    virtual void PlaceAdded(COGLObject& /*added*/) {}
    // The scene has just been given a new backdrop: a view looks into it (from its
    // first start); without a view nothing happens.
    virtual void ShowBackdrop() {}
};

// Keeps the view record's 56 bytes as values, so a scene loaded and saved without
// a view writes back exactly what it read.
//
// A fresh one holds what a default perspective viewport writes: field of view 45
// and the camera of the Perspective preset - center (0, -1, 0), distance 8, roll 0,
// pitch 10, yaw 0. Eye and up are values a camera derives from its angles when it
// is first applied, and a viewport that was never drawn still holds its starting
// values; we store eye (0, 0, 0) and up (0, 1, 0) for them.
class DefaultViewLink : public SceneViewLink {
public:
    // Camera reals in file order.
    enum CameraValue {
        kCenterX, kCenterY, kCenterZ,
        kEyeX, kEyeY, kEyeZ,
        kUpX, kUpY, kUpZ,
        kDistance, kRoll, kPitch, kYaw,
        kCameraValueCount
    };
    using CameraValues = std::array<float, kCameraValueCount>;

    static constexpr float kDefaultFieldOfView = 45.0f;
    static CameraValues DefaultCamera();

    DefaultViewLink() { ResetViewports(); }

    void SaveViewRecord(BinaryWriter& out) const override;
    void LoadViewRecord(BinaryReader& in, int version) override;
    void ResetViewports() override;
    void Repaint() override;

    float FieldOfView() const { return m_fieldOfView; }
    void SetFieldOfView(float fov) { m_fieldOfView = fov; }
    const CameraValues& Camera() const { return m_camera; }
    void SetCamera(const CameraValues& values) { m_camera = values; }
    int ResetCount() const { return m_resets; }
    int RepaintCount() const { return m_repaints; }

private:
    float m_fieldOfView = kDefaultFieldOfView;
    CameraValues m_camera{};
    int m_resets = 0;
    int m_repaints = 0;
};
