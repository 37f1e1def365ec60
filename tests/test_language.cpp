#include "TestFolder.h"
#include "settings/ULanguage.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

using namespace tarnel;
using tarnel::testing::TestFolder;

namespace {

const std::string kShippedFolder = std::string(TARNEL_SOURCE_DIR) + "/data/";

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// A program folder with a Language folder holding the given files.
struct LanguageFolder {
    TestFolder folder;
    explicit LanguageFolder(std::initializer_list<std::pair<std::string, std::string>> files) {
        std::filesystem::create_directories(folder.Path() + "Language");
        for (const auto& [name, bytes] : files)
            folder.Write("Language/" + name, bytes);
    }
    const std::string& App() const { return folder.Path(); }
};

} // namespace

TEST(Language, EveryKeyHasOneBuiltInText) {
    const auto& keys = LanguageKeys();
    EXPECT_EQ(keys.size(), 316u);
    std::set<std::string> seen;
    for (const TLanguageKey& k : keys) {
        std::string folded = k.key;
        for (char& c : folded)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(seen.insert(folded).second) << "twice: " << k.key;
        EXPECT_FALSE(BuiltInText(k.key).empty()) << k.key;
        // Every built-in text has a Shift_JIS form (nothing became "?").
        EXPECT_EQ(ShiftJisToUtf8(BuiltInText(k.key)), k.japanese) << k.key;
    }
    EXPECT_EQ(BuiltInText("main.message.fileexists"), BuiltInText("Main.Message.FileExists"));
    EXPECT_EQ(BuiltInText("No.Such.Key"), "");
}

TEST(Language, ShippedJapaneseFileHoldsExactlyTheBuiltInTexts) {
    TLanguage language(kShippedFolder);
    language.LoadLanguage("日本語.txt");
    EXPECT_EQ(language.Count(), LanguageKeys().size());
    for (const TLanguageKey& k : LanguageKeys())
        EXPECT_EQ(language.Lookup(k.key), BuiltInText(k.key)) << k.key;
    // Shift_JIS, as language files are.
    std::string bytes = ReadBytes(kShippedFolder + "Language/日本語.txt");
    EXPECT_EQ(Utf8ToShiftJis(bytes), "") << "the Japanese file must not be UTF-8";
}

TEST(Language, ShippedEnglishFileTranslatesEveryKey) {
    std::string bytes = ReadBytes(kShippedFolder + "Language/English.txt");
    for (unsigned char c : bytes)
        ASSERT_LT(c, 0x80) << "English.txt is plain ASCII";
    TLanguage language(kShippedFolder);
    language.LoadLanguage("English.txt");
    EXPECT_EQ(language.Count(), LanguageKeys().size()); // no key that Tarnel does not use
    for (const TLanguageKey& k : LanguageKeys()) {
        std::string text = language.Lookup(k.key);
        std::string japanese = k.japanese;
        EXPECT_FALSE(text.empty()) << k.key;
        // Texts with a name inserted keep exactly their "%s"; hints keep their "|" parts.
        EXPECT_EQ(Count(text, "%s"), Count(japanese, "%s")) << k.key;
        EXPECT_EQ(Count(text, "|"), Count(japanese, "|")) << k.key;
    }
    EXPECT_EQ(language.Lookup("File.Help"), "help/english.html");
}

TEST(Language, ShiftJisAndUtf8FilesReadAlike) {
    const std::string sjis = "Main.Menu.File=\x83\x74\x83\x40\x83\x43\x83\x8b(&F)\r\n"; // ファイル
    const std::string utf8 = "Main.Menu.File=ファイル(&F)\n";
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"Shift_JIS", sjis},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8},
        {"UTF-8 without BOM", utf8},
        // A file marked as UTF-8 with one broken line loses only that line's text.
        {"UTF-8 with BOM and a broken line", "\xEF\xBB\xBF"
                                             "Bad=\xff\xfe\n" +
                                                 utf8},
    };
    for (const Case& c : cases) {
        TLanguage language("/nonexistent/");
        language.LoadFromBytes(c.bytes);
        EXPECT_EQ(language.Lookup("Main.Menu.File"), "\x83\x74\x83\x40\x83\x43\x83\x8b(&F)")
            << c.what;
    }
}

