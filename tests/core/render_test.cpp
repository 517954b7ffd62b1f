// zarni-cli render end to end: the PNG it writes, the views and modes, the settings' colours,
// bad input that leaves no file behind, and the agreement with POV-Ray's picture of the
// exported scene.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/native_file.h"
#include "model/document.h"
#include "platform/file_io.h"
#include "tests/core/temp_folder.h"
#include "tests/core/test_documents.h"

namespace zarni {
namespace {

using testing_files::Get;
using testing_files::Put;
using testing_files::TempFolder;
using Rgb = std::array<int, 3>;

struct Picture {
    bool ok = false;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    // (x, y) with y downwards.
    Rgb At(int x, int y) const {
        const uint8_t* p = rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
        return {{p[0], p[1], p[2]}};
    }
    bool Covered(int x, int y, Rgb back) const {
        const Rgb c = At(x, y);
        return std::abs(c[0] - back[0]) + std::abs(c[1] - back[1]) + std::abs(c[2] - back[2]) > 6;
    }
    int CoveredCount(Rgb back) const {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                n += Covered(x, y, back);
        return n;
    }
};

Picture ReadPng(const std::string& path) {
    Picture out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
    image.format = PNG_FORMAT_RGB;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    out.ok = png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr) != 0;
    return out;
}

bool OnPath(const char* program) {
    return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

constexpr Rgb kDefaultBack{{34, 63, 45}};

class Render : public ::testing::Test {
  protected:
    void SetUp() override {
        // Settings from a file of the test's own, so the user's settings never leak in.
        setenv("ZARNI_INI", dir_.File("zarni.ini").c_str(), 1);
    }
    void TearDown() override { unsetenv("ZARNI_INI"); }

    struct Run {
        int status = -1;
        std::string err;
    };
    Run Cli(const std::string& args, const std::string& environment = "") const {
        const std::string command = (environment.empty() ? "" : "env " + environment + " ") +
                                    std::string(ZARNI_CLI_PATH) + " " + args + " >/dev/null 2>" +
                                    dir_.File("stderr");
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Get(dir_.File("stderr"))};
    }

    // One flat 3 x 3 patch in the plane z = 0 with its corner at the origin, so it lies right
    // of the origin seen from the front and left of it seen from the back.
    std::string QuadDocument() const {
        Document doc = NewDocument();
        testdocs::AddQuadPatch(doc.objects[0], 0.0f);
        RebuildControlCaches(doc);
        const std::string path = dir_.File("quad.zarni");
        EXPECT_EQ(WriteDocumentFile(doc, path), kFileOk);
        return path;
    }

    TempFolder dir_;
};

TEST_F(Render, WritesAPngOfTheAskedSizeShowingTheModel) {
    const std::string sample = std::string(ZARNI_SOURCE_DIR) + "/samples/sample.zarni";
    const std::string out = dir_.File("sample.png");
    const Run run = Cli("render " + sample + " " + out + " --size 200x120");
    ASSERT_EQ(run.status, 0) << run.err;
    const Picture p = ReadPng(out);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.width, 200);
    EXPECT_EQ(p.height, 120);
    EXPECT_EQ(p.At(0, 0), kDefaultBack) << "the views' background colour";
    EXPECT_GT(p.CoveredCount(kDefaultBack), 200 * 120 / 20) << "the sample's objects are seen";
    EXPECT_EQ(Get(out).substr(1, 3), "PNG");
    // Nothing but the picture is left in the folder: the temporary file became it.
    EXPECT_EQ(std::system(("test $(ls -A " + dir_.Path() + " | grep -c tmp) -eq 0").c_str()), 0);
}

