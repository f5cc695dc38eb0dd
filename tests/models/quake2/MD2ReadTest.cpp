#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "models/quake2/COGLMD2.h"
#include "models/ModelFixtures.h"
#include "models/QuakeNormals.h"
#include "platform/Messages.h"

using namespace model_fixtures;
using fixtures::md2_field::kCommandCount;
using fixtures::md2_field::kCommandsOffset;
using fixtures::md2_field::kFrameCount;
using fixtures::md2_field::kFrameSize;
using fixtures::md2_field::kFramesOffset;
using fixtures::md2_field::kSkinCount;
using fixtures::md2_field::kVertexCount;

namespace {

class MD2Read : public HostFixture {
protected:
    // Reads bytes as a model file would be read; the model has no scene.
    bool Read(COGLMD2& model, const ByteBuffer& bytes, bool rebuildNormals = false) {
        BinaryReader in(bytes);
        return model.ReadMD2(in, 0, rebuildNormals);
    }

    struct Expected {
        std::string name;
        int first;
        int count;
    };
    static void ExpectAnimations(const COGLMD2& model, const std::vector<Expected>& expected) {
        ASSERT_EQ(model.Animations().size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(model.Animations()[i]->name, expected[i].name) << i;
            EXPECT_EQ(model.Animations()[i]->firstFrame, expected[i].first) << i;
            EXPECT_EQ(model.Animations()[i]->frameCount, expected[i].count) << i;
        }
    }

    // The small model every broken variant starts from.
    static ByteBuffer Small() { return AnimatedBox({{"stand", 2}, {"run", 1}}, {"skin.pcx"}); }
};

}  // namespace

// --- Animations from frame names ---

TEST_F(MD2Read, FramesGroupIntoAnimationsByTheirNamesWithoutTrailingDigits) {
    std::vector<std::string> names = fixtures::NumberedFrames({{"stand", 40}});
    for (int i = 1; i <= 6; ++i) {
        names.push_back("run" + std::to_string(i));
    }
    COGLMD2 model;
    ASSERT_TRUE(Read(model, Box(names)));
    ExpectAnimations(model, {{"stand", 0, 40}, {"run", 40, 6}, {"<all>", 0, 46}});
    EXPECT_EQ(model.GetAnimation(), model.Animations().back().get());
    EXPECT_EQ(model.GetFrameCount(), 46);
    EXPECT_TRUE(model.IsReady());
}

TEST_F(MD2Read, OneNameGivesOneAnimationAndNoAll) {
    COGLMD2 model;
    ASSERT_TRUE(Read(model, Box({"pose", "pose", "pose"})));
    ExpectAnimations(model, {{"pose", 0, 3}});
    EXPECT_EQ(model.GetAnimation(), model.Animations().front().get());
}

TEST_F(MD2Read, NamesCompareExactlyAndKeepTheirFirstCharacter) {
    COGLMD2 model;
    // Digits only keep the first one; case makes names differ; a 16-character
    // name without a terminator is taken whole.
    ASSERT_TRUE(Read(model, Box({"123", "145", "Run1", "run2", "abcdefghijklmnop"})));
    ExpectAnimations(model, {{"1", 0, 2}, {"Run", 2, 1}, {"run", 3, 1}, {"abcdefghijklmnop", 4, 1}, {"<all>", 0, 5}});
}

TEST_F(MD2Read, TheVerticalOffsetIsTheFirstFramesTranslateZ) {
    fixtures::Md2Model m = fixtures::MakeBoxModel({"a1", "a2"}, {10.0f, 20.0f}, 16.0f, -24.0f);
    m.frames[1].translate[2] = 5.0f;
    COGLMD2 model;
    ASSERT_TRUE(Read(model, fixtures::WriteMd2(m)));
    EXPECT_FLOAT_EQ(model.VerticalOffset(), -24.0f);
    EXPECT_EQ(model.VertexCount(), 8);
    EXPECT_EQ(model.TriangleCount(), 12);
}

// --- Object names from paths ---

