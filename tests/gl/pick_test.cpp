// Selection-mode picking on OSMesa: which point a click finds, which kinds take part in each
// mode, the rectangle's rules, bands over more points than the first buffer holds, and the GL
// state a pick leaves behind.
#include <set>

#include "tests/gl/gl_fixture.h"
#include "gl/pick.h"

namespace zarni::gltest {
namespace {

class PickTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        view = Ortho(kViewFront);
        ComputeSavedMatrices(view, 30.0f);
    }
    PatchObject& obj() { return *doc.Current(); }
    CursorPoint At(Vec3 p) const {
        const auto px = PixelOf(view, p);
        return {px[0], px[1]};
    }
    PickResult Pick(Vec3 p, int32_t flags = 0) {
        PickInput in(doc, sw, flags);
        return PickPointHits(in, view, At(p));
    }
    int32_t Band(int32_t l, int32_t t, int32_t w, int32_t h, ModifierKeys keys = {}) {
        return PickRectangle(doc, sw, 0, view, 30.0f, l, t, w, h, keys);
    }
    ViewCamera view;
};

TEST_F(PickTest, CoincidentAnchorsGiveTheHigherIndexAndTheRecordsInDrawingOrder) {
    AddSegment(obj(), {0, 0, 0}, {0.3f, 0.5f, 0}, {0.7f, 0.5f, 0}, {1, 0, 0});
    AddSegment(obj(), {0, 0, 0}, {-0.3f, 0.5f, 0}, {-0.7f, 0.5f, 0}, {-1, 0, 0});
    const PickResult hit = Pick({0, 0, 0});
    EXPECT_EQ(hit.index, 4);
    EXPECT_EQ(hit.hitCount, 2);
    EXPECT_EQ(hit.firstName, 0);
    EXPECT_EQ(hit.lastName, 4);
    PickInput in(doc, sw, 0);
    EXPECT_EQ(PickPoint(in, view, At({0, 0, 0})), 4);
    EXPECT_EQ(LastHitCount(), 2);
    EXPECT_EQ(PickPoint(in, view, At({0.5f, -1.0f, 0})), -1);
    EXPECT_EQ(LastHitCount(), 0);
    // A hidden layer takes no part.
    obj().points[4].layer = 3;
    sw.layerVisible[3] = 0;
    EXPECT_EQ(Pick({0, 0, 0}).index, 0);
}

TEST_F(PickTest, HandlesArePickableOnlyThroughSelectedAnchors) {
    AddSegment(obj(), {-1, 0, 0}, {-0.5f, 0.6f, 0}, {0.5f, 0.6f, 0}, {1, 0, 0});
    const Vec3 handle{-0.5f, 0.6f, 0};

    // Point mode: a handle of a selected anchor comes back through the fallback only.
    EXPECT_EQ(Pick(handle).index, -1);
    doc.selectedAnchors = {0};
    EXPECT_EQ(Pick(handle).index, 1);
    EXPECT_EQ(Pick(handle, kControlMinimumDrawing).index, -1);

    // Handle mode without selected anchors: no handle at all; the anchors drawn for
    // orientation are found through the fallback unless "Minimum Drawing" leaves them out.
    sw.handleMode = 1;
    doc.selectedAnchors.clear();
    EXPECT_EQ(Pick(handle).index, -1);
    EXPECT_EQ(Pick({-1, 0, 0}).index, 0);
    EXPECT_EQ(Pick({-1, 0, 0}, kControlMinimumDrawing).index, -1);
    doc.selectedAnchors = {3};
    EXPECT_EQ(Pick(handle).index, -1);  // its anchor is not selected
    doc.selectedAnchors = {0};
    EXPECT_EQ(Pick(handle, kControlMinimumDrawing).index, 1);
}

TEST_F(PickTest, SelectionModePicksRestoreTheViewportAndProjection) {
    AddSegment(obj(), {-1, 0, 0}, {-0.5f, 0.6f, 0}, {0.5f, 0.6f, 0}, {1, 0, 0});
    glViewport(3, 4, 20, 20);
    PickInput in(doc, sw, 0);
    in.method = PickMethod::SelectionMode;
    PickPointHits(in, view, At({-1, 0, 0}));
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], kWidth);
    EXPECT_EQ(vp[3], kHeight);
    Matrix4 projection{};
    glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
    const Matrix4 expected = ProjectionMatrix(view, 30.0f);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(projection[i], expected[i], 1e-6);
    GLint mode = 0;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    EXPECT_EQ(mode, GL_RENDER);
}

TEST_F(PickTest, RubberBandIsADottedOutlineThatInvertsThePicture) {
    // The default dark green and a light grey: the band must show on both.
    for (const std::array<float, 4> back :
         {settings.backColorRGBA, std::array<float, 4>{{0.8f, 0.8f, 0.8f, 1.0f}}}) {
        settings.backColorRGBA = back;
        Image img = Draw(view, kDisplayShaded);  // no guides: an even background
        DrawRubberBand(view, 30.0f, {20, 20}, {61, 51});
        glFinish();
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, img.rgba.data());
        const Rgb bg = Background();
        const Rgb inverse{{static_cast<uint8_t>(255 - bg[0]), static_cast<uint8_t>(255 - bg[1]),
                           static_cast<uint8_t>(255 - bg[2])}};
        int onTop = 0, onLeft = 0, otherOnTop = 0;
        for (int x = 20; x <= 61; ++x) {
            onTop += Same(img.At(x, 20), inverse) ? 1 : 0;
            otherOnTop += !Same(img.At(x, 20), inverse) && !Same(img.At(x, 20), bg) ? 1 : 0;
        }
        for (int y = 20; y <= 51; ++y)
            onLeft += Same(img.At(20, y), inverse) ? 1 : 0;
        // Dotted: about every other pixel of each side, each one the inverse of what was there.
        EXPECT_GT(onTop, 12);
        EXPECT_LT(onTop, 30);
        EXPECT_EQ(otherOnTop, 0);
        EXPECT_GT(onLeft, 10);
        EXPECT_TRUE(Same(img.At(61, 51), inverse) || Same(img.At(60, 51), inverse));
        EXPECT_TRUE(Same(img.At(40, 35), bg));
        EXPECT_TRUE(Same(img.At(70, 35), bg));
        // Later drawing is plain again, and the view's projection is back.
        GLboolean logicOp = GL_TRUE;
        glGetBooleanv(GL_COLOR_LOGIC_OP, &logicOp);
        EXPECT_EQ(logicOp, GL_FALSE);
        Matrix4 projection{};
        glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
        EXPECT_NEAR(projection[0], ProjectionMatrix(view, 30.0f)[0], 1e-6);
    }
}

