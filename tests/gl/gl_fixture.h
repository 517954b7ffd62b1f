// An offscreen OSMesa context for the drawing tests, small documents built in code, and pixel
// helpers.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/osmesa.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "model/document.h"
#include "model/settings.h"
#include "view/camera.h"
#include "gl/scene.h"

namespace zarni::gltest {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

using Rgb = std::array<int, 3>;

inline Rgb ToBytes(const std::array<float, 3>& c) {
    return {{static_cast<int>(c[0] * 255 + 0.5f), static_cast<int>(c[1] * 255 + 0.5f),
             static_cast<int>(c[2] * 255 + 0.5f)}};
}

struct Image {
    int width = kWidth;
    int height = kHeight;
    std::vector<uint8_t> rgba;
    // (x, y) with y downwards, as a cursor position.
    Rgb At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return {{-1000, -1000, -1000}};
        const uint8_t* p = rgba.data() + ((height - 1 - y) * width + x) * 4;
        return {{p[0], p[1], p[2]}};
    }
};

inline bool Same(Rgb a, Rgb b, int tol = 2) {
    return std::abs(a[0] - b[0]) <= tol && std::abs(a[1] - b[1]) <= tol &&
           std::abs(a[2] - b[2]) <= tol;
}

// One context for the whole program; every test starts from freshly set GL state.
class GlTest : public ::testing::Test {
  protected:
    static OSMesaContext Context() {
        static OSMesaContext ctx = [] {
            OSMesaContext c = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
            static std::vector<uint8_t> buffer(kWidth * kHeight * 4);
            if (c) OSMesaMakeCurrent(c, buffer.data(), GL_UNSIGNED_BYTE, kWidth, kHeight);
            return c;
        }();
        return ctx;
    }

    void SetUp() override {
        ASSERT_NE(Context(), nullptr);
        InitContextState(settings);
        glColor3f(1.0f, 1.0f, 1.0f);
        doc = NewDocument();
    }

    ViewCamera Perspective(float pitch = 0.0f, float yaw = 0.0f, float altitude = 9.0f) const {
        ViewCamera v;
        v.width = kWidth;
        v.height = kHeight;
        InitViewCamera(v, altitude);
        v.pitch = pitch;
        v.yaw = yaw;
        UpdateCamera(v);
        return v;
    }

    ViewCamera Ortho(int direction, float altitude = 9.0f) const {
        ViewCamera v = Perspective();
        SelectOrthoDirection(v, CameraMemories{}, direction);
        v.altitude = altitude;
        UpdateCamera(v);
        return v;
    }

    Image Draw(ViewCamera& view, const SceneInput& in) {
        SizeView(view, 30.0f, in);
        glFinish();
        Image img;
        img.rgba.resize(kWidth * kHeight * 4);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, img.rgba.data());
        return img;
    }

    Image Draw(ViewCamera& view, uint8_t mode, GeometryCache* cache = nullptr) {
        view.displayMode = mode;
        SceneInput in(doc, sw, settings);
        in.geometry = cache;
        return Draw(view, in);
    }

    // The pixel (y downwards) where a model point appears in the view last drawn.
    static std::array<int, 2> PixelOf(const ViewCamera& v, Vec3 p) {
        GLdouble x, y, z;
        GLint vp[4] = {v.viewport[0], v.viewport[1], v.viewport[2], v.viewport[3]};
        gluProject(p.x, p.y, p.z, v.modelview.data(), v.projection.data(), vp, &x, &y, &z);
        return {{static_cast<int>(x), v.viewport[3] - 1 - static_cast<int>(y)}};
    }

    // Whether a pixel within `radius` of the point's pixel has the colour.
    static bool ColorNear(const Image& img, const ViewCamera& v, Vec3 p, Rgb c, int radius = 1) {
        const auto px = PixelOf(v, p);
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx)
                if (Same(img.At(px[0] + dx, px[1] + dy), c)) return true;
        return false;
    }

    Rgb Background() const {
        const auto& b = settings.backColorRGBA;
        return ToBytes({{b[0], b[1], b[2]}});
    }

    // Whether the pixel of the point differs from the background.
    bool Covered(const Image& img, const ViewCamera& v, Vec3 p) const {
        const auto px = PixelOf(v, p);
        return !Same(img.At(px[0], px[1]), Background());
    }

    Document doc;
    EditSwitches sw;
    Settings settings;
};

