#include "scene/COGLText.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>

#include "platform/Fonts.h"

namespace {
// Object units per em: a line of text is about as tall as the unit primitives.
constexpr double kUnitsPerEm = 2.0;
constexpr double kDefaultDeviation = 0.002;  // ems
constexpr int kMaxCurveSteps = 64;

using Point2 = std::array<double, 2>;

// Collects one glyph's contours from FreeType's outline walk, flattening curves.
struct OutlineWalk {
    std::vector<std::vector<Point2>> contours;
    double scale = 1.0;      // font units to ems
    double deviation = kDefaultDeviation;
    Point2 offset{0.0, 0.0};  // pen position, ems
    Point2 last{0.0, 0.0};

    Point2 Map(const FT_Vector* v) const {
        return {offset[0] + static_cast<double>(v->x) * scale, offset[1] + static_cast<double>(v->y) * scale};
    }
    void Add(const Point2& p) {
        if (contours.empty()) {
            contours.emplace_back();
        }
        auto& c = contours.back();
        if (c.empty() || std::fabs(c.back()[0] - p[0]) > 1e-9 || std::fabs(c.back()[1] - p[1]) > 1e-9) {
            c.push_back(p);
        }
        last = p;
    }
    int StepsFor(double bend) const {
        // A curve segment's error falls with the square of the number of steps.
        const double steps = std::ceil(std::sqrt(std::max(bend, 0.0) / (4.0 * deviation)));
        return std::clamp(static_cast<int>(std::isfinite(steps) ? steps : 1.0), 1, kMaxCurveSteps);
    }
};

int MoveTo(const FT_Vector* to, void* user) {
    auto* walk = static_cast<OutlineWalk*>(user);
    walk->contours.emplace_back();
    walk->Add(walk->Map(to));
    return 0;
}

int LineTo(const FT_Vector* to, void* user) {
    auto* walk = static_cast<OutlineWalk*>(user);
    walk->Add(walk->Map(to));
    return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* walk = static_cast<OutlineWalk*>(user);
    const Point2 p0 = walk->last;
    const Point2 c = walk->Map(control);
    const Point2 p1 = walk->Map(to);
    const double bend = std::hypot(p0[0] - 2 * c[0] + p1[0], p0[1] - 2 * c[1] + p1[1]);
    const int steps = walk->StepsFor(bend);
    for (int i = 1; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double u = 1.0 - t;
        walk->Add({u * u * p0[0] + 2 * u * t * c[0] + t * t * p1[0], u * u * p0[1] + 2 * u * t * c[1] + t * t * p1[1]});
    }
    return 0;
}

int CubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
    auto* walk = static_cast<OutlineWalk*>(user);
    const Point2 p0 = walk->last;
    const Point2 c1 = walk->Map(control1);
    const Point2 c2 = walk->Map(control2);
    const Point2 p1 = walk->Map(to);
    const double bend = 1.5 * std::max(std::hypot(p0[0] - 2 * c1[0] + c2[0], p0[1] - 2 * c1[1] + c2[1]),
                                       std::hypot(c1[0] - 2 * c2[0] + p1[0], c1[1] - 2 * c2[1] + p1[1]));
    const int steps = walk->StepsFor(bend);
    for (int i = 1; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double u = 1.0 - t;
        const double a = u * u * u, b = 3 * u * u * t, cc = 3 * u * t * t, d = t * t * t;
        walk->Add({a * p0[0] + b * c1[0] + cc * c2[0] + d * p1[0], a * p0[1] + b * c1[1] + cc * c2[1] + d * p1[1]});
    }
    return 0;
}

// Latin-1 code of a byte of the stored 8-bit text.
FT_ULong CharCodeOf(char c) { return static_cast<FT_ULong>(static_cast<unsigned char>(c)); }

// --- GLU tessellation into a geometry sink ---

struct TessVertex {
    double xyz[3];
    float s;
    float t;
};

struct TessContext {
    GeometrySink* sink = nullptr;
    std::deque<TessVertex> vertices;  // stable addresses for the tessellator
    bool failed = false;
};

void TessBegin(GLenum type, void* data) { static_cast<TessContext*>(data)->sink->Begin(type); }

void TessVertexCallback(void* vertex, void* data) {
    const auto* v = static_cast<const TessVertex*>(vertex);
    auto* sink = static_cast<TessContext*>(data)->sink;
    sink->TexCoord(v->s, v->t);
    sink->Vertex({static_cast<float>(v->xyz[0]), static_cast<float>(v->xyz[1]), static_cast<float>(v->xyz[2])});
}

void TessEnd(void* data) { static_cast<TessContext*>(data)->sink->End(); }

