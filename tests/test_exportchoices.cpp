// The export dialog's decisions: the choices shown and stored, the chosen pages, the OK
// check of the folder, the report of a run; and the rows of the plug-in usage window.
#include "TestFolder.h"
#include "render/UExportChoices.h"
#include "render/UPluginUsage.h"
#include "render/UWikiSession.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace tarnel;
using tarnel::testing::TestFolder;
namespace fs = std::filesystem;

namespace {

TEST(ExportDialog, ChoicesComeFromAndGoBackToTheSettings) {
    TTarnelReg settings;
    TTemplate templates(TARNEL_APP_DIR);
    templates.ExportFileName = "default.html";
    templates.ListFileName = "default.html";
    TExportChoices choices = ExportChoicesOf(settings, templates);
    EXPECT_TRUE(choices.all);
    EXPECT_TRUE(choices.index);
    EXPECT_EQ(choices.encoding, TExportEncoding::ShiftJis);

    choices.folder = "/tmp/out";
    choices.encoding = TExportEncoding::Utf8;
    choices.fileNameKind = TExportFileNameKind::Title;
    choices.all = false;
    choices.copyFolders = true;
    choices.index = false;
    choices.oldFile = true;
    choices.exportTemplate = "plain.html";
    choices.listTemplate = "short.html";
    StoreExportChoices(settings, templates, choices);
    TExportChoices again = ExportChoicesOf(settings, templates);
    EXPECT_EQ(again.folder, choices.folder);
    EXPECT_EQ(again.encoding, choices.encoding);
    EXPECT_EQ(again.fileNameKind, choices.fileNameKind);
    EXPECT_EQ(again.all, choices.all);
    EXPECT_EQ(again.copyFolders, choices.copyFolders);
    EXPECT_EQ(again.index, choices.index);
    EXPECT_EQ(again.oldFile, choices.oldFile);
    EXPECT_EQ(again.exportTemplate, "plain.html");
    EXPECT_EQ(again.listTemplate, "short.html");
}

TEST(ExportDialog, TemplateComboSelectsTheChosenElseTheFirst) {
    const std::vector<std::string> names{"a.html", "default.html", "z.html"};
    EXPECT_EQ(TemplateChoice(names, "default.html"), 1);
    EXPECT_EQ(TemplateChoice(names, "z.html"), 2);
    EXPECT_EQ(TemplateChoice(names, "gone.html"), 0);
    EXPECT_EQ(TemplateChoice(names, ""), 0);
    EXPECT_EQ(TemplateChoice({}, "default.html"), -1);
}

TEST(ExportDialog, OkNeedsAnExistingFolder) {
    TestFolder root;
    std::string file = root.Write("file.txt", "x");
    EXPECT_TRUE(ExportFolderExists(root.Path()));
    EXPECT_FALSE(ExportFolderExists(""));
    EXPECT_FALSE(ExportFolderExists(root.Path() + "missing"));
    EXPECT_FALSE(ExportFolderExists(file));
}

TEST(ExportDialog, OptionsTakeTheChosenPagesOnlyWhenNotAll) {
    TExportChoices choices;
    choices.chosenPages = {"41.txt", "42.txt"};
    choices.all = true;
    EXPECT_TRUE(ExportOptionsOf(choices).pages.empty());
    choices.all = false;
    TExportOptions options = ExportOptionsOf(choices);
    EXPECT_FALSE(options.all);
    EXPECT_EQ(options.pages, (std::set<std::string>{"41.txt", "42.txt"}));
    // The dialog never asks to overwrite the user's files or to start from nothing.
    EXPECT_FALSE(options.overwriteForeign);
    EXPECT_FALSE(options.clean);
}

// The page list is read again before the run. Pages chosen by their place in the list
// would move onto other pages when a page is added in front of them meanwhile; chosen by
// file name they stay the pages the user chose.
TEST(ExportDialog, ChosenPagesSurviveAPageAddedBeforeTheRun) {
    TestFolder root;
    const std::string wiki = root.Path() + "wiki/", out = root.Path() + "out/";
    fs::create_directories(wiki);
    fs::create_directories(out);
    auto page = [&](const std::string& name) {
        std::ofstream(wiki + EncodePageName(name, false) + ".txt") << "*" << name << "\n";
    };
    page("Beta");
    page("Gamma");
    TWikiSession session(TARNEL_APP_DIR);
    session.Start(root.Path() + "settings.ini");
    session.OpenWiki(wiki);
    ASSERT_EQ(session.PageList().Count(), 2);

    TExportChoices choices = ExportChoicesOf(session.Settings(), session.Templates());
    choices.folder = out;
    choices.all = false;
    choices.chosenPages = {session.PageList().FileName(0)}; // Beta, the first row
    page("Alpha");                                          // sorts before Beta
    TExportResult result = ExportHtml(session, ExportOptionsOf(choices));
    EXPECT_EQ(result.written, 1);
    EXPECT_TRUE(fs::exists(out + EncodePageName("Beta", false) + ".html"));
    EXPECT_FALSE(fs::exists(out + EncodePageName("Alpha", false) + ".html"));
}

// The dialog asks before it overwrites the user's files, so it must learn every one of
// them, not only the few that the message names.
TEST(ExportDialog, ForeignFilesAreAllNamedBeforeAnythingIsWritten) {
    TestFolder root;
    const std::string wiki = root.Path() + "wiki/", out = root.Path() + "out/";
    fs::create_directories(wiki);
    fs::create_directories(out);
    std::set<std::string> users{"index.html"};
    for (int i = 0; i < 7; ++i) {
        std::string name = "P" + std::to_string(i);
        std::ofstream(wiki + EncodePageName(name, false) + ".txt") << name << "\n";
        users.insert(EncodePageName(name, false) + ".html");
    }
    for (const std::string& file : users)
        std::ofstream(out + file) << "mine";
    TWikiSession session(TARNEL_APP_DIR);
    session.Start(root.Path() + "settings.ini");
    session.OpenWiki(wiki);
    TExportOptions options;
    options.folder = out;
    try {
        ExportHtml(session, options);
        FAIL() << "the user's files would have been overwritten";
    } catch (const EExportForeignFiles& e) {
        EXPECT_EQ(std::set<std::string>(e.Files.begin(), e.Files.end()), users);
    }
    std::ifstream index(out + "index.html");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(index), {}), "mine");
    options.overwriteForeign = true;
    EXPECT_EQ(ExportHtml(session, options).written, 7);
}

