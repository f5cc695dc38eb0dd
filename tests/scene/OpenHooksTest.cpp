// The hooks the model classes fill: opening models stored in paks, and posing a
// model at a frame of an animation.
#include <gtest/gtest.h>

#include <string>

#include "media/CPakFile.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"
#include "scene/Primitives.h"
#include "scene/SceneViewLink.h"
#include "support/MediaWriters.h"
#include "support/TestSupport.h"

namespace {

class OpenHooks : public HostFixture {
protected:
    void TearDown() override {
        COGLDoc::UnregisterPakEntryOpener("md2");
        RegisterObjectPoser(nullptr);
        HostFixture::TearDown();
    }

    std::string WritePak(const std::string& name) {
        fixtures::PakBuilder pak;
        pak.Add("models/monsters/tank/tris.md2", std::string("model bytes"));
        pak.Add("pics/colormap.pcx", std::string("picture"));
        return dir_.Write(name, pak.Build());
    }

    TempDir dir_;
    COGLScene scene_;
    DefaultViewLink view_;
    COGLDoc doc_{&scene_, &view_};
};

bool PoseBoxesOnly(COGLObject& object, const std::string& animation, float frame) {
    if (object.TypeCode() != object_type::kBox || animation != "run") {
        return false;
    }
    object.SetPosition(frame, 0.0f, 0.0f);
    return true;
}

}  // namespace

TEST_F(OpenHooks, PakEntriesGoToTheOpenerOfTheirExtension) {
    EXPECT_EQ(doc_.OpenPakEntry("models/monsters/tank/tris.md2").kind, OpenedKind::Nothing);  // no pak yet
    ASSERT_GE(scene_.AddPak(WritePak("first.pak")), 0);
    ASSERT_GE(scene_.AddPak(WritePak("second.pak")), 0);
    // No opener for the extension: nothing opens.
    EXPECT_EQ(doc_.OpenPakEntry("models/monsters/tank/tris.md2").kind, OpenedKind::Nothing);

    Archive* seenPak = nullptr;
    std::string seenName;
    COGLDoc::RegisterPakEntryOpener("MD2", [&](Archive& pak, const std::string& entry, COGLDoc& doc) {
        seenPak = &pak;
        seenName = entry;
        doc.Scene()->AddObject(std::make_unique<COGLBox>());
        return true;
    });
    const OpenFileResult opened = doc_.OpenPakEntry("Models/Monsters/Tank/TRIS.md2");
    EXPECT_EQ(opened.kind, OpenedKind::Model);
    EXPECT_TRUE(opened.succeeded);
    EXPECT_EQ(seenPak, scene_.PakAt(0));  // the first pak that holds it
    EXPECT_EQ(seenName, "Models/Monsters/Tank/TRIS.md2");
    EXPECT_EQ(scene_.Objects().size(), 1u);

    // A name no pak holds, and an extension no opener takes.
    EXPECT_EQ(doc_.OpenPakEntry("models/missing.md2").kind, OpenedKind::Nothing);
    EXPECT_EQ(doc_.OpenPakEntry("pics/colormap.pcx").kind, OpenedKind::Nothing);

    COGLDoc::RegisterPakEntryOpener("md2", [](Archive&, const std::string&, COGLDoc&) { return false; });
    const OpenFileResult failed = doc_.OpenPakEntry("models/monsters/tank/tris.md2");
    EXPECT_EQ(failed.kind, OpenedKind::Model);
    EXPECT_FALSE(failed.succeeded);
}

TEST_F(OpenHooks, PosingNeedsARegisteredPoserThatKnowsTheObject) {
    COGLBox box;
    COGLSphere sphere;
    EXPECT_FALSE(PoseObject(box, "run", 3.0f));
    RegisterObjectPoser(&PoseBoxesOnly);
    EXPECT_TRUE(PoseObject(box, "run", 3.0f));
    EXPECT_EQ(box.Position().x, 3.0f);
    EXPECT_FALSE(PoseObject(box, "stand", 0.0f));
    EXPECT_FALSE(PoseObject(sphere, "run", 1.0f));
}
