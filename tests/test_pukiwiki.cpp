// The PukiWiki notation: block and inline rules, tables, plug-in calls, whole pages, the
// shipped page folders of real wikis, and hostile input.
#include "conversion/UPukiWikiDocumentConverter.h"
#include "plugins/UPluginShelf.h"
#include "storage/UWikiFileList.h"
#include "text/BRegExp.h"
#include "text/jconvert.h"

#include "GoldenPages.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace tarnel {
namespace {

using tarnel::testing::TestFolder;

// Expected HTML is written with LF; the converter writes CR LF.
std::string Crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// The test plug-in "probe", which echoes its seven arguments as "[a1|a2|...|a7]". Loaded
// for one test at a time: the loader's tests check that nothing else keeps it loaded.
struct ProbeShelf : TPluginShelf {
    ProbeShelf() { LoadPlugin(std::string(TARNEL_TEST_PLUGIN_DIR) + "probe.so"); }
};
TPluginShelf& NoPlugins() {
    static TPluginShelf shelf;
    return shelf;
}

// Converts display-form text of a page that lies in a folder without other pages.
std::string Puki(std::string_view text, TPluginShelf* plugins = &NoPlugins(),
                 bool keepLineBreaks = false) {
    TPukiWikiDocumentConverter converter;
    converter.Options.Plugins = plugins;
    converter.Options.KeepLineBreaks = keepLineBreaks;
    converter.FileName = "/nonexistent/46726F6E7450616765.txt";
    converter.ResetConversionState();
    return converter.ConvertBlocks(text);
}

struct Case {
    const char* input;
    const char* expected; // LF line ends
};

void ExpectCases(const std::vector<Case>& cases, TPluginShelf* plugins = &NoPlugins()) {
    for (const Case& c : cases)
        EXPECT_EQ(Puki(c.input, plugins), Crlf(c.expected)) << "input: " << c.input;
}

// A new-page link as MakePageLink writes it.
std::string NewLink(const std::string& name, const std::string& text = "") {
    return "<span class=\"newlink-name\">" + (text.empty() ? name : text) +
           "</span><a href=\"NewLink:" + EncodePageName(name, false) +
           ".txt\" class=\"newlink\">?</a>";
}

TEST(PukiWikiBlocks, HeadingsAndExplicitAnchors) {
    ExpectCases({
        {"* Title [#abc]", "<h2><a name=\"abc\"> Title</a></h2>\n"},
        // An explicit anchor still uses up an anchor number.
        {"*A [#x]\n**B\n***C", "<h2><a name=\"x\">A</a></h2>\n<h3><a name=\"i1\">B</a></h3>\n"
                               "<h4><a name=\"i2\">C</a></h4>\n"},
        {"****D", "<h4><a name=\"i0\">*D</a></h4>\n"},
        {"*T  [#a_1]  ", "<h2><a name=\"a_1\">T</a></h2>\n"},
        {"*T [#a-b]", "<h2><a name=\"i0\">T [#a-b]</a></h2>\n"}, // "-" is not a name character
        {"*[#a]", "<h2><a name=\"i0\">[#a]</a></h2>\n"},         // the title needs a character
        {"* [#a]", "<h2><a name=\"a\"> </a></h2>\n"},
        {"*", "<h2><a name=\"i0\"></a></h2>\n"},
        {"-a\n*H\nb",
         "<ul class=\"list1\">\n  <li>a</li>\n</ul>\n<h2><a name=\"i0\">H</a></h2>\n<p>\nb</p>\n"},
    });

    TPukiWikiDocumentConverter menu;
    menu.Options.MenuBarMode = true;
    EXPECT_EQ(menu.ConvertBlocks("*A [#x]\n*B"),
              Crlf("<h2><a name=\"mx\">A</a></h2>\n<h2><a name=\"mi1\">B</a></h2>\n"));
    ASSERT_EQ(menu.Contents.Count(), 2);
    EXPECT_EQ(menu.Contents.Item(0).title, "A");
    EXPECT_EQ(menu.Contents.Item(0).anchor, "mx");
    EXPECT_EQ(menu.Contents.Item(1).anchor, "mi1");
}

TEST(PukiWikiBlocks, ListsPreformattedQuotationsAndAlignment) {
    ExpectCases({
        {" pre <b>\n pre2", "<pre>\npre &lt;b&gt;\npre2\n</pre>\n"},
        // A plain line joins the last item; a blank-started one opens a pre inside it.
        {"-a\nmore\nagain", "<ul class=\"list1\">\n  <li>a\nmore\nagain</li>\n</ul>\n"},
        {"-a\n b\n c\n-d",
         "<ul class=\"list1\">\n  <li>a\n<pre class=\"inlist\">\nb\nc\n</pre></li>\n"
         "  <li>d</li>\n</ul>\n"},
        {"-a\n b\nmore",
         "<ul class=\"list1\">\n  <li>a\n<pre class=\"inlist\">\nb\n</pre>\nmore</li>\n</ul>\n"},
        {"+a\n b",
         "<ol class=\"list1\">\n  <li>a\n<pre class=\"inlist\">\nb\n</pre></li>\n</ol>\n"},
        // Deeper levels open only the missing lists (all with the new depth's class).
        {"-a\n---c\n-d",
         "<ul class=\"list1\">\n  <li>a</li>\n<ul class=\"list3\">\n<ul class=\"list3\">\n"
         "  <li>c</li>\n</ul>\n</ul>\n  <li>d</li>\n</ul>\n"},
        {"--a\n+b", "<ul class=\"list2\">\n<ul class=\"list2\">\n  <li>a</li>\n</ul>\n</ul>\n"
                    "<ol class=\"list1\">\n  <li>b</li>\n</ol>\n"},
        {">q\n>>qq\nmore\n\np",
         "<blockquote>\nq\n<blockquote>\nqq\nmore\n</blockquote>\n</blockquote>\n<p>\np</p>\n"},
        {"RIGHT:r\nmore\nCENTER:c\nLEFT:",
         "<div class=\"right\">\nr\nmore\n</div>\n<div class=\"center\">\nc\n</div>\n"
         "<div class=\"left\">\n\n</div>\n"},
        {"----x\n:t|d|e\n:no bar",
         "<hr>\n<dl>\n  <dt>t</dt>\n  <dd>d|e</dd>\n</dl>\n<p>\n:no bar</p>\n"},
        {"~-not a list\n~", "<p>\n-not a list</p>\n"},
        {"a\n//comment\nb\n\nc", "<p>\nab</p>\n<p>\nc</p>\n"},
    });
    EXPECT_EQ(Puki("a\nb", &NoPlugins(), true), Crlf("<p>\na<br />b<br /></p>\n"));
}

TEST(PukiWikiBlocks, TildeBreaks) {
    ExpectCases({
        {"a~\nb~", "<p>\na<br>b<br></p>\n"},
        {":term~|desc~", "<dl>\n  <dt>term~</dt>\n  <dd>desc<br></dd>\n</dl>\n"},
        {",a~,b", "<table>\n<tr>\n  <td>a~</td>\n  <td>b</td>\n</tr>\n</table>\n"},
        {"|a~|\nafter~", "<table>\n<tr>\n  <td>a~</td>\n</tr>\n</table>\n<p>\nafter<br></p>\n"},
        {"-item~", "<ul class=\"list1\">\n  <li>item<br></li>\n</ul>\n"},
        // An address at the end of the line keeps its own characters, not the mark.
        {"see http://x.org/~", "<p>\nsee <a href=\"http://x.org/\">http://x.org/</a><br></p>\n"},
    });
    // Katakana mi is 83 7E: its second byte is "~", but it is not a break mark.
    std::string mi = "\x83\x7E";
    EXPECT_EQ(Puki(mi), Crlf("<p>\n" + mi + "</p>\n"));
    EXPECT_EQ(Puki(mi + "~"), Crlf("<p>\n" + mi + "<br></p>\n"));
}

TEST(PukiWikiTables, PipeTables) {
    ExpectCases({
        {"|a|b|\n|~|c|", "<table>\n<tr>\n  <td rowspan=\"2\">a</td>\n  <td>b</td>\n</tr>\n<tr>\n  "
                         "<td>c</td>\n</tr>\n"
                         "</table>\n"},
        {"|a|\n|~|\n|~|",
         "<table>\n<tr>\n  <td rowspan=\"3\">a</td>\n</tr>\n<tr>\n</tr>\n<tr>\n</tr>\n</table>\n"},
        {"|>|>|x|", "<table>\n<tr>\n  <td colspan=\"3\">x</td>\n</tr>\n</table>\n"},
        // "c" rows are dropped, "h" and "f" rows are ordinary rows; a comment keeps the table.
        {"|a|h\n|b|c\n//note\n|~c|f",
         "<table>\n<tr>\n  <td>a</td>\n</tr>\n<tr>\n  <th>c</th>\n</tr>\n</table>\n"},
        // Spans at the edges: "~" in the first row, rows of only spans, ragged rows.
        {"|~|a|\n|b|~|",
         "<table>\n<tr>\n  <td rowspan=\"2\">a</td>\n</tr>\n<tr>\n  <td>b</td>\n</tr>\n</table>\n"},
        {"|>|>|\n|a|\n|b|c|~|",
         "<table>\n<tr>\n</tr>\n<tr>\n  <td>a</td>\n</tr>\n<tr>\n  <td>b</td>\n  <td>c</td>\n"
         "</tr>\n</table>\n"},
        // Spans handed to cells that the row above does not have are lost, not misplaced.
        {"|a|b|c|\n|~|\n|x|~|~|",
         "<table>\n<tr>\n  <td rowspan=\"2\">a</td>\n  <td>b</td>\n  <td>c</td>\n</tr>\n"
         "<tr>\n</tr>\n<tr>\n  <td>x</td>\n</tr>\n</table>\n"},
        {"||", "<table>\n<tr>\n  <td></td>\n</tr>\n</table>\n"},
        {"|a|b", "<p>\n|a|b</p>\n"}, // not a row
    });
}

TEST(PukiWikiTables, CellFormats) {
    ExpectCases({
        {"|CENTER:BGCOLOR(yellow):~x|",
         "<table>\n<tr>\n  <th style=\"text-align:center; background-color:yellow;\">x</th>\n"
         "</tr>\n</table>\n"},
        {"|SIZE(20):COLOR(red):RIGHT:LEFT:a|",
         "<table>\n<tr>\n  <td style=\"font-size:20pt; color:red; text-align:right; "
         "text-align:left;\">a</td>\n</tr>\n</table>\n"},
        // A prefix that is no format ends the prefixes and stays in the text.
        {"|CENTER:http://x.org|",
         "<table>\n<tr>\n  <td style=\"text-align:center;\"><a href=\"http://x.org\">"
         "http://x.org</a></td>\n</tr>\n</table>\n"},
        {"|center:a|", "<table>\n<tr>\n  <td>center:a</td>\n</tr>\n</table>\n"},
        {"|>|COLOR(red):x|\n|~|~|",
         "<table>\n<tr>\n  <td style=\"color:red;\" colspan=\"2\" rowspan=\"2\">x</td>\n"
         "</tr>\n<tr>\n</tr>\n</table>\n"},
        // A value goes into the style attribute escaped: a quote cannot end it.
        {"|COLOR(red\" onclick=\"x):a|",
         "<table>\n<tr>\n  <td style=\"color:red&quot; onclick=&quot;x;\">a</td>\n"
         "</tr>\n</table>\n"},
    });
}

TEST(PukiWikiTables, CsvRows) {
    ExpectCases({
        {",a,==,b", "<table>\n<tr>\n  <td colspan=\"2\">a</td>\n  <td>b</td>\n</tr>\n</table>\n"},
        {",a,", "<table>\n<tr>\n  <td>a</td>\n<td></td>\n</tr>\n</table>\n"},
        {", r, c ,\"x,\"\"y\"\"\",z",
         "<table>\n<tr>\n  <td class=\"right\">r</td>\n  <td class=\"center\">c</td>\n"
         "  <td>x,&quot;y&quot;</td>\n  <td>z</td>\n</tr>\n</table>\n"},
        // Text after a closing quote at the end is shown, escaped.
        {",\"a\"<b>", "<table>\n<tr>\n  <td>a</td>\n&lt;b&gt;</tr>\n</table>\n"},
    });
}

TEST(PukiWikiInline, DecorationsLinksAndFootnotes) {
    ExpectCases({
        {"'''e''' ''s'' %%d%% ''''x''''",
         "<p>\n<em>e</em> <strong>s</strong> <del>d</del> '<em>x</em>'</p>\n"},
        {"[[alias>http://x.org/]] [[http://x.org/a.png>http://y.org/]] [[a.png>http://y.org/]]",
         "<p>\n<a href=\"http://x.org/\">alias</a> <a href=\"http://y.org/\"><img "
         "src=\"http://x.org/a.png\"></a> "
         "<a href=\"http://y.org/\">a.png</a></p>\n"},
        {"http://x.org/a.gif",
         "<p>\n<a href=\"http://x.org/a.gif\"><img src=\"http://x.org/a.gif\"></a></p>\n"},
        {"<b>&amp;", "<p>\n&lt;b&gt;&amp;amp;</p>\n"},
    });
    EXPECT_EQ(Puki("[[alias>Page]] [[Page]] WikiName Wiki ABc"),
              Crlf("<p>\n" + NewLink("Page", "alias") + " " + NewLink("Page") + " " +
                   NewLink("WikiName") + " Wiki ABc</p>\n"));

    // Strict WikiNames whatever the setting says.
    TPukiWikiDocumentConverter loose;
    loose.Options.LooseWikiName = true;
    EXPECT_EQ(loose.ConvertBlocks("ABc"), Crlf("<p>\nABc</p>\n"));

    // Footnotes: numbered marks, trimmed text, the list at the end; the title has no tags.
    EXPECT_EQ(Puki("a(( one ))b((see [[P]]))"),
              Crlf("<p>\na<span class=\"footnote\"><a class=\"footnote\" title=\"one\" "
                   "href=\"InnerLink:#f1\" "
                   "name=\"fn1\">*1</a></span>b<span class=\"footnote\"><a class=\"footnote\" "
                   "title=\"see P?\" "
                   "href=\"InnerLink:#f2\" name=\"fn2\">*2</a></span></p>\n"
                   "<div class=\"footnote\"><span class=\"footnote\"><a class=\"footnote\" "
                   "href=\"InnerLink:#fn1\" "
                   "name=\"f1\">*1</a></span><span class=\"footnote_caption\">one</span><br>\n"
                   "<span class=\"footnote\"><a class=\"footnote\" href=\"InnerLink:#fn2\" "
                   "name=\"f2\">*2</a></span>"
                   "<span class=\"footnote_caption\">see " +
                   NewLink("P") + "</span><br>\n</div>"));
}

TEST(PukiWikiInline, LinksToExistingPages) {
    TestFolder wiki;
    wiki.Write("46726F6E7450616765.txt", "");
    TPukiWikiDocumentConverter converter;
    converter.Options.Plugins = &NoPlugins();
    converter.Convert(wiki.Path() + "5061676532.txt", "FrontPage [[top>FrontPage]]");
    EXPECT_EQ(converter.Html, Crlf("<p>\n<a href=\"WikiLink:46726F6E7450616765.txt\">FrontPage</a> "
                                   "<a href=\"WikiLink:46726F6E7450616765.txt\">top</a></p>\n"));
    EXPECT_EQ(converter.Title, "Page2");
    converter.Options.LinkMode = TLinkMode::Export;
    converter.Convert(wiki.Path() + "5061676532.txt", "FrontPage NoPage [[NoPage]]");
    EXPECT_EQ(converter.Html,
              Crlf("<p>\n<a href=\"46726F6E7450616765.html\">FrontPage</a> NoPage NoPage</p>\n"));
}

TEST(PukiWikiPlugins, BlockAndInlineCalls) {
    // The page's context as the probe echoes it after the two argument strings.
    // (The probe writes no "|" before an empty first argument.)
    const std::string context = "|FrontPage|46726F6E7450616765.txt|/nonexistent/|/|]";
    const std::string noArguments = "[" + context.substr(1);
    ProbeShelf probe;
    ExpectCases(
        {
            // Body lines reach the plug-in joined with CR LF after every line.
            {"#probe(){{\nl1\n<b>\n}}\nafter",
             ("[l1\n&lt;b&gt;\n|l1\n<b>\n" + context + "<p>\nafter</p>\n").c_str()},
            {"#probe(){{\nnever closed", ""},
            // A pre after a block call in a list has no item to reopen: it opens one.
            {"-a\n#probe(){{\n}}\n b", ("<ul class=\"list1\">\n  <li>a</li>\n" + noArguments +
                                        "  <li>\n<pre class=\"inlist\">\nb\n</pre></li>\n"
                                        "</ul>\n")
                                           .c_str()},
            // Block calls look names up with case; a name not loaded is an ordinary line.
            {"#PROBE(){{\nx", "<p>\n#PROBE(){{x</p>\n"},
            {"#probe(a){{", "<p>\n#probe(a){{</p>\n"},
            // Inline calls: without case, with arguments and a body after a comma.
            {"&PROBE;", ("<p>\n" + noArguments + "</p>\n").c_str()},
            {"x&probe(a,<b>){body};y",
             ("<p>\nx[a,&lt;b&gt;,body|a,<b>,body" + context + "y</p>\n").c_str()},
            {"&probe(a){};", ("<p>\n[a|a" + context + "</p>\n").c_str()},
            {"&nosuch(a); &probe(a)", "<p>\n&amp;nosuch(a); &amp;probe(a)</p>\n"},
            // Text of the call before the plug-in's name stays.
            {"Q&A &probe;", ("<p>\nQ&amp;A " + noArguments + "</p>\n").c_str()},
        },
        &probe);

    // Without a plug-in shelf an inline call cannot be made; a block call line is text.
    EXPECT_THROW(Puki("&probe;", nullptr), EConvertError);
    EXPECT_EQ(Puki("#probe(){{\n}}", nullptr), Crlf("<p>\n#probe(){{}}</p>\n"));
}

// The scanners find what their patterns find, on short strings of the characters that
// matter (and double-byte characters whose second byte is one of them).
TEST(PukiWikiInline, ScannersAgreeWithTheirPatterns) {
    const std::vector<std::string> pieces = {
        "&", "(", ")", "{",  "}",        ";",        ":",        "a",       " ",
        "[", "]", "#", "\t", "\x83\x7C", "\x81\x7B", "\x81\x7D", "\x82\xA0"};
    std::mt19937 rng(7);
    auto randomText = [&](std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i)
            s += pieces[rng() % pieces.size()];
        return s;
    };
    const char* inlinePattern = "m/^(.*?)(&.+?(\\(.*?\\)(\\{.*?\\})?)?;)/k";
    const char* callPattern =
        "m/&([^\\x00-\\x20()<>\\x7F-\\xFF]+?)(\\((.*?)\\)(?:\\{(.*?)\\})?)?;/k";
    const char* headingPattern = "m/^(.+?)(?:\\s*\\[#(\\w+)\\])?\\s*$/k";
    for (int round = 0; round < 20000; ++round) {
        std::string text = randomText(rng() % 12);

        std::string expected, actual;
        ScanReplace(inlinePattern, text, [&](const RegexMatch& m, std::string&) {
            expected += std::to_string(m.Position() + m.Group(1).size()) + "-" +
                        std::to_string(m.End()) + ",";
        });
        TCallScanner scanner(text, TCallScanner::TNotation::PukiWiki);
        std::size_t pos = 0;
        while (auto next = scanner.NextInline(pos)) {
            actual += std::to_string(next->Begin) + "-" + std::to_string(next->End) + ",";
            pos = next->End;
        }
        ASSERT_EQ(actual, expected) << "inline scan of " << text;

        RegexMatch m = Search(callPattern, text);
        auto call = TCallScanner(text, TCallScanner::TNotation::PukiWiki).ParseCall();
        ASSERT_EQ(call.has_value(), m.Found()) << "call in " << text;
        if (call) {
            EXPECT_EQ(call->Begin, m.Position()) << text;
            EXPECT_EQ(call->End, m.End()) << text;
            EXPECT_EQ(call->Name, m.Group(1)) << text;
            EXPECT_EQ(call->Arguments, m.Group(3)) << text;
            EXPECT_EQ(call->Body, m.Group(4)) << text;
        }

        RegexMatch h = Search(headingPattern, text);
        auto heading = TPukiWikiDocumentConverter::SplitHeading(text);
        EXPECT_EQ(heading.Title, h.Found() ? h.Group(1) : std::string_view(text))
            << "heading " << text;
        EXPECT_EQ(heading.Anchor, h.Group(2)) << "heading " << text;
    }
}

