// Rendering through POV-Ray without a display: the console's progress and errors read in any
// pieces, the picture read back, the camera of a view, and the child process started, polled,
// finished and killed (with stand-in programs, and with POV-Ray itself where installed).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "rules/povray_render.h"
#include "tests/core/temp_folder.h"
#include "tests/core/test_documents.h"

namespace zarni {
namespace {

using testing_files::Put;
using testing_files::TempFolder;

// Feeds `text` to a console in pieces of `piece` bytes.
PovrayConsole Read(const std::string& text, size_t piece) {
    PovrayConsole console;
    for (size_t at = 0; at < text.size(); at += piece)
        console.Add(text.data() + at, std::min(piece, text.size() - at));
    return console;
}

TEST(PovrayConsole, ReadsProgressAndTheFirstErrorInPiecesOfAnySize) {
    struct Case {
        const char* what;
        std::string text;
        int percent;
        std::string error;
    };
    const Case cases[] = {
        {"progress",
         "Render Options\n==== [Rendering...] ====\nRendered 1024 of 76800 pixels (1%)\r"
         "Rendered 38912 of 76800 pixels (50%)\rRendered 76800 of 76800 pixels (100%)\r\n"
         "Render Statistics\n",
         100, "Render Statistics"},
        {"supersamples", "Rendered 512 of 2048 pixels (25%), 300 supersamples\r", 25, ""},
        {"nothing yet", "Persistence of Vision(tm) Ray Tracer\n  Fatal Stream to console...On\n",
         -1, "  Fatal Stream to console...On"},
        {"wrapped parse error",
         "==== [Parsing...] ====\nFile 'bad.pov' line 2: Parse Error: No matching } in "
         "'sphere', undeclared\n identifier 'pigmnt' found instead\nFatal error in parser: "
         "Cannot parse input.\nRender failed\n",
         -1,
         "File 'bad.pov' line 2: Parse Error: No matching } in 'sphere', undeclared identifier "
         "'pigmnt' found instead"},
        {"missing input",
         "Possible Parse Error: Cannot find file 'none.pov'\nParse Error: Cannot open input "
         "file.\n",
         -1, "Possible Parse Error: Cannot find file 'none.pov'"},
        {"last line without an end", "Rendered 10 of 100 pixels (10%)\rsomething broke", 10,
         "something broke"},
    };
    for (const Case& c : cases) {
        for (size_t piece : {size_t{1}, size_t{3}, size_t{7}, c.text.size()}) {
            SCOPED_TRACE(std::string(c.what) + ", pieces of " + std::to_string(piece));
            const PovrayConsole console = Read(c.text, piece);
            EXPECT_EQ(console.percent(), c.percent);
            if (!c.error.empty()) {
                EXPECT_EQ(console.FirstError(), c.error);
            }
        }
    }
}

TEST(PovrayPicture, DecodesWhatPovrayWritesAndRefusesTheRest) {
    RgbPicture picture;
    const std::string pixels("\x01\x02\x03\xff\x80\x00", 6);
    ASSERT_TRUE(
        DecodePpm("P6\n# Software: POV-Ray\n# Render Date: today\n2 1\n255\n" + pixels, picture));
    EXPECT_EQ(picture.width, 2);
    EXPECT_EQ(picture.height, 1);
    EXPECT_EQ(picture.rgb, std::vector<uint8_t>(pixels.begin(), pixels.end()));
    // Sixteen bits a sample, scaled to bytes.
    ASSERT_TRUE(DecodePpm(std::string("P6 1 1 65535\n\xff\xff\x80\x00\x00\x00", 19), picture));
    EXPECT_EQ(picture.rgb, (std::vector<uint8_t>{255, 128, 0}));
    const char* const bad[] = {"",
                               "P3\n1 1\n255\n000",
                               "P6\n1 1\n255\n\x01\x02",
                               "P6\n0 1\n255\n",
                               "P6\n1 x\n255\n123",
                               "P6\n1 1\n255"};
    for (const char* bytes : bad) {
        std::string why;
        EXPECT_FALSE(DecodePpm(bytes, picture, &why)) << bytes;
        EXPECT_FALSE(why.empty());
    }
}

TEST(PovrayCommand, ArgumentsCarryTheChoices) {
    PovrayOptions options;
    options.width = 640;
    options.height = 480;
    options.quality = 4;
    auto has = [](const std::vector<std::string>& args, const std::string& a) {
        return std::find(args.begin(), args.end(), a) != args.end();
    };
    std::vector<std::string> args = PovrayArguments(options, "scene.pov", "picture.ppm");
    for (const char* a : {"+Iscene.pov", "+Opicture.ppm", "+FP", "+W640", "+H480", "+Q4", "+V",
                          "-D", "-A", "File_Gamma=1.0"}) {
        EXPECT_TRUE(has(args, a)) << a;
    }
    options.antialias = true;
    args = PovrayArguments(options, "scene.pov", "picture.ppm");
    EXPECT_TRUE(has(args, "+A0.3"));
    EXPECT_FALSE(has(args, "-A"));
}

// A model point through the camera's matrices, as window coordinates 0..1 across and down.
std::array<double, 2> ViewPosition(const ViewCamera& camera, float fovy, Vec3 p) {
    const Matrix4 mv = ViewMatrix(camera), pr = ProjectionMatrix(camera, fovy);
    double eye[4], clip[4];
    const double in[4] = {p.x, p.y, p.z, 1.0};
    for (int r = 0; r < 4; ++r) {
        eye[r] = 0;
        for (int c = 0; c < 4; ++c)
            eye[r] += mv[c * 4 + r] * in[c];
    }
    for (int r = 0; r < 4; ++r) {
        clip[r] = 0;
        for (int c = 0; c < 4; ++c)
            clip[r] += pr[c * 4 + r] * eye[c];
    }
    return {{(clip[0] / clip[3] + 1) / 2, (1 - clip[1] / clip[3]) / 2}};
}

// The same through the scene's orthographic camera: eye, target, sky and the spanned lengths.
std::array<double, 2> ScenePosition(const SceneView& s, Vec3 p) {
    const double f[3] = {s.target.x - s.eye.x, s.target.y - s.eye.y, s.target.z - s.eye.z};
    const double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    const double d[3] = {f[0] / fl, f[1] / fl, f[2] / fl};
    // right = forward x up, up = right x forward (right-handed model space).
    double r[3] = {d[1] * s.up.z - d[2] * s.up.y, d[2] * s.up.x - d[0] * s.up.z,
                   d[0] * s.up.y - d[1] * s.up.x};
    const double rl = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
    for (double& v : r)
        v /= rl;
    const double u[3] = {r[1] * d[2] - r[2] * d[1], r[2] * d[0] - r[0] * d[2],
                         r[0] * d[1] - r[1] * d[0]};
    const double q[3] = {p.x - s.target.x, p.y - s.target.y, p.z - s.target.z};
    const double x = q[0] * r[0] + q[1] * r[1] + q[2] * r[2];
    const double y = q[0] * u[0] + q[1] * u[1] + q[2] * u[2];
    return {{0.5 + x / s.orthoWidth, 0.5 - y / s.orthoHeight}};
}

TEST(PovrayCamera, SceneSeesWhatTheViewSees) {
    const CameraMemories memories = ResetCameraMemories(30.0f, 9.0f);
    // Perspective: the view's own eye, target and up.
    ViewCamera view;
    view.width = 300;
    view.height = 200;
    InitViewCamera(view, 7.5f);
    view.pitch = 0.4f;
    view.yaw = -0.7f;
    view.panX = 0.3f;
    const SceneView persp = SceneViewOfCamera(view, 35.0f, {{0.1f, 0.2f, 0.3f, 1.0f}});
    UpdateCamera(view);
    EXPECT_FALSE(persp.orthographic);
    EXPECT_FLOAT_EQ(persp.eye.x, view.eye.x);
    EXPECT_FLOAT_EQ(persp.eye.z, view.eye.z);
    EXPECT_FLOAT_EQ(persp.target.y, view.target.y);
    EXPECT_FLOAT_EQ(persp.fovy, 35.0f);
    EXPECT_EQ(persp.width, 300);
    EXPECT_FLOAT_EQ(persp.backColor[2], 0.3f);
    // Every orthographic direction, wide and tall, panned and zoomed: points land where the
    // view's matrices put them, and the eye is in front of them.
    for (int direction = 0; direction < kOrthoDirectionCount; ++direction) {
        for (auto [w, h] : {std::pair{320, 240}, std::pair{150, 400}}) {
            SCOPED_TRACE(std::to_string(direction) + " " + std::to_string(w));
            ViewCamera ortho;
            ortho.width = w;
            ortho.height = h;
            InitViewCamera(ortho, 9.0f);
            SelectOrthoDirection(ortho, memories, direction);
            ortho.altitude = 6.0f;
            ortho.panX = 0.5f;
            ortho.panY = -0.25f;
            const SceneView s = SceneViewOfCamera(ortho, 30.0f, {});
            ASSERT_TRUE(s.orthographic);
            for (Vec3 p : {Vec3{0, 0, 0}, Vec3{1, 0.5f, -0.75f}, Vec3{-1.5f, 1, 1}}) {
                const auto want = ViewPosition(ortho, 30.0f, p);
                const auto got = ScenePosition(s, p);
                EXPECT_NEAR(got[0], want[0], 1e-4);
                EXPECT_NEAR(got[1], want[1], 1e-4);
            }
            const float distance =
                std::hypot(s.eye.x - s.target.x, s.eye.y - s.target.y, s.eye.z - s.target.z);
            EXPECT_NEAR(distance, kOrthoEyeDistance * 6.0f / 4.0f, 1e-4);
        }
    }
}

// A stand-in for POV-Ray: a shell script in a folder of its own, found on the PATH given.
class PovrayJobTest : public ::testing::Test {
  protected:
    std::string Program(const std::string& body) {
        const std::string path = folder_.File("fake-povray-" + std::to_string(++programs_));
        Put(path, "#!/bin/sh\n" + body);
        EXPECT_EQ(chmod(path.c_str(), 0755), 0);
        return path;
    }
    static PovrayJob::State RunOut(PovrayJob& job) {
        for (int i = 0; i < 500 && job.Wait(50) == PovrayJob::State::Running; ++i) {
        }
        return job.state();
    }
    static bool Alive(pid_t pid) { return kill(pid, 0) == 0 || errno != ESRCH; }
    static bool Exists(const std::string& path) {
        struct stat st;
        return stat(path.c_str(), &st) == 0;
    }

