// Writes the project's sample animated model: a banner on a pole, waving in the
// wind, as samples/models/banner/tris.md2 with its skin skin.pcx. Two animations:
// "idle01".."idle08" (a gentle ripple) and "wave01".."wave10" (a strong wind).
//
//   make_sample_model OUTDIR [SEEDDIR]
//
// With SEEDDIR the model is also written there as the MD2 reader's fuzz seed.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/BinaryIO.h"
#include "support/MediaWriters.h"
#include "support/ModelWriters.h"

namespace {
using fixtures::Md2Command;
using fixtures::Md2CommandVertex;
using fixtures::Md2Model;

constexpr float kPi = 3.14159265f;
constexpr int kSkinSize = 64;

// Model space: x towards the viewer, y to the viewer's right, z up.
constexpr float kPoleHalfWidth = 1.5f;
constexpr float kPoleHeight = 72.0f;
constexpr int kColumns = 8;
constexpr int kRows = 4;
constexpr float kClothLength = 40.0f;
constexpr float kClothBottom = 40.0f;
constexpr float kClothTop = 70.0f;
constexpr float kClothThickness = 0.25f;  // half the gap between the two faces of the cloth

enum Colour : std::uint8_t { kBlack, kDeepBlue, kBlue, kGold, kWhite, kDarkWood, kWood, kGrey };

struct Vertex {
    float s, t;  // skin coordinates, 0..1 from the top left
};

struct Mesh {
    std::vector<Vertex> vertices;
    std::vector<std::vector<int>> strips;  // vertex indices; first triangle clockwise from outside
    std::vector<std::vector<int>> fans;
};

int ClothVertex(int side, int column, int row) { return 8 + side * (kColumns + 1) * (kRows + 1) + row * (kColumns + 1) + column; }

// Where each vertex stands in a frame of an animation with wave `amplitude` at `phase`.
std::vector<Vector3> Positions(float amplitude, float phase, float droop) {
    std::vector<Vector3> p;
    for (int i = 0; i < 8; ++i) {  // the pole
        p.push_back({(i & 1) != 0 ? kPoleHalfWidth : -kPoleHalfWidth, (i & 2) != 0 ? kPoleHalfWidth : -kPoleHalfWidth,
                     (i & 4) != 0 ? kPoleHeight : 0.0f});
    }
    for (int side = 0; side < 2; ++side) {
        for (int row = 0; row <= kRows; ++row) {
            for (int column = 0; column <= kColumns; ++column) {
                const float u = static_cast<float>(column) / kColumns;
                const float v = static_cast<float>(row) / kRows;
                const float wave = amplitude * u * std::sin(2.0f * kPi * 1.2f * u - phase + 0.6f * v);
                const float x = wave + (side == 0 ? kClothThickness : -kClothThickness);
                const float y = kPoleHalfWidth + kClothLength * u;
                const float z = kClothBottom + (kClothTop - kClothBottom) * v - droop * u * u;
                p.push_back({x, y, z});
            }
        }
    }
    return p;
}

Mesh BuildMesh() {
    Mesh mesh;
    // Pole corners take the wood strip at the skin's right edge.
    for (int i = 0; i < 8; ++i) {
        mesh.vertices.push_back({(i & 1) != 0 ? 0.95f : 0.8f, (i & 4) != 0 ? 0.05f : 0.95f});
    }
    for (int side = 0; side < 2; ++side) {
        for (int row = 0; row <= kRows; ++row) {
            for (int column = 0; column <= kColumns; ++column) {
                mesh.vertices.push_back({0.72f * static_cast<float>(column) / kColumns + 0.02f,
                                         0.95f - 0.9f * static_cast<float>(row) / kRows});
            }
        }
    }
    // Four sides of the pole as one strip around it, and its top.
    mesh.strips.push_back({0, 4, 1, 5, 3, 7, 2, 6, 0, 4});
    mesh.fans.push_back({4, 5, 7, 6});
    for (int side = 0; side < 2; ++side) {
        for (int row = 0; row < kRows; ++row) {
            std::vector<int> strip;
            for (int column = 0; column <= kColumns; ++column) {
                strip.push_back(ClothVertex(side, column, row));
                strip.push_back(ClothVertex(side, column, row + 1));
            }
            mesh.strips.push_back(strip);
        }
    }
    return mesh;
}

// Triangles of strips and fans, in the order the reader walks them.
std::vector<std::array<int, 3>> Triangles(const Mesh& mesh) {
    std::vector<std::array<int, 3>> triangles;
    for (const auto& strip : mesh.strips) {
        for (std::size_t k = 0; k + 2 < strip.size(); ++k) {
            if (k % 2 == 0) {
                triangles.push_back({strip[k], strip[k + 1], strip[k + 2]});
            } else {
                triangles.push_back({strip[k + 1], strip[k], strip[k + 2]});
            }
        }
    }
    for (const auto& fan : mesh.fans) {
        for (std::size_t k = 1; k + 1 < fan.size(); ++k) {
            triangles.push_back({fan[0], fan[k], fan[k + 1]});
        }
    }
    return triangles;
}

// Outward direction of a triangle's surface, used to turn strips the right way.
Vector3 Outside(const std::vector<Vector3>& p, const std::array<int, 3>& t) {
    const Vector3 centre = (p[static_cast<std::size_t>(t[0])] + p[static_cast<std::size_t>(t[1])] +
                            p[static_cast<std::size_t>(t[2])]) *
                           (1.0f / 3.0f);
    if (t[0] < 8) {
        return {centre.x, centre.y, centre.z > kPoleHeight - 0.01f ? 100.0f : 0.0f};
    }
    return {t[0] < ClothVertex(1, 0, 0) ? 1.0f : -1.0f, 0.0f, 0.0f};
}

Vector3 Normal(const std::vector<Vector3>& p, const std::array<int, 3>& t) {
    const Vector3& a = p[static_cast<std::size_t>(t[0])];
    const Vector3& b = p[static_cast<std::size_t>(t[1])];
    const Vector3& c = p[static_cast<std::size_t>(t[2])];
    return (a - b).Cross(c - b);
}

// Reverses every strip and fan whose first triangle faces inwards, so all of them
// are clockwise seen from outside, as front faces of models are.
void OrientMesh(Mesh& mesh, const std::vector<Vector3>& p) {
    for (auto& strip : mesh.strips) {
        const std::array<int, 3> first{strip[0], strip[1], strip[2]};
        if (Normal(p, first).Dot(Outside(p, first)) < 0.0f) {
            for (std::size_t k = 0; k + 1 < strip.size(); k += 2) {
                std::swap(strip[k], strip[k + 1]);
            }
        }
    }
    for (auto& fan : mesh.fans) {
        const std::array<int, 3> first{fan[0], fan[1], fan[2]};
        if (Normal(p, first).Dot(Outside(p, first)) < 0.0f) {
            std::reverse(fan.begin() + 1, fan.end());
        }
    }
}

fixtures::Md2Frame MakeFrame(const std::string& name, const std::vector<Vector3>& p, const Mesh& mesh) {
    Vector3 lo = p.front(), hi = p.front();
    for (const Vector3& v : p) {
        lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
        hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
    }
    std::vector<Vector3> normals(p.size());
    for (const auto& t : Triangles(mesh)) {
        Vector3 n = Normal(p, t);
        n.Normalize();
        for (const int v : t) {
            normals[static_cast<std::size_t>(v)] += n;
        }
    }
    fixtures::Md2Frame frame;
    frame.name = name;
    frame.scale = {(hi.x - lo.x) / 255.0f, (hi.y - lo.y) / 255.0f, (hi.z - lo.z) / 255.0f};
    frame.translate = {lo.x, lo.y, lo.z};
    for (std::size_t i = 0; i < p.size(); ++i) {
        const auto quantize = [](float value, float low, float scale) {
            return static_cast<std::uint8_t>(std::lround(std::clamp((value - low) / scale, 0.0f, 255.0f)));
        };
        frame.vertices.push_back({quantize(p[i].x, lo.x, frame.scale[0]), quantize(p[i].y, lo.y, frame.scale[1]),
                                  quantize(p[i].z, lo.z, frame.scale[2]), fixtures::NearestNormal(normals[i])});
    }
    return frame;
}

fixtures::Indices Skin() {
    fixtures::Indices pixels(static_cast<std::size_t>(kSkinSize * kSkinSize), kBlack);
    for (int y = 0; y < kSkinSize; ++y) {
        for (int x = 0; x < kSkinSize; ++x) {
            std::uint8_t c = kBlack;
            if (x >= 49) {
                c = ((x + y / 3) % 5 == 0) ? kDarkWood : kWood;  // pole
                if (y < 5) {
                    c = kGrey;  // the cap
                }
            } else {
                const bool border = x < 4 || x > 44 || y < 5 || y > 58;
                // A gold chevron pointing away from the pole.
                const int dy = y > 32 ? y - 32 : 32 - y;
                const int chevron = 10 + dy * 3 / 4;
                const bool stripe = x >= chevron && x < chevron + 7;
                const bool star = std::abs(x - 16) + std::abs(y - 32) < 6;  // a diamond
                c = border ? kGold : stripe ? kGold : star ? kWhite : ((x + y) % 9 == 0 ? kDeepBlue : kBlue);
            }
            pixels[static_cast<std::size_t>(y * kSkinSize + x)] = c;
        }
    }
    return pixels;
}

fixtures::Palette768 SkinPalette() {
    fixtures::Palette768 palette{};
    const std::uint8_t colours[][3] = {{0, 0, 0},      {18, 30, 92},  {34, 62, 160}, {222, 178, 40},
                                       {240, 240, 232}, {92, 58, 30}, {140, 96, 52}, {150, 150, 156}};
    for (std::size_t i = 0; i < std::size(colours); ++i) {
        for (std::size_t k = 0; k < 3; ++k) {
            palette[i * 3 + k] = colours[i][k];
        }
    }
    return palette;
}

bool WriteFile(const std::string& path, const ByteBuffer& bytes) {
    if (!WriteFileAtomically(path, bytes)) {
        std::fprintf(stderr, "make_sample_model: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_sample_model OUTDIR [SEEDDIR]\n");
        return 2;
    }
    Mesh mesh = BuildMesh();
    OrientMesh(mesh, Positions(0.0f, 0.0f, 0.0f));

    Md2Model model;
    model.skinWidth = kSkinSize;
    model.skinHeight = kSkinSize;
    model.skins = {"models/banner/skin.pcx"};
    struct Run {
        const char* name;
        int frames;
        float amplitude;
        float droop;
    };
    for (const Run run : {Run{"idle", 8, 1.5f, 3.0f}, Run{"wave", 10, 5.0f, 1.0f}}) {
        for (int f = 0; f < run.frames; ++f) {
            const float phase = 2.0f * kPi * static_cast<float>(f) / static_cast<float>(run.frames);
            const std::string name = std::string(run.name) + (f + 1 < 10 ? "0" : "") + std::to_string(f + 1);
            model.frames.push_back(MakeFrame(name, Positions(run.amplitude, phase, run.droop), mesh));
        }
    }
    const auto command = [&](const std::vector<int>& indices, bool fan) {
        Md2Command c;
        c.fan = fan;
        for (const int i : indices) {
            const Vertex& v = mesh.vertices[static_cast<std::size_t>(i)];
            c.vertices.push_back(Md2CommandVertex{v.s, v.t, i});
        }
        model.commands.push_back(c);
    };
    for (const auto& strip : mesh.strips) {
        command(strip, false);
    }
    for (const auto& fan : mesh.fans) {
        command(fan, true);
    }
    for (const Vertex& v : mesh.vertices) {
        model.st.push_back({static_cast<std::int16_t>(std::lround(v.s * kSkinSize)),
                            static_cast<std::int16_t>(std::lround(v.t * kSkinSize))});
    }
    for (const auto& t : Triangles(mesh)) {
        const std::array<std::int16_t, 3> corners{static_cast<std::int16_t>(t[0]), static_cast<std::int16_t>(t[1]),
                                                  static_cast<std::int16_t>(t[2])};
        model.triangles.push_back({corners, corners});
    }

    const std::string out = argv[1];
    const ByteBuffer md2 = fixtures::WriteMd2(model);
    bool ok = WriteFile(out + "/tris.md2", md2);
    ok = WriteFile(out + "/skin.pcx", fixtures::WritePcx(kSkinSize, kSkinSize, Skin(), SkinPalette())) && ok;
    if (argc == 3) {
        ok = WriteFile(std::string(argv[2]) + "/banner.seed", md2) && ok;
    }
    return ok ? 0 : 1;
}
