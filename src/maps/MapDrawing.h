#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "maps/MapData.h"
#include "maps/MapTextures.h"
#include "scene/SceneBackdrop.h"

// A map's faces drawn with fixed-function GL: every face's texture modulated by
// its lightmap (style 0) from a few atlas pages, in one pass with two texture
// units; faces of one texture and page go out together as one vertex array.
// Liquids and translucent faces are drawn in the blended pass, the sky as a box
// of the map's pictures around the eye (else a flat colour), brush entities where
// the file puts them. Missing pictures draw a checker. The outline pass draws the
// faces' edges as lines.
//
// Everything GL is made at the first draw (a context is current then) and given
// back when the drawing goes, with the view's context made current.
class MapDrawing {
public:
    // Atlas pages are this many luxels square.
    static constexpr int kAtlasSize = 1024;
    // Sky faces without the sky box's pictures.
    static constexpr std::array<float, 3> kFlatSkyColor{0.45f, 0.55f, 0.75f};

    MapDrawing(std::shared_ptr<const MapData> map, MapPictures pictures);
    ~MapDrawing();
    MapDrawing(const MapDrawing&) = delete;
    MapDrawing& operator=(const MapDrawing&) = delete;

    void Draw(SceneBackdrop::Pass pass, const BackdropSettings& settings);
    // Where liquids' ripples and flowing faces stand: `seconds` into the scene's
    // animations (0 until something plays).
    void SetAnimationTime(double seconds) { m_time = seconds; }

    // How opaque a face with these map_surface flags is drawn: below 1 for the
    // blended pass (liquids, translucent faces).
    static float Opacity(std::uint32_t flags);
    const MapPictures& Pictures() const { return m_pictures; }
    // The brush model a face of it belongs to is shown (the world always is).
    bool ModelShown(int model, const BackdropSettings& settings) const;

    // What the packing made of the map (for tests and benchmarks).
    std::size_t BatchCount() const { return m_batches.size(); }
    // The triangles drawn for the map's faces (liquids are cut into cells to ripple).
    std::size_t TriangleCount() const;
    // The picture coordinates (s, t as a fraction of the picture) drawn at `face`'s
    // first corner, as they stand at the animation time last drawn.
    std::optional<std::array<float, 2>> FirstCornerPictureCoordinates(std::size_t face) const;
    int AtlasPageCount() const { return static_cast<int>(m_pages.size()); }
    // Where a face's lightmap lies: atlas page and its first luxel; nothing for a
    // face without one.
    struct AtlasPlace {
        int page = -1;
        int x = 0;
        int y = 0;
    };
    const AtlasPlace& PlaceOf(std::size_t face) const { return m_places[face]; }
    // The brush entities in entity order ("classname *N", as the property page
    // lists them), with each one's model.
    struct BrushEntity {
        std::string name;
        int model = 0;
    };
    const std::vector<BrushEntity>& BrushEntities() const { return m_brushEntities; }

private:
    enum class Kind : std::uint8_t { Opaque, Masked, Blended, Sky };
    // How a batch's pictures move: liquids ripple, flowing faces scroll.
    static constexpr std::uint8_t kRipples = 1;
    static constexpr std::uint8_t kFlows = 2;
    struct Batch {
        Kind kind = Kind::Opaque;
        int model = 0;
        int texture = 0;
        int page = 0;
        float alpha = 1.0f;
        // Its box in the scene: batches are cut by region, so the near ones go
        // first (what they hide costs nothing more) and those behind the eye not at all.
        Vector3 lo;
        Vector3 hi;
        // x, y, z, s, t, light s, light t per vertex, three vertices a triangle.
        std::vector<float> vertices;
        // A moving batch's picture coordinates in texels as the map gives them (s, t
        // per vertex), and the picture's size, for the motion to start from.
        std::uint8_t motion = 0;
        std::vector<float> texels;
        float pictureWidth = 1.0f;
        float pictureHeight = 1.0f;
    };
    struct Page {
        std::vector<std::uint8_t> luxels;  // RGB as stored, before brightness
        int shelfX = 0;
        int shelfY = 0;
        int shelfHeight = 0;
    };

    void PackLightmaps();
    void BuildBatches();
    void Upload(const BackdropSettings& settings);
    void UploadPages(float brightness);
    void DrawBatches(Kind kind, const BackdropSettings& settings, bool textured);
    // The moving batches' picture coordinates for m_time.
    void Animate();
    // The batches in drawing order for the eye under the current modelview.
    void SortForEye();
    void DrawSkyBox();
    // Every drawn face's edges, made at the first outline asked for.
    void DrawOutlines(const BackdropSettings& settings);
    void ReleaseGL();

    std::shared_ptr<const MapData> m_map;
    MapPictures m_pictures;
    std::vector<AtlasPlace> m_places;
    std::vector<Page> m_pages;
    std::vector<Batch> m_batches;
    std::vector<std::size_t> m_order;  // into m_batches, nearest first, those in view
    // Where each face's first corner was drawn: batch and vertex; batch -1 when not drawn.
    std::vector<std::pair<int, std::size_t>> m_firstVertexOf;
    double m_time = 0.0;
    double m_animatedTime = -1.0;  // the time the moving batches stand at
    // Per brush model (the world first), both ends of every face edge, x, y, z each.
    std::vector<std::vector<float>> m_outlines;
    // The brush entity (index into BackdropSettings::brushEntitiesShown) of each
    // brush model, -1 for models no entity names.
    std::vector<int> m_entityOfModel;

    bool m_uploaded = false;
    float m_uploadedBrightness = 0.0f;
    std::vector<unsigned> m_textureNames;  // one per map texture
    std::vector<unsigned> m_pageNames;
    std::array<unsigned, 6> m_skyNames{};
    std::vector<BrushEntity> m_brushEntities;
};
