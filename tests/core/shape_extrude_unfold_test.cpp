// Extrude (sweeps, shared side curves, repeated sweeps) and Unfold (the symmetry copies made
// real, stage by stage, with their index offsets).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "ops/extrude.h"
#include "ops/primitives.h"
#include "ops/unfold.h"
#include "tests/core/ops_fixtures.h"

namespace zarni {
namespace {

using opsfix::Sound;

using opsfix::kPi;
using opsfix::Near;
using opsfix::Xyz;

ExtrudeSettings Sweep(int32_t axis, float length, bool minus = false) {
    ExtrudeSettings s;
    s.axis = axis;
    s.length = length;
    s.minus = minus;
    return s;
}

// The straight curve (0, 0, 0) -> (1, 0, 0) with handles at a third and two thirds: anchors
// 0 and 1, handles 2 and 3; both anchors selected.
Document StraightCurve() {
    Document doc = opsfix::DocWith([](PatchObject& obj) { opsfix::AddFreeCurve(obj, 0, 0, 1, 0); });
    doc.selectedAnchors = {0, 1};
    doc.activePoint = 1;
    return doc;
}

// ---------------------------------------------------------------------------------------------
// Extrude

TEST(Extrude, StraightCurveWithTheDefaultsMakesOneEvenlySpacedPatch) {
    Document doc = StraightCurve();
    EditSwitches sw;
    ExtrudeSelection(doc, sw, ExtrudeSettings{});
    ASSERT_TRUE(Sound(doc));
    const PatchObject& obj = *doc.Current();
    // 4 copies, 2 side curves of 2 handles, 4 interior points.
    ASSERT_EQ(obj.pointCount(), 16);
    ASSERT_EQ(obj.segmentCount(), 4);
    ASSERT_EQ(obj.patchCount(), 1);
    const Patch& q = obj.patches[0];
    EXPECT_EQ(q.edge0, 0);
    // Row r of the net is the source curve moved by 0.2 r along +Z.
    const std::array<int32_t, 16> net = PatchNet(obj.segments, q);
    const double xs[4] = {0.0, 1.0 / 3, 2.0 / 3, 1.0};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_TRUE(Near(obj.points[net[r * 4 + c]], {xs[c], 0, 0.2 * r})) << r << c;
        }
    }
    EXPECT_EQ(net[0], 0);
    EXPECT_EQ(net[3], 1);
    // Owners: the copied handles belong to the copied anchors, each side handle and interior
    // point to the nearest corner.
    const int32_t c0 = net[12], c3 = net[15];
    EXPECT_EQ(obj.points[c0].anchor, -1);
    EXPECT_EQ(obj.points[c3].anchor, -1);
    const int32_t owner[16] = {-1, 0, 1, -1, 0, 0, 1, 1, c0, c0, c3, c3, -1, c0, c3, -1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(obj.points[net[i]].anchor, owner[i]) << i;
    // The copied anchors are the selection, the last one active.
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{c0, c3}));
    EXPECT_EQ(doc.activePoint, c3);
    EXPECT_TRUE(doc.modified);
}

TEST(Extrude, EveryAxisAndDirectionAndLength) {
    EditSwitches sw;
    for (int32_t axis : {1, 2, 3}) {
        for (bool minus : {false, true}) {
            Document doc = StraightCurve();
            ExtrudeSelection(doc, sw, Sweep(axis, 1.234f, minus));
            ASSERT_TRUE(Sound(doc));
            const PatchObject& obj = *doc.Current();
            double d[3] = {0, 0, 0};
            d[axis - 1] = minus ? -1.234 : 1.234;
            const std::array<int32_t, 16> net = PatchNet(obj.segments, obj.patches[0]);
            for (int c = 0; c < 4; ++c) {
                const ControlPoint& from = obj.points[net[c]];
                EXPECT_TRUE(
                    Near(obj.points[net[12 + c]], {from.x + d[0], from.y + d[1], from.z + d[2]}))
                    << axis << minus;
                EXPECT_TRUE(Near(obj.points[net[4 + c]],
                                 {from.x + d[0] / 3, from.y + d[1] / 3, from.z + d[2] / 3}))
                    << axis << minus;
            }
        }
    }
}