// Cell format prefixes, by the pattern: strip matches while they are formats.
TCellFormat FormatByPattern(std::string_view cell, bool lower) {
    std::string style;
    std::string_view rest = cell;
    for (;;) {
        RegexMatch f = Search("m/^(.+?(\\(.+?\\))?:)/k", rest);
        if (!f.Found()) break;
        std::string_view prefix = f.Group(1), value = f.Group(2);
        if (value.size() >= 2) value = value.substr(1, value.size() - 2);
        std::string v = TWikiDocumentConverter::EscapeHtml(value);
        if (prefix == (lower ? "left:" : "LEFT:"))
            style += "text-align:left; ";
        else if (prefix == (lower ? "center:" : "CENTER:"))
            style += "text-align:center; ";
        else if (prefix == (lower ? "right:" : "RIGHT:"))
            style += "text-align:right; ";
        else if (prefix.starts_with(lower ? "color" : "COLOR"))
            style += "color:" + v + "; ";
        else if (prefix.starts_with(lower ? "bgcolor" : "BGCOLOR"))
            style += "background-color:" + v + "; ";
        else if (prefix.starts_with(lower ? "size" : "SIZE"))
            style += "font-size:" + v + "pt; ";
        else
            break;
        rest.remove_prefix(f.Length());
    }
    if (!style.empty()) style.pop_back();
    return TCellFormat{style, rest};
}

