// The converter framework: blocks, escaping, anchors, links, footnotes, contents, the
// factory and plug-in calls. YukiWiki serves as the concrete notation.
#include "TestFolder.h"
#include "conversion/UWikiDocumentConverterMaker.h"
#include "conversion/UYukiWikiDocumentConverter.h"
#include "plugins/UPluginShelf.h"
#include "storage/UWikiFileList.h"
#include "text/BRegExp.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <random>

using namespace tarnel;
using tarnel::testing::TestFolder;

namespace {

// Converts display-form text directly, without the EUC-JP step of Convert.
std::string Blocks(TWikiDocumentConverter& c, const std::string& text) {
    c.ResetConversionState();
    return c.ConvertBlocks(text);
}

struct Wiki {
    TestFolder folder;
    TYukiWikiDocumentConverter converter;
    explicit Wiki(std::initializer_list<const char*> pages = {}) {
        for (const char* page : pages)
            folder.Write(EncodePageName(page, false) + ".txt", "x\n");
        converter.FileName = folder.Path() + "46726F6E7450616765.txt";
    }
    std::string Links(const std::string& text) { return converter.ConvertLinks(text); }
};

} // namespace

TEST(Converter, EscapeHtmlEscapesFourCharactersAndExistingEntitiesAgain) {
    EXPECT_EQ(TWikiDocumentConverter::EscapeHtml("a&b<c>d\"e'"), "a&amp;b&lt;c&gt;d&quot;e'");
    EXPECT_EQ(TWikiDocumentConverter::EscapeHtml("&amp;"), "&amp;amp;");
    EXPECT_EQ(TWikiDocumentConverter::EscapeHtml("\x83\x7C"), "\x83\x7C");
}

TEST(Converter, TextHelpers) {
    EXPECT_EQ(TWikiDocumentConverter::StripTags("<a href=\"x\">link</a> and <b>b</b>"),
              "link and b");
    EXPECT_EQ(TWikiDocumentConverter::ReplaceAll("a..b", "\\.", "-"), "a--b");
    EXPECT_EQ(TWikiDocumentConverter::ReplaceAll("x\"\"y", "\"\"", "\""), "x\"y");
    for (const char* image : {"http://x/a.png", "a.GIF", "b.jpeg", "c.JPG"})
        EXPECT_TRUE(TWikiDocumentConverter::IsImageFile(image)) << image;
    for (const char* other : {"http://x/a.png/", "a.pngx", "noext", "http://x.png/page"})
        EXPECT_FALSE(TWikiDocumentConverter::IsImageFile(other)) << other;
    EXPECT_TRUE(TWikiDocumentConverter::IsUrl("mailto:a@b"));
    EXPECT_FALSE(TWikiDocumentConverter::IsUrl("xhttp://a"));
    EXPECT_FALSE(TWikiDocumentConverter::IsUrl("gopher://a"));
}

TEST(Converter, SplitLinesAtEveryLineEnd) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(SplitLines("a\nb\r\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\n"), (V{"a"}));
    EXPECT_EQ(SplitLines("a\n\n"), (V{"a", ""}));
    EXPECT_EQ(SplitLines(""), V{});
}

TEST(Converter, NestedBlocksOpenAndCloseOnlyTheDifference) {
    TYukiWikiDocumentConverter c;
    EXPECT_EQ(
        Blocks(c, "---a\n-b"),
        "<ul>\r\n<ul>\r\n<ul>\r\n  <li>a</li>\r\n</ul>\r\n</ul>\r\n  <li>b</li>\r\n</ul>\r\n");
    EXPECT_EQ(
        Blocks(c, "-a\n---b"),
        "<ul>\r\n  <li>a</li>\r\n<ul>\r\n<ul>\r\n  <li>b</li>\r\n</ul>\r\n</ul>\r\n</ul>\r\n");
    // A plain line continues the list; after an empty line a paragraph follows, and
    // two paragraph lines run together.
    EXPECT_EQ(Blocks(c, "--a\nmore\n\np\nq"),
              "<ul>\r\n<ul>\r\n  <li>a</li>\r\nmore\r\n</ul>\r\n</ul>\r\n<p>\r\npq</p>\r\n");
    // Any other block closes every level of the list.
    EXPECT_EQ(Blocks(c, "--a\n,x"), "<ul>\r\n<ul>\r\n  <li>a</li>\r\n</ul>\r\n</ul>\r\n<table>\r\n"
                                    "<tr>\r\n  <td>x</td>\r\n</tr>\r\n</table>\r\n");
    // A list after a quotation closes the whole quotation nest.
    EXPECT_EQ(Blocks(c, ">>q\n-a"),
              "<blockquote>\r\n<blockquote>\r\nq\r\n</blockquote>\r\n</blockquote>\r\n"
              "<ul>\r\n  <li>a</li>\r\n</ul>\r\n");
    EXPECT_EQ(Blocks(c, ""), "");
}

