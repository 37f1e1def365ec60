#include "TestFolder.h"
#include "storage/UDocumentSearching.h"
#include "storage/UWikiFileList.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tarnel;
using tarnel::testing::TestFolder;

namespace {

const std::string kWordSjis = "\x8C\x9F\x8D\xF5"; // "kensaku" in Shift_JIS
const std::string kWordEuc = "\xB8\xA1\xBA\xF7";  // the same word in EUC-JP

struct SearchWiki {
    TestFolder folder;
    void Page(const std::string& name, const std::string& bytes) {
        folder.Write(EncodePageName(name, false) + ".txt", bytes);
    }
    std::vector<std::string> Find(const std::string& query, SearchOptions options = {}) {
        TWikiFileList results;
        RunSearch(query, folder.Path(), ".txt", results, options);
        std::vector<std::string> names;
        for (int i = 0; i < results.Count(); ++i)
            names.push_back(results.PageName(i));
        return names;
    }
};

using Names = std::vector<std::string>;

} // namespace

TEST(Search, QuerySplitting) {
    using T = std::vector<std::string>;
    EXPECT_EQ(SplitSearchQuery("a  b\tc"), (T{"a", "b", "c"}));
    EXPECT_EQ(SplitSearchQuery("a\x81\x40"
                               "b"),
              (T{"a", "b"}))
        << "full-width space";
    EXPECT_EQ(SplitSearchQuery("\"a b\" c"), (T{"a b", "c"}));
    EXPECT_EQ(SplitSearchQuery("\"say \"\"hi\"\"\""), (T{"say \"hi\""}));
    EXPECT_EQ(SplitSearchQuery("\"\""), (T{""}));
    EXPECT_EQ(SplitSearchQuery("   "), T{});
    // 0x81 0x40 inside another character's bytes is not a space: 0x83 0x81 then 0x40 '@'.
    EXPECT_EQ(SplitSearchQuery("\x83\x81\x40"), (T{"\x83\x81\x40"}));
}

TEST(Search, CaseAndCharacterBoundaries) {
    auto contains = [](const std::string& text, const std::string& term) {
        return ContainsOnBoundary(UpperSingleByte(text), UpperSingleByte(term));
    };
    EXPECT_TRUE(contains("Hello World", "world"));
    EXPECT_FALSE(contains("\x83\x41", "A")) << "the trail byte of a katakana is not a letter";
    EXPECT_FALSE(contains("\x83\x61", "a"));
    EXPECT_TRUE(contains("\x83\x41"
                         "A",
                         "a"));
    EXPECT_FALSE(contains("\x82\x60", "\x82\x81")) << "full-width letters compare exactly";
    // A term that starts on a trail byte is skipped, a later real occurrence is found.
    EXPECT_FALSE(contains("\x88\x9F\x88", "\x9F\x88"));
    EXPECT_TRUE(contains("\x88\x9F\x9F\x88", "\x9F\x88"));
    EXPECT_FALSE(contains("anything", ""));
}

TEST(Search, TermsMustAllMatchInTitleOrAllInBody) {
    SearchWiki w;
    w.Page("Alpha", "apple and banana\n");
    w.Page("Beta", "only apple\n");
    w.Page("AppleTitle", "banana in body\n");
    w.Page("Gamma", "BANANA APPLE\n");

    EXPECT_EQ(w.Find("apple banana"), (Names{"Alpha", "Gamma"}));
    EXPECT_EQ(w.Find("banana\x81\x40"
                     "apple"),
              (Names{"Alpha", "Gamma"}));
    EXPECT_EQ(w.Find("apple"), (Names{"Alpha", "AppleTitle", "Beta", "Gamma"}));
    EXPECT_EQ(w.Find("apple", {true, false}), (Names{"AppleTitle"}));
    EXPECT_EQ(w.Find("title", {false, true}), Names{});
    EXPECT_EQ(w.Find("   "), (Names{"Alpha", "AppleTitle", "Beta", "Gamma"}));
    EXPECT_EQ(w.Find("\"\""), Names{});
    EXPECT_EQ(w.Find("\"and banana\""), (Names{"Alpha"}));
}

TEST(Search, EveryEncodingIsSearchedAsItsOwn) {
    SearchWiki w;
    w.Page("Euc", "x " + kWordEuc + " EUC-JP\n");
    w.Page("Sjis", "y " + kWordSjis + " \x82\xA0\n"); // hiragana a makes it plainly Shift_JIS
    w.Page("Jis", "z \x1B$B8!:w\x1B(B\n");
    w.Page("Other", "nothing\n");
    EXPECT_EQ(w.Find(kWordSjis), (Names{"Euc", "Jis", "Sjis"}));
}

TEST(Search, CancelKeepsMatchesSoFarAndResultsAreSorted) {
    SearchWiki w;
    for (const char* name : {"D", "B", "C", "A"})
        w.Page(name, "word\n");
    TWikiFileList results;
    int calls = 0;
    bool finished =
        RunSearch("word", w.folder.Path(), ".txt", results, {}, [&](int done, int total) {
            EXPECT_EQ(total, 4);
            ++calls;
            return done < 2;
        });
    EXPECT_FALSE(finished);
    ASSERT_EQ(results.Count(), 2);
    EXPECT_EQ(results.PageName(0), "A");
    EXPECT_EQ(results.PageName(1), "B");
    EXPECT_EQ(calls, 3);
}

TEST(Search, RealWikiFolder) {
    std::string folder = std::string(TARNEL_CORPUS_DIR) + "/pukiwiki-1.4.7/";
    if (!std::filesystem::exists(folder)) GTEST_SKIP() << "corpus not present";
    TWikiFileList results;
    ASSERT_TRUE(RunSearch("PukiWiki", folder, ".txt", results, {}));
    EXPECT_GT(results.Count(), 3);
    // "Japanese text formatting rules" in display form: found in the EUC-JP pages.
    ASSERT_TRUE(RunSearch("\x90\xAE\x8C\x60\x83\x8B\x81\x5B\x83\x8B", folder, ".txt", results,
                          {false, true}));
    EXPECT_GT(results.Count(), 0);
}
