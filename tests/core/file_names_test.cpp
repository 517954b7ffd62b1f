// The File commands' path rules: forced extensions, filter lists and the shared filter index,
// and the command-line hand-over to a new instance.
#include "rules/file_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace zarni {
namespace {

TEST(ForceExtension, AppendsReplacesAndKeepsFolderDots) {
    EXPECT_EQ(ForceExtension("/d/dir/name", "zarni"), "/d/dir/name.zarni");
    EXPECT_EQ(ForceExtension("/d/dir/name.txt", "zarni"), "/d/dir/name.zarni");
    EXPECT_EQ(ForceExtension("/d/my.dir/name", "zarni"), "/d/my.dir/name.zarni");
    EXPECT_EQ(ForceExtension("D:\\my.dir\\name", "zarni"), "D:\\my.dir\\name.zarni");
    EXPECT_EQ(ForceExtension("/d/a.b.c", "pov"), "/d/a.b.pov");
    EXPECT_EQ(ForceExtension("name.", "inc"), "name.inc");
    EXPECT_EQ(ForceExtension("plain", "inc"), "plain.inc");
}

TEST(ForceExtension, GivenCaseWinsAndMultiByteNamesSurvive) {
    EXPECT_EQ(ForceExtension("/d/NAME.ZARNI", "zarni"), "/d/NAME.zarni");
    EXPECT_EQ(ForceExtension("/d/scene.POV", "inc"), "/d/scene.inc");
    // Japanese folder and file names in UTF-8.
    EXPECT_EQ(ForceExtension("/d/模型.フォルダ/花瓶", "zarni"), "/d/模型.フォルダ/花瓶.zarni");
    EXPECT_EQ(ForceExtension("/d/花瓶.txt", "zarni"), "/d/花瓶.zarni");
}

TEST(SaveFilters, TextsKeepTheirLeadingSpaceAndFormWxWildcards) {
    ASSERT_EQ(SaveAsFilters().size(), 1u);
    EXPECT_EQ(WildcardFor(SaveAsFilters()), " Zarni!File(*.zarni)|*.zarni");
    // The first two Export filters as they always were, then the newer forms.
    ASSERT_EQ(ExportFilters().size(), 7u);
    EXPECT_EQ(WildcardFor(ExportFilters()),
              " PovRay(*.pov)|*.pov| POVRay(*.inc)|*.inc|POV-Ray 3.7 Scene(*.pov)|*.pov|"
              "POV-Ray 3.7 Include(*.inc)|*.inc|Wavefront OBJ(*.obj)|*.obj|"
              "STL binary(*.stl)|*.stl|glTF 2.0 binary(*.glb)|*.glb");
}

TEST(SaveFilters, SharedIndexRoundTripsAndFallsBackToTheFirstFilter) {
    // Start value 0 opens the first filter.
    EXPECT_EQ(DialogIndexFor(0, 2), 0);
    // The include filter chosen in Export is shown again by the next Export...
    const int stored = StoredIndexFor(1);
    EXPECT_EQ(stored, 2);
    EXPECT_EQ(DialogIndexFor(stored, 2), 1);
    // ...while Save As, with one filter, opens on its only one and stores 1 again.
    EXPECT_EQ(DialogIndexFor(stored, 1), 0);
    EXPECT_EQ(StoredIndexFor(DialogIndexFor(stored, 1)), 1);
    EXPECT_EQ(DialogIndexFor(-3, 2), 0);
    // A dialog that reports no filter counts as the first.
    EXPECT_EQ(StoredIndexFor(-1), 1);

    EXPECT_EQ(ExportKindFor(1), ExportKind::Scene);
    EXPECT_EQ(ExportKindFor(2), ExportKind::Include);
    EXPECT_EQ(ExportKindFor(0), ExportKind::None);
    EXPECT_EQ(ExportKindFor(3), ExportKind::Scene37);
    EXPECT_EQ(ExportKindFor(4), ExportKind::Include37);
    EXPECT_EQ(ExportKindFor(5), ExportKind::Obj);
    EXPECT_EQ(ExportKindFor(6), ExportKind::Stl);
    EXPECT_EQ(ExportKindFor(7), ExportKind::Glb);
    EXPECT_EQ(ExportKindFor(8), ExportKind::None);
    EXPECT_STREQ(ExportExtension(ExportKind::Obj), "obj");
    EXPECT_STREQ(ExportExtension(ExportKind::Stl), "stl");
    EXPECT_STREQ(ExportExtension(ExportKind::Glb), "glb");
    EXPECT_STREQ(ExportExtension(ExportKind::Include), "inc");
    // An include export to a ".pov" name lands under ".inc".
    EXPECT_EQ(ForceExtension("/t/x.pov", ExportExtension(ExportKindFor(2))), "/t/x.inc");
}

TEST(HelpFile, BesideTheExecutableThenTheInstalledDocumentation) {
    using Paths = std::vector<std::string>;
    EXPECT_EQ(HelpFileCandidates("/usr/local/bin/zarni"),
              (Paths{"/usr/local/bin/ReadMe.txt", "/usr/local/share/doc/zarni/ReadMe.txt"}));
    EXPECT_EQ(HelpFileCandidates("/opt/my.app/bin/zarni"),
              (Paths{"/opt/my.app/bin/ReadMe.txt", "/opt/my.app/share/doc/zarni/ReadMe.txt"}));
    // Relative and top-level executables still find a parent folder.
    EXPECT_EQ(HelpFileCandidates("zarni"),
              (Paths{"./ReadMe.txt", "../share/doc/zarni/ReadMe.txt"}));
    EXPECT_EQ(HelpFileCandidates("bin/zarni"),
              (Paths{"bin/ReadMe.txt", "./share/doc/zarni/ReadMe.txt"}));
    EXPECT_EQ(HelpFileCandidates("/zarni"), (Paths{"/ReadMe.txt", "/share/doc/zarni/ReadMe.txt"}));
}

TEST(HelpFile, TheFirstExistingCandidateWins) {
    std::set<std::string> files;
    auto exists = [&files](const std::string& p) { return files.count(p) > 0; };
    const std::string exe = "/usr/bin/zarni";
    // Nothing anywhere: the place beside the executable, for the viewer to report.
    EXPECT_EQ(HelpFilePath(exe, exists), "/usr/bin/ReadMe.txt");
    files.insert("/usr/share/doc/zarni/ReadMe.txt");
    EXPECT_EQ(HelpFilePath(exe, exists), "/usr/share/doc/zarni/ReadMe.txt");
    files.insert("/usr/bin/ReadMe.txt");
    EXPECT_EQ(HelpFilePath(exe, exists), "/usr/bin/ReadMe.txt");
}

// Runs the command-line rule where each opened file sets `modified` when `readMarks` says so.
struct CommandLineRun {
    std::vector<std::string> opened;
    std::vector<std::vector<std::string>> handedOn;
};

CommandLineRun RunCommandLine(const std::vector<std::string>& args, bool readMarks = true) {
    CommandLineRun run;
    bool modified = false;
    HandleCommandLine(
        args, "/home/u", [&] { return modified; },
        [&](const std::string& p) {
            run.opened.push_back(p);
            modified = readMarks;
        },
        [&](const std::vector<std::string>& rest) { run.handedOn.push_back(rest); });
    return run;
}

TEST(CommandLine, FirstFileOpensHereTheRestGoToOneNewInstance) {
    const CommandLineRun run = RunCommandLine({"/d/a.zarni", "/d/b.zarni", "-x", "/d/c.zarni"});
    EXPECT_EQ(run.opened, (std::vector<std::string>{"/d/a.zarni"}));
    ASSERT_EQ(run.handedOn.size(), 1u);
    EXPECT_EQ(run.handedOn[0], (std::vector<std::string>{"/d/b.zarni", "-x", "/d/c.zarni"}));
}

TEST(CommandLine, OptionsAreSkippedAndRelativeNamesMadeAbsolute) {
    const CommandLineRun run = RunCommandLine({"-x", "--geometry", "My Files/a.zarni", "../b"});
    EXPECT_EQ(run.opened, (std::vector<std::string>{"/home/u/My Files/a.zarni"}));
    ASSERT_EQ(run.handedOn.size(), 1u);
    EXPECT_EQ(run.handedOn[0], (std::vector<std::string>{"/home/b"}));
}

TEST(CommandLine, NothingHappensWithoutFilesAndAFailedReadLetsTheNextOpenHere) {
    const CommandLineRun none = RunCommandLine({"-v"});
    EXPECT_TRUE(none.opened.empty());
    EXPECT_TRUE(none.handedOn.empty());

    // A read that failed leaves the document unmodified, so the next file is tried here.
    const CommandLineRun failed = RunCommandLine({"/d/bad", "/d/good"}, false);
    EXPECT_EQ(failed.opened, (std::vector<std::string>{"/d/bad", "/d/good"}));
    EXPECT_TRUE(failed.handedOn.empty());
}

TEST(DocumentCaption, NamesTheFileAndMarksUnsavedChanges) {
    const std::string base = "Zarni!_ver0.1a";
    EXPECT_EQ(DocumentCaption(base, "", false), base);
    EXPECT_EQ(DocumentCaption(base, "", true), base + " *");
    EXPECT_EQ(DocumentCaption(base, "/home/u/my.dir/vase.zarni", false), base + " - vase.zarni");
    EXPECT_EQ(DocumentCaption(base, "/home/u/vase.zarni", true), base + " - vase.zarni *");
}

TEST(MessagePath, LongPathsAreBrokenIntoShortLinesWithNothingLostOrCut) {
    const std::string folder = "/home/user/a-folder-name-that-goes-on-and-on/";
    std::string longPath = folder;
    while (longPath.size() < 279)
        longPath += "sub-folder-" + std::to_string(longPath.size()) + "/";
    longPath += "picture.bmp";
    const std::string japanese =
        "/home/user/模型/" + std::string(40, 'x') + "/花瓶花瓶花瓶花瓶花瓶花瓶.bmp";
    const std::string noSlash(150, 'n');
    for (const std::string& path :
         {longPath, japanese, noSlash, std::string("/short/name.zarni")}) {
        SCOPED_TRACE(path);
        const std::string shown = MessagePath(path);
        std::string joined;
        size_t start = 0;
        for (;;) {
            const size_t end = shown.find('\n', start);
            const std::string line = shown.substr(start, end - start);
            size_t columns = 0;
            for (unsigned char c : line)
                columns += c < 0x80 ? 1 : (c & 0xC0) == 0xC0 ? 2 : 0;
            EXPECT_LE(columns, kMessagePathColumns) << line;
            // A line never starts inside a character.
            EXPECT_TRUE(line.empty() || (static_cast<unsigned char>(line[0]) & 0xC0) != 0x80);
            // Breaks fall after a '/' when the line has one.
            if (end != std::string::npos && line.find('/') != std::string::npos) {
                EXPECT_EQ(line.back(), '/') << line;
            }
            joined += line;
            if (end == std::string::npos) break;
            start = end + 1;
        }
        EXPECT_EQ(joined, path);
    }
    EXPECT_EQ(MessagePath("/short/name.zarni"), "/short/name.zarni");
}

}  // namespace
}  // namespace zarni
