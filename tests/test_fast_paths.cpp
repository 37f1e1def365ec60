// The short cuts taken for speed give what the long way gives: the link scanner that starts
// the matcher only where a link can begin, the matcher's look for the bytes a pattern needs,
// the address and page-file-name tests written without a pattern, and the search that looks
// at a file's bytes before converting it.
#include "TestFolder.h"
#include "conversion/UPukiWikiDocumentConverter.h"
#include "conversion/UWikiDocumentConverter.h"
#include "render/UPageNameSet.h"
#include "storage/UDocumentSearching.h"
#include "storage/UPageFile.h"
#include "storage/UWikiFileList.h"
#include "text/BRegExp.h"
#include "text/UPageName.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

using namespace tarnel;

namespace {

// A converter whose links show what was matched, with a link pattern chosen by the test.
class TLinkProbe : public TWikiDocumentConverter {
public:
    explicit TLinkProbe(std::string pattern) : pattern_(std::move(pattern)) {}
    std::string LinkPattern() override { return pattern_; }
    std::string ConvertLink(std::string_view Match) override {
        return "{" + std::string(Match) + "}";
    }
    std::string ConvertBlocks(std::string_view Text) override { return std::string(Text); }
    // The plain scan loop over the whole text: what ConvertLinks must give.
    std::string Reference(std::string_view Text) {
        return ScanReplace(pattern_, Text, [this](const RegexMatch& m, std::string& out) {
            out += ConvertLink(m.Group(1));
        });
    }

private:
    std::string pattern_;
};

const char* const kStrict = "m/"
                            "(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-\\x20()<>"
                            "\\x7F-\\xFF])+)|(\\[\\[(.+?)\\]\\])|"
                            "(\\b([A-Z][a-z]+([A-Z][a-z]+)+)\\b))/k";
const char* const kLoose = "m/"
                           "(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-\\x20()<>\\x7F-"
                           "\\xFF])+)|(\\[\\[(.+?)\\]\\])|"
                           "(\\b([A-Z]([A-Za-z])*[A-Z]([A-Za-z])*)\\b))/k";
const char* const kAddress = "m/"
                             "(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-\\x20()<>"
                             "\\x7F-\\xFF])+)|(\\[\\[(.+?)\\]\\]))/k";

// Pieces that meet at word boundaries, inside double-byte characters and after matches.
const char* const kPieces[] = {
    "FrontPage",  "WikiName",   "HTTPServer",
    "aFrontPage", "9FrontPage", "_FrontPage",
    "Front",      "Page",       "http://a.b/c",
    "https://x",  "ftp:",       "file:/x",
    "mailto:a@b", "xhttp://y",  "[[",
    "]]",         "[[Name]]",   "[[a]]b]]",
    " ",          "(",          ")",
    "\n",         "&gt;",       "\x82\x41", // double-byte character whose second byte is "A"
    "\x83\x5B",                             // second byte "["
    "\x83\x5D",                             // second byte "]"
    "\xB1",                                 // half-width katakana
    "\x82",                                 // a lead byte (takes whatever follows)
    "AbCd",       "Ab",         "ABC",
    "h",          "m",
};

} // namespace

TEST(FastPaths, LinkScannerFindsWhatTheScanLoopFinds) {
    const std::vector<std::string> lines = {
        "See FrontPage and [[Name]] at http://example.com/x.",
        "aFrontPage 9WikiName _WikiName WikiName9 FrontPage_",
        "\x82\x41WikiName \x82\x41"
        "bcDef and \xB1WikiName",
        "[[a]]FrontPage]] and [[b http://x.y/]] z]]",
        "http://a.b/FrontPage\x82\xA0WikiName",
        "[[unclosed FrontPage and [[x]] then [[ more http://t",
        "mailto:a@b.c(FrontPage)file:///etc ftp://x xhttp://y https:",
        "HTTPServer AbCdEf ABCdef Ab AbC",
        "Profile:x mailto: a9http://b _http://c \x83\x41http://d \x82\x82\x41http://e",
        "\x82"
        "9FrontPage \x82\x82"
        "AFrontPage [[\x83]] x]] [[y]]http://f\x82",
    };
    std::mt19937 random(17);
    std::vector<std::string> generated = lines;
    for (int n = 0; n < 400; ++n) {
        std::string line;
        int count = 1 + static_cast<int>(random() % 12);
        for (int k = 0; k < count; ++k)
            line += kPieces[random() % std::size(kPieces)];
        generated.push_back(line);
    }
    for (const char* pattern : {kStrict, kLoose, kAddress}) {
        TLinkProbe probe(pattern);
        for (const std::string& line : generated)
            EXPECT_EQ(probe.ConvertLinks(line), probe.Reference(line))
                << "pattern " << pattern << "\nline: " << line;
    }
}

