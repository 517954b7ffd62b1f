// The kept arrays of evaluated geometry: the same picture as the evaluators, and rebuilt
// exactly when the control caches or the subdivision level change.
#include <cmath>

#include "tests/gl/gl_fixture.h"

namespace zarni::gltest {
namespace {

class ArraysTest : public GlTest {
  protected:
    // A domed patch and a free curve, copied by mirrors, a windmill and a move.
    void BuildScene() {
        PatchObject& obj = doc.objects[0];
        std::array<Vec3, 16> net = SquareNet(Vec3{0.6f, 0.3f, 0.2f}, 0.5f, 2, 0.6f);
        net[5].x += 0.2f;
        net[10].y -= 0.3f;
        AddPatch(obj, net);
        AddPatch(obj, SquareNet(Vec3{0.2f, 0.9f, -0.4f}, 0.3f, 1, -0.4f));
        AddSegment(obj, Vec3{-1.0f, 0.2f, 0.3f}, Vec3{-0.5f, 1.4f, 0.0f}, Vec3{0.4f, -1.0f, 0.5f},
                   Vec3{1.0f, 0.4f, -0.2f});
        obj.mirrorFlags = kMirrorX | kMirrorZ | kMirrorMove;
        obj.windmillCount = 3;
        obj.windmillAxis = 2;
        obj.moveY = -900;
        obj.color = {{0.8f, 0.5f, 0.2f, 1.0f}};
        CreateObject(doc);  // a second, current object, drawn differently per mode
        AddPatch(doc.objects[1], SquareNet(Vec3{-0.8f, -0.6f, 0.6f}, 0.4f, 2, -0.5f));
        doc.objects[1].mirrorFlags = kMirrorY;
    }

    // Pixels whose colours differ by more than a rounding step, and the largest difference.
    static std::pair<int, int> Difference(const Image& a, const Image& b) {
        int count = 0, largest = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const Rgb p = a.At(x, y), q = b.At(x, y);
                int d = 0;
                for (int k = 0; k < 3; ++k)
                    d = std::max(d, std::abs(p[k] - q[k]));
                largest = std::max(largest, d);
                count += d > 2;
            }
        }
        return {count, largest};
    }

    static int CoveredCount(const Image& img, Rgb background) {
        int n = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                n += !Same(img.At(x, y), background, 0);
        return n;
    }

    void ExpectSamePicture(ViewCamera& v, uint8_t mode, const char* what) {
        const Image slow = Draw(v, mode, nullptr);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << what;
        const Image fast = Draw(v, mode, &cache);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << what;
        const auto [count, largest] = Difference(slow, fast);
        const int covered = CoveredCount(slow, Background());
        ASSERT_GT(covered, 500) << what;  // the scene is in view
        // Vertices computed in another order of operations move an edge pixel now and then
        // and shift a shade by a step; anything more is a different picture.
        EXPECT_LE(count, covered / 100) << what << " mode " << int(mode) << ", largest " << largest;
    }

    GeometryCache cache;
};

TEST_F(ArraysTest, SamePictureAsTheEvaluatorsInEveryModeAndCamera) {
    BuildScene();
    for (int32_t div : {1, 6, 20}) {
        sw.divLevel = div;
        for (uint8_t mode : {kDisplayWireframe, kDisplayCurrentShaded, kDisplayShaded}) {
            ViewCamera persp = Perspective(-0.4f, 0.6f, 7.0f);
            ExpectSamePicture(persp, mode, "perspective");
            ViewCamera right = Ortho(kViewRight, 6.0f);
            ExpectSamePicture(right, mode, "right");
        }
    }
}

TEST_F(ArraysTest, RebuiltOnlyWhenCachesOrDivLevelChange) {
    BuildScene();
    sw.divLevel = 8;
    ViewCamera v = Perspective(-0.4f, 0.6f, 7.0f);
    Draw(v, kDisplayShaded, &cache);
    const uint64_t first = cache.buildCount();
    EXPECT_EQ(first, 2u);  // one build per object
    Draw(v, kDisplayShaded, &cache);
    Draw(v, kDisplayWireframe, &cache);
    EXPECT_EQ(cache.buildCount(), first);

    // An edit: the point moves, the caches are rebuilt, the picture follows.
    PatchObject& obj = doc.objects[0];
    obj.points[5].z += 0.8f;
    obj.points[0].x -= 0.3f;
    RebuildObjectCaches(obj);
    ExpectSamePicture(v, kDisplayShaded, "after an edit");
    EXPECT_EQ(cache.buildCount(), first) << "brought up to date, not built whole";
    EXPECT_EQ(cache.updateCount(), 1u);
    ExpectSamePicture(v, kDisplayWireframe, "after an edit");
    EXPECT_EQ(cache.updateCount(), 1u);

    sw.divLevel = 3;
    ExpectSamePicture(v, kDisplayCurrentShaded, "after a level change");
    EXPECT_EQ(cache.buildCount(), first + 2);

    // Deleting the first object moves the second into its place: rebuilt there, same picture.
    doc.objects.erase(doc.objects.begin());
    doc.currentObject = 0;
    cache.Trim(doc.objects.size());
    ExpectSamePicture(v, kDisplayShaded, "after a deletion");

    // Geometry added by hand: counts that change rebuild even before the caches do.
    AddSegment(doc.objects[0], Vec3{-1, -1, 0}, Vec3{-1, 1, 0}, Vec3{1, 1, 0}, Vec3{1, -1, 0});
    ExpectSamePicture(v, kDisplayWireframe, "after an added segment");
}