TEST_F(MD2Read, TheObjectIsNamedAfterTheFolderHoldingTheModel) {
    EXPECT_EQ(COGLMD2::NameFromPath("models/monsters/tank/tris.md2", "md2"), "tank");
    EXPECT_EQ(COGLMD2::NameFromPath("models/monsters/soldier/medium/tris.md2", "md2"), "soldier");
    EXPECT_EQ(COGLMD2::NameFromPath("C:\\quake2\\baseq2\\players\\female\\tris.md2", "md2"), "female");
    EXPECT_EQ(COGLMD2::NameFromPath("tank/tris.md2", "md2"), "md2");
    EXPECT_EQ(COGLMD2::NameFromPath("tris.md2", "md2"), "md2");
    EXPECT_EQ(COGLMD2::NameFromPath("medium/tris.md2", "md2"), "md2");
}

TEST_F(MD2Read, ADeepPathIsNamedAfterItsOwnFolderNotOneCutFromItsStart) {
    const std::string deep = "/home/someone/games/quake2/baseq2/unpacked/models/monsters/gladiator/tris.md2";
    ASSERT_GT(deep.size(), 56u);
    EXPECT_EQ(COGLMD2::NameFromPath(deep, "md2"), "gladiator");
    EXPECT_EQ(COGLMD2::NameFromPath("/home/someone/games/quake2/baseq2/unpacked/models/monsters/soldier/medium/tris.md2",
                                    "md2"),
              "soldier");
}

// --- The normal table ---

TEST_F(MD2Read, TheNormalTableIsTheIcosahedronDividedInQuarters) {
    EXPECT_EQ(kQuakeNormals.front(), Vector3(-0.525731f, 0.0f, 0.850651f));
    EXPECT_EQ(kQuakeNormals.back(), Vector3(-0.688191f, -0.587785f, -0.425325f));

    // Build the sphere: each face of an icosahedron divided into quarters along its
    // edges (16 small triangles), every point pushed out onto the unit sphere.
    const float a = 0.525731112f, b = 0.850650808f;
    const std::vector<Vector3> corners = {{-a, 0, b}, {a, 0, b},  {-a, 0, -b}, {a, 0, -b}, {0, b, a},  {0, b, -a},
                                          {0, -b, a}, {0, -b, -a}, {b, a, 0},  {-b, a, 0}, {b, -a, 0}, {-b, -a, 0}};
    const auto edge = [&](std::size_t i, std::size_t j) {
        return std::fabs((corners[i] - corners[j]).Length() - 2 * a) < 1e-4f;
    };
    std::vector<Vector3> points;
    int faces = 0;
    for (std::size_t i = 0; i < 12; ++i) {
        for (std::size_t j = i + 1; j < 12; ++j) {
            for (std::size_t k = j + 1; k < 12; ++k) {
                if (!edge(i, j) || !edge(j, k) || !edge(i, k)) {
                    continue;
                }
                ++faces;
                for (int u = 0; u <= 4; ++u) {
                    for (int v = 0; u + v <= 4; ++v) {
                        Vector3 p = (corners[i] * static_cast<float>(u) + corners[j] * static_cast<float>(v) +
                                     corners[k] * static_cast<float>(4 - u - v)) *
                                    0.25f;
                        p.Normalize();
                        if (std::none_of(points.begin(), points.end(),
                                         [&](const Vector3& q) { return (q - p).Length() < 1e-5f; })) {
                            points.push_back(p);
                        }
                    }
                }
            }
        }
    }
    ASSERT_EQ(faces, 20);
    ASSERT_EQ(points.size(), 162u);
    std::set<std::size_t> matched;
    for (const Vector3& n : kQuakeNormals) {
        EXPECT_NEAR(n.Length(), 1.0f, 2e-6f);
        for (std::size_t k = 0; k < points.size(); ++k) {
            if ((points[k] - n).Length() < 2e-5f) {
                matched.insert(k);
            }
        }
    }
    EXPECT_EQ(matched.size(), 162u) << "every table entry is a distinct vertex of the sphere";
}