TEST(Extrude, CopiesKeepTheSourceLayerAndNewPointsGoToLayerZero) {
    Document doc = StraightCurve();
    for (ControlPoint& p : doc.Current()->points)
        p.layer = 3;
    EditSwitches sw;
    ExtrudeSelection(doc, sw, ExtrudeSettings{});
    const PatchObject& obj = *doc.Current();
    const std::array<int32_t, 16> net = PatchNet(obj.segments, obj.patches[0]);
    for (int i = 0; i < 16; ++i) {
        const bool sourceOrCopy = i < 4 || i >= 12;
        EXPECT_EQ(obj.points[net[i]].layer, sourceOrCopy ? 3 : 0) << i;
    }
}

TEST(Extrude, ClosedCircleMakesABandWithFourSharedSideCurves) {
    Document doc = NewDocument();
    EditSwitches sw;
    AddCircle4(doc, sw);  // selects its four anchors
    ExtrudeSelection(doc, sw, Sweep(2, 0.9f));
    ASSERT_TRUE(Sound(doc));
    const PatchObject& obj = *doc.Current();
    // 12 copies, 4 side curves of 2 handles, 4 x 4 interior points.
    EXPECT_EQ(obj.pointCount(), 12 + 12 + 8 + 16);
    // 4 circle curves, 4 copies and 4 side curves, each side shared by two patches.
    EXPECT_EQ(obj.segmentCount(), 12);
    ASSERT_EQ(obj.patchCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(obj.patches[i].edge0, i);
        EXPECT_EQ(obj.patches[i].edge3, obj.patches[(i + 1) % 4].edge2) << i;
    }
    // The copy is a closed circle 0.9 up: its last curve ends where its first starts.
    EXPECT_EQ(obj.segments[obj.patches[3].edge1].p3, obj.segments[obj.patches[0].edge1].p0);
    ASSERT_EQ(doc.selectedAnchors.size(), 4u);
    for (int j = 0; j < 4; ++j) {
        const ControlPoint& source = obj.points[3 * j];
        const ControlPoint& copy = obj.points[doc.selectedAnchors[j]];
        EXPECT_TRUE(Near(copy, {source.x, source.y + 0.9, source.z})) << j;
        EXPECT_EQ(obj.segments[obj.patches[j].edge1].p0, doc.selectedAnchors[j]);
    }
}

TEST(Extrude, TwiceContinuesTheStripFromTheCopy) {
    Document doc = StraightCurve();
    EditSwitches sw;
    ExtrudeSelection(doc, sw, ExtrudeSettings{});
    ExtrudeSelection(doc, sw, ExtrudeSettings{});
    ASSERT_TRUE(Sound(doc));
    const PatchObject& obj = *doc.Current();
    // Only the copy curve has both ends selected the second time; the side curves do not.
    // Each sweep of one curve adds 12 points and 3 curves.
    EXPECT_EQ(obj.pointCount(), 4 + 12 + 12);
    EXPECT_EQ(obj.segmentCount(), 1 + 3 + 3);
    ASSERT_EQ(obj.patchCount(), 2);
    EXPECT_EQ(obj.patches[1].edge0, obj.patches[0].edge1);
    const std::array<int32_t, 16> net = PatchNet(obj.segments, obj.patches[1]);
    EXPECT_TRUE(Near(obj.points[net[12]], {0, 0, 1.2}));
    EXPECT_TRUE(Near(obj.points[net[15]], {1, 0, 1.2}));
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{net[12], net[15]}));
}

