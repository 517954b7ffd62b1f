// The POV-Ray 3.7 scene and include: the same patches, curves and points as the old text in the
// newer language, the view's own camera, POV-Ray itself parsing and rendering random documents
// without a warning, and the command line.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "formats/native_file.h"
#include "formats/pov_export.h"
#include "model/document.h"
#include "model/tessellation.h"
#include "tests/core/temp_folder.h"
#include "tests/core/test_documents.h"

namespace zarni {
namespace {

// Objects with no patch, one and several, free curves, lone points, symmetry settings and names
// in Shift_JIS (one with a line break in it), all from `seed`.
Document RandomDocument(uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> jitter(-0.5f, 0.5f);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    Document doc = NewDocument();
    const int objects = 3 + static_cast<int>(rng() % 3);
    for (int o = 0; o < objects; ++o) {
        if (o > 0) CreateObject(doc);
        PatchObject& obj = doc.objects[o];
        const int patches = o % 4;  // 0, 1, 2, 3
        for (int p = 0; p < patches; ++p)
            testdocs::AddQuadPatch(obj, static_cast<float>(p) - 1.0f);
        for (ControlPoint& pt : obj.points) {
            pt.x += jitter(rng) - 1.5f;
            pt.y += jitter(rng) - 1.5f;
            pt.z += jitter(rng);
        }
        if (rng() % 2) {
            ControlPoint lone;
            lone.x = jitter(rng), lone.y = jitter(rng), lone.z = jitter(rng);
            obj.points.push_back(lone);
        }
        obj.color = {{unit(rng), unit(rng), unit(rng), 1.0f}};
        obj.mirrorFlags = static_cast<int32_t>(rng() % 16);
        obj.windmillCount = 1 + static_cast<int32_t>(rng() % 5);
        obj.windmillAxis = 1 + static_cast<int32_t>(rng() % 3);
        obj.moveX = static_cast<int32_t>(rng() % 3000) - 1500;
        obj.name = o == 1 ? "\x83\x65\x83\x58\x83\x67" : o == 2 ? "line\r\nbreak" : obj.name;
    }
    RebuildControlCaches(doc);
    return doc;
}

SceneView RandomView(uint32_t seed) {
    std::mt19937 rng(seed);
    SceneView view = DefaultSceneView(64 + static_cast<int32_t>(rng() % 64),
                                      48 + static_cast<int32_t>(rng() % 64), 12.0f, 30.0f,
                                      {{0.1f, 0.2f, 0.3f, 1.0f}});
    // A turned and rolled camera.
    view.eye = Vec3{6.0f, 5.0f, 9.0f};
    view.target = Vec3{0.5f, -0.25f, 0.0f};
    const float roll = 0.3f;
    view.up = Vec3{std::sin(roll), std::cos(roll), 0.0f};
    view.fovy = 25.0f + static_cast<float>(rng() % 20);
    return view;
}

// The lines of `text` that start with `prefix`.
std::vector<std::string> LinesStarting(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    return lines;
}

TEST(Pov37, SameGeometryAsTheOldTextInTheNewLanguage) {
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        const Document doc = RandomDocument(seed);
        const SceneView view = RandomView(seed);
        const std::string oldScene = SceneText(doc, view);
        const std::string scene = Scene37Text(doc, view);
        const std::string include = Include37Text(doc);
        SCOPED_TRACE(seed);
        // The patch nets, line for line.
        EXPECT_EQ(LinesStarting(scene, "\t\t<"), LinesStarting(oldScene, "\t\t<"));
        EXPECT_EQ(LinesStarting(include, "\t\t<"), LinesStarting(oldScene, "\t\t<"));
        // Every declaration the same, with a semicolon before its line end; the solids of
        // objects with symmetry copies are declared besides.
        const std::vector<std::string> oldDeclarations = LinesStarting(oldScene, "#declare");
        std::vector<std::string> declarations;
        for (const std::string& line : LinesStarting(scene, "#declare"))
            if (line.rfind("#declare Object", 0) != 0) declarations.push_back(line);
        ASSERT_EQ(declarations.size(), oldDeclarations.size());
        for (size_t i = 0; i < declarations.size(); ++i) {
            std::string expected = oldDeclarations[i];
            if (expected.find(";\r") == std::string::npos)
                expected.insert(expected.size() - 1, ";");
            EXPECT_EQ(declarations[i], expected);
        }
        EXPECT_EQ(LinesStarting(include, "#declare"), LinesStarting(scene, "#declare"));
        // A union only where it holds two patches or two copies or more; every object with a
        // patch is solid with its own colour.
        size_t unions = 0, singles = 0, pigments = 0;
        for (const PatchObject& obj : doc.objects) {
            const bool copied = SymmetryCopyCount(obj) > 1;
            unions += !obj.patches.empty() && (copied || obj.patches.size() >= 2);
            singles += !copied && obj.patches.size() == 1;
            pigments += !obj.patches.empty();
        }
        EXPECT_EQ(LinesStarting(scene, "union{").size(), unions);
        EXPECT_EQ(LinesStarting(scene, "object{").size(), singles);
        EXPECT_EQ(LinesStarting(scene, "\tpigment").size(), pigments);
        // Names as one UTF-8 comment line each.
        EXPECT_NE(scene.find("// \xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88\r\n"), std::string::npos);
        EXPECT_NE(scene.find("// line  break\r\n"), std::string::npos);
        // The newer header, nothing of the old one; the include has no scene parts.
        EXPECT_EQ(scene.rfind("//Generated by Zarni!_ver0.1a (", 0), 0u);
        EXPECT_NE(scene.find("\r\n#version 3.7;\r\n"), std::string::npos);
        EXPECT_NE(scene.find("global_settings { assumed_gamma 1.0 }\r\n"), std::string::npos);
        EXPECT_EQ(scene.find("MegaPov"), std::string::npos);
        EXPECT_EQ(scene.find("ini_option"), std::string::npos);
        EXPECT_EQ(LinesStarting(scene, "light_source").size(), 3u);
        EXPECT_EQ(include.find("camera"), std::string::npos);
        EXPECT_EQ(include.find("#version"), std::string::npos);
        // Every line ends in CR LF.
        for (const std::string& text : {scene, include}) {
            for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
                ASSERT_EQ(text[at - 1], '\r');
        }
    }
}

TEST(Pov37, CameraIsThePerspectiveViewsOwn) {
    const SceneView view = RandomView(9);
    const std::string scene = Scene37Text(Document{}, view);
    // The vertical field of view over an up vector of length 1, the picture's own aspect ratio.
    const std::vector<std::string> direction = LinesStarting(scene, "\tdirection z*");
    ASSERT_EQ(direction.size(), 1u);
    const double length = std::stod(direction[0].substr(std::string("\tdirection z*").size()));
    EXPECT_NEAR(2.0 * std::atan(0.5 / length) * 180.0 / M_PI, view.fovy, 1e-4);
    EXPECT_NE(scene.find("\tright x*image_width/image_height\r\n\tup y\r\n"), std::string::npos);
    // Positions with z negated, as every position of the scene; look_at comes last.
    EXPECT_NE(scene.find("\tlocation <6.000,5.000,-9.000>\r\n"), std::string::npos);
    EXPECT_NE(scene.find("\tsky <0.296,0.955,-0.000>\r\n\tlook_at <0.500,-0.250,-0.000>\r\n\t}"),
              std::string::npos);
    EXPECT_NE(scene.find("// Render at the view's size: +W" + std::to_string(view.width) + " +H" +
                         std::to_string(view.height) + "\r\n"),
              std::string::npos);
}

// Parses "<a,b,...>" after `key` in `line` into numbers.
std::vector<double> NumbersAfter(const std::string& line, const std::string& key) {
    std::vector<double> numbers;
    size_t at = line.find(key);
    if (at == std::string::npos) return numbers;
    at += key.size();
    while (at < line.size() && line[at] != '>') {
        char* end = nullptr;
        numbers.push_back(std::strtod(line.c_str() + at, &end));
        at = static_cast<size_t>(end - line.c_str());
        if (at < line.size() && line[at] == ',') ++at;
    }
    return numbers;
}

TEST(Pov37, EveryCopyIsPlacedWhereTheViewsDrawIt) {
    struct Case {
        const char* what;
        int32_t flags, count, axis, moveX, moveY, moveZ;
    };
    const Case cases[] = {
        {"mirror X", kMirrorX, 1, 1, 0, 0, 0},
        {"mirror X Y Z", kMirrorX | kMirrorY | kMirrorZ, 1, 1, 0, 0, 0},
        {"windmill 5 about X", 0, 5, 1, 0, 0, 0},
        {"windmill 7 about Y", 0, 7, 2, 0, 0, 0},
        {"windmill 3 about Z", 0, 3, 3, 0, 0, 0},
        {"move", kMirrorMove, 1, 2, 1500, -250, 700},
        {"all at once", kMirrorY | kMirrorZ | kMirrorMove, 4, 2, -800, 300, 2500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Document doc = NewDocument();
        CreateObject(doc);  // the copied object is the second: its solid is "Object002"
        PatchObject& obj = doc.objects[1];
        testdocs::AddQuadPatch(obj, 0.75f);
        testdocs::AddQuadPatch(obj, -0.5f);
        obj.mirrorFlags = c.flags;
        obj.windmillCount = c.count;
        obj.windmillAxis = c.axis;
        obj.moveX = c.moveX, obj.moveY = c.moveY, obj.moveZ = c.moveZ;
        RebuildControlCaches(doc);
        const std::string scene = Scene37Text(doc, RandomView(1));
        EXPECT_EQ(LinesStarting(scene, "#declare Object002=union{").size(), 1u);
        EXPECT_NE(scene.find("\t};\r\nunion{\r\n\tobject{Object002}\r\n"), std::string::npos)
            << "the first copy is the object itself";
        std::vector<CopyTransform> expected;
        ForEachSymmetryCopyOf(obj, [&](const SymmetryCopy& copy) {
            expected.push_back(SymmetryTransform(obj, copy));
        });
        const std::vector<std::string> placed = LinesStarting(scene, "\tobject{Object002");
        ASSERT_EQ(placed.size(), expected.size());
        ASSERT_EQ(placed.size(), static_cast<size_t>(SymmetryCopyCount(obj)));
        // Each copy of each control point, through the written matrix in the scene's z-negated
        // space, lands where the views' transform puts it.
        for (size_t k = 1; k < placed.size(); ++k) {
            const std::vector<double> m = NumbersAfter(placed[k], "matrix<");
            ASSERT_EQ(m.size(), 12u) << placed[k];
            const CopyTransform& t = expected[k];
            for (const ControlPoint& pt : obj.points) {
                const double in[3] = {pt.x, pt.y, -pt.z};
                double out[3];
                for (int j = 0; j < 3; ++j)
                    out[j] = in[0] * m[j] + in[1] * m[3 + j] + in[2] * m[6 + j] + m[9 + j];
                const double p[3] = {pt.x, pt.y, pt.z};
                for (int r = 0; r < 3; ++r) {
                    double want = t.offset[r];
                    for (int col = 0; col < 3; ++col)
                        want += t.linear[r * 3 + col] * p[col];
                    EXPECT_NEAR(out[r], r == 2 ? -want : want, 1e-5) << placed[k];
                }
            }
        }
        // The old text keeps naming the settings in its comment only.
        const std::string old = SceneText(doc, RandomView(1));
        EXPECT_EQ(old.find("Object002"), std::string::npos);
        EXPECT_EQ(old.find("matrix"), std::string::npos);
    }
}

TEST(Pov37, AnObjectWithoutCopiesOrPatchesIsNotDeclared) {
    Document doc = NewDocument();
    doc.objects[0].mirrorFlags = kMirrorX;  // copies, but nothing solid to copy
    CreateObject(doc);
    testdocs::AddQuadPatch(doc.objects[1], 0.0f);  // a patch, no copies
    RebuildControlCaches(doc);
    const std::string scene = Scene37Text(doc, RandomView(2));
    EXPECT_EQ(scene.find("#declare Object"), std::string::npos);
    EXPECT_EQ(scene.find("matrix"), std::string::npos);
    EXPECT_EQ(LinesStarting(scene, "object{").size(), 1u);
}

TEST(Pov37, OrthographicCameraSpansTheGivenLengths) {
    SceneView view = RandomView(3);
    view.orthographic = true;
    view.orthoWidth = 6.5f;
    view.orthoHeight = 4.25f;
    const std::string scene = Scene37Text(Document{}, view);
    EXPECT_NE(scene.find("camera {\r\n\torthographic\r\n\tlocation <6.000,5.000,-9.000>\r\n"
                         "\tright x*6.5\r\n\tup y*4.25\r\n\tsky "),
              std::string::npos)
        << scene;
    EXPECT_EQ(scene.find("direction"), std::string::npos);
}

bool HavePovray() {
    return std::system("command -v povray >/dev/null 2>&1") == 0;
}

// Renders `scene` in `folder`; the console text and whether POV-Ray succeeded and made a picture.
bool Render(const testing_files::TempFolder& folder, const std::string& scene, int width,
            int height, std::string& console) {
    const std::string log = folder.File("povray.log");
    const std::string picture = folder.File("picture.png");
    std::remove(picture.c_str());
    const std::string command = "cd " + folder.Path() + " && povray +I" + scene + " +O" + picture +
                                " +W" + std::to_string(width) + " +H" + std::to_string(height) +
                                " +FN -D -V +WT1 >" + log + " 2>&1";
    const int raw = std::system(command.c_str());
    console = testing_files::Get(log);
    struct stat st;
    return WIFEXITED(raw) && WEXITSTATUS(raw) == 0 && stat(picture.c_str(), &st) == 0 &&
           st.st_size > 0;
}

// Warnings of the parser and the renderer ("Parse Warning:", "Warning:"), not the console's
// list of its streams.
std::vector<std::string> Warnings(const std::string& console) {
    std::vector<std::string> found;
    std::istringstream in(console);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find("Warning") != std::string::npos &&
            line.find("Warning Stream") == std::string::npos) {
            found.push_back(line);
        }
        if (line.find("Possible") != std::string::npos) found.push_back(line);
    }
    return found;
}

