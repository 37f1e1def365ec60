#include "conversion/UMarkdownDocumentConverter.h"

#include "GoldenPages.h"
#include "TestFolder.h"
#include "storage/UWikiFileList.h"
#include "text/BRegExp.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace tarnel;
using namespace tarnel::markdown;

namespace {

// Shift_JIS characters whose second byte is one of the marks the rules look for: a rule
// must not take the second byte for the mark.
const std::string kZo = "\x83\x5D";   // katakana zo: second byte "]"
const std::string kSo = "\x83\x5C";   // katakana so: second byte "\"
const std::string kDa = "\x83\x5F";   // katakana da: second byte "_"
const std::string kPo = "\x83\x7C";   // katakana po: second byte "|"
const std::string kTi = "\x83\x60";   // katakana ti: second byte "`"
const std::string kA = "\x83\x40";    // katakana small a: second byte "@"
const std::string kZe = "\x83\x5B";   // katakana ze: second byte "["
const std::string kHira = "\x82\xA0"; // hiragana a

// --- Each matcher against its pattern ---------------------------------------------------------

// Random texts made of pieces that matter to a rule, Japanese characters among them.
std::string RandomText(std::mt19937& rng, const std::vector<std::string>& pieces,
                       std::size_t count) {
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<std::size_t> length(0, count);
    std::string text;
    for (std::size_t i = length(rng); i > 0; --i)
        text += pieces[pick(rng)];
    return text;
}

std::string Visible(std::string_view text) {
    std::string out;
    for (char c : text) {
        auto b = static_cast<unsigned char>(c);
        if (c == '\n')
            out += "\\n";
        else if (b < 0x20 || b >= 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", b);
            out += buffer;
        } else
            out += c;
    }
    return out;
}

std::size_t CharLen(std::string_view text, std::size_t pos) {
    auto b = static_cast<unsigned char>(text[pos]);
    bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    return lead && pos + 1 < text.size() ? 2 : 1;
}

struct TRuleCase {
    const char* name;
    const char* pattern;
    std::vector<int> groups; // the groups the converter reads
    std::function<TRuleMatch(std::string_view, std::size_t)> find;
    std::vector<std::string> pieces;
    std::size_t length = 24;
};

template <class Matcher, class... Args>
std::function<TRuleMatch(std::string_view, std::size_t)> Finder(Args... args) {
    return
        [=](std::string_view text, std::size_t from) { return Matcher(text, args...).Find(from); };
}

const std::vector<std::string> kJapanese = {kZo, kSo, kDa, kPo, kTi, kA, kZe, kHira};

std::vector<std::string> With(std::vector<std::string> pieces, bool japanese = true) {
    if (japanese) pieces.insert(pieces.end(), kJapanese.begin(), kJapanese.end());
    return pieces;
}

std::vector<TRuleCase> RuleCases() {
    return {
        {"html greedy",
         kHtmlBlockGreedy,
         {0, 1},
         Finder<THtmlBlockMatcher>(true),
         With({"\n", "<div>", "\n</div>", "\n</DIV>\n", "<DIV a>\n", "<pre>", "\n</pre>", "\n</p>",
               "<p>", "<hr/>", "\n</hr>", "<divx>", "x", " ", ">", "<", "\n</ul>", "<ul",
               "\n<div>"}),
         14},
        {"html lazy",
         kHtmlBlockLazy,
         {0, 1},
         Finder<THtmlBlockMatcher>(false),
         With({"\n", "<div>", "</div>", "</Div>", "<pre>", "</pre>", "</p>", "<p>", "<h1>", "</h1>",
               "x", ">", "<", "<p a>", "</pre"}),
         16},
        {"link definition",
         kLinkDefinition,
         {0, 1, 2, 3},
         Finder<TLinkDefinitionMatcher>(),
         With({"\n", "[", "]", "]:", " ", "\t", "<", ">", "\"", "a", "\x01", "  ",
               "[id]: ", "\n[a]: ", "\n   [b]:\t<", " \"t\"", ">\n", "\"\n"}),
         18},
        {"table",
         kTable,
         {0, 1, 2, 3},
         Finder<TTableMatcher>(),
         With({"\n", "\n\n", "a|b\n", "|x|\n", "|-|-|\n", "-|-\n", ":-:|\n", "- |\n", "-\n",
               "1|2\n", "|\n", "x\n", kPo + "\n", "a" + kPo + "|\n", "\x01|\n", "\n\na|b\n|-|\n",
               "\n\n"}),
         10},
        {"# heading",
         kHashHeading,
         {0, 1, 2},
         Finder<THashHeadingMatcher>(),
         With({"\n", "#", "##", " ", "\t", "\r", "a", "\n\n", "#######"}),
         20},
        {"underlined heading",
         kUnderlinedHeading,
         {0, 1, 2},
         Finder<TUnderlinedHeadingMatcher>(),
         With({"\n", "a\n", "===\n", "-\n", "=-\n", "\x01a\n", "= \n", "a=", "=", "-",
               kHira + "\n"}),
         12},
        {"rule",
         kRule,
         {0},
         Finder<TRuleLineMatcher>(),
         With({"\n", "***\n", "* * *\n", "- - -  \n", "___\t\n", "   ---\n", "    ---\n", "**\n",
               "*", "-", "_", " ", "\t", "* ", "- ", "a", "   "},
              false),
         14},
        {"block quote",
         kBlockQuote,
         {0, 1},
         Finder<TBlockQuoteMatcher>(),
         With({"\n", "\n\n", ">", "> ", "a", "\x01", ">a"}),
         20},
        {"outer list",
         kOuterList,
         {0, 1, 2},
         Finder<TListMatcher>(true),
         With(
             {"\n", "\n\n", "* ", "- ", "+\t", "1. ", "12.", "9.", " ", "   ", "a", "*", "\n\n\n"}),
         20},
        {"inner list",
         kInnerList,
         {0, 1, 2},
         Finder<TListMatcher>(false),
         With({"\n", "\n\n", "* ", "- ", "1. ", " ", "a", "*", "2."}),
         20},
        {"list item",
         kListItem,
         {0, 1, 2},
         Finder<TListItemMatcher>(),
         With({"\n", "* ", "- ", "+ ", "1. ", "10.", " ", "    ", "a", "*", "\t", "1"}),
         20},
        {"fenced code",
         kFencedCode,
         {0, 1, 2},
         Finder<TFencedCodeMatcher>(),
         With({"\n", "\n\n", "```", "```\n", "\n```\n", "a", "`", " ", "\n\n```x\n", "\n```\n\n"}),
         14},
        {"paragraph",
         kParagraph,
         {0, 1, 2},
         Finder<TParagraphMatcher>(),
         With({"\n", "\n\n", "a", "    ", "\t", "\x01", " ", "b\x01"}),
         20},
        {"indented code",
         kIndentedCode,
         {0, 1},
         Finder<TIndentedCodeMatcher>(),
         With({"\n", "    ", "\t", "a", " ", "   "}),
         20},
        {"code span",
         kCodeSpan,
         {0, 1, 2},
         Finder<TCodeSpanMatcher>(),
         With({"`", "``", "```", "a", " ", "\n"}),
         24},
        {"link",
         kLink,
         {0, 1},
         Finder<TLinkMatcher>(),
         With({"<", ">", "http:", "https:", "ftp:", "file:", "mailto:", "[[",   "]]",   "[",
               "]", "a", " ",     "\n",     "(",    ")",     "\t",      "\x7F", "\xA0", "\x01"}),
         20},
        {"e-mail",
         kEmail,
         {0, 1},
         Finder<TEmailMatcher>(),
         With(
             {"<", ">", "@", "mailto:", "MAILTO:", "a", " ", "\n", "a@b>", "<a", "<mailto:", "@>"}),
         16},
        {"inline image",
         kInlineImage,
         {0, 1, 2, 3},
         Finder<TInlineLinkMatcher>(true),
         With({"![", "[", "]", "](", "(", ")", "\"", "\")", " ", "a", "\n", "!", "![a](", "b)",
               " \"t\")"}),
         20},
        {"inline link",
         kInlineLink,
         {0, 1, 2, 3},
         Finder<TInlineLinkMatcher>(false),
         With({"[", "]", "](", "(", ")", "\"", "\")", " ", "  ", "a", "\n"}),
         24},
        {"reference image",
         kReferenceImage,
         {0, 1, 2},
         Finder<TReferenceMatcher>(true),
         With({"![", "[", "]", "] [", "][", " ", "a", "\n", "!"}),
         20},
        {"reference link",
         kReferenceLink,
         {0, 1, 2},
         Finder<TReferenceMatcher>(false),
         With({"[", "]", "] [", "][", " ", "a", "\n"}),
         20},
        {"strong",
         kStrong,
         {0, 1, 2},
         Finder<TEmphasisMatcher>(true),
         With({"*", "**", "_", "__", "a", " ", "\n", "\t"}),
         24},
        {"emphasis",
         kEmphasis,
         {0, 1, 2},
         Finder<TEmphasisMatcher>(false),
         With({"*", "**", "_", "a", " ", "\n"}),
         24},
        {"heading tag",
         kHeadingTag,
         {0, 1, 2, 3, 4},
         Finder<THeadingTagMatcher>(),
         With({"<h1>", "<H2>", "</h1>", "</H3", "<h7>", "a", "\n", "<", ">"}),
         16},
    };
}

} // namespace

