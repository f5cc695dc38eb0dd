#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "math/ColorRGBA.h"
#include "math/Quaternion.h"
#include "math/Vector3.h"
#include "platform/BinaryIO.h"
#include "scene/Geometry.h"

class COGLScene;
class COGLTexture2D;

// What an object read from a game file tells of itself to lists and thumbnails.
struct ObjectFacts {
    struct Animation {
        std::string name;  // as the file spells it
        int frames = 0;
    };
    std::vector<Animation> animations;  // in file order
    int frames = 0;  // frames of every animation together
    int skins = 0;   // skins the file declares
    // The picture it shows first (its first skin, a sprite's first picture); 0 when none.
    int width = 0;
    int height = 0;
};

// Object type codes: stored in every object and before every object record of a
// scene file. 12 to 18 are the model and sprite classes, created through the
// registration hook of ObjectFactory.h.
namespace object_type {
inline constexpr int kPlane = 0;
inline constexpr int kFloor = 1;
inline constexpr int kBox = 2;
inline constexpr int kSphere = 3;
inline constexpr int kRightWall = 4;
inline constexpr int kLeftWall = 5;
inline constexpr int kCeiling = 6;
inline constexpr int kText = 7;
inline constexpr int kRod = 8;
inline constexpr int kCylinder = 9;
inline constexpr int kCone = 10;
inline constexpr int kDisk = 11;
inline constexpr int kMD2 = 12;
inline constexpr int kPlayer = 13;
inline constexpr int kSBM = 14;
inline constexpr int kMDL = 15;
inline constexpr int kBillboard = 16;
inline constexpr int kSprite = 17;
inline constexpr int kHLModel = 18;
}  // namespace object_type

// What DrawOverlays and OverlayLabels show of an object's inner parts (the view's
// toggles; bits of one int). Kinds without such parts show nothing.
namespace object_overlay {
inline constexpr int kBones = 1;
inline constexpr int kAttachments = 2;
inline constexpr int kHitBoxes = 4;
inline constexpr int kBoundingBox = 8;
inline constexpr int kClipBox = 16;
inline constexpr int kEyePosition = 32;
}  // namespace object_overlay

// The base of everything in a scene's objects list and of every light's marker:
// name, placement, material, texture and its transform, visibility, and three
// display lists (main, alternate, pick) built from the subclass's geometry.
//
// Display lists are built lazily, at the first draw: objects are created without a
// GL context by the scene file loader, the command-line tool and the unit tests, and
// only drawing is guaranteed to happen with the view's context current. A change of
// geometry (text, font) drops the lists so the next draw builds them again.
class COGLObject {
public:
    // Draw flags.
    static constexpr int kDrawMaterial = 0x1;      // set material, texture and texture matrix
    static constexpr int kDrawAlternate = 0x20;    // use the alternate (cheaper) list
    static constexpr int kDrawAxisMarks = 0x1000;  // add the three axis marks

    // Bits of the flags word.
    static constexpr std::uint32_t kFlagLightMarker = 0x1u;
    static constexpr std::uint32_t kFlagHidden = 0x80000000u;

    static constexpr int kGLModulate = 8448;  // GL_MODULATE, the default texture environment mode
    static constexpr std::size_t kNameFieldSize = 100;
    // The common record of the scene file, after the type code.
    static constexpr std::size_t kRecordSize = 271;

    explicit COGLObject(int typeCode);
    virtual ~COGLObject();
    COGLObject(const COGLObject&) = delete;
    COGLObject& operator=(const COGLObject&) = delete;

    // --- Virtual operations, in the order of the object table ---
    virtual void Draw(int flags);
    virtual void DrawPickPass();
    virtual void DrawSelectionBox();
    virtual void DrawAxisMarks();
    virtual void StepAnimation() {}
    // The common record; subclasses append their own fields.
    virtual void Save(BinaryWriter& out, int textureIndex) const;
    // Reads what Save wrote and returns the texture index read (-1 for none).
    virtual int Load(BinaryReader& in, int version);
    virtual void CopyFrom(const COGLObject& other);
    virtual void SetAmbient(float r, float g, float b, float a);
    virtual void SetAmbientAlpha(float a);
    virtual void SetDiffuse(float r, float g, float b, float a);
    virtual void SetDiffuseAlpha(float a);
    virtual void SetSpecular(float r, float g, float b, float a);
    virtual void SetSpecularAlpha(float a);
    virtual void SetEmission(float r, float g, float b, float a);
    virtual void SetEmissionAlpha(float a);
    virtual void SetShininess(float shininess);
    virtual void SetVisible(bool visible);
    virtual void Show();
    virtual void Hide();
    virtual void SetTransparent(bool transparent);
    virtual void StartAnimation();
    virtual void Rotate(const Vector3& axis, float degrees);
    virtual void RotateX(float degrees);
    virtual void RotateY(float degrees);
    virtual void RotateZ(float degrees);
    virtual Vector3 GetScale() const;
    virtual void SetScale(float x, float y, float z);
    virtual void SetScaleX(float x);
    virtual void SetScaleY(float y);
    virtual void SetScaleZ(float z);
    virtual void MoveBy(float dx, float dy, float dz);
    virtual void SetPosition(float x, float y, float z);
    virtual void SetPositionX(float x);
    virtual void SetPositionY(float y);
    virtual void SetPositionZ(float z);
    // A texture that has no GL name is stored as none.
    virtual void SetTexture(COGLTexture2D* texture);
    virtual void SetTextureEnvMode(int mode);
    // Multiplies the orientation onto the current GL matrix.
    virtual void ApplyOrientation() const;