void TessCombine(GLdouble coords[3], void* vertexData[4], GLfloat weight[4], void** out, void* data) {
    auto* context = static_cast<TessContext*>(data);
    TessVertex v{{coords[0], coords[1], coords[2]}, 0.0f, 0.0f};
    for (int i = 0; i < 4; ++i) {
        if (vertexData[i] != nullptr) {
            const auto* source = static_cast<const TessVertex*>(vertexData[i]);
            v.s += weight[i] * source->s;
            v.t += weight[i] * source->t;
        }
    }
    context->vertices.push_back(v);
    *out = &context->vertices.back();
}

void TessError(GLenum /*error*/, void* data) { static_cast<TessContext*>(data)->failed = true; }

template <typename F>
_GLUfuncptr TessCallback(F* function) {
    return reinterpret_cast<_GLUfuncptr>(function);
}
}  // namespace

COGLText::COGLText() : COGLObject(object_type::kText) {}

void COGLText::MarkChanged() {
    m_outlinesDirty = true;
    InvalidateDisplayLists();
}

void COGLText::SetText(const std::string& text) { Change(m_text, text); }
void COGLText::SetFontFace(const std::string& face) { Change(m_fontFace, face); }
void COGLText::SetBold(bool bold) { Change(m_bold, bold ? 1 : 0); }
void COGLText::SetDeviation(float deviation) { Change(m_deviation, deviation); }
void COGLText::SetExtrusion(float extrusion) { Change(m_extrusion, extrusion); }
void COGLText::SetSpacing(float spacing) { Change(m_spacing, spacing); }
void COGLText::SetOutlineFormat(int format) { Change(m_outlineFormat, format); }
void COGLText::SetItalic(bool italic) { Change(m_italic, italic ? 1 : 0); }

void COGLText::Save(BinaryWriter& out, int textureIndex) const {
    COGLObject::Save(out, textureIndex);
    out.WriteU8(m_bold);
    out.WriteF32(m_deviation);
    out.WriteF32(m_extrusion);
    out.WriteF32(m_spacing);
    out.WriteI32(m_outlineFormat);
    out.WriteText(m_text, kTextFieldSize);
    out.WriteText(m_fontFace, kFontFieldSize);
    out.WriteU8(m_italic);
}

int COGLText::Load(BinaryReader& in, int version) {
    const int textureIndex = COGLObject::Load(in, version);
    m_bold = in.ReadU8();
    m_deviation = in.ReadF32();
    m_extrusion = in.ReadF32();
    m_spacing = in.ReadF32();
    m_outlineFormat = in.ReadI32();
    m_text = in.ReadText(kTextFieldSize);
    m_fontFace = in.ReadText(kFontFieldSize);
    m_italic = in.ReadU8();
    MarkChanged();
    return textureIndex;
}

namespace {
void WriteString(BinaryWriter& out, const std::string& text) {
    out.WriteU32(static_cast<std::uint32_t>(text.size()));
    out.WriteBytes(text.data(), text.size());
}

std::string ReadString(BinaryReader& in) {
    const ByteBuffer bytes = in.ReadBytes(in.ReadU32());
    return {bytes.begin(), bytes.end()};
}
}  // namespace

void COGLText::SaveEditState(BinaryWriter& out) const {
    WriteString(out, m_text);
    WriteString(out, m_fontFace);
    out.WriteU8(m_bold);
    out.WriteU8(m_italic);
    out.WriteF32(m_deviation);
    out.WriteF32(m_extrusion);
    out.WriteF32(m_spacing);
    out.WriteI32(m_outlineFormat);
}

void COGLText::RestoreEditState(BinaryReader& in) {
    // Through the setters, which mark the outlines for rebuilding only on a change.
    SetText(ReadString(in));
    SetFontFace(ReadString(in));
    SetBold(in.ReadU8() != 0);
    SetItalic(in.ReadU8() != 0);
    SetDeviation(in.ReadF32());
    SetExtrusion(in.ReadF32());
    SetSpacing(in.ReadF32());
    SetOutlineFormat(in.ReadI32());
}

void COGLText::CopyFrom(const COGLObject& other) {
    COGLObject::CopyFrom(other);
    if (const auto* text = dynamic_cast<const COGLText*>(&other)) {
        m_bold = text->m_bold;
        m_deviation = text->m_deviation;
        m_extrusion = text->m_extrusion;
        m_spacing = text->m_spacing;
        m_outlineFormat = text->m_outlineFormat;
        m_text = text->m_text;
        m_fontFace = text->m_fontFace;
        m_italic = text->m_italic;
        MarkChanged();
    }
}