TEST(Pov37, PovrayParsesAndRendersRandomDocumentsWithoutWarnings) {
    if (!HavePovray()) GTEST_SKIP() << "POV-Ray is not installed (scripts/install-deps.sh)";
    testing_files::TempFolder folder;
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        SCOPED_TRACE(seed);
        const Document doc = RandomDocument(seed * 7);
        const SceneView view = RandomView(seed);
        ASSERT_EQ(ExportScene37(doc, view, folder.File("scene.pov")), 0);
        ASSERT_EQ(ExportInclude37(doc, folder.File("objects.inc")), 0);
        std::string console;
        EXPECT_TRUE(Render(folder, "scene.pov", view.width, view.height, console)) << console;
        EXPECT_EQ(Warnings(console), std::vector<std::string>{}) << console;

        // The include in a scene of its own.
        testing_files::Put(folder.File("uses.pov"),
                           "#version 3.7;\nglobal_settings { assumed_gamma 1.0 }\n"
                           "camera { location <0, 0, -12> look_at <0, 0, 0> }\n"
                           "light_source { <10, 10, -10> color rgb 1 }\n"
                           "#include \"objects.inc\"\n");
        EXPECT_TRUE(Render(folder, "uses.pov", 48, 32, console)) << console;
        EXPECT_EQ(Warnings(console), std::vector<std::string>{}) << console;
    }
    // The check itself sees what POV-Ray says about the old text.
    ASSERT_EQ(ExportScene(RandomDocument(1), RandomView(1), folder.File("old.pov")), 0);
    std::string console;
    EXPECT_FALSE(Render(folder, "old.pov", 48, 32, console));
}

