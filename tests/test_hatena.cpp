#include "GoldenPages.h"
#include "TestFolder.h"
#include "conversion/UHatenaDocumentConverter.h"
#include "plugins/UPluginShelf.h"
#include "text/BRegExp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace tarnel;

namespace {

const std::string kPo = "\x83\x7C"; // Shift_JIS katakana "po": its trail byte is "|"

std::string Convert(const std::string& displayText, int linkMode = 4) {
    THatenaDocumentConverter c;
    TPluginShelf none;
    c.Options.Plugins = &none;
    c.Options.LinkMode = static_cast<TLinkMode>(linkMode);
    c.ResetConversionState();
    return c.ConvertBlocks(displayText);
}

// Text made of the pieces the inline rules look for, to compare the bounded scans with
// the plain scan loop of the same patterns.
std::string RandomInline(std::mt19937& rng) {
    static const char* const kPieces[] = {"<",        ">",    "[",   "]",    "[[", "]]",
                                          "a:",       "x",    "((",  "))",   " ",  "http://a",
                                          "\x83\x7C", "\x81", "<b>", "[p:q]"};
    std::string s;
    for (int n = static_cast<int>(rng() % 12); n > 0; --n)
        s += kPieces[rng() % std::size(kPieces)];
    return s;
}

} // namespace

