#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "scene/COGLObject.h"

// Extruded 3D text. The glyph outlines come from FreeType (the face found through
// fontconfig by its family name, "Arial" by default), their curves flattened to
// polygons; the front and back caps are tessellated by GLU, and the sides join
// the two caps with outward normals. The text is centred on the origin; one em is
// two units high, so a capital letter is about as tall as the unit box.
//
// The outlines are computed on demand (at the first draw, or by UpdateOutlines)
// and again after any change of text or font; the half extents follow them.
class COGLText : public COGLObject {
public:
    // The text block of the scene file, after the common object record.
    static constexpr std::size_t kTextFieldSize = 32;
    static constexpr std::size_t kFontFieldSize = 32;
    static constexpr std::size_t kTextBlockSize = 1 + 4 + 4 + 4 + 4 + kTextFieldSize + kFontFieldSize + 1;  // 82
    static constexpr const char* kDefaultFont = "Arial";

    // Values of the text setting.
    static constexpr int kOutlineLines = 0;     // outlines only (front and back loops)
    static constexpr int kOutlinePolygons = 1;  // solid extruded glyphs

    COGLText();

    void Save(BinaryWriter& out, int textureIndex) const override;
    int Load(BinaryReader& in, int version) override;
    void CopyFrom(const COGLObject& other) override;
    void SaveEditState(BinaryWriter& out) const override;
    void RestoreEditState(BinaryReader& in) override;
    void EmitGeometry(GeometrySink& sink, GeometryDetail detail) const override;

    // Loads the face and rebuilds the outlines if anything changed since the last
    // time. False when no font could be found or read (the text then draws nothing).
    bool UpdateOutlines();
    bool HasOutlines() const { return !m_contours.empty(); }

    const std::string& Text() const { return m_text; }
    void SetText(const std::string& text);
    const std::string& FontFace() const { return m_fontFace; }
    void SetFontFace(const std::string& face);

    // Text block fields, in their order in the file.
    bool Bold() const { return m_bold != 0; }                         // first flag byte
    void SetBold(bool bold);
    float Deviation() const { return m_deviation; }                   // first real
    void SetDeviation(float deviation);
    float Extrusion() const { return m_extrusion; }                   // second real
    void SetExtrusion(float extrusion);
    float Spacing() const { return m_spacing; }                       // third real
    void SetSpacing(float spacing);
    int OutlineFormat() const { return m_outlineFormat; }             // the int32 setting
    void SetOutlineFormat(int format);
    bool Italic() const { return m_italic != 0; }                     // second flag byte
    void SetItalic(bool italic);

protected:
    void BuildDisplayLists() override;

private:
    using Point2 = std::array<double, 2>;
    using Contour = std::vector<Point2>;

    void MarkChanged();
    // Sets a field the outlines are made from, so they are made again.
    template <typename Field, typename Value>
    void Change(Field& field, const Value& value) {
        field = static_cast<Field>(value);
        MarkChanged();
    }
    void EmitCaps(GeometrySink& sink) const;
    void EmitSides(GeometrySink& sink) const;
    void EmitLoops(GeometrySink& sink, bool bothSides) const;
    double HalfDepth() const;

    // Text block. Where a byte or a real holds a value with no meaning here, it is
    // still written back exactly as read.
    std::uint8_t m_bold = 0;      // 1: bold face
    float m_deviation = 0.0f;     // largest distance of a flattened curve from the glyph, in ems; 0 = default
    float m_extrusion = 0.2f;     // depth of the extruded glyphs, in ems
    float m_spacing = 0.0f;       // extra advance after each character, in ems
    int m_outlineFormat = kOutlinePolygons;
    std::string m_text = "Text";  // at most 31 characters are stored
    std::string m_fontFace = kDefaultFont;
    std::uint8_t m_italic = 0;    // 1: italic face

    // Outlines in object units, centred; filled to the left of each contour's travel.
    std::vector<Contour> m_contours;
    double m_minX = 0.0, m_maxX = 0.0, m_minY = 0.0, m_maxY = 0.0;
    bool m_outlinesDirty = true;
};
