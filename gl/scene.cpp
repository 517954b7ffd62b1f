// The paint routine of a view and the GL state, projection and matrices around it.
#include "gl/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <vector>

namespace zarni {

namespace {

constexpr float kRadiansToDegrees = 180.0f / kCameraPi;

constexpr GLfloat kLightPosition[3][4] = {
    {10.0f, -40.0f, 20.0f, -30.0f}, {-30.0f, 50.0f, 10.0f, 50.0f}, {50.0f, -90.0f, -90.0f, 1.0f}};
constexpr GLfloat kLightDiffuse[3][4] = {
    {1.0f, 1.0f, 1.0f, 1.0f}, {0.7f, 0.7f, 0.7f, 1.0f}, {0.5f, 0.5f, 0.5f, 1.0f}};
constexpr GLfloat kMaterialAmbient[4] = {0.7f, 0.7f, 0.7f, 1.0f};
constexpr GLfloat kMaterialDiffuse[4] = {0.7f, 0.7f, 0.7f, 1.0f};
constexpr GLfloat kMaterialSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLfloat kMaterialShininess = 100.0f;

void Color(const std::array<float, 3>& c) {
    glColor3f(c[0], c[1], c[2]);
}

bool MinimumDrawing(const SceneInput& in) {
    return (in.settings.controlFlags & kControlMinimumDrawing) != 0;
}

// Membership of the current object's points in a selection list, by point index.
std::vector<char> SelectionMask(const std::vector<int32_t>& list, size_t pointCount) {
    std::vector<char> mask(pointCount, 0);
    for (int32_t i : list)
        if (i >= 0 && static_cast<size_t>(i) < pointCount) mask[i] = 1;
    return mask;
}

bool Reduced(const SceneInput& in) {
    return !in.detail.full && in.geometry && in.reducedGeometry &&
           (in.detail.steps < TessellationSteps(in.sw.divLevel) || in.detail.stride > 1);
}

const ObjectArrays* ArraysOf(const SceneInput& in, size_t index, const PatchObject& obj) {
    if (!in.geometry) return nullptr;
    if (Reduced(in) && in.detail.steps < TessellationSteps(in.sw.divLevel))
        return &in.reducedGeometry->Get(index, obj, std::max(1, in.detail.steps));
    return &in.geometry->Get(index, obj, in.sw.divLevel);
}

DrawOptions OptionsOf(const SceneInput& in) {
    DrawOptions o = in.drawOptions;
    o.stride = Reduced(in) ? std::max(1, in.detail.stride) : 1;
    o.slices = in.slices;
    return o;
}

// Points drawn by one piece of a sliced frame: a few milliseconds' worth.
constexpr size_t kPointsPerPiece = 16384;
// Patches or segments whose arms one piece draws.
constexpr size_t kArmsPerPiece = 4096;

// Runs `draw(i)` for every `every`-th index below `count`, in pieces of a sliced frame, each
// piece between its own glBegin and glEnd (points are rasterised one by one, so the pieces
// leave the pixels of one long run).
template <typename Draw>
void PointPieces(const SceneInput& in, size_t count, size_t every, Draw draw) {
    for (size_t first = 0; first < count; first += kPointsPerPiece * every) {
        if (!TakePiece(in.slices)) continue;
        const size_t end = std::min(count, first + kPointsPerPiece * every);
        glBegin(GL_POINTS);
        SurfaceCounters().pointsVisited += (end - first + every - 1) / every;
        for (size_t i = first; i < end; i += every)
            draw(i);
        glEnd();
    }
}

void DrawAxes(Vec3 origin, float length) {
    glBegin(GL_LINES);
    glColor3f(0.8f, 0.2f, 0.2f);
    glVertex3f(origin.x, origin.y, origin.z);
    glVertex3f(origin.x + length, origin.y, origin.z);
    glColor3f(0.2f, 0.8f, 0.2f);
    glVertex3f(origin.x, origin.y, origin.z);
    glVertex3f(origin.x, origin.y + length, origin.z);
    glColor3f(0.2f, 0.2f, 0.8f);
    glVertex3f(origin.x, origin.y, origin.z);
    glVertex3f(origin.x, origin.y, origin.z + length);
    glEnd();
}

void ApplyOrthoModelTransform(const ViewCamera& view) {
    const float s = 4.0f / view.altitude;
    glScalef(s, s, s);
    glTranslatef(view.panX, view.panY, 0.0f);
    glRotatef(-view.pitch * kRadiansToDegrees, 1.0f, 0.0f, 0.0f);
    glRotatef(-view.yaw * kRadiansToDegrees, 0.0f, 1.0f, 0.0f);
}

}  // namespace

int32_t GuideFlags(uint8_t displayMode) {
    switch (displayMode) {
        case kDisplayWireframe:
            return kGuideAxes | kGuideCube | kGuideGrid;
        case kDisplayCurrentShaded:
            return kGuideGrid;
        default:
            return 0;
    }
}

void InitContextState(const Settings& settings) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const auto& back = settings.backColorRGBA;
    glClearColor(back[0], back[1], back[2], back[3]);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_AUTO_NORMAL);
    glShadeModel(GL_SMOOTH);

    // The lights are placed in the identity modelview here; drawing places them again.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_LIGHTING);
    for (int i = 0; i < 3; ++i) {
        glLightfv(GL_LIGHT0 + i, GL_POSITION, kLightPosition[i]);
        glLightfv(GL_LIGHT0 + i, GL_DIFFUSE, kLightDiffuse[i]);
        glEnable(GL_LIGHT0 + i);
    }
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, kMaterialAmbient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, kMaterialDiffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, kMaterialSpecular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, kMaterialShininess);
    glDisable(GL_LIGHTING);

    glEnable(GL_MAP1_VERTEX_3);
    glEnable(GL_MAP2_VERTEX_3);
}

