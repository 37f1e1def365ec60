#include "TestFolder.h"
#include "settings/UIniFile.h"
#include "settings/UTarnelReg.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace tarnel;
using tarnel::testing::TestFolder;

namespace {

const std::string kTopSjis = "\x83\x67\x83\x62\x83\x76"; // トップ
const std::string kTopUtf8 = "トップ";

// Points the settings at a file of a temporary folder for the test, and puts the
// environment back afterwards.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TARNEL_CONFIG");
        hadConfig_ = old != nullptr;
        if (old) oldConfig_ = old;
        path_ = folder_.Path() + "Orvel/Tarnel.ini";
        setenv("TARNEL_CONFIG", path_.c_str(), 1);
    }
    void TearDown() override {
        if (hadConfig_)
            setenv("TARNEL_CONFIG", oldConfig_.c_str(), 1);
        else
            unsetenv("TARNEL_CONFIG");
    }
    void WriteSettings(const std::string& text) {
        std::filesystem::create_directories(folder_.Path() + "Orvel");
        folder_.Write("Orvel/Tarnel.ini", text);
    }
    std::string ReadSettings() { return folder_.Read("Orvel/Tarnel.ini"); }
    TIniFile Saved() { return TIniFile(ReadSettings()); }

    TestFolder folder_;
    std::string path_;

private:
    bool hadConfig_ = false;
    std::string oldConfig_;
};

} // namespace

// ---------------------------------------------------------------------------------------
// The INI file