bool COGLText::UpdateOutlines() {
    if (!m_outlinesDirty) {
        return HasOutlines();
    }
    m_outlinesDirty = false;
    m_contours.clear();
    const std::string file =
        FindFontFile(m_fontFace.empty() ? std::string(kDefaultFont) : m_fontFace, m_bold != 0, m_italic != 0);
    if (file.empty()) {
        return false;
    }
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        return false;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.c_str(), 0, &face) != 0 || face->units_per_EM == 0) {
        if (face != nullptr) {
            FT_Done_Face(face);
        }
        FT_Done_FreeType(library);
        return false;
    }

    OutlineWalk walk;
    walk.scale = 1.0 / face->units_per_EM;
    walk.deviation = m_deviation > 0.0f && std::isfinite(m_deviation) ? m_deviation : kDefaultDeviation;
    const double spacing = std::isfinite(m_spacing) ? m_spacing : 0.0;
    FT_Outline_Funcs funcs{};
    funcs.move_to = MoveTo;
    funcs.line_to = LineTo;
    funcs.conic_to = ConicTo;
    funcs.cubic_to = CubicTo;

    double pen = 0.0;
    FT_UInt previous = 0;
    for (const char c : m_text) {
        const FT_UInt glyph = FT_Get_Char_Index(face, CharCodeOf(c));
        if (previous != 0 && glyph != 0 && FT_HAS_KERNING(face)) {
            FT_Vector kerning{};
            if (FT_Get_Kerning(face, previous, glyph, FT_KERNING_UNSCALED, &kerning) == 0) {
                pen += static_cast<double>(kerning.x) * walk.scale;
            }
        }
        previous = glyph;
        if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) != 0) {
            continue;
        }
        FT_GlyphSlot slot = face->glyph;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE && slot->outline.n_contours > 0) {
            const std::size_t first = walk.contours.size();
            walk.offset = {pen, 0.0};
            FT_Outline_Decompose(&slot->outline, &funcs, &walk);
            // Make every contour fill to its left (outer ones counter-clockwise).
            if (FT_Outline_Get_Orientation(&slot->outline) == FT_ORIENTATION_TRUETYPE) {
                for (std::size_t i = first; i < walk.contours.size(); ++i) {
                    std::reverse(walk.contours[i].begin(), walk.contours[i].end());
                }
            }
        }
        pen += static_cast<double>(slot->advance.x) * walk.scale + spacing;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    // Drop a closing point equal to the first, and contours too small to fill.
    for (auto& contour : walk.contours) {
        if (contour.size() > 1 && std::fabs(contour.front()[0] - contour.back()[0]) < 1e-9 &&
            std::fabs(contour.front()[1] - contour.back()[1]) < 1e-9) {
            contour.pop_back();
        }
        if (contour.size() >= 3) {
            m_contours.push_back(std::move(contour));
        }
    }
    if (m_contours.empty()) {
        return false;
    }
    double minX = std::numeric_limits<double>::max(), minY = minX;
    double maxX = std::numeric_limits<double>::lowest(), maxY = maxX;
    for (const auto& contour : m_contours) {
        for (const auto& p : contour) {
            minX = std::min(minX, p[0]);
            maxX = std::max(maxX, p[0]);
            minY = std::min(minY, p[1]);
            maxY = std::max(maxY, p[1]);
        }
    }
    const double centreX = (minX + maxX) * 0.5;
    const double centreY = (minY + maxY) * 0.5;
    for (auto& contour : m_contours) {
        for (auto& p : contour) {
            p[0] = (p[0] - centreX) * kUnitsPerEm;
            p[1] = (p[1] - centreY) * kUnitsPerEm;
        }
    }
    m_minX = (minX - centreX) * kUnitsPerEm;
    m_maxX = (maxX - centreX) * kUnitsPerEm;
    m_minY = (minY - centreY) * kUnitsPerEm;
    m_maxY = (maxY - centreY) * kUnitsPerEm;
    m_halfExtents = {static_cast<float>(m_maxX), static_cast<float>(m_maxY), static_cast<float>(HalfDepth())};
    return true;
}

double COGLText::HalfDepth() const {
    const double depth = std::isfinite(m_extrusion) ? std::fabs(static_cast<double>(m_extrusion)) : 0.0;
    return std::min(depth, 100.0) * kUnitsPerEm * 0.5;
}

void COGLText::BuildDisplayLists() {
    UpdateOutlines();
    COGLObject::BuildDisplayLists();
}