// Every pass whose pattern would backtrack without bound uses a matcher of its own; it must
// find what the pattern finds, from every starting point, on texts full of corner cases.
TEST(MarkdownRules, MatchersFindWhatTheirPatternsFind) {
    std::mt19937 rng(20240611);
    for (const TRuleCase& rule : RuleCases()) {
        SCOPED_TRACE(rule.name);
        int compared = 0, found = 0;
        for (int iteration = 0; iteration < 1500; ++iteration) {
            std::string text = RandomText(rng, rule.pieces, rule.length);
            for (std::size_t from = 0; from <= text.size();
                 from += from < text.size() ? CharLen(text, from) : 1) {
                RegexMatch expected;
                try {
                    expected = Search(rule.pattern, text, from);
                } catch (const EBRegExpError&) {
                    continue; // the pattern gave up; the matcher is meant to go on
                }
                TRuleMatch actual = rule.find(text, from);
                ++compared;
                ASSERT_EQ(expected.Found(), actual.Found()) << Visible(text) << " from " << from;
                if (!expected.Found()) continue;
                ++found;
                ASSERT_EQ(expected.Position(), actual.Position())
                    << Visible(text) << " from " << from;
                ASSERT_EQ(expected.End(), actual.End()) << Visible(text) << " from " << from;
                for (int g : rule.groups) {
                    ASSERT_EQ(expected.Matched(g), actual.Matched(g))
                        << "group " << g << " " << Visible(text);
                    ASSERT_EQ(expected.Group(g), actual.Group(g))
                        << "group " << g << " " << Visible(text);
                }
            }
        }
        EXPECT_GT(compared, 1500);
        EXPECT_GT(found, 300) << "the random texts must exercise the rule";
    }
}

// The line rewrites inside blocks against the scan loop of their patterns.
TEST(MarkdownRules, LineRewritesMatchTheirPatterns) {
    struct Case {
        const char* pattern;
        std::function<std::string(std::string_view)> rewrite;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {kQuoteMark, StripQuoteMarks, {">", "> ", ">>", "a", " ", "\n", kZo}},
        {kCodeIndent, StripCodeIndent, {"    ", "\t", " ", "a", "\n", "\n    "}},
        {kOutdent, Outdent, {"\t", " ", "  ", "    ", "a", "\n", kHira}},
    };
    std::mt19937 rng(7);
    for (const Case& c : cases) {
        for (int i = 0; i < 3000; ++i) {
            std::string text = RandomText(rng, c.pieces, 16);
            std::string expected = ScanReplace(
                c.pattern, text, [](const RegexMatch& m, std::string& out) { out += m.Group(1); });
            ASSERT_EQ(expected, c.rewrite(text)) << c.pattern << " on " << Visible(text);
        }
    }
}