// --- Normal recomputation ---

TEST_F(MD2Read, RebuiltNormalsPointOutOfTheModel) {
    COGLMD2 box;
    ASSERT_TRUE(Read(box, AnimatedBox({{"a", 2}}), true));
    for (int v = 0; v < 8; ++v) {
        const Vector3 corner{(v & 1) != 0 ? 1.0f : -1.0f, (v & 2) != 0 ? 1.0f : -1.0f, (v & 4) != 0 ? 1.0f : -1.0f};
        const int n = box.NormalIndex(1, v);
        ASSERT_GE(n, 0);
        ASSERT_LT(n, kQuakeNormalCount);
        EXPECT_GT(kQuakeNormals[static_cast<std::size_t>(n)].Dot(corner), 0.8f) << "corner " << v;
    }
}

TEST_F(MD2Read, LongStripsAndManyVerticesNeedNoFixedBuffers) {
    // 100 quads around: strips of 202 vertices; 101 x 25 vertices.
    const fixtures::Md2Model tube = fixtures::MakeTubeModel(100, 24, {"bend1", "bend2", "bend3"});
    ASSERT_GT(tube.VertexCount(), 2048);
    COGLMD2 model;
    ASSERT_TRUE(Read(model, fixtures::WriteMd2(tube), true));
    for (int v = 0; v < model.VertexCount(); v += 97) {
        const fixtures::Md2Vertex& stored = tube.frames[2].vertices[static_cast<std::size_t>(v)];
        const Vector3 radial{static_cast<float>(stored.x) - 127.5f, static_cast<float>(stored.y) - 127.5f, 0.0f};
        const int n = model.NormalIndex(2, v);
        ASSERT_LT(n, kQuakeNormalCount) << "vertex " << v;
        EXPECT_GT(kQuakeNormals[static_cast<std::size_t>(n)].Dot(radial), 0.0f) << "vertex " << v;
    }
    model.RefreshBounds();
    EXPECT_NEAR(model.BoundsMax().x, 16.0f, 0.5f);   // the radius, across model y
    EXPECT_NEAR(model.BoundsMin().y, -48.0f, 0.5f);  // the height, upwards as -y
}

TEST_F(MD2Read, ALoadedModelHoldsAtMostTwiceItsFileSize) {
    for (const ByteBuffer& bytes :
         {fixtures::WriteMd2(fixtures::MakeTubeModel(30, 10, fixtures::NumberedFrames({{"run", 60}, {"jump", 60}}))),
          AnimatedBox(BodyRuns())}) {
        COGLMD2 model;
        ASSERT_TRUE(Read(model, bytes));
        EXPECT_LE(model.DataBytes(), 2 * bytes.size());
    }
}

// --- Files that are not sound ---

TEST_F(MD2Read, AWrongIdentOrVersionIsRefused) {
    for (const auto& [offset, value] : std::vector<std::pair<std::size_t, std::int32_t>>{{0, 0x32504448}, {4, 7}}) {
        ByteBuffer bytes = Small();
        fixtures::PatchI32(bytes, offset, value);
        COGLMD2 model;
        EXPECT_FALSE(Read(model, bytes));
        EXPECT_TRUE(host_.HasMessage(msg::kNotValidMd2.text));
        EXPECT_FALSE(model.IsReady());
        host_.Clear();
    }
}

TEST_F(MD2Read, EveryTruncationIsRefusedAndLeavesNoModelData) {
    const ByteBuffer whole = Small();
    for (std::size_t length = 0; length < whole.size(); ++length) {
        const ByteBuffer part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        COGLMD2 model;
        ASSERT_FALSE(Read(model, part)) << "length " << length;
        EXPECT_FALSE(model.IsReady());
        EXPECT_EQ(model.GetFrameCount(), 0);
        EXPECT_TRUE(model.Animations().empty());
    }
    EXPECT_EQ(host_.messages.size(), whole.size());
}

