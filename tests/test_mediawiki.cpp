#include "GoldenPages.h"
#include "TestFolder.h"
#include "conversion/UMediaWikiDocumentConverter.h"
#include "plugins/UPluginShelf.h"
#include "text/BRegExp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace tarnel;

namespace {

const std::string kPo = "\x83\x7C"; // Shift_JIS katakana "po": its trail byte is "|"

std::string Convert(const std::string& displayText) {
    TMediaWikiDocumentConverter c;
    TPluginShelf none;
    c.Options.Plugins = &none;
    c.ResetConversionState();
    return c.ConvertBlocks(displayText);
}

std::string Random(std::mt19937& rng, std::initializer_list<const char*> pieces, int most) {
    std::string s;
    for (int n = static_cast<int>(rng() % most); n > 0; --n)
        s += *(pieces.begin() + rng() % pieces.size());
    return s;
}

} // namespace

TEST(MediaWiki, BlockRules) {
    struct Case {
        std::string text;
        const char* html;
    } cases[] = {
        {"== T ==", "<h2><a name=\"i0\">T </a></h2>\r\n"}, // the blank before the closing run stays
        {"===T===", "<h3><a name=\"i0\">T</a></h3>\r\n"},
        {"==== T ====", "<h4><a name=\"i0\">T </a></h4>\r\n"},
        {"===== T =====", "<h4><a name=\"i0\">= T =</a></h4>\r\n"},
        {"==== T ===", "<h3><a name=\"i0\">= T </a></h3>\r\n"},
        {"====", "<p>\r\n====\r\n</p>\r\n"},
        {"== T", "<p>\r\n== T\r\n</p>\r\n"},
        {" a<b\n  c", "<pre>\r\na&lt;b\r\n c\r\n</pre>\r\n"},
        {"; t : d", "<dl>\r\n  <dt>t</dt>\r\n  <dd>d</dd>\r\n</dl>\r\n"},
        {";t: d", "<p>\r\n;t: d\r\n</p>\r\n"}, // a blank before the colon is needed
        {"; a b  :  c : d", "<dl>\r\n  <dt>a b</dt>\r\n  <dd>c : d</dd>\r\n</dl>\r\n"},
        {"-----", "<hr>\r\n"},
        {"*a\n**b\n*c",
         "<ul class=\"list1\">\r\n  <li>a</li>\r\n<ul class=\"list2\">\r\n  <li>b</li>\r\n</ul>\r\n"
         "  <li>c</li>\r\n</ul>\r\n"},
        {"#a\n####b\nmore\n\nx",
         "<ol class=\"list1\">\r\n  <li>a</li>\r\n<ol class=\"list3\">\r\n<ol class=\"list3\">\r\n"
         "  <li>#b</li>\r\nmore\r\n</ol>\r\n</ol>\r\n</ol>\r\n<p>\r\nx\r\n</p>\r\n"},
        {"a\nb\n\nc", "<p>\r\na\r\nb\r\n</p>\r\n<p>\r\nc\r\n</p>\r\n"},
        {"*a\n#b\n----\n c",
         "<ul class=\"list1\">\r\n  <li>a</li>\r\n</ul>\r\n<ol class=\"list1\">\r\n  <li>b</li>\r\n"
         "</ol>\r\n<hr>\r\n<pre>\r\nc\r\n</pre>\r\n"},
        // Unterminated blocks end with the page.
        {"a\n*b", "<p>\r\na\r\n</p>\r\n<ul class=\"list1\">\r\n  <li>b</li>\r\n</ul>\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Convert(c.text), c.html) << c.text;
}

TEST(MediaWiki, HeadingsFillContentsLikeTheirPatterns) {
    // Headings are tried only on lines that start and end with their run of "=": the
    // levels and texts must be those of the three patterns tried in order on every line.
    const char* const patterns[] = {"m/^====\\s*(.+)\\s*====$/k", "m/^===\\s*(.+)\\s*===$/k",
                                    "m/^==\\s*(.+)\\s*==$/k"};
    std::mt19937 rng(5);
    TMediaWikiDocumentConverter c;
    int headings = 0;
    for (int i = 0; i < 5000; ++i) {
        std::string line = rng() % 2 ? "==" : "";
        line += Random(rng, {"=", "=", " ", "a", "\x83\x3D", "\x81"}, 12);
        if (rng() % 2) line += "==";
        c.ResetConversionState();
        c.ConvertBlocks(line);
        int level = 0;
        std::string text;
        for (int k = 0; k < 3 && level == 0; ++k) {
            RegexMatch m = Search(patterns[k], line);
            if (m.Found()) level = 3 - k, text = m.Group(1);
        }
        ASSERT_EQ(c.Contents.Count(), level ? 1 : 0) << line;
        if (level) {
            EXPECT_EQ(c.Contents.Item(0).level, level) << line;
            EXPECT_EQ(c.Contents.Item(0).title, text) << line;
            ++headings;
        }
    }
    EXPECT_GT(headings, 100);
    c.ResetConversionState();
    c.ConvertBlocks("== ''a'' ==");
    EXPECT_EQ(c.Contents.Item(0).title, "''a'' "); // listed unconverted
}

TEST(MediaWiki, DefinitionPatternFindsTheSameTerm) {
    // The definition pattern is written so that blank runs do not make it quadratic; it must
    // find what "m/^;\s*(.*?)\s* :\s*(.*)$/k" finds.
    std::mt19937 rng(11);
    int found = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string line = ";" + Random(rng, {" ", " ", "\t", ":", "a", kPo.c_str(), "\x81"}, 10);
        RegexMatch m = Search("m/^;\\s*(.*?)\\s* :\\s*(.*)$/k", line);
        std::string html = Convert(line);
        std::string expected = m.Found() ? "<dl>\r\n  <dt>" + std::string(m.Group(1)) +
                                               "</dt>\r\n  <dd>" + std::string(m.Group(2)) +
                                               "</dd>\r\n</dl>\r\n"
                                         : "<p>\r\n" + line + "\r\n</p>\r\n";
        ASSERT_EQ(html, expected) << line;
        found += m.Found();
    }
    EXPECT_GT(found, 1000);
}

TEST(MediaWiki, InlineRules) {
    tarnel::testing::TestFolder folder;
    folder.Write("50616765.txt", "");           // "Page" exists
    folder.Write("46726F6E7450616765.txt", ""); // and so does "FrontPage"
    const char* newPage = "<span class=\"newlink-name\">New</span><a href=\"NewLink:4E6577.txt\" "
                          "class=\"newlink\">?</a>";
    struct Case {
        int linkMode;
        std::string text;
        std::string html;
    } cases[] = {
        {4, "'''b''' ''i'' '''''bi''''' it's", "<b>b</b> <i>i</i> <i><b>bi</b></i> it's"},
        {4, "<a href=\"http://x/\">''x''</a> & <", "<a href=\"http://x/\"><i>x</i></a> & <"},
        {4, "FrontPage NoSuchPage",
         "<a href=\"WikiLink:46726F6E7450616765.txt\">FrontPage</a> <span "
         "class=\"newlink-name\">NoSuchPage</span>"
         "<a href=\"NewLink:4E6F5375636850616765.txt\" class=\"newlink\">?</a>"},
        {4, "[[Page|the page]] [[New]]",
         "<a href=\"WikiLink:50616765.txt\">the page</a> " + std::string(newPage)},
        {4, "[[http://x/|site]] http://x/i.PNG",
         "<a href=\"http://x/\">site</a> <a href=\"http://x/i.PNG\"><img "
         "src=\"http://x/i.PNG\"></a>"},
        {3, "[[New]] NoSuchPage", std::string(newPage) + " NoSuchPage"},
        {2, "[[Page|p]] [[New|n]] FrontPage",
         "<a href=\"50616765.html\">p</a> n <a href=\"46726F6E7450616765.html\">FrontPage</a>"},
        // The alias is cut at a whole "|": the trail byte of "po" belongs to the name.
        {4, "[[" + kPo + "]]",
         "<span class=\"newlink-name\">\x83\x7C</span><a href=\"NewLink:A5DD.txt\" "
         "class=\"newlink\">?</a>"},
        {4, "{{nothing|a}} {{x}", "{{nothing|a}} {{x}"},
    };
    for (const auto& c : cases) {
        TMediaWikiDocumentConverter conv;
        TPluginShelf none;
        conv.Options.Plugins = &none;
        conv.Options.LooseWikiName = true; // has no effect here
        conv.Options.LinkMode = static_cast<TLinkMode>(c.linkMode);
        conv.FileName = folder.Path() + "here.txt";
        EXPECT_EQ(conv.ConvertInline(c.text), c.html) << c.linkMode << " " << c.text;
    }
}

TEST(MediaWiki, TemplatesCallPlugins) {
    TPluginShelf shelf;
    shelf.LoadPlugin(std::string(TARNEL_TEST_PLUGIN_DIR) + "probe.so");
    TMediaWikiDocumentConverter c;
    c.FileName = "/wiki/46726F6E7450616765.txt";
    c.Options.TemplateFolder = "/tmpl/";
    EXPECT_THROW(c.ConvertInline("{{probe}}"), EConvertError);
    c.Options.Plugins = &shelf;
    const std::string tail = "|FrontPage|46726F6E7450616765.txt|/wiki/|/tmpl/|]";
    EXPECT_EQ(c.ConvertInline("{{Probe|a|b&}}"), "[a,b&amp;|a,b&" + tail);
    EXPECT_EQ(c.ConvertInline("{{probe}}"), "[FrontPage|46726F6E7450616765.txt|/wiki/|/tmpl/|]");
    // Each template of a line is a call of its own, and the text between them stays.
    EXPECT_EQ(c.ConvertInline("x{{probe|1}} y {{probe|" + kPo + "}}z"),
              "x[1|1" + tail + " y [\x83\x7C|\x83\x7C" + tail + "z");
}

TEST(MediaWiki, BoundedScansMatchThePlainScanLoop) {
    TMediaWikiDocumentConverter c;
    TPluginShelf none;
    c.Options.Plugins = &none;
    std::mt19937 rng(9);
    for (int i = 0; i < 10000; ++i) {
        std::string text = Random(rng,
                                  {"<", ">", "[[", "]]", "]", "|", "{{", "}}", "}", "x", "Ab", "Cd",
                                   " ", "http://a", "''", kPo.c_str(), "\x81", "<b>"},
                                  12);
        ASSERT_EQ(c.ConvertLinks(text), c.TWikiDocumentConverter::ConvertLinks(text)) << text;
        std::string expected = ScanReplace(
            "m/^(.*?)(<.+?>)/k", text,
            [&](const RegexMatch& m, std::string& out) {
                out += ScanReplace(
                    "m/^(.*?)({{.+?}})/k", m.Group(1),
                    [&](const RegexMatch& t, std::string& o) {
                        o += c.ConvertInlinePlain(t.Group(1)) + c.ConvertInlinePlugin(t.Group(2));
                    },
                    [&](std::string_view p, std::string& o) { o += c.ConvertInlinePlain(p); });
                out += m.Group(2);
            },
            [&](std::string_view p, std::string& out) {
                out += ScanReplace(
                    "m/^(.*?)({{.+?}})/k", p,
                    [&](const RegexMatch& t, std::string& o) {
                        o += c.ConvertInlinePlain(t.Group(1)) + c.ConvertInlinePlugin(t.Group(2));
                    },
                    [&](std::string_view q, std::string& o) { o += c.ConvertInlinePlain(q); });
            });
        ASSERT_EQ(c.ConvertInline(text), expected) << text;
    }
}

TEST(MediaWiki, HostileInputEndsWithoutFault) {
    std::mt19937 rng(3);
    std::string noise(1 << 18, '\0');
    for (char& ch : noise)
        ch = static_cast<char>(rng());
    const std::size_t n = 1 << 18;
    for (std::string text :
         {noise, std::string(n, '<'), std::string(n, '['), std::string(n, '{'),
          std::string(n, '\''), "====" + std::string(n, ' ') + "x", ";" + std::string(n, ' ') + "x",
          ";x" + std::string(n, ' ') + "y :", "[[a]]" + std::string(n, '['), std::string(n, '\x81'),
          std::string(n / 2, '\0'), std::string(n, '\n')}) {
        EXPECT_NO_THROW(Convert(text)) << text.substr(0, 8);
    }
    std::string lists;
    for (int i = 0; i < 10000; ++i)
        lists += std::string(1 + i % 4, i % 5 ? '*' : '#') + "x\n";
    EXPECT_TRUE(Convert(lists).ends_with(
        "<li>*x</li>\r\n</ul>\r\n</ul>\r\n</ul>\r\n")); // "****x" is depth 3
}

TEST(MediaWiki, CorpusPagesConvert) {
    std::filesystem::path corpus = TARNEL_CORPUS_DIR;
    if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no corpus beside the checkout";
    TMediaWikiDocumentConverter c;
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

TEST(MediaWiki, GoldenPages) {
    TMediaWikiDocumentConverter c;
    TPluginShelf none;
    c.Options.Plugins = &none;
    tarnel::testing::ExpectGoldenPages("mediawiki", c);
}