// Table cells by the pattern: a leading "|" dropped, then kTableCell again and again on
// the rest of the line, each cell trimmed. And the atomic form of the "&" rule.
TEST(MarkdownRules, CellsAndAmpersandMatchTheirPatterns) {
    auto trim = [](std::string_view s) {
        while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
            s.remove_prefix(1);
        while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
            s.remove_suffix(1);
        return std::string(s);
    };
    std::mt19937 rng(3);
    const std::vector<std::string> cellPieces = {"|", " ",   "a",  "\t", "\r",
                                                 kPo, kHira, "||", " | "};
    for (int i = 0; i < 3000; ++i) {
        std::string line = RandomText(rng, cellPieces, 12);
        std::vector<std::string> expected;
        std::string_view rest = line;
        if (!rest.empty() && rest[0] == '|') rest.remove_prefix(1);
        for (std::size_t pos = 0; pos < rest.size();) {
            RegexMatch m = Search(kTableCell, rest, pos);
            ASSERT_TRUE(m.Found());
            expected.push_back(trim(m.Group(1)));
            pos = m.End();
        }
        ASSERT_EQ(expected, SplitTableCells(line)) << Visible(line);
    }
    const std::vector<std::string> ampPieces = {"&", "#", "x", "X", "a",   "A", "f",
                                                "g", "1", ";", " ", "amp", "&#"};
    auto encode = [](const char* pattern, const std::string& text) {
        return ScanReplace(pattern, text,
                           [](const RegexMatch&, std::string& out) { out += "&amp;"; });
    };
    for (int i = 0; i < 3000; ++i) {
        std::string text = RandomText(rng, ampPieces, 16);
        ASSERT_EQ(encode(kStrayAmpersand, text), encode(kStrayAmpersandAtomic, text)) << text;
    }
}

// The escape and stray-character rules, done by hand in place, against their patterns.
TEST(MarkdownRules, EscapesAndStrayMarksMatchTheirPatterns) {
    struct Case {
        const char* pattern;
        std::function<void(const RegexMatch&, std::string&)> write;
        std::function<void(std::string&)> rule;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {kEscape,
         [](const RegexMatch& m, std::string& out) {
             out += '\x02';
             out += std::to_string(static_cast<unsigned char>(m.Group(1)[0]));
             out += '\x03';
         },
         ProtectEscapes,
         With({"\\", "\\\\", "*", "_", "[", "]", "a", "#", ".", "!", "\n", "\x81\\", "\x81",
               "\x95\\*"})},
        {kStrayLess, [](const RegexMatch&, std::string& out) { out += "&lt;"; }, EncodeStrayLess,
         With({"<", "a", "Z", "!", "/", " ", "1", "\n", "<<", "\x82\xA0"})},
        {kStrayAmpersand, [](const RegexMatch&, std::string& out) { out += "&amp;"; },
         EncodeStrayAmpersands,
         With({"&", "#", "x", "X", "a", "A", "f", "g", "1", ";", " ", "amp", "&#", "\x82\xA0"})},
    };
    std::mt19937 rng(17);
    for (const Case& c : cases) {
        for (int i = 0; i < 4000; ++i) {
            std::string text = RandomText(rng, c.pieces, 16);
            std::string expected = ScanReplace(c.pattern, text, c.write);
            c.rule(text);
            ASSERT_EQ(expected, text) << c.pattern << " on " << Visible(text);
        }
    }
}

// --- Conversions ------------------------------------------------------------------------------

namespace {

// Converts display-form text as the view does (no page folder: every page is missing).
std::string Md(std::string_view text, int linkMode = 4) {
    TMarkdownDocumentConverter converter;
    converter.Options.LinkMode = static_cast<TLinkMode>(linkMode);
    converter.ResetConversionState();
    return converter.ConvertBlocks(text);
}

struct TCase {
    const char* name;
    std::string input;
    std::string expected;
};

void ExpectCases(const std::vector<TCase>& cases) {
    for (const TCase& c : cases)
        EXPECT_EQ(Md(c.input), c.expected) << c.name;
}

// Decodes "&#NN;" and "&#xHH;" references.
std::string DecodeReferences(std::string_view text, int* decimal, int* hexadecimal) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, 2, "&#") != 0) {
            out += text[i++];
            continue;
        }
        std::size_t semi = text.find(';', i);
        bool hex = text[i + 2] == 'x';
        std::string digits(text.substr(i + (hex ? 3 : 2), semi - i - (hex ? 3 : 2)));
        out += static_cast<char>(std::stoi(digits, nullptr, hex ? 16 : 10));
        ++*(hex ? hexadecimal : decimal);
        i = semi + 1;
    }
    return out;
}

} // namespace

TEST(MarkdownBlocks, PageEndAndHeadings) {
    ExpectCases({
        {"no line end", "abc", "<p>abc</p>\n"},
        {"one line end gets a second", "abc\n", "<p>abc</p>\n\n"},
        {"two line ends stay", "abc\n\n", "<p>abc</p>\n\n"},
        {"empty page", "", "\n"},
        // The trailing "\s*" of the heading rule takes the line ends after the title when
        // only blank lines follow, and stops before the last one when text follows.
        {"# heading at the end", "# Title", "<h1><a name=\"i0\">Title</a></h1>\n"},
        {"# heading before text", "# Title\n\ntext\n",
         "<h1><a name=\"i0\">Title</a></h1>\n\n<p>text</p>\n\n"},
        {"closing hashes", "## Sub ##\n\ntext",
         "<h2><a name=\"i0\">Sub</a></h2>\n\n\n<p>text</p>\n"},
        {"seven hashes", "####### x\n", "<h6><a name=\"i0\"># x</a></h6>\n"},
        {"underlined", "Title\n=====\n\nSub\n---\n",
         "<h1><a name=\"i0\">Title</a></h1>\n\n<h2><a name=\"i1\">Sub</a></h2>\n\n"},
        {"mixed underline, last decides", "T\n-=\n", "<h1><a name=\"i0\">T</a></h1>\n\n"},
        {"rule", "text\n\n- - -\n", "<p>text</p>\n\n<hr />\n\n"},
        {"rule of stars", "***\n", "<hr />\n\n"},
        {"paragraph line before a heading is a paragraph", "text\n# Heading\n",
         "<p>text</p>\n<h1><a name=\"i0\">Heading</a></h1>\n"},
        {"two lines, one paragraph", "a\nb\n", "<p>a\nb</p>\n\n"},
    });
}

