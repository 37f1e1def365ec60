#include "text/BRegExp.h"

#include <gtest/gtest.h>

#include <string>

using namespace tarnel;

namespace {

// Shift_JIS bytes used below.
const std::string kPo = "\x83\x7C";    // katakana po: its trail byte is "|"
const std::string kNi = "\x82\x6D";    // full-width N: its trail byte is "m"
const std::string kHiraA = "\x82\xA0"; // hiragana a
const std::string kKanji = "\x93\xFA"; // "day"

std::string Replace(const char* pattern, const std::string& text, const char* with) {
    return ScanReplace(pattern, text, [&](const RegexMatch&, std::string& out) { out += with; });
}

} // namespace

// The k flag keeps double-byte characters whole; without it every byte is a character.
TEST(BRegExp, ShiftJisCharactersAreNeverSplit) {
    const std::string cellText = kPo + "|next";
    auto cell = Search("m/([^|]*)\\|/k", cellText);
    ASSERT_TRUE(cell.Found());
    EXPECT_EQ(cell.Group(1), kPo);

    auto bytes = Search("m/([^|]*)\\|/", cellText);
    ASSERT_TRUE(bytes.Found());
    EXPECT_EQ(bytes.Group(1), "\x83") << "without k the trail byte is a separate character";

    EXPECT_FALSE(Search("m/m/k", kNi).Found());
    EXPECT_TRUE(Search("m/m/", kNi).Found());
    const std::string niM = kNi + "m";
    EXPECT_EQ(Search("m/m/k", niM).Position(), 2u);

    const std::string aX = kHiraA + "x";
    auto dot = Search("m/^(.)(.)$/k", aX);
    ASSERT_TRUE(dot.Found());
    EXPECT_EQ(dot.Group(1), kHiraA);
}

TEST(BRegExp, AddressClassStopsAtJapaneseCharacter) {
    const char* address = "m/(http:([^\\x00-\\x20()<>\\x7F-\\xFF])*)/k";
    for (const std::string& japanese : {kHiraA, kKanji, kPo, std::string("\xB1")}) {
        std::string text = "see http://example.com/a" + japanese + "b";
        auto m = Search(address, text);
        ASSERT_TRUE(m.Found());
        EXPECT_EQ(m.Group(1), "http://example.com/a");
    }
    auto m = Search(address, "http://x.org/p(q)");
    EXPECT_EQ(m.Group(1), "http://x.org/p");
}

TEST(BRegExp, WordBoundaryTreatsJapaneseAsNonWord) {
    const char* wikiName = "m/(\\b([A-Z][a-z]+([A-Z][a-z]+)+)\\b)/k";
    const std::string beforeText = "FrontPage" + kHiraA;
    auto before = Search(wikiName, beforeText);
    ASSERT_TRUE(before.Found());
    EXPECT_EQ(before.Group(1), "FrontPage");
    const std::string afterText = kKanji + "WikiName" + kKanji;
    auto after = Search(wikiName, afterText);
    ASSERT_TRUE(after.Found());
    EXPECT_EQ(after.Group(1), "WikiName");
    EXPECT_FALSE(Search(wikiName, "xFrontPage").Found());
    EXPECT_TRUE(Search("m/^\\w+$/k", "abc_123").Found());
    EXPECT_FALSE(Search("m/\\w/k", kHiraA).Found());
    EXPECT_FALSE(Search("m/\\s/k", "\x81\x40").Found()) << "the full-width space is not \\s";
}

TEST(BRegExp, FlagsIgnoreCaseAndMultiline) {
    EXPECT_TRUE(Search("m/^(ab)\\1$/i", "abAB").Found()) << "back-reference without case";
    EXPECT_FALSE(Search("m/^(ab)\\1$/", "abAB").Found());
    EXPECT_TRUE(Search("m/^(ab)\\1$/ki", "aBAb").Found());

    EXPECT_FALSE(Search("m/^b/k", "a\nb").Found());
    EXPECT_TRUE(Search("m/^b/km", "a\nb").Found());
    EXPECT_TRUE(Search("m/a$/km", "a\nb").Found());
    EXPECT_TRUE(Search("m/b$/k", "a\nb\n").Found()) << "$ may stand before a final newline";
    EXPECT_FALSE(Search("m/a.b/k", "a\nb").Found()) << "dot never matches a newline";
    EXPECT_TRUE(Search("/^[ ]{0,3}[0-9]/k", "  7.").Found()) << "the leading m is optional";
}

