#include "GoldenPages.h"
#include "conversion/UYukiWikiDocumentConverter.h"
#include "plugins/UPluginShelf.h"

#include <gtest/gtest.h>

#include <random>

using namespace tarnel;

namespace {

std::string Convert(const std::string& displayText) {
    TYukiWikiDocumentConverter c;
    TPluginShelf none;
    c.Options.Plugins = &none;
    c.ResetConversionState();
    return c.ConvertBlocks(displayText);
}

} // namespace

TEST(YukiWiki, BlockRules) {
    struct Case {
        const char* text;
        const char* html;
    } cases[] = {
        {"*T", "<h2><a name=\"i0\">T</a></h2>\r\n"},
        {"**T", "<h3><a name=\"i0\">T</a></h3>\r\n"},
        {"***T", "<h4><a name=\"i0\">T</a></h4>\r\n"},
        {"* spaced", "<h2><a name=\"i0\"> spaced</a></h2>\r\n"}, // text after marks is not trimmed
        {" a<b", "<pre>\r\na&lt;b\r\n</pre>\r\n"},
        {"--(\n''b''\n--)", "<pre class=\"verbatim-soft\">\r\n<b>b</b>\r\n</pre>\r\n"},
        {"---(\n''b''\n---)", "<pre class=\"verbatim-hard\">\r\n''b''\r\n</pre>\r\n"},
        {"----", "<hr>\r\n"},
        {"-----x", "<hr>\r\n"},
        {":t:d", "<dl>\r\n  <dt>t</dt>\r\n  <dd>d</dd>\r\n</dl>\r\n"},
        {"::", "<dl>\r\n  <dt></dt>\r\n  <dd></dd>\r\n</dl>\r\n"},
        {":no second colon", "<p>\r\n:no second colon</p>\r\n"},
        {"-a\n--b\n-c",
         "<ul>\r\n  <li>a</li>\r\n<ul>\r\n  <li>b</li>\r\n</ul>\r\n  <li>c</li>\r\n</ul>\r\n"},
        {">a\nb", "<blockquote>\r\na\r\nb\r\n</blockquote>\r\n"},
        {"p\n\nq", "<p>\r\np</p>\r\n<p>\r\nq</p>\r\n"},
        // Unterminated verbatim blocks end with the page.
        {"--(\nx", "<pre class=\"verbatim-soft\">\r\nx\r\n</pre>\r\n"},
        {"---(\n-x", "<pre class=\"verbatim-hard\">\r\n-x\r\n</pre>\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Convert(c.text), c.html) << c.text;
}

TEST(YukiWiki, HeadingsFillContents) {
    TYukiWikiDocumentConverter c;
    c.ResetConversionState();
    c.ConvertBlocks("*One ''b''\n***Three");
    ASSERT_EQ(c.Contents.Count(), 2);
    EXPECT_EQ(c.Contents.Item(0).title, "One ''b''"); // listed unconverted
    EXPECT_EQ(c.Contents.Item(0).anchor, "i0");
    EXPECT_EQ(c.Contents.Item(0).level, 1);
    EXPECT_EQ(c.Contents.Item(1).level, 3);
}

TEST(YukiWiki, InlineDecorations) {
    struct Case {
        const char* text;
        const char* html;
    } cases[] = {
        {"''b''", "<b>b</b>"},
        {"'''i'''", "<i>i</i>"}, // three apostrophes are taken before two
        {"''a'' ''b''", "<b>a</b> <b>b</b>"},
        {"'''''x'''''", "<b><i>x</i></b>"},
        {"it's", "it's"},
        {"<b>&", "&lt;b&gt;&amp;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Convert(c.text), std::string("<p>\r\n") + c.html + "</p>\r\n") << c.text;
}

TEST(YukiWiki, TableRows) {
    struct Case {
        const char* line;
        const char* cells; // between <tr>\r\n and </tr>\r\n
    } cases[] = {
        {",a,b", "  <td>a</td>\r\n  <td>b</td>\r\n"},
        {",a,==,c", "  <td colspan=\"2\">a</td>\r\n  <td>c</td>\r\n"},
        {",a,==,==", "  <td colspan=\"3\">a</td>\r\n"},
        {", c , r,l ",
         "  <td class=\"center\">c</td>\r\n  <td class=\"right\">r</td>\r\n  <td>l</td>\r\n"},
        {",\"x,y\",\"say \"\"hi\"\"\"", "  <td>x,y</td>\r\n  <td>say &quot;hi&quot;</td>\r\n"},
        {",a,", "  <td>a</td>\r\n<td></td>\r\n"}, // an empty last cell
        {",", "<td></td>\r\n"},
        {",==,a",
         "  <td colspan=\"2\">a</td>\r\n"}, // a span with nothing to its left widens the next
        {",\"open,b", "  <td>&quot;open</td>\r\n  <td>b</td>\r\n"},
        {",\"q\"junk,b", "  <td>q</td>\r\n  <td>b</td>\r\n"}, // junk after a quoted cell is dropped
        {",FrontPage",
         "  <td><span class=\"newlink-name\">FrontPage</span>"
         "<a href=\"NewLink:46726F6E7450616765.txt\" class=\"newlink\">?</a></td>\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Convert(c.line),
                  std::string("<table>\r\n<tr>\r\n") + c.cells + "</tr>\r\n</table>\r\n")
            << c.line;
    }
}

TEST(YukiWiki, GoldenPages) {
    TYukiWikiDocumentConverter c;
    TPluginShelf shipped;
    shipped.LoadFolder(std::string(TARNEL_APP_DIR) + "plugin/");
    c.Options.Plugins = &shipped;
    tarnel::testing::ExpectGoldenPages("yukiwiki", c);
}

TEST(YukiWiki, HostileInputEndsCleanly) {
    std::mt19937 random(7);
    std::string bytes(200000, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random());
    std::string markup;
    for (int i = 0; i < 20000; ++i) {
        static const char* const kPieces[] = {"*",  "-",   ">",    ",",    ":",   " ",
                                              "''", "'''", "[[",   "]]",   "&x(", ")",
                                              "\n", "--(", "---(", "\x82", "\"",  "=="};
        markup += kPieces[random() % 18];
    }
    std::string inputs[] = {
        bytes,
        markup,
        std::string(1 << 20, 'a'), // a 1 MB line
        std::string(1 << 16, ','), // a row of 65536 empty cells
        [] {
            std::string s;
            for (int i = 0; i < 10000; ++i)
                s += "---item\n-x\n";
            return s;
        }(),
        "--(\n" + std::string(100000, '\''),
        std::string("a\0b\n\0", 5),
        std::string(50000, '[') + std::string(50000, ']'),
    };
    for (const std::string& input : inputs) {
        std::string html;
        ASSERT_NO_THROW(html = Convert(input));
        EXPECT_FALSE(html.empty());
    }
}

TEST(YukiWiki, UnclosedCallsAndStrayTableTextAreSafe) {
    std::string calls;
    for (int i = 0; i < 5000; ++i)
        calls += "&a(";
    std::string html;
    ASSERT_NO_THROW(html = Convert(calls + "''b'')"));
    EXPECT_NE(html.find("<b>b</b>"), std::string::npos);
    // A decoration across the last ")" is still one piece of text.
    EXPECT_EQ(Convert("''a)b''"), "<p>\r\n<b>a)b</b></p>\r\n");
    EXPECT_EQ(Convert(",\"a\"<i>"),
              "<table>\r\n<tr>\r\n  <td>a</td>\r\n&lt;i&gt;</tr>\r\n</table>\r\n");
    EXPECT_NO_THROW(Convert(",a\x82"));
}
