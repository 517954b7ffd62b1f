// POV-Ray scene and include text, built in 64 KiB pieces so large documents stream to disk.
#include "model/pov_export.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "model/file_io.h"
#include "model/fixed_format.h"

namespace zarni {

namespace {

const char kCaption[] = "Zarni!_ver0.1a";
const char kMakerCredit[] = "Zarni! project";

// Collects text in a fixed buffer and hands each full buffer to a file or a string. Writers
// ask for room first and then fill the buffer directly, so formatting a number costs no call
// into stdio.
class TextOut {
  public:
    explicit TextOut(std::FILE* file) : file_(file), buffer_(new char[kSize]) {}
    explicit TextOut(std::string* text) : text_(text), buffer_(new char[kSize]) {}

    // A pointer with at least `n` (at most kSize) writable bytes; pass the end to Commit.
    char* Room(size_t n) {
        if (used_ + n > kSize) Flush();
        return buffer_.get() + used_;
    }
    void Commit(char* end) { used_ = static_cast<size_t>(end - buffer_.get()); }

    void Put(const char* s, size_t n) {
        if (n > kSize) {
            Flush();
            Deliver(s, n);
            return;
        }
        char* p = Room(n);
        std::memcpy(p, s, n);
        Commit(p + n);
    }
    void Put(const std::string& s) { Put(s.data(), s.size()); }
    template <size_t N>
    void Literal(const char (&s)[N]) {
        Put(s, N - 1);
    }

    void Flush() {
        Deliver(buffer_.get(), used_);
        used_ = 0;
    }
    bool ok() const { return ok_; }

  private:
    static constexpr size_t kSize = 64 * 1024;

    void Deliver(const char* s, size_t n) {
        if (n == 0) return;
        if (file_ != nullptr) {
            if (std::fwrite(s, 1, n, file_) != n) ok_ = false;
        } else {
            text_->append(s, n);
        }
    }

    std::FILE* file_ = nullptr;
    std::string* text_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    size_t used_ = 0;
    bool ok_ = true;
};

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

std::string Triple(const char* open, float a, float b, float c, const char* close) {
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

void WriteFreeCurves(TextOut& out, const PatchObject& obj, Marks& marks) {
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
        *p++ = '\r';
        *p++ = '\n';
        out.Commit(p);
    }
}

void WriteLonePoints(TextOut& out, const PatchObject& obj, const Marks& marks) {
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
        *p++ = '\r';
        *p++ = '\n';
        out.Commit(p);
    }
}

void WriteObject(TextOut& out, const PatchObject& obj, MoveStyle style, Marks& marks) {
    out.Literal("// ");
    out.Put(obj.name.c_str(), std::strlen(obj.name.c_str()));  // printf's %s ends at a NUL
    out.Literal("\r\n");
    out.Put(SymmetryComment(obj, style));
    out.Literal("////////////////////////////////////////////////////////////////////////\r\n");
    out.Literal("union{\r\n");
    marks.points.assign(obj.points.size(), 0);
    marks.segments.assign(obj.segments.size(), 0);
    WritePatches(out, obj, marks);
    out.Put(Triple("\tpigment{rgb<", obj.color[0], obj.color[1], obj.color[2], ">}\r\n"));
    out.Literal("\t}\r\n\r\n");
    WriteFreeCurves(out, obj, marks);
    WriteLonePoints(out, obj, marks);
}

void WriteHeaderLine(TextOut& out) {
    out.Put(std::string("//Generated by ") + kCaption + " (" + kMakerCredit + ")\r\n\r\n");
}

void WriteDeclarationsAndObjects(TextOut& out, const Document& doc, MoveStyle style) {
    out.Literal("#declare Type=1;\r\n#declare Flat=0;\r\n#declare Step=4;\r\n\r\n");
    Marks marks;
    for (const PatchObject& obj : doc.objects)
        WriteObject(out, obj, style, marks);
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
    WriteDeclarationsAndObjects(out, doc, MoveStyle::Scene);
}

void WriteInclude(TextOut& out, const Document& doc) {
    WriteHeaderLine(out);
    WriteDeclarationsAndObjects(out, doc, MoveStyle::Include);
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

}  // namespace zarni