TEST(Language, LinesAreKeyEqualsTextAsTheyStand) {
    TLanguage language("/nonexistent/");
    language.LoadFromBytes("Main.Menu.File=File\r\n"
                           "main.menu.FILE=Second\n" // the first line of a key wins
                           " Spaced.Key = text with blanks \n"
                           "Eq.Key=a=b\n"
                           "No equals sign here\n"
                           "[Section]\n"
                           "Empty.Key=\r"
                           "Last.Key=no line break");
    struct Case {
        const char* key;
        const char* text;
    } cases[] = {
        {"MAIN.MENU.FILE", "File"}, {" Spaced.Key ", " text with blanks "}, // nothing is trimmed
        {"Spaced.Key", ""},         {"Eq.Key", "a=b"},
        {"Empty.Key", ""},          {"Last.Key", "no line break"},
        {"[Section]", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(language.Lookup(c.key), c.text) << c.key;
    EXPECT_EQ(language.Count(), 5u);
}

TEST(Language, MissingOrEmptyTextsFallBack) {
    TLanguage language("/nonexistent/");
    language.LoadFromBytes("Main.Menu.File=File\nDialog.New.Title=\n");
    // With the built-in Japanese text as the default.
    EXPECT_EQ(LangText(language, "Main.Menu.File"), "File");
    EXPECT_EQ(LangText(language, "Dialog.New.Title"), BuiltInText("Dialog.New.Title"));
    EXPECT_EQ(ShiftJisToUtf8(LangText(language, "Main.Message.FileExists")),
              "%s は既に存在しています。");
    // With the element's current text as the default (what a window passes when re-labelled).
    EXPECT_EQ(LangText(language, "Main.Menu.Edit", "Edit (before)"), "Edit (before)");
    EXPECT_EQ(LangText(language, "Dialog.New.Title", "kept"), "kept");
    // Before any file is loaded everything is built in.
    TLanguage none("/nonexistent/");
    EXPECT_EQ(LangText(none, "Main.Title.Format"), "%s - Tarnel");
}

TEST(Language, ListingAndChoosingLanguages) {
    LanguageFolder f({{"日本語.txt", "A=1\n"},
                      {"english.TXT", "A=2\n"},
                      {"Deutsch.txt", "A=3\n"},
                      {"notes.md", "A=4\n"},
                      {".txt", ""}});
    std::filesystem::create_directories(f.App() + "Language/folder.txt");
    TLanguage language(f.App());
    EXPECT_EQ(language.LanguageFolder(), f.App() + "Language/");
    EXPECT_EQ(language.ListLanguages(),
              (std::vector<std::string>{"Deutsch.txt", "english.TXT", "日本語.txt"}));

    EXPECT_EQ(language.ChooseLanguage("日本語"), "日本語");
    EXPECT_EQ(language.ChooseLanguage("english"), "english");
    EXPECT_EQ(language.ChooseLanguage("English"), "Deutsch"); // exact names only: the first
    language.LoadLanguage(language.ChooseLanguage("english") + ".txt"); // found as english.TXT
    EXPECT_EQ(language.Lookup("A"), "2");

    TLanguage nowhere(f.App() + "missing/");
    EXPECT_TRUE(nowhere.ListLanguages().empty());
    EXPECT_EQ(nowhere.ChooseLanguage("日本語"), "");
}

TEST(Language, AFileThatCannotBeReadKeepsThePreviousTexts) {
    LanguageFolder f({{"A.txt", "Main.Menu.File=From A\n"}});
    std::filesystem::create_directories(f.App() + "Language/Dir.txt");
    TLanguage language(f.App());
    language.LoadLanguage("A.txt");
    EXPECT_THROW(language.LoadLanguage("Missing.txt"), ELanguageError);
    EXPECT_THROW(language.LoadLanguage("Dir.txt"), ELanguageError);
    EXPECT_EQ(language.Lookup("Main.Menu.File"), "From A");
}

TEST(Language, TheLocaleChoosesJapaneseOrEnglish) {
    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, "ja_JP.UTF-8", "日本語"},
        {nullptr, nullptr, "ja", "日本語"},
        {nullptr, nullptr, "C", "English"},
        {nullptr, nullptr, "POSIX", "English"},
        {nullptr, nullptr, "en_GB.UTF-8", "English"},
        {nullptr, nullptr, nullptr, "English"},       // nothing set
        {"C", nullptr, "ja_JP.UTF-8", "English"},     // LC_ALL before LANG
        {"", "ja_JP.eucJP", "C", "日本語"},           // an empty variable counts as unset
        {nullptr, "de_DE", "ja_JP.UTF-8", "English"}, // LC_MESSAGES before LANG
    };
    for (const Case& c : cases)
        EXPECT_EQ(LocaleLanguage(c.lcAll, c.lcMessages, c.lang), c.expected)
            << (c.lcAll ? c.lcAll : "-") << " " << (c.lcMessages ? c.lcMessages : "-") << " "
            << (c.lang ? c.lang : "-");
}
