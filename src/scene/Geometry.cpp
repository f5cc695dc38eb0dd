#include "scene/Geometry.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>

void GLGeometrySink::Begin(unsigned mode) { glBegin(mode); }
void GLGeometrySink::Normal(const Vector3& n) { glNormal3f(n.x, n.y, n.z); }
void GLGeometrySink::TexCoord(float s, float t) { glTexCoord2f(s, t); }
void GLGeometrySink::Vertex(const Vector3& p) { glVertex3f(p.x, p.y, p.z); }
void GLGeometrySink::End() { glEnd(); }

void RecordingGeometrySink::Begin(unsigned mode) { primitives_.push_back({mode, {}}); }

void RecordingGeometrySink::Vertex(const Vector3& p) {
    if (primitives_.empty()) {
        primitives_.push_back({GL_POINTS, {}});
    }
    primitives_.back().vertices.push_back({p, normal_, s_, t_});
}

std::size_t RecordingGeometrySink::VertexCount() const {
    std::size_t count = 0;
    for (const auto& primitive : primitives_) {
        count += primitive.vertices.size();
    }
    return count;
}

namespace geometry {
namespace {
constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
constexpr float kPi = std::numbers::pi_v<float>;
}  // namespace

void EmitGridFace(GeometrySink& sink, const Vector3& u, const Vector3& v, const Vector3& offset, int divisions) {
    divisions = std::max(divisions, 1);
    const Vector3 normal = u.Cross(v);
    const float step = 2.0f / static_cast<float>(divisions);
    sink.Begin(GL_QUADS);
    sink.Normal(normal);
    for (int row = 0; row < divisions; ++row) {
        const float v0 = -1.0f + step * static_cast<float>(row);
        const float v1 = row + 1 == divisions ? 1.0f : v0 + step;
        for (int col = 0; col < divisions; ++col) {
            const float u0 = -1.0f + step * static_cast<float>(col);
            const float u1 = col + 1 == divisions ? 1.0f : u0 + step;
            // Counter-clockwise seen from the side the face looks to.
            const float corners[4][2] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
            for (const auto& c : corners) {
                sink.TexCoord((c[0] + 1.0f) * 0.5f, (c[1] + 1.0f) * 0.5f);
                sink.Vertex(offset + u * c[0] + v * c[1]);
            }
        }
    }
    sink.End();
}

void EmitSphere(GeometrySink& sink, int slices, int stacks) {
    slices = std::max(slices, 3);
    stacks = std::max(stacks, 2);
    for (int i = 0; i < stacks; ++i) {
        const float phi0 = kPi * static_cast<float>(i) / static_cast<float>(stacks);
        const float phi1 = kPi * static_cast<float>(i + 1) / static_cast<float>(stacks);
        sink.Begin(GL_TRIANGLE_STRIP);
        for (int j = 0; j <= slices; ++j) {
            const float theta = kTwoPi * static_cast<float>(j % slices) / static_cast<float>(slices);
            const float s = static_cast<float>(j) / static_cast<float>(slices);
            for (const float phi : {phi0, phi1}) {
                const Vector3 p{std::sin(phi) * std::cos(theta), std::sin(phi) * std::sin(theta), std::cos(phi)};
                sink.Normal(p);
                sink.TexCoord(s, 1.0f - phi / kPi);
                sink.Vertex(p);
            }
        }
        sink.End();
    }
}

void EmitTube(GeometrySink& sink, float bottomRadius, float topRadius, int slices, int stacks) {
    slices = std::max(slices, 3);
    stacks = std::max(stacks, 1);
    // Outward normal of the surface r(z): (cos, sin, -dr/dz), normalised.
    const float slope = (topRadius - bottomRadius) * 0.5f;
    const float scale = 1.0f / std::sqrt(1.0f + slope * slope);
    for (int k = 0; k < stacks; ++k) {
        const float t0 = static_cast<float>(k) / static_cast<float>(stacks);
        const float t1 = static_cast<float>(k + 1) / static_cast<float>(stacks);
        sink.Begin(GL_TRIANGLE_STRIP);
        for (int j = 0; j <= slices; ++j) {
            const float theta = kTwoPi * static_cast<float>(j % slices) / static_cast<float>(slices);
            const float c = std::cos(theta);
            const float sn = std::sin(theta);
            sink.Normal({c * scale, sn * scale, -slope * scale});
            for (const float t : {t1, t0}) {
                const float radius = bottomRadius + (topRadius - bottomRadius) * t;
                sink.TexCoord(static_cast<float>(j) / static_cast<float>(slices), t);
                sink.Vertex({radius * c, radius * sn, -1.0f + 2.0f * t});
            }
        }
        sink.End();
    }
}

void EmitDisk(GeometrySink& sink, float z, bool facingDown, int slices, int rings) {
    slices = std::max(slices, 3);
    rings = std::max(rings, 1);
    const Vector3 normal{0.0f, 0.0f, facingDown ? -1.0f : 1.0f};
    for (int k = 0; k < rings; ++k) {
        const float inner = static_cast<float>(k) / static_cast<float>(rings);
        const float outer = static_cast<float>(k + 1) / static_cast<float>(rings);
        sink.Begin(GL_TRIANGLE_STRIP);
        sink.Normal(normal);
        for (int j = 0; j <= slices; ++j) {
            const float theta = kTwoPi * static_cast<float>(j % slices) / static_cast<float>(slices);
            const float c = std::cos(theta);
            const float sn = std::sin(theta);
            // Inner first winds counter-clockwise seen from +z; outer first from -z.
            const float first = facingDown ? outer : inner;
            const float second = facingDown ? inner : outer;
            for (const float radius : {first, second}) {
                const float x = radius * c;
                const float y = radius * sn;
                // Seen from below, +x runs to the left: mirror s so the image is not reversed.
                sink.TexCoord(facingDown ? (1.0f - x) * 0.5f : (x + 1.0f) * 0.5f, (y + 1.0f) * 0.5f);
                sink.Vertex({x, y, z});
            }
        }
        sink.End();
    }
}

}  // namespace geometry
