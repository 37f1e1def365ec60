// Odd entries of a wiki folder as a user meets them while listing, searching and
// exporting: folders and links named like pages, links that lead nowhere or out of the
// wiki, left-overs of an interrupted export, page names the file system cannot take.
#include "CliRun.h"
#include "TestFolder.h"
#include "render/UHtmlExport.h"
#include "render/UWikiSession.h"
#include "storage/UDocumentSearching.h"
#include "storage/UWikiFileList.h"
#include "text/UPageName.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace tarnel;
using tarnel::testing::CliRun;
using tarnel::testing::TestFolder;
namespace fs = std::filesystem;

namespace {

std::string FileOf(const std::string& page) {
    return EncodePageName(page, false) + ".txt";
}

bool Mentions(const std::vector<std::string>& messages, const std::string& what,
              const std::string& why) {
    for (const std::string& m : messages)
        if (m.find(what) != std::string::npos && m.find(why) != std::string::npos) return true;
    return false;
}

// A wiki with two pages, a link to a file in its sub-folder and one of each odd entry; a
// file outside it holds a secret.
class OddFilesTest : public ::testing::Test {
protected:
    OddFilesTest() : session(TARNEL_APP_DIR) {
        wiki = root.Path() + "wiki/";
        out = root.Path() + "out/";
        fs::create_directories(wiki + "sub");
        fs::create_directories(out);
        Page("FrontPage", "See Folder and Dangling, OtherPage\n");
        Page("OtherPage", "other\n");
        root.Write("secret.txt", "SECRETWORD\n");
        root.Write("wiki/sub/kept.txt", "kept through a link\n");
        fs::create_directory(wiki + FileOf("Folder"));
        fs::create_symlink(wiki + "nowhere.txt", wiki + FileOf("Dangling"));
        fs::create_symlink(wiki + FileOf("LoopB"), wiki + FileOf("LoopA"));
        fs::create_symlink(wiki + FileOf("LoopA"), wiki + FileOf("LoopB"));
        fs::create_symlink(root.Path() + "secret.txt", wiki + FileOf("Outside"));
        fs::create_symlink("sub/kept.txt", wiki + FileOf("Linked"));
        // A named pipe stands for a device: reading it would wait for ever.
        mkfifo((wiki + FileOf("Pipe")).c_str(), 0600);
        session.Start(root.Path() + "settings.ini");
        session.OpenWiki(wiki);
    }
    void Page(const std::string& name, const std::string& text) {
        std::ofstream(wiki + FileOf(name), std::ios::binary) << text;
    }
    TestFolder root;
    TWikiSession session;
    std::string wiki, out;
};

} // namespace

TEST_F(OddFilesTest, ListHasOnlyRegularFilesAndNamesEachSkippedEntry) {
    TWikiFileList list;
    list.folder = wiki;
    list.Update();
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i)
        names.push_back(list.PageName(i));
    EXPECT_EQ(names, (std::vector<std::string>{"FrontPage", "Linked", "OtherPage"}));
    ASSERT_EQ(list.skipped.size(), 6u);
    EXPECT_TRUE(Mentions(list.skipped, FileOf("Pipe"), "not a regular file"));
    EXPECT_TRUE(Mentions(list.skipped, FileOf("Folder"), "a folder"));
    EXPECT_TRUE(Mentions(list.skipped, FileOf("Dangling"), "dangling"));
    EXPECT_TRUE(Mentions(list.skipped, FileOf("LoopA"), "loop"));
    EXPECT_TRUE(Mentions(list.skipped, FileOf("LoopB"), "loop"));
    EXPECT_TRUE(Mentions(list.skipped, FileOf("Outside"), "outside the wiki"));
    // A folder named like a page is no page for links either.
    EXPECT_FALSE(PageFileExists(wiki, FileOf("Folder")));
    EXPECT_TRUE(PageFileExists(wiki, FileOf("OtherPage")));
}