TEST(SettingsIniFile, ReadsWhatPeopleAndOtherProgramsWrite) {
    TIniFile ini(";comment\r\n"
                 "Orphan=before any section\r\n"
                 "[Design]\r\n"
                 "\r\n"
                 "  CssName  =  blue  \r\n"
                 "garbage line\r\n"
                 "# another comment\r\n"
                 "cssname=second\r\n"
                 "[ File ]\n"
                 "Quoted=\"  spaced  \"\n"
                 "Single='x'\n"
                 "Half=\"open\n"
                 "Eq=a=b\n"
                 "=no name\n"
                 "[Broken\n"
                 "AfterBroken=yes\n"
                 "[Design]\r"
                 "Late=1");
    struct Case {
        const char* section;
        const char* name;
        std::optional<std::string> value;
    } cases[] = {
        {"Design", "CssName", "blue"},    // blanks around names and values dropped
        {"DESIGN", "cssNAME", "blue"},    // case ignored; the first value wins
        {"file", "Quoted", "  spaced  "}, // enclosing quotes removed, blanks inside kept
        {"File", "Single", "x"},
        {"File", "Half", "\"open"},       // a quote at one end only stays
        {"File", "Eq", "a=b"},            // the first "=" separates
        {"File", "AfterBroken", "yes"},   // "[Broken" is not a section line
        {"Design", "Late", std::nullopt}, // only the first section of a name is read
        {"", "Orphan", std::nullopt},
        {"Missing", "CssName", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.Value(c.section, c.name), c.value) << c.section << "/" << c.name;
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Design", "File"}));
    EXPECT_EQ(TIniFile("[S]\r\nLast=no line break").Value("S", "Last"), "no line break");
}

TEST(SettingsIniFile, RewritesOnlyTheLinesItChanges) {
    const std::string original = "; kept\r\n"
                                 "[A]\r\n"
                                 "Keep=1\r\n"
                                 "Change = old\r\n"
                                 "; trailing comment of A\r\n"
                                 "\r\n"
                                 "[B]\r\n"
                                 "Other=x\r\n";
    TIniFile ini(original);
    EXPECT_EQ(ini.Bytes(), original); // parsing alone changes nothing

    ini.WriteString("a", "CHANGE", "new"); // rewritten in place, spelled as before
    ini.WriteString("A", "Added", "2");    // after the last value of A
    ini.WriteString("C", "New", "3");      // a new section at the end
    EXPECT_EQ(ini.Bytes(), "; kept\r\n"
                           "[A]\r\n"
                           "Keep=1\r\n"
                           "Change=new\r\n"
                           "Added=2\r\n"
                           "; trailing comment of A\r\n"
                           "\r\n"
                           "[B]\r\n"
                           "Other=x\r\n"
                           "\r\n"
                           "[C]\r\n"
                           "New=3\r\n");

    // A UTF-8 byte-order mark survives; a new file uses LF.
    EXPECT_EQ(TIniFile("\xEF\xBB\xBF[S]\nN=1\n").Bytes(), "\xEF\xBB\xBF[S]\nN=1\n");
    TIniFile fresh;
    fresh.WriteString("S", "N", "v");
    EXPECT_EQ(fresh.Bytes(), "[S]\nN=v\n");
}

TEST(SettingsIniFile, EveryValueReadsBackAsWritten) {
    const std::string values[] = {"",      "plain",    " lead", "trail ",    "\tboth\t",
                                  "\"q\"", "'q'",      "\"",    "\"\"",      "a\"b\"",
                                  "x=y",   "[notsec]", ";semi", "C:\\dir\\", "トップ"};
    TIniFile ini;
    for (std::size_t i = 0; i < std::size(values); ++i)
        ini.WriteString("S", "N" + std::to_string(i), values[i]);
    TIniFile reread(ini.Bytes());
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(reread.Value("S", "N" + std::to_string(i)), values[i]) << "[" << values[i] << "]";

    // One line per value: line breaks inside a value cannot survive and become blanks
    // instead of breaking the file apart.
    ini.WriteString("S", "Multi", "one\r\ntwo");
    TIniFile again(ini.Bytes());
    EXPECT_EQ(again.Value("S", "Multi"), "one  two");
    EXPECT_EQ(again.ValueNames("S").size(), std::size(values) + 1);
}

TEST(SettingsIniFile, DecimalIntegers) {
    struct Case {
        const char* text;
        std::optional<int> value;
    } cases[] = {
        {"0", 0},
        {"-20", -20},
        {"+7", 7},
        {" 12 ", 12},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", {}},
        {"99999999999999999999", {}},
        {"", {}},
        {"-", {}},
        {"1.5", {}},
        {"12abc", {}},
        {"0x10", {}},
        {"abc", {}},
        {"1 2", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseDecimal(c.text), c.value) << "[" << c.text << "]";
}

// ---------------------------------------------------------------------------------------
// Where the settings file is

TEST(SettingsLocation, ConfigVariableThenXdgThenHome) {
    struct Saved {
        const char* name;
        std::optional<std::string> value;
    } saved[] = {{"TARNEL_CONFIG", {}}, {"XDG_CONFIG_HOME", {}}, {"HOME", {}}};
    for (Saved& s : saved)
        if (const char* v = std::getenv(s.name)) s.value = v;

    struct Case {
        const char* config;
        const char* xdg;
        const char* expected;
    } cases[] = {
        {"/tmp/other.ini", "/xdg", "/tmp/other.ini"},
        {"", "/xdg", "/xdg/Orvel/Tarnel.ini"},
        {nullptr, "/xdg/", "/xdg/Orvel/Tarnel.ini"},
        {nullptr, "relative", "/home/u/.config/Orvel/Tarnel.ini"}, // not absolute: ignored
        {nullptr, nullptr, "/home/u/.config/Orvel/Tarnel.ini"},
    };
    setenv("HOME", "/home/u", 1);
    for (const Case& c : cases) {
        if (c.config)
            setenv("TARNEL_CONFIG", c.config, 1);
        else
            unsetenv("TARNEL_CONFIG");
        if (c.xdg)
            setenv("XDG_CONFIG_HOME", c.xdg, 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        EXPECT_EQ(TTarnelReg().FileName(), c.expected);
    }
    for (const Saved& s : saved)
        if (s.value)
            setenv(s.name, s.value->c_str(), 1);
        else
            unsetenv(s.name);
}

// ---------------------------------------------------------------------------------------
// The application settings

TEST_F(SettingsFile, FreshFileGivesDefaultsAndSaveWritesEveryValue) {
    TTarnelReg reg;
    EXPECT_EQ(reg.FileName(), path_);
    reg.Load(); // no file, no folder
    EXPECT_EQ(reg.CssName, "default");
    EXPECT_EQ(reg.Extension, ".txt");
    EXPECT_EQ(reg.Language, "日本語");
    EXPECT_EQ(reg.EditorType, TEditorType::Internal);
    EXPECT_EQ(reg.ReadCharCode, ReadCharCode::EucJp);
    EXPECT_EQ(reg.Notation, TWikiNotation::YukiWiki);
    EXPECT_EQ(reg.ExportEncoding, TExportEncoding::ShiftJis);
    EXPECT_TRUE(reg.ExportAll);
    EXPECT_TRUE(reg.ExportIndex);
    EXPECT_EQ(reg.TopPage, "");
    EXPECT_EQ(reg.MainHeight, 480);
    EXPECT_EQ(reg.ExportHeight, 460);
    EXPECT_EQ(reg.PluginLeft, 48);
    EXPECT_FALSE(std::filesystem::exists(path_)); // loading creates nothing

    reg.Save(); // creates the folder and the file
    TIniFile saved = Saved();
    struct Row {
        const char* section;
        std::vector<std::string> names;
    } table[] = {
        {"Design", {"CssName"}},
        {"Editor", {"Assigned", "ViewForward", "WordWrap", "Type"}},
        {"File",
         {"AutoSave", "Extension", "Language", "LastView", "TmpFileUse", "ReadCharCode",
          "NameEncodingUTF8", "TitleEncodingUTF8", "TopPage"}},
        {"Form",
         {"EditorTop", "EditorLeft", "EditorHeight", "EditorWidth", "ExportTop", "ExportLeft",
          "ExportHeight", "ExportWidth", "FormatTop", "FormatLeft", "FormatHeight", "FormatWidth",
          "ListWidth", "MainTop", "MainLeft", "MainHeight", "MainWidth", "PluginTop",
          "PluginLeft"}},
        {"Format", {"Notation", "Date", "Now", "Time"}},
        {"Export", {"Encoding", "FileNameKind", "Folder", "All", "CopyFolder", "Index", "OldFile"}},
        {"Link", {"NoWikiNameLink", "NewWindow", "LooseWikiName"}},
        {"Restriction", {"ChangeWikiNotation", "CreateNewWiki"}},
        {"System", {"PuttingIntoSystemTray"}},
        {"Notation", {"LineBreak"}},
        {"List", {"DisplayHierarchy"}},
    };
    std::vector<std::string> sections;
    for (const Row& row : table) {
        sections.push_back(row.section);
        EXPECT_EQ(saved.ValueNames(row.section), row.names) << row.section;
    }
    EXPECT_EQ(saved.SectionNames(), sections);

    struct Value {
        const char* section;
        const char* name;
        const char* text;
    } values[] = {
        {"Design", "CssName", "default"},
        {"Editor", "Type", "0"},
        {"File", "Language", "日本語"},
        {"File", "ReadCharCode", "1"},
        {"File", "Extension", ".txt"},
        {"Form", "MainWidth", "640"},
        {"Form", "FormatTop", "32"},
        {"Format", "Notation", "0"},
        {"Format", "Date", "yyyy\"-\"mm\"-\"dd"},
        {"Format", "Now", "yyyy\"-\"mm\"-\"dd (ddd) hh\":\"nn\":\"ss"},
        {"Export", "All", "1"},
        {"Export", "OldFile", "0"},
    };
    for (const Value& v : values)
        EXPECT_EQ(saved.Value(v.section, v.name), v.text) << v.name;

    // What was saved loads back to the same fields.
    TTarnelReg again;
    again.Load();
    EXPECT_EQ(again.NowFormat, reg.NowFormat);
    EXPECT_EQ(again.Language, reg.Language);
}

TEST_F(SettingsFile, StoredTextsAreReadByTheRules) {
    WriteSettings("[Form]\n"
                  "MainTop=-20\n"
                  "MainLeft=abc\n"
                  "ListWidth= 200 \n"
                  "EditorWidth=12.5\n"
                  "[Editor]\n"
                  "Type=7\n"
                  "WordWrap=9\n"
                  "ViewForward=yes\n"
                  "[Format]\n"
                  "Notation=12\n"
                  "[File]\n"
                  "ReadCharCode=5\n"
                  "TmpFileUse=-1\n"
                  "[Export]\n"
                  "All=2\n"
                  "Index=0\n"
                  "Encoding=-3\n"
                  "FileNameKind=4\n");
    TTarnelReg reg;
    reg.Load();
    EXPECT_EQ(reg.MainTop, 0);  // negative window value
    EXPECT_EQ(reg.MainLeft, 0); // not a number: the default, which is 0
    EXPECT_EQ(reg.ListWidth, 200);
    EXPECT_EQ(reg.EditorWidth, 640); // not a decimal integer: the default
    EXPECT_EQ(reg.EditorType, TEditorType::Internal);
    EXPECT_EQ(reg.WordWrap, 9);    // kept as stored; the editor ignores unknown modes
    EXPECT_FALSE(reg.ViewForward); // not an integer: the default
    EXPECT_EQ(reg.Notation, TWikiNotation::YukiWiki);
    EXPECT_EQ(reg.ReadCharCode, ReadCharCode::EucJp);
    EXPECT_TRUE(reg.TmpFileUse); // any non-zero integer
    EXPECT_TRUE(reg.ExportAll);
    EXPECT_FALSE(reg.ExportIndex);
    EXPECT_EQ(reg.ExportEncoding, TExportEncoding::ShiftJis);
    EXPECT_EQ(reg.ExportFileNameKind, TExportFileNameKind::Standard);

    reg.Save();
    TIniFile saved = Saved();
    EXPECT_EQ(saved.Value("Export", "All"), "1");
    EXPECT_EQ(saved.Value("Form", "MainTop"), "0");
    EXPECT_EQ(saved.Value("Editor", "Type"), "0");
    EXPECT_EQ(saved.Value("Format", "Notation"), "0");
}

TEST(Settings, TheApplicationAlwaysHasANotation) {
    // "None" (-1) and unknown indexes read as YukiWiki, which the converter factory accepts.
    struct Case {
        int index;
        TWikiNotation notation;
    } cases[] = {{-1, TWikiNotation::YukiWiki}, {0, TWikiNotation::YukiWiki},
                 {7, TWikiNotation::Markdown},  {8, TWikiNotation::YukiWiki},
                 {12, TWikiNotation::YukiWiki}, {-7, TWikiNotation::YukiWiki}};
    for (const Case& c : cases)
        EXPECT_EQ(ApplicationNotationFromIndex(c.index), c.notation) << c.index;
}

TEST_F(SettingsFile, EveryNotationAndExportChoiceSurvivesARoundTrip) {
    for (int index = 0; index < 8; ++index) {
        TTarnelReg reg;
        reg.Notation = IndexToNotation(index);
        reg.ExportEncoding = static_cast<TExportEncoding>(index % 3);
        reg.ExportFileNameKind = static_cast<TExportFileNameKind>(index % 2);
        reg.EditorType = static_cast<TEditorType>(index % 3);
        reg.Save();
        EXPECT_EQ(Saved().Value("Format", "Notation"), std::to_string(index));
        TTarnelReg back;
        back.Load();
        EXPECT_EQ(back.Notation, reg.Notation);
        EXPECT_EQ(back.ExportEncoding, reg.ExportEncoding);
        EXPECT_EQ(back.ExportFileNameKind, reg.ExportFileNameKind);
        EXPECT_EQ(back.EditorType, reg.EditorType);
    }
    // A notation of "none" set in memory is never written as -1.
    TTarnelReg none;
    none.Notation = TWikiNotation::None;
    none.Save();
    EXPECT_EQ(Saved().Value("Format", "Notation"), "0");
}

TEST_F(SettingsFile, TopPageAndDateFormatsAreDisplayFormInMemoryAndUtf8InTheFile) {
    TTarnelReg reg;
    reg.Load();
    EXPECT_EQ(reg.GetTopPage(), kTopSjis); // empty: トップ, which is then what is saved
    reg.DateFormat = "yyyy\"\x94\x4e\"mm\"\x8c\x8e\"dd\"\x93\xfa\""; // yyyy"年"mm"月"dd"日"
    reg.Save();
    EXPECT_EQ(Saved().Value("File", "TopPage"), kTopUtf8);
    EXPECT_EQ(Saved().Value("Format", "Date"), "yyyy\"年\"mm\"月\"dd\"日\"");

    TTarnelReg back;
    back.Load();
    EXPECT_EQ(back.TopPage, kTopSjis);
    EXPECT_EQ(back.DateFormat, reg.DateFormat);

    // Text that is not UTF-8 cannot be display text: the defaults stay.
    WriteSettings("[File]\nTopPage=\x83\x67\x83\x62\x83\x76\n[Format]\nTime=\x82\xa0\n");
    TTarnelReg odd;
    odd.Load();
    EXPECT_EQ(odd.GetTopPage(), kTopSjis);
    EXPECT_EQ(odd.TimeFormat, "hh\":\"nn\":\"ss");
}

TEST_F(SettingsFile, UnknownSectionsAndNamesSurviveASave) {
    WriteSettings("; written by hand\n"
                  "[Editor]\n"
                  "Property=0102AB\n"
                  "Type=2\n"
                  "[Future]\n"
                  "Option=on\n"
                  "[Design]\n"
                  "cssname=blue\n");
    TTarnelReg reg;
    reg.Load();
    EXPECT_EQ(reg.CssName, "blue");
    EXPECT_EQ(reg.EditorType, TEditorType::Assigned);
    reg.CssName = "green";

    // Another part of the program (or another version) writes the file in between.
    WriteSettings(ReadSettings() + "[Later]\nAdded=1\n");
    reg.Save();
    std::string text = ReadSettings();
    TIniFile saved(text);
    EXPECT_EQ(text.rfind("; written by hand\n[Editor]\nProperty=0102AB\nType=2\n", 0), 0u) << text;
    EXPECT_EQ(saved.Value("Future", "Option"), "on");
    EXPECT_EQ(saved.Value("Later", "Added"), "1");
    EXPECT_EQ(saved.Value("Design", "CssName"), "green");
    EXPECT_NE(text.find("cssname=green"), std::string::npos); // spelled as the file had it
}

// A first start speaks the locale's language (the owner presets it before loading); a language
// the user chose and saved wins over the locale from then on.
TEST_F(SettingsFile, APresetLanguageHoldsOnlyUntilOneIsStored) {
    TTarnelReg fresh;
    fresh.Language = "English";
    fresh.Load(); // no file yet
    EXPECT_EQ(fresh.Language, "English");

    WriteSettings("[File]\nLanguage=日本語\n");
    TTarnelReg stored;
    stored.Language = "English";
    stored.Load();
    EXPECT_EQ(stored.Language, "日本語");
}

TEST_F(SettingsFile, AFailedSaveLeavesTheOldFile) {
    const std::string old = "[Design]\nCssName=old\n";
    WriteSettings(old);
    TTarnelReg reg;
    reg.Load();
    reg.CssName = "new";
    std::string folder = folder_.Path() + "Orvel";

    if (geteuid() != 0) {
        // The folder cannot take the new file.
        chmod(folder.c_str(), 0555);
        EXPECT_THROW(reg.Save(), ESettingsError);
        chmod(folder.c_str(), 0755);
        EXPECT_EQ(ReadSettings(), old);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
    }

    // A folder in the way of the file: reading it fails before anything is written.
    std::filesystem::remove(path_);
    std::filesystem::create_directories(path_ + "/inside");
    EXPECT_THROW(reg.Load(), ESettingsError);
    EXPECT_THROW(reg.Save(), ESettingsError);
    EXPECT_TRUE(std::filesystem::is_directory(path_ + "/inside"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1); // no leftovers
}

TEST_F(SettingsFile, ALinkedSettingsFileKeepsItsLink) {
    std::string real = folder_.Write("dotfiles.ini", "[Design]\nCssName=linked\n");
    std::filesystem::create_directories(folder_.Path() + "Orvel");
    std::filesystem::create_symlink(real, path_);
    TTarnelReg reg;
    reg.Load();
    EXPECT_EQ(reg.CssName, "linked");
    reg.CssName = "changed";
    reg.Save();
    EXPECT_TRUE(std::filesystem::is_symlink(path_));
    EXPECT_EQ(TIniFile(folder_.Read("dotfiles.ini")).Value("Design", "CssName"), "changed");
}