TEST_F(Render, ViewsAndModesDrawAsTheProgramsViews) {
    const std::string quad = QuadDocument();
    auto render = [&](const std::string& options) {
        const std::string out = dir_.File("out.png");
        const Run run = Cli("render " + quad + " " + out + " --size 128x128 " + options);
        EXPECT_EQ(run.status, 0) << options << ": " << run.err;
        return ReadPng(out);
    };
    // The orthographic views look along their axes: the patch is right of the centre from the
    // front, left of it from the back, and seen edge-on from above.
    const Picture front = render("--view front");
    const Picture back = render("--view back");
    const Picture top = render("--view top");
    ASSERT_TRUE(front.ok && back.ok && top.ok);
    EXPECT_TRUE(front.Covered(100, 30, kDefaultBack));
    EXPECT_FALSE(front.Covered(28, 30, kDefaultBack));
    EXPECT_TRUE(back.Covered(28, 30, kDefaultBack));
    EXPECT_FALSE(back.Covered(100, 30, kDefaultBack));
    EXPECT_LT(top.CoveredCount(kDefaultBack), front.CoveredCount(kDefaultBack) / 10);

    // Shaded shows lit surfaces only; the wireframe shows the object's curves in the wire
    // colour, with the guides and points.
    const Picture shaded = render("--mode shaded");
    const Picture wire = render("--mode wire");
    ASSERT_TRUE(shaded.ok && wire.ok);
    EXPECT_NE(shaded.rgb, wire.rgb);
    const std::vector<uint8_t> wireColor{73, 141, 163};
    auto hasColor = [&](const Picture& p) {
        for (size_t i = 0; i + 3 <= p.rgb.size(); i += 3)
            if (std::equal(wireColor.begin(), wireColor.end(), p.rgb.begin() + i)) return true;
        return false;
    };
    EXPECT_TRUE(hasColor(wire));
    EXPECT_FALSE(hasColor(shaded));
}

TEST_F(Render, ColoursComeFromTheProgramsSettings) {
    const std::string quad = QuadDocument();
    // (10, 20, 200) as a Windows colour value.
    Put(dir_.File("zarni.ini"),
        "[View]\nBackColor=" + std::to_string(10 + 20 * 256 + 200 * 65536) + "\n");
    const std::string out = dir_.File("out.png");
    ASSERT_EQ(Cli("render " + quad + " " + out + " --size 64x64").status, 0);
    const Picture p = ReadPng(out);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.At(2, 60), (Rgb{{10, 20, 200}}));
}

TEST_F(Render, BadInputGivesAMessageAndNoFile) {
    const std::string quad = QuadDocument();
    const std::string out = dir_.File("out.png");
    struct Case {
        std::string args;
        int status;
        std::string message;
    };
    Put(dir_.File("text.zarni"), "not a document\n");
    const Case cases[] = {
        {dir_.File("text.zarni") + " " + out, 1, "text.zarni"},
        {dir_.File("missing.zarni") + " " + out, 1, "missing.zarni"},
        {quad + " " + dir_.File("no/such/folder.png"), 1, "folder.png"},
        {quad + " " + out + " --size 0x10", 2, "--size"},
        {quad + " " + out + " --size 64", 2, "--size"},
        {quad + " " + out + " --size 64x99999", 2, "--size"},
        {quad + " " + out + " --size", 2, "--size"},
        {quad + " " + out + " --view sideways", 2, "--view"},
        {quad + " " + out + " --mode solid", 2, "--mode"},
        {quad + " " + out + " --colour red", 2, "--colour"},
        {quad, 2, "render takes"},
    };
    for (const Case& c : cases) {
        const Run run = Cli("render " + c.args);
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << ": " << run.err;
        EXPECT_NE(access(out.c_str(), F_OK), 0) << c.args << " left a file";
    }
    // An existing picture survives a failed render unchanged.
    Put(out, "old picture");
    EXPECT_EQ(Cli("render " + dir_.File("text.zarni") + " " + out).status, 1);
    EXPECT_EQ(Get(out), "old picture");
}

// A pixel covered in `a` has a covered pixel within `reach` in `b`; pixels `ignore` marks (the
// tracer's axis marker) do not count. The number of pixels that miss.
int Uncovered(const Picture& a, Rgb aBack, const Picture& b, Rgb bBack,
              const std::vector<bool>* ignore = nullptr, int reach = 3) {
    int misses = 0;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (!a.Covered(x, y, aBack)) continue;
            if (ignore && (*ignore)[static_cast<size_t>(y) * a.width + x]) continue;
            bool near = false;
            for (int dy = -reach; dy <= reach && !near; ++dy)
                for (int dx = -reach; dx <= reach && !near; ++dx) {
                    const int u = x + dx, v = y + dy;
                    near =
                        u >= 0 && v >= 0 && u < b.width && v < b.height && b.Covered(u, v, bBack);
                }
            misses += !near;
        }
    }
    return misses;
}