TEST(MarkdownBlocks, ListsAndQuotes) {
    ExpectCases({
        {"two items", "* one\n* two\n",
         "<ul>\n<li class=\"li-1\">one</li>\n<li class=\"li-1\">two</li>\n</ul>\n\n\n"},
        {"items with an empty line between make paragraphs", "* one\n\n* two\n",
         "<ul>\n<li class=\"li-1\"><p>one</p>\n</li>\n<li "
         "class=\"li-1\"><p>two</p>\n</li>\n</ul>\n\n\n"},
        {"ordered", "1. a\n2. b\n",
         "<ol>\n<li class=\"li-1\">a</li>\n<li class=\"li-1\">b</li>\n</ol>\n\n\n"},
        {"first marker decides", "* a\n2. b\n",
         "<ul>\n<li class=\"li-1\">a</li>\n<li class=\"li-1\">b</li>\n</ul>\n\n\n"},
        {"nested", "* a\n    * b\n",
         "<ul>\n<li class=\"li-1\">a\n<ul>\n<li class=\"li-2\">b</li>\n</ul>\n</li>\n</ul>\n\n\n"},
        {"list after a paragraph needs an empty line", "text\n* a\n", "<p>text\n* a</p>\n\n"},
        {"two empty lines end a list", "* a\n\n\n* b\n",
         "<ul>\n<li class=\"li-1\">a</li>\n</ul>\n\n\n\n<ul>\n<li "
         "class=\"li-1\">b</li>\n</ul>\n\n\n"},
        {"quote of two lines", "> a\n> b\n", "<blockquote>\n<p>a\nb</p>\n</blockquote>\n\n"},
        {"nested quote", "> a\n>\n> > b\n",
         "<blockquote>\n<p>a</p>\n\n<blockquote>\n<p>b</p>\n</blockquote>\n</blockquote>\n\n"},
        {"quote with inline text only", "> *x*",
         "<blockquote>\n<p><em>x</em></p>\n</blockquote>\n"},
    });
}

TEST(MarkdownBlocks, CodeTablesAndHtml) {
    const std::string table =
        "\r\n<table>\r\n<thead>\r\n<tr>\r\n  <th>a</th>\r\n  <th>b</th>\r\n  "
        "<th>c</th>\r\n</tr>\r\n"
        "</thead>\r\n<tbody>\r\n<tr>  <td>1</td>\r\n  <td class=\"right\">2</td>\r\n"
        "  <td class=\"center\">3</td>\r\n</tr>\r\n</tbody>\r\n</table>\r\n\r\n\n";
    ExpectCases({
        {"fence on the first line is text", "```\ncode\n```\n", "<p>```\ncode\n```</p>\n\n"},
        {"fence after an empty line", "\n```\n<code>\n```\n",
         "\n<pre><code>&lt;code&gt;</code></pre>\n\n\n"},
        {"heading line inside a fence is code", "\n```\n# h\n```\n",
         "\n<pre><code># h</code></pre>\n\n\n"},
        {"indented code keeps its last line end", "    a <b>\n\tc\n",
         "<pre><code>a &lt;b&gt;\nc\n</code></pre>\n\n"},
        {"table on the first line is text", "|a|b|\n|-|-|\n|1|2|\n",
         "<p>|a|b|\n|-|-|\n|1|2|</p>\n\n"},
        {"alignments", "\n|a|b|c|\n|:-|-:|:-:|\n|1|2|3|\n", table},
        {"table followed by text is not a table", "\n|a|b|\n|-|-|\n|1|2|\ntext\n",
         "\n<p>|a|b|\n|-|-|\n|1|2|\ntext</p>\n\n"},
        {"two divs hold the text between", "<div>\na\n</div>\n\n*b*\n\n<div>\nc\n</div>\n",
         "<div>\na\n</div>\n\n*b*\n\n<div>\nc\n</div>\n\r\n\n"},
        {"tag closed on its line (lazy)", "<p>x</p>\n\n*y*\n",
         "<p>x</p>\n\r\n\n<p><em>y</em></p>\n\n"},
        {"stray < and &", "a < b & c &amp; &#38; <i>\n",
         "<p>a &lt; b &amp; c &amp; &#38; <i></p>\n\n"},
    });
}

TEST(MarkdownBlocks, ManyAndHugeHeldPiecesComeBackWhole) {
    // The HTML pieces held out of the text are kept in blocks of a megabyte: here more than
    // a block of small links and code spans, and one HTML block bigger than a block itself.
    std::string links, div = "<div>\n";
    for (int n = 0; links.size() < (3u << 19); ++n)
        links += "[[Page" + std::to_string(n) + "]] and `c" + std::to_string(n) + "`\n";
    while (div.size() < (5u << 18))
        div += "held <b>as written</b>\n";
    div += "</div>\n";
    const std::string page = links + "\n" + div + "\n[[Last]]\n";
    const std::string html = Md(page);
    EXPECT_NE(html.find(div), std::string::npos);
    EXPECT_EQ(html.find('\x04'), std::string::npos) << "a reference was left";
    std::size_t anchors = 0, code = 0;
    for (std::size_t p = html.find("<a "); p != std::string::npos; p = html.find("<a ", p + 1))
        ++anchors;
    for (std::size_t p = html.find("<code>"); p != std::string::npos;
         p = html.find("<code>", p + 1))
        ++code;
    EXPECT_EQ(anchors, code + 1);
    EXPECT_GT(code, 50000u);

    // A page the converter takes over converts to the same bytes as one it only reads.
    TMarkdownDocumentConverter converter;
    converter.Options.LinkMode = static_cast<TLinkMode>(4);
    converter.ConvertTaken("/nonexistent/50616765.txt", page);
    EXPECT_TRUE(converter.Html == html);
}

