#include "render/UTemplateLib.h"

#include "TestFolder.h"
#include "conversion/UWikiDocumentConverterMaker.h"
#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace tarnel;
using tarnel::testing::TestFolder;

namespace {

const std::string kDataFolder = std::string(TARNEL_SOURCE_DIR) + "/data";
const std::set<std::string> kPageTags = {"Main",     "Encoding", "Title",   "TemplatePath",
                                         "CSSPath",  "CSSFile",  "Version", "DocumentPath",
                                         "Contents", "Menubar"};

// Fills a template with a handler that knows "Main" and "Title" and records every tag.
std::string Fill(std::string_view templ, std::vector<THTMLTag>* seen = nullptr) {
    TPageProducer producer;
    producer.OnHTMLTag = [&](const THTMLTag& tag, std::string& text) {
        if (seen) seen->push_back(tag);
        if (tag.TagString == "Main") text += "BODY";
        if (tag.TagString == "Title") text += "T";
    };
    return producer.ContentFromString(templ);
}

} // namespace

TEST(TemplateFiller, TokenRules) {
    using namespace std::string_literals;
    struct Case {
        std::string templ;
        std::string expected;
    } cases[] = {
        {"<#Main>", "BODY"},
        {"<#main>|<#MAIN>|<#Mainx>", "||"}, // names are exact, with case
        {"< # Main >", "BODY"},             // blanks around "<", "#" and the name
        {"<\r\n#\tMain\n>", "BODY"},
        {"<#Main a=1 b='x'>", "BODY"},       // parameters change nothing
        {"<#Main a='>'>after", "BODYafter"}, // ">" in single quotes
        {"<#Main a=\"x>y\" b='<'>after", "BODYafter"},
        {"<#Main it's>z", "BODYz"},      // a quote without partner is plain
        {"x<#Main>\n  y", "xBODY\n  y"}, // blanks after the tag are kept
        {"<p><#Title></p>", "<p>T</p>"},
        {"<#Unknown><# >", ""}, // unknown and empty names give nothing
        {"a < b", "a <b"},      // blanks after a lone "<" are dropped
        {"a<b", "a<b"},
        {"a <\n#", "a <\n#"}, // an unclosed tag is copied as it is
        {"<#Main", "<#Main"},
        {"<#Main a='>", "BODY"}, // unpaired quote: the first ">" ends it
        {"<<#Title>>", "<T>"},   // a tag right after "<" still counts
        {"a <", "a <"},
        {"<!-- c --><#Title>", "<!-- c -->T"},
        {"\x82\xA0<#Title>\x82\xA0", "\x82\xA0T\x82\xA0"}, // Shift_JIS bytes pass through
        {"a\0b<#Title>"s, "a\0bT"s},                       // a NUL byte does not end the template
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Fill(c.templ), c.expected) << c.templ;
}

TEST(TemplateFiller, TagsAndParametersReachTheHandlerInOrder) {
    std::vector<THTMLTag> seen;
    Fill("<#A x=\"1 2\" y='>' z><#B>< # C  'q' >", &seen);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].TagString, "A");
    EXPECT_EQ(seen[0].TagParams, (std::vector<std::string>{"x=1 2", "y=>", "z"}));
    EXPECT_EQ(seen[1].TagString, "B");
    EXPECT_TRUE(seen[1].TagParams.empty());
    EXPECT_EQ(seen[2].TagString, "C");
    EXPECT_EQ(seen[2].TagParams, std::vector<std::string>{"q"});

    TPageProducer keepQuotes;
    keepQuotes.StripParamQuotes = false;
    keepQuotes.OnHTMLTag = [&](const THTMLTag& tag, std::string&) { seen.push_back(tag); };
    keepQuotes.ContentFromString("<#A x=\"1 2\">");
    EXPECT_EQ(seen.back().TagParams, std::vector<std::string>{"x=\"1 2\""});
}

