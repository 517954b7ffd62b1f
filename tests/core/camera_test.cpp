// Camera maths without a display: vectors, zoom, orthographic memories, drags and the mapping
// of cursor positions to model points.
#include "view/camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zarni {
namespace {

// Model point -> (window x, window y from the bottom, depth) through the saved matrices.
std::array<double, 3> Project(const ViewCamera& v, Vec3 p) {
    const double in[4] = {p.x, p.y, p.z, 1.0};
    double eye[4] = {0, 0, 0, 0}, clip[4] = {0, 0, 0, 0};
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 4; ++k)
            eye[r] += v.modelview[k * 4 + r] * in[k];
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 4; ++k)
            clip[r] += v.projection[k * 4 + r] * eye[k];
    const double x = clip[0] / clip[3], y = clip[1] / clip[3], z = clip[2] / clip[3];
    return {{v.viewport[0] + (x + 1) / 2 * v.viewport[2],
             v.viewport[1] + (y + 1) / 2 * v.viewport[3], (z + 1) / 2}};
}

ViewCamera Sized(int w, int h) {
    ViewCamera v;
    v.width = w;
    v.height = h;
    InitViewCamera(v, 9.0f);
    return v;
}

void ExpectNear(Vec3 a, Vec3 b, float tol = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

TEST(CameraVectors, DefaultLooksAlongMinusZWithYUpAndAnglesMoveTheEye) {
    ViewCamera v = Sized(400, 300);
    ExpectNear(v.eye, Vec3{0, 0, 9});
    ExpectNear(v.target, Vec3{});
    ExpectNear(v.up, Vec3{0, 1, 0});
    ComputeSavedMatrices(v, 30.0f);
    // The origin is in the centre, a point above it is higher on screen, a point further
    // along -Z is deeper.
    const auto o = Project(v, Vec3{});
    EXPECT_NEAR(o[0], 200.0, 1e-6);
    EXPECT_NEAR(o[1], 150.0, 1e-6);
    EXPECT_GT(Project(v, Vec3{0, 1, 0})[1], o[1]);
    EXPECT_GT(Project(v, Vec3{1, 0, 0})[0], o[0]);
    EXPECT_GT(Project(v, Vec3{0, 0, -1})[2], o[2]);

    v.pitch = 0.3f;
    UpdateCamera(v);
    EXPECT_LT(v.eye.y, 0.0f);  // below the XZ plane
    v.pitch = 0.0f;
    v.yaw = 0.3f;
    UpdateCamera(v);
    EXPECT_GT(v.eye.x, 0.0f);
    EXPECT_NEAR(std::hypot(v.eye.x, std::hypot(v.eye.y, v.eye.z)), 9.0f, 1e-4f);

    // Pan moves the target against the camera's right and up directions.
    v = Sized(400, 300);
    v.panX = 2.0f;
    v.panY = 1.0f;
    UpdateCamera(v);
    ExpectNear(v.target, Vec3{-2, -1, 0});
    ExpectNear(v.eye, Vec3{-2, -1, 9});
}

TEST(CameraZoom, TenStepsEachWayCharactersAndWheel) {
    CameraMemories mem = ResetCameraMemories(30.0f, 9.0f);
    ViewCamera v = Sized(400, 300);
    for (int i = 0; i < 10; ++i)
        Zoom(v, mem, 1);
    EXPECT_NEAR(v.altitude, 9.0 * std::pow(0.93, 10), 1e-4);
    EXPECT_NEAR(v.eye.z, v.altitude, 1e-5);
    v.altitude = 9.0f;
    for (int i = 0; i < 10; ++i)
        Zoom(v, mem, -1);
    EXPECT_NEAR(v.altitude, 9.0 * std::pow(1.1, 10), 1e-3);

    v.altitude = 10.0f;
    for (int ch : {'+', ';'}) {
        EXPECT_TRUE(ZoomByCharacter(v, mem, ch));
    }
    EXPECT_NEAR(v.altitude, 10.0f * 0.93f * 0.93f, 1e-4);
    v.altitude = 10.0f;
    for (int ch : {'-', '='}) {
        EXPECT_TRUE(ZoomByCharacter(v, mem, ch));
    }
    EXPECT_NEAR(v.altitude, 10.0f * 1.1f * 1.1f, 1e-4);
    EXPECT_FALSE(ZoomByCharacter(v, mem, 'a'));
    EXPECT_NEAR(v.altitude, 10.0f * 1.1f * 1.1f, 1e-4);

    v.altitude = 10.0f;
    EXPECT_TRUE(ZoomByWheel(v, mem, 120));  // away from the user: out
    EXPECT_NEAR(v.altitude, 11.0f, 1e-4);
    EXPECT_TRUE(ZoomByWheel(v, mem, -120));
    EXPECT_NEAR(v.altitude, 11.0f * 0.93f, 1e-4);
    EXPECT_FALSE(ZoomByWheel(v, mem, 0));
    // A perspective zoom records nothing.
    for (float a : mem.orthoAltitude)
        EXPECT_EQ(a, 9.0f);
}

TEST(CameraOrtho, PanIsRememberedPerDirectionAltitudeIsRecordedButNotRestored) {
    CameraMemories mem = ResetCameraMemories(30.0f, 9.0f);
    ViewCamera v = Sized(400, 400);
    // From perspective the first direction key switches the camera kind.
    EXPECT_TRUE(SelectOrthoDirection(v, mem, kViewFront));
    EXPECT_EQ(v.perspective, 0);
    EXPECT_EQ(v.viewIndex, kViewFront);
    PanDrag(v, mem, CursorPoint{220, 190}, CursorPoint{200, 200});
    const Vec3 frontPan{v.panX, v.panY, 0};
    EXPECT_GT(frontPan.x, 0.0f);  // right drag pans right
    EXPECT_GT(frontPan.y, 0.0f);  // up drag pans up
    ExpectNear(mem.orthoPan[kViewFront], frontPan);
    Zoom(v, mem, 1);
    const float zoomed = v.altitude;
    EXPECT_FLOAT_EQ(mem.orthoAltitude[kViewFront], zoomed);

    EXPECT_FALSE(SelectOrthoDirection(v, mem, kViewTop));
    EXPECT_FLOAT_EQ(v.pitch, -kCameraPi / 2);
    EXPECT_FLOAT_EQ(v.yaw, 0.0f);
    EXPECT_EQ(v.panX, 0.0f);  // Top has its own, untouched pan
    PanDrag(v, mem, CursorPoint{100, 100}, CursorPoint{200, 200});
    Zoom(v, mem, -1);
    const float topAltitude = v.altitude;

    SelectOrthoDirection(v, mem, kViewFront);
    ExpectNear(Vec3{v.panX, v.panY, 0}, frontPan);
    EXPECT_FLOAT_EQ(v.altitude, topAltitude);  // the view keeps its zoom
    EXPECT_FLOAT_EQ(mem.orthoAltitude[kViewFront], zoomed);

    // The six directions and their angles.
    const float expected[6][2] = {{0, 0},
                                  {0, kCameraPi},
                                  {0, -kCameraPi / 2},
                                  {0, kCameraPi / 2},
                                  {-kCameraPi / 2, 0},
                                  {kCameraPi / 2, 0}};
    for (int d = 0; d < 6; ++d) {
        SelectOrthoDirection(v, mem, d);
        EXPECT_FLOAT_EQ(v.pitch, expected[d][0]) << d;
        EXPECT_FLOAT_EQ(v.yaw, expected[d][1]) << d;
    }

    // Back to perspective keeps the angles and the altitude.
    SelectOrthoDirection(v, mem, kViewRight);
    const float alt = v.altitude;
    EXPECT_TRUE(EnterPerspective(v));
    EXPECT_FALSE(EnterPerspective(v));
    EXPECT_FLOAT_EQ(v.yaw, kCameraPi / 2);
    EXPECT_NEAR(v.eye.x, alt, 1e-4);  // looking from +X
}

TEST(CameraDrags, OrbitTurnsPiPerViewSizeAndPanFollowsTheFrustum) {
    CameraMemories mem = ResetCameraMemories(30.0f, 9.0f);
    ViewCamera v = Sized(400, 200);
    OrbitDrag(v, CursorPoint{300, 150}, CursorPoint{100, 50});
    EXPECT_NEAR(v.yaw, -kCameraPi / 2, 1e-6);    // half the width
    EXPECT_NEAR(v.pitch, -kCameraPi / 2, 1e-6);  // half the height
    EXPECT_GT(v.eye.y, 0.0f);                    // dragging down lifts the eye

    // A perspective pan moves the target with the cursor and is not remembered.
    v = Sized(400, 200);
    PanDrag(v, mem, CursorPoint{300, 100}, CursorPoint{200, 100});
    EXPECT_LT(v.target.x, 0.0f);
    EXPECT_EQ(mem.orthoPan[0].x, 0.0f);

    // A view of zero size neither turns nor pans.
    ViewCamera z = Sized(0, 0);
    OrbitDrag(z, CursorPoint{10, 10}, CursorPoint{0, 0});
    PanDrag(z, mem, CursorPoint{10, 10}, CursorPoint{0, 0});
    EXPECT_EQ(z.pitch, 0.0f);
    EXPECT_EQ(z.panX, 0.0f);
    ComputeSavedMatrices(z, 30.0f);
    for (double m : z.projection)
        EXPECT_TRUE(std::isfinite(m));
}

TEST(CursorToModel, OrthographicPointsLieOnTheDragPlaneUnderTheCursor) {
    CameraMemories mem = ResetCameraMemories(30.0f, 9.0f);
    const Vec3 origin{0.25f, -0.5f, 0.75f};
    for (int w : {320, 200}) {
        for (int d = 0; d < 6; ++d) {
            ViewCamera v = Sized(w, 240);
            SelectOrthoDirection(v, mem, d);
            v.panX = 0.3f;
            v.panY = -0.2f;
            v.altitude = 6.0f;
            UpdateCamera(v);
            ComputeSavedMatrices(v, 30.0f);
            const CursorPoint c{70, 50};
            const Vec3 p = CursorToModel(v, c, 0.0f, origin);
            const float along[6] = {p.z, p.z, p.x, p.x, p.y, p.y};
            const float want[6] = {origin.z, origin.z, origin.x, origin.x, origin.y, origin.y};
            EXPECT_FLOAT_EQ(along[d], want[d]) << d;
            const auto win = Project(v, p);
            EXPECT_NEAR(win[0], c.x, 1e-3) << "direction " << d << " width " << w;
            EXPECT_NEAR(win[1], 240 - c.y, 1e-3) << "direction " << d << " width " << w;
        }
    }
}

TEST(CursorToModel, PerspectiveMeetsThePlaneThroughTheDragOriginFacingTheEye) {
    ViewCamera v = Sized(400, 300);
    v.pitch = -0.4f;
    v.yaw = 0.7f;
    v.panX = 0.5f;
    UpdateCamera(v);
    ComputeSavedMatrices(v, 30.0f);
    const Vec3 origin{0.2f, 0.1f, -0.3f};
    const float len = std::sqrt(v.eye.x * v.eye.x + v.eye.y * v.eye.y + v.eye.z * v.eye.z);
    const Vec3 n{v.eye.x / len, v.eye.y / len, v.eye.z / len};
    for (CursorPoint c : {CursorPoint{200, 150}, CursorPoint{30, 40}, CursorPoint{390, 280}}) {
        // The depth only picks a point on the line of sight; near, middle and far agree.
        for (float depth : {0.2f, 0.9f, 1.0f}) {
            const Vec3 p = CursorToModel(v, c, depth, origin);
            const float onPlane =
                n.x * (p.x - origin.x) + n.y * (p.y - origin.y) + n.z * (p.z - origin.z);
            EXPECT_NEAR(onPlane, 0.0f, 1e-3);
            // The cursor pixel is y-down; the centre of pixel row y is at height h - y - 1.
            const auto win = Project(v, p);
            EXPECT_NEAR(win[0], c.x, 1e-2);
            EXPECT_NEAR(win[1], 300 - c.y - 1, 1e-2);
        }
    }
}

TEST(CursorToModel, LineOfSightParallelToThePlaneStaysFinite) {
    // The saved matrices look along -X while the eye (and so the plane normal) is on +Z: the
    // central line of sight runs inside the plane.
    ViewCamera v = Sized(200, 200);
    ViewCamera side = Sized(200, 200);
    side.yaw = kCameraPi / 2;
    UpdateCamera(side);
    side.eye = v.eye;
    side.target = Vec3{v.eye.x - 1.0f, v.eye.y, v.eye.z};
    ComputeSavedMatrices(side, 30.0f);
    v.modelview = side.modelview;
    v.projection = side.projection;
    v.viewport = side.viewport;
    const Vec3 origin{0.5f, 0.5f, 9.0f};
    const Vec3 p = CursorToModel(v, CursorPoint{100, 99}, 0.5f, origin);
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));

    // An eye at the origin has no plane normal at all.
    ViewCamera z = Sized(200, 200);
    z.altitude = 0.0f;
    UpdateCamera(z);
    ComputeSavedMatrices(z, 30.0f);
    const Vec3 q = CursorToModel(z, CursorPoint{10, 10}, 0.5f, origin);
    EXPECT_TRUE(std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z));
}

}  // namespace
}  // namespace zarni