TEST(Extrude, WithoutASelectedCurveOrAUsableAxis) {
    EditSwitches sw;
    {
        // One selected end: nothing is built, but the selection is renewed (to nothing).
        Document doc = StraightCurve();
        doc.selectedAnchors = {0};
        ExtrudeSelection(doc, sw, ExtrudeSettings{});
        EXPECT_EQ(doc.Current()->pointCount(), 4);
        EXPECT_TRUE(doc.selectedAnchors.empty());
        EXPECT_TRUE(Sound(doc));
    }
    {
        // Nothing selected: nothing at all, not even the modified flag.
        Document doc = StraightCurve();
        doc.selectedAnchors.clear();
        ExtrudeSelection(doc, sw, ExtrudeSettings{});
        EXPECT_EQ(doc.Current()->pointCount(), 4);
        EXPECT_FALSE(doc.modified);
    }
    for (int32_t axis : {0, 4, -1}) {
        // An axis no radio button names sweeps by nothing: every record is still made, each
        // copy on its source.
        Document doc = StraightCurve();
        ExtrudeSelection(doc, sw, Sweep(axis, 0.6f));
        ASSERT_TRUE(Sound(doc));
        const PatchObject& obj = *doc.Current();
        EXPECT_EQ(obj.pointCount(), 16);
        ASSERT_EQ(obj.patchCount(), 1);
        const std::array<int32_t, 16> net = PatchNet(obj.segments, obj.patches[0]);
        for (int i = 4; i < 16; ++i) {
            const ControlPoint& source = obj.points[net[i % 4]];
            EXPECT_TRUE(Near(obj.points[net[i]], {source.x, source.y, source.z})) << axis;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Unfold

// A patch, a free curve and a stray anchor: every kind of index an unfold must shift.
Document Mixed() {
    return opsfix::DocWith([](PatchObject& obj) {
        opsfix::AddPatchGrid(obj, 1, 1, 0.25f);
        opsfix::AddFreeCurve(obj, 0.5f, -1.0f, 2.0f, -0.5f, 0.75f);
        opsfix::AddPoint(obj, 0.3f, 0.6f, 0.9f);
    });
}

// Every block b of the unfolded object must be the original with `place(b, position)` applied
// and every index shifted by b blocks.
template <class F>
void ExpectBlocks(const PatchObject& original, const PatchObject& obj, int blocks, F&& place) {
    const int32_t n = original.pointCount();
    const int32_t ns = original.segmentCount();
    const int32_t np = original.patchCount();
    ASSERT_EQ(obj.pointCount(), n * blocks);
    ASSERT_EQ(obj.segmentCount(), ns * blocks);
    ASSERT_EQ(obj.patchCount(), np * blocks);
    for (int b = 0; b < blocks; ++b) {
        for (int32_t i = 0; i < n; ++i) {
            const ControlPoint& p = original.points[i];
            const ControlPoint& q = obj.points[b * n + i];
            EXPECT_TRUE(Near(q, place(b, Xyz{p.x, p.y, p.z}), 1e-5))
                << "block " << b << " point " << i;
            EXPECT_EQ(q.anchor, p.anchor < 0 ? p.anchor : p.anchor + b * n);
            EXPECT_EQ(q.layer, p.layer);
        }
        for (int32_t i = 0; i < ns; ++i) {
            const Segment& s = original.segments[i];
            const Segment& t = obj.segments[b * ns + i];
            EXPECT_EQ(t.p0, s.p0 + b * n);
            EXPECT_EQ(t.p1, s.p1 + b * n);
            EXPECT_EQ(t.p2, s.p2 + b * n);
            EXPECT_EQ(t.p3, s.p3 + b * n);
        }
        for (int32_t i = 0; i < np; ++i) {
            const Patch& s = original.patches[i];
            const Patch& t = obj.patches[b * np + i];
            EXPECT_EQ(t.edge0, s.edge0 + b * ns);
            EXPECT_EQ(t.edge1, s.edge1 + b * ns);
            EXPECT_EQ(t.edge2, s.edge2 + b * ns);
            EXPECT_EQ(t.edge3, s.edge3 + b * ns);
            EXPECT_EQ(t.inner11, s.inner11 + b * n);
            EXPECT_EQ(t.inner12, s.inner12 + b * n);
            EXPECT_EQ(t.inner21, s.inner21 + b * n);
            EXPECT_EQ(t.inner22, s.inner22 + b * n);
        }
    }
}

void ExpectSettingsReset(const PatchObject& obj) {
    EXPECT_EQ(obj.mirrorFlags, 0);
    EXPECT_EQ(obj.windmillCount, 1);
    EXPECT_EQ(obj.windmillAxis, 1);
    EXPECT_EQ(obj.moveX, 0);
    EXPECT_EQ(obj.moveY, 0);
    EXPECT_EQ(obj.moveZ, 0);
}

// Right-handed rotation about X, Y or Z.
Xyz Turned(Xyz p, int axis, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    if (axis == 1) return {p.x, c * p.y - s * p.z, s * p.y + c * p.z};
    if (axis == 2) return {c * p.x + s * p.z, p.y, -s * p.x + c * p.z};
    return {c * p.x - s * p.y, s * p.x + c * p.y, p.z};
}

TEST(Unfold, MirrorXAndYOfTwelvePointsGiveFortyEight) {
    Document doc = opsfix::DocWith([](PatchObject& obj) { opsfix::AddClosedLoop(obj, 1.5f); });
    doc.Current()->points[1].z = 0.5f;  // so that no mirror maps the loop onto itself
    doc.selectedAnchors = {0, 3};
    doc.activePoint = 3;
    const PatchObject original = *doc.Current();
    doc.Current()->mirrorFlags = kMirrorX | kMirrorY;
    EditSwitches sw;
    UnfoldSymmetry(doc, sw);
    ASSERT_TRUE(Sound(doc));
    const PatchObject& obj = *doc.Current();
    EXPECT_EQ(obj.pointCount(), 48);
    // The object, its X mirror, then the Y mirrors of both.
    ExpectBlocks(original, obj, 4, [](int b, Xyz p) {
        if (b % 2) p.x = -p.x;
        if (b >= 2) p.y = -p.y;
        return p;
    });
    ExpectSettingsReset(obj);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 3}));
    EXPECT_EQ(doc.activePoint, 3);
    EXPECT_TRUE(doc.modified);
}