    // --- Scene file hook ---
    // Reads the object's record (after its type code) and says whether the object
    // belongs in the scene. Primitives read their record with Load and take the
    // texture at the index read; model classes override it to re-read their game
    // file and report their loaded flag.
    virtual bool LoadFromScene(BinaryReader& in, int version, COGLScene& scene);
    // False for a model whose last load failed.
    virtual bool IsLoaded() const { return true; }
    // The box the object fills in its own coordinates (what its selection box
    // outlines), for framing; false while it has none (a model not yet drawn).
    virtual bool LocalBounds(Vector3& lo, Vector3& hi) const;
    // Lets an object whose box is only learnt while drawing (a model walks its
    // current frame) know it before its first draw; nothing for the others.
    virtual void RefreshBounds() {}
    // What the sheets edit of a kind beyond what every object has (3D text, a
    // model's animation settings), as a record for the editing history that
    // RestoreEditState reads back; nothing for most kinds. Restoring reads no file.
    virtual void SaveEditState(BinaryWriter& /*out*/) const {}
    virtual void RestoreEditState(BinaryReader& /*in*/) {}
    // Textures the object owns itself (sprite frames), which the scene's texture
    // filter mode must also reach.
    virtual std::vector<COGLTexture2D*> FrameTextures() const { return {}; }
    // Its animations, skins and first picture; nothing for objects that are not
    // read from a game file.
    virtual std::optional<ObjectFacts> Facts() const { return std::nullopt; }

    // --- Inner parts shown over the object (bones, attachments, boxes) ---
    // Draws the parts `overlays` (object_overlay bits) names in the current GL
    // state, placed as Draw places the object, through the model (depth test
    // off); every GL state it changes is put back. Nothing for most kinds.
    virtual void DrawOverlays(int /*overlays*/) {}
    // A named point of an overlay, in scene (world) space; `kind` is
    // object_overlay::kBones or kAttachments.
    struct OverlayLabel {
        std::string name;
        Vector3 position;
        int kind = 0;
    };
    virtual std::vector<OverlayLabel> OverlayLabels(int /*overlays*/) const { return {}; }

    // --- Another object drawn as part of this one (a weapon model in a hand) ---
    // Takes `follower` (and empties it) when this kind can carry it: it leaves
    // whatever list held it and draws, picks, animates, copies and saves with
    // this object. False, and `follower` untouched, otherwise.
    virtual bool AdoptFollower(std::unique_ptr<COGLObject>& /*follower*/) { return false; }
    // The follower carried now, or nullptr.
    virtual COGLObject* FollowerObject() const { return nullptr; }
    // Hands the follower back (placed where this object stands); nullptr when none.
    virtual std::unique_ptr<COGLObject> ReleaseFollower() { return nullptr; }

    // --- The scene file's extension area (scene/SceneExtensions.h) ---
    // What a kind saves beyond its record, which today's readers never reach:
    // written in an "OBJX" block of the object only when this writes bytes, so an
    // object at its defaults leaves the file as it always was.
    virtual void SaveExtension(BinaryWriter& /*out*/) const {}
    // Reads what SaveExtension wrote (`payload` holds exactly those bytes), while
    // the scene file is still being read (its paks and locator answer). A read
    // past the payload throws ReadError, and the block is counted as skipped.
    virtual void LoadExtension(BinaryReader& /*payload*/, COGLScene& /*scene*/) {}

    // --- Geometry and display lists ---
    // The shape for the main (Full) or alternate (Coarse) list; empty in the base.
    virtual void EmitGeometry(GeometrySink& sink, GeometryDetail detail) const;
    // Builds the lists now if they are missing (needs a current GL context).
    void EnsureDisplayLists();
    // Deletes the lists (when a context is current) so the next draw rebuilds them.
    void InvalidateDisplayLists();
    // Light markers pick with their alternate list.
    void SetPickUsesAlternateList(bool value) { m_pickUsesAlternate = value; }
    unsigned MainList() const { return m_mainList; }
    unsigned AlternateList() const { return m_alternateList; }
    unsigned PickList() const { return m_pickList; }
    bool HasDisplayLists() const { return m_mainList != 0; }