TEST(MarkdownSpans, Formatting) {
    ExpectCases({
        {"hard break", "a  \nb\n", "<p>a<br />\nb</p>\n\n"},
        {"more blanks before a break", "a   \nb\n", "<p>a <br />\nb</p>\n\n"},
        {"code span", "`a*b[c]<d>`\n", "<p><code>a*b[c]&lt;d&gt;</code></p>\n\n"},
        {"code span of two backticks", "``a`b``\n", "<p><code>a`b</code></p>\n\n"},
        {"strong inside emphasis", "*a **b** c*\n", "<p><em>a <strong>b</strong> c</em></p>\n\n"},
        {"underscores in an identifier", "snake_case_name\n", "<p>snake<em>case</em>name</p>\n\n"},
        {"unmatched marks stay", "a * b _ c ` d [ e\n", "<p>a * b _ c ` d [ e</p>\n\n"},
        {"escapes", "\\*a\\* \\_ \\\\\n", "<p>*a* _ \\</p>\n\n"},
        {"escape in a code span", "`a\\*b`\n", "<p><code>a*b</code></p>\n\n"},
        {"escape in a table cell", "\n|a\\*b|\n|-|\n|*c*|\n",
         "\r\n<table>\r\n<thead>\r\n<tr>\r\n  <th>a*b</th>\r\n</tr>\r\n</thead>\r\n<tbody>\r\n"
         "<tr>  <td><em>c</em></td>\r\n</tr>\r\n</tbody>\r\n</table>\r\n\r\n\n"},
        {"inline link, text escaped", "[a<b>](http://x/ \"T&\")\n",
         "<p><a href=\"http://x/\" title=\"T&amp;\">a&lt;b&gt;</a></p>\n\n"},
        {"escape in a link text", "[a\\*b](u)\n", "<p><a href=\"u\">a*b</a></p>\n\n"},
        {"inline image", "![alt](p.png \"t\")\n",
         "<p><img src=\"p.png\" alt=\"alt\" title=\"t\" /></p>\n\n"},
        {"address in angle brackets", "<http://x.org/?a=1&b=2>\n",
         "<p><a href=\"http://x.org/?a=1&amp;b=2\">http://x.org/?a=1&amp;b=2</a></p>\n\n"},
        {"picture address", "<http://x.org/p.PNG>\n",
         "<p><a href=\"http://x.org/p.PNG\"><img src=\"http://x.org/p.PNG\"></a></p>\n\n"},
        {"bare address is text", "http://x.org/\n", "<p>http://x.org/</p>\n\n"},
        {"Japanese second bytes are not marks", kZo + "[" + kZo + "](u) *" + kDa + "*\n",
         "<p>" + kZo + "<a href=\"u\">" + kZo + "</a> <em>" + kDa + "</em></p>\n\n"},
    });
}

TEST(MarkdownSpans, ReferenceLinksAndDefinitions) {
    const std::string page = "[Text][ID] [Id][] ![Pic][id] [x][none]\n\n"
                             "   [id]: <http://r.example/> \"Ref Title\"\n[id]: http://second/\n";
    TMarkdownDocumentConverter converter;
    converter.ResetConversionState();
    std::string html = converter.ConvertBlocks(page);
    EXPECT_EQ(html, "<p><a href=\"http://r.example/\" title=\"Ref Title\">Text</a> "
                    "<a href=\"http://r.example/\" title=\"Ref Title\">Id</a> "
                    "<img src=\"http://r.example/\" alt=\"Pic\" title=\"Ref Title\" /> "
                    "[x][none]</p>\n\n\n\n\n");
    ASSERT_EQ(converter.LinkDefinitions.size(), 2u);
    EXPECT_EQ(converter.LinkDefinitions[0].Id, "ID");
    EXPECT_EQ(converter.LinkDefinitions[0].Link.LinkUrl, "http://r.example/");
    EXPECT_EQ(converter.LinkDefinitions[0].Link.LinkTitle, "Ref Title");
    EXPECT_EQ(converter.LinkDefinitions[1].Link.LinkTitle, "");
    // Reference link text is converted again; inline link text is not.
    EXPECT_EQ(Md("[*a*][r]\n\n[r]: u\n"), "<p><a href=\"u\"><em>a</em></a></p>\n\n\n\n");
}

TEST(MarkdownSpans, PageLinksInEveryLinkMode) {
    tarnel::testing::TestFolder folder;
    folder.Write(EncodePageName("Page", false) + ".txt", "x");
    const std::string page = "[[Page]] [[Missing]] <http://a/>\n";
    struct Mode {
        int linkMode;
        std::string expected;
    };
    const std::string newLink = "<span class=\"newlink-name\">Missing</span><a href=\"NewLink:" +
                                EncodePageName("Missing", false) + ".txt\" class=\"newlink\">?</a>";
    const Mode modes[] = {
        {4, "<p><a href=\"WikiLink:50616765.txt\">Page</a> " + newLink +
                " <a href=\"http://a/\">http://a/</a></p>\n\n"},
        {3, "<p><a href=\"WikiLink:50616765.txt\">Page</a> " + newLink +
                " <a href=\"http://a/\">http://a/</a></p>\n\n"},
        {2, "<p><a href=\"50616765.html\">Page</a> Missing <a "
            "href=\"http://a/\">http://a/</a></p>\n\n"},
    };
    for (const Mode& mode : modes) {
        TMarkdownDocumentConverter converter;
        converter.Options.LinkMode = static_cast<TLinkMode>(mode.linkMode);
        converter.Convert(folder.Path() + "46726F6E7450616765.txt", page);
        EXPECT_EQ(converter.Html, mode.expected) << "LinkMode " << mode.linkMode;
    }
}