void LoadProjection(const ViewCamera& view, float fovy) {
    glViewport(0, 0, view.width, view.height);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(ProjectionMatrix(view, fovy).data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void SaveViewMatrices(ViewCamera& view) {
    glGetDoublev(GL_MODELVIEW_MATRIX, view.modelview.data());
    glGetDoublev(GL_PROJECTION_MATRIX, view.projection.data());
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    std::copy(vp, vp + 4, view.viewport.begin());
}

void SizeView(ViewCamera& view, float fovy, const SceneInput& in) {
    LoadProjection(view, fovy);
    DrawView(in, view);
    SaveViewMatrices(view);
}

void ApplyViewTransform(const ViewCamera& view, bool placeLights) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (view.perspective) {
        gluLookAt(view.eye.x, view.eye.y, view.eye.z, view.target.x, view.target.y, view.target.z,
                  view.up.x, view.up.y, view.up.z);
        return;
    }
    gluLookAt(0.0, 0.0, kOrthoEyeDistance, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    if (placeLights) PlaceLights();
    ApplyOrthoModelTransform(view);
}

void PlaceLights() {
    for (int i = 0; i < 3; ++i)
        glLightfv(GL_LIGHT0 + i, GL_POSITION, kLightPosition[i]);
}

void DrawView(const SceneInput& in, const ViewCamera& view) {
    const auto& back = in.settings.backColorRGBA;
    glClearColor(back[0], back[1], back[2], back[3]);
    if (TakePiece(in.slices)) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ApplyViewTransform(view, view.displayMode != kDisplayWireframe);
    DrawObjects(in, view);
    if (in.sw.backPictureVisible) {
        if (view.perspective) {
            for (int k = 0; k < kBackSlotCount; ++k)
                if (TakePiece(in.slices)) DrawBackPicture(in, k);
        } else if (TakePiece(in.slices)) {
            DrawBackPicture(in, view.viewIndex);
        }
    }
    if (TakePiece(in.slices)) DrawGuides(in, view.displayMode);
    if (view.displayMode == kDisplayWireframe && !in.cameraDragging) DrawPoints(in);
}

void DrawObjects(const SceneInput& in, const ViewCamera& view) {
    const Document& doc = in.doc;
    const bool all = in.sw.showAllObjects != 0;
    const int32_t div = in.sw.divLevel;
    const auto& wire = in.settings.wireColor;
    const auto& other = in.settings.otherObjectColor;
    const DrawOptions options = OptionsOf(in);

    if (view.displayMode == kDisplayWireframe) {
        for (size_t i = 0; i < doc.objects.size(); ++i) {
            const PatchObject& obj = doc.objects[i];
            const bool current = static_cast<int32_t>(i) == doc.currentObject;
            Color(wire);
            if (TakePiece(in.slices)) DrawCurvePreview(in);
            if (obj.segments.empty() || (!all && !current)) continue;
            Color(current ? wire : other);
            DrawObjectCurves(obj, div, ArraysOf(in, i, obj), options);
        }
        if (in.sw.handleMode == 1 || !MinimumDrawing(in)) DrawControlArms(in);
        return;
    }

    for (size_t i = 0; i < doc.objects.size(); ++i) {
        const PatchObject& obj = doc.objects[i];
        const bool current = static_cast<int32_t>(i) == doc.currentObject;
        if (obj.segments.empty() || (!all && !current)) continue;
        const ObjectArrays* arrays = ArraysOf(in, i, obj);
        if (view.displayMode == kDisplayShaded || current) {
            glEnable(GL_LIGHTING);
            if (view.perspective) PlaceLights();
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, obj.color.data());
            DrawObjectSurfaces(obj, div, arrays, options);
            glDisable(GL_LIGHTING);
            if (view.displayMode == kDisplayCurrentShaded) {
                Color(wire);
                DrawObjectCurves(obj, div, arrays, options);
            }
        } else {
            Color(other);
            DrawObjectCurves(obj, div, arrays, options);
        }
    }
}

void DrawGuides(const SceneInput& in, uint8_t displayMode) {
    const int32_t flags = GuideFlags(displayMode);
    const float size = in.settings.axesSize;
    if (flags & kGuideAxes) {
        glLineWidth(kAxisLineWidth);
        DrawAxes(Vec3{}, size);
        if (in.sw.pivotMode == 1) DrawAxes(in.doc.pivot, size / 7.0f);
        glLineWidth(1.0f);
    }
    if (flags & kGuideCube) {
        Color(kGuideColor);
        const float s = size;
        glBegin(GL_LINES);
        for (int a = -1; a <= 1; ++a) {
            for (int b = -1; b <= 1; ++b) {
                glVertex3f(a * s, b * s, s);
                glVertex3f(a * s, b * s, -s);
                glVertex3f(a * s, s, b * s);
                glVertex3f(a * s, -s, b * s);
                glVertex3f(s, a * s, b * s);
                glVertex3f(-s, a * s, b * s);
            }
        }
        glEnd();
    }
    if (flags & kGuideGrid) {
        Color(kGuideColor);
        const float g = size / 2.0f;
        const int n = kGridHalfCount;
        glBegin(GL_LINES);
        for (int k = -n; k <= n; ++k) {
            glVertex3f(k * g, 0.0f, -n * g);
            glVertex3f(k * g, 0.0f, n * g);
        }
        for (int k = -n; k <= n; ++k) {
            glVertex3f(-n * g, 0.0f, k * g);
            glVertex3f(n * g, 0.0f, k * g);
        }
        glEnd();
    }
}

void DrawControlArms(const SceneInput& in) {
    const PatchObject* obj = in.doc.Current();
    if (!obj) return;
    const std::vector<char> selected = SelectionMask(in.doc.selectedAnchors, obj->points.size());
    auto isSelected = [&](int32_t p) {
        return p >= 0 && static_cast<size_t>(p) < selected.size() && selected[p];
    };
    Color(in.settings.handleColor);

    // Corner (row, column) of the net, then the three net positions that close its loop.
    static constexpr int kLoops[4][4][2] = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}},
                                            {{0, 3}, {1, 3}, {1, 2}, {0, 2}},
                                            {{3, 0}, {2, 0}, {2, 1}, {3, 1}},
                                            {{3, 3}, {2, 3}, {2, 2}, {3, 2}}};
    // With everything selected a huge object has arms by the million: they are drawn in pieces
    // of a sliced frame, as the points are.
    // A reduced picture draws the arms of every stride-th patch and segment, as it thins the
    // points.
    const size_t every = Reduced(in) ? static_cast<size_t>(std::max(1, in.detail.stride)) : 1;
    const size_t patches = std::min(obj->patches.size(), obj->patchCache.size() / 48);
    const int32_t segCount = obj->segmentCount();
    for (size_t first = 0; first < patches; first += kArmsPerPiece * every) {
        if (!TakePiece(in.slices)) continue;
        const size_t end = std::min(patches, first + kArmsPerPiece * every);
        SurfaceCounters().armsVisited += (end - first + every - 1) / every;
        for (size_t p = first; p < end; p += every) {
            const Patch& q = obj->patches[p];
            if (q.edge0 < 0 || q.edge0 >= segCount || q.edge1 < 0 || q.edge1 >= segCount) continue;
            const int32_t corners[4] = {obj->segments[q.edge0].p0, obj->segments[q.edge0].p3,
                                        obj->segments[q.edge1].p0, obj->segments[q.edge1].p3};
            const float* net = obj->patchCache.data() + 48 * p;
            for (int c = 0; c < 4; ++c) {
                if (!isSelected(corners[c])) continue;
                glBegin(GL_LINE_LOOP);
                for (const auto& rc : kLoops[c])
                    glVertex3fv(net + (rc[0] * 4 + rc[1]) * 3);
                glEnd();
            }
        }
    }
    const size_t segments = std::min(obj->segments.size(), obj->segmentCache.size() / 12);
    for (size_t first = 0; first < segments; first += kArmsPerPiece * every) {
        if (!TakePiece(in.slices)) continue;
        const size_t end = std::min(segments, first + kArmsPerPiece * every);
        SurfaceCounters().armsVisited += (end - first + every - 1) / every;
        glBegin(GL_LINES);
        for (size_t s = first; s < end; s += every) {
            const Segment& seg = obj->segments[s];
            const float* cp = obj->segmentCache.data() + 12 * s;
            if (isSelected(seg.p0)) {
                glVertex3fv(cp);
                glVertex3fv(cp + 3);
            }
            if (isSelected(seg.p3)) {
                glVertex3fv(cp + 9);
                glVertex3fv(cp + 6);
            }
        }
        glEnd();
    }
}

