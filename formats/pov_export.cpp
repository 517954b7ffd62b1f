// POV-Ray scene and include text, built in 64 KiB pieces so large documents stream to disk.
#include "formats/pov_export.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "formats/fixed_format.h"
#include "formats/text_out.h"
#include "model/tessellation.h"
#include "platform/cp932.h"
#include "platform/file_io.h"

namespace zarni {

namespace {

const char kCaption[] = "Zarni!_ver0.1a";
const char kMakerCredit[] = "Zarni! project";

// One position "<x,y,z>" as printf would give it with "<%3.3f,%3.3f,%3.3f>".
constexpr size_t kPositionMaxChars = 3 * kFixed3MaxChars + 4;

char* WritePosition(char* p, float x, float y, float z) {
    *p++ = '<';
    p = WriteFixed3(p, x);
    *p++ = ',';
    p = WriteFixed3(p, y);
    *p++ = ',';
    p = WriteFixed3(p, z);
    *p++ = '>';
    return p;
}

// POV-Ray is left-handed: positions of the geometry go out with z negated.
char* WriteFlippedPosition(char* p, const float* xyz) {
    return WritePosition(p, xyz[0], xyz[1], -xyz[2]);
}

std::string Triple(const std::string& open, float a, float b, float c, const char* close) {
    char text[kPositionMaxChars];
    char* p = text;
    p = WriteFixed3(p, a);
    *p++ = ',';
    p = WriteFixed3(p, b);
    *p++ = ',';
    p = WriteFixed3(p, c);
    return open + std::string(text, p) + close;
}

// The move offset is stored in thousandths; dividing in double keeps every stored value exact.
std::string MoveNumber(int32_t thousandths) {
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%3.3f", thousandths / 1000.0);
    return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

enum class MoveStyle { Scene, Include };

// The language of the text: the unofficial MegaPov 0.7 the exporter always wrote, or POV-Ray
// 3.7, which wants a semicolon after every declaration and a CSG of at least two objects.
enum class Dialect { MegaPov, Pov37 };

std::string SymmetryComment(const PatchObject& obj, MoveStyle style) {
    if (obj.mirrorFlags == 0 && obj.windmillCount < 2) return "//\r\n";
    std::string line = "// Mirror: ";
    if (obj.mirrorFlags & kMirrorX) line += "X ";
    if (obj.mirrorFlags & kMirrorY) line += "Y ";
    if (obj.mirrorFlags & kMirrorZ) line += "Z ";
    static const char* const kAxisNames[] = {"(X)", "(Y)", "(Z)"};
    if (obj.windmillAxis >= 1 && obj.windmillAxis <= 3) {
        line += "windmill x" + std::to_string(obj.windmillCount) + kAxisNames[obj.windmillAxis - 1];
    }
    if (obj.mirrorFlags & kMirrorMove) {
        line += style == MoveStyle::Scene ? " Move <" : "Move<";
        line +=
            MoveNumber(obj.moveX) + "," + MoveNumber(obj.moveY) + "," + MoveNumber(obj.moveZ) + ">";
    }
    return line + "\r\n";
}

// The "already written" marks of one object, kept here so that the document stays const.
struct Marks {
    std::vector<uint8_t> points;
    std::vector<uint8_t> segments;
};

void WritePatches(TextOut& out, const PatchObject& obj, Marks& marks) {
    const size_t patchCount = obj.patches.size();
    // The drawing keeps the caches current; a document fresh from elsewhere may not have them
    // yet, and the net read from the points is the same data.
    const bool cacheUsable = obj.patchCache.size() == patchCount * 48;
    float net[48];
    for (size_t i = 0; i < patchCount; ++i) {
        const Patch& q = obj.patches[i];
        const std::array<int32_t, 16> indices = PatchNet(obj.segments, q);
        const float* cache = net;
        if (cacheUsable) {
            cache = obj.patchCache.data() + i * 48;
        } else {
            for (int k = 0; k < 16; ++k) {
                const ControlPoint& pt = obj.points[indices[k]];
                net[k * 3] = pt.x;
                net[k * 3 + 1] = pt.y;
                net[k * 3 + 2] = pt.z;
            }
        }
        out.Literal(
            "\tbicubic_patch{\r\n\t\ttype Type flatness Flat u_steps Step v_steps Step\r\n");
        for (int row = 0; row < 4; ++row) {
            char* p = out.Room(4 * kPositionMaxChars + 4);
            *p++ = '\t';
            *p++ = '\t';
            for (int col = 0; col < 4; ++col) {
                p = WriteFlippedPosition(p, cache + (row * 4 + col) * 3);
            }
            *p++ = '\r';
            *p++ = '\n';
            out.Commit(p);
        }
        out.Literal("\t\t}\r\n");
        marks.segments[q.edge0] = 1;
        marks.segments[q.edge1] = 1;
        marks.segments[q.edge2] = 1;
        marks.segments[q.edge3] = 1;
        for (int32_t k : indices)
            marks.points[k] = 1;
    }
}

void WriteFreeCurves(TextOut& out, const PatchObject& obj, Marks& marks, Dialect dialect) {
    const size_t segmentCount = obj.segments.size();
    for (size_t i = 0; i < segmentCount; ++i) {
        if (marks.segments[i]) continue;
        const Segment& s = obj.segments[i];
        char* p = out.Room(32 + kInt03MaxChars + 4 * kPositionMaxChars);
        static const char kHead[] = "#declare Curve";
        std::memcpy(p, kHead, sizeof kHead - 1);
        p = WriteInt03(p + sizeof kHead - 1, static_cast<int32_t>(i + 1));
        static const char kArray[] = "=array[4]{";
        std::memcpy(p, kArray, sizeof kArray - 1);
        p += sizeof kArray - 1;
        for (int32_t k : {s.p0, s.p1, s.p2, s.p3}) {
            const ControlPoint& pt = obj.points[k];
            p = WritePosition(p, pt.x, pt.y, -pt.z);
            marks.points[k] = 1;
        }
        *p++ = '}';
        if (dialect == Dialect::Pov37) *p++ = ';';
        *p++ = '\r';
        *p++ = '\n';
        out.Commit(p);
    }
}

void WriteLonePoints(TextOut& out, const PatchObject& obj, const Marks& marks, Dialect dialect) {
    const size_t pointCount = obj.points.size();
    for (size_t i = 0; i < pointCount; ++i) {
        if (marks.points[i]) continue;
        const ControlPoint& pt = obj.points[i];
        char* p = out.Room(32 + kInt03MaxChars + kPositionMaxChars);
        static const char kHead[] = "#declare Point";
        std::memcpy(p, kHead, sizeof kHead - 1);
        p = WriteInt03(p + sizeof kHead - 1, static_cast<int32_t>(i));
        *p++ = '=';
        // Lone points keep the document's own z.
        p = WritePosition(p, pt.x, pt.y, pt.z);
        if (dialect == Dialect::Pov37) *p++ = ';';
        *p++ = '\r';
        *p++ = '\n';
        out.Commit(p);
    }
}

// The name as a one-line UTF-8 comment: POV-Ray 3.7 reads its files as UTF-8, and a control
// character would end the comment early or break the line.
std::string CommentName(const std::string& name) {
    std::string text = Cp932ToUtf8(name.c_str());
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return text;
}

// One number of a copy's matrix: enough digits that the turned copies meet their neighbours
// as closely as the views' float maths puts them; never "-0".
std::string MatrixNumber(float value) {
    char text[32];
    // The turns' cosines and sines of right angles come out a rounding error off zero.
    const float shown = std::fabs(value) < 1e-6f ? 0.0f : value;
    const int n = std::snprintf(text, sizeof text, "%.7g", shown);
    return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

// A copy's placement in the scene's own coordinates. The geometry goes out with z negated (N),
// so the copy p -> L p + o of the views becomes p -> N L N p + N o there; POV-Ray multiplies a
// row vector, so its twelve numbers are the transposed linear part and then the offset.
// Empty for the unmoved, unturned, unmirrored copy.
std::string CopyMatrix(const CopyTransform& t) {
    static const float kFlip[3] = {1.0f, 1.0f, -1.0f};
    bool identity = true;
    float m[12];
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const float v = kFlip[row] * kFlip[col] * t.linear[row * 3 + col];
            m[col * 3 + row] = v;
            identity = identity && v == (row == col ? 1.0f : 0.0f);
        }
        m[9 + row] = kFlip[row] * t.offset[row];
        identity = identity && m[9 + row] == 0.0f;
    }
    if (identity) return "";
    std::string text = " matrix<";
    for (int i = 0; i < 12; ++i)
        text += (i ? "," : "") + MatrixNumber(m[i]);
    return text + ">";
}

// The declared solid placed once for every symmetry copy, in the order the views draw them.
void WriteCopies(TextOut& out, const PatchObject& obj, const std::string& identifier) {
    if (SymmetryCopyCount(obj) < 1) {
        out.Literal("\r\n");
        return;
    }
    out.Literal("union{\r\n");
    ForEachSymmetryCopyOf(obj, [&](const SymmetryCopy& copy) {
        out.Put("\tobject{" + identifier + CopyMatrix(SymmetryTransform(obj, copy)) + "}\r\n");
    });
    out.Literal("\t}\r\n\r\n");
}

void WriteObject(TextOut& out, const PatchObject& obj, size_t index, MoveStyle style, Marks& marks,
                 Dialect dialect) {
    out.Literal("// ");
    if (dialect == Dialect::MegaPov) {
        out.Put(obj.name.c_str(), std::strlen(obj.name.c_str()));  // printf's %s ends at a NUL
    } else {
        out.Put(CommentName(obj.name));
    }
    out.Literal("\r\n");
    out.Put(SymmetryComment(obj, style));
    out.Literal("////////////////////////////////////////////////////////////////////////\r\n");
    marks.points.assign(obj.points.size(), 0);
    marks.segments.assign(obj.segments.size(), 0);
    // POV-Ray 3.7 warns about a union of fewer than two objects: one patch is wrapped as a
    // plain object, and an object without patches gives no solid at all.
    const size_t patchCount = obj.patches.size();
    const bool solid = dialect == Dialect::MegaPov || patchCount > 0;
    // The views draw every symmetry copy; the 3.7 scene declares the solid and places the copies
    // (the old text names the settings in its comment only).
    const bool copied = dialect == Dialect::Pov37 && SymmetryCopyCount(obj) != 1;
    if (solid) {
        std::string identifier;
        if (copied) {
            char text[16 + kInt03MaxChars];
            char* p = WriteInt03(text, static_cast<int32_t>(index + 1));
            identifier = "Object" + std::string(text, p);
            out.Put("#declare " + identifier + "=");
        }
        if (dialect == Dialect::MegaPov || patchCount > 1) {
            out.Literal("union{\r\n");
        } else {
            out.Literal("object{\r\n");
        }
        WritePatches(out, obj, marks);
        out.Put(Triple("\tpigment{rgb<", obj.color[0], obj.color[1], obj.color[2], ">}\r\n"));
        if (copied) {
            out.Literal("\t};\r\n");
            WriteCopies(out, obj, identifier);
        } else {
            out.Literal("\t}\r\n\r\n");
        }
    } else {
        out.Literal("\r\n");
    }
    WriteFreeCurves(out, obj, marks, dialect);
    WriteLonePoints(out, obj, marks, dialect);
}

void WriteHeaderLine(TextOut& out) {
    out.Put(std::string("//Generated by ") + kCaption + " (" + kMakerCredit + ")\r\n\r\n");
}

void WriteDeclarationsAndObjects(TextOut& out, const Document& doc, MoveStyle style,
                                 Dialect dialect) {
    out.Literal("#declare Type=1;\r\n#declare Flat=0;\r\n#declare Step=4;\r\n\r\n");
    Marks marks;
    for (size_t i = 0; i < doc.objects.size(); ++i)
        WriteObject(out, doc.objects[i], i, style, marks, dialect);
}

// The view's horizontal opening: the field of view is vertical, POV-Ray's angle horizontal.
float CameraAngle(const SceneView& view) {
    if (view.height > view.width) return 3.0f * view.fovy / 4.0f;
    return 3.0f * (static_cast<float>(view.width) * view.fovy / static_cast<float>(view.height)) /
           4.0f;
}

void WriteScene(TextOut& out, const Document& doc, const SceneView& view) {
    WriteHeaderLine(out);
    out.Literal("#version unofficial MegaPov 0.7;\r\n\r\n");
    out.Put("global_settings{\r\n\tini_option \"Width=" + std::to_string(view.width) +
            "\"\r\n\tini_option \"Height=" + std::to_string(view.height) + "\"\r\n\t}\r\n\r\n");
    out.Literal("camera {\r\n");
    out.Put(
        Triple("\tup <", view.up.x, view.up.y, -view.up.z, ">*4/3*image_height/image_width\r\n"));
    out.Put("\tangle " + Fixed3(CameraAngle(view)) + "\r\n");
    out.Put(Triple("\tlocation <", view.eye.x, view.eye.y, -view.eye.z, ">\r\n"));
    out.Put(Triple("\tlook_at <", view.target.x, view.target.y, -view.target.z, ">\r\n"));
    out.Literal("\t}\r\n\r\n");
    for (size_t i = 0; i < view.lightPositions.size(); ++i) {
        const Vec3& at = view.lightPositions[i];
        const std::array<float, 3>& rgb = view.lightColors[i];
        out.Put("light_source { < " + Fixed3(at.x) + ", " + Fixed3(at.y) + ", " + Fixed3(at.z) +
                "> color rgb < " + Fixed3(rgb[0]) + ", " + Fixed3(rgb[1]) + "," +
                Fixed3(rgb[2], true) + ">}\r\n");
    }
    out.Put("background { color rgb <" + Fixed3(view.backColor[0]) + ", " +
            Fixed3(view.backColor[1]) + ", " + Fixed3(view.backColor[2]) + "> }\r\n\r\n");
    out.Literal("cylinder{<0,0,0>,<1,0,0>,0.05 pigment{rgb <1,0,0>}}\r\n");
    out.Literal("cylinder{<0,0,0>,<0,1,0>,0.05 pigment{rgb <0,1,0>}}\r\n");
    out.Literal("cylinder{<0,0,0>,<0,0,-1>,0.05 pigment{rgb <0,0,1>}}\r\n\r\n");
    WriteDeclarationsAndObjects(out, doc, MoveStyle::Scene, Dialect::MegaPov);
}

void WriteInclude(TextOut& out, const Document& doc) {
    WriteHeaderLine(out);
    WriteDeclarationsAndObjects(out, doc, MoveStyle::Include, Dialect::MegaPov);
}

// The perspective view's own camera: the vertical field of view `fovy` over an up vector of
// length 1 (so the direction is 0.5 / tan(fovy / 2) long) and the width following the picture's
// aspect ratio, as the view's projection follows its window. `sky` keeps the view's roll.
void WriteCamera37(TextOut& out, const SceneView& view) {
    const double halfAngle = static_cast<double>(view.fovy) / 2.0 * 3.14159265358979323846 / 180.0;
    const double tangent = std::tan(halfAngle);
    char direction[64];
    const int n =
        std::snprintf(direction, sizeof direction, "%.6f", tangent > 0.0 ? 0.5 / tangent : 1.0);
    if (view.orthographic) {
        // The lengths the view spans; the eye sits on the near plane, so nothing in front of
        // the view's picture is lost.
        out.Literal("camera {\r\n\torthographic\r\n");
        out.Put(Triple("\tlocation <", view.eye.x, view.eye.y, -view.eye.z, ">\r\n"));
        out.Put("\tright x*" + MatrixNumber(view.orthoWidth) + "\r\n\tup y*" +
                MatrixNumber(view.orthoHeight) + "\r\n");
    } else {
        out.Literal("camera {\r\n\tperspective\r\n");
        out.Put(Triple("\tlocation <", view.eye.x, view.eye.y, -view.eye.z, ">\r\n"));
        out.Literal("\tright x*image_width/image_height\r\n\tup y\r\n");
        out.Put("\tdirection z*" + std::string(direction, n > 0 ? static_cast<size_t>(n) : 0) +
                "\r\n");
    }
    out.Put(Triple("\tsky <", view.up.x, view.up.y, -view.up.z, ">\r\n"));
    out.Put(Triple("\tlook_at <", view.target.x, view.target.y, -view.target.z, ">\r\n"));
    out.Literal("\t}\r\n\r\n");
}

void WriteScene37(TextOut& out, const Document& doc, const SceneView& view) {
    WriteHeaderLine(out);
    out.Literal("#version 3.7;\r\n\r\n");
    out.Literal("global_settings { assumed_gamma 1.0 }\r\n");
    // The picture size is an option of the renderer, no longer of the scene.
    out.Put("// Render at the view's size: +W" + std::to_string(view.width) + " +H" +
            std::to_string(view.height) + "\r\n\r\n");
    WriteCamera37(out, view);
    for (size_t i = 0; i < view.lightPositions.size(); ++i) {
        const Vec3& at = view.lightPositions[i];
        const std::array<float, 3>& rgb = view.lightColors[i];
        out.Put(Triple("light_source { <", at.x, at.y, at.z, ">") +
                Triple(" color rgb <", rgb[0], rgb[1], rgb[2], "> }\r\n"));
    }
    out.Put(Triple("background { color rgb <", view.backColor[0], view.backColor[1],
                   view.backColor[2], "> }\r\n\r\n"));
    out.Literal("cylinder{<0,0,0>,<1,0,0>,0.05 pigment{rgb <1,0,0>}}\r\n");
    out.Literal("cylinder{<0,0,0>,<0,1,0>,0.05 pigment{rgb <0,1,0>}}\r\n");
    out.Literal("cylinder{<0,0,0>,<0,0,-1>,0.05 pigment{rgb <0,0,1>}}\r\n\r\n");
    WriteDeclarationsAndObjects(out, doc, MoveStyle::Scene, Dialect::Pov37);
}

void WriteInclude37(TextOut& out, const Document& doc) {
    WriteHeaderLine(out);
    WriteDeclarationsAndObjects(out, doc, MoveStyle::Include, Dialect::Pov37);
}

int WriteFile(const std::string& path, std::string* why,
              const std::function<void(TextOut&)>& body) {
    const bool written = WriteFileAtomically(
        path,
        [&](std::FILE* f) {
            TextOut out(f);
            body(out);
            out.Flush();
            return out.ok();
        },
        why);
    return written ? 0 : -1;
}

}  // namespace

SceneView DefaultSceneView(int32_t width, int32_t height, float altitude, float fovy,
                           std::array<float, 4> backColor) {
    SceneView view;
    view.width = width;
    view.height = height;
    view.eye = Vec3{0.0f, 0.0f, altitude};
    view.target = Vec3{};
    view.up = Vec3{0.0f, 1.0f, 0.0f};
    view.fovy = fovy;
    view.backColor = backColor;
    return view;
}

std::string SceneText(const Document& doc, const SceneView& view) {
    std::string text;
    TextOut out(&text);
    WriteScene(out, doc, view);
    out.Flush();
    return text;
}

std::string IncludeText(const Document& doc) {
    std::string text;
    TextOut out(&text);
    WriteInclude(out, doc);
    out.Flush();
    return text;
}

int ExportScene(const Document& doc, const SceneView& view, const std::string& path,
                std::string* why) {
    return WriteFile(path, why, [&](TextOut& out) { WriteScene(out, doc, view); });
}

int ExportInclude(const Document& doc, const std::string& path, std::string* why) {
    return WriteFile(path, why, [&](TextOut& out) { WriteInclude(out, doc); });
}

std::string Scene37Text(const Document& doc, const SceneView& view) {
    std::string text;
    TextOut out(&text);
    WriteScene37(out, doc, view);
    out.Flush();
    return text;
}

std::string Include37Text(const Document& doc) {
    std::string text;
    TextOut out(&text);
    WriteInclude37(out, doc);
    out.Flush();
    return text;
}

int ExportScene37(const Document& doc, const SceneView& view, const std::string& path,
                  std::string* why) {
    return WriteFile(path, why, [&](TextOut& out) { WriteScene37(out, doc, view); });
}

int ExportInclude37(const Document& doc, const std::string& path, std::string* why) {
    return WriteFile(path, why, [&](TextOut& out) { WriteInclude37(out, doc); });
}

}  // namespace zarni