class Pov37Cli : public ::testing::Test {
  protected:
    void SetUp() override { setenv("ZARNI_INI", folder_.File("zarni.ini").c_str(), 1); }
    void TearDown() override { unsetenv("ZARNI_INI"); }

    int Run(const std::string& args) const {
        const std::string command = std::string(ZARNI_CLI_PATH) + " export " + args + " >" +
                                    folder_.File("out") + " 2>" + folder_.File("err");
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    testing_files::TempFolder folder_;
};

TEST_F(Pov37Cli, PovOptionChoosesTheNewLanguage) {
    const std::string in = folder_.File("doc.zarni");
    ASSERT_EQ(WriteDocumentFile(RandomDocument(3), in), kFileOk);
    // The document as the file gives it back (colours are stored as bytes).
    Document doc;
    EditSwitches sw;
    Clipboard clipboard;
    ASSERT_EQ(ReadDocumentFile(doc, sw, clipboard, in), kFileOk);
    ASSERT_EQ(Run(in + " " + folder_.File("a.inc") + " --pov 3.7"), 0);
    EXPECT_EQ(testing_files::Get(folder_.File("a.inc")), Include37Text(doc));
    ASSERT_EQ(Run(in + " " + folder_.File("a.pov") + " --pov 3.7 --size 320x200"), 0);
    const std::string scene = testing_files::Get(folder_.File("a.pov"));
    EXPECT_NE(scene.find("\r\n#version 3.7;\r\n"), std::string::npos);
    EXPECT_NE(scene.find("+W320 +H200"), std::string::npos);
    // Without the option: the old text.
    ASSERT_EQ(Run(in + " " + folder_.File("b.inc")), 0);
    EXPECT_EQ(testing_files::Get(folder_.File("b.inc")), IncludeText(doc));
    // Another version is refused and writes nothing.
    EXPECT_EQ(Run(in + " " + folder_.File("c.pov") + " --pov 3.6"), 2);
    EXPECT_EQ(Run(in + " " + folder_.File("c.pov") + " --pov"), 2);
    struct stat st;
    EXPECT_NE(stat(folder_.File("c.pov").c_str(), &st), 0);
}

}  // namespace
}  // namespace zarni