// POV-Ray's picture of the exported 3.7 scene covers the pixels the render covers: the two
// cameras, projections and surfaces agree to within a few pixels at the silhouettes, the
// sample's windmill ring with all its copies.
TEST_F(Render, PovRaySceneCoversTheSamePixels) {
    if (!OnPath("povray")) GTEST_SKIP() << "povray is not installed";
    const std::string sample = std::string(ZARNI_SOURCE_DIR) + "/samples/sample.zarni";
    Document doc = NewDocument();
    EditSwitches sw;
    Clipboard clipboard;
    ASSERT_EQ(ReadDocumentFile(doc, sw, clipboard, sample), kFileOk);
    bool copied = false;
    for (const PatchObject& obj : doc.objects)
        copied = copied || obj.windmillCount > 1 || obj.mirrorFlags != 0;
    ASSERT_TRUE(copied) << "the sample shows symmetry copies";

    const int w = 240, h = 180;
    const std::string size = std::to_string(w) + "x" + std::to_string(h);
    const std::string pov = dir_.File("scene.pov");
    const Run exported = Cli("export " + sample + " " + pov + " --pov 3.7 --size " + size);
    ASSERT_EQ(exported.status, 0) << exported.err;
    // The scene's axis marker (three thin cylinders at the origin) is no part of a shaded view.
    std::string scene = Get(pov);
    for (size_t at; (at = scene.find("cylinder{<0,0,0>")) != std::string::npos;)
        scene.erase(at, scene.find('\n', at) - at);
    Put(pov, scene);
    ASSERT_EQ(Cli("render " + sample + " " + dir_.File("render.png") + " --size " + size).status,
              0);
    // POV-Ray writes its own settings under HOME; keep it in the test's folder.
    const std::string traced = dir_.File("traced.png");
    const std::string command = "cd " + dir_.Path() + " && HOME=" + dir_.Path() +
                                " povray -D -V -GA +FN +A0.0 -A +W" + std::to_string(w) + " +H" +
                                std::to_string(h) + " +I" + pov + " +O" + traced + " >" +
                                dir_.File("povray.log") + " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << Get(dir_.File("povray.log"));

    const Picture ours = ReadPng(dir_.File("render.png"));
    const Picture theirs = ReadPng(traced);
    ASSERT_TRUE(ours.ok && theirs.ok);
    ASSERT_EQ(theirs.width, w);
    ASSERT_EQ(theirs.height, h);
    // Each picture's background is its own corner: the tracer's output gamma may shift it.
    const Rgb ourBack = ours.At(0, 0), theirBack = theirs.At(0, 0);
    EXPECT_EQ(ourBack, kDefaultBack);
    EXPECT_GT(ours.CoveredCount(ourBack), w * h / 20);
    EXPECT_EQ(Uncovered(ours, ourBack, theirs, theirBack), 0) << "covered here, not by POV-Ray";
    EXPECT_EQ(Uncovered(theirs, theirBack, ours, ourBack), 0) << "covered by POV-Ray, not here";
}