    // --- State ---
    int TypeCode() const { return m_typeCode; }
    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    int PickName() const { return m_pickName; }
    void SetPickName(int pickName) { m_pickName = pickName; }
    // The next value of the process-wide pick name counter.
    static int NextPickName();

    const ColorRGBA& Ambient() const { return m_ambient; }
    const ColorRGBA& Diffuse() const { return m_diffuse; }
    const ColorRGBA& Specular() const { return m_specular; }
    const ColorRGBA& Emission() const { return m_emission; }
    float Shininess() const { return m_shininess; }
    const Vector3& Scale() const { return m_scale; }
    const Vector3& Position() const { return m_position; }
    const Vector3& HalfExtents() const { return m_halfExtents; }
    void SetHalfExtents(const Vector3& halfExtents) { m_halfExtents = halfExtents; }
    const Quaternion& Orientation() const { return m_orientation; }
    // Virtual so that parts drawn with an object (a player's weapon) turn with it.
    virtual void SetOrientation(const Quaternion& orientation) { m_orientation = orientation; }

    bool IsVisible() const { return m_visible != 0; }
    bool IsTransparent() const { return m_transparent != 0; }
    bool IsAnimating() const { return m_animating != 0; }
    void SetAnimating(bool animating) { m_animating = animating ? 1 : 0; }
    int ObjectMode() const { return m_objectMode; }
    void SetObjectMode(int mode) { m_objectMode = mode; }
    std::uint32_t FlagsWord() const { return m_flags; }
    void SetFlagsWord(std::uint32_t flags) { m_flags = flags; }
    bool IsLightMarker() const { return (m_flags & kFlagLightMarker) != 0; }

    COGLTexture2D* Texture() const { return m_texture; }
    const Vector3& TextureRotation() const { return m_textureRotation; }
    void SetTextureRotation(const Vector3& degrees) { m_textureRotation = degrees; }
    const Vector3& TextureScale() const { return m_textureScale; }
    void SetTextureScale(const Vector3& scale) { m_textureScale = scale; }
    const Vector3& TextureTranslation() const { return m_textureTranslation; }
    void SetTextureTranslation(const Vector3& translation) { m_textureTranslation = translation; }
    int TextureEnvMode() const { return m_textureEnvMode; }
    int TextureSetting() const { return m_textureSetting; }
    void SetTextureSetting(int setting) { m_textureSetting = setting; }

protected:
    // The material on both faces, in the order shininess, specular, diffuse, ambient, emission.
    void ApplyMaterial() const;
    // Translate, orient and scale: the object's own transform.
    void ApplyTransform() const;
    // Compiles the lists from EmitGeometry; subclasses with other needs override it.
    virtual void BuildDisplayLists();
    // Draws the box of the half extents as two loops and four joining lines.
    void DrawBoxOutline(const Vector3& h) const;
    // One primitive through corners of the box from `lo` to `hi`, each named by bits:
    // 4 for x, 2 for y, 1 for z, set for the high side. Outlines keep the order they
    // were always drawn in, as GL picks a line's pixels by its direction.
    static void DrawBoxCorners(unsigned mode, const Vector3& lo, const Vector3& hi, std::initializer_list<int> corners);
    // Common set-up and tear-down of the selection box (white, unlit, own transform).
    void BeginSelectionBox() const;
    void EndSelectionBox() const;

    unsigned m_pickList = 0;
    unsigned m_mainList = 0;
    unsigned m_alternateList = 0;
    bool m_pickUsesAlternate = false;

    ColorRGBA m_ambient{0.2f, 0.2f, 0.2f, 1.0f};
    ColorRGBA m_diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    ColorRGBA m_specular{0.0f, 0.0f, 0.0f, 1.0f};
    ColorRGBA m_emission{0.0f, 0.0f, 0.0f, 1.0f};
    float m_shininess = 0.0f;
    Vector3 m_scale{1.0f, 1.0f, 1.0f};
    Vector3 m_position{};
    Vector3 m_halfExtents{1.0f, 1.0f, 1.0f};
    std::string m_name;
    int m_pickName;
    // Bytes as the scene file holds them, so a resave writes back what was read.
    std::uint8_t m_visible = 1;
    std::uint8_t m_transparent = 0;
    std::uint8_t m_animating = 0;
    // 2 for light markers; otherwise stored and restored unchanged.
    int m_objectMode = 0;
    int m_typeCode;
    Quaternion m_orientation;
    std::uint32_t m_flags = 0;
    COGLTexture2D* m_texture = nullptr;  // not owned
    Vector3 m_textureRotation{};
    Vector3 m_textureScale{1.0f, 1.0f, 1.0f};
    Vector3 m_textureTranslation{};
    int m_textureEnvMode = kGLModulate;
    // Stored and restored unchanged.
    int m_textureSetting = 1;
};