TEST(BRegExp, DialectFeatures) {
    auto lazy = Search("m/<(.*?)>/k", "<a><b>");
    EXPECT_EQ(lazy.Group(1), "a");
    EXPECT_EQ(Search("m/<(.*)>/k", "<a><b>").Group(1), "a><b");
    EXPECT_TRUE(Search("m/foo(?=bar)/k", "foobar").Found());
    EXPECT_FALSE(Search("m/foo(?!bar)/k", "foobar").Found());
    EXPECT_EQ(Search("m/(?:ab)+(c)/k", "ababc").Group(1), "c");
    EXPECT_TRUE(Search("m/\\Aab\\Z/k", "ab\n").Found());
    EXPECT_EQ(Search("m/a{2,3}/k", "aaaa").Length(), 3u);
    EXPECT_TRUE(Search("m/\\x41\\t/k", "A\t").Found());
    auto alternative = Search("m/(x)|(y)/k", "y");
    EXPECT_FALSE(alternative.Matched(1));
    EXPECT_EQ(alternative.Group(1), "");
    EXPECT_EQ(alternative.Group(2), "y");
}

TEST(BRegExp, ScanLoopResumesWithAnchorsAtPreviousEnd) {
    // "^" anchors where the previous match ended, as if the text before had been deleted.
    EXPECT_EQ(Replace("m/^a/k", "aaab", "x"), "xxxb");
    EXPECT_EQ(Replace("m/\\Aa/k", "aaba", "x"), "xxba");
    EXPECT_EQ(Replace("m/^(.*?)(&\\w+\\(.*?\\))/k", "x&a(1)y&b(2)z", "[]"), "[][]z");
    // Plain text between matches goes through the plain handler.
    std::string out = ScanReplace(
        "m/<[^>]*>/k", "a<b>c<d>e", [](const RegexMatch& m, std::string& o) { o += m.Group(0); },
        [](std::string_view plain, std::string& o) {
            for (char c : plain)
                o += static_cast<char>(c - 32);
        });
    EXPECT_EQ(out, "A<b>C<d>E");
}

TEST(BRegExp, ScanLoopAlwaysAdvancesOnEmptyMatches) {
    EXPECT_EQ(Replace("m/x*/", "ax", "-"), "-a--");
    EXPECT_EQ(Replace("m/x*/k", kHiraA, "-"), "-" + kHiraA + "-") << "steps a whole character";
    EXPECT_EQ(Replace("m/$/km", "a\nb", "."), "a.\nb.");
    EXPECT_EQ(Replace("m/a/k", "", "x"), "");
    // A lead byte at the very end is one character, not two, and no match reaches past it.
    EXPECT_EQ(Replace("m//k", "\x82", "-"), "-\x82-");
    const std::string cut = ",a\x82";
    auto m = Search("m/,([^,]*)/k", cut);
    ASSERT_TRUE(m.Found());
    EXPECT_LE(m.End(), cut.size());
    EXPECT_EQ(m.Group(1), "a\x82");
}

TEST(BRegExp, BadPatternsAndRunawayMatchesRaise) {
    EXPECT_THROW(Search("m/(unclosed/k", "x"), EBRegExpError);
    EXPECT_THROW(Search("m/[z-a]/k", "x"), EBRegExpError);
    EXPECT_THROW(Search("m/abc", "x"), EBRegExpError);
    try {
        Search("m/a(/k", "a");
        FAIL();
    } catch (const EBRegExpError& e) {
        EXPECT_STRNE(e.what(), "");
    }
    // Nested quantifiers over a long run that cannot match: exponential backtracking,
    // stopped by the retry limit instead of freezing.
    std::string text(40, 'a');
    text += '!';
    EXPECT_THROW(Search("m/^(\\w+\\s?)*$/", text), EBRegExpError);
}