TEST(PukiWikiTables, CellFormatsAgreeWithTheirPattern) {
    const std::vector<std::string> pieces = {"COLOR", "SIZE", "LEFT:",    "CENTER:", "size",
                                             "left:", "(",    ")",        ":",       "a",
                                             " ",     "\"",   "\x83\x7C", "\x82\x6D"};
    std::mt19937 rng(11);
    for (int round = 0; round < 20000; ++round) {
        std::string cell;
        for (std::size_t i = rng() % 10; i > 0; --i)
            cell += pieces[rng() % pieces.size()];
        for (bool lower : {false, true}) {
            TCellFormat expected = FormatByPattern(cell, lower);
            TCellFormat actual = SplitCellFormat(cell, lower);
            ASSERT_EQ(actual.Style, expected.Style) << cell;
            ASSERT_EQ(actual.Body, expected.Body) << cell;
        }
    }
}

TEST(PukiWikiPages, GoldenPages) {
    // The shipped plug-ins: their output does not depend on where the pages lie.
    TPluginShelf shipped;
    shipped.LoadFolder(std::string(TARNEL_APP_DIR) + "plugin/");
    ASSERT_GT(shipped.Count(), 0u);
    TPukiWikiDocumentConverter converter;
    converter.Options.Plugins = &shipped;
    tarnel::testing::ExpectGoldenPages("pukiwiki", converter);
}