TEST(Hatena, BlockRules) {
    struct Case {
        std::string text;
        const char* html;
    } cases[] = {
        {"*T", "<h2><a name=\"i0\">T</a></h2>\r\n"},
        {"**T", "<h3><a name=\"i0\">T</a></h3>\r\n"},
        {"****T", "<h4><a name=\"i0\">*T</a></h4>\r\n"},
        {"a\nb\nc", "<p class=\"hatena\">\r\na</p>\r\n<p class=\"hatena\">\r\nb</p>\r\n<p "
                    "class=\"hatena\">\r\nc</p>\r\n"},
        {"a\n\nb", "<p class=\"hatena\">\r\na</p>\r\n<p class=\"hatena\">\r\nb</p>\r\n"},
        {"\n\n\n", "<br>\r\n<br>\r\n<br>\r\n"}, // an empty first line counts too
        {"a\n\n\n\nb",
         "<p class=\"hatena\">\r\na</p>\r\n<br>\r\n<br>\r\n<p class=\"hatena\">\r\nb</p>\r\n"},
        {">||\na<b\n||<", "<pre class=\"verbatim-hard\">\r\na&lt;b\r\n</pre>\r\n"},
        {">||\na<b||<",
         "<pre class=\"verbatim-hard\">\r\na<b</pre>\r\n"}, // the last text is not escaped
        {">|aa|\n<^^>\n||<", "<div class=\"ascii-art\">\r\n&lt;^^&gt;<br>\r\n</div>\r\n"},
        {"|*h|*i|\n| a |b|", "<table>\r\n<tr>\r\n  <th>h</th>\r\n  <th>i</th>\r\n</tr>\r\n"
                             "<tr>\r\n  <td>a</td>\r\n  <td>b</td>\r\n</tr>\r\n</table>\r\n"},
        {"||", "<table>\r\n<tr>\r\n  <td></td>\r\n</tr>\r\n</table>\r\n"},
        {":t:d:e", "<dl>\r\n  <dt>t</dt>\r\n  <dd>d:e</dd>\r\n</dl>\r\n"},
        {"=====", "<hr>\r\n"},
        {"-a\n--b\n---c\n----d\n+e",
         "<ul class=\"list1\">\r\n  <li>a</li>\r\n<ul class=\"list2\">\r\n  <li>b</li>\r\n"
         "<ul class=\"list3\">\r\n  <li>c</li>\r\n  <li>-d</li>\r\n</ul>\r\n</ul>\r\n</ul>\r\n"
         "<ol class=\"list1\">\r\n  <li>e</li>\r\n</ol>\r\n"},
        {"++a\n+b", "<ol class=\"list2\">\r\n<ol class=\"list2\">\r\n  <li>a</li>\r\n</ol>\r\n  "
                    "<li>b</li>\r\n</ol>\r\n"},
        // A quotation is not closed by the blocks inside it.
        {">>\na\n-b\n<<\nc",
         "<blockquote>\r\n<p class=\"hatena\">\r\na</p>\r\n<ul class=\"list1\">\r\n  <li>b</li>\r\n"
         "</ul>\r\n</blockquote>\r\n<p class=\"hatena\">\r\nc</p>\r\n"},
        // Soft verbatim blocks nest, keep the block rules, and keep plain lines as they are.
        {">|\n*h\na\n\n>|\n<b>\n|<\nz|<",
         "<pre class=\"verbatim-soft\">\r\n<h2><a name=\"i0\">h</a></h2>\r\na\r\n"
         "<pre class=\"verbatim-soft\">\r\n<b>\r\n</pre>\r\nz</pre>\r\n"},
        {">|\n-a\n|<", "<pre class=\"verbatim-soft\">\r\n<ul class=\"list1\">\r\n  "
                       "<li>a</li>\r\n</ul>\r\n</pre>\r\n"},
        // Blocks still open at the end of the page are closed there, innermost first.
        {">>\n>|\na",
         "<blockquote>\r\n<pre class=\"verbatim-soft\">\r\na\r\n</pre>\r\n</blockquote>\r\n"},
        {">|\n>>\n|<\n>|", "<pre class=\"verbatim-soft\">\r\n<blockquote>\r\n</pre>\r\n<pre "
                           "class=\"verbatim-soft\">\r\n"
                           "</pre>\r\n</blockquote>\r\n"},
        {">|aa|\nx", "<div class=\"ascii-art\">\r\nx<br>\r\n</div>\r\n"},
        {">||\n>|", "<pre class=\"verbatim-hard\">\r\n&gt;|\r\n</pre>\r\n"},
        // "||<" and "|<" are whole characters: a trail byte "|" does not end a block.
        {">||\n" + kPo + "|<\n||<", "<pre class=\"verbatim-hard\">\r\n\x83\x7C|&lt;\r\n</pre>\r\n"},
        {">|\n" + kPo + "<\n|<", "<pre class=\"verbatim-soft\">\r\n\x83\x7C<\r\n</pre>\r\n"},
        {"|" + kPo + "|", "<table>\r\n<tr>\r\n  <td>\x83\x7C</td>\r\n</tr>\r\n</table>\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Convert(c.text), c.html) << c.text;
}

TEST(Hatena, HeadingsAndFootnotes) {
    THatenaDocumentConverter c;
    c.FileName = "/wiki/page.txt";
    std::string html =
        c.ConvertBlocks("**Two ((a <i>b</i>))\n***Three\nx(( see http://h/ ))y((z))");
    ASSERT_EQ(c.Contents.Count(), 2);
    EXPECT_EQ(c.Contents.Item(0).title, "Two ((a <i>b</i>))"); // listed unconverted
    EXPECT_EQ(c.Contents.Item(0).level, 2);
    EXPECT_EQ(c.Contents.Item(1).anchor, "i1");
    EXPECT_EQ(c.Contents.Item(1).level, 3);
    // Tags split the text before footnotes are looked for: the heading keeps its parentheses.
    EXPECT_NE(html.find("Two ((a <i>b</i>))</a></h3>"), std::string::npos);
    const std::string link = "<a href=\"http://h/\">http://h/</a>";
    EXPECT_NE(
        html.find("<p class=\"hatena\">\r\nx<span class=\"footnote\"><a class=\"footnote\" "
                  "title=\"see http://h/\" "
                  "href=\"InnerLink:#f1\" name=\"fn1\">*1</a></span>y<span class=\"footnote\">"
                  "<a class=\"footnote\" title=\"z\" href=\"InnerLink:#f2\" "
                  "name=\"fn2\">*2</a></span></p>\r\n"
                  "<div class=\"footnote\">"),
        std::string::npos)
        << html;
    ASSERT_EQ(c.Footnotes.Count(), 2);
    EXPECT_EQ(c.Footnotes.Items(0).Text, "see " + link);
    EXPECT_EQ(html.substr(html.size() - 6), "</div>");
    // A double quote in the note does not end the mark's title early.
    EXPECT_NE(c.ConvertInline("((say \"hi\"))").find("title=\"say &quot;hi&quot;\""),
              std::string::npos);
    EXPECT_EQ(c.Footnotes.Items(2).Text, "say \"hi\"");
    c.ResetConversionState();
    c.ConvertBlocks("plain");
    EXPECT_EQ(c.Footnotes.Count(), 0);
}

TEST(Hatena, InlineRules) {
    tarnel::testing::TestFolder folder;
    folder.Write("50616765.txt", ""); // the page "Page" exists
    struct Case {
        int linkMode;
        const char* text;
        const char* html;
    } cases[] = {
        {4, "<a href=\"http://x/\">[[Page]]</a> http://x/a.png",
         "<a href=\"http://x/\"><a href=\"WikiLink:50616765.txt\">Page</a></a> <a "
         "href=\"http://x/a.png\">http://x/a.png</a>"},
        {4, "a & b < c FrontPage", "a & b < c FrontPage"}, // nothing escaped, no WikiNames
        {4, "[[New]]",
         "<span class=\"newlink-name\">New</span><a href=\"NewLink:4E6577.txt\" "
         "class=\"newlink\">?</a>"},
        {3, "[[New]]",
         "<span class=\"newlink-name\">New</span><a href=\"NewLink:4E6577.txt\" "
         "class=\"newlink\">?</a>"},
        {2, "[[Page]] [[New]]", "<a href=\"50616765.html\">Page</a> New"},
        {4, "[none:x] [[a:b]]", "[none:x] [[a:b]]"}, // no such plug-in: plain text
        {4, "http://a]]b [[Page]]",
         "<a href=\"http://a]]b\">http://a]]b</a> <a href=\"WikiLink:50616765.txt\">Page</a>"},
        {4, "[[Page]]http://a]]b",
         "<a href=\"WikiLink:50616765.txt\">Page</a><a href=\"http://a]]b\">http://a]]b</a>"},
    };
    for (const auto& c : cases) {
        THatenaDocumentConverter conv;
        TPluginShelf none;
        conv.Options.Plugins = &none;
        conv.Options.LooseWikiName = true;
        conv.Options.LinkMode = static_cast<TLinkMode>(c.linkMode);
        conv.FileName = folder.Path() + "here.txt";
        EXPECT_EQ(conv.ConvertInline(c.text), c.html) << c.linkMode << " " << c.text;
    }
}

TEST(Hatena, BracketCallsPlugins) {
    TPluginShelf shelf;
    shelf.LoadPlugin(std::string(TARNEL_TEST_PLUGIN_DIR) + "probe.so");
    THatenaDocumentConverter c;
    c.FileName = "/wiki/46726F6E7450616765.txt";
    c.Options.TemplateFolder = "/tmpl";
    EXPECT_THROW(c.ConvertInline("[probe:x]"), EConvertError);
    c.Options.Plugins = &shelf;
    EXPECT_EQ(c.ConvertInline("a [PROBE:x&\"y] b"), // the name is looked up without regard to case
              "a [x&amp;&quot;y|x&\"y|FrontPage|46726F6E7450616765.txt|/wiki/|/tmpl/|] b");
    EXPECT_EQ(c.ConvertInline("[probe:<b>]"), "[probe:<b>]"); // the tag is taken first
    std::string mark = c.FootnoteRef("n");                    // the mark of the next footnote
    EXPECT_EQ(c.ConvertInline("[probe:x](( n ))"),
              "[x|x|FrontPage|46726F6E7450616765.txt|/wiki/|/tmpl/|]" + mark);
}

// The inline rules see only the text up to the last closing mark, so that a long line of
// opening marks stays linear; the result must be that of the scan loop over the whole text.
TEST(Hatena, BoundedScansMatchThePlainScanLoop) {
    THatenaDocumentConverter c;
    TPluginShelf none;
    c.Options.Plugins = &none;
    std::mt19937 rng(7);
    for (int i = 0; i < 10000; ++i) {
        std::string text = RandomInline(rng);
        ASSERT_EQ(c.ConvertLinks(text), c.TWikiDocumentConverter::ConvertLinks(text)) << text;
        std::string expected = ScanReplace(
            "m/^(.*?)(<.*?>)/k", text,
            [&](const RegexMatch& m, std::string& out) {
                out += ScanReplace(
                    "m/^(.*?)(\\[\\w+:.*?\\])/k", m.Group(1),
                    [&](const RegexMatch& b, std::string& o) {
                        o += c.ConvertInlinePlain(b.Group(1)) + c.ConvertInlinePlugin(b.Group(2));
                    },
                    [&](std::string_view p, std::string& o) { o += c.ConvertInlinePlain(p); });
                out += m.Group(2);
            },
            [&](std::string_view p, std::string& out) {
                out += ScanReplace(
                    "m/^(.*?)(\\[\\w+:.*?\\])/k", p,
                    [&](const RegexMatch& b, std::string& o) {
                        o += c.ConvertInlinePlain(b.Group(1)) + c.ConvertInlinePlugin(b.Group(2));
                    },
                    [&](std::string_view q, std::string& o) { o += c.ConvertInlinePlain(q); });
            });
        c.Footnotes.Clear();
        ASSERT_EQ(c.FootnoteRef(text), c.TWikiDocumentConverter::FootnoteRef(text)) << text;
        std::string actual = c.ConvertInline(text);
        c.Footnotes.Clear();
        ASSERT_EQ(actual, expected) << text;
    }
}

TEST(Hatena, HostileInputEndsWithoutFault) {
    std::mt19937 rng(3);
    std::string noise(1 << 18, '\0');
    for (char& ch : noise)
        ch = static_cast<char>(rng());
    const std::size_t n = 1 << 18;
    for (std::string text :
         {noise, std::string(n, '<'), std::string(n, '['), std::string(n, '('),
          "((" + std::string(n, '<') + "))", "[[a]]" + std::string(n, '['),
          "[a:" + std::string(n, '['), "|" + std::string(n, '|'), std::string(n, '\x81'),
          std::string(n, '\n'), std::string(n / 2, '\0')}) {
        EXPECT_NO_THROW(Convert(text)) << text.substr(0, 8);
    }
    std::string lists, opens;
    for (int i = 0; i < 10000; ++i)
        lists += std::string(1 + i % 3, i % 7 ? '-' : '+') + "x\n";
    for (int i = 0; i < 5000; ++i)
        opens += i % 2 ? ">>\n" : ">|\n";
    std::string html = Convert(lists);
    EXPECT_TRUE(html.ends_with("<li>x</li>\r\n</ul>\r\n"));
    html = Convert(opens); // closed at the end, innermost first
    EXPECT_TRUE(html.ends_with("</blockquote>\r\n</pre>\r\n"));
    auto count = [&](const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = html.find(what); at != std::string::npos;
             at = html.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("</pre>"), 2500u);
    EXPECT_EQ(count("</blockquote>"), 2500u);
}

TEST(Hatena, CorpusPagesConvert) {
    // Real pages of another notation: plenty of brackets, parentheses and tags.
    std::filesystem::path corpus = TARNEL_CORPUS_DIR;
    if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no corpus beside the checkout";
    THatenaDocumentConverter c;
    TPluginShelf none;
    c.Options.Plugins = &none;
    int pages = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(corpus)) {
        if (e.path().extension() != ".txt") continue;
        EXPECT_NO_THROW(c.Convert(e.path().string(), tarnel::testing::ReadBytes(e.path())))
            << e.path();
        ++pages;
    }
    EXPECT_GT(pages, 0);
}

TEST(Hatena, GoldenPages) {
    THatenaDocumentConverter c;
    TPluginShelf none;
    c.Options.Plugins = &none;
    tarnel::testing::ExpectGoldenPages("hatena", c);
}