void COGLText::EmitGeometry(GeometrySink& sink, GeometryDetail detail) const {
    if (m_contours.empty()) {
        return;
    }
    if (detail == GeometryDetail::Coarse) {
        EmitLoops(sink, false);
        return;
    }
    if (m_outlineFormat == kOutlineLines) {
        EmitLoops(sink, true);
        return;
    }
    EmitCaps(sink);
    EmitSides(sink);
}

void COGLText::EmitLoops(GeometrySink& sink, bool bothSides) const {
    const double halfDepth = HalfDepth();
    for (const double z : {halfDepth, -halfDepth}) {
        for (const auto& contour : m_contours) {
            sink.Begin(GL_LINE_LOOP);
            sink.Normal({0.0f, 0.0f, z >= 0.0 ? 1.0f : -1.0f});
            for (const auto& p : contour) {
                sink.Vertex({static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(z)});
            }
            sink.End();
        }
        if (!bothSides) {
            break;
        }
    }
}

void COGLText::EmitCaps(GeometrySink& sink) const {
    GLUtesselator* tess = gluNewTess();
    if (tess == nullptr) {
        return;
    }
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, TessCallback(&TessBegin));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, TessCallback(&TessVertexCallback));
    gluTessCallback(tess, GLU_TESS_END_DATA, TessCallback(&TessEnd));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, TessCallback(&TessCombine));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, TessCallback(&TessError));
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);

    const double halfDepth = HalfDepth();
    const double width = std::max(m_maxX - m_minX, 1e-9);
    const double height = std::max(m_maxY - m_minY, 1e-9);
    for (const double side : {1.0, -1.0}) {
        TessContext context;
        context.sink = &sink;
        for (const auto& contour : m_contours) {
            for (const auto& p : contour) {
                const double s = (p[0] - m_minX) / width;
                context.vertices.push_back({{p[0], p[1], side * halfDepth},
                                            static_cast<float>(side > 0 ? s : 1.0 - s),
                                            static_cast<float>((p[1] - m_minY) / height)});
            }
        }
        // The tessellator turns its triangles to face the normal given here.
        sink.Normal({0.0f, 0.0f, static_cast<float>(side)});
        gluTessNormal(tess, 0.0, 0.0, side);
        gluTessBeginPolygon(tess, &context);
        std::size_t next = 0;
        for (const auto& contour : m_contours) {
            gluTessBeginContour(tess);
            for (std::size_t i = 0; i < contour.size(); ++i, ++next) {
                TessVertex& v = context.vertices[next];
                gluTessVertex(tess, v.xyz, &v);
            }
            gluTessEndContour(tess);
        }
        gluTessEndPolygon(tess);
    }
    gluDeleteTess(tess);
}

void COGLText::EmitSides(GeometrySink& sink) const {
    const double halfDepth = HalfDepth();
    if (halfDepth <= 0.0) {
        return;
    }
    const auto front = static_cast<float>(halfDepth);
    const auto back = static_cast<float>(-halfDepth);
    for (const auto& contour : m_contours) {
        double length = 0.0;
        for (std::size_t i = 0; i < contour.size(); ++i) {
            const auto& a = contour[i];
            const auto& b = contour[(i + 1) % contour.size()];
            length += std::hypot(b[0] - a[0], b[1] - a[1]);
        }
        if (length <= 0.0) {
            continue;
        }
        sink.Begin(GL_QUADS);
        double along = 0.0;
        for (std::size_t i = 0; i < contour.size(); ++i) {
            const auto& a = contour[i];
            const auto& b = contour[(i + 1) % contour.size()];
            const double dx = b[0] - a[0];
            const double dy = b[1] - a[1];
            const double edge = std::hypot(dx, dy);
            if (edge <= 1e-12) {
                continue;
            }
            // The filled side is to the left of the travel, so outside is to the right.
            sink.Normal({static_cast<float>(dy / edge), static_cast<float>(-dx / edge), 0.0f});
            const auto s0 = static_cast<float>(along / length);
            along += edge;
            const auto s1 = static_cast<float>(along / length);
            const Vector3 a3{static_cast<float>(a[0]), static_cast<float>(a[1]), 0.0f};
            const Vector3 b3{static_cast<float>(b[0]), static_cast<float>(b[1]), 0.0f};
            sink.TexCoord(s0, 1.0f);
            sink.Vertex({a3.x, a3.y, front});
            sink.TexCoord(s0, 0.0f);
            sink.Vertex({a3.x, a3.y, back});
            sink.TexCoord(s1, 0.0f);
            sink.Vertex({b3.x, b3.y, back});
            sink.TexCoord(s1, 1.0f);
            sink.Vertex({b3.x, b3.y, front});
        }
        sink.End();
    }
}
