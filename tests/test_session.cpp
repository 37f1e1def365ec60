// The page pipeline: reading, changing wikis, converting and filling the main template.
#include "TestFolder.h"
#include "render/UWikiSession.h"
#include "storage/UWikiFileList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

using namespace tarnel;
using tarnel::testing::TestFolder;

namespace {

// A session over the built program folder with a settings file of its own, and two wikis.
class SessionTest : public ::testing::Test {
protected:
    SessionTest() : session(TARNEL_APP_DIR) {}

    std::string Wiki(const std::string& name, const std::string& wikiIni = "") {
        std::string path = root.Path() + name + "/";
        std::filesystem::create_directories(path);
        if (!wikiIni.empty()) root.Write(name + "/Wiki.ini", wikiIni);
        return path;
    }
    std::string Page(const std::string& wiki, const std::string& name, const std::string& text,
                     const std::string& ext = ".txt") {
        std::string path = wiki + EncodePageName(name, false) + ext;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    void Start() { session.Start(root.Path() + "settings.ini"); }

    TestFolder root;
    TWikiSession session;
};

} // namespace

TEST_F(SessionTest, ShowsAPageThroughTheMainTemplate) {
    Start();
    EXPECT_EQ(session.WindowTitle(), " - Tarnel");
    std::string a = Wiki("a");
    std::string front = Page(a, "FrontPage", "*Hello\nLink to OtherPage\n");
    EXPECT_FALSE(session.ShowDocument(a + "missing.txt").has_value());

    auto shown = session.ShowDocument(front);
    ASSERT_TRUE(shown.has_value());
    EXPECT_TRUE(shown->Filled);
    EXPECT_TRUE(shown->Messages.empty());
    EXPECT_FALSE(shown->SamePage);
    EXPECT_NE(shown->Html.find("<h2><a name=\"i0\">Hello</a></h2>"), std::string::npos);
    EXPECT_NE(shown->Html.find("<title>FrontPage</title>"), std::string::npos);
    EXPECT_NE(shown->Html.find("css/default/wiki.css"), std::string::npos);
    EXPECT_NE(shown->Html.find("NewLink:"), std::string::npos);
    EXPECT_EQ(session.WindowTitle(), "FrontPage - Tarnel");
    EXPECT_EQ(session.DocumentFolder(), a);
    EXPECT_EQ(session.Settings().LastView, front);

    EXPECT_TRUE(session.ShowDocument(front)->SamePage) << "reload keeps the scroll position";
    EXPECT_EQ(session.Recent().Count(), 1);
}

TEST_F(SessionTest, AnotherFolderWritesTheOldWikiFirstAndTakesTheNewSettings) {
    Start();
    std::string a = Wiki("a");
    std::string b = Wiki("b", "[Document]\r\nExtension=.wiki\r\n[Design]\r\nCssName=dark\r\n");
    std::string pageA = Page(a, "A1", "x\n");
    std::string pageA2 = Page(a, "A2", "y\n");
    // In wiki b pages end in .wiki: the link to Target is a link to an existing page only
    // when the new extension is in force before the page is converted.
    Page(b, "Target", "t\n", ".wiki");
    std::string pageB = Page(b, "B1", "See [[Target]]\n", ".wiki");

    session.ShowDocument(pageA);
    session.ShowDocument(pageA2);
    session.SearchResults().Add("41.txt");
    ASSERT_EQ(session.Recent().Count(), 2);
    EXPECT_FALSE(std::filesystem::exists(a + "Wiki.ini"));

    auto shown = session.ShowDocument(pageB);
    ASSERT_TRUE(shown && shown->Filled);
    EXPECT_TRUE(std::filesystem::exists(a + "Wiki.ini"))
        << "the wiki left behind keeps its settings";
    EXPECT_NE(root.Read("a/Wiki.ini").find("Extension=.txt"), std::string::npos);
    EXPECT_NE(shown->Html.find("WikiLink:546172676574.wiki"), std::string::npos);
    EXPECT_NE(shown->Html.find("css/dark/wiki.css"), std::string::npos);
    EXPECT_EQ(session.Recent().Count(), 1) << "only the new wiki's page";
    EXPECT_EQ(session.SearchResults().Count(), 0);
    EXPECT_EQ(session.PageList().extension, ".wiki");
    EXPECT_EQ(session.Settings().Extension, ".wiki");

    // Back to a: b's settings are written and a's taken again.
    session.ShowDocument(pageA);
    EXPECT_NE(root.Read("b/Wiki.ini").find("Extension=.wiki"), std::string::npos);
    EXPECT_EQ(session.Settings().Extension, ".txt");
    EXPECT_EQ(session.Settings().CssName, "default") << "a's Wiki.ini kept the design it had";
}

TEST_F(SessionTest, AWikiNamingANotationSwitchesToItAndTheSettingsEndWithTheLastWiki) {
    Start();
    std::string md = Wiki("md", "[Document]\r\nNotation=7\r\n");
    std::string plain = Wiki("plain");
    std::string puki = Wiki("puki", "[Document]\r\nNotation=1\r\nExtension=.pwk\r\n");
    auto shown = session.ShowDocument(Page(md, "M", "# Title\n\n*em*\n"));
    ASSERT_TRUE(shown && shown->Filled);
    EXPECT_EQ(session.Notation(), TWikiNotation::Markdown);
    EXPECT_NE(dynamic_cast<const TWikiDocumentConverter*>(&session.Converter()), nullptr);
    EXPECT_NE(shown->Html.find("<em>em</em>"), std::string::npos);

    // A wiki without a notation of its own keeps the one in force, and stores it on leaving.
    session.ShowDocument(Page(plain, "P", "x\n"));
    EXPECT_EQ(session.Notation(), TWikiNotation::Markdown);
    session.ShowDocument(Page(puki, "Q", "x\n", ".pwk"));
    EXPECT_EQ(session.Notation(), TWikiNotation::PukiWiki);
    EXPECT_NE(root.Read("plain/Wiki.ini").find("Notation=7"), std::string::npos);
    session.Close();
    std::string settings = root.Read("settings.ini");
    EXPECT_NE(settings.find("Notation=1"), std::string::npos) << settings;
    EXPECT_NE(settings.find("Extension=.pwk"), std::string::npos) << settings;
}

TEST_F(SessionTest, ChoosingADesignShowsThePageAgainInIt) {
    Start();
    EXPECT_FALSE(session.SetDesign("dark").has_value()) << "no page open yet";
    std::vector<std::string> designs = session.Designs().Designs();
    EXPECT_NE(std::find(designs.begin(), designs.end(), "dark"), designs.end());
    std::string page = Page(Wiki("a"), "P", "text\n");
    session.ShowDocument(page);
    auto shown = session.SetDesign("sepia");
    ASSERT_TRUE(shown && shown->Filled);
    EXPECT_TRUE(shown->SamePage);
    EXPECT_NE(shown->Html.find("css/sepia/wiki.css"), std::string::npos);
    session.Close();
    EXPECT_NE(root.Read("a/Wiki.ini").find("CssName=sepia"), std::string::npos);
}

TEST_F(SessionTest, MissingMainTemplateFallsBackToTheStandardOneAndKeepsIt) {
    Start();
    std::string a = Wiki("a", "[Template]\r\nMain=gone.html\r\n");
    std::string page = Page(a, "P", "text\n");
    auto shown = session.ShowDocument(page);
    ASSERT_TRUE(shown && shown->Filled);
    ASSERT_EQ(shown->Messages.size(), 1u);
    EXPECT_NE(shown->Messages[0].find("gone.html"), std::string::npos);
    EXPECT_EQ(session.Templates().MainFileName, "default.html");
    shown = session.ShowDocument(page);
    EXPECT_TRUE(shown->Messages.empty());
    session.Close();
    EXPECT_NE(root.Read("a/Wiki.ini").find("Main=default.html"), std::string::npos);
}

TEST_F(SessionTest, MissingStandardTemplateStopsBeforeTheWindowIsUpdated) {
    TestFolder app; // a program folder without templates
    TWikiSession bare(app.Path());
    bare.Start(root.Path() + "settings.ini");
    std::string page = Page(Wiki("a"), "P", "text\n");
    auto shown = bare.ShowDocument(page);
    ASSERT_TRUE(shown.has_value());
    EXPECT_FALSE(shown->Filled);
    EXPECT_EQ(shown->Messages.size(), 2u);
    EXPECT_EQ(bare.DocumentFileName(), "") << "nothing of the page is taken over";
    EXPECT_EQ(bare.DocumentFolder(), "");
    EXPECT_EQ(bare.Recent().Count(), 0);
}

TEST_F(SessionTest, TemporaryFileNameAndSettingsRoundTrip) {
    Start();
    EXPECT_EQ(std::filesystem::path(session.TmpFilePath("/w/E38182.txt")).filename(),
              "E38182.html");
    EXPECT_EQ(std::filesystem::path(session.TmpFilePath("/w/E38182.TXT")).filename(),
              "E38182.html");
    std::string url = session.WriteTmpFile("/w/41.txt", "<p>x</p>");
    EXPECT_EQ(url.rfind("file://", 0), 0u);
    EXPECT_TRUE(std::filesystem::exists(session.TmpFilePath("/w/41.txt")));
    std::filesystem::remove(session.TmpFilePath("/w/41.txt"));

    std::string page = Page(Wiki("a"), "P", "text\n");
    session.ShowDocument(page);
    session.Close();
    TWikiSession again(TARNEL_APP_DIR);
    again.Start(root.Path() + "settings.ini");
    EXPECT_EQ(again.Settings().LastView, page);
}

// Showing a page is all or nothing: when the other wiki cannot be opened, the template
// cannot be filled or the page is gone, the session still holds the page shown before, so
// an editor opened next edits that page and not the one that failed.
TEST_F(SessionTest, AShowThatFailsLeavesThePageShownBefore) {
    TestFolder app; // a program folder whose main template cannot be filled
    std::filesystem::copy(TARNEL_APP_DIR, app.Path(), std::filesystem::copy_options::recursive);
    TWikiSession s(app.Path());
    s.Start(root.Path() + "settings.ini");
    std::string a = Wiki("a");
    std::string shownPage = Page(a, "Shown", "*Heading\ntext\n");
    Page(a, "Other", "o\n");
    std::string b = Wiki("b");
    std::string pageB = Page(b, "B", "*Other heading\n");
    ASSERT_TRUE(s.ShowDocument(shownPage)->Filled);

    auto expectUnchanged = [&](const char* what) {
        EXPECT_EQ(s.DocumentFileName(), shownPage) << what;
        EXPECT_EQ(s.DocumentFolder(), a) << what;
        EXPECT_EQ(s.DocumentText(), "*Heading\ntext\n") << what;
        EXPECT_EQ(s.Converter().Title, "Shown") << what;
        ASSERT_EQ(s.Converter().Contents.Count(), 1) << what;
        EXPECT_EQ(s.Converter().Contents.Item(0).title, "Heading") << what;
        EXPECT_EQ(s.Recent().Count(), 1) << what;
        EXPECT_EQ(s.PageList().folder, a) << what;
        EXPECT_EQ(s.PageList().Count(), 2) << what;
        EXPECT_EQ(s.Settings().LastView, shownPage) << what;
        EXPECT_EQ(s.WindowTitle(), "Shown - Tarnel") << what;
    };

    // Another wiki whose Wiki.ini cannot be read (it is a folder).
    std::filesystem::create_directories(b + "Wiki.ini");
    EXPECT_THROW(s.ShowDocument(pageB), EDocumentSettingsError);
    expectUnchanged("Wiki.ini unreadable");
    std::filesystem::remove(b + "Wiki.ini");

    // A main template with a line longer than a template may hold.
    const std::string templ = app.Path() + "Template/main/default.html";
    const std::string good = app.Read("Template/main/default.html");
    app.Write("Template/main/default.html", std::string(5000, 'x') + "\n<#Main>\n");
    EXPECT_THROW(s.ShowDocument(pageB), ETemplateError);
    expectUnchanged("template of another wiki");
    EXPECT_THROW(s.ShowDocument(a + EncodePageName("Other", false) + ".txt"), ETemplateError);
    expectUnchanged("template of the same wiki");
    app.Write("Template/main/default.html", good);

    // A page that is gone by the time it is asked for.
    EXPECT_FALSE(s.ShowDocument(a + "4E6F6E65.txt").has_value());
    expectUnchanged("vanished page");

    // And the next page that can be shown is shown, in its own wiki.
    ASSERT_TRUE(s.ShowDocument(pageB)->Filled);
    EXPECT_EQ(s.DocumentFolder(), b);
    EXPECT_EQ(s.PageList().folder, b) << "the page list moves with the wiki";
    EXPECT_EQ(s.PageList().Count(), 1);
    EXPECT_EQ(s.Recent().Count(), 1);
}

// The converters link against the page names the session keeps: a page created or deleted
// by another program is seen at the next page shown, through the folder's time stamp.
TEST_F(SessionTest, PageLinksFollowPagesAddedAndRemovedOutside) {
    Start();
    std::string a = Wiki("a");
    std::string front = Page(a, "FrontPage", "See [[Later]]\n");
    ASSERT_NE(session.ShowDocument(front)->Html.find("NewLink:"), std::string::npos);
    std::string later = Page(a, "Later", "x\n");
    auto shown = session.ShowDocument(front);
    EXPECT_NE(shown->Html.find("WikiLink:" + EncodePageName("Later", false)), std::string::npos);
    EXPECT_EQ(session.PageList().Count(), 2);
    std::filesystem::remove(later);
    EXPECT_NE(session.ShowDocument(front)->Html.find("NewLink:"), std::string::npos);
}

// Changed settings reach every part that reads them, not only the converter.
TEST_F(SessionTest, AppliedSettingsReachTheListsAndTheConverter) {
    Start();
    std::string a = Wiki("a");
    Page(a, "A", "x\n");
    Page(a, "B", "y\n", ".wiki");
    session.OpenWiki(a);
    ASSERT_EQ(session.PageList().Count(), 1);
    session.Settings().Extension = ".wiki";
    session.Settings().NoWikiNameLink = true;
    session.Settings().DisplayHierarchy = true;
    session.ApplySettings();
    EXPECT_EQ(session.Converter().Options.Extension, ".wiki");
    EXPECT_EQ(session.Converter().Options.LinkMode, TLinkMode::BrowseQuiet);
    EXPECT_EQ(session.PageList().extension, ".wiki");
    EXPECT_TRUE(session.PageList().displayHierarchy);
    ASSERT_EQ(session.PageList().Count(), 1) << "the page list was read again";
    EXPECT_EQ(session.PageList().PageName(0), "B");
    session.Search("y", SearchOptions{});
    EXPECT_EQ(session.SearchResults().Count(), 1);
    EXPECT_EQ(session.SearchResults().extension, ".wiki");
}
