// zarni-cli import end to end: a drawing and a text become a one-object document; bad input,
// fonts and arguments leave no file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "formats/native_file.h"
#include "platform/files.h"
#include "tests/core/temp_folder.h"

namespace zarni {
namespace {

class ImportCli : public ::testing::Test {
  protected:
    void SetUp() override { setenv("ZARNI_INI", folder_.File("zarni.ini").c_str(), 1); }
    void TearDown() override { unsetenv("ZARNI_INI"); }

    // The exit status; stderr is kept in err_.
    int Run(const std::string& args) {
        const std::string command = std::string(ZARNI_CLI_PATH) + " import " + args +
                                    " >/dev/null 2>" + folder_.File("stderr");
        const int raw = std::system(command.c_str());
        err_.clear();
        ReadWholeFile(folder_.File("stderr"), err_);
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    bool Exists(const std::string& name) const {
        struct stat st;
        return stat(folder_.File(name).c_str(), &st) == 0;
    }

    Document Load(const std::string& name) {
        Document doc;
        EditSwitches sw;
        Clipboard clipboard;
        std::string why;
        EXPECT_EQ(ReadDocumentFile(doc, sw, clipboard, folder_.File(name), {}, &why), kFileOk)
            << why;
        return doc;
    }

    std::string Svg(const std::string& name, const std::string& body) {
        testing_files::Put(folder_.File(name),
                           "<svg xmlns=\"http://www.w3.org/2000/svg\">" + body + "</svg>");
        return folder_.File(name);
    }

    testing_files::TempFolder folder_;
    std::string err_;
};

TEST_F(ImportCli, DrawingBecomesOneObjectAtTheGivenSize) {
    const std::string in =
        Svg("in.svg", "<rect x=\"10\" y=\"10\" width=\"40\" height=\"20\"/><text>x</text>");
    ASSERT_EQ(Run(in + " " + folder_.File("out.zarni") + " --size 4"), 0) << err_;
    EXPECT_NE(err_.find("1 element that draws nothing was left out: text 1"), std::string::npos)
        << err_;
    const Document doc = Load("out.zarni");
    ASSERT_EQ(doc.objectCount(), 1);
    const PatchObject& obj = doc.objects[0];
    EXPECT_EQ(obj.segmentCount(), 4);
    EXPECT_EQ(obj.segments[3].p3, obj.segments[0].p0);
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const ControlPoint& p : obj.points) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        EXPECT_EQ(p.z, 0.0f);
    }
    EXPECT_FLOAT_EQ(maxX - minX, 4.0f);
    EXPECT_FLOAT_EQ(maxY - minY, 2.0f);
    EXPECT_EQ(doc.selectedAnchors.size(), 4u);
}

TEST_F(ImportCli, TextBecomesOneObject) {
    ASSERT_EQ(Run("--text Zarni " + folder_.File("text.zarni")), 0) << err_;
    const Document doc = Load("text.zarni");
    ASSERT_EQ(doc.objectCount(), 1);
    EXPECT_GT(doc.objects[0].segmentCount(), 10);
}

TEST_F(ImportCli, FailuresWriteNothingAndKeepAnOldFile) {
    testing_files::Put(folder_.File("old.zarni"), "keep me");
    const std::string broken =
        Svg("broken.svg", "<path d=\"M0 0 L1 1\"/><path d=\"M0 0 L1 1\"/><g>");
    const std::string badPath = Svg("bad.svg", "<path d=\"M0 0 L1 1\"/><path d=\"M0 0 Lx\"/>");
    const std::string empty = Svg("empty.svg", "<text>x</text>");
    struct Case {
        std::string args;
        int status;
    };
    const Case cases[] = {
        {broken + " OUT", 1},
        {badPath + " OUT", 1},
        {empty + " OUT", 1},
        {folder_.File("missing.svg") + " OUT", 1},
        {"--text ' ' OUT", 1},
        {"--text abc --font NoSuchFamilyAnywhere OUT", 1},
        {broken + " OUT --size 0", 2},
        {broken + " OUT --size", 2},
        {broken + " OUT --font x", 2},
        {broken, 2},
        {"--text abc", 2},
        {"--text abc in.svg OUT", 2},
        {broken + " OUT --bogus", 2},
    };
    for (const Case& c : cases) {
        // A failure leaves no new file, and an existing one (for the first few) as it was.
        const bool onOld = &c - cases < 4;
        for (const char* out : {"new.zarni", "old.zarni"}) {
            if (!onOld && std::string(out) == "old.zarni") continue;
            std::string args = c.args;
            const size_t at = args.find("OUT");
            if (at != std::string::npos) args.replace(at, 3, folder_.File(out));
            EXPECT_EQ(Run(args), c.status) << args << "\n" << err_;
            EXPECT_FALSE(err_.empty()) << args;
        }
        EXPECT_FALSE(Exists("new.zarni")) << c.args;
        std::string old;
        ReadWholeFile(folder_.File("old.zarni"), old);
        EXPECT_EQ(old, "keep me") << c.args;
    }
}

}  // namespace
}  // namespace zarni