TEST_F(MD2Read, CountsOffsetsAndIndicesOutsideTheFileAreRefused) {
    const ByteBuffer good = Small();
    const std::int32_t commands = fixtures::ReadI32At(good, kCommandsOffset);
    const std::int32_t frames = fixtures::ReadI32At(good, kFramesOffset);
    const std::int32_t frameSize = fixtures::ReadI32At(good, kFrameSize);
    struct Break {
        const char* what;
        std::size_t offset;
        std::int32_t value;
    };
    const std::vector<Break> breaks = {
        {"negative skin count", kSkinCount, -1},
        {"skin names past the end", kSkinCount, 1000000},
        {"no frames", kFrameCount, 0},
        {"more frames than bytes", kFrameCount, 0x7fffffff},
        {"frames offset past the end", kFramesOffset, 0x7ffffff0},
        {"negative frames offset", kFramesOffset, -40},
        {"frame smaller than its vertices", kFrameSize, 40 + 4 * 8 - 1},
        {"more vertices than a frame holds", kVertexCount, 9},
        {"negative vertex count", kVertexCount, -1},
        {"GL command list past the end", kCommandCount, 0x40000000},
        {"negative GL command count", kCommandCount, -5},
        {"frames and GL commands overlap", kCommandsOffset, frames + frameSize},
        {"first command longer than the list", static_cast<std::size_t>(commands), -0x7fffffff},
        {"strip longer than the list", static_cast<std::size_t>(commands), 1000},
        {"vertex index past the vertices", static_cast<std::size_t>(commands) + 12, 8},
        {"negative vertex index", static_cast<std::size_t>(commands) + 12, -1},
    };
    for (const Break& b : breaks) {
        ByteBuffer bytes = good;
        fixtures::PatchI32(bytes, b.offset, b.value);
        COGLMD2 model;
        EXPECT_FALSE(Read(model, bytes)) << b.what;
        EXPECT_FALSE(model.IsReady()) << b.what;
        EXPECT_EQ(host_.messages.size(), 1u) << b.what;
        if (!host_.messages.empty()) {
            EXPECT_EQ(host_.messages.front().text, msg::kNotValidMd2.text) << b.what;
        }
        host_.Clear();
    }

    // No vertices and so no GL commands either: consistent, but nothing to draw or bound.
    ByteBuffer empty = good;
    fixtures::PatchI32(empty, kVertexCount, 0);
    fixtures::PatchI32(empty, kCommandCount, 0);
    COGLMD2 model;
    EXPECT_FALSE(Read(model, empty));
    EXPECT_TRUE(host_.HasMessage(msg::kNotValidMd2.text));
}

TEST_F(MD2Read, ASkinNameWithoutTerminatorIsRefused) {
    ByteBuffer bytes = Small();
    std::fill(bytes.begin() + 68, bytes.begin() + 68 + 64, static_cast<std::uint8_t>('x'));
    COGLMD2 model;
    EXPECT_FALSE(Read(model, bytes));
    EXPECT_TRUE(host_.HasMessage(msg::kNotValidMd2.text));
}

TEST_F(MD2Read, AFailedReadOfALoadedModelLeavesNothingOfTheOldOne) {
    COGLMD2 model;
    ASSERT_TRUE(Read(model, Small()));
    ByteBuffer broken = Small();
    fixtures::PatchI32(broken, 4, 9);
    EXPECT_FALSE(Read(model, broken));
    EXPECT_FALSE(model.IsReady());
    EXPECT_EQ(model.GetAnimation(), nullptr);
    model.AdvanceFrame();
    model.RefreshBounds();
}

TEST_F(MD2Read, AModelStartingPastItsBaseReadsFromThere) {
    ByteBuffer bytes(100, 0xAB);
    const ByteBuffer model = Small();
    bytes.insert(bytes.end(), model.begin(), model.end());
    COGLMD2 md2;
    BinaryReader in(bytes);
    EXPECT_TRUE(md2.ReadMD2(in, 100, false));
    EXPECT_EQ(md2.GetFrameCount(), 3);
    EXPECT_FALSE(md2.ReadMD2(in, bytes.size() + 1, false));
}