// The desktop runs the export in a thread while the window draws the page list: a run
// told so leaves the list as it is, and exports the pages it lists.
TEST(ExportDialog, RunInAThreadLeavesThePageListAlone) {
    TestFolder root;
    const std::string wiki = root.Path() + "wiki/", out = root.Path() + "out/";
    fs::create_directories(wiki);
    fs::create_directories(out);
    std::ofstream(wiki + EncodePageName("One", false) + ".txt") << "one\n";
    TWikiSession session(TARNEL_APP_DIR);
    session.Start(root.Path() + "settings.ini");
    session.OpenWiki(wiki);
    std::ofstream(wiki + EncodePageName("Two", false) + ".txt") << "two\n";
    TExportOptions options;
    options.folder = out;
    options.refreshPageList = false;
    EXPECT_EQ(ExportHtml(session, options).written, 1);
    EXPECT_EQ(session.PageList().Count(), 1);
    options.refreshPageList = true;
    EXPECT_EQ(ExportHtml(session, options).written, 2); // a new page: every link may change
    EXPECT_EQ(session.PageList().Count(), 2);
}

TEST(ExportDialog, ReportNeverShowsAFailureAsSuccess) {
    TLanguage language; // no file: the built-in texts
    TExportResult done;
    done.listed = 3;
    done.written = 2;
    done.unchanged = 1;
    TExportReport report = ReportOfExport(language, done);
    EXPECT_TRUE(report.success);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_EQ(ShiftJisToUtf8(report.summary),
              "HTML出力が終わりました。\n出力したページ: 2\n更新のなかったページ: 1");

    TExportResult failed = done;
    failed.failed = 2;
    failed.failures = {"page \"A\" (41.txt): Permission denied",
                       "page \"B\" (42.txt): No space left on device"};
    report = ReportOfExport(language, failed);
    EXPECT_FALSE(report.success);
    EXPECT_EQ(report.failures, failed.failures); // every page, with its reason
    EXPECT_NE(ShiftJisToUtf8(report.summary).find("出力できなかったページ: 2"), std::string::npos);
    EXPECT_EQ(ShiftJisToUtf8(report.summary).find("終わりました。\n"), std::string::npos)
        << "the first line must not read as plain success";

    // A failure message without the count still fails the run.
    TExportResult uncounted;
    uncounted.failures = {"index.html: cannot write"};
    EXPECT_FALSE(ReportOfExport(language, uncounted).success);

    TExportReport cancelled = ReportOfStoppedExport(language, true, "the export was cancelled");
    EXPECT_FALSE(cancelled.success);
    EXPECT_TRUE(cancelled.failures.empty());
    TExportReport error = ReportOfStoppedExport(language, false, "the export template x missing");
    EXPECT_FALSE(error.success);
    EXPECT_EQ(error.failures, std::vector<std::string>{"the export template x missing"});
}

TEST(PluginUsage, RowsShowEveryPluginInShelfOrder) {
    TPluginShelf empty;
    EXPECT_TRUE(PluginUsageRows(empty).empty());

    TPluginShelf shelf;
    shelf.LoadPlugin(std::string(TARNEL_TEST_PLUGIN_DIR) + "probe.so");
    shelf.LoadPlugin(std::string(TARNEL_TEST_PLUGIN_DIR) + "altversion.so");
    std::vector<TPluginUsageRow> rows = PluginUsageRows(shelf);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Name, "altversion"); // by name, not by loading order
    EXPECT_EQ(rows[1].Name, "probe");
    // A plug-in with GetPluginVersion only shows that version.
    EXPECT_EQ(rows[0].Version, "2.5-alt");
    EXPECT_EQ(rows[1].Version, "1.0");
    EXPECT_EQ(rows[0].Type, "7");
    EXPECT_EQ(rows[0].FileName, "altversion.so");
    EXPECT_EQ(rows[0].Path, std::string(TARNEL_TEST_PLUGIN_DIR) + "altversion.so");
}

} // namespace
