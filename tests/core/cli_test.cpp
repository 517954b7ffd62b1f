// zarni-cli end to end: info, export, resave, and bad input that must leave no output behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>
#include <array>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/document.h"
#include "platform/file_io.h"
#include "formats/native_file.h"
#include "formats/pov_export.h"
#include "tests/core/test_documents.h"

namespace zarni {
namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test {
  protected:
    void SetUp() override {
        char dir[] = "/tmp/zarni-cli-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        dir_ = dir;
        // Settings from a file of the test's own, so the user's settings never leak in.
        setenv("ZARNI_INI", (dir_ + "/zarni.ini").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("ZARNI_INI");
        EXPECT_EQ(std::system(("rm -rf " + dir_).c_str()), 0);
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    CliRun RunCli(const std::string& args) const {
        CliRun run;
        const std::string command = std::string(ZARNI_CLI_PATH) + " " + args + " >" +
                                    Path("stdout") + " 2>" + Path("stderr");
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        ReadWholeFile(Path("stdout"), run.out);
        ReadWholeFile(Path("stderr"), run.err);
        return run;
    }

    bool Exists(const std::string& name) const {
        struct stat st;
        return stat(Path(name).c_str(), &st) == 0;
    }

    std::string WriteSample() const {
        Document doc = NewDocument();
        testdocs::AddQuadPatch(doc.objects[0], 0.5f);
        RebuildControlCaches(doc);
        CreateObject(doc);
        doc.objects[1].name = "\x95\x5c";  // a Shift_JIS name whose trail byte is a backslash
        const std::string path = Path("sample.zarni");
        EXPECT_EQ(WriteDocumentFile(doc, path), kFileOk);
        return path;
    }

    std::string dir_;
};

TEST_F(Cli, InfoPrintsTheDocumentAsJson) {
    const std::string sample = WriteSample();
    const CliRun run = RunCli("info " + sample);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"objectCount\": 2"), std::string::npos);
    EXPECT_NE(run.out.find("\"name\": \"OBJ_001\""), std::string::npos);
    EXPECT_NE(run.out.find("\"name\": \"表\""), std::string::npos);  // converted to UTF-8
    EXPECT_NE(run.out.find("[3, 3, 0.5, -1, 0]"), std::string::npos);
    EXPECT_NE(run.out.find("[0, 1, 2, 3, 5, 6, 9, 10]"), std::string::npos);
    EXPECT_NE(run.out.find("\"slot\": \"Bottom\""), std::string::npos);
    EXPECT_NE(run.out.find("\"fovy\": 30"), std::string::npos);
}

TEST_F(Cli, ExportWritesTheSameTextAsTheLibrary) {
    const std::string sample = WriteSample();
    Document doc = NewDocument();
    EditSwitches sw;
    Clipboard clipboard;
    ASSERT_EQ(ReadDocumentFile(doc, sw, clipboard, sample), kFileOk);

    ASSERT_EQ(RunCli("export " + sample + " " + Path("a.inc")).status, 0);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(Path("a.inc"), text));
    EXPECT_EQ(text, IncludeText(doc));

    // The settings' default altitude places the camera; the size gives the angle.
    ASSERT_TRUE(WriteFileAtomically(Path("zarni.ini"), [](std::FILE* f) {
        return std::fputs("[View]\nDefaultAltitude=120\n", f) >= 0;
    }));
    ASSERT_EQ(RunCli("export " + sample + " " + Path("a.POV") + " --size 300x400").status, 0);
    ASSERT_TRUE(ReadWholeFile(Path("a.POV"), text));
    std::array<float, 4> back{{34 / 255.0f, 63 / 255.0f, 45 / 255.0f, 1.0f}};
    EXPECT_EQ(text, SceneText(doc, DefaultSceneView(300, 400, 12.0f, 30.0f, back)));
    EXPECT_NE(text.find("\tangle 22.500\r\n"), std::string::npos);
    EXPECT_NE(text.find("\tlocation <0.000,0.000,-12.000>\r\n"), std::string::npos);
}

TEST_F(Cli, ResaveIsByteIdentical) {
    const std::string sample = WriteSample();
    ASSERT_EQ(RunCli("resave " + sample + " " + Path("again.zarni")).status, 0);
    std::string a, b;
    ASSERT_TRUE(ReadWholeFile(sample, a));
    ASSERT_TRUE(ReadWholeFile(Path("again.zarni"), b));
    EXPECT_EQ(a, b);
}