inline ControlPoint Point(Vec3 p, int32_t anchor, uint8_t layer = 0) {
    ControlPoint c;
    c.x = p.x;
    c.y = p.y;
    c.z = p.z;
    c.anchor = anchor;
    c.layer = layer;
    return c;
}

// Appends one curve segment with its own two anchors and two handles; returns the index of p0
// (p1, p2, p3 follow).
inline int32_t AddSegment(PatchObject& obj, Vec3 a, Vec3 b, Vec3 c, Vec3 d) {
    const int32_t base = obj.pointCount();
    obj.points.push_back(Point(a, -1));
    obj.points.push_back(Point(b, base));
    obj.points.push_back(Point(c, base + 3));
    obj.points.push_back(Point(d, -1));
    Segment s;
    s.p0 = base;
    s.p1 = base + 1;
    s.p2 = base + 2;
    s.p3 = base + 3;
    obj.segments.push_back(s);
    RebuildObjectCaches(obj);
    return base;
}

// Appends a patch with the given 4 x 4 net (rows along v, four positions along u), its four
// edge segments and its points.
inline void AddPatch(PatchObject& obj, const std::array<Vec3, 16>& net) {
    const int32_t base = obj.pointCount();
    auto idx = [base](int r, int c) { return base + r * 4 + c; };
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            const bool corner = (r == 0 || r == 3) && (c == 0 || c == 3);
            obj.points.push_back(
                Point(net[r * 4 + c], corner ? -1 : idx(r < 2 ? 0 : 3, c < 2 ? 0 : 3)));
        }
    }
    const int32_t segBase = obj.segmentCount();
    auto seg = [&](int32_t a, int32_t b, int32_t c, int32_t d) {
        Segment s;
        s.p0 = a;
        s.p1 = b;
        s.p2 = c;
        s.p3 = d;
        obj.segments.push_back(s);
    };
    seg(idx(0, 0), idx(0, 1), idx(0, 2), idx(0, 3));
    seg(idx(3, 0), idx(3, 1), idx(3, 2), idx(3, 3));
    seg(idx(0, 0), idx(1, 0), idx(2, 0), idx(3, 0));
    seg(idx(0, 3), idx(1, 3), idx(2, 3), idx(3, 3));
    Patch q;
    q.edge0 = segBase;
    q.edge1 = segBase + 1;
    q.edge2 = segBase + 2;
    q.edge3 = segBase + 3;
    q.inner11 = idx(1, 1);
    q.inner12 = idx(1, 2);
    q.inner21 = idx(2, 1);
    q.inner22 = idx(2, 2);
    obj.patches.push_back(q);
    RebuildObjectCaches(obj);
}

// A flat square patch: centre c, half size h, in the plane with normal axis 2 (z = c.z), or
// axis 1 (y = c.y); `bulge` pushes the middle of the net along the normal.
inline std::array<Vec3, 16> SquareNet(Vec3 c, float h, int normalAxis = 2, float bulge = 0.0f) {
    std::array<Vec3, 16> net{};
    for (int r = 0; r < 4; ++r) {
        for (int col = 0; col < 4; ++col) {
            const float a = -h + 2 * h * col / 3.0f;
            const float b = -h + 2 * h * r / 3.0f;
            const bool inner = (r == 1 || r == 2) && (col == 1 || col == 2);
            const float n = inner ? bulge : 0.0f;
            net[r * 4 + col] =
                normalAxis == 2 ? Vec3{c.x + a, c.y + b, c.z + n} : Vec3{c.x + a, c.y + n, c.z + b};
        }
    }
    return net;
}

}  // namespace zarni::gltest
