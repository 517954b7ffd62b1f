// Drawing a view offscreen: guides per display mode, subdivision, symmetry copies, points and
// layers, control arms, background-picture quads, and the saved matrices.
#include <cmath>

#include "tests/gl/gl_fixture.h"

namespace zarni::gltest {
namespace {

const Rgb kXAxis{{204, 51, 51}};
const Rgb kYAxis{{51, 204, 51}};
const Rgb kZAxis{{51, 51, 204}};

class SceneTest : public GlTest {};

TEST_F(SceneTest, GuidesFollowTheDisplayMode) {
    // From the front the floor is the horizontal line y = 0 and the cube a square.
    ViewCamera v = Ortho(kViewFront);
    const Rgb guide = ToBytes(kGuideColor);
    const Vec3 cubeEdge{0.5f, 1.0f, 0.0f};
    const Vec3 floorLine{1.8f, 0.0f, 0.0f};  // beyond the cube and the axis

    Image img = Draw(v, kDisplayWireframe);
    EXPECT_TRUE(ColorNear(img, v, Vec3{0.5f, 0, 0}, kXAxis));
    EXPECT_TRUE(ColorNear(img, v, Vec3{0, 0.5f, 0}, kYAxis));
    EXPECT_TRUE(ColorNear(img, v, cubeEdge, guide));
    EXPECT_TRUE(ColorNear(img, v, floorLine, guide));
    EXPECT_FALSE(ColorNear(img, v, Vec3{1.5f, 0, 0}, kXAxis));       // the axis ends at its length
    EXPECT_FALSE(ColorNear(img, v, Vec3{0.5f, 0.5f, 0}, guide, 2));  // inside a cube face

    ViewCamera top = Ortho(kViewTop);
    img = Draw(top, kDisplayWireframe);
    EXPECT_TRUE(ColorNear(img, top, Vec3{0, 0, 0.5f}, kZAxis));
    // The floor grid: lines every half unit in both directions, out to 5.
    EXPECT_TRUE(ColorNear(img, top, Vec3{2.5f, 0, 0.25f}, guide));
    EXPECT_TRUE(ColorNear(img, top, Vec3{0.25f, 0, -1.5f}, guide));
    EXPECT_FALSE(ColorNear(img, top, Vec3{1.25f, 0, 1.75f}, guide, 2));

    img = Draw(v, kDisplayCurrentShaded);
    EXPECT_FALSE(ColorNear(img, v, Vec3{0.5f, 0, 0}, kXAxis));
    EXPECT_FALSE(ColorNear(img, v, Vec3{0, 0.5f, 0}, kYAxis));
    EXPECT_FALSE(ColorNear(img, v, cubeEdge, guide));
    EXPECT_TRUE(ColorNear(img, v, floorLine, guide));

    img = Draw(v, kDisplayShaded);
    int drawn = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            drawn += !Same(img.At(x, y), Background());
    EXPECT_EQ(drawn, 0);

    // The guide sizes follow the setting.
    settings.axesSize = 1.6f;
    img = Draw(v, kDisplayWireframe);
    EXPECT_TRUE(ColorNear(img, v, Vec3{1.5f, 0, 0}, kXAxis));
    EXPECT_TRUE(ColorNear(img, v, Vec3{0.5f, 1.6f, 0}, guide));
}

TEST_F(SceneTest, SmallPivotAxesOnlyInPivotModeOne) {
    ViewCamera v = Ortho(kViewFront);
    doc.pivot = Vec3{1.5f, -1.5f, 0.0f};
    const Vec3 tip{1.5f, -1.5f + 0.1f, 0.0f};  // on the small Y axis, 1/7 long
    Image img = Draw(v, kDisplayWireframe);
    EXPECT_FALSE(ColorNear(img, v, tip, kYAxis));
    sw.pivotMode = 1;
    img = Draw(v, kDisplayWireframe);
    EXPECT_TRUE(ColorNear(img, v, tip, kYAxis));
    EXPECT_FALSE(ColorNear(img, v, Vec3{1.5f, -1.5f + 0.3f, 0.0f}, kYAxis));
}

// The geometry tests run through the evaluators and through the kept arrays alike.
class GeometryTest : public GlTest, public ::testing::WithParamInterface<bool> {
  protected:
    GeometryCache* Path() { return GetParam() ? &cache : nullptr; }
    GeometryCache cache;
};

TEST_P(GeometryTest, DivLevelOneDrawsChordsAndTwentyDrawsTheCurve) {
    PatchObject& obj = doc.objects[0];
    AddSegment(obj, Vec3{-1.5f, 0.5f, 0}, Vec3{-1.5f, 2.0f, 0}, Vec3{1.5f, 2.0f, 0},
               Vec3{1.5f, 0.5f, 0});
    const Rgb wire = ToBytes(settings.wireColor);
    ViewCamera v = Ortho(kViewFront);
    const Vec3 onChord{0.5f, 0.5f, 0};
    const Vec3 onCurve{0.0f, 1.625f, 0};  // the curve at t = 1/2

    sw.divLevel = 1;
    Image img = Draw(v, kDisplayWireframe, Path());
    EXPECT_TRUE(ColorNear(img, v, onChord, wire));
    EXPECT_FALSE(ColorNear(img, v, onCurve, wire, 2));
    sw.divLevel = 20;
    img = Draw(v, kDisplayWireframe, Path());
    EXPECT_FALSE(ColorNear(img, v, onChord, wire, 2));
    EXPECT_TRUE(ColorNear(img, v, onCurve, wire));

    // A patch whose lower edge bulges down: one quadrilateral at 1, the bulge at 20.
    doc.objects[0] = PatchObject{};
    std::array<Vec3, 16> net = SquareNet(Vec3{}, 1.0f);
    net[1].y = net[2].y = -2.0f;
    AddPatch(doc.objects[0], net);
    const Vec3 inBulge{0.0f, -1.4f, 0.0f};
    sw.divLevel = 1;
    img = Draw(v, kDisplayShaded, Path());
    EXPECT_TRUE(Covered(img, v, Vec3{0.5f, 0.5f, 0}));
    EXPECT_FALSE(Covered(img, v, inBulge));
    sw.divLevel = 20;
    img = Draw(v, kDisplayShaded, Path());
    EXPECT_TRUE(Covered(img, v, Vec3{0.5f, 0.5f, 0}));
    EXPECT_TRUE(Covered(img, v, inBulge));
}

struct CopyCase {
    int32_t mirror;
    int32_t windmillCount;
    int32_t windmillAxis;
    int32_t moveX;
    std::vector<std::array<float, 2>> expected;  // centres (x, y) in the Front view
};

TEST_P(GeometryTest, SymmetryCopiesAreDrawnWhereTheSettingsPutThem) {
    // A small square centred at (1.2, 0.6) in the plane z = 0.
    AddPatch(doc.objects[0], SquareNet(Vec3{1.2f, 0.6f, 0.0f}, 0.15f));
    const std::vector<std::array<float, 2>> candidates = {
        {1.2f, 0.6f}, {-1.2f, 0.6f}, {1.2f, -0.6f}, {-1.2f, -0.6f}, {-0.6f, 1.2f},  {0.6f, -1.2f},
        {2.2f, 0.6f}, {-0.2f, 0.6f}, {2.2f, -0.6f}, {-0.2f, -0.6f}, {-0.6f, -1.2f}, {0.6f, 1.2f}};
    const std::vector<CopyCase> cases = {
        {0, 1, 1, 0, {{1.2f, 0.6f}}},
        {kMirrorX, 1, 1, 0, {{1.2f, 0.6f}, {-1.2f, 0.6f}}},
        {kMirrorY, 1, 1, 0, {{1.2f, 0.6f}, {1.2f, -0.6f}}},
        {kMirrorX | kMirrorY,
         1,
         1,
         0,
         {{1.2f, 0.6f}, {-1.2f, 0.6f}, {1.2f, -0.6f}, {-1.2f, -0.6f}}},
        // Windmill about Z in quarter turns: (x, y) -> (-y, x).
        {0, 4, 3, 0, {{1.2f, 0.6f}, {-0.6f, 1.2f}, {-1.2f, -0.6f}, {0.6f, -1.2f}}},
        // Mirror inside the move: the shifted set is mirrored about its own origin.
        {kMirrorX | kMirrorMove,
         1,
         1,
         1000,
         {{1.2f, 0.6f}, {-1.2f, 0.6f}, {2.2f, 0.6f}, {-0.2f, 0.6f}}},
        // Windmill about X by half turns: (x, y, z) -> (x, -y, -z).
        {0, 2, 1, 0, {{1.2f, 0.6f}, {1.2f, -0.6f}}},
        // An axis outside 1..3 draws the copy on itself.
        {0, 3, 7, 0, {{1.2f, 0.6f}}},
    };
    ViewCamera v = Ortho(kViewFront);
    for (const CopyCase& c : cases) {
        PatchObject& obj = doc.objects[0];
        obj.mirrorFlags = c.mirror;
        obj.windmillCount = c.windmillCount;
        obj.windmillAxis = c.windmillAxis;
        obj.moveX = c.moveX;
        const Image img = Draw(v, kDisplayShaded, Path());
        for (const auto& p : candidates) {
            bool want = false;
            for (const auto& e : c.expected)
                want = want || (std::fabs(e[0] - p[0]) < 1e-4f && std::fabs(e[1] - p[1]) < 1e-4f);
            EXPECT_EQ(Covered(img, v, Vec3{p[0], p[1], 0}), want)
                << "mirror " << c.mirror << " windmill " << c.windmillCount << " axis "
                << c.windmillAxis << " at (" << p[0] << ", " << p[1] << ")";
        }
    }

    // Mirror Z seen from the top: a square in the plane y = 0 at z = 0.6 gets its image at -0.6.
    doc.objects[0] = PatchObject{};
    AddPatch(doc.objects[0], SquareNet(Vec3{1.2f, 0.0f, 0.6f}, 0.15f, 1));
    ViewCamera top = Ortho(kViewTop);
    Image img = Draw(top, kDisplayShaded, Path());
    EXPECT_TRUE(Covered(img, top, Vec3{1.2f, 0, 0.6f}));
    EXPECT_FALSE(Covered(img, top, Vec3{1.2f, 0, -0.6f}));
    doc.objects[0].mirrorFlags = kMirrorZ;
    img = Draw(top, kDisplayShaded, Path());
    EXPECT_TRUE(Covered(img, top, Vec3{1.2f, 0, 0.6f}));
    EXPECT_TRUE(Covered(img, top, Vec3{1.2f, 0, -0.6f}));
    EXPECT_FALSE(Covered(img, top, Vec3{-1.2f, 0, -0.6f}));
}

TEST_P(GeometryTest, WindmillAnglesAreWholeDegreesTruncated) {
    // Seven copies turn by 0, 51, 102, ... degrees, not by multiples of 360/7. A tiny square
    // at radius 2 shows the difference when the view is zoomed onto the second copy.
    AddPatch(doc.objects[0], SquareNet(Vec3{2.0f, 0.0f, 0.0f}, 0.008f));
    doc.objects[0].windmillCount = 7;
    doc.objects[0].windmillAxis = 3;
    const float whole = 51.0f * kCameraPi / 180.0f;
    const float exact = 2.0f * kCameraPi / 7.0f;
    const Vec3 atWhole{2.0f * std::cos(whole), 2.0f * std::sin(whole), 0.0f};
    const Vec3 atExact{2.0f * std::cos(exact), 2.0f * std::sin(exact), 0.0f};
    ViewCamera v = Ortho(kViewFront, 0.8f);
    v.panX = -atWhole.x;
    v.panY = -atWhole.y;
    UpdateCamera(v);
    const Image img = Draw(v, kDisplayShaded, Path());
    EXPECT_TRUE(Covered(img, v, atWhole));
    EXPECT_FALSE(Covered(img, v, atExact));
}

TEST_P(GeometryTest, ModesChooseSurfacesCurvesAndColoursPerObject) {
    // Object 0 on the left, object 1 (current) on the right.
    AddPatch(doc.objects[0], SquareNet(Vec3{-1.2f, 0.0f, 0.0f}, 0.5f));
    CreateObject(doc);
    AddPatch(doc.objects[1], SquareNet(Vec3{1.2f, 0.0f, 0.0f}, 0.5f));
    ASSERT_EQ(doc.currentObject, 1);
    ViewCamera v = Ortho(kViewFront);
    const Rgb wire = ToBytes(settings.wireColor);
    const Rgb other = ToBytes(settings.otherObjectColor);
    const Vec3 leftInside{-1.1f, 0.1f, 0}, rightInside{1.3f, 0.1f, 0};
    const Vec3 leftEdge{-1.2f, -0.5f, 0}, rightEdge{1.2f, 0.5f, 0};

    Image img = Draw(v, kDisplayWireframe, Path());
    EXPECT_TRUE(ColorNear(img, v, rightEdge, wire));
    EXPECT_TRUE(ColorNear(img, v, leftEdge, other));
    EXPECT_FALSE(Covered(img, v, rightInside));

    img = Draw(v, kDisplayCurrentShaded, Path());
    EXPECT_TRUE(Covered(img, v, rightInside));
    EXPECT_TRUE(ColorNear(img, v, rightEdge, wire));
    EXPECT_FALSE(Covered(img, v, leftInside));
    EXPECT_TRUE(ColorNear(img, v, leftEdge, other));

    img = Draw(v, kDisplayShaded, Path());
    EXPECT_TRUE(Covered(img, v, rightInside));
    EXPECT_TRUE(Covered(img, v, leftInside));
    EXPECT_FALSE(ColorNear(img, v, rightEdge, wire));

    // Only the current object when not all are shown; none of them when none is current.
    sw.showAllObjects = 0;
    img = Draw(v, kDisplayShaded, Path());
    EXPECT_TRUE(Covered(img, v, rightInside));
    EXPECT_FALSE(Covered(img, v, leftInside));
    sw.showAllObjects = 1;
    doc.currentObject = -2;
    img = Draw(v, kDisplayWireframe, Path());
    EXPECT_TRUE(ColorNear(img, v, rightEdge, other));
    EXPECT_FALSE(ColorNear(img, v, rightEdge, wire));

    // The material takes the object colour: a red object shades redder than a blue one.
    doc.currentObject = 1;
    doc.objects[1].color = {{1.0f, 0.0f, 0.0f, 1.0f}};
    img = Draw(v, kDisplayShaded, Path());
    auto px = PixelOf(v, rightInside);
    Rgb red = img.At(px[0], px[1]);
    doc.objects[1].color = {{0.0f, 0.0f, 1.0f, 1.0f}};
    img = Draw(v, kDisplayShaded, Path());
    Rgb blue = img.At(px[0], px[1]);
    EXPECT_GT(red[0] - red[2], 20);
    EXPECT_GT(blue[2] - blue[0], 20);
}

INSTANTIATE_TEST_SUITE_P(Paths, GeometryTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Arrays" : "Evaluators"; });

TEST_F(SceneTest, PointsFollowLayersSelectionModeAndMinimumDrawing) {
    PatchObject& obj = doc.objects[0];
    const Vec3 p0{-1.5f, 1.6f, 0}, p1{-1.2f, 2.0f, 0}, p2{1.2f, 2.0f, 0}, p3{1.5f, 1.6f, 0};
    const int32_t base = AddSegment(obj, p0, p1, p2, p3);
    obj.points[base + 3].layer = 2;
    const Rgb point = ToBytes(kPointColor);
    const Rgb selected = ToBytes(kSelectedPointColor);
    const Rgb handle = ToBytes(settings.handleColor);
    const Vec3 armMiddle{-1.35f, 1.8f, 0};
    ViewCamera v = Ortho(kViewFront);

    sw.layerVisible[2] = 0;
    Image img = Draw(v, kDisplayWireframe);
    EXPECT_TRUE(ColorNear(img, v, p0, point));
    EXPECT_FALSE(ColorNear(img, v, p3, point, 2));
    EXPECT_FALSE(ColorNear(img, v, p1, handle, 2));  // handles only of selected anchors
    sw.layerVisible[2] = 1;
    img = Draw(v, kDisplayWireframe);
    EXPECT_TRUE(ColorNear(img, v, p3, point));

    // A selected anchor: its colour, its handle and its arm.
    doc.selectedAnchors = {base};
    img = Draw(v, kDisplayWireframe);
    EXPECT_TRUE(ColorNear(img, v, p0, selected));
    EXPECT_TRUE(ColorNear(img, v, p1, handle));
    EXPECT_TRUE(ColorNear(img, v, armMiddle, handle));
    EXPECT_FALSE(ColorNear(img, v, p2, handle, 2));
    // No points while the camera is dragged.
    {
        SceneInput in(doc, sw, settings);
        in.cameraDragging = true;
        v.displayMode = kDisplayWireframe;
        img = Draw(v, in);
        EXPECT_FALSE(ColorNear(img, v, p0, selected, 2));
        EXPECT_TRUE(ColorNear(img, v, armMiddle, handle));
    }
    // Minimum drawing in point mode: no handle points, no arms.
    settings.controlFlags = kControlMinimumDrawing;
    img = Draw(v, kDisplayWireframe);
    EXPECT_TRUE(ColorNear(img, v, p0, selected));
    EXPECT_FALSE(ColorNear(img, v, p1, handle, 2));
    EXPECT_FALSE(ColorNear(img, v, armMiddle, handle, 2));

    // Handle mode: the handles of selected anchors in the point colours, the arms always,
    // the anchors in the handle colour unless minimum drawing is on.
    sw.handleMode = 1;
    doc.selectedHandles = {base + 1};
    img = Draw(v, kDisplayWireframe);
    EXPECT_TRUE(ColorNear(img, v, p1, selected));
    EXPECT_TRUE(ColorNear(img, v, armMiddle, handle));
    EXPECT_FALSE(ColorNear(img, v, p3, handle, 2));  // the arm ends at p0, not at p3
    settings.controlFlags = 0;
    img = Draw(v, kDisplayWireframe);
    EXPECT_TRUE(ColorNear(img, v, p0, handle));
    EXPECT_TRUE(ColorNear(img, v, p3, handle));
    EXPECT_FALSE(ColorNear(img, v, p2, point, 2));  // its anchor is not selected
    // A hidden layer hides handles too.
    obj.points[base + 1].layer = 4;
    sw.layerVisible[4] = 0;
    img = Draw(v, kDisplayWireframe);
    EXPECT_FALSE(ColorNear(img, v, p1, selected, 2));

    // No points in the shaded modes, and none without a current object.
    img = Draw(v, kDisplayCurrentShaded);
    EXPECT_FALSE(ColorNear(img, v, p0, handle, 2));
    doc.currentObject = -1;
    img = Draw(v, kDisplayWireframe);
    EXPECT_FALSE(ColorNear(img, v, p0, handle, 2));
    EXPECT_FALSE(ColorNear(img, v, armMiddle, handle, 2));
}

TEST_F(SceneTest, PatchCornerArmsCloseALoopThroughTheNet) {
    PatchObject& obj = doc.objects[0];
    AddPatch(obj, SquareNet(Vec3{}, 1.5f));
    ViewCamera v = Ortho(kViewFront);
    const Rgb handle = ToBytes(settings.handleColor);
    // The loop of corner (0, 0) runs (0,0) -> (1,0) -> (1,1) -> (0,1): net spacing is 1.
    const Vec3 loopSide{-1.0f, -0.5f, 0};  // between net (1, 0) and (1, 1)
    Image img = Draw(v, kDisplayWireframe);
    EXPECT_FALSE(ColorNear(img, v, loopSide, handle, 1));
    doc.selectedAnchors = {obj.segments[obj.patches[0].edge0].p0};
    img = Draw(v, kDisplayWireframe);
    EXPECT_TRUE(ColorNear(img, v, loopSide, handle));
    EXPECT_FALSE(ColorNear(img, v, Vec3{1.0f, 0.5f, 0}, handle, 1));  // the opposite corner
}

TEST_F(SceneTest, CurvePreviewWithItsHandleAndMirroredEndHandle) {
    const Rgb wire = ToBytes(settings.wireColor);
    SceneInput in(doc, sw, settings);
    in.preview.q = {
        {Vec3{-1.5f, 1.5f, 0}, Vec3{-1.5f, 2.0f, 0}, Vec3{0.5f, 1.5f, 0}, Vec3{1.5f, 1.5f, 0}}};
    ViewCamera v = Ortho(kViewFront);
    v.displayMode = kDisplayWireframe;
    const Vec3 startHandle{-1.5f, 1.8f, 0};
    const Vec3 mirroredEnd{2.2f, 1.5f, 0};    // between Q3 and 2 Q3 - Q2 = (2.5, 1.5)
    const Vec3 onCurve{-0.375f, 1.6875f, 0};  // t = 1/2: (Q0 + 3 Q1 + 3 Q2 + Q3) / 8
    Image img = Draw(v, in);
    EXPECT_FALSE(ColorNear(img, v, startHandle, wire, 2));  // nothing while not drawing
    in.preview.active = true;
    sw.divLevel = 20;
    img = Draw(v, in);
    EXPECT_TRUE(ColorNear(img, v, startHandle, wire));
    EXPECT_TRUE(ColorNear(img, v, mirroredEnd, wire));
    EXPECT_TRUE(ColorNear(img, v, onCurve, wire));
    // Not in the shaded modes.
    v.displayMode = kDisplayCurrentShaded;
    img = Draw(v, in);
    EXPECT_FALSE(ColorNear(img, v, startHandle, wire, 2));
}

TEST_F(SceneTest, LightsFollowTheViewerInOrthographicViewsAndTheModelInPerspective) {
    // The same patch seen head-on from the front, and turned a quarter about Y seen head-on
    // from the right: orthographic views shade both alike, perspective views do not.
    std::array<Vec3, 16> net = SquareNet(Vec3{}, 1.0f, 2, 0.3f);
    std::array<Vec3, 16> turned = net;
    for (Vec3& p : turned)
        p = Vec3{p.z, p.y, -p.x};
    doc.objects[0].color = {{0.9f, 0.9f, 0.9f, 1.0f}};
    auto shade = [&](const std::array<Vec3, 16>& patch, ViewCamera v) {
        doc.objects[0] = PatchObject{};
        doc.objects[0].color = {{0.9f, 0.9f, 0.9f, 1.0f}};
        AddPatch(doc.objects[0], patch);
        const Image img = Draw(v, kDisplayShaded);
        const Rgb c = img.At(kWidth / 2, kHeight / 2);
        return c[0] + c[1] + c[2];
    };
    const int frontOrtho = shade(net, Ortho(kViewFront));
    const int rightOrtho = shade(turned, Ortho(kViewRight));
    EXPECT_NEAR(frontOrtho, rightOrtho, 3);
    const int frontPersp = shade(net, Perspective());
    const int rightPersp = shade(turned, Perspective(0.0f, kCameraPi / 2));
    EXPECT_GT(std::abs(frontPersp - rightPersp), 15);
}

TEST_F(SceneTest, BackgroundPictureQuadsPerCameraKind) {
    ViewCamera front = Ortho(kViewFront);
    SceneInput in(doc, sw, settings);
    // 300 x 150 pixels at 150 pixels a unit: 2 x 1 units.
    in.backPictures[kBackFront] = BackPictureInput{0, 300, 150};
    in.backPictures[kBackBack] = BackPictureInput{0, 300, 150};
    doc.backPictures[kBackBack].position = Vec3{0.0f, 1.6f, 0.0f};
    front.displayMode = kDisplayShaded;

    Image img = Draw(front, in);
    EXPECT_FALSE(Covered(img, front, Vec3{0.9f, 0.4f, 0}));  // pictures hidden
    sw.backPictureVisible = 1;
    img = Draw(front, in);
    EXPECT_TRUE(Covered(img, front, Vec3{0.9f, 0.4f, 0}));
    EXPECT_FALSE(Covered(img, front, Vec3{1.1f, 0.0f, 0}));
    EXPECT_FALSE(Covered(img, front, Vec3{0.0f, 1.6f, 0}));  // only its own direction

    doc.backPictures[kBackFront].scale = Vec3{2.0f, 1.0f, 1.0f};
    doc.backPictures[kBackFront].rotation = Vec3{0.0f, 0.0f, 90.0f};
    img = Draw(front, in);
    EXPECT_TRUE(Covered(img, front, Vec3{0.0f, 1.9f, 0}));  // 4 wide, turned upright
    EXPECT_FALSE(Covered(img, front, Vec3{0.7f, 0.0f, 0}));

    ViewCamera persp = Perspective();
    persp.displayMode = kDisplayShaded;
    img = Draw(persp, in);
    EXPECT_TRUE(Covered(img, persp, Vec3{0.0f, 1.6f, 0}));  // every slot in perspective
}

TEST_F(SceneTest, SavedMatricesMatchTheCameraMathsAndMapTheCursor) {
    for (int kind = 0; kind < 2; ++kind) {
        ViewCamera v = kind == 0 ? Perspective(-0.3f, 0.5f) : Ortho(kViewRight, 7.0f);
        v.panX = 0.4f;
        v.panY = -0.3f;
        UpdateCamera(v);
        Draw(v, kDisplayWireframe);
        ViewCamera maths = v;
        ComputeSavedMatrices(maths, 30.0f);
        for (int i = 0; i < 16; ++i) {
            EXPECT_NEAR(v.modelview[i], maths.modelview[i], 1e-5) << kind << " " << i;
            EXPECT_NEAR(v.projection[i], maths.projection[i], 1e-5) << kind << " " << i;
        }
        EXPECT_EQ(v.viewport, maths.viewport);
    }

    // The depth under the cursor is read from the row the cursor is on: a wall at z = -1
    // behind the drag plane still maps the cursor onto the plane through the origin.
    AddPatch(doc.objects[0], SquareNet(Vec3{0, 0, -1.0f}, 3.0f));
    ViewCamera v = Perspective(0.0f, 0.0f);
    Draw(v, kDisplayShaded);
    const Vec3 target{0.3f, 0.2f, 0.0f};
    const auto px = PixelOf(v, target);
    const Vec3 p = CursorToModelInContext(v, CursorPoint{px[0], px[1]}, Vec3{});
    EXPECT_NEAR(p.z, 0.0f, 1e-3);
    EXPECT_NEAR(p.x, target.x, 0.05f);
    EXPECT_NEAR(p.y, target.y, 0.05f);
    const float depth = ReadDepthAt(v, CursorPoint{px[0], px[1]});
    EXPECT_LT(depth, 1.0f);  // the wall, not the far plane
}

}  // namespace
}  // namespace zarni::gltest