TEST_F(Cli, BadInputGivesAMessageAndNoOutput) {
    const std::string sample = WriteSample();
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(sample, bytes));
    ASSERT_TRUE(WriteFileAtomically(Path("cut.zarni"), [&bytes](std::FILE* f) {
        return std::fwrite(bytes.data(), 1, bytes.size() - 30, f) == bytes.size() - 30;
    }));
    ASSERT_TRUE(WriteFileAtomically(Path("other.zarni"),
                                    [](std::FILE* f) { return std::fputs("GIF89a", f) >= 0; }));

    CliRun run = RunCli("resave " + Path("cut.zarni") + " " + Path("out.zarni"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("damaged"), std::string::npos) << run.err;
    EXPECT_FALSE(Exists("out.zarni"));

    run = RunCli("export " + Path("other.zarni") + " " + Path("out.pov"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("not a Zarni! document"), std::string::npos) << run.err;
    EXPECT_FALSE(Exists("out.pov"));

    run = RunCli("info " + Path("missing.zarni"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot be opened"), std::string::npos) << run.err;

    EXPECT_EQ(RunCli("export " + sample + " " + Path("out.txt")).status, 2);
    EXPECT_EQ(RunCli("export " + sample + " " + Path("out.pov") + " --size 0x5").status, 2);
    EXPECT_EQ(RunCli("frobnicate").status, 2);
    EXPECT_FALSE(Exists("out.pov"));

    // An export into a folder that does not exist fails cleanly.
    run = RunCli("export " + sample + " " + Path("none/out.inc"));
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(run.err.empty());
}

TEST_F(Cli, ApplyRefusesBadScriptsAndWritesNothing) {
    const std::string out = Path("out.zarni");
    const struct {
        const char* ops;
        const char* message;
    } cases[] = {
        {"AddSphere Frobnicate", "unknown operation \"Frobnicate\""},
        {"AddCircle4 SelectPoint:12", "point 12 does not exist"},
        {"AddCircle4 SelectPoint:x", "\"x\" is not an integer"},
        {"AddCircle4 AxisEdit:3,1", "the axis must be 0 (X), 1 (Y) or 2 (Z)"},
        {"AddCircle4 AxisEdit:0,nan", "\"nan\" is not a number"},
        {"AddCircle4 SelectNone AxisEdit:0,1", "needs an active point"},
        {"AddCircle4 Lathe:2,0,1,19", "div 19 is not in 3..18"},
        {"AppendCurveSegment:1:0,0,0:1,0,0:2,0,0:3,0,0", "no curve end to continue from"},
        {"AppendCurveSegment:0:0,0,0:1,0,0:2,0,0", "wrong number of arguments"},
        {"SetCurrentObject:1", "there is no object 1"},
        {"Symmetry:16,1,1,0,0,0", "mirror flags 16 is not in 0..15"},
        {"SelectAll:1", "takes no arguments"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunCli("apply - " + out + " " + c.ops);
        EXPECT_EQ(run.status, 1) << c.ops;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.ops << ": " << run.err;
        EXPECT_FALSE(Exists("out.zarni")) << c.ops;
    }
    EXPECT_EQ(RunCli("apply -").status, 2);
}

TEST_F(Cli, ApplyStartsFromTheFileWithoutItsSelection) {
    ASSERT_EQ(RunCli("apply - " + Path("a.zarni") + " AddCircle4 CreateObject AddCircle8").status,
              0);
    // The input's current object is edited; opening a file clears the point selection first,
    // so DeleteSelection deletes nothing until something is selected again.
    ASSERT_EQ(RunCli("apply " + Path("a.zarni") + " " + Path("b.zarni") +
                     " DeleteSelection SetCurrentObject:0 SelectPoint:3 DeleteSelection")
                  .status,
              0);
    Document doc = NewDocument();
    EditSwitches sw;
    Clipboard clip;
    ASSERT_EQ(ReadDocumentFile(doc, sw, clip, Path("b.zarni")), kFileOk);
    ASSERT_EQ(doc.objectCount(), 2);
    // The anchor goes with both arcs through it and their four handles.
    EXPECT_EQ(doc.objects[0].pointCount(), 12 - 5);
    EXPECT_EQ(doc.objects[0].segmentCount(), 2);
    EXPECT_EQ(doc.objects[1].pointCount(), 24);
    EXPECT_EQ(doc.currentObject, 0);
}

// Each script in tests/golden runs through `apply` from a new document; `info` of the result
// must equal the stored JSON beside it. ZARNI_UPDATE_GOLDEN=1 rewrites the stored files.
TEST_F(Cli, ApplyGoldenScripts) {
    const std::string folder = std::string(ZARNI_SOURCE_DIR) + "/tests/golden";
    std::vector<std::string> scripts;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".ops") == 0) {
                scripts.push_back(name.substr(0, name.size() - 4));
            }
        }
        closedir(dir);
    }
    std::sort(scripts.begin(), scripts.end());
    ASSERT_GE(scripts.size(), 4u);
    const bool update = std::getenv("ZARNI_UPDATE_GOLDEN") != nullptr;
    for (const std::string& script : scripts) {
        std::ifstream in(folder + "/" + script + ".ops");
        std::string line, ops;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            ops += " " + line;
        }
        const std::string out = Path(script + ".zarni");
        const CliRun applied = RunCli("apply - " + out + ops);
        ASSERT_EQ(applied.status, 0) << script << ": " << applied.err;
        const CliRun info = RunCli("info " + out);
        ASSERT_EQ(info.status, 0) << script << ": " << info.err;
        const std::string expectedPath = folder + "/" + script + ".json";
        if (update) {
            std::ofstream(expectedPath, std::ios::binary) << info.out;
            continue;
        }
        std::string expected;
        ASSERT_TRUE(ReadWholeFile(expectedPath, expected)) << expectedPath;
        EXPECT_EQ(info.out, expected) << script;
    }
}

