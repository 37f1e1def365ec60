// The help documents that the Help menu and the notation help window open: each language file
// names its own pair (keys File.Help and File.NotationHelp), the build tree carries them beside
// the program as the installation does, and each is a whole UTF-8 page whose table of contents
// leads somewhere.
#include "settings/ULanguage.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>

using namespace tarnel;

namespace {

const std::string kProgramFolder = TARNEL_APP_DIR;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every "#name" that a link of the document points to, and every id or name it defines.
std::set<std::string> Matches(const std::string& html, const std::regex& pattern) {
    std::set<std::string> found;
    for (std::sregex_iterator it(html.begin(), html.end(), pattern), end; it != end; ++it)
        found.insert((*it)[1].str());
    return found;
}

const char* const kNotationKeys[] = {
    "Notation.YukiWiki",     "Notation.PukiWiki",      "Notation.Hatena",  "Notation.MediaWiki",
    "Notation.LivedoorWiki", "Notation.FreeStyleWiki", "Notation.Textile", "Notation.Markdown"};

} // namespace

TEST(HelpDocuments, EachLanguageOpensWholeDocumentsOfItsOwn) {
    TLanguage language(kProgramFolder);
    std::vector<std::string> files = language.ListLanguages();
    ASSERT_EQ(files.size(), 2u) << "日本語.txt and English.txt";
    std::set<std::string> documents;
    for (const std::string& file : files) {
        language.LoadLanguage(file);
        for (const char* key : {"File.Help", "File.NotationHelp"}) {
            std::string path = LangText(language, key);
            SCOPED_TRACE(file + " " + key + " " + path);
            documents.insert(path);
            std::string html = ReadBytes(kProgramFolder + path);
            ASSERT_FALSE(html.empty()) << "not beside the program";
            EXPECT_EQ(FirstInvalidByte(html, TextEncoding::Utf8), std::string::npos);
            EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
            std::set<std::string> targets = Matches(html, std::regex("href=\"#([^\"]+)\""));
            std::set<std::string> anchors = Matches(html, std::regex("(?:id|name)=\"([^\"]+)\""));
            EXPECT_GE(targets.size(), 10u) << "a table of contents";
            for (const std::string& target : targets)
                EXPECT_TRUE(anchors.count(target)) << "no anchor " << target;
            if (std::string(key) == "File.NotationHelp") {
                // Every notation under the name the notation box gives it in this language.
                for (const char* notation : kNotationKeys) {
                    std::string name = ShiftJisToUtf8(LangText(language, notation));
                    EXPECT_NE(html.find(">" + name + "</h2>"), std::string::npos) << name;
                }
            }
        }
    }
    EXPECT_EQ(documents.size(), 4u) << "each language names documents of its own";
}
