// The frame budget and the cheaper full frames: the settled picture is the one drawn before
// calls were culled and arrays kept in buffer objects, a view that sees nothing of an object
// draws none of it, and the governor's level drops under slow frames and comes back when the
// input is still.
#include <cstring>
#include <string>

#include "bench/big_document.h"
#include "bench/draw_document.h"
#include "formats/native_file.h"
#include "tests/gl/gl_fixture.h"

namespace zarni::gltest {
namespace {

class DetailTest : public GlTest {
  protected:
    // The picture as it was drawn before: client arrays, nothing culled, a fresh cache.
    Image Before(ViewCamera& v, uint8_t mode) {
        GeometryCache fresh;
        v.displayMode = mode;
        SceneInput in(doc, sw, settings);
        in.geometry = &fresh;
        in.drawOptions.cull = false;
        in.drawOptions.buffers = false;
        return Draw(v, in);
    }

    // The picture as the views draw it now, after a reduced one in between (the governor's
    // frames while dragging), from the caches the views keep.
    Image Now(ViewCamera& v, uint8_t mode, DetailLevel reducedFirst) {
        Draw(v, Input(mode, v, reducedFirst));
        return Draw(v, Input(mode, v));
    }

    static bool Identical(const Image& a, const Image& b) {
        return a.rgba.size() == b.rgba.size() &&
               std::memcmp(a.rgba.data(), b.rgba.data(), a.rgba.size()) == 0;
    }

    static int Covered(const Image& img, Rgb background) {
        int n = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                n += !Same(img.At(x, y), background, 0);
        return n;
    }

    void ExpectSettledPicturesUnchanged(const char* what) {
        const DetailLevel coarse{false, 2, 3};
        struct Camera {
            const char* name;
            ViewCamera view;
        };
        // The close-up sees part of the document only, so calls are culled there.
        Camera cameras[] = {{"perspective", Perspective(-0.4f, 0.6f, 7.0f)},
                            {"close-up", Perspective(-0.2f, 0.3f, 1.2f)},
                            {"front", Ortho(kViewFront, 5.0f)}};
        for (Camera& c : cameras) {
            for (uint8_t mode : {kDisplayWireframe, kDisplayCurrentShaded, kDisplayShaded}) {
                const Image before = Before(c.view, mode);
                SurfaceCounters() = DrawCounters{};
                const Image now = Now(c.view, mode, coarse);
                EXPECT_TRUE(Identical(before, now))
                    << what << " " << c.name << " mode " << int(mode);
                EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
                if (std::string(c.name) == "close-up") {
                    EXPECT_GT(SurfaceCounters().callsCulled, 0u) << what << " mode " << int(mode);
                }
            }
        }
    }

    // The picture drawn in walks of at most `pieces` pieces each, as the views' idle passes
    // draw it: the first walk loads the projection, the later ones load it again over what a
    // pick in between left in the context. Counts the walks.
    Image Sliced(ViewCamera& v, SceneInput in, size_t pieces, int& walks) {
        FrameSlices slices;
        slices.Restart();
        in.slices = &slices;
        walks = 0;
        do {
            slices.BeginSlice(FrameSlices::Clock::time_point::max(), pieces);
            if (walks++ == 0) {
                SizeView(v, 30.0f, in);
            } else {
                LoadProjection(v, 30.0f);
                DrawView(in, v);
            }
            // What a hover pick between two turns of the event loop leaves behind.
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
            glMatrixMode(GL_MODELVIEW);
            glPointSize(5.0f);
        } while (!slices.complete() && walks < 100000);
        glFinish();
        Image img;
        img.rgba.resize(kWidth * kHeight * 4);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, img.rgba.data());
        return img;
    }

    SceneInput Input(uint8_t mode, ViewCamera& v, DetailLevel level = DetailLevel{}) {
        v.displayMode = mode;
        SceneInput in(doc, sw, settings);
        in.geometry = &cache;
        in.reducedGeometry = &reduced;
        in.drawOptions.buffers = true;
        in.detail = level;
        return in;
    }