TEST(Unfold, WindmillTurnsRightHandedAboutEachAxis) {
    EditSwitches sw;
    {
        Document doc = opsfix::DocWith([](PatchObject& obj) { opsfix::AddPoint(obj, 1, 0, 0); });
        doc.Current()->windmillCount = 3;
        doc.Current()->windmillAxis = 3;
        UnfoldSymmetry(doc, sw);
        ASSERT_TRUE(Sound(doc));
        const PatchObject& obj = *doc.Current();
        ASSERT_EQ(obj.pointCount(), 3);
        const double h = std::sqrt(3.0) / 2;
        EXPECT_TRUE(Near(obj.points[0], {1, 0, 0}));
        EXPECT_TRUE(Near(obj.points[1], {-0.5, h, 0}));
        EXPECT_TRUE(Near(obj.points[2], {-0.5, -h, 0}));
        ExpectSettingsReset(obj);
    }
    // A quarter turn takes Y to Z about X, Z to X about Y and X to Y about Z.
    const Xyz from[3] = {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
    const Xyz to[3] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
    for (int axis = 1; axis <= 3; ++axis) {
        Document doc = Mixed();
        const int32_t stray = doc.Current()->pointCount() - 1;
        doc.Current()->points[stray].x = static_cast<float>(from[axis - 1].x);
        doc.Current()->points[stray].y = static_cast<float>(from[axis - 1].y);
        doc.Current()->points[stray].z = static_cast<float>(from[axis - 1].z);
        const PatchObject original = *doc.Current();
        doc.Current()->windmillCount = 4;
        doc.Current()->windmillAxis = axis;
        UnfoldSymmetry(doc, sw);
        ASSERT_TRUE(Sound(doc));
        const PatchObject& obj = *doc.Current();
        EXPECT_TRUE(Near(obj.points[original.pointCount() + stray], to[axis - 1])) << axis;
        ExpectBlocks(original, obj, 4,
                     [axis](int b, Xyz p) { return Turned(p, axis, 2 * kPi * b / 4); });
    }
}

TEST(Unfold, MoveCopiesEverythingShifted) {
    Document doc = Mixed();
    const PatchObject original = *doc.Current();
    doc.Current()->mirrorFlags = kMirrorMove;
    doc.Current()->moveX = 1000;
    doc.Current()->moveZ = -500;
    EditSwitches sw;
    UnfoldSymmetry(doc, sw);
    ASSERT_TRUE(Sound(doc));
    ExpectBlocks(original, *doc.Current(), 2, [](int b, Xyz p) {
        if (b == 1) {
            p.x += 1.0;
            p.z -= 0.5;
        }
        return p;
    });
    ExpectSettingsReset(*doc.Current());
}

TEST(Unfold, AllStagesTogetherInTheirOrder) {
    Document doc = Mixed();
    const PatchObject original = *doc.Current();
    PatchObject& obj = *doc.Current();
    obj.mirrorFlags = kMirrorX | kMirrorZ | kMirrorMove;
    obj.windmillCount = 3;
    obj.windmillAxis = 2;
    obj.moveX = -250;
    obj.moveY = 3000;
    obj.moveZ = 125;
    EditSwitches sw;
    UnfoldSymmetry(doc, sw);
    ASSERT_TRUE(Sound(doc));
    // n * 2^2 mirrors * 3 windmill * 2 move: blocks 0..3 the mirrors, 4..11 their turned
    // copies, 12..23 the moved copies of the first twelve.
    ExpectBlocks(original, *doc.Current(), 24, [](int b, Xyz p) {
        const int mirrors = b % 4, turn = (b % 12) / 4;
        if (mirrors & 1) p.x = -p.x;
        if (mirrors & 2) p.z = -p.z;
        p = Turned(p, 2, 2 * kPi * turn / 3);
        if (b >= 12) {
            p.x += -0.25;
            p.y += 3.0;
            p.z += 0.125;
        }
        return p;
    });
    ExpectSettingsReset(*doc.Current());
}

TEST(Unfold, NothingToUnfoldStillMarksTheDocumentModified) {
    Document doc = Mixed();
    const PatchObject original = *doc.Current();
    EditSwitches sw;
    UnfoldSymmetry(doc, sw);
    EXPECT_TRUE(opsfix::SameGeometry(original, *doc.Current()));
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(Sound(doc));

    Document none = Mixed();
    none.Current()->mirrorFlags = kMirrorX;
    none.currentObject = -1;
    UnfoldSymmetry(none, sw);
    EXPECT_EQ(none.objects[0].mirrorFlags, kMirrorX);
    EXPECT_FALSE(none.modified);
}

TEST(Unfold, WindmillAxisOutsideOneToThreeAddsNoTurnedCopies) {
    // Such an axis can only come from a file. The other stages still run, and the settings are
    // cleared as after any unfold.
    EditSwitches sw;
    for (int32_t axis : {0, 4, -7, 1000}) {
        Document doc = Mixed();
        const PatchObject original = *doc.Current();
        doc.Current()->mirrorFlags = kMirrorY;
        doc.Current()->windmillCount = 5;
        doc.Current()->windmillAxis = axis;
        UnfoldSymmetry(doc, sw);
        ASSERT_TRUE(Sound(doc));
        const PatchObject& obj = *doc.Current();
        ExpectBlocks(original, obj, 2, [](int b, Xyz p) {
            if (b == 1) p.y = -p.y;
            return p;
        });
        for (const ControlPoint& p : obj.points) {
            EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
        }
        ExpectSettingsReset(obj);
        EXPECT_TRUE(doc.modified);
    }
}

}  // namespace
}  // namespace zarni