// Every byte becomes a reference, both forms mixed; the mix follows from the address, so the
// same page converts to the same bytes every time (an unchanged wiki exports unchanged files).
TEST(MarkdownSpans, EmailAddressesAreCharacterReferencesTheSameEveryTime) {
    int decimal = 0, hexadecimal = 0;
    const std::string first = Md("<mailto:who@example.com> <a@b.jp>\n");
    EXPECT_EQ(DecodeReferences(first, &decimal, &hexadecimal),
              "<p><a href=\"mailto:who@example.com\">who@example.com</a> "
              "<a href=\"mailto:a@b.jp\">a@b.jp</a></p>\n\n");
    EXPECT_EQ(first.find('@'), std::string::npos) << "no byte of the address is left plain";
    EXPECT_GT(decimal, 10);
    EXPECT_GT(hexadecimal, 10);
    for (int run = 0; run < 3; ++run)
        EXPECT_EQ(Md("<mailto:who@example.com> <a@b.jp>\n"), first);
    EXPECT_NE(Md("<who@example.org>\n"), Md("<who@example.com>\n"));
}

TEST(MarkdownContents, HeadingsEverywhereInDocumentOrder) {
    TMarkdownDocumentConverter converter;
    converter.ResetConversionState();
    std::string html = converter.ConvertBlocks("# A\n\n> ## B\n\n* ### C\n\n<h4>D</h4>\n\nE\n-\n");
    ASSERT_EQ(converter.Contents.Count(), 5);
    const struct {
        const char* title;
        const char* anchor;
        int level;
    } expected[] = {{"A", "i0", 1}, {"B", "i1", 2}, {"C", "i2", 3}, {"D", "i3", 4}, {"E", "i4", 2}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(converter.Contents.Item(i).title, expected[i].title);
        EXPECT_EQ(converter.Contents.Item(i).anchor, expected[i].anchor);
        EXPECT_EQ(converter.Contents.Item(i).level, expected[i].level);
    }
    EXPECT_NE(html.find("<h4><a name=\"i3\">D</a></h4>"), std::string::npos);
    EXPECT_EQ(
        converter.ContentsHtml(false),
        "<div class=\"toc\">\r\n<ul class=\"toc-1\">\r\n<li><a href=\"InnerLink:#i0\">A</a>\r\n"
        "<ul class=\"toc-2\">\r\n<li><a href=\"InnerLink:#i1\">B</a>\r\n<ul class=\"toc-3\">\r\n"
        "<li><a href=\"InnerLink:#i2\">C</a>\r\n<ul class=\"toc-4\">\r\n<li><a "
        "href=\"InnerLink:#i3\">D</a>"
        "</li>\r\n</ul>\r\n</li>\r\n</ul>\r\n</li>\r\n<li><a "
        "href=\"InnerLink:#i4\">E</a></li>\r\n</ul>\r\n"
        "</li>\r\n</ul>\r\n</div>\r\n");

    converter.Options.MenuBarMode = true;
    converter.ResetConversionState();
    converter.ConvertBlocks("# A\n");
    EXPECT_EQ(converter.Html, "");
    EXPECT_EQ(converter.Contents.Item(0).anchor, "mi0");
}

// Page text holding the converter's own marker bytes: they are removed before the passes,
// so a forged fragment or escape reference can neither reach a missing fragment nor loop.
TEST(MarkdownRobustness, MarkerBytesInPageTextAreRemoved) {
    ExpectCases({
        {"fragment reference to nothing",
         "a\x04"
         "7\x05"
         "b\n",
         "<p>a7b</p>\n\n"},
        {"fragment reference to itself",
         "\x04"
         "0\x05\n\n<div>\nx\n</div>\n",
         "<p>0</p>\n\n<div>\nx\n</div>\n\r\n\n"},
        {"escape reference out of range",
         "\x02"
         "999\x03"
         "c\n",
         "<p>999c</p>\n\n"},
        {"line marks", "\x01# not skipped\n", "<h1><a name=\"i0\">not skipped</a></h1>\n"},
        {"lead byte without a second byte", "a\x81\n\x81", "<p>a?\n?</p>\n"},
    });
}

TEST(MarkdownRobustness, CleaningIsDroppingMarkersThenRepairing) {
    // The page text is cleaned in one pass; it must give what dropping the marker bytes and
    // then repairing broken pairs gives, also where a marker stands inside a pair.
    const std::vector<std::string> pieces = {
        "a",        "\n",       "\x01", "\x02", "\x05",     "\x06", "\x00",     "\x81",
        "\x82\xA0", "\x83\x5D", "\xFD", "\x7F", "\x9F\xFC", "\xE0", "abcdefgh", "\x40"};
    std::mt19937 rng(77);
    for (int i = 0; i < 20000; ++i) {
        std::string text = RandomText(rng, pieces, 40);
        std::string dropped;
        for (char c : text)
            if (c < '\x01' || c > '\x05') dropped += c;
        ASSERT_EQ(CleanPageText(text), RepairShiftJis(dropped)) << Visible(text);
    }
}