    GeometryCache cache;
    GeometryCache reduced;
};

TEST(FrameSlices, WalksDrawThePiecesInTurnsAndEveryWalkDrawsOne) {
    FrameSlices s;
    EXPECT_FALSE(s.inProgress());
    s.Restart();
    // Three pieces a walk over a frame of eight: 3, 3, 2.
    const size_t expected[] = {3, 6, 8};
    for (size_t walk = 0; walk < 3; ++walk) {
        s.BeginSlice(FrameSlices::Clock::time_point::max(), 3);
        size_t drawn = 0;
        for (int piece = 0; piece < 8; ++piece)
            drawn += s.Take();
        EXPECT_EQ(s.piecesDrawn(), expected[walk]) << walk;
        EXPECT_EQ(drawn, walk == 2 ? 2u : 3u) << walk;
        EXPECT_EQ(s.complete(), walk == 2) << walk;
        EXPECT_EQ(s.inProgress(), walk != 2) << walk;
    }
    EXPECT_DOUBLE_EQ(s.doneShare(), 1.0);
    // A deadline already past still lets one piece through, so a frame always gets finished.
    s.Restart();
    int walks = 0;
    do {
        s.BeginSlice(FrameSlices::Clock::now() - std::chrono::seconds(1));
        for (int piece = 0; piece < 5; ++piece)
            s.Take();
        ++walks;
        if (walks == 2) {
            EXPECT_DOUBLE_EQ(s.doneShare(), 2.0 / 5.0);
        }
    } while (!s.complete());
    EXPECT_EQ(walks, 5);
}

TEST_F(DetailTest, AFrameDrawnInSlicesIsTheFrameDrawnAtOnce) {
    Clipboard clipboard;
    ASSERT_EQ(ReadDocumentFile(doc, sw, clipboard, ZARNI_SOURCE_DIR "/samples/sample.zarni"),
              kFileOk);
    sw.showAllObjects = 1;
    const Document sample = doc;
    const Document bench = bench::DrawBenchDocument();
    // Many points, selected, so the runs of points come in several pieces.
    Document points = bench::BigDocument(60000, 30000, 2000);
    for (size_t i = 0; i < points.objects[0].points.size(); i += 8)
        if (points.objects[0].points[i].anchor < 0)
            points.selectedAnchors.push_back(static_cast<int32_t>(i));
    struct Case {
        const char* name;
        const Document* document;
        int32_t div;
        DetailLevel level;
        size_t pieces;
    };
    const Case cases[] = {
        {"sample", &sample, 6, DetailLevel{}, 1},
        {"sample, two a walk", &sample, 6, DetailLevel{}, 2},
        {"benchmark", &bench, 20, DetailLevel{}, 37},
        {"benchmark reduced", &bench, 20, DetailLevel{false, 2, 3}, 5},
        {"points", &points, 4, DetailLevel{}, 3},
        {"points reduced", &points, 4, DetailLevel{false, 1, 4}, 1},
    };
    for (const Case& c : cases) {
        doc = *c.document;
        sw.divLevel = c.div;
        cache.Clear();
        reduced.Clear();
        ViewCamera views[] = {Perspective(-0.4f, 0.6f, 7.0f), Ortho(kViewFront, 5.0f)};
        for (ViewCamera& v : views) {
            for (uint8_t mode : {kDisplayWireframe, kDisplayCurrentShaded, kDisplayShaded}) {
                const Image whole = Draw(v, Input(mode, v, c.level));
                int walks = 0;
                const Image sliced = Sliced(v, Input(mode, v, c.level), c.pieces, walks);
                EXPECT_TRUE(Identical(whole, sliced))
                    << c.name << " mode " << int(mode) << " in " << walks << " walks";
                // More than one walk, or the case would not test the slicing.
                EXPECT_GT(walks, 1) << c.name << " mode " << int(mode);
                EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
            }
        }
    }
}

TEST_F(DetailTest, AReducedPictureDrawsAShareOfThePointsAndAnUnfinishedSliceShowsLess) {
    doc = bench::BigDocument(60000, 30000, 2000);
    sw.divLevel = 4;
    ViewCamera v = Ortho(kViewFront, 5.0f);
    const uint64_t count = doc.objects[0].points.size();
    // Every anchor selected: the arms too are thinned like the points.
    for (size_t i = 0; i < count; ++i)
        if (doc.objects[0].points[i].anchor < 0)
            doc.selectedAnchors.push_back(static_cast<int32_t>(i));
    const uint64_t arms = doc.objects[0].patches.size() + doc.objects[0].segments.size();
    struct Case {
        DetailLevel level;
        uint64_t visited;  // both passes over the points
        uint64_t armsVisited;
    };
    for (const Case& c : {Case{DetailLevel{}, 2 * count, arms},
                          Case{DetailLevel{false, 1, 16}, 2 * ((count + 15) / 16),
                               (2000 + 15) / 16 + (30000 + 15) / 16}}) {
        SurfaceCounters() = DrawCounters{};
        const Image img = Draw(v, Input(kDisplayWireframe, v, c.level));
        EXPECT_EQ(SurfaceCounters().pointsVisited, c.visited) << c.level.stride;
        EXPECT_EQ(SurfaceCounters().armsVisited, c.armsVisited) << c.level.stride;
        EXPECT_GT(Covered(img, Background()), 0);
    }

    // A walk stopped half-way leaves a picture that is not the whole one; a new request
    // begins the frame again from its clear, and that frame finishes as the whole one.
    const Image whole = Draw(v, Input(kDisplayShaded, v));
    FrameSlices slices;
    slices.Restart();
    SceneInput in = Input(kDisplayShaded, v);
    in.slices = &slices;
    slices.BeginSlice(FrameSlices::Clock::time_point::max(), 3);
    SizeView(v, 30.0f, in);
    EXPECT_TRUE(slices.inProgress());
    glFinish();
    Image part;
    part.rgba.resize(kWidth * kHeight * 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, part.rgba.data());
    EXPECT_FALSE(Identical(whole, part));
    ViewCamera moved = Ortho(kViewFront, 4.0f);
    int walks = 0;
    EXPECT_TRUE(Identical(Draw(moved, Input(kDisplayShaded, moved)),
                          Sliced(moved, Input(kDisplayShaded, moved), 50, walks)));
}

TEST_F(DetailTest, SettledPictureIsTheSameAsBeforeForTheSampleAndTheBenchmarkDocuments) {
    Clipboard clipboard;
    ASSERT_EQ(ReadDocumentFile(doc, sw, clipboard, ZARNI_SOURCE_DIR "/samples/sample.zarni"),
              kFileOk);
    sw.showAllObjects = 1;
    ExpectSettledPicturesUnchanged("sample");
    doc = bench::DrawBenchDocument();
    sw.divLevel = 20;
    ExpectSettledPicturesUnchanged("benchmark");
}

TEST_F(DetailTest, EditedArraysSentAgainRecordByRecordGiveTheFreshPicture) {
    doc = bench::DrawBenchDocument();
    sw.divLevel = 6;
    ViewCamera v = Perspective(-0.4f, 0.6f, 7.0f);
    Now(v, kDisplayShaded, DetailLevel{});
    PatchObject& obj = doc.objects[0];
    for (int step = 0; step < 3; ++step) {
        obj.points[static_cast<size_t>(step) * 160].y += 0.3f;  // a corner of one patch
        RebuildObjectCaches(obj);
        SurfaceCounters() = DrawCounters{};
        const Image now = Now(v, kDisplayShaded, DetailLevel{false, 1, 1});
        // Only a few patches' vertices went out again, not the whole object.
        const uint64_t whole = static_cast<uint64_t>(obj.patchCount()) * 49 * 6 * sizeof(float);
        EXPECT_GT(SurfaceCounters().bytesUploaded, 0u);
        EXPECT_LT(SurfaceCounters().bytesUploaded * 4, whole) << "step " << step;
        EXPECT_TRUE(Identical(Before(v, kDisplayShaded), now)) << "step " << step;
    }
}

TEST_F(DetailTest, AViewThatSeesNothingOfAnObjectDrawsNoneOfItsPatches) {
    PatchObject& obj = doc.objects[0];
    AddPatch(obj, SquareNet(Vec3{2.0f, 0.0f, 0.0f}, 0.4f, 2, 0.3f));
    AddPatch(obj, SquareNet(Vec3{2.0f, 1.0f, 0.0f}, 0.4f, 2, 0.3f));
    obj.mirrorFlags = kMirrorX;  // a second copy at x = -2
    sw.divLevel = 4;
    struct Case {
        const char* name;
        ViewCamera view;
        uint64_t patches;  // copies of the two patches drawn
    };
    ViewCamera away = Ortho(kViewFront, 1.2f);
    away.panX = 50.0f;
    UpdateCamera(away);
    Case cases[] = {{"facing", Perspective(0.0f, 0.0f, 9.0f), 4}, {"panned away", away, 0}};
    for (Case& c : cases) {
        ViewCamera& v = c.view;
        for (uint8_t mode : {kDisplayShaded, kDisplayWireframe}) {
            SurfaceCounters() = DrawCounters{};
            Now(v, mode, DetailLevel{});
            // Now draws twice: a reduced frame (the same calls) and the full one.
            if (mode == kDisplayShaded) {
                EXPECT_EQ(SurfaceCounters().patchesDrawn, 2 * c.patches) << c.name;
            } else {
                EXPECT_EQ(SurfaceCounters().segmentsDrawn, c.patches ? 2 * 16u : 0u) << c.name;
            }
        }
    }
    // A narrow orthographic view onto the +x copy alone leaves the mirrored one out.
    ViewCamera right = Ortho(kViewFront, 1.2f);
    right.panX = -2.0f;
    UpdateCamera(right);
    SurfaceCounters() = DrawCounters{};
    Now(right, kDisplayShaded, DetailLevel{});
    EXPECT_EQ(SurfaceCounters().patchesDrawn, 2 * 2u);
    EXPECT_GT(SurfaceCounters().callsCulled, 0u);
}

TEST_F(DetailTest, ReducedPicturesShowTheShapeAndNeverABlankView) {
    doc = bench::DrawBenchDocument();
    sw.divLevel = 20;
    ViewCamera v = Perspective(-0.4f, 0.6f, 7.0f);
    const int full = Covered(Before(v, kDisplayShaded), Background());
    for (DetailLevel level : {DetailLevel{false, 1, 1}, DetailLevel{false, 4, 1},
                              DetailLevel{false, 1, DetailGovernor::kMaxStride}}) {
        v.displayMode = kDisplayShaded;
        SceneInput in(doc, sw, settings);
        in.geometry = &cache;
        in.reducedGeometry = &reduced;
        in.detail = level;
        SurfaceCounters() = DrawCounters{};
        const int covered = Covered(Draw(v, in), Background());
        EXPECT_GT(covered, 0) << "steps " << level.steps << " stride " << level.stride;
        if (level.stride == 1) {
            // Fewer divisions keep the outline: nearly the same pixels are covered.
            EXPECT_GT(covered, full * 9 / 10) << "steps " << level.steps;
            EXPECT_EQ(SurfaceCounters().patchesDrawn, 4000u);
        } else {
            EXPECT_LT(SurfaceCounters().patchesDrawn, 4000u);
        }
    }
}

// The governor, with time given in milliseconds and frames that took what the test says.
TEST(DetailGovernor, SlowFramesLowerTheLevelAndStillInputBringsFullDetailBack) {
    const SceneLoad load{4000.0, 0.0};
    const int32_t full = 20;
    DetailGovernor g;
    // Nothing measured yet: full detail, as before.
    g.Input(1000);
    EXPECT_TRUE(g.Choose(1000, full, load).full);
    // A full frame of 220 ms: the next drag step draws less.
    g.FrameDrawn(DetailLevel{true, full, 1}, full, load, 220.0);
    g.Input(1010);
    const DetailLevel step = g.Choose(1010, full, load);
    EXPECT_FALSE(step.full);
    EXPECT_LT(step.steps, full);
    EXPECT_LE(g.Estimate(load, step.steps, step.stride), DetailGovernor::kBudgetMs);
    g.FrameDrawn(step, full, load, 40.0);
    EXPECT_TRUE(g.fullOwed());
    EXPECT_EQ(g.settleAtMs(), 1010u + DetailGovernor::kStillMs);
    // Still for less than the still period: reduced; after it: full.
    EXPECT_FALSE(g.Choose(1010 + DetailGovernor::kStillMs - 1, full, load).full);
    EXPECT_TRUE(g.Choose(1010 + DetailGovernor::kStillMs, full, load).full);
    // The button going up settles at once.
    g.Input(2000);
    EXPECT_FALSE(g.Choose(2000, full, load).full);
    g.Settle();
    EXPECT_TRUE(g.Choose(2001, full, load).full);
    // The tick count wraps at 32 bits: input just before the wrap is still recent after it.
    g.Input(0xFFFFFFF0u);
    EXPECT_FALSE(g.Choose(0x10u, full, load).full);
}

TEST(DetailGovernor, LevelFollowsTheCostFromFineDivisionsDownToFewerPatches) {
    const SceneLoad load{4000.0, 16000.0};
    struct Case {
        double fullFrameMs;  // what a full frame at level 20 took
        bool full;
        int32_t minSteps, maxSteps;
        int32_t minStride;
    };
    const Case cases[] = {
        {30.0, true, 20, 20, 1},    // fits the budget: no reduction at all
        {200.0, false, 8, 10, 1},   // a quarter of the vertices or so
        {600.0, false, 2, 3, 1},    // a few divisions
        {40000.0, false, 1, 1, 2},  // even one division is too much: every other call
        {1e9, false, 1, 1, DetailGovernor::kMaxStride},  // never nothing at all
    };
    for (const Case& c : cases) {
        DetailGovernor g;
        g.FrameDrawn(DetailLevel{true, 20, 1}, 20, load, c.fullFrameMs);
        g.Input(50);
        const DetailLevel level = g.Choose(60, 20, load);
        EXPECT_EQ(level.full, c.full) << c.fullFrameMs;
        const int32_t steps = level.full ? 20 : level.steps;
        EXPECT_GE(steps, c.minSteps) << c.fullFrameMs;
        EXPECT_LE(steps, c.maxSteps) << c.fullFrameMs;
        EXPECT_GE(level.stride, c.minStride) << c.fullFrameMs;
        EXPECT_LE(level.stride, DetailGovernor::kMaxStride);
    }
}

TEST(DetailGovernor, PointsCountInTheBudgetAndThinWithTheStride) {
    // A million points and little else: the level drops to fewer points, not to nothing.
    const SceneLoad load{0.0, 0.0, 2e6};
    DetailGovernor g;
    g.FrameDrawn(DetailLevel{true, 6, 1}, 6, load, 2000.0);
    EXPECT_GT(g.Estimate(load, 6, 1), DetailGovernor::kSliceMs);
    g.Input(10);
    const DetailLevel level = g.Choose(20, 6, load);
    EXPECT_FALSE(level.full);
    EXPECT_GE(level.stride, 40);
    EXPECT_LE(g.Estimate(load, level.steps, level.stride), DetailGovernor::kBudgetMs);
    EXPECT_DOUBLE_EQ(WorkOf(load, 6, 4) * 4, WorkOf(load, 6, 1));
    // A picture abandoned half-way is replaced by a quick one even without input; never when
    // the switch keeps full detail.
    EXPECT_TRUE(g.Choose(5000, 6, load).full);
    EXPECT_FALSE(g.Quick(6, load).full);
    g.SetEnabled(false);
    EXPECT_TRUE(g.Quick(6, load).full);
}

TEST(DetailGovernor, SwitchedOffOrLightDocumentsAlwaysDrawFullDetail) {
    const SceneLoad load{4000.0, 0.0};
    DetailGovernor off;
    off.SetEnabled(false);
    off.FrameDrawn(DetailLevel{true, 20, 1}, 20, load, 500.0);
    off.Input(10);
    EXPECT_TRUE(off.Choose(20, 20, load).full);
    EXPECT_FALSE(off.fullOwed());

    // A key command on a document whose full frame is quick is drawn at full detail; on one
    // whose full frame is slow it gets a quick picture first.
    DetailGovernor light, heavy;
    light.FrameDrawn(DetailLevel{true, 20, 1}, 20, load, 30.0);
    heavy.FrameDrawn(DetailLevel{true, 20, 1}, 20, load, 3000.0);
    light.Change(100, 20, load);
    heavy.Change(100, 20, load);
    EXPECT_TRUE(light.Choose(110, 20, load).full);
    EXPECT_FALSE(heavy.Choose(110, 20, load).full);
    EXPECT_TRUE(heavy.Choose(100 + DetailGovernor::kStillMs, 20, load).full);
}

}  // namespace
}  // namespace zarni::gltest