TEST(FastPaths, TableCellsSplitAsTheCellPatternFindsThem) {
    // Rows with separators as second bytes of double-byte characters ("\x83\x7C" ends in
    // "|"), a lead byte before a separator and at the end, empty cells and text after the
    // last separator.
    const char* const rows[] = {
        "|a|b|c|", "|a||c",         "|\x83\x7C|x\x83\x7C|", "|\x82|x|",  "|x|\x82",
        "|",       ",a,\"b,c\",d,", ",,\x95\x2C,,",         "\x82|a|b|", "|LEFT:x|~|>|y|h",
    };
    for (const char* pattern : {"m/([^|]*)\\|/k", "m/([^,]*),/k"}) {
        for (std::string_view row : rows) {
            // The scan loop over the row without its first character.
            std::vector<std::string_view> expected;
            std::string_view rest = row.substr(CharLength(row, 0));
            for (std::size_t pos = 0; pos < rest.size();) {
                RegexMatch m = Search(pattern, rest, pos);
                if (!m.Found()) break;
                expected.push_back(m.Group(1));
                pos = m.End();
            }
            EXPECT_EQ(TableCells(row, pattern), expected) << pattern << " on " << row;
        }
    }
}

TEST(FastPaths, CommaCellsAreWhatTheCellPatternFinds) {
    // Random rows of commas, quotes, doubled quotes and double-byte characters (one whose
    // lead byte would take a comma or a quote as its second byte), against the pattern.
    const char* const pieces[] = {",", "\"", "\"\"", "a", " ", "==", "\x83\x41", "\x82", "x,y"};
    std::mt19937 random(29);
    for (int n = 0; n < 3000; ++n) {
        std::string row;
        for (int k = 0, count = 1 + static_cast<int>(random() % 10); k < count; ++k)
            row += pieces[random() % std::size(pieces)];
        for (std::size_t pos = 0; pos < row.size();) {
            RegexMatch m = Search("m/,\"([^\"]*((\"\")+[^\"]*)*)\"|,([^,]*)/k", row, pos);
            std::optional<TCsvCell> cell = NextCsvCell(row, pos);
            ASSERT_EQ(cell.has_value(), m.Found()) << row;
            if (!cell) break;
            std::string expected =
                m.Group(1).empty() ? std::string(m.Group(4))
                                   : TWikiDocumentConverter::ReplaceAll(m.Group(1), "\"\"", "\"");
            EXPECT_EQ(cell->Begin, m.Position()) << row;
            EXPECT_EQ(cell->End, std::min(m.End(), row.size())) << row;
            EXPECT_EQ(cell->Text, expected) << row;
            pos = cell->End;
        }
    }
}

