// zarni-cli end to end: info, export, resave, and bad input that must leave no output behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string>

#include "model/document.h"
#include "model/file_io.h"
#include "model/native_file.h"
#include "model/pov_export.h"
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

}  // namespace
}  // namespace zarni