TEST(Converter, AnchorsRestartEveryConversionAndCarryMenuPrefix) {
    TYukiWikiDocumentConverter c;
    EXPECT_EQ(Blocks(c, "*a\n*b"),
              "<h2><a name=\"i0\">a</a></h2>\r\n<h2><a name=\"i1\">b</a></h2>\r\n");
    EXPECT_EQ(Blocks(c, "*c"), "<h2><a name=\"i0\">c</a></h2>\r\n");
    c.Options.MenuBarMode = true;
    EXPECT_EQ(Blocks(c, "*c"), "<h2><a name=\"mi0\">c</a></h2>\r\n");
}

TEST(Converter, ConvertDecodesStoredTextAndTitle) {
    TYukiWikiDocumentConverter c;
    c.Convert("/w/A4A2.txt", "\xA4\xA2\n");
    EXPECT_EQ(c.Html, "<p>\r\n\x82\xA0</p>\r\n");
    EXPECT_EQ(c.Title, "\x82\xA0");
    c.Convert("/w/notapage.txt", "");
    EXPECT_EQ(c.Html, "");
    EXPECT_EQ(c.Title, "");
    c.Options.Utf8FileNames = true;
    c.Convert("/w/E38182.txt", "");
    EXPECT_EQ(c.Title, "\x82\xA0");
}

TEST(Links, EveryLinkModeForExistingAndMissingPages) {
    Wiki w({"FrontPage", "Exists"});
    const std::string existing = "<a href=\"WikiLink:46726F6E7450616765.txt\">FrontPage</a>";
    const std::string missingWiki = "<span class=\"newlink-name\">NoPage</span><a "
                                    "href=\"NewLink:4E6F50616765.txt\" class=\"newlink\">?</a>";
    const std::string missingBracket = "<span class=\"newlink-name\">gone</span><a "
                                       "href=\"NewLink:676F6E65.txt\" class=\"newlink\">?</a>";

    w.converter.Options.LinkMode = TLinkMode::Browse;
    EXPECT_EQ(w.Links("FrontPage"), existing);
    EXPECT_EQ(w.Links("NoPage"), missingWiki);
    EXPECT_EQ(w.Links("[[gone]]"), missingBracket);
    EXPECT_EQ(w.Links("[[Exists]]"), "<a href=\"WikiLink:457869737473.txt\">Exists</a>");

    w.converter.Options.LinkMode =
        TLinkMode::BrowseQuiet; // missing WikiNames stay text; bracketed names keep "?"
    EXPECT_EQ(w.Links("NoPage"), "NoPage");
    EXPECT_EQ(w.Links("[[gone]]"), missingBracket);
    EXPECT_EQ(w.Links("FrontPage"), existing);

    w.converter.Options.LinkMode =
        TLinkMode::Export; // export: .html files, missing pages are plain text
    EXPECT_EQ(w.Links("FrontPage"), "<a href=\"46726F6E7450616765.html\">FrontPage</a>");
    EXPECT_EQ(w.Links("[[gone]]"), "gone");
    EXPECT_EQ(w.Links("NoPage"), "NoPage");
}

TEST(Links, Utf8FileNamesInHrefAndExistenceTest) {
    TestFolder folder;
    folder.Write("E38182.txt", "x\n"); // hiragana a, UTF-8 name
    TYukiWikiDocumentConverter c;
    c.FileName = folder.Path() + "46726F6E7450616765.txt";
    c.Options.Utf8FileNames = true;
    EXPECT_EQ(c.ConvertLinks("[[\x82\xA0]]"), "<a href=\"WikiLink:E38182.txt\">\x82\xA0</a>");
    c.Options.Utf8FileNames = false;
    EXPECT_EQ(c.ConvertLinks("[[\x82\xA0]]"), "<span class=\"newlink-name\">\x82\xA0</span><a "
                                              "href=\"NewLink:A4A2.txt\" class=\"newlink\">?</a>");
}