    Document doc_ = [] {
        Document doc = NewDocument();
        testdocs::AddQuadPatch(doc.objects[0], 0.0f);
        doc.objects[0].mirrorFlags = kMirrorX;
        RebuildControlCaches(doc);
        return doc;
    }();
    SceneView view_ = DefaultSceneView(4, 2, 9.0f, 30.0f, {{0, 0, 0, 1}});
    TempFolder folder_;
    int programs_ = 0;
};

TEST_F(PovrayJobTest, FinishedRenderGivesThePictureAndRemovesTheFolder) {
    // Writes its progress in pieces, then a 4 x 2 picture where POV-Ray writes it, after checking
    // that the scene with its copies is in its working folder.
    const std::string program = Program(
        "grep -q 'object{Object001 matrix' scene.pov || exit 3\n"
        "printf 'Rendered 4 of 8 pixels (50%%)\\r'\nsleep 0.2\n"
        "printf 'Rendered 8 of 8 pixels (100%%)\\r\\n'\n"
        "printf 'P6\\n4 2\\n255\\n' > picture.ppm\n"
        "printf 'abcdefghijklmnopqrstuvwx' >> picture.ppm\n");
    PovrayJob job;
    ASSERT_TRUE(job.Start(doc_, view_, PovrayOptions{}, program)) << job.message();
    const std::string folder = job.folder();
    EXPECT_TRUE(Exists(folder + "/scene.pov"));
    EXPECT_EQ(RunOut(job), PovrayJob::State::Done) << job.message();
    EXPECT_EQ(job.percent(), 100);
    EXPECT_EQ(job.picture().width, 4);
    EXPECT_EQ(job.picture().rgb.size(), 24u);
    EXPECT_EQ(job.picture().rgb[0], 'a');
    EXPECT_FALSE(Exists(folder));
    EXPECT_EQ(job.pid(), -1);
}

TEST_F(PovrayJobTest, FailuresNamePovray) {
    struct Case {
        const char* what;
        std::string program;
        const char* message;
    };
    const Case cases[] = {
        {"an error", Program("echo 'Parse Error: No objects in scene.'\nexit 1\n"),
         "POV-Ray failed: Parse Error: No objects in scene."},
        {"no picture", Program("exit 0\n"), "POV-Ray wrote no readable picture"},
        {"a signal", Program("kill -SEGV $$\n"), "POV-Ray ended on signal 11"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PovrayJob job;
        ASSERT_TRUE(job.Start(doc_, view_, PovrayOptions{}, c.program));
        const std::string folder = job.folder();
        EXPECT_EQ(RunOut(job), PovrayJob::State::Failed);
        EXPECT_EQ(job.message().rfind(c.message, 0), 0u) << job.message();
        EXPECT_FALSE(Exists(folder));
    }
    PovrayJob missing;
    EXPECT_FALSE(missing.Start(doc_, view_, PovrayOptions{}, "no-such-povray-program"));
    EXPECT_EQ(missing.state(), PovrayJob::State::Failed);
    EXPECT_EQ(missing.message(), PovrayMissingMessage("no-such-povray-program"));
    EXPECT_NE(missing.message().find("Debian package povray"), std::string::npos);
}

TEST_F(PovrayJobTest, CancelAndDestructionEndTheProcessAtOnce) {
    // A renderer that never ends by itself.
    const std::string program = Program("exec sleep 60\n");
    PovrayJob job;
    ASSERT_TRUE(job.Start(doc_, view_, PovrayOptions{}, program));
    EXPECT_EQ(job.Wait(20), PovrayJob::State::Running);
    const pid_t pid = job.pid();
    const std::string folder = job.folder();
    ASSERT_GT(pid, 0);
    job.Cancel();
    EXPECT_EQ(job.state(), PovrayJob::State::Cancelled);
    EXPECT_FALSE(Alive(pid)) << "collected, not a zombie";
    EXPECT_FALSE(Exists(folder));
    // Starting again while one runs replaces it; destroying the job ends the last one.
    pid_t second = -1;
    std::string secondFolder;
    {
        PovrayJob restarted;
        ASSERT_TRUE(restarted.Start(doc_, view_, PovrayOptions{}, program));
        const pid_t first = restarted.pid();
        ASSERT_TRUE(restarted.Start(doc_, view_, PovrayOptions{}, program));
        EXPECT_FALSE(Alive(first));
        second = restarted.pid();
        secondFolder = restarted.folder();
        EXPECT_TRUE(Alive(second));
    }
    EXPECT_FALSE(Alive(second));
    EXPECT_FALSE(Exists(secondFolder));
}

TEST_F(PovrayJobTest, PovrayItselfReportsProgressAndTheViewsBackground) {
    if (std::system("command -v povray >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "POV-Ray is not installed (scripts/install-deps.sh)";
    PovrayOptions options;
    options.width = 64;
    options.height = 48;
    options.quality = 3;
    const SceneView view = DefaultSceneView(64, 48, 9.0f, 30.0f, {{34 / 255.0f, 0.25f, 0.5f, 1}});
    PovrayJob job;
    ASSERT_TRUE(job.Start(doc_, view, options));
    EXPECT_EQ(RunOut(job), PovrayJob::State::Done) << job.message();
    EXPECT_EQ(job.percent(), 100);
    ASSERT_EQ(job.picture().width, 64);
    ASSERT_EQ(job.picture().height, 48);
    // The scene's three decimals of each colour, unchanged by any gamma.
    const int want[3] = {34, 64, 128};
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(job.picture().rgb[i], want[i], 1) << i;
}

}  // namespace
}  // namespace zarni
