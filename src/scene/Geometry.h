#pragma once

#include <vector>

#include "math/Vector3.h"

// Where an object's geometry goes. Display lists are compiled through the GL sink;
// the recording sink keeps the same stream in memory, so the shapes can be checked
// (normals, texture coordinates, extents) without any GL context.
class GeometrySink {
public:
    virtual ~GeometrySink() = default;
    // `mode` is a GL primitive mode (GL_TRIANGLES, GL_QUADS, GL_LINE_LOOP, ...).
    virtual void Begin(unsigned mode) = 0;
    virtual void Normal(const Vector3& n) = 0;
    virtual void TexCoord(float s, float t) = 0;
    virtual void Vertex(const Vector3& p) = 0;
    virtual void End() = 0;
};

// Sends everything straight to GL (immediate mode, for display list compilation).
class GLGeometrySink : public GeometrySink {
public:
    void Begin(unsigned mode) override;
    void Normal(const Vector3& n) override;
    void TexCoord(float s, float t) override;
    void Vertex(const Vector3& p) override;
    void End() override;
};

// Keeps every vertex with the normal and texture coordinate current when it was given.
class RecordingGeometrySink : public GeometrySink {
public:
    struct RecordedVertex {
        Vector3 position;
        Vector3 normal;
        float s = 0.0f;
        float t = 0.0f;
    };
    struct Primitive {
        unsigned mode = 0;
        std::vector<RecordedVertex> vertices;
    };

    void Begin(unsigned mode) override;
    void Normal(const Vector3& n) override { normal_ = n; }
    void TexCoord(float s, float t) override {
        s_ = s;
        t_ = t;
    }
    void Vertex(const Vector3& p) override;
    void End() override {}

    const std::vector<Primitive>& Primitives() const { return primitives_; }
    std::size_t VertexCount() const;

private:
    std::vector<Primitive> primitives_;
    Vector3 normal_{0.0f, 0.0f, 1.0f};
    float s_ = 0.0f;
    float t_ = 0.0f;
};

// How finely a shape is built: the main display list uses Full; the alternate list
// (light markers, fast drawing while dragging) uses the cheaper Coarse version.
enum class GeometryDetail { Full, Coarse };

namespace geometry {

// A flat square of half size 1 in the plane spanned by `u` (texture s) and `v`
// (texture t), moved by `offset`, facing u x v, split into `divisions` x `divisions`
// quads so per-vertex lighting (spot lights above all) has points to work with.
void EmitGridFace(GeometrySink& sink, const Vector3& u, const Vector3& v, const Vector3& offset, int divisions);

// A sphere of radius 1 around the origin with poles on the z axis.
void EmitSphere(GeometrySink& sink, int slices, int stacks);

// A side surface around the z axis from z = -1 (radius `bottomRadius`) to z = +1
// (radius `topRadius`), normals pointing away from the axis (slanted for a cone).
void EmitTube(GeometrySink& sink, float bottomRadius, float topRadius, int slices, int stacks);

// A disk of radius 1 in the plane z = `z`, facing +z (or -z when `facingDown`).
void EmitDisk(GeometrySink& sink, float z, bool facingDown, int slices, int rings);

}  // namespace geometry
