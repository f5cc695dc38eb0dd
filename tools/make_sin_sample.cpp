// Writes the project's sample SiN model: a little figure in a cape, as
// samples/models/sin/ (figure.def, figure.sbm, idle.sam, walk.sam and the skins
// figure.tga and figure_red.tga it draws itself) and the same files packed into
// figure.sin under models/sin/. Two mesh groups: the body and the cape, which is
// two-sided. Two animations: "idle" (breathing, 8 frames) and "walk" (10 frames).
//
//   make_sin_sample OUTDIR [CORPUSDIR]
//
// With CORPUSDIR (fuzz/corpus) the files are also written there as the SiN
// readers' fuzz seeds.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "math/Vector3.h"
#include "platform/BinaryIO.h"
#include "support/MediaWriters.h"
#include "support/SinWriters.h"

namespace {
constexpr float kPi = 3.14159265f;
constexpr int kSkin = 64;

// Model space: x towards the viewer, y to the viewer's right, z up; the feet on z = 0.
struct Box {
    Vector3 lo, hi;
    Vector3 pivot;    // the joint it swings about (about the y axis)
    int swing;        // +1 or -1: which way it swings with the stride, 0 not at all
    bool breathes;    // rises and falls with the breath
    // Skin regions in pixels (left, top, right, bottom): the front face and the others.
    std::array<int, 4> front, sides;
};

const std::vector<Box>& Parts() {
    static const std::vector<Box> parts = {
        {{-3, -7, 0}, {3, -1, 24}, {0, -4, 24}, 1, false, {0, 36, 16, 64}, {0, 36, 16, 64}},          // left leg
        {{-3, 1, 0}, {3, 7, 24}, {0, 4, 24}, -1, false, {0, 36, 16, 64}, {0, 36, 16, 64}},            // right leg
        {{-4, -8, 24}, {4, 8, 44}, {0, 0, 24}, 0, true, {0, 16, 16, 36}, {16, 16, 32, 36}},           // body
        {{-4, -4, 45}, {4, 4, 54}, {0, 0, 45}, 0, true, {0, 0, 16, 16}, {16, 0, 32, 16}},             // head
        {{-2.5f, -13, 25}, {2.5f, -8.5f, 44}, {0, -10.75f, 43}, -1, true, {32, 16, 40, 36}, {32, 16, 40, 36}},
        {{-2.5f, 8.5f, 25}, {2.5f, 13, 44}, {0, 10.75f, 43}, 1, true, {32, 16, 40, 36}, {32, 16, 40, 36}},
    };
    return parts;
}
constexpr int kCapeColumns = 4;
constexpr int kCapeRows = 5;
constexpr int kBoxVertices = 8;
int CapeVertex(int column, int row) {
    return static_cast<int>(Parts().size()) * kBoxVertices + row * (kCapeColumns + 1) + column;
}
int VertexCount() { return CapeVertex(kCapeColumns, kCapeRows) + 1; }

// Where everything stands in one frame: the stride angle (degrees), the breath
// (rise in units), and how far the cape is blown back.
struct Pose {
    float stride = 0.0f;
    float breath = 0.0f;
    float bob = 0.0f;
    float capeBack = 1.0f;
    float capePhase = 0.0f;
    float capeRipple = 0.5f;
};

Vector3 Corner(const Box& b, int i) {
    return {(i & 1) != 0 ? b.hi.x : b.lo.x, (i & 2) != 0 ? b.hi.y : b.lo.y, (i & 4) != 0 ? b.hi.z : b.lo.z};
}

std::vector<Vector3> Positions(const Pose& pose) {
    std::vector<Vector3> p;
    for (const Box& b : Parts()) {
        const float angle = static_cast<float>(b.swing) * pose.stride * kPi / 180.0f;
        const float c = std::cos(angle), s = std::sin(angle);
        for (int i = 0; i < kBoxVertices; ++i) {
            Vector3 v = Corner(b, i);
            const float dx = v.x - b.pivot.x, dz = v.z - b.pivot.z;
            v.x = b.pivot.x + dx * c + dz * s;
            v.z = b.pivot.z - dx * s + dz * c + pose.bob + (b.breathes ? pose.breath : 0.0f);
            p.push_back(v);
        }
    }
    for (int row = 0; row <= kCapeRows; ++row) {
        for (int column = 0; column <= kCapeColumns; ++column) {
            const float u = static_cast<float>(column) / kCapeColumns;
            const float v = static_cast<float>(row) / kCapeRows;
            const float ripple = pose.capeRipple * v * std::sin(2.0f * kPi * u + pose.capePhase + 2.0f * v);
            const float x = -4.5f - pose.capeBack * v * v * 6.0f - ripple;
            const float y = -7.0f + 14.0f * u;
            const float z = 43.0f - 26.0f * v * (1.0f - 0.08f * pose.capeBack) + pose.bob + pose.breath;
            p.push_back({x, y, z});
        }
    }
    return p;
}

std::array<float, 2> St(float x, float y) { return {x / kSkin, y / kSkin}; }

// The base model: each box face a quad with its own skin coordinates, wound
// clockwise seen from outside; the cape one grid, clockwise seen from behind.
fixtures::SbmSpec BuildModel() {
    fixtures::SbmSpec m;
    m.vertexCount = VertexCount();
    fixtures::SbmGroupSpec body{1, {}};
    fixtures::SbmGroupSpec cape{2, {}};
    const auto quad = [&m](fixtures::SbmGroupSpec& group, std::array<int, 4> corners, const std::array<int, 4>& r) {
        const float inset = 0.5f;
        const auto first = static_cast<std::int16_t>(m.st.size());
        m.st.push_back(St(static_cast<float>(r[0]) + inset, static_cast<float>(r[1]) + inset));
        m.st.push_back(St(static_cast<float>(r[2]) - inset, static_cast<float>(r[1]) + inset));
        m.st.push_back(St(static_cast<float>(r[2]) - inset, static_cast<float>(r[3]) - inset));
        m.st.push_back(St(static_cast<float>(r[0]) + inset, static_cast<float>(r[3]) - inset));
        const auto v = [&](int k) { return static_cast<std::int16_t>(corners[static_cast<std::size_t>(k)]); };
        const auto s = [&](int k) { return static_cast<std::int16_t>(first + k); };
        group.triangles.push_back({{v(0), v(1), v(2)}, {s(0), s(1), s(2)}});
        group.triangles.push_back({{v(0), v(2), v(3)}, {s(0), s(2), s(3)}});
    };
    for (std::size_t part = 0; part < Parts().size(); ++part) {
        const Box& b = Parts()[part];
        const int base = static_cast<int>(part) * kBoxVertices;
        const auto c = [base](int x, int y, int z) { return base + x + 2 * y + 4 * z; };
        // Each face from its top left, clockwise as seen from outside.
        quad(body, {c(1, 0, 1), c(1, 1, 1), c(1, 1, 0), c(1, 0, 0)}, b.front);  // front (+x)
        quad(body, {c(0, 1, 1), c(0, 0, 1), c(0, 0, 0), c(0, 1, 0)}, b.sides);  // back
        quad(body, {c(1, 1, 1), c(0, 1, 1), c(0, 1, 0), c(1, 1, 0)}, b.sides);  // right (+y)
        quad(body, {c(0, 0, 1), c(1, 0, 1), c(1, 0, 0), c(0, 0, 0)}, b.sides);  // left
        const std::array<int, 4> top{b.sides[0], b.sides[1], b.sides[2], b.sides[1] + 4};
        quad(body, {c(0, 0, 1), c(0, 1, 1), c(1, 1, 1), c(1, 0, 1)}, top);      // top
        quad(body, {c(1, 0, 0), c(1, 1, 0), c(0, 1, 0), c(0, 0, 0)}, b.sides);  // bottom
    }
    for (int row = 0; row < kCapeRows; ++row) {
        for (int column = 0; column < kCapeColumns; ++column) {
            // Seen from behind the viewer's right is -y: the higher column is on the left.
            const int left = column + 1;
            const int right = column;
            const auto first = static_cast<std::int16_t>(m.st.size());
            const auto u = [](int col) { return static_cast<float>(40 + 6 * col); };
            const float top = static_cast<float>(64 * row / kCapeRows);
            const float bottom = static_cast<float>(64 * (row + 1) / kCapeRows);
            m.st.push_back(St(u(left), top));
            m.st.push_back(St(u(right), top));
            m.st.push_back(St(u(right), bottom));
            m.st.push_back(St(u(left), bottom));
            const auto v = [](int cl, int rw) { return static_cast<std::int16_t>(CapeVertex(cl, rw)); };
            const auto s = [first](int k) { return static_cast<std::int16_t>(first + k); };
            cape.triangles.push_back({{v(left, row), v(right, row), v(right, row + 1)}, {s(0), s(1), s(2)}});
            cape.triangles.push_back({{v(left, row), v(right, row + 1), v(left, row + 1)}, {s(0), s(2), s(3)}});
        }
    }
    m.groups = {body, cape};
    return m;
}

fixtures::SamFrameSpec MakeFrame(const std::vector<Vector3>& p, const fixtures::SbmSpec& m) {
    Vector3 lo = p.front(), hi = p.front();
    for (const Vector3& v : p) {
        lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
        hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
    }
    std::vector<Vector3> normals(p.size());
    for (const auto& group : m.groups) {
        for (const auto& t : group.triangles) {
            const Vector3& a = p[static_cast<std::size_t>(t.xyz[0])];
            const Vector3& b = p[static_cast<std::size_t>(t.xyz[1])];
            const Vector3& c = p[static_cast<std::size_t>(t.xyz[2])];
            Vector3 n = (a - b).Cross(c - b);
            n.Normalize();
            for (const std::int16_t v : t.xyz) {
                normals[static_cast<std::size_t>(v)] += n;
            }
        }
    }
    fixtures::SamFrameSpec frame;
    frame.scale = {(hi.x - lo.x) / 255.0f, (hi.y - lo.y) / 255.0f, (hi.z - lo.z) / 255.0f};
    frame.translate = {lo.x, lo.y, lo.z};
    const auto quantize = [](float value, float low, float scale) {
        return static_cast<std::uint8_t>(std::lround(std::clamp((value - low) / scale, 0.0f, 255.0f)));
    };
    for (std::size_t i = 0; i < p.size(); ++i) {
        frame.vertices.push_back({quantize(p[i].x, lo.x, frame.scale[0]), quantize(p[i].y, lo.y, frame.scale[1]),
                                  quantize(p[i].z, lo.z, frame.scale[2]), fixtures::NearestNormal(normals[i])});
    }
    return frame;
}

using Rgb = std::array<std::uint8_t, 3>;
struct Colours {
    Rgb shirt, cape, trim;
};

// The skin, top row first, as B, G, R bytes stored bottom row first for the TGA.
ByteBuffer DrawSkin(const Colours& colours) {
    const Rgb skin{232, 188, 150}, hair{92, 56, 30}, dark{30, 24, 20}, mouth{150, 40, 40}, trousers{44, 60, 120},
        boots{50, 34, 22}, belt{70, 44, 24}, gold{230, 186, 50};
    std::vector<Rgb> image(static_cast<std::size_t>(kSkin * kSkin), Rgb{0, 0, 0});
    const auto at = [&](int x, int y) -> Rgb& { return image[static_cast<std::size_t>(y * kSkin + x)]; };
    for (int y = 0; y < kSkin; ++y) {
        for (int x = 0; x < kSkin; ++x) {
            Rgb c{0, 0, 0};
            if (x >= 40) {  // the cape, with a border
                const bool border = x < 42 || x > 61 || y < 2 || y > 61;
                c = border ? colours.trim : colours.cape;
                if (!border && (x + y) % 7 == 0) {
                    c = {static_cast<std::uint8_t>(colours.cape[0] * 4 / 5), static_cast<std::uint8_t>(colours.cape[1] * 4 / 5),
                         static_cast<std::uint8_t>(colours.cape[2] * 4 / 5)};
                }
            } else if (y < 16 && x < 32) {  // head: face, then the other sides
                c = y < (x < 16 ? 3 : 6) ? hair : skin;
                if (x < 16) {
                    const bool eye = y >= 6 && y < 8 && ((x >= 3 && x < 6) || (x >= 10 && x < 13));
                    const bool lips = y >= 11 && y < 12 && x >= 5 && x < 11;
                    c = eye ? dark : lips ? mouth : c;
                }
            } else if (y >= 16 && y < 36 && x < 32) {  // body: front with a badge, sides
                c = y >= 32 ? belt : colours.shirt;
                if (x < 16 && std::abs(x - 8) + std::abs(y - 24) < 5) {
                    c = gold;
                }
            } else if (y >= 16 && y < 36) {  // arms: sleeves and hands
                c = y >= 31 ? skin : colours.shirt;
            } else if (y >= 36 && x < 16) {  // legs: trousers and boots
                c = y >= 56 ? boots : trousers;
            }
            at(x, y) = c;
        }
    }
    ByteBuffer stored;
    for (int y = kSkin - 1; y >= 0; --y) {
        for (int x = 0; x < kSkin; ++x) {
            const Rgb& c = at(x, y);
            stored.insert(stored.end(), {c[2], c[1], c[0]});
        }
    }
    return fixtures::WriteTga(kSkin, kSkin, stored, fixtures::TgaOptions{});
}

bool WriteFile(const std::string& path, const ByteBuffer& bytes) {
    if (!WriteFileAtomically(path, bytes)) {
        std::fprintf(stderr, "make_sin_sample: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_sin_sample OUTDIR [CORPUSDIR]\n");
        return 2;
    }
    const fixtures::SbmSpec model = BuildModel();
    const auto animation = [&model](const char* name, int frames, auto pose) {
        fixtures::SamSpec a;
        a.name = name;
        for (int f = 0; f < frames; ++f) {
            const float phase = 2.0f * kPi * static_cast<float>(f) / static_cast<float>(frames);
            a.frames.push_back(MakeFrame(Positions(pose(phase)), model));
        }
        return fixtures::WriteSam(a);
    };
    const ByteBuffer idle = animation("idle", 8, [](float phase) {
        Pose p;
        p.breath = 0.8f * std::sin(phase);
        p.stride = 3.0f * std::sin(phase);
        p.capePhase = phase;
        p.capeBack = 0.3f;
        return p;
    });
    const ByteBuffer walk = animation("walk", 10, [](float phase) {
        Pose p;
        p.stride = 28.0f * std::sin(phase);
        p.bob = 1.2f * std::abs(std::cos(phase));
        p.capeBack = 1.0f + 0.3f * std::sin(2.0f * phase);
        p.capePhase = 2.0f * phase;
        p.capeRipple = 1.5f;
        return p;
    });
    const std::string def = fixtures::SinDefText({
        "// Marovin's own sample SiN model: a little figure in a cape.",
        "// Written by tools/make_sin_sample; the files live under models/sin.",
        "path models/sin",
        "scale 1",
        "figure.sbm",
        "green figure.tga",
        "red figure_red.tga",
        "idle idle.sam",
        "walk walk.sam",
        "id 1 body",
        "id 2 cape twosided",
    });
    const std::vector<std::pair<std::string, ByteBuffer>> files = {
        {"figure.def", ByteBuffer(def.begin(), def.end())},
        {"figure.sbm", fixtures::WriteSbm(model)},
        {"idle.sam", idle},
        {"walk.sam", walk},
        {"figure.tga", DrawSkin({{40, 140, 60}, {170, 30, 30}, {230, 186, 50}})},
        {"figure_red.tga", DrawSkin({{170, 36, 36}, {36, 60, 150}, {240, 240, 232}})},
    };
    const std::string out = argv[1];
    bool ok = true;
    fixtures::PakBuilder pak(true);
    for (const auto& [name, bytes] : files) {
        ok = WriteFile(out + "/" + name, bytes) && ok;
        pak.Add("models/sin/" + name, bytes);
    }
    ok = WriteFile(out + "/figure.sin", pak.Build()) && ok;
    if (argc == 3) {
        const std::string corpus = argv[2];
        ok = WriteFile(corpus + "/fuzz_sin_def/figure.seed", files[0].second) && ok;
        ok = WriteFile(corpus + "/fuzz_sbm/figure.seed", files[1].second) && ok;
        ok = WriteFile(corpus + "/fuzz_sam/idle.seed", idle) && ok;
        ok = WriteFile(corpus + "/fuzz_sam/walk.seed", walk) && ok;
    }
    return ok ? 0 : 1;
}