TEST(TemplateFiller, LineLimit) {
    const std::string kMessage =
        "3 \x8D\x73\x82\xC5\x8D\x73\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xDC\x82\xB7";
    struct Case {
        std::string templ;
        int badLine; // 0: fills
    } cases[] = {
        {"a\nb\n" + std::string(4096, 'x') + "\n", 0},
        {"a\nb\n" + std::string(4096, 'x'), 0},
        {"a\r\nb\r\n" + std::string(4096, 'x') + "\r\n", 0}, // the line break does not count
        {"a\nb\n" + std::string(4097, 'x') + "\nc", 3},
        {"a\r\nb\r\n<#Title>" + std::string(4097, 'x'), 3},
        {"a\rb\r" + std::string(4097, 'x'), 3}, // old Mac line ends
        {std::string(5000, 'x'), 1},
    };
    for (const Case& c : cases) {
        int calls = 0;
        TPageProducer producer;
        producer.OnHTMLTag = [&](const THTMLTag&, std::string&) { ++calls; };
        if (c.badLine == 0) {
            EXPECT_NO_THROW(producer.ContentFromString(c.templ));
            continue;
        }
        try {
            producer.ContentFromString(c.templ);
            ADD_FAILURE() << "no error for a line of " << c.templ.size() << " bytes";
        } catch (const ETemplateLineTooLong& e) {
            EXPECT_EQ(e.Line, c.badLine);
            if (c.badLine == 3) {
                EXPECT_EQ(std::string(e.what()), kMessage);
            }
            EXPECT_EQ(calls, 0) << "no tag is filled in a template that cannot be filled";
        }
    }

    // The texts come from the language table when the owner gives them.
    TPageProducer english;
    english.LineTooLongText = "Line too long";
    english.ParseErrorFormat = "%0:s on line %1:d (100%%)";
    try {
        english.ContentFromString("\n" + std::string(4097, 'x'));
        ADD_FAILURE();
    } catch (const ETemplateError& e) {
        EXPECT_STREQ(e.what(), "Line too long on line 2 (100%)");
    }
}

TEST(TemplateFiller, FileIsReadEveryTimeAndMissingFileIsAnError) {
    TestFolder folder;
    TPageProducer producer;
    producer.OnHTMLTag = [](const THTMLTag&, std::string& text) { text += "X"; };

    producer.HTMLFile = folder.Write("t.html", "[<#Main>]");
    EXPECT_EQ(producer.Content(), "[X]");
    folder.Write("t.html", "(<#Main>)"); // edited while the program runs
    EXPECT_EQ(producer.Content(), "(X)");

    for (std::string path : {folder.Path() + "missing.html", folder.Path(), std::string()}) {
        producer.HTMLFile = path;
        try {
            producer.Content();
            ADD_FAILURE() << "no error for " << path;
        } catch (const ETemplateError& e) {
            std::string message = e.what();
            EXPECT_NE(message.find("template"), std::string::npos) << message;
            if (!path.empty()) {
                EXPECT_NE(message.find(path), std::string::npos) << message;
            }
        }
    }
}

TEST(TemplateSet, PathsAndTemplateLists) {
    TestFolder app;
    TTemplate templates(app.Path()); // the trailing "/" goes
    std::string root = app.Path().substr(0, app.Path().size() - 1);
    EXPECT_EQ(templates.TemplateFolder(), root + "/Template");
    EXPECT_EQ(templates.MainTemplatePath(), root + "/Template/main/default.html");
    templates.ListFileName = "l.html";
    templates.ExportFileName = "e.html";
    EXPECT_EQ(templates.ListTemplatePath(), root + "/Template/list/l.html");
    EXPECT_EQ(templates.ExportTemplatePath(), root + "/Template/export/e.html");

    EXPECT_TRUE(templates.GetMainTemplates().empty()); // no folder yet
    namespace fs = std::filesystem;
    fs::create_directories(app.Path() + "Template/main/folder.html");
    for (const char* name :
         {"default.html", "Zebra.html", "apple.HTML", "beta.htm", "notes.txt", "c.html~"})
        app.Write(std::string("Template/main/") + name, "x");
    EXPECT_EQ(templates.GetMainTemplates(),
              (std::vector<std::string>{"apple.HTML", "default.html", "Zebra.html"}));
    EXPECT_TRUE(templates.GetExportTemplates().empty());
    EXPECT_EQ(TTemplate::TemplateCaption("Zebra.html"), "Zebra");
}