TEST_F(ArraysTest, AfterRandomEditsOnlyChangedRecordsAreEvaluatedAgainWithTheSamePicture) {
    // A 6 x 6 grid of patches with their own edges, and curves.
    PatchObject& obj = doc.objects[0];
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 6; ++c)
            AddPatch(obj, SquareNet(Vec3{-1.5f + 0.6f * c, -1.5f + 0.6f * r, 0.0f}, 0.25f, 2,
                                    0.1f * ((r + c) % 3)));
    RebuildObjectCaches(obj);
    sw.divLevel = 7;
    ViewCamera v = Perspective(-0.5f, 0.4f, 7.0f);
    Draw(v, kDisplayShaded, &cache);
    const uint64_t builds = cache.buildCount();
    uint32_t seed = 7;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int step = 0; step < 12; ++step) {
        // One or two points move a little, as a drag step does.
        for (int k = 0; k <= step % 2; ++k) {
            ControlPoint& p = obj.points[next() % obj.points.size()];
            p.x += (static_cast<float>(next() % 200) - 100.0f) / 500.0f;
            p.z += (static_cast<float>(next() % 200) - 100.0f) / 500.0f;
        }
        RebuildObjectCaches(obj);
        const std::string what = "step " + std::to_string(step);
        ExpectSamePicture(v, step % 2 ? kDisplayWireframe : kDisplayShaded, what.c_str());
        // Record by record, the arrays are exactly those of a whole build.
        ObjectArrays whole;
        BuildObjectArrays(obj, sw.divLevel, whole);
        const ObjectArrays& kept = cache.Get(0, obj, sw.divLevel);
        EXPECT_EQ(kept.curveVertices, whole.curveVertices) << what;
        EXPECT_EQ(kept.surfaceVertices, whole.surfaceVertices) << what;
        EXPECT_EQ(kept.surfaceNormals, whole.surfaceNormals) << what;
    }
    EXPECT_EQ(cache.buildCount(), builds) << "no whole build after the first";
    EXPECT_GE(cache.updateCount(), 12u);
    // A level change and a change of counts build whole again.
    sw.divLevel = 4;
    ExpectSamePicture(v, kDisplayShaded, "level");
    EXPECT_EQ(cache.buildCount(), builds + 1);
    AddPatch(obj, SquareNet(Vec3{2.0f, 2.0f, 0.0f}, 0.25f, 2, 0.1f));
    RebuildObjectCaches(obj);
    ExpectSamePicture(v, kDisplayShaded, "counts");
    EXPECT_EQ(cache.buildCount(), builds + 2);
}

TEST(ObjectArrays, GridCornersAreTheCornerControlPointsAndNormalsAreUnit) {
    PatchObject obj;
    std::array<Vec3, 16> net = SquareNet(Vec3{0.5f, -0.2f, 0.3f}, 0.7f, 2, 0.9f);
    net[3].z = 0.4f;
    net[12].y += 0.2f;
    AddPatch(obj, net);
    for (int32_t div : {1, 5, 20}) {
        ObjectArrays a;
        BuildObjectArrays(obj, div, a);
        const size_t side = div + 1;
        ASSERT_EQ(a.surfaceVertices.size(), side * side * 3);
        // One strip: each row's 2 (div + 1) vertices, rows joined by two repeated indices.
        EXPECT_EQ(a.surfaceIndices.size(), side * 2 * div + 2 * (div - 1));
        EXPECT_EQ(a.curveIndices.size(), static_cast<size_t>(4 * div * 2));
        // Corners of the grid (u along a net row, v across rows) are the net's corners.
        const size_t corners[4][2] = {
            {0, 0}, {side - 1, 3}, {side * (side - 1), 12}, {side * side - 1, 15}};
        for (const auto& c : corners) {
            EXPECT_NEAR(a.surfaceVertices[c[0] * 3 + 0], net[c[1]].x, 1e-5);
            EXPECT_NEAR(a.surfaceVertices[c[0] * 3 + 1], net[c[1]].y, 1e-5);
            EXPECT_NEAR(a.surfaceVertices[c[0] * 3 + 2], net[c[1]].z, 1e-5);
        }
        for (size_t i = 0; i < side * side; ++i) {
            const float* n = &a.surfaceNormals[i * 3];
            EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0f, 1e-4);
        }
        // Curve ends are the segment's anchors.
        const float* c = a.curveVertices.data();
        EXPECT_NEAR(c[0], obj.segmentCache[0], 1e-6);
        EXPECT_NEAR(c[side * 3 - 1], obj.segmentCache[11], 1e-6);
        for (uint32_t i : a.surfaceIndices)
            EXPECT_LT(i, side * side);
    }
    // A cache shorter than the counts (never rebuilt) is drawn only as far as it goes.
    obj.patchCache.clear();
    ObjectArrays a;
    BuildObjectArrays(obj, 4, a);
    EXPECT_TRUE(a.surfaceIndices.empty());
}

}  // namespace
}  // namespace zarni::gltest