TEST_F(OddFilesTest, ExportGoesOnPastOddEntriesAndPublishesNothingFromOutside) {
    TExportOptions options;
    options.folder = out;
    TExportResult result = ExportHtml(session, options);
    EXPECT_EQ(result.failed, 0);
    EXPECT_EQ(result.listed, 3);
    EXPECT_EQ(result.written, 3);
    EXPECT_EQ(result.warnings.size(), 6u);
    EXPECT_TRUE(Mentions(result.warnings, FileOf("Folder"), "a folder"));
    EXPECT_TRUE(Mentions(result.warnings, FileOf("Outside"), "outside"));
    std::string index = root.Read("out/index.html");
    EXPECT_NE(index.find(">OtherPage<"), std::string::npos) << "the run went on to the index";
    EXPECT_NE(index.find(">Linked<"), std::string::npos);
    for (const char* odd : {"Folder", "Dangling", "LoopA", "Outside"})
        EXPECT_EQ(index.find(std::string(">") + odd + "<"), std::string::npos) << odd;
    EXPECT_FALSE(fs::exists(out + EncodePageName("Outside", false) + ".html"));
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        if (!entry.is_regular_file()) continue;
        std::string relative = fs::relative(entry.path(), out).string();
        EXPECT_EQ(root.Read("out/" + relative).find("SECRETWORD"), std::string::npos) << relative;
    }
}

TEST_F(OddFilesTest, SearchReadsNothingOutsideTheWiki) {
    TWikiFileList results;
    ASSERT_TRUE(RunSearch("SECRETWORD", wiki, ".txt", results, SearchOptions{}));
    EXPECT_EQ(results.Count(), 0);
    EXPECT_TRUE(Mentions(results.skipped, FileOf("Outside"), "outside"));
    ASSERT_TRUE(RunSearch("kept", wiki, ".txt", results, SearchOptions{}));
    ASSERT_EQ(results.Count(), 1);
    EXPECT_EQ(results.PageName(0), "Linked");
}

TEST_F(OddFilesTest, NextExportRemovesTemporaryFilesOfAnInterruptedOne) {
    TExportOptions options;
    options.folder = out;
    ExportHtml(session, options);
    // What a kill in the middle of an atomic write leaves: an empty temporary file.
    std::ofstream(out + ".tarnel-Ab3xYz").close();
    std::ofstream(out + ".tarnel-kept-by-user").close(); // not a temporary name
    TExportResult result = ExportHtml(session, options);
    EXPECT_FALSE(fs::exists(out + ".tarnel-Ab3xYz"));
    EXPECT_TRUE(Mentions(result.warnings, ".tarnel-Ab3xYz", "interrupted export"));
    EXPECT_TRUE(fs::exists(out + ".tarnel-kept-by-user"));
    EXPECT_TRUE(fs::exists(out + kExportManifest)) << "the manifest is no temporary file";
}

namespace {

CliRun Cli(const std::string& arguments) {
    return tarnel::testing::Cli(arguments, true);
}

} // namespace

TEST_F(OddFilesTest, CommandLineNamesOddFilesAndLongNamesPlainly) {
    CliRun list = Cli("list " + wiki);
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find(FileOf("Folder") + ": skipped, a folder"), std::string::npos)
        << list.out;
    CliRun exported = Cli("export " + wiki + " " + out);
    EXPECT_EQ(exported.status, 0) << exported.out;
    EXPECT_NE(exported.out.find(FileOf("Dangling") + ": skipped"), std::string::npos);

    // 200 bytes of page name are 400 hex digits: more than a file name may hold.
    const std::string longName(200, 'a');
    CliRun page = Cli("export --page " + longName + " " + wiki + " " + out);
    EXPECT_EQ(page.status, 1);
    EXPECT_EQ(page.out, "tarnel-cli: no such page: " + longName + "\n");
    const std::string longFile = wiki + EncodePageName(longName, false) + ".txt";
    for (const char* command : {"show ", "convert "}) {
        CliRun run = Cli(command + longFile);
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_EQ(run.out, "tarnel-cli: no such page file: " + longFile + "\n") << command;
        CliRun missing = Cli(command + wiki + "4D697373696E67.txt");
        EXPECT_EQ(missing.out, "tarnel-cli: no such page file: " + wiki + "4D697373696E67.txt\n")
            << command;
    }
}
