// Picking the current object's points by projection or in selection mode, and the rubber band.
#include "gl/pick.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/settings.h"
#include "ops/point_sets.h"
#include "gl/scene.h"

namespace zarni {

namespace {

int32_t g_lastHitCount = 0;

// One buffer for every pick: a pick returns before the next one starts.
std::vector<GLuint>& SelectBuffer() {
    static std::vector<GLuint> buffer;
    return buffer;
}

// a x b, column-major.
Matrix4 Product(const Matrix4& a, const Matrix4& b) {
    Matrix4 m{};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += a[k * 4 + r] * b[c * 4 + k];
            m[c * 4 + r] = sum;
        }
    }
    return m;
}

bool HasPoints(const Document& doc) {
    const PatchObject* obj = doc.Current();
    return obj != nullptr && !obj->points.empty();
}

// Calls f(i) for every pickable point in the order drawing uses, so that the hit records come
// in that order: the kind the present mode selects first, then (unless "Minimum Drawing") the
// other kind for orientation. Handles take part only when their anchor is selected.
template <class F>
void ForEachPickable(const PickInput& in, F f) {
    const PatchObject* obj = in.doc.Current();
    if (obj == nullptr) return;
    const int32_t n = obj->pointCount();
    const std::vector<uint8_t> ownerSelected = IndexBitmap(in.doc.selectedAnchors, n);
    const bool minimum = (in.controlFlags & kControlMinimumDrawing) != 0;
    auto visible = [&](const ControlPoint& p) {
        return p.layer < in.sw.layerVisible.size() && in.sw.layerVisible[p.layer] != 0;
    };
    auto anchors = [&] {
        for (int32_t i = 0; i < n; ++i) {
            const ControlPoint& p = obj->points[i];
            if (p.anchor < 0 && visible(p)) f(i, p);
        }
    };
    auto handles = [&] {
        for (int32_t i = 0; i < n; ++i) {
            const ControlPoint& p = obj->points[i];
            if (p.anchor >= 0 && p.anchor < n && ownerSelected[p.anchor] && visible(p)) f(i, p);
        }
    };
    if (in.sw.handleMode == 0) {
        anchors();
        if (!minimum) handles();
    } else {
        handles();
        if (!minimum) anchors();
    }
}

// Draws the pickable points with their indices as names into the pick region centred at
// (x, y) (GL window coordinates) of the given size, and returns the names of the hit records
// in record order. The buffer holds a record for every pickable point, so it cannot overflow.
std::vector<int32_t> SelectionModeHits(const PickInput& in, const ViewCamera& view, double x,
                                       double y, double width, double height) {
    int32_t pickable = 0;
    ForEachPickable(in, [&](int32_t, const ControlPoint&) { ++pickable; });
    std::vector<GLuint>& buffer = SelectBuffer();
    const size_t words = std::max<size_t>(kSelectBufferWords, 4 * static_cast<size_t>(pickable));
    if (buffer.size() < words) buffer.resize(words);

    GLint viewport[4] = {0, 0, view.width, view.height};
    glViewport(0, 0, view.width, view.height);
    glSelectBuffer(static_cast<GLsizei>(buffer.size()), buffer.data());
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(~0u);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPickMatrix(x, y, width, height, viewport);
    glMultMatrixd(ProjectionMatrix(view, in.fovy).data());
    ApplyViewTransform(view, false);

    glPointSize(kPickPointSize);
    ForEachPickable(in, [](int32_t i, const ControlPoint& p) {
        glLoadName(static_cast<GLuint>(i));
        glBegin(GL_POINTS);
        glVertex3f(p.x, p.y, p.z);
        glEnd();
    });
    glPopName();
    const GLint records = glRenderMode(GL_RENDER);
    LoadProjection(view, in.fovy);

    std::vector<int32_t> names;
    const int32_t n = in.doc.Current()->pointCount();
    size_t at = 0;
    for (GLint r = 0; r < records && at + 3 <= buffer.size(); ++r) {
        const GLuint count = buffer[at];
        if (count == 0 || at + 3 + count > buffer.size()) break;
        const GLuint name = buffer[at + 3 + count - 1];
        if (name < static_cast<GLuint>(n)) names.push_back(static_cast<int32_t>(name));
        at += 3 + count;
    }
    return names;
}