// render --povray traces the camera the views' drawing uses: for every kind of symmetry and in
// the perspective and an orthographic view, POV-Ray's picture covers the pixels the drawing
// covers, over the views' own background colour.
TEST_F(Render, PovrayOptionTracesTheViewsCameraWithEveryCopy) {
    if (!OnPath("povray")) GTEST_SKIP() << "povray is not installed";
    struct Case {
        const char* what;
        int32_t flags, count, axis, moveX, moveY, moveZ;
    };
    const Case cases[] = {
        {"mirror X and Z", kMirrorX | kMirrorZ, 1, 1, 0, 0, 0},
        {"mirror Y", kMirrorY, 1, 1, 0, 0, 0},
        {"windmill 5 about Z", 0, 5, 3, 0, 0, 0},
        {"windmill 3 about Y", 0, 3, 2, 0, 0, 0},
        {"move", kMirrorMove, 1, 1, -2500, -1500, 1000},
    };
    const std::string size = "160x120";
    // What POV-Ray covers of an empty document: the scene's axis marker, left out below.
    const std::string empty = dir_.File("empty.zarni");
    ASSERT_EQ(WriteDocumentFile(NewDocument(), empty), kFileOk);
    for (const char* view : {"persp", "front"}) {
        const std::string options = std::string(" --size ") + size + " --view " + view;
        ASSERT_EQ(
            Cli("render " + empty + " " + dir_.File("marker.png") + options + " --povray").status,
            0);
        const Picture marker = ReadPng(dir_.File("marker.png"));
        ASSERT_TRUE(marker.ok);
        std::vector<bool> ignore(static_cast<size_t>(marker.width) * marker.height);
        for (int y = 0; y < marker.height; ++y)
            for (int x = 0; x < marker.width; ++x)
                ignore[static_cast<size_t>(y) * marker.width + x] =
                    marker.Covered(x, y, kDefaultBack);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " in " + view);
            Document doc = NewDocument();
            // A bent patch off every axis, so each copy lands somewhere else.
            testdocs::AddQuadPatch(doc.objects[0], 0.0f);
            for (ControlPoint& pt : doc.objects[0].points) {
                pt.x = 0.4f + pt.x * 0.3f;
                pt.y = 0.3f + pt.y * 0.25f;
                pt.z = 0.2f + 0.1f * pt.x;
            }
            PatchObject& obj = doc.objects[0];
            obj.mirrorFlags = c.flags;
            obj.windmillCount = c.count;
            obj.windmillAxis = c.axis;
            obj.moveX = c.moveX, obj.moveY = c.moveY, obj.moveZ = c.moveZ;
            RebuildControlCaches(doc);
            const std::string path = dir_.File("copies.zarni");
            ASSERT_EQ(WriteDocumentFile(doc, path), kFileOk);
            const Run drawn = Cli("render " + path + " " + dir_.File("drawn.png") + options);
            ASSERT_EQ(drawn.status, 0) << drawn.err;
            const Run traced =
                Cli("render " + path + " " + dir_.File("traced.png") + options + " --povray");
            ASSERT_EQ(traced.status, 0) << traced.err;
            const Picture ours = ReadPng(dir_.File("drawn.png"));
            const Picture theirs = ReadPng(dir_.File("traced.png"));
            ASSERT_TRUE(ours.ok && theirs.ok);
            ASSERT_EQ(theirs.width, 160);
            ASSERT_EQ(theirs.height, 120);
            EXPECT_EQ(theirs.At(0, 0), kDefaultBack) << "the views' background, unchanged";
            EXPECT_GT(ours.CoveredCount(kDefaultBack), 160 * 120 / 50);
            EXPECT_EQ(Uncovered(ours, kDefaultBack, theirs, kDefaultBack), 0)
                << "drawn, not traced";
            EXPECT_EQ(Uncovered(theirs, kDefaultBack, ours, kDefaultBack, &ignore), 0)
                << "traced, not drawn";
        }
    }
}

TEST_F(Render, PovrayMissingOrFailingIsReportedByName) {
    const std::string quad = QuadDocument();
    const std::string out = dir_.File("out.png");
    // No povray on the PATH at all.
    const std::string bare = dir_.File("bare");
    ASSERT_EQ(mkdir(bare.c_str(), 0755), 0);
    Run run = Cli("render " + quad + " " + out + " --povray", "PATH=" + bare);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("POV-Ray"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Debian package povray"), std::string::npos) << run.err;
    EXPECT_NE(access(out.c_str(), F_OK), 0);
    // A POV-Ray that stops with an error: its first error line is relayed, and an old picture
    // survives.
    Put(bare + "/povray",
        "#!/bin/sh\necho 'Persistence of Vision(tm) Ray Tracer'\n"
        "echo \"File 'scene.pov' line 3: Parse Error: Expected 'object', } found instead\"\n"
        "echo 'Fatal error in parser: Cannot parse input.'\nexit 1\n");
    ASSERT_EQ(chmod((bare + "/povray").c_str(), 0755), 0);
    Put(out, "old picture");
    run = Cli("render " + quad + " " + out + " --povray", "PATH=" + bare);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("POV-Ray failed: File 'scene.pov' line 3: Parse Error: Expected"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Get(out), "old picture");
    // Options of the tracer only with it, and within their ranges.
    for (const char* args : {" --quality 5", " --antialias", " --povray --quality 12",
                             " --povray --quality x", " --povray --mode wire"}) {
        EXPECT_EQ(Cli("render " + quad + " " + out + args).status, 2) << args;
    }
}

}  // namespace
}  // namespace zarni
