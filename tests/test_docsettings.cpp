#include "TestFolder.h"
#include "storage/UDocumentSettings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace tarnel;
using tarnel::testing::TestFolder;

namespace {

const std::string kTopSjis = "\x83\x67\x83\x62\x83\x76";  // トップ
const std::string kHomeSjis = "\x83\x7a\x81\x5b\x83\x80"; // ホーム

// Application settings that never touch the user's file: the tests only use them in memory.
class DocumentSettingsTest : public ::testing::Test {
protected:
    DocumentSettingsTest() { reg.SetFileName(folder.Path() + "unused.ini"); }

    std::string MakeWiki(const std::string& name, const std::string& wikiIni = "") {
        std::string path = folder.Path() + name + "/";
        std::filesystem::create_directories(path);
        if (!wikiIni.empty()) folder.Write(name + "/Wiki.ini", wikiIni);
        return path;
    }
    TIniFile WikiIni(const std::string& name) { return TIniFile(folder.Read(name + "/Wiki.ini")); }

    TestFolder folder;
    TTarnelReg reg;
    TDocumentSettings doc;
    TWikiTemplateNames templates; // the template set's names at the time of leaving
};

ino_t Inode(const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_ino;
}

} // namespace

TEST_F(DocumentSettingsTest, AWikiWithoutSettingsUsesTheApplicationsAndWritesThemOnLeaving) {
    reg.CssName = "blue";
    reg.ExportFolder = "/out";
    reg.Extension = ".wiki";
    reg.Notation = TWikiNotation::Hatena;
    reg.TopPage = kHomeSjis;
    reg.ExportEncoding = TExportEncoding::Utf8; // these three are always the wiki's
    reg.DisplayHierarchy = true;
    reg.LooseWikiName = true;
    std::string wiki = MakeWiki("plain");

    TWikiOpening opened = OpenWikiSettings(doc, reg, wiki);
    EXPECT_FALSE(opened.notationChanged);
    EXPECT_EQ(opened.notation, TWikiNotation::Hatena);
    EXPECT_EQ(opened.extension, ".wiki");
    EXPECT_EQ(opened.design, "blue");
    EXPECT_EQ(opened.templates.mainTemplate, "default.html");
    EXPECT_EQ(opened.templates.listTemplate, "default.html");
    EXPECT_EQ(opened.templates.exportTemplate, "default.html");
    EXPECT_EQ(reg.CssName, "blue");
    EXPECT_EQ(reg.ExportFolder, "/out");
    EXPECT_EQ(reg.Extension, ".wiki");
    EXPECT_EQ(reg.TopPage, kHomeSjis);
    EXPECT_EQ(reg.ExportEncoding, TExportEncoding::ShiftJis);
    EXPECT_FALSE(reg.DisplayHierarchy);
    EXPECT_FALSE(reg.LooseWikiName);
    EXPECT_FALSE(std::filesystem::exists(wiki + "Wiki.ini")); // opening writes nothing

    LeaveWikiSettings(doc, reg, templates);
    TIniFile ini = WikiIni("plain");
    struct Value {
        const char* section;
        const char* name;
        std::string text;
    } values[] = {
        {"Design", "CssName", "blue"},
        {"Document", "Notation", "2"},
        {"Document", "Top", kHomeSjis},
        {"Document", "Extension", ".wiki"},
        {"Export", "Encoding", "0"},
        {"Export", "Folder", "/out"},
        {"Template", "Export", "default.html"},
        {"Template", "List", "default.html"},
        {"Template", "Main", "default.html"},
        {"Link", "LooseWikiName", "0"},
        {"List", "DisplayHierarchy", "0"},
    };
    for (const Value& v : values)
        EXPECT_EQ(ini.Value(v.section, v.name), v.text) << v.name;
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Design", "Document", "Export",
                                                            "Template", "Link", "List"}));
}

