// The editing history: each kind of change undone and redone, and the redo branch.
#include <gtest/gtest.h>

#include <memory>

#include "media/COGLTexture2D.h"
#include "scene/COGLDoc.h"
#include "scene/COGLLight.h"
#include "scene/COGLScene.h"
#include "scene/COGLText.h"
#include "scene/EditHistory.h"
#include "scene/Primitives.h"
#include "scene/SceneViewLink.h"
#include "support/TestSupport.h"

namespace {

// Counts its own destruction, so a test can tell "moved into the history" from "destroyed".
template <typename Base>
class Counted : public Base {
public:
    explicit Counted(int& destroyed) : destroyed_(destroyed) {}
    ~Counted() override { ++destroyed_; }

private:
    int& destroyed_;
};
using CountedBox = Counted<COGLBox>;
using CountedTexture = Counted<COGLTexture2D>;

class TexturedBox : public COGLBox {
public:
    void Hold(COGLTexture2D* texture) { m_texture = texture; }
};

// Wears any texture, uploaded or not, so a test without GL sees what Apply gives it.
class AnyTextureBox : public COGLBox {
public:
    void SetTexture(COGLTexture2D* texture) override { m_texture = texture; }
};

class History : public HostFixture {
protected:
    COGLObject* AddBox(const Vector3& at = {}) {
        COGLObject* box = scene_.AddObject(std::make_unique<COGLBox>());
        box->SetPosition(at.x, at.y, at.z);
        history_.Added(scene_, box, "Add Object");
        return box;
    }

    int destroyed_ = 0;  // outlives the scene, which may destroy counted things last
    COGLScene scene_;
    EditHistory history_;
};

}  // namespace

