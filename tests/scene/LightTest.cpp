#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <memory>
#include <vector>

#include "platform/Messages.h"
#include "scene/COGLLight.h"
#include "scene/Primitives.h"
#include "support/TestSupport.h"

namespace {
class Lights : public HostFixture {
protected:
    void TearDown() override {
        EXPECT_EQ(COGLLight::LightsInUse(), 0);
        HostFixture::TearDown();
    }
};
}  // namespace

TEST_F(Lights, EightGLLightsAreSharedAndFreedAgain) {
    std::vector<std::unique_ptr<COGLLight>> lights;
    for (int i = 0; i < 8; ++i) {
        lights.push_back(std::make_unique<COGLPointLight>(0.0f, 0.0f, 0.0f));
        EXPECT_EQ(lights.back()->Slot(), i);
        EXPECT_EQ(lights.back()->GLLight(), static_cast<unsigned>(GL_LIGHT0 + i));
    }
    EXPECT_TRUE(host_.messages.empty());
    auto ninth = std::make_unique<COGLSpotLight>(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(ninth->Slot(), -1);
    EXPECT_FALSE(ninth->HasGLLight());
    EXPECT_TRUE(host_.HasMessage(msg::kNoMoreLights.text));
    ninth.reset();  // touches neither the table nor GL
    EXPECT_EQ(COGLLight::LightsInUse(), 8);

    lights[3].reset();
    auto next = std::make_unique<COGLPointLight>(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(next->Slot(), 3);
    // A copy takes the next free GL light, not its source's.
    lights[5].reset();
    auto copy = std::make_unique<COGLPointLight>(0.0f, 0.0f, 0.0f);
    copy->CopyFrom(*next);
    EXPECT_EQ(copy->Slot(), 5);
    EXPECT_EQ(copy->Name(), "Copy of Point");
}

TEST_F(Lights, MarkersAreSmallPickableObjectsCarryingThePosition) {
    COGLPointLight point(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(point.Name(), "Point");
    EXPECT_EQ(point.Position(), Vector3(1, 2, 3));
    const COGLObject& sphere = point.Marker();
    EXPECT_NE(dynamic_cast<const COGLSphere*>(&sphere), nullptr);
    EXPECT_EQ(sphere.ObjectMode(), 2);
    EXPECT_TRUE(sphere.IsLightMarker());
    EXPECT_EQ(sphere.Scale(), Vector3(0.15f, 0.15f, 0.15f));
    EXPECT_EQ(sphere.Emission(), ColorRGBA(0.2f, 0.2f, 0.2f, 1.0f));
    EXPECT_EQ(point.Diffuse(), ColorRGBA(1, 1, 1, 1));
    EXPECT_EQ(point.Ambient(), ColorRGBA(0, 0, 0, 1));
    EXPECT_TRUE(point.IsEnabled());

    COGLSpotLight spot(0.0f, 5.0f, 0.0f);
    EXPECT_EQ(spot.Name(), "Spot Light");
    EXPECT_NE(dynamic_cast<const COGLCone*>(&spot.Marker()), nullptr);
    EXPECT_EQ(spot.Marker().Scale(), Vector3(0.4f, 0.4f, 0.2f));
    EXPECT_FLOAT_EQ(spot.CutOff(), 30.0f);
    EXPECT_FLOAT_EQ(spot.ConstantAttenuation(), 1.0f);
    // Turned half around, the cone shines the way GL spot lights do by default.
    EXPECT_NEAR(spot.Direction().x, 0.0f, 1e-6f);
    EXPECT_NEAR(spot.Direction().y, 0.0f, 1e-6f);
    EXPECT_NEAR(spot.Direction().z, -1.0f, 1e-6f);
}

TEST_F(Lights, SpotCopyTakesOrientationAndBeamButNotTheGLLight) {
    COGLSpotLight source(1.0f, 1.0f, 1.0f);
    source.SetName("Beam");
    source.Marker().RotateX(90.0f);
    source.ComputeDirection();
    source.SetCutOff(12.0f);
    source.SetExponent(3.0f);
    source.SetLinearAttenuation(0.25f);
    source.SetEnabled(false);
    source.SetW(0.0f);
    COGLSpotLight copy(0.0f, 0.0f, 0.0f);
    copy.CopyFrom(source);
    EXPECT_EQ(copy.Name(), "Copy of Beam");
    EXPECT_EQ(copy.Position(), Vector3(1, 1, 1));
    EXPECT_EQ(copy.Marker().Orientation(), source.Marker().Orientation());
    EXPECT_NEAR(copy.Direction().y, source.Direction().y, 1e-6f);
    EXPECT_FLOAT_EQ(copy.CutOff(), 12.0f);
    EXPECT_FLOAT_EQ(copy.Exponent(), 3.0f);
    EXPECT_FLOAT_EQ(copy.LinearAttenuation(), 0.25f);
    EXPECT_FALSE(copy.IsEnabled());
    EXPECT_EQ(copy.W(), 0.0f);
    EXPECT_NE(copy.Slot(), source.Slot());
}

TEST_F(Lights, RecordsRoundTripAndDirectionFollowsTheStoredOrientation) {
    COGLSpotLight source(1.0f, -2.0f, 3.0f);
    source.Marker().Rotate({0.0f, 1.0f, 0.0f}, 90.0f);
    source.Marker().Hide();
    source.SetSpecular({0.5f, 0.5f, 0.5f, 1.0f});
    BinaryWriter out;
    source.Save(out);
    ASSERT_EQ(out.Size(), COGLLight::kRecordSize + COGLSpotLight::kSpotRecordSize);

    COGLSpotLight loaded(0.0f, 1.0f, 3.0f);
    BinaryReader in(out.Bytes());
    loaded.Load(in, 6);
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(loaded.Position(), Vector3(1, -2, 3));
    EXPECT_FALSE(loaded.Marker().IsVisible());
    EXPECT_EQ(loaded.Specular(), ColorRGBA(0.5f, 0.5f, 0.5f, 1.0f));
    // 180 about y at construction, then 90 more: (0, 0, 1) ends up along -x.
    EXPECT_NEAR(loaded.Direction().x, -1.0f, 1e-5f);
    EXPECT_NEAR(loaded.Direction().z, 0.0f, 1e-5f);
    BinaryWriter again;
    loaded.Save(again);
    EXPECT_EQ(again.Bytes(), out.Bytes());
}