TEST(TemplatePageTags, Replacements) {
    const std::string kTitleSjis = "a&b<c>\"d \x93\xFA\x96\x7B"; // ... and "nihon"
    TPageTags page;
    page.Html = "<p>\x93\xFA</p>";
    page.Title = kTitleSjis;
    page.ContentsHtml = "<div class=\"toc\">C</div>";
    page.TemplateFolder = "/opt/tarnel/Template";
    page.CssFolder = "/opt/tarnel/css/";
    page.DesignName = "default";
    page.DocumentFolder = "/home/u/My Wiki#1/\xE6\x97\xA5"; // UTF-8 as the file system has it
    page.EncodingName = CharsetName(1);
    page.Version = "1.2.3";
    int menuCalls = 0;
    page.MenuBar = [&] {
        ++menuCalls;
        return std::string("<ul>\x93\xFA</ul>");
    };

    struct Case {
        const char* tag;
        std::string sjis; // TitleEncodingUTF8 off
        std::string utf8; // on
    } cases[] = {
        {"Main", "<p>\x93\xFA</p>", "<p>\xE6\x97\xA5</p>"},
        {"Encoding", "EUC-JP", "EUC-JP"},
        {"Title", "a&amp;b&lt;c&gt;&quot;d \x93\xFA\x96\x7B",
         "a&amp;b&lt;c&gt;&quot;d \xE6\x97\xA5\xE6\x9C\xAC"},
        {"TemplatePath", "file:///opt/tarnel/Template", "file:///opt/tarnel/Template"},
        {"CSSPath", "file:///opt/tarnel/css", "file:///opt/tarnel/css"},
        {"CSSFile", "default/wiki.css", "default/wiki.css"},
        {"Version", "1.2.3", "1.2.3"},
        {"DocumentPath", "file:///home/u/My%20Wiki%231/%E6%97%A5/",
         "file:///home/u/My%20Wiki%231/%E6%97%A5/"},
        {"Contents", "<div class=\"toc\">C</div>", "<div class=\"toc\">C</div>"},
        {"Menubar", "<ul>\x93\xFA</ul>", "<ul>\xE6\x97\xA5</ul>"},
        {"main", "", ""},
        {"Menu", "", ""},
    };
    for (bool utf8 : {false, true}) {
        page.TitleEncodingUTF8 = utf8;
        for (const Case& c : cases)
            EXPECT_EQ(MainTagText(page, c.tag), utf8 ? c.utf8 : c.sjis) << c.tag;
    }
    EXPECT_EQ(menuCalls, 2);

    // The list template: "Main" is the index list as it is, the rest as in a page.
    TPageProducer ppdList;
    const std::string index = "<ul>\r\n<li><a href=\"A.html\">\x93\xFA</a></li>\r\n</ul>\r\n";
    ppdList.OnHTMLTag = ListTagHandler(page, index);
    EXPECT_EQ(ppdList.ContentFromString("<#Main>|<#Version>|<#Encoding>"), index + "|1.2.3|EUC-JP");

    page.MenuBar = nullptr;
    page.DesignName = "my design";
    EXPECT_EQ(MainTagText(page, "Menubar"), "");
    EXPECT_EQ(MainTagText(page, "CSSFile"), "my%20design/wiki.css");
}

TEST(TemplateShipped, EveryTagIsKnownAndFilled) {
    TPageTags page;
    page.Html = "<p>body</p>";
    page.Title = "Page";
    page.ContentsHtml = "<div class=\"toc\"></div>";
    page.TemplateFolder = "/app/Template";
    page.CssFolder = "/app/css";
    page.DesignName = "default";
    page.DocumentFolder = "/wiki/";
    page.MenuBar = [] { return std::string("<ul><li>menu</li></ul>"); };

    TTemplate templates(kDataFolder);
    std::set<std::string> used;
    for (const char* kind : {"main", "export", "list"}) {
        std::string path = templates.TemplateFolder() + "/" + kind + "/default.html";
        std::string bytes = TTemplate::LoadFile(path);
        // ASCII only: the same bytes are right as Shift_JIS, EUC-JP and UTF-8.
        for (char c : bytes)
            ASSERT_LT(static_cast<unsigned char>(c), 0x80u) << path;

        TPageProducer producer;
        producer.HTMLFile = path;
        producer.OnHTMLTag = [&](const THTMLTag& tag, std::string& text) {
            EXPECT_TRUE(kPageTags.count(tag.TagString)) << kind << ": " << tag.TagString;
            used.insert(tag.TagString);
            const std::size_t before = text.size();
            if (std::string(kind) == "list")
                ppdListHTMLTag(page, "<ul><li>index</li></ul>", tag, text);
            else
                ppdMainHTMLTag(page, tag, text);
            EXPECT_GT(text.size(), before) << kind << ": " << tag.TagString;
        };
        std::string html = producer.Content();
        EXPECT_EQ(html.find("<#"), std::string::npos) << kind;
        EXPECT_NE(html.find(std::string(kind) == "list" ? "<li>index</li>" : "<p>body</p>"),
                  std::string::npos)
            << kind;
        if (std::string(kind) == "main") {
            EXPECT_EQ(used, kPageTags) << "the view template uses every tag";
            EXPECT_NE(html.find("file:///app/css/default/wiki.css"), std::string::npos);
        } else {
            // Exported pages reach the design copied beside them, never the program folder.
            EXPECT_NE(html.find("\"css/default/wiki.css\""), std::string::npos) << kind;
            EXPECT_EQ(html.find("file://"), std::string::npos) << kind;
        }
    }
}