TEST_F(DocumentSettingsTest, TheWikisNotationIsSwitchedToAndWrittenBack) {
    struct Case {
        const char* stored;
        TWikiNotation opened;
        bool changed;
    } cases[] = {
        {"7", TWikiNotation::Markdown, true},
        {"0", TWikiNotation::YukiWiki, false},  // already current
        {"-1", TWikiNotation::YukiWiki, false}, // none: the current one stays
        {"12", TWikiNotation::YukiWiki, false}, // unknown index: YukiWiki
        {"x", TWikiNotation::YukiWiki, false},  // not a number: none
    };
    for (const Case& c : cases) {
        reg.Notation = TWikiNotation::YukiWiki;
        std::string wiki = MakeWiki("n", std::string("[Document]\nNotation=") + c.stored + "\n");
        TWikiOpening opened = OpenWikiSettings(doc, reg, wiki);
        EXPECT_EQ(opened.notationChanged, c.changed) << c.stored;
        EXPECT_EQ(opened.notation, c.opened) << c.stored;
        EXPECT_EQ(reg.Notation, c.opened) << c.stored;

        reg.Notation = TWikiNotation::Textile; // switched while the wiki is open
        LeaveWikiSettings(doc, reg, templates);
        EXPECT_EQ(WikiIni("n").Value("Document", "Notation"), "6") << c.stored;
    }
}

TEST_F(DocumentSettingsTest, TwoWikisKeepTheirOwnValuesAndTheApplicationEndsWithTheSecond) {
    std::string a = MakeWiki("a", "[Document]\nNotation=7\nExtension=.md\nTop=" + kHomeSjis +
                                      "\n[Template]\nMain=a.html\n[List]\nDisplayHierarchy=1\n");
    std::string b = MakeWiki("b", "[Document]\nNotation=1\nExtension=.wiki\n[Design]\nCssName=b\n"
                                  "[Export]\nEncoding=2\n");
    reg.CssName = "app";

    TWikiOpening first = OpenWikiSettings(doc, reg, a);
    EXPECT_EQ(first.extension, ".md");
    EXPECT_EQ(first.templates.mainTemplate, "a.html");
    EXPECT_TRUE(first.displayHierarchy);
    EXPECT_EQ(reg.Notation, TWikiNotation::Markdown);
    EXPECT_EQ(reg.TopPage, kHomeSjis);
    templates = first.templates;

    LeaveWikiSettings(doc, reg, templates);
    TWikiOpening second = OpenWikiSettings(doc, reg, b);
    EXPECT_TRUE(second.notationChanged);
    EXPECT_EQ(second.extension, ".wiki");
    EXPECT_EQ(second.design, "b");
    EXPECT_EQ(second.templates.mainTemplate, "default.html");
    EXPECT_EQ(doc.Folder(), b);
    EXPECT_EQ(reg.Extension, ".wiki");
    EXPECT_EQ(reg.Notation, TWikiNotation::PukiWiki);
    EXPECT_EQ(reg.CssName, "b");
    EXPECT_EQ(reg.ExportEncoding, TExportEncoding::Utf8);
    EXPECT_EQ(reg.TopPage, kHomeSjis); // b has no top page of its own
    EXPECT_FALSE(reg.DisplayHierarchy);
    templates = second.templates;
    LeaveWikiSettings(doc, reg, templates);

    // Each file holds its own wiki's values.
    TIniFile iniA = WikiIni("a"), iniB = WikiIni("b");
    EXPECT_EQ(iniA.Value("Document", "Extension"), ".md");
    EXPECT_EQ(iniA.Value("Document", "Notation"), "7");
    EXPECT_EQ(iniA.Value("Design", "CssName"), "app");
    EXPECT_EQ(iniA.Value("Template", "Main"), "a.html");
    EXPECT_EQ(iniB.Value("Document", "Extension"), ".wiki");
    EXPECT_EQ(iniB.Value("Document", "Notation"), "1");
    EXPECT_EQ(iniB.Value("Export", "Encoding"), "2");

    // And the application settings saved at exit are the second wiki's.
    reg.Save();
    TIniFile app = TIniFile::ReadFile(reg.FileName());
    EXPECT_EQ(app.Value("File", "Extension"), ".wiki");
    EXPECT_EQ(app.Value("Format", "Notation"), "1");
}

TEST_F(DocumentSettingsTest, ReadingRulesOfTheFile) {
    std::string wiki = MakeWiki("r", "[Export]\r\nEncoding=-1\r\nFolder=\x83\x67\r\n"
                                     "[Link]\r\nLooseWikiName=5\r\n"
                                     "[Template]\r\nList=\r\n");
    doc.Load(wiki);
    EXPECT_EQ(doc.exportEncoding, TExportEncoding::ShiftJis);
    EXPECT_EQ(doc.exportFolder, "ト"); // Shift_JIS in the file, UTF-8 in memory
    EXPECT_TRUE(doc.looseWikiName);
    EXPECT_EQ(doc.templates.listTemplate, ""); // present but empty is not missing
    EXPECT_EQ(doc.templates.mainTemplate, "default.html");
    EXPECT_EQ(doc.notation, TWikiNotation::None);

    MakeWiki("r", "[Export]\nEncoding=3\n");
    doc.Load(wiki);
    EXPECT_EQ(doc.exportEncoding, TExportEncoding::ShiftJis);
}