TEST(FastPaths, PatternsThatNeedLiteralBytesStillMatchAsBefore) {
    // Each pattern holds literal characters the matcher may look for before it starts;
    // optional, repeated, alternative and case-blind characters must not be required.
    struct Case {
        const char* pattern;
        const char* text;
        bool found;
    } cases[] = {
        {"m/''([^']*?)''/k", "a ''b'' c", true},
        {"m/''([^']*?)''/k", "a 'b' c", false},
        {"m/a*b/k", "b", true},
        {"m/ab?c/k", "ac", true},
        {"m/ab{0,2}c/k", "ac", true},
        {"m/a{2}b/k", "aab", true},
        {"m/x{1,}/k", "x", true},
        {"m/ab+c/k", "abbc", true},
        {"m/x|abc/k", "x", true},
        {"m/(x|y)abc/k", "yabc", true},
        {"m/abc/ik", "ABC", true},
        {"m/(?i)abc/k", "ABC", true},
        {"m/\\(\\((.*?)\\)\\)/k", "a((b))", true},
        {"m/\\(\\((.*?)\\)\\)/k", "a(b)", false},
        {"m/[ab]c/k", "bc", true},
        {"m/[]a]c/k", "]c", true},
        {"m/^(.*?)%%(.*?)%%/k", "x%%y%%", true},
        {"m/a\\d/k", "a1", true},
        {"m/\\x41\\t/k", "A\t", true},
        {"m/\\x{41}b/k", "Ab", true},
        {"m/\\x41b/k", "Ab", true},
        {"m/a\\nb/k", "a\nb", true},
        {"m/(a)\\1b/k", "aab", true},
        // The bytes inside a character: the look finds them, the matcher still decides.
        {"m/ab/k",
         "\x82\x61"
         "b",
         false},
        {"m/ab/k",
         "\x82\x61"
         "ab",
         true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Search(c.pattern, std::string_view(c.text)).Found(), c.found)
            << c.pattern << " on " << c.text;
    // A search from a later position needs the bytes after it.
    EXPECT_FALSE(Search("m/''x/k", std::string_view("''x then"), 1).Found());
    EXPECT_TRUE(Search("m/''x/k", std::string_view("a ''x"), 1).Found());
}

TEST(FastPaths, AddressAndPageFileNameTestsAgreeWithTheirPatterns) {
    for (const char* text : {"http://a", "https:", "ftp:x", "mailto:", "file:", "http", "Http:",
                             "xhttp:", " http:", "\nhttp:", "", "gopher:", "fileb:", "https"})
        EXPECT_EQ(TWikiDocumentConverter::IsUrl(text),
                  Search("m/^(http|https|ftp|mailto|file):/k", std::string_view(text)).Found())
            << text;

    for (const char* extension : {".txt", ".TXT", "", ".wiki", "txt", ".t.x"}) {
        for (const char* name :
             {"41.txt", "41.TXT", "4a.txt", "ZZ.txt", ".txt", "41.txt~", "41.txt\n", "41.txt\nx",
              "41.txt\n\n", "41.TXT\n", "41txt", "41.wiki", "41", "x41.txt", "41.t.x", "41.txt.txt",
              "", "41.tx", "FF"}) {
            std::string pattern = "m/^[0-9A-F]+";
            for (char c : std::string_view(extension))
                pattern += c == '.' ? std::string("\\.") : std::string(1, c);
            if (*extension) pattern += '$';
            pattern += "/i";
            EXPECT_EQ(IsPageFileName(name, extension),
                      Search(pattern, std::string_view(name)).Found())
                << "name " << name << " extension " << extension;
        }
    }
}

namespace {

// The page text as the search compared it before it looked at the bytes first.
std::string OldSearchableText(std::string_view bytes) {
    std::size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            text += "\r\n";
        } else {
            text += c;
        }
    }
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    if (IsUtf8WithNonAscii(text))
        text = Utf8ToShiftJis(text);
    else if (DetectJapaneseEncoding(text) == JapaneseEncoding::EucOrShiftJis)
        text = EucJpToShiftJis(text);
    else
        text = ConvertJapaneseEncoding(text, JapaneseEncoding::ShiftJis);
    return UpperSingleByte(text);
}

} // namespace