TEST_F(History, ADragIsOneStepAndUndoRedoSwapItsStates) {
    COGLObject* box = AddBox();
    history_.Watch(scene_, box);
    for (int i = 0; i < 20; ++i) {  // many small moves of one drag
        box->MoveBy(0.1f, 0.0f, 0.0f);
    }
    box->SetScale(2.0f, 2.0f, 2.0f);
    history_.Changed(scene_, box, "Move");
    EXPECT_EQ(history_.UndoCount(), 2u);
    EXPECT_EQ(history_.UndoName(), "Move");

    ASSERT_TRUE(history_.Undo(scene_));
    EXPECT_EQ(box->Position(), Vector3{});
    EXPECT_EQ(box->Scale(), (Vector3{1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(history_.RedoName(), "Move");
    EXPECT_EQ(history_.UndoName(), "Add Object");

    ASSERT_TRUE(history_.Redo(scene_));
    EXPECT_NEAR(box->Position().x, 2.0f, 1e-5f);
    EXPECT_EQ(box->Scale(), (Vector3{2.0f, 2.0f, 2.0f}));
    EXPECT_FALSE(history_.CanRedo());

    // Nothing changed, nothing recorded; another object than the watched one neither.
    history_.Watch(scene_, box);
    history_.Changed(scene_, box, "Move");
    history_.Changed(scene_, AddBox(), "Move");
    EXPECT_EQ(history_.UndoName(), "Add Object");
}

TEST_F(History, AContinuingEditGrowsItsStepInsteadOfAddingOne) {
    COGLObject* box = AddBox();
    history_.Watch(scene_, box);
    for (int i = 1; i <= 5; ++i) {  // a slider dragged through five values
        box->SetShininess(static_cast<float>(i * 10));
        history_.Changed(scene_, box, "Edit Box", i > 1);
    }
    EXPECT_EQ(history_.UndoCount(), 2u);
    box->SetName("Crate");  // another edit of the same name, not continuing
    history_.Changed(scene_, box, "Edit Box");
    EXPECT_EQ(history_.UndoCount(), 3u);
    // Continuing never reaches into a step of another kind.
    history_.Delete(scene_, AddBox(), "Delete");
    box->SetShininess(1.0f);
    history_.Changed(scene_, box, "Edit Box", true);
    EXPECT_EQ(history_.UndoName(), "Edit Box");
    EXPECT_EQ(history_.UndoCount(), 6u);

    ASSERT_TRUE(history_.Undo(scene_));
    ASSERT_TRUE(history_.Undo(scene_));  // the delete
    ASSERT_TRUE(history_.Undo(scene_));  // the other box's add
    ASSERT_TRUE(history_.Undo(scene_));
    EXPECT_EQ(box->Name(), "");
    EXPECT_EQ(box->Shininess(), 50.0f);
    ASSERT_TRUE(history_.Undo(scene_));
    EXPECT_EQ(box->Shininess(), 0.0f);  // the whole drag at once
}

TEST_F(History, MaterialTextureNameAndVisibilityComeBack) {
    COGLObject* box = AddBox();
    history_.Watch(scene_, box);
    box->SetDiffuse(1.0f, 0.0f, 0.0f, 0.5f);
    box->SetName("Crate");
    box->Hide();
    box->SetTextureTranslation({0.5f, 0.25f, 0.0f});
    history_.Changed(scene_, box, "Edit Box");
    ASSERT_TRUE(history_.Undo(scene_));
    EXPECT_EQ(box->Diffuse(), (ColorRGBA{0.8f, 0.8f, 0.8f, 1.0f}));
    EXPECT_EQ(box->Name(), "");
    EXPECT_TRUE(box->IsVisible());
    EXPECT_EQ(box->TextureTranslation(), Vector3{});
    ASSERT_TRUE(history_.Redo(scene_));
    EXPECT_EQ(box->Name(), "Crate");
    EXPECT_FALSE(box->IsVisible());
}

TEST_F(History, AddAndDeleteMoveTheSameObjectBetweenSceneAndHistory) {
    int& destroyed = destroyed_;
    COGLObject* first = AddBox({1.0f, 0.0f, 0.0f});
    COGLObject* counted = scene_.AddObject(std::make_unique<CountedBox>(destroyed));
    history_.Added(scene_, counted, "Add Object");
    AddBox({3.0f, 0.0f, 0.0f});
    scene_.SetSelectedObject(counted);

    ASSERT_TRUE(history_.Delete(scene_, counted, "Delete"));
    EXPECT_EQ(scene_.Objects().size(), 2u);
    EXPECT_EQ(scene_.Selected(), nullptr);
    EXPECT_EQ(destroyed, 0);  // held, not destroyed

    ASSERT_TRUE(history_.Undo(scene_));
    ASSERT_EQ(scene_.Objects().size(), 3u);
    EXPECT_EQ(scene_.ObjectAt(1), counted);  // back in its place
    EXPECT_EQ(scene_.ObjectAt(0), first);

    // Undoing its adding takes it out again; a new change drops the redo branch,
    // and with it the object for good.
    ASSERT_TRUE(history_.Undo(scene_));  // the third box's add
    ASSERT_TRUE(history_.Undo(scene_));  // the counted box's add
    EXPECT_EQ(scene_.Objects().size(), 1u);
    EXPECT_EQ(history_.RedoCount(), 3u);
    AddBox();
    EXPECT_FALSE(history_.CanRedo());
    EXPECT_EQ(destroyed, 1);
}

TEST_F(History, ALightIsDeletedAndRestoredWithItsValues) {
    COGLLight* light = scene_.AddLight(std::make_unique<COGLSpotLight>(1.0f, 2.0f, 3.0f));
    history_.Added(scene_, light, "Add Spot Light");
    const std::string name = light->Name();
    history_.Watch(scene_, &light->Marker());
    light->SetName("Key");
    light->Marker().SetPosition(0.0f, 4.0f, 0.0f);
    history_.Changed(scene_, &light->Marker(), "Edit Light");
    ASSERT_TRUE(history_.Delete(scene_, &light->Marker(), "Delete"));
    EXPECT_TRUE(scene_.Lights().empty());
    ASSERT_TRUE(history_.Undo(scene_));
    ASSERT_EQ(scene_.Lights().size(), 1u);
    EXPECT_EQ(scene_.LightAt(0), light);
    ASSERT_TRUE(history_.Undo(scene_));
    EXPECT_EQ(light->Name(), name);
    EXPECT_EQ(light->Marker().Position(), (Vector3{1.0f, 2.0f, 3.0f}));
    ASSERT_TRUE(history_.Undo(scene_));
    EXPECT_TRUE(scene_.Lights().empty());
    EXPECT_TRUE(history_.Redo(scene_));
    EXPECT_TRUE(history_.Redo(scene_));
    EXPECT_EQ(light->Name(), "Key");
}

TEST_F(History, AClearIsUndoneWholeAndSceneValuesComeBack) {
    COGLObject* box = AddBox();
    COGLObject* other = AddBox({2.0f, 0.0f, 0.0f});
    scene_.AddLight(std::make_unique<COGLPointLight>(0.0f, 0.0f, 0.0f));
    scene_.AddShadowPlane(box);
    scene_.SetSelectedObject(other);
    history_.Clear(scene_, "Clear");
    EXPECT_TRUE(scene_.Objects().empty());
    EXPECT_TRUE(scene_.Lights().empty());
    EXPECT_EQ(scene_.Selected(), nullptr);
    EXPECT_FALSE(scene_.IsShadowPlane(box));
    ASSERT_TRUE(history_.Undo(scene_));
    ASSERT_EQ(scene_.Objects().size(), 2u);
    EXPECT_EQ(scene_.ObjectAt(0), box);
    EXPECT_EQ(scene_.Lights().size(), 1u);
    EXPECT_EQ(scene_.Selected(), other);
    EXPECT_TRUE(scene_.IsShadowPlane(box));
    ASSERT_TRUE(history_.Redo(scene_));
    EXPECT_TRUE(scene_.Objects().empty());

}

TEST_F(History, SceneValuesAndShadowTablesComeBack) {
    COGLObject* floor = AddBox();
    COGLLight* light = scene_.AddLight(std::make_unique<COGLPointLight>(0.0f, 5.0f, 0.0f));
    history_.WatchScene(scene_);
    scene_.SetBackgroundColor(0.0f, 0.0f, 1.0f);
    scene_.SetAmbient({0.5f, 0.5f, 0.5f, 1.0f});
    scene_.Renderer().fogEnabled = 1;
    scene_.AddShadowPlane(floor);
    scene_.AddShadowLight(light);
    scene_.EnableShadows(true);
    history_.SceneChanged(scene_, "Edit Scene");
    history_.SceneChanged(scene_, "Edit Scene");  // nothing new: no second step
    EXPECT_EQ(history_.UndoCount(), 2u);

    ASSERT_TRUE(history_.Undo(scene_));
    EXPECT_EQ(scene_.BackgroundColor()[2], 0.0f);
    EXPECT_EQ(scene_.Ambient(), (ColorRGBA{0.2f, 0.2f, 0.2f, 1.0f}));
    EXPECT_EQ(scene_.Renderer().fogEnabled, 0);
    EXPECT_FALSE(scene_.ShadowsEnabled());
    EXPECT_FALSE(scene_.IsShadowPlane(floor));
    ASSERT_TRUE(history_.Redo(scene_));
    EXPECT_EQ(scene_.BackgroundColor()[2], 1.0f);
    EXPECT_TRUE(scene_.ShadowsEnabled());

    // A deleted plane returns to its place in the table, and shadows come on again.
    ASSERT_TRUE(history_.Delete(scene_, floor, "Delete"));
    EXPECT_FALSE(scene_.ShadowsEnabled());
    history_.SceneChanged(scene_, "Edit Scene");  // the delete's own change is not an edit
    EXPECT_EQ(history_.UndoName(), "Delete");
    ASSERT_TRUE(history_.Undo(scene_));
    EXPECT_TRUE(scene_.IsShadowPlane(floor));
    EXPECT_TRUE(scene_.ShadowsEnabled());
}

TEST_F(History, ADeletedTextureWaitsForTheObjectsThatUsedIt) {
    int& destroyed = destroyed_;
    COGLTexture2D* wood = scene_.AddTexture(std::make_unique<CountedTexture>(destroyed));
    auto textured = std::make_unique<TexturedBox>();
    textured->Hold(wood);  // as a bound texture would be assigned
    COGLObject* box = scene_.AddObject(std::move(textured));
    EXPECT_FALSE(history_.DeleteTexture(scene_, wood, "Delete Texture"));  // in use

    ASSERT_TRUE(history_.Delete(scene_, box, "Delete"));
    ASSERT_TRUE(history_.DeleteTexture(scene_, wood, "Delete Texture"));
    EXPECT_TRUE(scene_.Textures().empty());
    EXPECT_EQ(destroyed, 0);
    ASSERT_TRUE(history_.Undo(scene_));
    ASSERT_TRUE(history_.Undo(scene_));
    EXPECT_EQ(scene_.TextureAt(0), wood);
    EXPECT_EQ(box->Texture(), wood);
    history_.Reset();
    EXPECT_EQ(destroyed, 0);  // back in the scene, which owns it again
}

TEST_F(History, ATextureAddedForAnObjectGoesBackWithItInOneStep) {
    int& destroyed = destroyed_;
    COGLObject* box = scene_.AddObject(std::make_unique<AnyTextureBox>());
    history_.Added(scene_, box, "Add Object");
    history_.Watch(scene_, box);
    COGLTexture2D* wood = scene_.AddTexture(std::make_unique<CountedTexture>(destroyed));
    box->SetTexture(wood);
    history_.ChangedWithTexture(scene_, box, wood, "Texture Box");
    EXPECT_EQ(history_.UndoCount(), 2u);
    EXPECT_EQ(history_.UndoName(), "Texture Box");

    ASSERT_TRUE(history_.Undo(scene_));
    EXPECT_EQ(box->Texture(), nullptr);
    EXPECT_TRUE(scene_.Textures().empty());
    EXPECT_EQ(destroyed, 0);  // waits in the step
    ASSERT_TRUE(history_.Redo(scene_));
    EXPECT_EQ(box->Texture(), wood);
    EXPECT_EQ(scene_.TextureAt(0), wood);

    // A texture the scene had already: only the object's state is the step.
    history_.Watch(scene_, box);
    box->SetTexture(nullptr);
    history_.ChangedWithTexture(scene_, box, nullptr, "Texture Box");
    EXPECT_EQ(history_.UndoCount(), 3u);
    ASSERT_TRUE(history_.Undo(scene_));
    EXPECT_EQ(box->Texture(), wood);
    EXPECT_EQ(scene_.Textures().size(), 1u);
    // Nothing changed, nothing added: no step.
    history_.Watch(scene_, box);
    history_.ChangedWithTexture(scene_, box, nullptr, "Texture Box");
    EXPECT_EQ(history_.UndoCount(), 2u);
}

TEST_F(History, AReplacedBackgroundPictureComesBack) {
    int& destroyed = destroyed_;
    COGLScene::BackgroundPicture picture;
    picture.texture = std::make_unique<CountedTexture>(destroyed);
    picture.valid = 1;
    COGLTexture2D* sky = picture.texture.get();
    scene_.SwapBackground(picture);
    history_.TakeBackground(scene_, "Clear Background");
    EXPECT_EQ(scene_.Background(), nullptr);
    EXPECT_FALSE(scene_.BackgroundValid());
    ASSERT_TRUE(history_.Undo(scene_));
    EXPECT_EQ(scene_.Background(), sky);
    EXPECT_TRUE(scene_.BackgroundValid());

    // A clear holds it too.
    history_.Clear(scene_, "Clear");
    EXPECT_EQ(scene_.Background(), nullptr);
    ASSERT_TRUE(history_.Undo(scene_));
    EXPECT_EQ(scene_.Background(), sky);
    ASSERT_TRUE(history_.Redo(scene_));
    EXPECT_EQ(destroyed, 0);
    history_.Reset();
    EXPECT_EQ(destroyed, 1);
}

TEST_F(History, TextEditsComeBack) {
    auto* text = static_cast<COGLText*>(scene_.AddObject(std::make_unique<COGLText>()));
    history_.Watch(scene_, text);
    text->SetText("Frag");
    text->SetBold(true);
    text->SetExtrusion(0.5f);
    history_.Changed(scene_, text, "Edit Text");
    ASSERT_TRUE(history_.Undo(scene_));
    EXPECT_EQ(text->Text(), "Text");
    EXPECT_FALSE(text->Bold());
    EXPECT_EQ(text->Extrusion(), 0.2f);
    ASSERT_TRUE(history_.Redo(scene_));
    EXPECT_EQ(text->Text(), "Frag");
    EXPECT_TRUE(text->Bold());
}

TEST_F(History, TheDocumentEmptiesItOnOpenAndKeepsItOnSave) {
    TempDir dir;
    DefaultViewLink view;
    COGLDoc doc(&scene_, &view);
    COGLObject* box = scene_.AddObject(std::make_unique<COGLBox>());
    doc.History().Added(scene_, box, "Add Object");
    const std::string path = dir.File("kept.dv");
    ASSERT_TRUE(doc.Save(path));
    EXPECT_TRUE(doc.History().CanUndo());
    ASSERT_TRUE(doc.Undo());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(scene_.Objects().empty());
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(scene_.Objects().size(), 1u);
    EXPECT_TRUE(doc.OpenFile(path).succeeded);
    EXPECT_FALSE(doc.History().CanUndo());
    EXPECT_FALSE(doc.History().CanRedo());
    EXPECT_FALSE(doc.Undo());
}
