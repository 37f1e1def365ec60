// The editor's date formatter and find and replace.
#include "storage/UEditorText.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

using namespace tarnel;

namespace {

// 2024-03-05 is a Tuesday; 14:07:09.045.
TDateTime Sample() {
    TDateTime t;
    t.Year = 2024;
    t.Month = 3;
    t.Day = 5;
    t.Hour = 14;
    t.Minute = 7;
    t.Second = 9;
    t.Millisecond = 45;
    return t;
}

} // namespace

TEST(DateFormat, LettersQuotesAndTheStoredDefaults) {
    struct Case {
        const char* format; // UTF-8 here, display form when formatted
        const char* expected;
    } cases[] = {
        {"yyyy\"-\"mm\"-\"dd", "2024-03-05"}, // Format/Date default
        {"hh\":\"nn\":\"ss", "14:07:09"},     // Format/Time default
        {"yyyy\"-\"mm\"-\"dd (ddd) hh\":\"nn\":\"ss", "2024-03-05 (火) 14:07:09"}, // Format/Now
        {"yy/m/d", "24/3/5"},
        {"YYYY.MM.DD", "2024.03.05"},
        {"dddd", "火曜日"},
        {"ddddd", "2024/03/05"},
        {"dddddd", "2024年3月5日"},
        {"mmm", "3月"},
        {"hh:mm", "14:07"}, // m after an hour is a minute
        {"h:nn am/pm", "2:07 pm"},
        {"hh AM/PM", "02 PM"},
        {"s.zzz", "9.045"},
        {"'dd' \"mm\"", "dd mm"},
        {"yyyy年mm月dd日", "2024年03月05日"}, // double-byte characters are copied whole
        {"\"unclosed", "unclosed"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShiftJisToUtf8(FormatDateTime(Utf8ToShiftJis(c.format), Sample())), c.expected)
            << c.format;
}

TEST(DateFormat, DoubleByteCharactersWithLetterTrailBytesStayWhole) {
    // ハ is 0x83 0x6E: its trail byte is "n", which must not become the minute.
    std::string format = Utf8ToShiftJis("ハ");
    EXPECT_EQ(FormatDateTime(format, Sample()), format);
}

TEST(DateFormat, WeekdaysOfKnownDates) {
    struct Case {
        int y, m, d, weekday;
    } cases[] = {
        {2024, 3, 5, 2}, {2000, 1, 1, 6}, {2000, 2, 29, 2}, {1999, 12, 31, 5}, {2026, 12, 9, 3}};
    for (const Case& c : cases) {
        TDateTime t;
        t.Year = c.y;
        t.Month = c.m;
        t.Day = c.d;
        EXPECT_EQ(t.Weekday(), c.weekday) << c.y << "-" << c.m << "-" << c.d;
    }
}

TEST(FindText, DirectionsCaseAndWholeWords) {
    const std::string text = "Wiki wikiname WIKI ｗｉｋｉ Ｗｉｋｉ 日本wiki";
    struct Case {
        const char* what;
        std::size_t from;
        TSearchOptions options;
        std::optional<std::size_t> start;
    } cases[] = {
        {"wiki", 0, {true, true, false}, 5},
        {"wiki", 0, {true, false, false}, 0},
        {"wiki", 1, {true, false, false}, 5},
        {"wiki", 1, {true, false, true}, 14},             // wikiname is no whole word
        {"wiki", text.size(), {false, true, false}, 51},  // up from the end: the last one
        {"wiki", 4, {false, false, false}, 0},            // ending at the position counts
        {"wiki", 3, {false, false, false}, std::nullopt}, // nothing ends before it
        {"ｗｉｋｉ", 0, {true, false, false}, 19},        // full-width letters fold as well
        {"Ｗｉｋｉ", 20, {true, false, false}, 32},
        {"Ｗｉｋｉ", 0, {true, true, false}, 32},
        {"wiki", 39, {true, false, true}, 51}, // a Japanese character is a word boundary
        {"", 0, {true, false, false}, std::nullopt},
        {"absent", 0, {true, false, false}, std::nullopt},
    };
    for (const Case& c : cases) {
        auto found = FindText(text, c.what, c.from, c.options);
        ASSERT_EQ(found.has_value(), c.start.has_value()) << c.what << " from " << c.from;
        if (found) {
            EXPECT_EQ(found->Start, *c.start) << c.what << " from " << c.from;
            EXPECT_EQ(found->Length, std::string(c.what).size());
        }
    }
}

TEST(ReplaceAll, TerminatesAndReplacesEachOriginalMatchOnce) {
    struct Case {
        const char* text;
        const char* what;
        const char* with;
        bool matchCase;
        const char* expected;
        int count;
    } cases[] = {
        {"a a a", "a", "aa", true, "aa aa aa", 3}, // the replacement holds the search text
        {"aaaa", "aa", "a", true, "aa", 2},
        {"Foo foo FOO", "foo", "bar", false, "bar bar bar", 3},
        {"Foo foo FOO", "foo", "bar", true, "Foo bar FOO", 1},
        {"nothing here", "absent", "x", true, "nothing here", 0},
        {"abc", "", "x", true, "abc", 0},
        {"日本語の日本", "日本", "日本日本", true, "日本日本語の日本日本", 2},
    };
    for (const Case& c : cases) {
        TSearchOptions options;
        options.MatchCase = c.matchCase;
        options.Forward = false; // Replace All always runs from the start forward
        TReplaceAllResult r = ReplaceAll(c.text, c.what, c.with, options);
        EXPECT_EQ(r.Text, c.expected) << c.text;
        EXPECT_EQ(r.Count, c.count) << c.text;
    }
}

TEST(ReplaceAll, NotFoundMessagesComeFromTheLanguage) {
    TLanguage language(TARNEL_APP_DIR);
    EXPECT_EQ(ShiftJisToUtf8(SearchNotFoundMessage(language).Title), "検索");
    EXPECT_EQ(ShiftJisToUtf8(ReplaceNotFoundMessage(language).Title), "置換");
    EXPECT_EQ(ShiftJisToUtf8(ReplaceNotFoundMessage(language).Text), "見つかりませんでした。");
    language.LoadFromBytes("Editor.Search.NotFound.Message=Not found.\n");
    EXPECT_EQ(SearchNotFoundMessage(language).Text, "Not found.");
}