TEST(FastPaths, SearchFindsTheSamePagesInEveryEncodingAndOddFile) {
    tarnel::testing::TestFolder wiki;
    const std::string word = "\x93\xfa\x96\x7b"; // a Japanese word, Shift_JIS
    const std::string eucWord = ShiftJisToEucJp(word);
    // Page texts as files hold them: EUC-JP, Shift_JIS, JIS, UTF-8, and bytes that are none
    // of them well (a stray 0x8E before a letter, 0x8F, a lead byte before a line end, NUL).
    const std::vector<std::string> bodies = {
        "plain needle text\n",
        "NEEDLE in capitals\r\n",
        "ne\nedle split by a line end\n",
        eucWord + " euc page\n",
        word + " sjis page \x83\x7C\n",
        ShiftJisToJis(word + " jis page\n"),
        ShiftJisToUtf8(word + " utf8 page\n"),
        "a\x8E"
        "b needle? n\x8E"
        "eedle\n",
        "\x8F\xA1\xA1 x\x81\n"
        "eedle\n",
        std::string("before\0needle after NUL", 23),
        "\xA4\xA2\xA4\xA4 euc only and NeEdLe\n",
        "\x1B$B$\"\x1B(B needle after escape\n",
        "quoted \"two words\" here and two  words\n",
        "\x82\x6E\x82\x8E full-width letters\n",
        "trail \x83\x4E"
        "EEDLE and \x95\x5C\n",
        std::string(600, 'x') + "\x01 late control byte needle\n",
        "",
        // The same odd bytes past the first sixteen, where the scans take sixteen at a time,
        // and terms across and at the end of such a block.
        std::string(15, 'a') + "nEEDLe" + std::string(20, 'b') + "\n",
        std::string(40, 'y') + "NeedlE",
        std::string(32, 'z') + "n\x8E" + "eedle" + std::string(32, 'z') + "\n",
        std::string(20, 'q') + "x\x81\needle " + std::string(20, 'q') + "\n",
        std::string(20, 'p') + "\xC6|\xCB\\" + std::string(20, 'p') + "\n",
        std::string(21, 'r') + std::string(35, '\xA4') + "w" + std::string(20, 'r') + "\n",
        std::string(30, 's') + "\x1B(J needle-less " + std::string(20, 's') + "\n",
    };
    std::vector<std::string> files;
    for (std::size_t i = 0; i < bodies.size(); ++i)
        files.push_back(
            wiki.Write(EncodePageName("P" + std::to_string(i), false) + ".txt", bodies[i]));

    const std::vector<std::string> queries = {
        "needle",
        "NEEDLE",
        "eedle",
        "\"two words\"",
        "two words",
        word,
        word + " page",
        "euc",
        "sjis",
        "jis",
        "utf8",
        "\x82\x6E",
        "\x83\x4E",
        "?",
        "\x83\x7C",
        "b",
        "N",
        "\"\"",
        " ",
        "p1",
        "\x83\x4E"
        "eedle",
        "x\x81",
        "w",
        "r",
    };
    for (const std::string& query : queries) {
        TWikiFileList results;
        RunSearch(query, wiki.Path(), ".txt", results, {false, true});
        // Expected: every page whose old searchable text holds every term.
        std::vector<std::string> terms = SplitSearchQuery(query);
        TWikiFileList pages;
        pages.folder = wiki.Path();
        pages.Update();
        std::vector<std::string> expected;
        for (int i = 0; i < pages.Count(); ++i) {
            std::ifstream in(pages.FilePath(i), std::ios::binary);
            std::string text =
                OldSearchableText(std::string(std::istreambuf_iterator<char>(in), {}));
            bool all = true;
            for (const std::string& term : terms)
                all = all && ContainsOnBoundary(text, UpperSingleByte(term));
            if (all) expected.push_back(pages.FileName(i));
        }
        std::vector<std::string> got;
        for (int i = 0; i < results.Count(); ++i)
            got.push_back(results.FileName(i));
        EXPECT_EQ(got, expected) << "query " << query;
    }
}

TEST(FastPaths, AsciiRunsTakenAtOnceConvertAsByteByByte) {
    // The conversions copy runs of ASCII sixteen bytes at a time. An ASCII prefix of any
    // length before odd bytes (a lone 0x8E, 0x80, 0xFF, a lead byte at the end or before a
    // line end, CRs) must change nothing but add itself in front.
    const std::vector<std::string> tails = {
        "\xA4\xA2\x8E", "\x80x\xFF", "\x8E\xB1\xA4", "\xC6|\xCB\\\xA4",
        "\x81\n\x9F",   "\r\r\n\r",  "end\r",        std::string(20, '\xA4') + "\x81",
    };
    for (std::size_t k = 0; k <= 40; ++k) {
        const std::string pad(k, 'p');
        for (const std::string& tail : tails) {
            EXPECT_EQ(EucJpToShiftJis(pad + tail), pad + EucJpToShiftJis(tail)) << k;
            EXPECT_EQ(RepairShiftJis(pad + tail), pad + RepairShiftJis(tail)) << k;
            EXPECT_EQ(ShiftJisToUtf8(pad + tail), pad + ShiftJisToUtf8(tail)) << k;
            EXPECT_EQ(LfLines(pad + tail), pad + LfLines(tail)) << k;
        }
    }
    EXPECT_EQ(LfLines("a\r\nb\rc\n\r"), "a\nb\nc\n\n");
    EXPECT_EQ(LfLines(""), "");
}