// The records selection mode would give, found on the processor: every pickable point whose
// clip coordinates under pick matrix x projection x view transform lie inside the clip volume
// (-w <= x, y, z <= w, boundaries included, as GL clips points), in drawing order. The pick
// matrix only scales and shifts x and y, so the test is made in window units against the
// region's half size instead of composing it.
std::vector<int32_t> ProjectedHits(const PickInput& in, const ViewCamera& view, double x, double y,
                                   double width, double height) {
    const Matrix4 mvp = Product(ProjectionMatrix(view, in.fovy), ViewMatrix(view));
    // As gluPickMatrix: no restriction unless both sizes are positive.
    const bool region = width > 0.0 && height > 0.0;
    const double vw = view.width, vh = view.height;
    // Window x of a clip point is (x / w + 1) * vw / 2; inside the region when
    // |(x / w + 1) * vw / 2 - cx| <= width / 2, i.e. |x * vw / 2 + w * (vw / 2 - cx)| <= w * width
    // / 2.
    const double sx = vw / 2.0, tx = vw / 2.0 - x, hx = width / 2.0;
    const double sy = vh / 2.0, ty = vh / 2.0 - y, hy = height / 2.0;
    std::vector<int32_t> names;
    ForEachPickable(in, [&](int32_t i, const ControlPoint& p) {
        const double px = p.x, py = p.y, pz = p.z;
        const double cw = mvp[3] * px + mvp[7] * py + mvp[11] * pz + mvp[15];
        if (!(cw > 0.0)) return;  // behind the eye, or not a number
        const double cz = mvp[2] * px + mvp[6] * py + mvp[10] * pz + mvp[14];
        if (cz < -cw || cz > cw) return;
        const double cx = mvp[0] * px + mvp[4] * py + mvp[8] * pz + mvp[12];
        const double cy = mvp[1] * px + mvp[5] * py + mvp[9] * pz + mvp[13];
        if (region) {
            if (std::abs(cx * sx + cw * tx) > cw * hx) return;
            if (std::abs(cy * sy + cw * ty) > cw * hy) return;
        } else if (cx < -cw || cx > cw || cy < -cw || cy > cw) {
            return;
        }
        names.push_back(i);
    });
    return names;
}

}  // namespace

std::vector<int32_t> PickHits(const PickInput& in, const ViewCamera& view, double x, double y,
                              double width, double height) {
    if (!HasPoints(in.doc)) return {};
    if (in.method == PickMethod::SelectionMode)
        return SelectionModeHits(in, view, x, y, width, height);
    return ProjectedHits(in, view, x, y, width, height);
}

PickResult PickPointHits(const PickInput& in, const ViewCamera& view, CursorPoint cursor) {
    PickResult result;
    if (!HasPoints(in.doc)) {
        g_lastHitCount = 0;
        return result;
    }
    g_lastHitCount = -1;
    const std::vector<int32_t> names =
        PickHits(in, view, cursor.x, view.height - cursor.y - 1, kPickSize, kPickSize);
    result.hitCount = static_cast<int32_t>(names.size());
    g_lastHitCount = result.hitCount;
    if (names.empty()) return result;
    result.firstName = names.front();
    result.lastName = names.back();

    const std::vector<ControlPoint>& points = in.doc.Current()->points;
    const bool wantHandle = in.sw.handleMode != 0;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if ((points[*it].anchor >= 0) == wantHandle) {
            result.index = *it;
            return result;
        }
    }
    result.index = names.back();
    return result;
}

