// Picking by projection against selection mode on OSMesa: random objects (anchors, handles,
// hidden layers, points behind the eye and beyond the far plane) seen from random perspective
// and orthographic views give the same hit records, in the same order, for point picks,
// rectangles and unrestricted regions; and the
// rectangle selects the same points either way.
#include <random>

#include "tests/gl/gl_fixture.h"
#include "gl/pick.h"

namespace zarni::gltest {
namespace {

class PickMethodsTest : public GlTest {
  protected:
    // An object of `count` points: about a third anchors, the rest handles of earlier anchors,
    // spread wider than the view so that some fall outside it on every side.
    void RandomObject(std::mt19937& rng, int count) {
        PatchObject& obj = *doc.Current();
        obj.points.clear();
        std::uniform_real_distribution<float> coord(-12.0f, 12.0f);
        std::uniform_int_distribution<int> layer(0, 5);
        std::vector<int32_t> anchors;
        for (int i = 0; i < count; ++i) {
            ControlPoint p;
            p.x = coord(rng);
            p.y = coord(rng);
            p.z = coord(rng);
            p.layer = static_cast<uint8_t>(layer(rng));
            if (anchors.empty() || rng() % 3 == 0) {
                anchors.push_back(i);
            } else {
                p.anchor = anchors[rng() % anchors.size()];
            }
            obj.points.push_back(p);
        }
        doc.selectedAnchors.clear();
        for (int32_t a : anchors)
            if (rng() % 2 == 0) doc.selectedAnchors.push_back(a);
        for (uint8_t& on : sw.layerVisible)
            on = rng() % 5 != 0;
        sw.handleMode = static_cast<int32_t>(rng() % 2);
    }

    ViewCamera RandomView(std::mt19937& rng) {
        std::uniform_real_distribution<float> angle(-kCameraPi, kCameraPi);
        std::uniform_real_distribution<float> pan(-2.0f, 2.0f);
        std::uniform_real_distribution<float> altitude(1.0f, 30.0f);
        ViewCamera v = rng() % 2 ? Perspective(angle(rng), angle(rng), altitude(rng))
                                 : Ortho(static_cast<int>(rng() % 6), altitude(rng));
        v.width = 120 + static_cast<int32_t>(rng() % 400);
        v.height = 90 + static_cast<int32_t>(rng() % 300);
        v.panX = pan(rng);
        v.panY = pan(rng);
        UpdateCamera(v);
        ComputeSavedMatrices(v, fovy);
        return v;
    }

    std::vector<int32_t> Hits(PickMethod method, int32_t flags, const ViewCamera& v, double x,
                              double y, double w, double h) {
        PickInput in(doc, sw, flags);
        in.fovy = fovy;
        in.method = method;
        return PickHits(in, v, x, y, w, h);
    }