TEST(FastPaths, SmallTextsConvertToUtf8AsIconvDoesWhole) {
    // Below the table's size, runs of ASCII are copied and only the stretches between them
    // go through iconv. The result must be iconv's for the whole text, here taken the other
    // way round: iconv to UTF-16, then UTF-16 to UTF-8 by hand.
    auto utf8Of = [](const std::u16string& text) {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            char32_t c = text[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size())
                c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else if (c < 0x800) {
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
            } else if (c < 0x10000) {
                out += static_cast<char>(0xE0 | (c >> 12));
                out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (c & 0x3F));
            } else {
                out += static_cast<char>(0xF0 | (c >> 18));
                out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return out;
    };
    std::mt19937 random(5);
    for (int round = 0; round < 20; ++round) {
        std::string text;
        for (int i = 0; i < 3000; ++i) {
            // Mostly ASCII with high bytes here and there, as HTML with Japanese text is.
            auto b = static_cast<unsigned char>(random() % 256);
            if (random() % 3 != 0) b &= 0x7F;
            text += b == 0 ? 'z' : static_cast<char>(b);
        }
        EXPECT_EQ(ShiftJisToUtf8(text), utf8Of(ShiftJisToUtf16(text))) << round;
    }
}

TEST(FastPaths, LargeTextsConvertToUtf8AsSmallOnesDo) {
    // Large texts go through a table made from the small-text conversion: random bytes
    // (every lead and trail byte, lone lead bytes, unassigned codes, 0x80, 0xA0, 0xFD-0xFF)
    // repeated past the size where the table is used (256 KB of bytes from 0x80 up) must
    // give the small result repeated.
    std::mt19937 random(3);
    for (int round = 0; round < 4; ++round) {
        std::string chunk = "x";
        for (int i = 0; i < 4000; ++i) {
            auto b = static_cast<char>(random() % 256);
            chunk += b == '\0' ? 'y' : b;
        }
        chunk += "\n\n"; // ends every lead byte's reach, so the repeats convert alike
        std::string large, expected;
        const std::string small = ShiftJisToUtf8(chunk);
        for (int k = 0; k < 200; ++k) {
            large += chunk;
            expected += small;
        }
        EXPECT_TRUE(ShiftJisToUtf8(large) == expected) << "round " << round;
    }
}

TEST(FastPaths, PageNameSetKnowsEveryPageAndNoOther) {
    tarnel::testing::TestFolder wiki;
    for (int i = 0; i < 300; ++i)
        wiki.Write(EncodePageName("Page" + std::to_string(i), false) + ".txt", "x\n");
    TWikiFileList list;
    list.folder = wiki.Path();
    list.Update();
    ASSERT_EQ(list.Count(), 300);
    TPageNameSet names;
    names.Assign(list);
    for (int i = 0; i < 300; ++i) {
        const std::string file = EncodePageName("Page" + std::to_string(i), false);
        EXPECT_TRUE(names.PageExists(wiki.Path(), file + ".txt")) << i;
        EXPECT_FALSE(names.PageExists(wiki.Path(), file + ".TXT")) << i;
        EXPECT_FALSE(names.PageExists(wiki.Path(), file)) << i;
    }
    EXPECT_FALSE(names.PageExists(wiki.Path(), EncodePageName("Page300", false) + ".txt"));
    EXPECT_FALSE(names.PageExists(wiki.Path(), ""));
    // Another folder is asked on the file system.
    tarnel::testing::TestFolder other;
    other.Write("41.txt", "x\n");
    EXPECT_TRUE(names.PageExists(other.Path(), "41.txt"));
    names.Clear();
    EXPECT_FALSE(names.PageExists("", "41.txt"));
}