void DrawCurvePreview(const SceneInput& in) {
    if (!in.preview.active) return;
    const auto& q = in.preview.q;
    const int32_t n = std::clamp(in.sw.divLevel, 1, 20);
    const GLfloat cp[12] = {q[0].x, q[0].y, q[0].z, q[1].x, q[1].y, q[1].z,
                            q[2].x, q[2].y, q[2].z, q[3].x, q[3].y, q[3].z};
    glMapGrid1f(n, 0.0f, 1.0f);
    glMap1f(GL_MAP1_VERTEX_3, 0.0f, 1.0f, 3, 4, cp);
    glEvalMesh1(GL_LINE, 0, n);
    glBegin(GL_LINES);
    glVertex3f(q[0].x, q[0].y, q[0].z);
    glVertex3f(q[1].x, q[1].y, q[1].z);
    glVertex3f(q[2].x, q[2].y, q[2].z);
    glVertex3f(2 * q[3].x - q[2].x, 2 * q[3].y - q[2].y, 2 * q[3].z - q[2].z);
    glEnd();
}

void DrawPoints(const SceneInput& in) {
    const PatchObject* obj = in.doc.Current();
    if (!obj) return;
    const size_t count = obj->points.size();
    const std::vector<char> anchors = SelectionMask(in.doc.selectedAnchors, count);
    const std::vector<char> handles = SelectionMask(in.doc.selectedHandles, count);
    const bool minimum = MinimumDrawing(in);
    auto visible = [&](const ControlPoint& p) {
        return p.layer < in.sw.layerVisible.size() && in.sw.layerVisible[p.layer] != 0;
    };
    auto ownerSelected = [&](const ControlPoint& p) {
        return p.anchor >= 0 && static_cast<size_t>(p.anchor) < count && anchors[p.anchor];
    };

    // A reduced picture shows every stride-th point, so a million of them keep to the budget
    // while the user drags.
    const size_t every = Reduced(in) ? static_cast<size_t>(std::max(1, in.detail.stride)) : 1;
    const std::vector<ControlPoint>& points = obj->points;

    glPointSize(kPointSize);
    if (in.sw.handleMode == 0) {
        PointPieces(in, count, every, [&](size_t i) {
            const ControlPoint& p = points[i];
            if (p.anchor >= 0 || !visible(p)) return;
            Color(anchors[i] ? kSelectedPointColor : kPointColor);
            glVertex3f(p.x, p.y, p.z);
        });
        if (!minimum) {
            Color(in.settings.handleColor);
            PointPieces(in, count, every, [&](size_t i) {
                const ControlPoint& p = points[i];
                if (visible(p) && ownerSelected(p)) glVertex3f(p.x, p.y, p.z);
            });
        }
    } else {
        PointPieces(in, count, every, [&](size_t i) {
            const ControlPoint& p = points[i];
            if (!visible(p) || !ownerSelected(p)) return;
            Color(handles[i] ? kSelectedPointColor : kPointColor);
            glVertex3f(p.x, p.y, p.z);
        });
        if (!minimum) {
            Color(in.settings.handleColor);
            PointPieces(in, count, every, [&](size_t i) {
                const ControlPoint& p = points[i];
                if (p.anchor < 0 && visible(p)) glVertex3f(p.x, p.y, p.z);
            });
        }
    }
}