namespace {

std::string Repeat(std::string_view piece, std::size_t bytes) {
    std::string text;
    text.reserve(bytes + piece.size());
    while (text.size() < bytes)
        text += piece;
    return text;
}

bool HasMarkerByte(std::string_view html) {
    return std::any_of(html.begin(), html.end(), [](char c) { return c >= '\x01' && c <= '\x05'; });
}

std::size_t Count(std::string_view text, std::string_view what) {
    std::size_t n = 0;
    for (std::size_t p = text.find(what); p != std::string_view::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

} // namespace

// No input may crash, hang or leave a marker behind. (Speed is measured by the benchmarks;
// these sizes only keep the test quick.)
TEST(MarkdownRobustness, HostileInputsConvert) {
    std::mt19937 rng(99);
    std::vector<std::pair<std::string, std::string>> inputs;
    for (int i = 0; i < 4; ++i) {
        std::string bytes(64 * 1024, '\0');
        for (char& c : bytes)
            c = static_cast<char>(rng());
        inputs.emplace_back("random bytes", bytes);
    }
    const std::string marks = " *_`[]()<>!#&@\"|-:=+.\\\n\t\x00a1" + kZo + kHira;
    for (int i = 0; i < 4; ++i) {
        std::string text;
        for (int k = 0; k < 200000; ++k)
            text += marks[rng() % marks.size()];
        inputs.emplace_back("random marks", text);
    }
    // (Without "@": e-mail links spread every byte into a character reference.)
    std::string line;
    for (std::size_t k = 0; line.size() < (1u << 20); ++k)
        line += marks[rng() % (marks.size() - 3)];
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::replace(line.begin(), line.end(), '@', 'a');
    inputs.emplace_back("1 MB line", line + "\n");
    inputs.emplace_back("NUL bytes", Repeat(std::string("a\0*b\0\n\0\0> \0", 12), 100000));
    inputs.emplace_back("10,000 list lines", Repeat("* item\n", 7 * 10000));
    inputs.emplace_back("10,000 ordered items with blank lines",
                        Repeat("12. item\n\n", 10 * 10000));
    inputs.emplace_back("unclosed HTML blocks",
                        "</div>\n" + Repeat("<div>\n<pre x>\ntext\n", 200000));
    inputs.emplace_back("unclosed fences", Repeat("\n\n```\ncode\n", 200000));
    inputs.emplace_back("unclosed spans",
                        Repeat("**a `b [[c <d@ ![e]( [f][ *g _h ", 200000) + "\n");
    inputs.emplace_back("star and underscore runs",
                        std::string(300000, '*') + "x\n" + std::string(300000, '_') + "\n");
    inputs.emplace_back("table followed by text",
                        "\n\n|a|b|c|\n|-|-|-|\n" + Repeat("|x|y|z|\n", 100000) + "text\n");
    inputs.emplace_back("heading of hashes and blanks", "# a" + Repeat(" #", 200000) + "x\n");
    inputs.emplace_back("deep quote", Repeat("> ", 20000) + "x\n");
    inputs.emplace_back("deep list", Repeat("* ", 20000) + "x\n");
    std::string indented;
    for (int depth = 0; depth < 300; ++depth)
        indented += std::string(4u * static_cast<unsigned>(depth), ' ') + "* x\n";
    inputs.emplace_back("deeply indented list", indented);
    inputs.emplace_back("deep emphasis", Repeat("*a _", 20000) + Repeat("b_ c*", 20000) + "\n");
    inputs.emplace_back("forged references", Repeat("\x04"
                                                    "5\x05\x02"
                                                    "300\x03\x01",
                                                    30000));

    for (const auto& [name, text] : inputs) {
        TMarkdownDocumentConverter converter;
        std::string html;
        converter.ResetConversionState();
        ASSERT_NO_THROW(html = converter.ConvertBlocks(text)) << name;
        EXPECT_FALSE(HasMarkerByte(html)) << name;
        if (text.size() <= 256 * 1024) {
            ASSERT_NO_THROW(converter.Convert("/nonexistent/41.txt", text))
                << name << " (stored form)";
        }
    }
}

TEST(MarkdownRobustness, NestingIsBounded) {
    std::string html = Md(Repeat("> ", 2000) + "x\n");
    EXPECT_EQ(Count(html, "<blockquote>"),
              static_cast<std::size_t>(TMarkdownDocumentConverter::kMaxNesting));
    EXPECT_EQ(Count(html, "<blockquote>"), Count(html, "</blockquote>"));

    std::string list;
    for (int depth = 0; depth < 60; ++depth)
        list += std::string(4u * static_cast<unsigned>(depth), ' ') + "* x\n";
    html = Md(list);
    // Levels past the bound join one flat list at the bound: no item stays raw text.
    EXPECT_LE(Count(html, "<ul>"),
              static_cast<std::size_t>(TMarkdownDocumentConverter::kMaxNesting) + 1);
    EXPECT_EQ(Count(html, "<li "), 60u);
    EXPECT_EQ(html.find("* x"), std::string::npos);
    EXPECT_EQ(Count(html, "<ul>"), Count(html, "</ul>"));
    EXPECT_NE(html.find("li-20"), std::string::npos);
}

// Results the notation's rules give that are plainly wrong, each mended at the rule that
// caused it; one row per mend, with the whole output of the page.
TEST(MarkdownMends, PlainlyWrongResultsAreMended) {
    const std::string nihon = Utf8ToShiftJis("日本");
    const std::string cellTable =
        "\r\n<table>\r\n<thead>\r\n<tr>\r\n  <th>a</th>\r\n  <th>b</th>\r\n</tr>\r\n</thead>\r\n"
        "<tbody>\r\n<tr>  <td>*</td>\r\n  <td>x</td>\r\n</tr>\r\n</tbody>\r\n</table>\r\n\r\n\n";
    std::string quotes, quotesHtml;
    for (int level = 0; level < 40; ++level)
        quotes += "> ";
    for (int level = 0; level < 32; ++level)
        quotesHtml += "<blockquote>\n";
    quotesHtml += "<p>a</p>\n";
    for (int level = 0; level < 32; ++level)
        quotesHtml += "</blockquote>\n";
    std::string list, listHtml;
    for (int depth = 0; depth < 36; ++depth)
        list += std::string(4u * static_cast<unsigned>(depth), ' ') + "* x\n";
    for (int level = 1; level <= 32; ++level)
        listHtml += "<ul>\n<li class=\"li-" + std::to_string(level) + "\">x\n";
    listHtml += "<ul>\n";
    for (int item = 0; item < 4; ++item)
        listHtml += "<li class=\"li-33\">x</li>\n";
    listHtml += "</ul>\n";
    for (int level = 1; level <= 32; ++level)
        listHtml += "</li>\n</ul>\n";
    ExpectCases({
        {"triple marks nest strong and emphasis", "***x*** and ___y___\n",
         "<p><strong><em>x</em></strong> and <strong><em>y</em></strong></p>\n\n"},
        {"a mark left in a strong body does not pair outside it", "***x** y* **a *b** c*\n",
         "<p><strong>*x</strong> y* <strong>a *b</strong> c*</p>\n\n"},
        {"a cell holding only an escape", "\n|a|b|\n|-|-|\n|\\*|x|\n", cellTable},
        {"a # line without a title keeps the paragraph after it", "#\n\ntext\n",
         "<h1><a name=\"i0\"></a></h1>\n\n<p>text</p>\n\n"},
        {"item text before a sub-list is formatted", "* <http://x.com/> *em*\n    * sub\n",
         "<ul>\n<li class=\"li-1\"><a href=\"http://x.com/\">http://x.com/</a> <em>em</em>\n"
         "<ul>\n<li class=\"li-2\">sub</li>\n</ul>\n</li>\n</ul>\n\n\n"},
        {"text right before a heading is a paragraph", "text *x* <http://x.com/>\n# H\n",
         "<p>text <em>x</em> <a href=\"http://x.com/\">http://x.com/</a></p>\n"
         "<h1><a name=\"i0\">H</a></h1>\n"},
        {"text right before a table is a paragraph", "*a*\n\n|b|\n|-|\n|c|\n",
         "<p><em>a</em></p>\r\n<table>\r\n<thead>\r\n<tr>\r\n  <th>b</th>\r\n</tr>\r\n"
         "</thead>\r\n<tbody>\r\n<tr>  <td>c</td>\r\n</tr>\r\n</tbody>\r\n</table>\r\n\r\n\n"},
        {"a page name is escaped", "[[a<b&c]]\n",
         "<p><span class=\"newlink-name\">a&lt;b&amp;c</span><a href=\"NewLink:613C622663.txt\" "
         "class=\"newlink\">?</a></p>\n\n"},
        {"raw inline tags stay as written",
         "<span class=\"x_y_z\">a</span> <a href=\"mailto:a@b.c\">m</a> <b "
         "title=\"[c]*\">_d_</b>\n",
         "<p><span class=\"x_y_z\">a</span> <a href=\"mailto:a@b.c\">m</a> "
         "<b title=\"[c]*\"><em>d</em></b></p>\n\n"},
        {"link text does not reach back over a closing bracket", "[a][none] then [b](/u)\n",
         "<p>[a][none] then <a href=\"/u\">b</a></p>\n\n"},
        {"link text may hold one inner bracket pair", "[a [b] c](/u)\n",
         "<p><a href=\"/u\">a [b] c</a></p>\n\n"},
        {"entity names in capitals", "&Auml; &Eacute; &auml;\n",
         "<p>&Auml; &Eacute; &auml;</p>\n\n"},
        {"an address with Japanese characters", "<http://x.com/" + nihon + ">\n",
         "<p><a href=\"http://x.com/" + nihon + "\">http://x.com/" + nihon + "</a></p>\n\n"},
        {"block lines inside a fence are code", "\n```\n# h\n> q\n* i\n```\n",
         "\n<pre><code># h\n&gt; q\n* i</code></pre>\n\n\n"},
        {"an image inside a link", "[![alt](/i.png)](/u)\n",
         "<p><a href=\"/u\"><img src=\"/i.png\" alt=\"alt\" /></a></p>\n\n"},
        {"an address in angle brackets", "[link](</x?a=1&b=2>) ![p](</p.png>)\n",
         "<p><a href=\"/x?a=1&amp;b=2\">link</a> <img src=\"/p.png\" alt=\"p\" /></p>\n\n"},
        {"quotations past the bound are converted flat", quotes + "a\n", quotesHtml + "\n"},
        {"lists past the bound are converted flat", list, listHtml + "\n\n"},
    });

    // The e-mail address keeps its Japanese characters whole; its other bytes are still
    // character references.
    int decimal = 0, hexadecimal = 0;
    std::string mail = Md("<" + nihon + "@x.jp>\n");
    EXPECT_EQ(DecodeReferences(mail, &decimal, &hexadecimal),
              "<p><a href=\"mailto:" + nihon + "@x.jp\">" + nihon + "@x.jp</a></p>\n\n");
    EXPECT_EQ(mail.find('@'), std::string::npos);
    EXPECT_EQ(decimal + hexadecimal, 6 + 5 + 5);
}

// Real pages written by other people (in another notation): each must convert.
TEST(MarkdownRobustness, CorpusPagesConvert) {
    const std::filesystem::path corpus = TARNEL_CORPUS_DIR;
    if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    int pages = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
        if (entry.path().extension() != ".txt") continue;
        TMarkdownDocumentConverter converter;
        std::string text = tarnel::testing::ReadBytes(entry.path());
        ASSERT_NO_THROW(converter.Convert(entry.path().string(), text)) << entry.path();
        EXPECT_FALSE(HasMarkerByte(converter.Html)) << entry.path();
        ++pages;
    }
    EXPECT_GT(pages, 20);
}

// Whole pages, checked by hand: tests/data/markdown/*.txt against *.html.
TEST(MarkdownGolden, Pages) {
    TMarkdownDocumentConverter converter;
    tarnel::testing::ExpectGoldenPages("markdown", converter);
}

// The sample wiki: every page converts, and its page links resolve except the two that
// show what a missing page looks like.
TEST(MarkdownGolden, SampleWiki) {
    const std::filesystem::path folder =
        std::filesystem::path(TARNEL_SOURCE_DIR) / "examples/sample-wiki/markdown";
    EXPECT_NE(tarnel::testing::ReadBytes(folder / "Wiki.ini").find("Notation=7"),
              std::string::npos);
    int pages = 0;
    std::size_t newLinks = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!IsPageFileName(entry.path().filename().string(), ".txt")) continue;
        TMarkdownDocumentConverter converter;
        converter.Convert(entry.path().string(), tarnel::testing::ReadBytes(entry.path()));
        EXPECT_FALSE(converter.Title.empty()) << entry.path();
        EXPECT_GT(converter.Contents.Count(), 0) << entry.path();
        newLinks += Count(converter.Html, "NewLink:");
        ++pages;
    }
    EXPECT_EQ(pages, 5);
    EXPECT_EQ(newLinks, 2u);
}