// Open and close tags of the block elements are balanced.
void ExpectBalanced(const std::string& html, const std::string& page) {
    for (const char* tag :
         {"ul", "ol", "li", "table", "tr", "blockquote", "pre", "dl", "div", "p", "h2"}) {
        auto count = [&](const std::string& what) {
            int n = 0;
            for (std::size_t at = html.find(what); at != std::string::npos;
                 at = html.find(what, at + 1))
                ++n;
            return n;
        };
        std::string open = std::string("<") + tag;
        int opens = count(open + ">") + count(open + " ");
        EXPECT_EQ(opens, count(std::string("</") + tag + ">")) << tag << " in " << page;
    }
}

TEST(PukiWikiPages, RealWikisConvert) {
    for (const char* folder : {"pukiwiki-1.4.7", "pukiwiki-1.3.7"}) {
        std::filesystem::path dir = std::filesystem::path(TARNEL_CORPUS_DIR) / folder;
        if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no corpus at " << dir;
        int pages = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            TPukiWikiDocumentConverter converter;
            converter.Options.Plugins = &NoPlugins();
            std::string text = tarnel::testing::ReadBytes(entry.path());
            ASSERT_NO_THROW(converter.Convert(entry.path().string(), text)) << entry.path();
            EXPECT_FALSE(converter.Html.empty()) << entry.path();
            ExpectBalanced(converter.Html, entry.path().filename().string());
            ++pages;
        }
        EXPECT_GT(pages, 10) << folder;
    }
}