int32_t PickPoint(const PickInput& in, const ViewCamera& view, CursorPoint cursor) {
    return PickPointHits(in, view, cursor).index;
}

int32_t LastHitCount() {
    return g_lastHitCount;
}

int32_t PickRectangle(Document& doc, const EditSwitches& sw, int32_t controlFlags,
                      const ViewCamera& view, float fovy, int32_t left, int32_t top, int32_t width,
                      int32_t height, ModifierKeys keys, Vec3* dragOrigin, PickMethod method) {
    if (!HasPoints(doc)) return -1;
    const bool intersect = sw.intersectSelect != 0;
    // The intersection replaces the selection by itself; emptying it first would always leave
    // nothing to intersect with.
    if (!keys.shift && !keys.ctrl && !intersect) SelectNone(doc, sw);

    PickInput in(doc, sw, controlFlags);
    in.fovy = fovy;
    in.method = method;
    const std::vector<int32_t> names =
        PickHits(in, view, left + width / 2.0, view.height - top - height / 2.0 - 1, width, height);
    if (names.empty()) return -1;

    PatchObject& obj = *doc.Current();
    const int32_t n = obj.pointCount();
    const bool handleMode = sw.handleMode != 0;
    std::vector<int32_t>& list = handleMode ? doc.selectedHandles : doc.selectedAnchors;
    std::vector<uint8_t> inList = IndexBitmap(list, n);
    std::vector<int32_t> chosen;
    if (intersect) {
        for (int32_t name : names)
            if (inList[name]) chosen.push_back(name);
        SelectNone(doc, sw);
        std::fill(inList.begin(), inList.end(), 0);
    }
    // Selecting each name with "add", with membership kept in a bitmap: a band over a large
    // object selects thousands of points.
    const std::vector<uint8_t> ownerSelected = IndexBitmap(doc.selectedAnchors, n);
    for (int32_t i : intersect ? chosen : names) {
        const int32_t owner = obj.points[i].anchor;
        const bool eligible =
            handleMode ? owner >= 0 && owner < n && ownerSelected[owner] : owner < 0;
        if (!eligible) continue;
        doc.activePoint = i;
        if (!inList[i]) {
            list.push_back(i);
            inList[i] = 1;
        }
    }
    if (dragOrigin && doc.activePoint >= 0 && doc.activePoint < n) {
        const ControlPoint& p = obj.points[doc.activePoint];
        *dragOrigin = Vec3{p.x, p.y, p.z};
    }
    return names.back();
}

void DrawRubberBand(const ViewCamera& view, float fovy, CursorPoint from, CursorPoint to) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, view.width, view.height, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLboolean depth = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    const GLboolean lighting = glIsEnabled(GL_LIGHTING);
    const GLboolean texture = glIsEnabled(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    // The band inverts what lies under it, so it shows on every background and over every
    // surface colour; the colour below is ignored by the logic operation.
    glEnable(GL_COLOR_LOGIC_OP);
    glLogicOp(GL_INVERT);
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(1, 0x5555);
    glLineWidth(1.0f);
    glColor3f(0.0f, 0.0f, 0.0f);
    const float x0 = from.x + 0.5f, y0 = from.y + 0.5f, x1 = to.x + 0.5f, y1 = to.y + 0.5f;
    glBegin(GL_LINE_LOOP);
    glVertex2f(x0, y0);
    glVertex2f(x0, y1);
    glVertex2f(x1, y1);
    glVertex2f(x1, y0);
    glEnd();
    glDisable(GL_LINE_STIPPLE);
    glLogicOp(GL_COPY);
    glDisable(GL_COLOR_LOGIC_OP);
    if (texture) glEnable(GL_TEXTURE_2D);
    if (lighting) glEnable(GL_LIGHTING);
    if (depth) glEnable(GL_DEPTH_TEST);
    LoadProjection(view, fovy);
}

}  // namespace zarni