TEST(TemplateShipped, DesignsStyleEveryConverterClass) {
    const char* classes[] = {".verbatim-soft", ".verbatim-hard", ".newlink-name",
                             ".newlink",       ".footnote",      ".footnote_caption",
                             ".toc",           ".toc-1",         ".toc-2",
                             ".list1",         ".list2",         ".list3",
                             ".inlist",        ".left",          ".center",
                             ".right",         ".ascii-art",     ".hatena",
                             ".li-1",          ".li-2",          "#menubar",
                             "#contents"};
    int designs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kDataFolder + "/css")) {
        if (!entry.is_directory()) continue;
        ++designs;
        std::string css = TTemplate::LoadFile(entry.path().string() + "/wiki.css");
        for (const char* name : classes)
            EXPECT_NE(css.find(name), std::string::npos) << entry.path().filename() << ": " << name;
        int depth = 0;
        for (char c : css) {
            depth += c == '{' ? 1 : c == '}' ? -1 : 0;
            ASSERT_GE(depth, 0) << entry.path();
        }
        EXPECT_EQ(depth, 0) << entry.path() << ": unbalanced braces";
    }
    EXPECT_GE(designs, 3);
    EXPECT_TRUE(std::filesystem::exists(kDataFolder + "/css/default/wiki.css"));
}

TEST(TemplateMenuBar, ConvertedApartFromThePage) {
    TestFolder wiki;
    auto pageFile = [&](const std::string& name) { return EncodePageName(name, false) + ".txt"; };
    wiki.Write(pageFile("FrontPage"), "*Top\n**Sub\ntext\n");
    std::string front = wiki.Path() + pageFile("FrontPage");

    TConverterOptions viewOptions;
    viewOptions.TemplateFolder = "/app/Template";
    auto view =
        TWikiDocumentConverterMaker::GetWikiDocumentConverter(TWikiNotation::YukiWiki, viewOptions);
    view->Convert(front, "*Top\n**Sub\ntext\n");
    TPageTags page = PageTagsOf(*view, false);
    page.DocumentFolder = wiki.Path();
    TMenuBarOptions options = MenuBarOptionsOf(*view, TWikiNotation::YukiWiki, PageReadOptions{});
    page.MenuBar = [&] { return ConvertMenuBar(wiki.Path(), options); };

    TPageProducer ppdMain;
    ppdMain.OnHTMLTag = MainTagHandler(page);
    const char* templ = "[<#Menubar>]<#Contents><#Main>";
    EXPECT_EQ(ppdMain.ContentFromString(templ).substr(0, 2), "[]") << "no MenuBar page";

    // The menu bar: a heading, a link to an existing page, and one to a missing page.
    wiki.Write(pageFile("MenuBar"), "*Menu\n-[[FrontPage]]\n-[[Missing]]\n");
    const std::string htmlBefore = view->Html, titleBefore = view->Title;
    const int contentsBefore = view->Contents.Count();
    std::string html = ppdMain.ContentFromString(templ);

    std::size_t menuEnd = html.find(']');
    std::string menu = html.substr(0, menuEnd);
    EXPECT_NE(menu.find("name=\"mi0\""), std::string::npos) << menu;
    EXPECT_EQ(menu.find("name=\"i0\""), std::string::npos) << menu;
    EXPECT_NE(menu.find("href=\"WikiLink:" + pageFile("FrontPage") + "\""), std::string::npos);
    EXPECT_NE(menu.find("NewLink:" + pageFile("Missing")), std::string::npos);
    // The page itself, its contents and title are those of FrontPage.
    EXPECT_NE(html.find("href=\"InnerLink:#i0\""), std::string::npos);
    EXPECT_EQ(html.find("#mi0\""), std::string::npos);
    EXPECT_EQ(view->Html, htmlBefore);
    EXPECT_EQ(view->Title, titleBefore);
    EXPECT_EQ(view->Contents.Count(), contentsBefore);
    EXPECT_FALSE(view->Options.MenuBarMode);

    // In an export the menu bar gets export links: existing pages as .html, missing ones as text.
    options.Converter.LinkMode = TLinkMode::Export;
    menu = ConvertMenuBar(wiki.Path(), options);
    EXPECT_NE(menu.find("href=\"" + EncodePageName("FrontPage", false) + ".html\""),
              std::string::npos)
        << menu;
    EXPECT_EQ(menu.find("NewLink:"), std::string::npos) << menu;
}