TEST(PukiWikiPages, HostileInput) {
    std::mt19937 rng(42);
    std::string random(200000, '\0');
    for (char& c : random)
        c = static_cast<char>(rng() & 0xFF);
    auto repeat = [](const std::string& unit, std::size_t bytes) {
        std::string s;
        while (s.size() < bytes)
            s += unit;
        return s;
    };
    const std::size_t n = 200000;
    const std::vector<std::string> inputs = {
        random,
        std::string(n, '\0'),
        repeat("a ''b'' [[c]] &d(e){f}; ((g)) %%h%% http://i/ WikiName ~", n), // one long line
        repeat("&(", n) + ";",
        repeat("&a(b)", n),
        repeat("((", n),
        repeat("[[", n),
        repeat("'''", n),
        "* " + repeat(" ", n) + "x",
        "|" + repeat("(a)", n) + "x:|",
        "|" + repeat("CENTER:", n) + "x|",
        repeat("|~", n) + "|",
        repeat("|>", n) + "|",
        ",\"" + repeat("\"\"", n),
        ":" + repeat("|", n),
        repeat("-a\n--b\n---c\n+d\n b\n", n),
        repeat("~\n", n),
        "-a\n" + repeat(" x\n", n),
        "#probe(){{\n" + repeat("x\n", n),
        "\x81",
        "*\x81",
        "|\x81|",
        "&\x81",
        "-\x81",
        "x\x81~",
    };
    ProbeShelf probe;
    for (const std::string& input : inputs)
        EXPECT_NO_THROW(Puki(input, &probe)) << input.substr(0, 40);
    // Nothing is lost or made up in plain text of any length.
    std::string words = repeat("word ", 100000);
    EXPECT_EQ(Puki(words), Crlf("<p>\n" + words + "</p>\n"));
}

} // namespace
} // namespace tarnel
