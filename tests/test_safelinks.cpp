// Hostile links in every notation: whatever page text puts into an attribute is escaped
// for it, and addresses that would run script are never written as live links. Each row
// is one link form of one notation with the exact fragment it gives.
#include "conversion/UWikiDocumentConverter.h"
#include "conversion/UWikiDocumentConverterMaker.h"
#include "plugins/UPluginShelf.h"

#include <gtest/gtest.h>

#include <string>

using namespace tarnel;

namespace {

// The fragment of display-form text, line ends as LF.
std::string Convert(TWikiNotation notation, const std::string& text) {
    TPluginShelf none;
    TConverterOptions options;
    options.Plugins = &none;
    auto c = TWikiDocumentConverterMaker::GetWikiDocumentConverter(notation, options);
    c->FileName = "/nonexistent/wiki/50616765.txt";
    c->ResetConversionState();
    std::string html = c->ConvertBlocks(text + "\n");
    std::erase(html, '\r');
    return html;
}

} // namespace

TEST(SafeLinks, HostileLinkFormsOfEveryNotation) {
    struct Case {
        TWikiNotation notation;
        const char* form;
        std::string text;
        std::string html;
    };
    const Case cases[] = {
        {TWikiNotation::Hatena, "bare address with a quote", "http://x/\"onclick=\"alert(1)",
         "<p class=\"hatena\">\n<a "
         "href=\"http://x/&quot;onclick=&quot;alert\">http://x/\"onclick=\"alert</a>(1)</p>\n"},
        {TWikiNotation::Hatena, "bare address with an apostrophe and angle text",
         "http://x/'a' <b>raw</b>",
         "<p class=\"hatena\">\n<a href=\"http://x/&#39;a&#39;\">http://x/'a'</a> "
         "<b>raw</b></p>\n"},
        {TWikiNotation::Hatena, "bracketed page name with a quote", "[[Page\"x]]",
         "<p class=\"hatena\">\n<span class=\"newlink-name\">Page\"x</span><a "
         "href=\"NewLink:506167652278.txt\" class=\"newlink\">?</a></p>\n"},
        {TWikiNotation::Hatena, "footnote title with a quote", "a((note \"q\"))",
         "<p class=\"hatena\">\na<span class=\"footnote\"><a class=\"footnote\" title=\"note "
         "&quot;q&quot;\" href=\"InnerLink:#f1\" name=\"fn1\">*1</a></span></p>\n<div "
         "class=\"footnote\"><span class=\"footnote\"><a class=\"footnote\" "
         "href=\"InnerLink:#fn1\" name=\"f1\">*1</a></span><span class=\"footnote_caption\">note "
         "\"q\"</span><br>\n</div>"},
        {TWikiNotation::MediaWiki, "bare address with a quote", "http://x/\"onclick=\"alert(1)",
         "<p>\n<a "
         "href=\"http://x/&quot;onclick=&quot;alert\">http://x/\"onclick=\"alert</a>(1)\n</p>\n"},
        {TWikiNotation::MediaWiki, "bare image address with apostrophes", "http://x/'a'.png",
         "<p>\n<a href=\"http://x/&#39;a&#39;.png\"><img "
         "src=\"http://x/&#39;a&#39;.png\"></a>\n</p>\n"},
        {TWikiNotation::MediaWiki, "aliased address with a quote",
         "[[http://x/\"onclick=\"a|text]]",
         "<p>\n<a href=\"http://x/&quot;onclick=&quot;a\">text</a>\n</p>\n"},
        {TWikiNotation::MediaWiki, "aliased script address", "[[javascript:alert(1)|text]]",
         "<p>\n<span class=\"newlink-name\">text</span><a "
         "href=\"NewLink:6A6176617363726970743A616C657274283129.txt\" "
         "class=\"newlink\">?</a>\n</p>\n"},
        {TWikiNotation::YukiWiki, "bare address with a quote", "http://x/\"onclick=\"alert(1)",
         "<p>\n<a "
         "href=\"http://x/&quot;onclick=&quot;alert\">http://x/&quot;onclick=&quot;alert</a>(1)</"
         "p>\n"},
        {TWikiNotation::YukiWiki, "bare address with an apostrophe", "http://x/'a",
         "<p>\n<a href=\"http://x/&#39;a\">http://x/'a</a></p>\n"},
        {TWikiNotation::PukiWiki, "bare address with a quote", "http://x/\"a",
         "<p>\n<a href=\"http://x/&quot;a\">http://x/&quot;a</a></p>\n"},
        {TWikiNotation::PukiWiki, "aliased address with a quote", "[[text>http://x/\"onclick=\"a]]",
         "<p>\n<a href=\"http://x/&quot;onclick=&quot;a\">text</a></p>\n"},
        {TWikiNotation::PukiWiki, "image alias with a quote", "[[http://x/\"a.png>http://x/]]",
         "<p>\n<a href=\"http://x/\"><img src=\"http://x/&quot;a.png\"></a></p>\n"},
        {TWikiNotation::PukiWiki, "aliased script address", "[[text>javascript:alert(1)]]",
         "<p>\n<span class=\"newlink-name\">text</span><a "
         "href=\"NewLink:6A6176617363726970743A616C657274283129.txt\" "
         "class=\"newlink\">?</a></p>\n"},
        {TWikiNotation::LivedoorWiki, "bare address with a quote", "http://x/\"a",
         "<p>\n<a href=\"http://x/&quot;a\">http://x/&quot;a</a></p>\n"},
        {TWikiNotation::LivedoorWiki, "aliased address with a quote", "[[text>http://x/\"a]]",
         "<p>\n<a href=\"http://x/&quot;a\">text</a></p>\n"},
        {TWikiNotation::LivedoorWiki, "aliased script address", "[[text>>javascript:alert(1)]]",
         "<p>\n<span class=\"newlink-name\">text</span><a "
         "href=\"NewLink:6A6176617363726970743A616C657274283129.txt\" "
         "class=\"newlink\">?</a></p>\n"},
        {TWikiNotation::FreeStyleWiki, "bare address with a quote", "http://x/\"a",
         "<p>\n<a href=\"http://x/&quot;a\">http://x/&quot;a</a></p>\n"},
        {TWikiNotation::FreeStyleWiki, "alias with a quote", "[http://x/\"a|http://x/]",
         "<p>\n<a href=\"http://x/\">http://x/&quot;a</a></p>\n"},
        {TWikiNotation::FreeStyleWiki, "script image alias", "[javascript:alert(1).png|http://x/]",
         "<p>\n<a href=\"http://x/\">javascript:alert(1).png</a></p>\n"},
        {TWikiNotation::FreeStyleWiki, "double-bracketed address with a quote",
         "[[x|http://x/\"a]]", "<p>\n<a href=\"http://x/&quot;a\">x</a></p>\n"},
        {TWikiNotation::Textile, "quoted link to javascript", "\"text\":javascript:alert(1)",
         "<p>\ntext</p>\n"},
        {TWikiNotation::Textile, "quoted link in mixed case", "\"text\":JaVaScRiPt:alert(1)",
         "<p>\ntext</p>\n"},
        {TWikiNotation::Textile, "quoted link with a reference",
         "\"text\":&#106;avascript:alert(1)",
         "<p>\n<a href=\"&amp;#106;avascript:alert(1)\">text</a></p>\n"},
        {TWikiNotation::Textile, "quoted link with a named colon",
         "\"text\":javascript&colon;alert(1)",
         "<p>\n<a href=\"javascript&amp;colon;alert(1)\">text</a></p>\n"},
        {TWikiNotation::Textile, "bracketed link to vbscript", "[\"text\":vbscript:msgbox(1)]",
         "<p>\ntext</p>\n"},
        {TWikiNotation::Textile, "quoted link to data", "\"text\":data:text/html,x",
         "<p>\ntext</p>\n"},
        {TWikiNotation::Textile, "quoted link with an apostrophe", "\"text\":http://x/'a",
         "<p>\n<a href=\"http://x/&#39;a\">text</a></p>\n"},
        {TWikiNotation::Textile, "heading with a script tag", "h1. <script>alert(1)</script>",
         "<h1><a name=\"i0\">&lt;script&gt;alert(1)&lt;/script&gt;</a></h1>\n"},
        {TWikiNotation::Textile, "heading with an image tag", "h2. <img src=x onerror=alert(1)>",
         "<h2><a name=\"i0\">&lt;img src=x onerror=alert(1)&gt;</a></h2>\n"},
        {TWikiNotation::Textile, "span style with an apostrophe", "%{color:red'x}span%",
         "<p>\n<span style=\"color:red&#39;x\">span</span></p>\n"},
        {TWikiNotation::Markdown, "inline link to javascript", "[t](javascript:alert(1))",
         "<p>t)</p>\n\n"},
        {TWikiNotation::Markdown, "inline link in capitals", "[t](JAVASCRIPT:alert(1))",
         "<p>t)</p>\n\n"},
        {TWikiNotation::Markdown, "inline link split by a tab", "[t](java\tscript:alert(1))",
         "<p>t)</p>\n\n"},
        {TWikiNotation::Markdown, "inline link with a decimal reference",
         "[t](&#106;avascript:alert(1))", "<p>t)</p>\n\n"},
        {TWikiNotation::Markdown, "inline link with a hex reference",
         "[t](&#x6A;avascript:alert(1))", "<p>t)</p>\n\n"},
        {TWikiNotation::Markdown, "inline link with a reference without semicolon",
         "[t](&#106avascript:alert(1))",
         "<p><a href=\"&amp;#106avascript:alert(1\">t</a>)</p>\n\n"},
        {TWikiNotation::Markdown, "inline link with a named colon",
         "[t](javascript&colon;alert(1))", "<p>t)</p>\n\n"},
        {TWikiNotation::Markdown, "inline link to vbscript", "[t](vbscript:msgbox(1))",
         "<p>t)</p>\n\n"},
        {TWikiNotation::Markdown, "inline link to data", "[t](data:text/html;base64,PHNjcmlwdD4=)",
         "<p>t</p>\n\n"},
        {TWikiNotation::Markdown, "inline link with a quote", "[t](http://x/\"onclick=\"alert(1))",
         "<p><a href=\"http://x/&quot;onclick=&quot;alert(1\">t</a>)</p>\n\n"},
        {TWikiNotation::Markdown, "inline link in angle brackets", "[t](<javascript:alert(1)>)",
         "<p><a href=\"&lt;javascript:alert(1\">t</a>>)</p>\n\n"},
        {TWikiNotation::Markdown, "inline image to javascript", "![i](javascript:alert(1))",
         "<p>i)</p>\n\n"},
        {TWikiNotation::Markdown, "inline image with a quote",
         "![i](http://x/\"onerror=\"alert(1))",
         "<p><img src=\"http://x/&quot;onerror=&quot;alert(1\" alt=\"i\" />)</p>\n\n"},
        {TWikiNotation::Markdown, "inline image of png data", "![i](data:image/png;base64,iVBOR)",
         "<p><img src=\"data:image/png;base64,iVBOR\" alt=\"i\" /></p>\n\n"},
        {TWikiNotation::Markdown, "inline image of svg data",
         "![i](data:image/svg+xml;base64,PHN2Zz4=)", "<p>i</p>\n\n"},
        {TWikiNotation::Markdown, "image inside a script link", "[![i](/i.png)](javascript:x)",
         "<p><img src=\"/i.png\" alt=\"i\" /></p>\n\n"},
        {TWikiNotation::Markdown, "reference link to javascript",
         "[t][r]\n\n[r]: javascript:alert(1)", "<p>t</p>\n\n\n\n"},
        {TWikiNotation::Markdown, "reference link with a quote", "[t][r]\n\n[r]: http://x/'a\"b",
         "<p><a href=\"http://x/&#39;a&quot;b\">t</a></p>\n\n\n\n"},
        {TWikiNotation::Markdown, "reference image to javascript",
         "![i][r]\n\n[r]: javascript:alert(1)", "<p>i</p>\n\n\n\n"},
        {TWikiNotation::Markdown, "reference image to png data",
         "![i][r]\n\n[r]: data:image/png;base64,iVBOR",
         "<p><img src=\"data:image/png;base64,iVBOR\" alt=\"i\" /></p>\n\n\n\n"},
        {TWikiNotation::Markdown, "autolink with a quote", "<http://x/\">",
         "<p><a href=\"http://x/&quot;\">http://x/&quot;</a></p>\n\n"},
        {TWikiNotation::Markdown, "autolink with an apostrophe", "<http://x/'a>",
         "<p><a href=\"http://x/&#39;a\">http://x/'a</a></p>\n\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Convert(c.notation, c.text), c.html)
            << static_cast<int>(c.notation) << " " << c.form << ": " << c.text;
}

TEST(SafeLinks, SchemeCheckReadsTheAddressAsABrowserDoes) {
    struct Case {
        std::string address;
        bool image;
        bool safe;
    };
    const Case cases[] = {
        {"http://example.com/", false, true},
        {"mailto:a@b.jp", false, true},
        {"page.html#x", false, true},
        {"/path/with:colon", false, true},      // a "/" before the colon: a relative address
        {"javascript", false, true},            // no colon: a relative address
        {"a&amp;b:c", false, true},             // "&" is no scheme character
        {"&amp;#106;avascript:x", false, true}, // one level of references only
        {"javascript:alert(1)", false, false},
        {"JavaScript:alert(1)", false, false},
        {" \x01javascript:x", false, false},
        {"java\tscr\nipt:x", false, false},
        {"java\x7Fscript:x", false, false},
        {"&#106;avascript:x", false, false},
        {"&#0000106;avascript:x", false, false},
        {"&#x6a;avascript:x", false, false},
        {"&#X6A avascript:x", false, false},
        {"&#106avascript:x", false, false},
        {"javascript&colon;x", false, false},
        {"java&Tab;script:x", false, false},
        {"java&NewLine;script:x", false, false},
        {"vbscript:msgbox", false, false},
        {"VBScript:msgbox", false, false},
        {"data:text/html,<script>", false, false},
        {"data:image/png;base64,AA", false, false}, // a link may not be data at all
        {"data:image/png;base64,AA", true, true},
        {"data:image/gif,AA", true, true},
        {"DATA:IMAGE/JPEG;base64,AA", true, true},
        {"data:image/webp;base64,AA", true, true},
        {"data:image/svg+xml;base64,AA", true, false},
        {"data:image/pngx,AA", true, false},
        {"data:image/png", true, false},
        {"data:text/html,x", true, false},
        {"javascript:x.png", true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TWikiDocumentConverter::IsSafeAddress(c.address, c.image), c.safe)
            << c.address << (c.image ? " (image)" : "");
}

TEST(SafeLinks, AttributeEscapingKeepsReferencesAndEscapesTheRest) {
    const std::pair<std::string, std::string> cases[] = {
        {"http://x/?a=1&b=2", "http://x/?a=1&amp;b=2"},
        {"http://x/?a=1&amp;b=2", "http://x/?a=1&amp;b=2"}, // escaped before: as it was
        {"&#106;&#x6A;&quot;", "&#106;&#x6A;&quot;"},
        {"& &; &#; &#x; &1;", "&amp; &amp;; &amp;#; &amp;#x; &amp;1;"},
        {"a\"b'c<d>e", "a&quot;b&#39;c&lt;d&gt;e"},
        {"\x83\x5C\x83\x7C", "\x83\x5C\x83\x7C"}, // double-byte text passes untouched
        {"&", "&amp;"},
        {"", ""},
    };
    for (const auto& [value, escaped] : cases)
        EXPECT_EQ(TWikiDocumentConverter::EscapeAttribute(value), escaped) << value;
}