    const float fovy = 30.0f;
};

TEST_F(PickMethodsTest, ProjectionGivesTheRecordsOfSelectionMode) {
    std::mt19937 rng(20240611);
    int pointPicksWithHits = 0, bandsWithHits = 0;
    for (int round = 0; round < 60; ++round) {
        RandomObject(rng, 50 + static_cast<int>(rng() % 400));
        const ViewCamera v = RandomView(rng);
        const int32_t flags = rng() % 4 == 0 ? kControlMinimumDrawing : 0;
        const PatchObject& obj = *doc.Current();
        SCOPED_TRACE(testing::Message() << "round " << round);

        // Point picks at and around the pixels of random points, so that most of them hit.
        for (int k = 0; k < 20; ++k) {
            const ControlPoint& p = obj.points[rng() % obj.points.size()];
            const auto px = PixelOf(v, {p.x, p.y, p.z});
            const CursorPoint at{px[0] + static_cast<int32_t>(rng() % 7) - 3,
                                 px[1] + static_cast<int32_t>(rng() % 7) - 3};
            const double x = at.x, y = v.height - at.y - 1;
            const auto gl = Hits(PickMethod::SelectionMode, flags, v, x, y, kPickSize, kPickSize);
            ASSERT_EQ(Hits(PickMethod::Projected, flags, v, x, y, kPickSize, kPickSize), gl)
                << "point pick at " << at.x << ", " << at.y;
            pointPicksWithHits += !gl.empty();
        }
        // Rectangles of every size, partly outside the view, and the unrestricted region.
        for (int k = 0; k < 5; ++k) {
            const int32_t l = static_cast<int32_t>(rng() % (v.width + 40)) - 20;
            const int32_t t = static_cast<int32_t>(rng() % (v.height + 40)) - 20;
            const int32_t w = static_cast<int32_t>(rng() % v.width);
            const int32_t h = k == 4 ? 0 : static_cast<int32_t>(rng() % v.height);
            const double x = l + w / 2.0, y = v.height - t - h / 2.0 - 1;
            const auto gl = Hits(PickMethod::SelectionMode, flags, v, x, y, w, h);
            ASSERT_EQ(Hits(PickMethod::Projected, flags, v, x, y, w, h), gl)
                << "rectangle " << l << ", " << t << ", " << w << " x " << h;
            bandsWithHits += !gl.empty();
        }
    }
    // The comparison means something only when the picks find points.
    EXPECT_GT(pointPicksWithHits, 300);
    EXPECT_GT(bandsWithHits, 100);
}

TEST_F(PickMethodsTest, PointPickAndRectangleAgreeThroughTheirWholeRules) {
    std::mt19937 rng(7);
    for (int round = 0; round < 30; ++round) {
        RandomObject(rng, 300);
        const ViewCamera v = RandomView(rng);
        sw.intersectSelect = static_cast<int32_t>(rng() % 2);
        const ModifierKeys keys{rng() % 2 == 0, rng() % 2 == 0, false};
        const PatchObject& obj = *doc.Current();
        SCOPED_TRACE(testing::Message() << "round " << round);

        const ControlPoint& p = obj.points[rng() % obj.points.size()];
        const auto px = PixelOf(v, {p.x, p.y, p.z});
        PickInput in(doc, sw, 0);
        in.fovy = fovy;
        in.method = PickMethod::SelectionMode;
        const PickResult gl = PickPointHits(in, v, {px[0], px[1]});
        const int32_t glCount = LastHitCount();
        in.method = PickMethod::Projected;
        const PickResult cpu = PickPointHits(in, v, {px[0], px[1]});
        EXPECT_EQ(cpu.index, gl.index);
        EXPECT_EQ(cpu.hitCount, gl.hitCount);
        EXPECT_EQ(cpu.firstName, gl.firstName);
        EXPECT_EQ(cpu.lastName, gl.lastName);
        EXPECT_EQ(LastHitCount(), glCount);

        const auto anchors = doc.selectedAnchors;
        const auto handles = doc.selectedHandles;
        const int32_t active = doc.activePoint;
        const int32_t l = static_cast<int32_t>(rng() % v.width) - 10;
        const int32_t t = static_cast<int32_t>(rng() % v.height) - 10;
        const int32_t w = static_cast<int32_t>(rng() % v.width);
        const int32_t h = static_cast<int32_t>(rng() % v.height);
        Vec3 glOrigin, cpuOrigin;
        const int32_t glLast = PickRectangle(doc, sw, 0, v, fovy, l, t, w, h, keys, &glOrigin,
                                             PickMethod::SelectionMode);
        const auto glAnchors = doc.selectedAnchors;
        const auto glHandles = doc.selectedHandles;
        const int32_t glActive = doc.activePoint;
        doc.selectedAnchors = anchors;
        doc.selectedHandles = handles;
        doc.activePoint = active;
        const int32_t cpuLast =
            PickRectangle(doc, sw, 0, v, fovy, l, t, w, h, keys, &cpuOrigin, PickMethod::Projected);
        EXPECT_EQ(cpuLast, glLast);
        EXPECT_EQ(doc.selectedAnchors, glAnchors);
        EXPECT_EQ(doc.selectedHandles, glHandles);
        EXPECT_EQ(doc.activePoint, glActive);
        if (glActive >= 0) {
            EXPECT_EQ(cpuOrigin.x, glOrigin.x);
        }
    }
}

}  // namespace
}  // namespace zarni::gltest