TEST_F(Cli, UndoingTheLastOperationsGivesTheDocumentOfTheFirstOnes) {
    // Operations that always change the document or its selection, each a step.
    const std::vector<std::string> kinds = {
        "AddCircle4", "AddCircle8", "AddSphere", "CreateObject", "MoveSelection:0.5,0,0.25",
        "SelectNone"};
    for (unsigned seed = 1; seed <= 3; ++seed) {
        std::vector<std::string> ops;
        unsigned r = seed;
        bool selection = false;
        while (ops.size() < 8) {
            r = r * 1103515245u + 12345u;
            const std::string& op = kinds[(r >> 16) % kinds.size()];
            const bool needsSelection = op[0] == 'M' || op[0] == 'S';
            if (needsSelection && !selection) continue;
            ops.push_back(op);
            selection = op[0] == 'A' || op[0] == 'M';
        }
        auto join = [](const std::vector<std::string>& v, size_t n) {
            std::string text;
            for (size_t i = 0; i < n; ++i)
                text += " " + v[i];
            return text;
        };
        const std::string all = join(ops, ops.size());
        for (size_t k : {size_t{0}, size_t{3}, size_t{7}}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", first " + std::to_string(k) + ":" +
                         all);
            std::string undos;
            for (size_t i = k; i < ops.size(); ++i)
                undos += " Undo";
            ASSERT_EQ(RunCli("apply - " + Path("first.zarni") + join(ops, k)).status, 0);
            ASSERT_EQ(RunCli("apply - " + Path("undone.zarni") + all + undos).status, 0);
            const std::string first = RunCli("info " + Path("first.zarni")).out;
            EXPECT_EQ(RunCli("info " + Path("undone.zarni")).out, first);
            // And the Redos bring back the whole result.
            std::string redos;
            for (size_t i = k; i < ops.size(); ++i)
                redos += " Redo";
            ASSERT_EQ(RunCli("apply - " + Path("whole.zarni") + all).status, 0);
            ASSERT_EQ(RunCli("apply - " + Path("redone.zarni") + all + undos + redos).status, 0);
            EXPECT_EQ(RunCli("info " + Path("redone.zarni")).out,
                      RunCli("info " + Path("whole.zarni")).out);
        }
    }
    // Nothing to undo or redo changes nothing; a switch is no step; an operation after an
    // Undo drops what could have been redone.
    ASSERT_EQ(
        RunCli("apply - " + Path("a.zarni") + " Undo Redo AddCircle4 EditMode:1 Undo Redo").status,
        0);
    ASSERT_EQ(RunCli("apply - " + Path("b.zarni") + " AddCircle4").status, 0);
    EXPECT_EQ(RunCli("info " + Path("a.zarni")).out, RunCli("info " + Path("b.zarni")).out);
    ASSERT_EQ(
        RunCli("apply - " + Path("c.zarni") + " AddCircle4 AddCircle8 Undo SelectNone Redo").status,
        0);
    ASSERT_EQ(RunCli("apply - " + Path("d.zarni") + " AddCircle4 SelectNone").status, 0);
    EXPECT_EQ(RunCli("info " + Path("c.zarni")).out, RunCli("info " + Path("d.zarni")).out);
}

}  // namespace
}  // namespace zarni