TEST(Links, WikiNamesAndAddresses) {
    Wiki w({"WikiName", "WIkiName"});
    // Strict: capitalised words. Two capitals in a row are not a WikiName.
    EXPECT_EQ(w.Links("WIkiName"), "WIkiName");
    EXPECT_EQ(w.Links("Wikiname"), "Wikiname");
    EXPECT_EQ(w.Links("WikiName\x82\xA0"),
              "<a href=\"WikiLink:57696B694E616D65.txt\">WikiName</a>\x82\xA0");
    w.converter.Options.LooseWikiName = true;
    EXPECT_EQ(w.Links("WIkiName"), "<a href=\"WikiLink:57496B694E616D65.txt\">WIkiName</a>");

    // An address ends at a Japanese character; escaped characters right after it join it.
    EXPECT_EQ(w.Links("http://a.jp/x\x82\xA0"),
              "<a href=\"http://a.jp/x\">http://a.jp/x</a>\x82\xA0");
    EXPECT_EQ(w.Links("http://a.jp/?a=1&amp;b=2 c"),
              "<a href=\"http://a.jp/?a=1&amp;b=2\">http://a.jp/?a=1&amp;b=2</a> c");
    EXPECT_EQ(w.Links("(http://a.jp/)"), "(<a href=\"http://a.jp/\">http://a.jp/</a>)");
    EXPECT_EQ(w.Links("http://a.jp/i.png"),
              "<a href=\"http://a.jp/i.png\"><img src=\"http://a.jp/i.png\"></a>");
}

// Exposes the footnote slots of the base, which YukiWiki itself does not use.
class FootnoteConverter : public TYukiWikiDocumentConverter {
public:
    using TYukiWikiDocumentConverter::AddFootnote;
};

TEST(Footnotes, MarksAndListPointAtEachOther) {
    FootnoteConverter c;
    std::string first = c.FootnoteRef("see <a href=\"x\">this</a>");
    c.AddFootnote("see <a href=\"x\">this</a>");
    std::string second = c.FootnoteRef("two");
    c.AddFootnote("two");
    EXPECT_EQ(first, "<span class=\"footnote\"><a class=\"footnote\" title=\"see this\" "
                     "href=\"InnerLink:#f1\" name=\"fn1\">*1</a></span>");
    EXPECT_EQ(second, "<span class=\"footnote\"><a class=\"footnote\" title=\"two\" "
                      "href=\"InnerLink:#f2\" name=\"fn2\">*2</a></span>");
    EXPECT_EQ(c.FootnotesHtml(),
              "<div class=\"footnote\">"
              "<span class=\"footnote\"><a class=\"footnote\" href=\"InnerLink:#fn1\" "
              "name=\"f1\">*1</a></span>"
              "<span class=\"footnote_caption\">see <a href=\"x\">this</a></span><br>\r\n"
              "<span class=\"footnote\"><a class=\"footnote\" href=\"InnerLink:#fn2\" "
              "name=\"f2\">*2</a></span>"
              "<span class=\"footnote_caption\">two</span><br>\r\n</div>");
    c.Options.LinkMode = TLinkMode::Export;
    EXPECT_NE(c.FootnotesHtml().find("href=\"#fn1\""), std::string::npos);
    c.Footnotes.Clear();
    EXPECT_EQ(c.FootnotesHtml(), "");
}

