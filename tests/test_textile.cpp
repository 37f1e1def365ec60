#include "GoldenPages.h"
#include "TestFolder.h"
#include "conversion/UTextileDocumentConverter.h"
#include "plugins/UPluginShelf.h"
#include "text/BRegExp.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace tarnel;
using tarnel::testing::TestFolder;

namespace {

const std::string kFrontPageFile = "46726F6E7450616765.txt";

// Converts display-form text of a page in a folder where FrontPage exists.
std::string Convert(const std::string& text, bool menuBar = false) {
    static TestFolder folder;
    folder.Write(kFrontPageFile, "x\n");
    TTextileDocumentConverter c;
    TPluginShelf none;
    c.Options.Plugins = &none;
    c.Options.MenuBarMode = menuBar;
    c.FileName = folder.Path() + "50616765.txt";
    c.ResetConversionState();
    return c.ConvertBlocks(text);
}

std::string Paragraph(const std::string& html) {
    return "<p>\r\n" + html + "</p>\r\n";
}

} // namespace

TEST(Textile, BlockRules) {
    struct Case {
        std::string text;
        std::string html;
    } cases[] = {
        {"", ""},
        {"h2. Title <b>  ", "<h2><a name=\"i0\">Title &lt;b&gt;</a></h2>\r\n"}, // escaped
        {"h1.  ", "<h1><a name=\"i0\"> </a></h1>\r\n"},
        {"h1. ", "<h1><a name=\"i0\"></a></h1>\r\n"},
        {"h7. x\nh2.x", Paragraph("h7. x<br>\r\nh2.x")},
        {"a\nb\nc", Paragraph("a<br>\r\nb<br>\r\nc")},
        {"a\n---\nb", Paragraph("a<br>\r\n<hr>\r\nb")},
        {"----\n--x\n--", "<hr>\r\n" + Paragraph("--x<br>\r\n<del></del>")},
        {" a<b\n c", "<pre>\r\na&lt;b\r\nc\r\n</pre>\r\n"},
        {"bq. q\nbq. r",
         "<blockquote>\r\nq\r\n</blockquote>\r\n<blockquote>\r\nr\r\n</blockquote>\r\n"},
        {"p=. c\np=. d",
         "<div class=\"center\">\r\nc\r\n</div>\r\n<div class=\"center\">\r\nd\r\n</div>\r\n"},
        {"p>. r\np. l",
         "<div class=\"right\">\r\nr\r\n</div>\r\n<div class=\"left\">\r\nl\r\n</div>\r\n"},
        {"* a\n** b\n# c\nmore\n\nx",
         "<ul class=\"list1\">\r\n  <li>a</li>\r\n<ul class=\"list2\">\r\n  <li>b</li>\r\n"
         "</ul>\r\n</ul>\r\n<ol class=\"list1\">\r\n  <li>c</li>\r\nmore\r\n</ol>\r\n" +
             Paragraph("x")},
        {"*a", Paragraph("*a")},
        {"|a|b|\n|c|", "<table>\r\n<tr>\r\n  <td>a</td>\r\n  <td>b</td>\r\n</tr>\r\n<tr>\r\n  "
                       "<td>c</td>\r\n</tr>\r\n</table>\r\n"},
        {"a\n<pre> dropped\n<b>\n\n</pre> dropped\nz",
         Paragraph("a") + "<pre>\r\n&lt;b&gt;\r\n\r\n</pre>\r\n" + Paragraph("z")},
        // Open blocks, a <pre> block included, end with the page.
        {"<pre>\n* x\nh1. y", "<pre>\r\n* x\r\nh1. y\r\n</pre>\r\n"},
        {"<pre>", ""},
        {"# a", "<ol class=\"list1\">\r\n  <li>a</li>\r\n</ol>\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Convert(c.text), c.html) << c.text;
    EXPECT_EQ(Convert("h3. T", true), "<h3><a name=\"mi0\">T</a></h3>\r\n");
}

TEST(Textile, HeadingTextIsThatOfThePattern) {
    // The heading text is read by hand; it must agree with "m/^h[123456]\.\s+(.+?)\s*$/k",
    // also where a blank is the second byte of a double-byte character.
    const char* const pieces[] = {" ", " ", "\t", "\v", "a", "\x81", "\x82\xA0", "."};
    std::mt19937 rng(5);
    TTextileDocumentConverter c;
    for (int i = 0; i < 20000; ++i) {
        std::string line = "h1. ";
        for (int n = static_cast<int>(rng() % 8); n > 0; --n)
            line += pieces[rng() % 8];
        c.ResetConversionState();
        c.ConvertBlocks(line);
        RegexMatch m = Search("m/^h[123456]\\.\\s+(.+?)\\s*$/k", line);
        ASSERT_EQ(c.Contents.Item(0).title, m.Group(1)) << line;
        ASSERT_EQ(c.Contents.Item(0).level, 1);
    }
}

TEST(Textile, InlineRules) {
    auto page = [](const std::string& shown) {
        return "<span class=\"newlink-name\">" + shown +
               "</span><a href=\"NewLink:50616765.txt\" class=\"newlink\">?</a>";
    };
    struct Case {
        std::string text;
        std::string html;
    } cases[] = {
        {"+i+ _e_ *s* ??c?? @c@ -d-",
         "<ins>i</ins> <em>e</em> <strong>s</strong> <cite>c</cite> <code>c</code> <del>d</del>"},
        {"a*b*c a[*b*]c [_x y_]", "a*b*c a<strong>b</strong>c <em>x y</em>"},
        {"*a *b* c*", "<strong>a *b</strong> c*"},
        {"*a* *b*", "<strong>a</strong> <strong>b</strong>"},
        {"<b>&amp;", "&lt;b&gt;&amp;amp;"},
        {"see \"the site\":http://e.com/?a=1&b ok",
         "see <a href=\"http://e.com/?a=1&amp;b\">the site</a> ok"},
        {"http://e.com/ x\"t\":http://e.com/", "http://e.com/ x&quot;t&quot;:http://e.com/"},
        {"[\"t\":http://e.com/]x", "<a href=\"http://e.com/\">t</a>x"},
        {"[[Page]] [[Page|shown]]", page("Page") + " " + page("shown")},
        {"[[FrontPage|top]]", "<a href=\"WikiLink:" + kFrontPageFile + "\">top</a>"},
        {"%{color:red}a & b%", "<span style=\"color:red\">a &amp; b</span>"},
        {"%{x}a}b% %{y}", "<span style=\"x\">a}b</span> %{y}"},
        // Unclosed marks stay text.
        {"[[a [\"b\": *c [@d %{e}", "[[a [&quot;b&quot;: *c [@d %{e}"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Convert(c.text), Paragraph(c.html)) << c.text;
}

TEST(Textile, BoundedRulesGiveWhatTheirPatternsGive) {
    // Every inline rule is shown only the text where a match can still end; it must give
    // exactly what its patterns give on the whole text.
    const char* const pieces[] = {"*",  "_",        "@",        "-",        "+",   "??", "[",
                                  "]",  "[[",       "]]",       "|",        " ",   " ",  "a",
                                  "\"", "&quot;",   "&quot;:",  "%{",       "}",   "%",  "{{",
                                  "}}", "\x81\x40", "\x83\x5F", "\x83\x5D", "\x81"};
    struct Phrase {
        std::string (TTextileDocumentConverter::*slot)(std::string_view);
        std::string element;
        const char* spaced;
        const char* bracketed;
    } phrases[] = {
        {&TTextileDocumentConverter::ConvertInserted, "ins", "m/(^| )\\+(.*?)\\+( |$)/k",
         "m/\\[\\+(.*?)\\+\\]/k"},
        {&TTextileDocumentConverter::ConvertEmphasis, "em", "m/(^| )_(.*?)_( |$)/k",
         "m/\\[_(.*?)_\\]/k"},
        {&TTextileDocumentConverter::ConvertStrong, "strong", "m/(^| )\\*(.*?)\\*( |$)/k",
         "m/\\[\\*(.*?)\\*\\]/k"},
        {&TTextileDocumentConverter::ConvertCitation, "cite", "m/(^| )\\?{2}(.*?)\\?{2}( |$)/k",
         "m/\\[\\?{2}(.*?)\\?{2}\\]/k"},
        {&TTextileDocumentConverter::ConvertCode, "code", "m/(^| )@(.*?)@( |$)/k",
         "m/\\[@(.*?)@\\]/k"},
        {&TTextileDocumentConverter::ConvertDeleted, "del", "m/(^| )-(.*?)-( |$)/k",
         "m/\\[-(.*?)-\\]/k"},
    };
    TTextileDocumentConverter c;
    TPluginShelf none;
    c.Options.Plugins = &none;
    c.FileName = "/nonexistent/wiki/50616765.txt";
    // A pattern run over the whole text, each match written by `write`.
    auto pass = [](const std::string& text, const char* pattern, auto write) {
        return ScanReplace(pattern, text,
                           [&](const RegexMatch& m, std::string& out) { out += write(m); });
    };
    auto g = [](const RegexMatch& m, int i) { return std::string(m.Group(i)); };
    auto anchor = [](const std::string& href, const std::string& text) {
        return "<a href=\"" + TWikiDocumentConverter::EscapeAttribute(href) + "\">" + text + "</a>";
    };
    std::mt19937 rng(23);
    for (int i = 0; i < 10000; ++i) {
        std::string text;
        for (int n = static_cast<int>(rng() % 14); n > 0; --n)
            text += pieces[rng() % std::size(pieces)];
        for (const Phrase& p : phrases) {
            std::string expected = pass(text, p.spaced, [&](const RegexMatch& m) {
                return g(m, 1) + "<" + p.element + ">" + g(m, 2) + "</" + p.element + ">" + g(m, 3);
            });
            expected = pass(expected, p.bracketed, [&](const RegexMatch& m) {
                return "<" + p.element + ">" + g(m, 1) + "</" + p.element + ">";
            });
            ASSERT_EQ((c.*p.slot)(text), expected) << p.element << " " << text;
        }
        std::string links =
            pass(text, "m/(^| )(?:&quot;(.+?)&quot;:(.+?))( |$)/k",
                 [&](const RegexMatch& m) { return g(m, 1) + anchor(g(m, 3), g(m, 2)) + g(m, 4); });
        links = pass(links, "m/\\[(?:&quot;(.+?)&quot;:(.+?))\\]/k",
                     [&](const RegexMatch& m) { return anchor(g(m, 2), g(m, 1)); });
        links = pass(links, "m/\\[\\[(.+?)(?:\\|(.+?))?\\]\\]/k", [&](const RegexMatch& m) {
            return c.MakePageLink(c.PageFileOf(m.Group(1)),
                                  m.Group(2).empty() ? m.Group(1) : m.Group(2), true);
        });
        ASSERT_EQ(c.ConvertLinks(text), links) << text;
        std::string steps = c.ConvertDeleted(c.ConvertCode(c.ConvertCitation(c.ConvertStrong(
            c.ConvertEmphasis(c.ConvertInserted(c.ConvertLinks(c.EscapeHtml(text))))))));
        std::string spans = pass(steps, "m/%{(.+?)}(.+?)%/k", [&](const RegexMatch& m) {
            return "<span style=\"" + TWikiDocumentConverter::EscapeAttribute(g(m, 1)) + "\">" +
                   g(m, 2) + "</span>";
        });
        ASSERT_EQ(c.ConvertInlinePlain(text), spans) << text;
        std::string whole = ScanReplace(
            "m/^(.*?)({{[^\\x00-\\x20()<>\\x7F-\\xFF]+?.*?}})/k", text,
            [&](const RegexMatch& m, std::string& out) {
                out += c.ConvertInlinePlain(m.Group(1)) + c.ConvertInlinePlugin(m.Group(2));
            },
            [&](std::string_view piece, std::string& out) { out += c.ConvertInlinePlain(piece); });
        ASSERT_EQ(c.ConvertInline(text), whole) << text;
    }
}

TEST(Textile, HandReadRulesGiveWhatTheirPatternsGive) {
    // Page links and table cells are read by hand; on any text, line ends and broken
    // double-byte characters included, they must find what their patterns find.
    const char* const pieces[] = {"[[",       "]]",       "[",        "]",    "|",
                                  "a",        " ",        "\n",       "\x81", "\x83\x5D",
                                  "\x83\x5B", "\x83\x7C", "\x81\x40", "<"};
    TTextileDocumentConverter c;
    TPluginShelf none;
    c.Options.Plugins = &none;
    c.FileName = "/nonexistent/wiki/50616765.txt";
    std::mt19937 rng(41);
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        for (int n = static_cast<int>(rng() % 16); n > 0; --n)
            text += pieces[rng() % std::size(pieces)];
        std::string links = ScanReplace(
            "m/\\[\\[(.+?)(?:\\|(.+?))?\\]\\]/k", text, [&](const RegexMatch& m, std::string& out) {
                out += c.MakePageLink(c.PageFileOf(m.Group(1)),
                                      m.Group(2).empty() ? m.Group(1) : m.Group(2), true);
            });
        ASSERT_EQ(c.ConvertLinks(text), links) << text;

        // Without a "." no cell has a prefix; the row is read up to the last "|".
        std::string row = "|" + text;
        std::erase(row, '\n');
        std::string cells;
        std::string_view rest = std::string_view(row).substr(1);
        for (std::size_t pos = 0;;) {
            RegexMatch m = Search("m/([^|]*)\\|/k", rest, pos);
            if (!m.Found()) break;
            std::string_view cell = m.Group(1);
            while (!cell.empty() && static_cast<unsigned char>(cell.front()) <= ' ')
                cell.remove_prefix(1);
            while (!cell.empty() && static_cast<unsigned char>(cell.back()) <= ' ')
                cell.remove_suffix(1);
            cells += "  <td>" + c.ConvertInline(cell) + "</td>\r\n";
            pos = m.End();
        }
        ASSERT_EQ(c.ConvertTableRow(row), "<tr>\r\n" + cells + "</tr>\r\n") << row;
        // A line is a row when the pattern says so.
        c.ResetConversionState();
        ASSERT_EQ(c.ConvertBlocks(row).starts_with("<table>"),
                  Search("m/^\\|(.*)\\|$/k", row).Found())
            << row;
    }
}

TEST(Textile, CellPrefixesAreReadAsTheirPatternsReadThem) {
    // The prefixes of a cell are read by hand; they must be the ones the prefix patterns
    // find, in the same number, broken double-byte characters included.
    const char* const pieces[] = {"_. ", "\\2. ", "/3. ", "<. ", "=. ",   ">. ",
                                  ". ",  ".",     " ",    "a",   "\x81",  "\x82\xA0",
                                  "\\",  "/",     "5",    "_.",  "\x81. "};
    TTextileDocumentConverter c;
    TPluginShelf none;
    c.Options.Plugins = &none;
    std::mt19937 rng(8);
    for (int i = 0; i < 20000; ++i) {
        std::string cell;
        for (int n = static_cast<int>(rng() % 7); n > 0; --n)
            cell += pieces[rng() % std::size(pieces)];
        // A broken character at the end would take the closing "|" into itself.
        const std::string row = "|" + cell + "|";
        if (!Search("m/^\\|(.*)\\|$/k", row).Found()) continue;
        std::string_view text = cell;
        while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
            text.remove_prefix(1);
        while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
            text.remove_suffix(1);
        std::string tag = "td", colspan, rowspan, style;
        for (RegexMatch p; (p = Search("m/^(.+?\\.) /k", text)).Found();
             text.remove_prefix(p.End())) {
            std::string_view prefix = p.Group(1);
            RegexMatch span;
            if (prefix == "_.")
                tag = "th";
            else if ((span = Search("m/^\\\\(\\d)\\.$/k", prefix)).Found())
                colspan = " colspan=\"" + std::string(span.Group(1)) + "\"";
            else if ((span = Search("m/^\\/(\\d)\\.$/k", prefix)).Found())
                rowspan = " rowspan=\"" + std::string(span.Group(1)) + "\"";
            else if (prefix == "<." || prefix == "=." || prefix == ">.")
                style += prefix == "<."   ? "text-align:left; "
                         : prefix == "=." ? "text-align:center; "
                                          : "text-align:right; ";
            else
                break;
        }
        if (!style.empty()) style = " style=\"" + style.substr(0, style.size() - 1) + "\"";
        std::string expected = "<tr>\r\n  <" + tag + colspan + rowspan + style + ">" +
                               c.ConvertInline(text) + "</" + tag + ">\r\n</tr>\r\n";
        ASSERT_EQ(c.ConvertTableRow(row), expected) << cell;
    }
}

TEST(Textile, ParagraphEndsKeepNoBreak) {
    // The break after a paragraph's last line goes, also after half a double-byte
    // character (the pattern matcher takes a "<" there as a character of its own).
    struct Case {
        std::string text;
        std::string html;
    } cases[] = {
        {"a\nb\n\nc", Paragraph("a<br>\r\nb") + Paragraph("c")},
        {"a\x81\n\nb", Paragraph("a\x81") + Paragraph("b")},
        {"a\n* b", Paragraph("a") + "<ul class=\"list1\">\r\n  <li>b</li>\r\n</ul>\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Convert(c.text), c.html) << c.text;
}

TEST(Textile, TableCellPrefixes) {
    struct Case {
        const char* row;
        const char* cells;
    } cases[] = {
        {"|_. h|", "  <th>h</th>\r\n"},
        {"|\\2. a|/3. b|", "  <td colspan=\"2\">a</td>\r\n  <td rowspan=\"3\">b</td>\r\n"},
        {"|<. l|>. =. x|", "  <td style=\"text-align:left;\">l</td>\r\n  <td "
                           "style=\"text-align:right; text-align:center;\">x</td>\r\n"},
        {"|_. \\2. >. *s*|",
         "  <th colspan=\"2\" style=\"text-align:right;\"><strong>s</strong></th>\r\n"},
        {"|\\22. a|x. _. b| c. |", "  <td>\\22. a</td>\r\n  <td>x. _. b</td>\r\n  <td>c.</td>\r\n"},
        {"||", "  <td></td>\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Convert(c.row),
                  std::string("<table>\r\n<tr>\r\n") + c.cells + "</tr>\r\n</table>\r\n")
            << c.row;
}

TEST(Textile, PluginCalls) {
    TTextileDocumentConverter c;
    EXPECT_THROW(c.ConvertBlocks("a {{probe}}"), EConvertError);
    TPluginShelf shelf;
    shelf.LoadPlugin(std::string(TARNEL_TEST_PLUGIN_DIR) + "probe.so");
    c.Options.Plugins = &shelf;
    c.FileName = "/wiki/46726F6E7450616765.txt";
    const std::string context = "FrontPage|46726F6E7450616765.txt|/wiki/|/|]";
    EXPECT_EQ(
        c.ConvertBlocks("*a* {{Probe (x, <y>)}} *b*"),
        Paragraph("<strong>a</strong> [x, &lt;y&gt;|x, <y>|" + context + " <strong>b</strong>"));
    EXPECT_EQ(c.ConvertBlocks("{{probe}}"),
              Paragraph("[" + context)); // the probe skips empty leading texts
    EXPECT_EQ(c.ConvertBlocks("{{probe x}} {{other(1)}}"), Paragraph("{{probe x}} {{other(1)}}"));
}

TEST(Textile, GoldenPages) {
    TTextileDocumentConverter c;
    TPluginShelf shipped;
    shipped.LoadFolder(std::string(TARNEL_APP_DIR) + "plugin/");
    c.Options.Plugins = &shipped;
    tarnel::testing::ExpectGoldenPages("textile", c);
}

TEST(Textile, HostileInputEndsCleanly) {
    // Unclosed marks repeated over one long line must cost one look each, not a walk to
    // the end of the line each (which would not finish), and must not stop the conversion.
    std::mt19937 random(9);
    std::string bytes(200000, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random());
    std::string markup;
    static const char* const kPieces[] = {
        "h1. ", "|", "*", "#", " ",  "bq. ", "p. ", "<pre>", "</pre>", "\n", "_",  "+",   "??",
        "@",    "-", "[", "]", "\"", ":",    "%{",  "}",     "%",      "{{", "}}", "\x82"};
    for (int i = 0; i < 40000; ++i)
        markup += kPieces[random() % std::size(kPieces)];
    auto repeat = [](const std::string& piece, std::size_t bytes) {
        std::string s;
        while (s.size() < bytes)
            s += piece;
        return s;
    };
    std::vector<std::string> inputs = {
        bytes, markup, std::string(1 << 20, 'a'), std::string("a\0b\n\0", 5),
        repeat("* x\n# y\n", 120000), "h1. a" + std::string(100000, ' ') + "b",
        "<pre>\n" + repeat("<b>\n", 100000), "|" + repeat("_. ", 100000) + "|",
        "[\"a\":b] x\":y " + repeat("[\" ", 300000) + "]",
        // A closing mark hidden in half a character of broken text.
        "x" + repeat(" *x", 300000) + "\x81* "};
    for (const char* piece : {" *x", " ??x", " _a", " \"a", "\"a\":", "[\"", "[*", "[[", "{{",
                              "{{a", "%{", "%{a}", "|"})
        inputs.push_back("x" + repeat(piece, 300000));
    for (const std::string& input : inputs) {
        TTextileDocumentConverter c;
        TPluginShelf none;
        c.Options.Plugins = &none;
        std::string html;
        c.ResetConversionState();
        ASSERT_NO_THROW(html = c.ConvertBlocks(input)) << input.substr(0, 20);
        EXPECT_FALSE(html.empty());
    }
}
