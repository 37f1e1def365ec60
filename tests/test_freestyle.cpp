#include "GoldenPages.h"
#include "TestFolder.h"
#include "conversion/UFreeStyleWikiDocumentConverter.h"
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
const std::string kNewPage = "<span class=\"newlink-name\">Page</span><a "
                             "href=\"NewLink:50616765.txt\" class=\"newlink\">?</a>";

// Converts display-form text of a page in a folder where FrontPage exists.
std::string Convert(const std::string& text, int linkMode = 4) {
    static TestFolder folder;
    folder.Write(kFrontPageFile, "x\n");
    TFreeStyleWikiDocumentConverter c;
    TPluginShelf none;
    c.Options.Plugins = &none;
    c.Options.LinkMode = static_cast<TLinkMode>(linkMode);
    c.FileName = folder.Path() + "50616765.txt";
    c.ResetConversionState();
    return c.ConvertBlocks(text);
}

} // namespace

TEST(FreeStyle, BlockRules) {
    struct Case {
        std::string text;
        const char* html;
    } cases[] = {
        {"", ""},
        {"!!!T", "<h2><a name=\"i0\">T</a></h2>\r\n"},
        {"!!T", "<h3><a name=\"i0\">T</a></h3>\r\n"},
        {"! T  ", "<h4><a name=\"i0\"> T</a></h4>\r\n"}, // leading blanks stay, trailing go
        {"!!!!T", "<h2><a name=\"i0\">!T</a></h2>\r\n"},
        {"!A [#top]\n!B", "<h4><a name=\"top\">A</a></h4>\r\n<h4><a name=\"i1\">B</a></h4>\r\n"},
        {"!A [#a-b]", "<h4><a name=\"i0\">A <span class=\"newlink-name\">#a-b</span>"
                      "<a href=\"NewLink:23612D62.txt\" class=\"newlink\">?</a></a></h4>\r\n"},
        // A comment line leaves the open block open.
        {"a\n//c\nb", "<p>\r\nab</p>\r\n"},
        {"*a\n// c\n*b", "<ul class=\"list1\">\r\n  <li>a</li>\r\n  <li>b</li>\r\n</ul>\r\n"},
        {" a<b\n  c", "<pre>\r\na&lt;b\r\n c\r\n</pre>\r\n"},
        {"\"\"q ''e''\n\"\"r", "<blockquote>\r\nq <em>e</em>\r\nr\r\n</blockquote>\r\n"},
        {":t:d:e", "<dl>\r\n  <dt>t</dt>\r\n  <dd>d:e</dd>\r\n</dl>\r\n"},
        {":t", "<p>\r\n:t</p>\r\n"},
        {"a\n-----", "<p>\r\na</p>\r\n<hr>\r\n"},
        {"*a\n***b\n**c\n****d",
         "<ul class=\"list1\">\r\n  <li>a</li>\r\n<ul class=\"list3\">\r\n<ul class=\"list3\">\r\n"
         "  <li>b</li>\r\n</ul>\r\n  <li>c</li>\r\n<ul class=\"list3\">\r\n  <li>*d</li>\r\n"
         "</ul>\r\n</ul>\r\n</ul>\r\n"},
        {"+a\n*b\nc",
         "<ol class=\"list1\">\r\n  <li>a</li>\r\n</ol>\r\n<ul class=\"list1\">\r\n  <li>b</li>\r\n"
         "</ul>\r\n<p>\r\nc</p>\r\n"},
        {"a\nb\n\nc", "<p>\r\nab</p>\r\n<p>\r\nc</p>\r\n"},
        // Open blocks end with the page.
        {",a", "<table>\r\n<tr>\r\n  <th>a</th>\r\n</tr>\r\n</table>\r\n"},
        {"++a",
         "<ol class=\"list2\">\r\n<ol class=\"list2\">\r\n  <li>a</li>\r\n</ol>\r\n</ol>\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Convert(c.text), c.html) << c.text;
}

TEST(FreeStyle, HeadingsFillContentsWithTheirNames) {
    TFreeStyleWikiDocumentConverter c;
    c.Options.MenuBarMode = true;
    c.ResetConversionState();
    c.ConvertBlocks("!!!One ''b'' [#top]  \n!Three");
    ASSERT_EQ(c.Contents.Count(), 2);
    EXPECT_EQ(c.Contents.Item(0).title, "One ''b''");
    EXPECT_EQ(c.Contents.Item(0).anchor, "mtop");
    EXPECT_EQ(c.Contents.Item(0).level, 1);
    EXPECT_EQ(c.Contents.Item(1).anchor, "mi1");
    EXPECT_EQ(c.Contents.Item(1).level, 3);
}

TEST(FreeStyle, HeadingTextAndNameAreThoseOfThePattern) {
    // The heading is split by hand; it must agree with "m/^(.*?)(?:\s*\[#(\w+)\])?\s*$/k",
    // also where a bracket or letter is the second byte of a double-byte character.
    const char* const pieces[] = {" ", "\t", "[",    "#",        "]",        "a",
                                  "_", "-",  "\x81", "\x83\x5B", "\x83\x5D", "\x82\x61"};
    std::mt19937 rng(11);
    TFreeStyleWikiDocumentConverter c;
    TPluginShelf none;
    c.Options.Plugins = &none;
    for (int i = 0; i < 20000; ++i) {
        std::string source;
        for (int n = static_cast<int>(rng() % 10); n > 0; --n)
            source += pieces[rng() % 12];
        c.ResetConversionState();
        c.ConvertBlocks("!" + source);
        RegexMatch m = Search("m/^(.*?)(?:\\s*\\[#(\\w+)\\])?\\s*$/k", source);
        // Where the pattern finds nothing (half a character at the end) the text stays whole.
        ASSERT_EQ(c.Contents.Item(0).title, m.Found() ? m.Group(1) : source) << source;
        ASSERT_EQ(c.Contents.Item(0).anchor, m.Matched(2) ? std::string(m.Group(2)) : "i0")
            << source;
    }
}

TEST(FreeStyle, InlineRules) {
    const std::string front = "<a href=\"WikiLink:" + kFrontPageFile + "\">FrontPage</a>";
    struct Case {
        std::string text;
        std::string html;
        int linkMode = 4;
    } cases[] = {
        {"'''s''' ''e'' ==d== __i__", "<strong>s</strong> <em>e</em> <del>d</del> <ins>i</ins>"},
        {"'''''x'''''", "<em><strong>x</strong></em>"},
        {"==a <b>== == __x", "<del>a &lt;b&gt;</del> == __x"},
        {"[[Page]] [Page]", kNewPage + " " + kNewPage},
        {"[[FrontPage]] [shown|FrontPage]",
         front + " <a href=\"WikiLink:" + kFrontPageFile + "\">shown</a>"},
        {"[FrontPage]", "<a href=\"46726F6E7450616765.html\">FrontPage</a>", 2},
        {"[Page] [x|Page]", "Page x", 2},
        {"[a|http://e.com/] [i.png|http://e.com/]",
         "<a href=\"http://e.com/\">a</a> <a href=\"http://e.com/\"><img src=\"i.png\"></a>"},
        {"http://e.com/a.png?x&y",
         "<a href=\"http://e.com/a.png?x&amp;y\">http://e.com/a.png?x&amp;y</a>"},
        {"http://e.com/p\x82\xA0", "<a href=\"http://e.com/p\">http://e.com/p</a>\x82\xA0"},
        {"FrontPage WikiName", "FrontPage WikiName"}, // no WikiNames in this notation
        // A double opening bracket closed by a single one keeps its text.
        {"[[Page]", "<span class=\"newlink-name\">[Page</span><a href=\"NewLink:5B50616765.txt\" "
                    "class=\"newlink\">?</a>"},
        // An address that runs on over the last bracket of the line.
        {"[x] http://e.com/]]y [",
         "<span class=\"newlink-name\">x</span><a href=\"NewLink:78.txt\" class=\"newlink\">?</a> "
         "<a href=\"http://e.com/]]y\">http://e.com/]]y</a> ["},
        {"[[unclosed [[a|b]", "<span class=\"newlink-name\">[unclosed [[a</span><a "
                              "href=\"NewLink:62.txt\" class=\"newlink\">?</a>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Convert(c.text, c.linkMode), "<p>\r\n" + c.html + "</p>\r\n") << c.text;
}

TEST(FreeStyle, BoundedRulesGiveWhatTheirPatternsGive) {
    // The rules that are shown only part of the text (or whose links are found in three
    // stretches) must give exactly what their patterns give on the whole text.
    const char* const pieces[] = {
        "[", "]", "[[", "]]", "|", "a", " ", "http://e/", "i.png", "{{", "}}", "==", "__",
        "\x83\x5D", "\x83\x5B", "\x83\x7D", "\x81", "''",
        // addresses: every scheme, a letter, digit or character before one, and the bytes
        // that end one (a half-width kana, 0x7F, "(", "<", a line feed)
        "https:", "ftp:x", "mailto:", "file:", "h", "http", "9", "\x82\xA0", "\xB1", "\x7F", "(",
        "<", "\n", "\x83\x41"};
    TFreeStyleWikiDocumentConverter c;
    TPluginShelf none;
    c.Options.Plugins = &none;
    c.FileName = "/nonexistent/wiki/50616765.txt";
    // The pattern run over the whole text, each match written as the element around group 1.
    auto plain = [](const char* pattern, const std::string& element, const std::string& text) {
        return ScanReplace(pattern, text, [&](const RegexMatch& m, std::string& out) {
            out += "<" + element + ">" + std::string(m.Group(1)) + "</" + element + ">";
        });
    };
    std::mt19937 rng(17);
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        for (int n = static_cast<int>(rng() % 14); n > 0; --n)
            text += pieces[rng() % std::size(pieces)];
        ASSERT_EQ(c.ConvertLinks(text), c.TWikiDocumentConverter::ConvertLinks(text)) << text;
        ASSERT_EQ(c.ConvertDeleted(text), plain("m/==(.*?)==/k", "del", text)) << text;
        ASSERT_EQ(c.ConvertInserted(text), plain("m/__(.*?)__/k", "ins", text)) << text;
        std::string whole = ScanReplace(
            "m/^(.*?)({{[^\\x00-\\x20()<>\\x7F-\\xFF]+?.*?}})/k", text,
            [&](const RegexMatch& m, std::string& out) {
                out += c.ConvertInlinePlain(m.Group(1)) + c.ConvertInlinePlugin(m.Group(2));
            },
            [&](std::string_view piece, std::string& out) { out += c.ConvertInlinePlain(piece); });
        ASSERT_EQ(c.ConvertInline(text), whole) << text;
    }
}

TEST(FreeStyle, TableRows) {
    struct Case {
        const char* text;
        const char* html;
    } cases[] = {
        {",a,b\n,c\n,d", "<table>\r\n<tr>\r\n  <th>a</th>\r\n  <th>b</th>\r\n</tr>\r\n<tr>\r\n  "
                         "<td>c</td>\r\n</tr>\r\n"
                         "<tr>\r\n  <td>d</td>\r\n</tr>\r\n</table>\r\n"},
        {",a\n\n,b", "<table>\r\n<tr>\r\n  <th>a</th>\r\n</tr>\r\n</table>\r\n<table>\r\n<tr>\r\n  "
                     "<th>b</th>\r\n</tr>\r\n</table>\r\n"},
        {",\"x,y\" ,\"q\"\"q\",  ''e''  ,",
         "<table>\r\n<tr>\r\n  <th>x,y</th>\r\n  <th>q&quot;q</th>\r\n  <th><em>e</em></th>\r\n  "
         "<th></th>\r\n"
         " </tr>\r\n</table>\r\n"},
        // Text after a closing quote belongs to no cell: written once, escaped, after the cells.
        {",\"a\"b,c", "<table>\r\n<tr>\r\n  <th>a</th>\r\n  <th>c</th>\r\nb</tr>\r\n</table>\r\n"},
        {",a\x82",
         "<table>\r\n<tr>\r\n  <th>a\x82</th>\r\n</tr>\r\n</table>\r\n"}, // half a character at the
                                                                          // end
        {",\"a\"<i>", "<table>\r\n<tr>\r\n  <th>a</th>\r\n&lt;i&gt;</tr>\r\n</table>\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Convert(c.text), c.html) << c.text;
}

TEST(FreeStyle, PluginCalls) {
    TFreeStyleWikiDocumentConverter c;
    EXPECT_THROW(c.ConvertBlocks("a {{probe x}}"), EConvertError);
    TPluginShelf shelf;
    shelf.LoadPlugin(std::string(TARNEL_TEST_PLUGIN_DIR) + "probe.so");
    c.Options.Plugins = &shelf;
    c.FileName = "/wiki/46726F6E7450616765.txt";
    // The arguments are everything after the first blank; the name matches in any case.
    EXPECT_EQ(c.ConvertBlocks("''a''{{PROBE  x <y>}}''b''"),
              "<p>\r\n<em>a</em>[ x &lt;y&gt;| x "
              "<y>|FrontPage|46726F6E7450616765.txt|/wiki/|/|]<em>b</em></p>\r\n");
    EXPECT_EQ(c.ConvertBlocks("{{probe}}"),
              "<p>\r\n[FrontPage|46726F6E7450616765.txt|/wiki/|/|]</p>\r\n");
    EXPECT_EQ(c.ConvertBlocks("{{other x}} {{ probe}} {{probe"),
              "<p>\r\n{{other x}} {{ probe}} {{probe</p>\r\n");
}

TEST(FreeStyle, GoldenPages) {
    TFreeStyleWikiDocumentConverter c;
    TPluginShelf shipped;
    shipped.LoadFolder(std::string(TARNEL_APP_DIR) + "plugin/");
    c.Options.Plugins = &shipped;
    tarnel::testing::ExpectGoldenPages("freestyle", c);
}

TEST(FreeStyle, HostileInputEndsCleanly) {
    // Unclosed marks repeated over one long line must cost one look each, not a walk to
    // the end of the line each (which would not finish), and must not stop the conversion.
    std::mt19937 random(3);
    std::string bytes(200000, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random());
    std::string markup;
    static const char* const kPieces[] = {"!",  "*",  "+",  ",",  ":",    " ",     "''",  "'''",
                                          "[[", "]]", "[",  "]",  "|",    "{{",    "}}",  "\n",
                                          "//", "\"", "==", "__", "\x82", "http:", "[#a]"};
    for (int i = 0; i < 40000; ++i)
        markup += kPieces[random() % std::size(kPieces)];
    auto repeat = [](const std::string& piece, std::size_t bytes) {
        std::string s;
        while (s.size() < bytes)
            s += piece;
        return s;
    };
    std::vector<std::string> inputs = {bytes,
                                       markup,
                                       std::string(1 << 20, 'a'),
                                       std::string("a\0b\n\0", 5),
                                       repeat("*x\n+y\n", 120000),
                                       "!a" + std::string(100000, ' ') + "b",
                                       "x" + repeat("==x", 300000) + "\x81=="};
    for (const char* piece :
         {"[", "[[", "{{", "{{a", "==x", "__x", "[[a] ", ",\"", "\"\"", "http://[", "[#"})
        inputs.push_back("x" + repeat(piece, 300000));
    for (const std::string& input : inputs) {
        TFreeStyleWikiDocumentConverter c;
        TPluginShelf none;
        c.Options.Plugins = &none;
        std::string html;
        c.ResetConversionState();
        ASSERT_NO_THROW(html = c.ConvertBlocks(input)) << input.substr(0, 20);
        EXPECT_FALSE(html.empty());
    }
}
