// Block calls without a body in PukiWiki notation, the host table plug-ins ask about the
// page, and the shipped plug-ins for PukiWiki pages, each also on hostile arguments.
#include "plugins/TarnelPlugin.h" // first: with the helpers, as a plug-in sees it

#include "TestFolder.h"
#include "conversion/UPukiWikiDocumentConverter.h"
#include "plugins/UPluginShelf.h"
#include "text/UPageName.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <regex>
#include <sys/stat.h>

using namespace tarnel;
using tarnel::testing::TestFolder;

namespace {

namespace fs = std::filesystem;

std::string Euc(std::string_view utf8) {
    return plugin::Recode(utf8, "UTF-8", "EUC-JP");
}
std::string Sjis(std::string_view utf8) {
    return plugin::Utf8ToShiftJis(utf8);
}

TPluginShelf& Shipped() {
    static TPluginShelf* shelf = [] {
        auto* s = new TPluginShelf;
        s->LoadFolder(std::string(TARNEL_APP_DIR) + "plugin/");
        return s;
    }();
    return *shelf;
}

// A wiki folder of its own; pages are written in stored form (EUC-JP, names hex of EUC-JP).
class PukiPlugins : public ::testing::Test {
protected:
    std::string Page(const std::string& utf8Name, const std::string& utf8Text = "x\n") {
        std::string file = EncodePageName(Sjis(utf8Name), false) + ".txt";
        wiki_.Write(file, Euc(utf8Text));
        return wiki_.Path() + file;
    }
    void Touch(const std::string& path, std::time_t when) {
        struct timespec times[2] = {{when, 0}, {when, 0}};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    // The fragment of page `utf8Name` (written with `utf8Text`), in UTF-8.
    std::string Show(const std::string& utf8Name, const std::string& utf8Text,
                     TLinkMode mode = TLinkMode::Browse, TPluginShelf* shelf = &Shipped()) {
        std::string path = Page(utf8Name, utf8Text);
        converter_.Options.Plugins = shelf;
        converter_.Options.LinkMode = mode;
        converter_.Convert(path, Euc(utf8Text));
        return plugin::ShiftJisToUtf8(converter_.Html);
    }
    TestFolder wiki_;
    TPukiWikiDocumentConverter converter_;
};

std::string Link(const std::string& utf8Name) {
    return "<a href=\"WikiLink:" + EncodePageName(Sjis(utf8Name), false) + ".txt\">" + utf8Name +
           "</a>";
}

// ---- The block call without a body ------------------------------------------------------

TEST(PukiWikiBlockCall, CallsALoadedPluginAndLeavesEverythingElseAsItWas) {
    TPluginShelf probe;
    probe.LoadPlugin(std::string(TARNEL_TEST_PLUGIN_DIR) + "probe.so");
    TPluginShelf none;
    struct Case {
        const char* line;
        bool called;
        const char* arguments; // as the plug-in receives them, escaped|raw
    };
    const Case cases[] = {
        {"#probe", true, "|"},
        {"#probe()", true, "|"},
        {"#probe(a,b)", true, "a,b|a,b"},
        {"#probe(<x>&\"y\")  ", true, "&lt;x&gt;&amp;&quot;y&quot;|<x>&\"y\""},
        {"#probe((a)(b))", true, "(a)(b)|(a)(b)"}, // the first "(" to the last ")"
        {"#Probe", false, ""},                     // the name with its case
        {"#probe(a)b", false, ""},
        {"#probe(a", false, ""},
        {"#probe x", false, ""},
        {" #probe", false, ""}, // preformatted
        {"#nosuch(a)", false, ""},
    };
    for (const Case& c : cases) {
        TPukiWikiDocumentConverter converter;
        converter.Options.Plugins = &probe;
        converter.FileName = "/w/46726F6E7450616765.txt";
        converter.ResetConversionState();
        std::string html = converter.ConvertBlocks(std::string("text\n") + c.line + "\n");
        TPukiWikiDocumentConverter plain;
        plain.Options.Plugins = &none;
        plain.FileName = converter.FileName;
        plain.ResetConversionState();
        std::string without = plain.ConvertBlocks(std::string("text\n") + c.line + "\n");
        if (c.called) {
            // The paragraph before is closed; the result stands as a block of its own.
            // (The probe leaves empty arguments out of its echo.)
            std::string echo =
                std::string(c.arguments) == "|" ? "" : c.arguments + std::string("|");
            EXPECT_EQ(html.rfind("<p>\r\ntext</p>\r\n[" + echo +
                                     "FrontPage|46726F6E7450616765.txt|/w/|/|]\r\n",
                                 0),
                      0u)
                << c.line << "\n"
                << html;
        } else {
            EXPECT_EQ(html, without) << c.line;
        }
        // Without the plug-in, every line is what it always was.
        EXPECT_EQ(without.find('['), std::string::npos) << c.line;
    }
    // The call with a body is as before.
    TPukiWikiDocumentConverter converter;
    converter.Options.Plugins = &probe;
    converter.FileName = "/w/x.txt";
    converter.ResetConversionState();
    EXPECT_EQ(converter.ConvertBlocks("#probe(){{\nl1\n}}\n").substr(0, 10), "[l1\r\n|l1\r\n");
}

TEST(PukiWikiBlockCall, WithoutAShelfTheLineIsText) {
    TPukiWikiDocumentConverter converter;
    converter.FileName = "/w/x.txt";
    converter.ResetConversionState();
    EXPECT_EQ(converter.ConvertBlocks("#contents\n"), "<p>\r\n#contents</p>\r\n");
}

// ---- The host table ---------------------------------------------------------------------

TEST(PluginHost, AnswersNothingOutsideACall) {
    const TarnelHost& host = PluginHostTable();
    EXPECT_EQ(host.size, sizeof(TarnelHost));
    EXPECT_EQ(host.LinkMode(), 0);
    EXPECT_EQ(host.HeadingCount(), 0);
    TarnelHeading heading{};
    EXPECT_EQ(host.GetHeading(0, &heading), 0);
    EXPECT_EQ(host.PageCount(), 0);
    EXPECT_EQ(host.PageModified("FrontPage"), -1);
    EXPECT_EQ(host.PageFile("FrontPage"), nullptr);
    EXPECT_EQ(host.PageLink("FrontPage", "x"), nullptr);
    EXPECT_EQ(host.EditLink("FrontPage", "x"), nullptr);
}

TEST_F(PukiPlugins, ContentsListsEveryHeadingAlsoThoseAfterIt) {
    std::string html = Show("Top", "#contents\n* One\n** Two <i>\n*** Three\n* Four [#four]\n");
    EXPECT_EQ(html.substr(0, html.find("\r\n")),
              "<div class=\"toc\"><ul class=\"toc-1\"><li><a href=\"InnerLink:#i0\">One</a>"
              "<ul class=\"toc-2\"><li><a href=\"InnerLink:#i1\">Two &lt;i&gt;</a>"
              "<ul class=\"toc-3\"><li><a href=\"InnerLink:#i2\">Three</a></li></ul></li></ul>"
              "</li><li><a href=\"InnerLink:#four\">Four</a></li></ul></div>");
    // The page itself is converted as without the call, headings counted once.
    EXPECT_EQ(converter_.Contents.Count(), 4);
    EXPECT_NE(html.find("<h2><a name=\"i0\">"), std::string::npos);
    EXPECT_NE(html.find("<h2><a name=\"four\">"), std::string::npos);
    // In an export the anchors are of the page file itself.
    html = Show("Top", "#contents\n*One\n", TLinkMode::Export);
    EXPECT_NE(html.find("<a href=\"#i0\">One</a>"), std::string::npos) << html;
    // No headings, no block.
    EXPECT_EQ(Show("Top", "#contents\n"), "");

    // A page of thousands of contents blocks and headings stays in proportion: only the
    // first calls are told the headings.
    std::string page;
    for (int i = 0; i < 2000; ++i)
        page += "#contents\n*h\n";
    html = Show("Top", page);
    int blocks = 0;
    for (std::size_t at = html.find("<div class=\"toc\">"); at != std::string::npos;
         at = html.find("<div class=\"toc\">", at + 1))
        ++blocks;
    EXPECT_EQ(blocks, TConverterQueries::kHeadingCalls);
    EXPECT_LT(html.size(), 20u * 2000u * 60u);
}

TEST_F(PukiPlugins, SilentDirectivesAndTheCommentNote) {
    EXPECT_EQ(Show("Top", "#freeze\n#nofollow\n#norelated\ntext\n"), "<p>\r\ntext</p>\r\n");
    std::string html = Show("Top", "#comment\n");
    EXPECT_NE(html.find("<p class=\"plugin-note\">"), std::string::npos) << html;
}

TEST_F(PukiPlugins, LsListsThePagesBelowAsEscapedLinks) {
    Page("Top/b");
    Page("Top/a");
    Page("Top/a/deep");
    Page("Top/<i>");
    Page("Other/c");
    Page("Topx");
    std::string html = Show("Top", "#ls\n");
    EXPECT_EQ(html, "<ul class=\"list1\"><li>" + std::string("<a href=\"WikiLink:") +
                        EncodePageName("Top/<i>", false) + ".txt\">Top/&lt;i&gt;</a></li><li>" +
                        Link("Top/a") + "</li><li>" + Link("Top/a/deep") + "</li><li>" +
                        Link("Top/b") + "</li></ul>\r\n");
    EXPECT_NE(Show("Top/a/deep", "#ls2(../../)\n").find(Link("Top/b")), std::string::npos);
    std::string reversed = Show("Top", "#ls2(,reverse)\n");
    EXPECT_LT(reversed.find("Top/b"), reversed.find("Top/a"));
    EXPECT_EQ(Show("Top", "#ls2(Other)\n"),
              "<ul class=\"list1\"><li>" + Link("Other/c") + "</li></ul>\r\n");
    // Hostile names list nothing and write nothing of themselves.
    for (const char* call : {"#ls2(<script>)\n", "#ls(\"><b>)\n", "#ls2(../../../..)\n"})
        EXPECT_EQ(Show("Top", call), "") << call;
}

TEST_F(PukiPlugins, RecentListsTheNewestPagesByDay) {
    std::time_t day = 1700000000; // 2023-11-14, midday in every time zone but a few
    Touch(Page("Old"), day - 3 * 86400);
    Touch(Page("New <b>"), day);
    Touch(Page(":config"), day + 60);
    Touch(Page("Middle"), day - 86400);
    std::string menu = Page("MenuBar", "#recent(2)\n");
    Touch(menu, day - 10 * 86400);
    converter_.Options.Plugins = &Shipped();
    converter_.Convert(menu, "#recent(2)\n");
    std::string html = plugin::ShiftJisToUtf8(converter_.Html);
    EXPECT_NE(html.find("最新の2件"), std::string::npos) << html;
    EXPECT_NE(html.find("New &lt;b&gt;</a>"), std::string::npos) << html;
    EXPECT_NE(html.find(">Middle</a>"), std::string::npos);
    EXPECT_EQ(html.find("Old"), std::string::npos);
    EXPECT_EQ(html.find(":config"), std::string::npos) << "settings pages are left out";
    EXPECT_EQ(std::regex_search(html, std::regex("<strong>\\d{4}-\\d\\d-\\d\\d</strong>")), true);
    // A count that is no number is the default.
    for (const char* call : {"#recent(abc)\n", "#recent(-1)\n", "#recent(<b>)\n"}) {
        converter_.Convert(menu, call);
        EXPECT_NE(converter_.Html.find(">Old</a>"), std::string::npos) << call;
    }
}

TEST_F(PukiPlugins, NaviLinksThePreviousTheTopAndTheNextChapter) {
    Page("Book");
    Page("Book/1");
    Page("Book/3");
    std::string html = Show("Book/2", "#navi(../)\n");
    EXPECT_EQ(html, "<div class=\"navi\">[ 前: " + Link("Book/1") + " | 上: " + Link("Book") +
                        " | 次: " + Link("Book/3") + " ]</div>\r\n");
    EXPECT_NE(Show("Book", "#navi\n").find(Link("Book/1")), std::string::npos);
    EXPECT_EQ(Show("Book/3", "#navi(<script>)\n"), "");
    EXPECT_EQ(Show("Top", "#navi(../)\n"), "") << "a page of the top level has no parent";
}

TEST_F(PukiPlugins, InlineMarksAndTheirHostileArguments) {
    struct Case {
        const char* line;
        std::string expected; // the paragraph's content
    };
    const Case cases[] = {
        {"&smile;", "<span class=\"face\" title=\"smile\">&#x1F642;</span>"},
        {"&heart;", "<span class=\"face\" title=\"heart\">&#x2665;</span>"},
        {"&aname(here);", "<a name=\"here\" id=\"here\" class=\"anchor\"></a>"},
        {"&aname(here,super){<b>x</b>, y};",
         "<a name=\"here\" id=\"here\" class=\"anchor\">&lt;b&gt;x&lt;/b&gt;, y</a>"},
        {"&aname(x\" onclick=\"alert(1));",
         "<span class=\"plugin-error\">aname: " + std::string("使えないアンカー名です") +
             " (x&quot; onclick=&quot;alert(1))</span>"},
        {"&aname(1abc);", "<span class=\"plugin-error\">aname: " +
                              std::string("使えないアンカー名です") + " (1abc)</span>"},
        {"&ruby(かんじ){漢字};", "<ruby>漢字<rp>(</rp><rt>かんじ</rt><rp>)</rp></ruby>"},
        {"&ruby(<i>\"r\"){<script>alert(1)</script>};",
         "<ruby>&lt;script&gt;alert(1)&lt;/script&gt;<rp>(</rp><rt>&lt;i&gt;&quot;r&quot;</rt>"
         "<rp>)</rp></ruby>"},
        {"&edit(FrontPage,nolink){<b>};", "&lt;b&gt;"},
        {"&edit(\"><x>){<y>};", "<a href=\"EditLink:" + EncodePageName("\"><x>", false) +
                                    ".txt\" class=\"editlink\">&lt;y&gt;</a>"},
        {"&edit();", "<a href=\"EditLink:" + EncodePageName("Top", false) +
                         ".txt\" class=\"editlink\">編集</a>"},
        {"&new(){2001-01-01 00:00:00};", "<span class=\"comment_date\">2001-01-01 00:00:00</span>"},
        {"&lastmod(<no page>);", ""},
    };
    for (const Case& c : cases) {
        std::string html = Show("Top", std::string(c.line) + "\n");
        EXPECT_EQ(html, "<p>\r\n" + c.expected + "</p>\r\n") << c.line;
    }
    // An edit link means nothing in an exported site.
    EXPECT_EQ(Show("Top", "&edit(Top){<e>};\n", TLinkMode::Export), "<p>\r\n&lt;e&gt;</p>\r\n");
}

TEST_F(PukiPlugins, NewAndLastmodGoByTheTimes) {
    std::time_t now = std::time(nullptr);
    Touch(Page("Fresh"), now - 3600);
    Touch(Page("Week"), now - 3 * 86400);
    Touch(Page("Old"), now - 30 * 86400);
    EXPECT_NE(Show("Top", "&new(Fresh);\n").find(">New!</span>"), std::string::npos);
    EXPECT_NE(Show("Top", "&new(Week);\n").find("class=\"new5\""), std::string::npos);
    EXPECT_EQ(Show("Top", "&new(Old);\n"), "<p>\r\n</p>\r\n");
    EXPECT_EQ(Show("Top", "&new(Nothing);\n"), "<p>\r\n</p>\r\n");

    // A date: shown (escaped) with the mark; "nodate" the mark alone.
    char today[32];
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(today, sizeof today, "%Y-%m-%d", &local);
    std::string html = Show("Top", "&new(){" + std::string(today) + " <b>};\n");
    EXPECT_NE(html.find("<span class=\"comment_date\">" + std::string(today) + " &lt;b&gt;"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("title=\"" + std::string(today) + " &lt;b&gt;\">New!"), std::string::npos)
        << html;
    html = Show("Top", "&new(nodate){" + std::string(today) + "};\n");
    EXPECT_EQ(html.find("comment_date"), std::string::npos);
    EXPECT_NE(html.find("New!"), std::string::npos);

    std::string text = Show("Fresh", "&lastmod();\n");
    EXPECT_TRUE(
        std::regex_search(text, std::regex("<span class=\"lastmod\">\\d{4}-\\d\\d-\\d\\d \\(.+\\) "
                                           "\\d\\d:\\d\\d:\\d\\d</span>")))
        << text;
    EXPECT_NE(Show("Top", "&lastmod(Old);\n").find("lastmod"), std::string::npos);
}

TEST_F(PukiPlugins, RefShowsAddressesAndAttachmentsAndNothingElse) {
    fs::create_directory(wiki_.Path() + "attach");
    const std::string hex = EncodePageName("Top", false) + "_" + EncodePageName("pic.png", false);
    wiki_.Write("attach/" + hex, "png");
    wiki_.Write("attach/plain.txt", "t");
    wiki_.Write("attach/表.png", "p"); // Shift_JIS 95 5C: its second byte is a "\\"
    // Outside the wiki, reached through a link in the attachment folder.
    TestFolder outside;
    outside.Write("secret.png", "s");
    fs::create_symlink(outside.Path() + "secret.png", wiki_.Path() + "attach/secret.png");

    const std::string attach = wiki_.Path() + "attach/";
    struct Case {
        const char* line;
        std::string expected; // empty: a message of refusal, nothing else
    };
    const Case cases[] = {
        {"&ref(http://example.com/a.png,\"><b>);",
         "<img src=\"http://example.com/a.png\" alt=\"&quot;&gt;&lt;b&gt;\" "
         "title=\"&quot;&gt;&lt;b&gt;\">"},
        {"&ref(https://example.com/x\" onerror=\"y.png);",
         "<img src=\"https://example.com/x&quot; onerror=&quot;y.png\" "
         "alt=\"https://example.com/x&quot; onerror=&quot;y.png\" "
         "title=\"https://example.com/x&quot; onerror=&quot;y.png\">"},
        {"&ref(http://example.com/doc.pdf,center);",
         "<div style=\"text-align:center\"><a href=\"http://example.com/doc.pdf\">"
         "http://example.com/doc.pdf</a></div>"},
        {"&ref(pic.png);",
         "<img src=\"file://" + attach + hex + "\" alt=\"pic.png\" title=\"pic.png\">"},
        {"&ref(Top/pic.png);",
         "<img src=\"file://" + attach + hex + "\" alt=\"pic.png\" title=\"pic.png\">"},
        {"&ref(plain.txt);", "<a href=\"file://" + attach + "plain.txt\">plain.txt</a>"},
        {"&ref(表.png);",
         "<img src=\"file://" + attach + "%E8%A1%A8.png\" alt=\"表.png\" title=\"表.png\">"},
        {"&ref(javascript:alert(1));", ""},
        {"&ref( JavaScript:alert(1));", ""},
        {"&ref(data:text/html,<script>x</script>);", ""},
        {"&ref(file:///etc/passwd);", ""},
        {"&ref(../../../../etc/passwd);", ""},
        {"&ref(..);", ""},
        {"&ref(secret.png);", ""},
        {"&ref(a\\..\\b);", ""},
        {"&ref();", ""},
    };
    for (const Case& c : cases) {
        std::string html = Show("Top", std::string(c.line) + "\n");
        if (!c.expected.empty()) {
            EXPECT_EQ(html, "<p>\r\n" + c.expected + "</p>\r\n") << c.line;
            continue;
        }
        EXPECT_NE(html.find("<span class=\"plugin-error\">ref: "), std::string::npos)
            << c.line << "\n"
            << html;
        for (const char* never : {"href=", "src=", "<script"})
            EXPECT_EQ(html.find(never), std::string::npos) << c.line << ": " << never;
    }
    // In an exported site an attachment is addressed from the page.
    EXPECT_EQ(Show("Top", "&ref(pic.png);\n", TLinkMode::Export),
              "<p>\r\n<img src=\"attach/" + hex + "\" alt=\"pic.png\" title=\"pic.png\"></p>\r\n");
}

TEST(ShippedPukiWikiPlugins, AllLoadWithTheirUsage) {
    for (std::string name :
         {"contents", "freeze", "norelated", "nofollow", "ls",      "ls2",     "recent", "navi",
          "comment",  "aname",  "ruby",      "new",      "lastmod", "ref",     "edit",   "smile",
          "bigsmile", "huh",    "oh",        "wink",     "sad",     "worried", "heart"}) {
        const TPlugin* plugin = Shipped().Find(name, true);
        ASSERT_NE(plugin, nullptr) << name;
        EXPECT_FALSE(plugin->Version.empty() || plugin->Author.empty() ||
                     plugin->Description.empty())
            << name;
        EXPECT_TRUE(plugin->Syntax.rfind("&" + name, 0) == 0 ||
                    plugin->Syntax.rfind("#" + name, 0) == 0)
            << name << ": " << plugin->Syntax;
        EXPECT_TRUE(plugin->Example.find("&" + name) != std::string::npos ||
                    plugin->Example.find("#" + name) != std::string::npos)
            << name << ": " << plugin->Example;
    }
}

} // namespace