void DrawBackPicture(const SceneInput& in, int slot) {
    if (slot < 0 || slot >= kBackSlotCount) return;
    const BackPictureInput& pic = in.backPictures[slot];
    if (pic.width <= 0 || pic.height <= 0 || in.doc.pictureRatio <= 0) return;
    const BackPictureSlot& s = in.doc.backPictures[slot];
    const float ratio = static_cast<float>(in.doc.pictureRatio);
    const float hw = (pic.width / ratio) / 2.0f;
    const float hh = (pic.height / ratio) / 2.0f;
    const float corners[kBackSlotCount][4][3] = {
        {{-hw, hh, 0}, {-hw, -hh, 0}, {hw, -hh, 0}, {hw, hh, 0}},
        {{hw, hh, 0}, {hw, -hh, 0}, {-hw, -hh, 0}, {-hw, hh, 0}},
        {{0, hh, -hw}, {0, -hh, -hw}, {0, -hh, hw}, {0, hh, hw}},
        {{0, hh, hw}, {0, -hh, hw}, {0, -hh, -hw}, {0, hh, -hw}},
        {{-hw, 0, -hh}, {-hw, 0, hh}, {hw, 0, hh}, {hw, 0, -hh}},
        {{-hw, 0, hh}, {-hw, 0, -hh}, {hw, 0, -hh}, {hw, 0, hh}}};
    static constexpr float kTexCoords[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, pic.texture);
    // The environment belongs to the context, not to the texture: the picture's own colours,
    // whatever colour the last line was drawn in.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    glPushMatrix();
    glTranslatef(s.position.x, s.position.y, s.position.z);
    glRotatef(s.rotation.x, 1.0f, 0.0f, 0.0f);
    glRotatef(s.rotation.y, 0.0f, 1.0f, 0.0f);
    glRotatef(s.rotation.z, 0.0f, 0.0f, 1.0f);
    glScalef(s.scale.x, s.scale.y, s.scale.z);
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2fv(kTexCoords[i]);
        glVertex3fv(corners[slot][i]);
    }
    glEnd();
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
}

float ReadDepthAt(const ViewCamera& view, CursorPoint cursor) {
    GLfloat depth = 1.0f;
    glReadPixels(cursor.x, view.viewport[3] - cursor.y - 1, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT,
                 &depth);
    return depth;
}

Vec3 CursorToModelInContext(const ViewCamera& view, CursorPoint cursor, Vec3 dragOrigin) {
    const float depth = view.perspective ? ReadDepthAt(view, cursor) : 0.0f;
    return CursorToModel(view, cursor, depth, dragOrigin);
}

}  // namespace zarni