TEST_F(DocumentSettingsTest, UnknownKeysSurviveAndTheFileStaysShiftJis) {
    std::string wiki = MakeWiki("u", "; notes\r\n"
                                     "[Document]\r\n"
                                     "Top=" +
                                         kTopSjis +
                                         "\r\n"
                                         "Author=someone\r\n"
                                         "[Plugin]\r\n"
                                         "Calendar=on\r\n");
    reg.ExportFolder = "/home/u/出力";
    OpenWikiSettings(doc, reg, wiki);
    LeaveWikiSettings(doc, reg, templates);
    std::string text = folder.Read("u/Wiki.ini");
    TIniFile ini(text);
    EXPECT_EQ(text.rfind("; notes\r\n[Document]\r\n", 0), 0u) << text; // CR LF kept
    EXPECT_EQ(ini.Value("Document", "Author"), "someone");
    EXPECT_EQ(ini.Value("Plugin", "Calendar"), "on");
    EXPECT_EQ(ini.Value("Document", "Top"), kTopSjis);
    EXPECT_EQ(ini.Value("Export", "Folder"), "/home/u/\x8f\x6f\x97\xcd"); // 出力 in Shift_JIS
}

TEST_F(DocumentSettingsTest, AWikiIniWrittenInOtherLetterCaseIsUsedAndRewrittenInPlace) {
    std::string wiki = MakeWiki("w");
    folder.Write("w/WIKI.INI", "[Document]\nExtension=.pg\n");
    OpenWikiSettings(doc, reg, wiki);
    EXPECT_EQ(reg.Extension, ".pg");
    LeaveWikiSettings(doc, reg, templates);
    EXPECT_FALSE(std::filesystem::exists(wiki + "Wiki.ini"));
    EXPECT_EQ(TIniFile(folder.Read("w/WIKI.INI")).Value("Document", "Notation"), "0");
}

TEST_F(DocumentSettingsTest, SavingNeverTruncatesAndSkipsAnUnchangedFile) {
    std::string wiki = MakeWiki("s");
    OpenWikiSettings(doc, reg, wiki);
    LeaveWikiSettings(doc, reg, templates);
    const std::string complete = folder.Read("s/Wiki.ini");
    ino_t before = Inode(wiki + "Wiki.ini");

    // Leaving again with the same values does not touch the file.
    OpenWikiSettings(doc, reg, wiki);
    LeaveWikiSettings(doc, reg, templates);
    EXPECT_EQ(Inode(wiki + "Wiki.ini"), before);

    OpenWikiSettings(doc, reg, wiki);
    reg.CssName = "changed";
    if (geteuid() != 0) {
        // A read-only wiki folder: the write fails and the old file is intact.
        chmod(wiki.c_str(), 0555);
        EXPECT_THROW(LeaveWikiSettings(doc, reg, templates), EDocumentSettingsError);
        chmod(wiki.c_str(), 0755);
        EXPECT_EQ(folder.Read("s/Wiki.ini"), complete);
    }
    // A folder in the way of the file.
    std::filesystem::remove(wiki + "Wiki.ini");
    std::filesystem::create_directories(wiki + "Wiki.ini/x");
    EXPECT_THROW(LeaveWikiSettings(doc, reg, templates), EDocumentSettingsError);
    EXPECT_TRUE(std::filesystem::exists(wiki + "Wiki.ini/x"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(wiki), {}), 1); // no leftovers

    // A Wiki.ini that cannot be read stops the opening before any setting changes.
    EXPECT_THROW(OpenWikiSettings(doc, reg, wiki), EDocumentSettingsError);
    EXPECT_EQ(reg.CssName, "changed");
}

TEST_F(DocumentSettingsTest, LeavingBeforeAnyWikiWasOpenedDoesNothing) {
    LeaveWikiSettings(doc, reg, templates);
    EXPECT_FALSE(doc.IsLoaded());
    EXPECT_EQ(reg.TopPage, "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 0);
}