TEST(Contents, BlockNestsByLevel) {
    TYukiWikiDocumentConverter c;
    Blocks(c, "*A\n**B\n**C\n*D");
    EXPECT_EQ(c.ContentsHtml(false),
              "<div class=\"toc\">\r\n<ul class=\"toc-1\">\r\n<li><a href=\"InnerLink:#i0\">A</a>"
              "\r\n<ul class=\"toc-2\">\r\n<li><a href=\"InnerLink:#i1\">B</a></li>\r\n"
              "<li><a href=\"InnerLink:#i2\">C</a></li>\r\n</ul>\r\n</li>\r\n"
              "<li><a href=\"InnerLink:#i3\">D</a></li>\r\n</ul>\r\n</div>\r\n");
    ASSERT_EQ(c.Contents.Count(), 4);
    EXPECT_EQ(c.Contents.DisplayText(1), "  B");

    // A first heading of level 2 opens both lists at once; everything closes at the end.
    Blocks(c, "**x");
    EXPECT_EQ(c.ContentsHtml(false),
              "<div class=\"toc\">\r\n<ul class=\"toc-1\">\r\n<li>\r\n<ul class=\"toc-2\">\r\n"
              "<li><a href=\"InnerLink:#i0\">x</a></li>\r\n</ul>\r\n</li>\r\n</ul>\r\n</div>\r\n");

    Blocks(c, "*a&b\n***deep\n*z");
    std::string toc = c.ContentsHtml(true);
    EXPECT_NE(toc.find(">a&amp;b</a>"), std::string::npos);
    // Every list that opens also closes.
    auto count = [&](const std::string& s) {
        std::size_t n = 0;
        for (std::size_t p = toc.find(s); p != std::string::npos; p = toc.find(s, p + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("<ul"), count("</ul>"));
    EXPECT_EQ(count("<li>"), count("</li>"));

    Blocks(c, "no headings");
    EXPECT_EQ(c.ContentsHtml(false), "");
}

TEST(Factory, NotationIdentifiersAndIndexes) {
    using M = TWikiDocumentConverterMaker;
    EXPECT_EQ(M::NotationToIndex(TWikiNotation::None), -1);
    EXPECT_EQ(M::IndexToNotation(-1), TWikiNotation::None);
    EXPECT_EQ(M::NotationToIndex(TWikiNotation::Markdown), 7);
    EXPECT_EQ(M::IndexToNotation(7), TWikiNotation::Markdown);
    EXPECT_EQ(M::NotationToIndex(static_cast<TWikiNotation>(9)), 0);
    EXPECT_EQ(M::IndexToNotation(8), TWikiNotation::YukiWiki);
    EXPECT_EQ(M::IndexToNotation(-2), TWikiNotation::YukiWiki);
    for (int i = -1; i < 8; ++i)
        EXPECT_EQ(M::NotationToIndex(M::IndexToNotation(i)), i);

    for (int bad : {0, 9, 255}) {
        try {
            M::GetWikiDocumentConverter(static_cast<TWikiNotation>(bad), TConverterOptions{});
            FAIL() << bad;
        } catch (const ERangeError& e) {
            EXPECT_STREQ(e.what(), "invalid type at GetWikiDocumentConverter()");
        }
    }
    TPluginShelf shelf;
    TConverterOptions options;
    options.Plugins = &shelf;
    options.TemplateFolder = "/t";
    options.LinkMode = TLinkMode::Export;
    options.Extension = ".wiki";
    options.Utf8FileNames = true;
    options.KeepLineBreaks = true;
    auto c = M::GetWikiDocumentConverter(TWikiNotation::YukiWiki, options);
    EXPECT_NE(dynamic_cast<TYukiWikiDocumentConverter*>(c.get()), nullptr);
    EXPECT_EQ(c->Options.Plugins, &shelf);
    EXPECT_EQ(c->Options.TemplateFolder, "/t");
    EXPECT_EQ(c->Options.LinkMode, TLinkMode::Export);
    EXPECT_EQ(c->Options.Extension, ".wiki");
    EXPECT_TRUE(c->Options.Utf8FileNames);
    EXPECT_TRUE(c->Options.KeepLineBreaks);
}

TEST(Plugins, CallsNeedAShelfAndUnknownNamesStayText) {
    TYukiWikiDocumentConverter c;
    try {
        Blocks(c, "a &br() b");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Do not create instance of plugin.");
    }
    TPluginShelf empty;
    c.Options.Plugins = &empty;
    EXPECT_EQ(Blocks(c, "a &nothing(x<y) b"), "<p>\r\na &amp;nothing(x&lt;y) b</p>\r\n");

    TPluginShelf shipped;
    shipped.LoadFolder(std::string(TARNEL_APP_DIR) + "plugin/");
    ASSERT_NE(shipped.Find("br", true), nullptr);
    c.Options.Plugins = &shipped;
    EXPECT_EQ(Blocks(c, "a&br()b"), "<p>\r\na<br>b</p>\r\n");
    EXPECT_EQ(Blocks(c, "&BR()"), "<p>\r\n&amp;BR()</p>\r\n")
        << "YukiWiki looks names up with case";
}

// The link pass skips the bracketed form where no "]]" follows; the result must be what
// one plain pass of the whole pattern gives.
TEST(Links, ShortcutGivesTheSameResultAsOnePlainPass) {
    Wiki w({"FrontPage"});
    auto plain = [&](const std::string& text) {
        return ScanReplace(w.converter.LinkPattern(), text,
                           [&](const RegexMatch& m, std::string& out) {
                               out += w.converter.ConvertLink(m.Group(1));
                           });
    };
    std::mt19937 random(11);
    static const char* const kPieces[] = {"[[",       "]]",        "[",        "]",   "Front",
                                          "Page",     "http://a/", " ",        "x",   "\x82\xA0",
                                          "\x83\x5D", "\n",        "WikiName", "&gt;"};
    for (bool loose : {false, true}) {
        w.converter.Options.LooseWikiName = loose;
        for (int round = 0; round < 2000; ++round) {
            std::string text;
            int n = static_cast<int>(random() % 24);
            for (int i = 0; i < n; ++i)
                text += kPieces[random() % 14];
            ASSERT_EQ(w.Links(text), plain(text)) << text;
        }
    }
}

TEST(Links, ManyUnclosedBracketsAndAngleBracketsStayLinear) {
    // Each of these took minutes when every "[[" or "<" scanned to the end of the line.
    Wiki w;
    std::string brackets = "]] " + std::string(200000, '[');
    EXPECT_TRUE(w.Links(brackets) == brackets);
    std::string angles(200000, '<');
    EXPECT_TRUE(TWikiDocumentConverter::StripTags("x>" + angles) == "x>" + angles);
    EXPECT_EQ(TWikiDocumentConverter::StripTags(angles + "<b>x"), "x")
        << "the first < runs to the >";
}

TEST(Converter, BrokenDoubleBytePairsBecomeQuestionMarks) {
    // A lead byte before a line end would otherwise swallow the line end into a character.
    // (EUC-JP 0x8E 0x81 is a broken half-width pair; its second byte is a Shift_JIS lead.)
    TYukiWikiDocumentConverter c;
    c.Convert("/w/41.txt", "*a\x8E\x81\n-b\n");
    EXPECT_EQ(c.Html, "<h2><a name=\"i0\">a?</a></h2>\r\n<ul>\r\n  <li>b</li>\r\n</ul>\r\n");
    EXPECT_EQ(RepairShiftJis("\x82\xA0\x81\n\x82"), "\x82\xA0?\n?");
    FootnoteConverter f;
    EXPECT_NE(f.FootnoteRef(std::string("ab\0cd", 5)).find(std::string("title=\"ab\0cd\"", 13)),
              std::string::npos);
}

// Convert starts every page from nothing: no heading, footnote or anchor number of the page
// converted before reaches the next one, in any notation.
TEST(Converter, ConvertLeavesNothingOfThePageBefore) {
    struct Case {
        TWikiNotation notation;
        std::string first, second; // stored form
    };
    const Case cases[] = {
        {TWikiNotation::YukiWiki, "*A\n*B\n", "*C\n"},
        {TWikiNotation::PukiWiki, "*A\n*B((note))\n", "*C\n"},
        {TWikiNotation::Hatena, "*A\n*B((note))\n", "*C\n"},
        {TWikiNotation::Markdown, "# A\n\n# B\n", "# C\n"},
    };
    for (const Case& c : cases) {
        TPluginShelf none;
        TConverterOptions options;
        options.Plugins = &none;
        auto converter = TWikiDocumentConverterMaker::GetWikiDocumentConverter(c.notation, options);
        converter->Convert("/w/41.txt", c.first);
        ASSERT_EQ(converter->Contents.Count(), 2) << static_cast<int>(c.notation);
        converter->Convert("/w/42.txt", c.second);
        EXPECT_EQ(converter->Contents.Count(), 1) << static_cast<int>(c.notation);
        EXPECT_EQ(converter->Footnotes.Count(), 0) << static_cast<int>(c.notation);
        EXPECT_EQ(converter->Title, "B") << static_cast<int>(c.notation);
        EXPECT_NE(converter->Html.find("i0"), std::string::npos) << converter->Html;
        EXPECT_EQ(converter->Html.find("i1"), std::string::npos) << converter->Html;
    }
}