TEST_F(PickTest, RectangleReplacesAddsOrIntersectsTheSelection) {
    // Anchors at x = -1.5, -0.5, 0.5, 1.5 on y = 0: indices 0, 3, 4, 7.
    AddSegment(obj(), {-1.5f, 0, 0}, {-1.2f, 0.3f, 0}, {-0.8f, 0.3f, 0}, {-0.5f, 0, 0});
    AddSegment(obj(), {0.5f, 0, 0}, {0.8f, 0.3f, 0}, {1.2f, 0.3f, 0}, {1.5f, 0, 0});
    const CursorPoint left = At({-1.0f, 0.2f, 0});
    const CursorPoint mid = At({0.0f, -0.2f, 0});
    const CursorPoint right = At({1.0f, -0.2f, 0});
    // Around the two middle anchors, 3 and 4.
    auto middle = [&](ModifierKeys keys = {}) {
        return Band(left.x, left.y, right.x - left.x, right.y - left.y, keys);
    };

    doc.selectedAnchors = {0};
    EXPECT_EQ(middle(), 4);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{3, 4}));
    EXPECT_EQ(doc.activePoint, 4);

    doc.selectedAnchors = {0};
    middle(ModifierKeys{false, true, false});  // Shift adds
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 3, 4}));
    middle(ModifierKeys{true, false, false});  // Ctrl adds, without repeating
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 3, 4}));

    // Intersect: of 0 and 4, only 4 is inside.
    sw.intersectSelect = 1;
    doc.selectedAnchors = {0, 4};
    middle();
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{4}));
    sw.intersectSelect = 0;

    // A band over empty space empties the selection and returns -1.
    doc.selectedAnchors = {0};
    EXPECT_EQ(Band(left.x, mid.y + 20, 5, 5), -1);
    EXPECT_TRUE(doc.selectedAnchors.empty());
}

TEST_F(PickTest, ZeroSizeRectangleHitsEveryPickablePoint) {
    AddSegment(obj(), {-1.5f, 0, 0}, {-1.2f, 0.3f, 0}, {-0.8f, 0.3f, 0}, {-0.5f, 0, 0});
    AddSegment(obj(), {0.5f, 0, 0}, {0.8f, 0.3f, 0}, {1.2f, 0.3f, 0}, {1.5f, 0, 0});
    obj().points[7].layer = 2;
    sw.layerVisible[2] = 0;
    EXPECT_EQ(Band(10, 10, 0, 0), 4);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 3, 4}));
    Band(10, 10, 40, 0);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 3, 4}));
}

TEST_F(PickTest, BandOverMoreThan512PointsSelectsEveryOneInside) {
    // A 30 x 30 lattice of anchors, all inside the view, plus one pair of handles of anchor 0
    // that are shown and picked in point mode.
    for (int r = 0; r < 30; ++r) {
        for (int c = 0; c < 30; ++c)
            obj().points.push_back(Point({-1.45f + c * 0.1f, -1.45f + r * 0.1f, 0}, -1));
    }
    obj().points.push_back(Point({-1.45f, -1.4f, 0}, 0));
    doc.selectedAnchors = {0};
    const CursorPoint a = At({-1.6f, 1.6f, 0});
    const CursorPoint b = At({1.6f, -1.6f, 0});
    // Shift keeps anchor 0 selected through the pick, so its handle is drawn, last.
    EXPECT_EQ(Band(a.x, a.y, b.x - a.x, b.y - a.y, ModifierKeys{false, true, false}), 900);
    ASSERT_EQ(doc.selectedAnchors.size(), 900u);
    const std::set<int32_t> unique(doc.selectedAnchors.begin(), doc.selectedAnchors.end());
    EXPECT_EQ(unique.size(), 900u);
    EXPECT_EQ(*unique.rbegin(), 899);

    // The same in handle mode over the lattice's handles: 600 handles of selected anchors.
    for (int i = 0; i < 600; ++i)
        obj().points.push_back(Point({-1.4f + (i % 30) * 0.1f, -1.4f + (i / 30) * 0.1f, 0}, i));
    sw.handleMode = 1;
    Band(a.x, a.y, b.x - a.x, b.y - a.y);
    EXPECT_EQ(doc.selectedHandles.size(), 601u);
    // A point pick in the crowd still finds a point, and counts every record.
    PickInput in(doc, sw, 0);
    EXPECT_GE(PickPoint(in, view, At({0.05f, 0.05f, 0})), 0);
    EXPECT_GT(LastHitCount(), 0);
}

}  // namespace
}  // namespace zarni::gltest
