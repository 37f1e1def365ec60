// The livedoor Wiki notation: block rules, fenced blocks, tables, inline rules, plug-in
// calls, whole pages and hostile input.
#include "conversion/ULivedoorWikiDocumentConverter.h"
#include "plugins/UPluginShelf.h"
#include "storage/UWikiFileList.h"
#include "text/BRegExp.h"

#include "GoldenPages.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tarnel {
namespace {

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
// for one conversion at a time: the loader's tests check that nothing else keeps it loaded.
struct ProbeShelf : TPluginShelf {
    ProbeShelf() { LoadPlugin(std::string(TARNEL_TEST_PLUGIN_DIR) + "probe.so"); }
};

// Converts display-form text of a page, with the probe on the plug-in shelf or no shelf.
std::string Livedoor(std::string_view text, bool withPlugins = true) {
    ProbeShelf probe;
    TLivedoorWikiDocumentConverter converter;
    converter.Options.Plugins = withPlugins ? &probe : nullptr;
    converter.FileName = "/nonexistent/46726F6E7450616765.txt";
    converter.ResetConversionState();
    return converter.ConvertBlocks(text);
}

struct Case {
    std::string input;
    std::string expected; // LF line ends
};

void ExpectCases(const std::vector<Case>& cases) {
    for (const Case& c : cases)
        EXPECT_EQ(Livedoor(c.input), Crlf(c.expected)) << "input: " << c.input;
}

std::string NewLink(const std::string& name, const std::string& text) {
    return "<span class=\"newlink-name\">" + text +
           "</span><a href=\"NewLink:" + EncodePageName(name, false) +
           ".txt\" class=\"newlink\">?</a>";
}

TEST(LivedoorBlocks, LinesAndLists) {
    ExpectCases({
        // Every plain line is a paragraph of its own.
        {"a\nb", "<p>\na</p>\n<p>\nb</p>\n"},
        // Quotation lines end with a break; a plain line after them joins without one.
        {">q\n r\nplain\n\nx", "<blockquote>\nq<br>\nr<br>\nplain\n</blockquote>\n<p>\nx</p>\n"},
        {">>q", "<blockquote>\n&gt;q<br>\n</blockquote>\n"},
        {"* T [#a]\n**U\n***V",
         "<h2><a name=\"i0\"> T [#a]</a></h2>\n<h3><a name=\"i1\">U</a></h3>\n"
         "<h4><a name=\"i2\">V</a></h4>\n"},
        {"-a\nplain\n++b\n----",
         "<ul class=\"list1\">\n  <li>a</li>\nplain\n</ul>\n<ol class=\"list2\">\n"
         "<ol class=\"list2\">\n  <li>b</li>\n</ol>\n</ol>\n<hr>\n"},
        {":t|d\n:x", "<dl>\n  <dt>t</dt>\n  <dd>d</dd>\n</dl>\n<p>\n:x</p>\n"},
        {"a\n//c\nRIGHT:x\n~y", "<p>\na</p>\n<p>\nRIGHT:x</p>\n<p>\n~y</p>\n"},
        {"line~\n#x(){{",
         "<p>\nline~</p>\n<p>\n#x(){{</p>\n"}, // no tilde breaks, no block plug-ins
    });
}

TEST(LivedoorBlocks, FencedBlocks) {
    ExpectCases({
        {"=|AA|\n <a> \n(^_^)||=\nafter",
         "<div class=\"ascii-art\">\n &lt;a&gt; <br>\n(^_^)</div>\n<p>\nafter</p>\n"},
        {"=|AAS|\n||=", "<div class=\"ascii-art\">\n</div>\n"},
        {"=||\n* not a heading\n<b>x</b>||=",
         "<pre class=\"verbatim-hard\">\n* not a heading\n&lt;b&gt;x&lt;/b&gt;"
         "</pre>\n"},
        {"=|BOX|\na", "<pre class=\"verbatim-hard\">\na\n</pre>\n"}, // ends with the page
        {"=|AA|", "<div class=\"ascii-art\">\n</div>\n"},
        {"=||\n=||", "<pre class=\"verbatim-hard\">\n=||\n</pre>\n"},
        {"-a\n=||\nx||=\n-b",
         "<ul class=\"list1\">\n  <li>a</li>\n</ul>\n<pre class=\"verbatim-hard\">\nx</pre>\n"
         "<ul class=\"list1\">\n  <li>b</li>\n</ul>\n"},
        // Katakana po is 83 7C: a line ending in it and "|=" has no closing mark.
        {"=||\n\x83\x7C|=\nz||=", "<pre class=\"verbatim-hard\">\n\x83\x7C|=\nz</pre>\n"},
    });
}

TEST(LivedoorTables, RowsSpansAndHeaders) {
    ExpectCases({
        {"|~a|b|\n|^|c|", "<table>\n<tr>\n  <th rowspan=\"2\">a</th>\n  <th>b</th>\n</tr>\n<tr>\n  "
                          "<td>c</td>\n</tr>\n"
                          "</table>\n"},
        // Only the first emitted cell decides; "~" elsewhere is text.
        {"|>|~a|~b|",
         "<table>\n<tr>\n  <th colspan=\"2\">a</th>\n  <th>~b</th>\n</tr>\n</table>\n"},
        {"|a|~b|", "<table>\n<tr>\n  <td>a</td>\n  <td>~b</td>\n</tr>\n</table>\n"},
        {",a,b,\n,^,c,h", "<table>\n<tr>\n  <td rowspan=\"2\">a</td>\n  <td>b</td>\n</tr>\n<tr>\n  "
                          "<td>c</td>\n</tr>\n"
                          "</table>\n"},
        {"|center:bgcolor(#fff):~x|LEFT:y|",
         "<table>\n<tr>\n  <th style=\"text-align:center; background-color:#fff;\">"
         "x</th>\n  <th>LEFT:y</th>\n</tr>\n</table>\n"},
        // A comma table and a pipe table in a row: each has its own spans ("^" in the
        // pipe table's first row joins nothing), in one table element.
        {",a,\n|^|\n|b|",
         "<table>\n<tr>\n  <td>a</td>\n</tr>\n<tr>\n</tr>\n<tr>\n  <td>b</td>\n</tr>\n</table>\n"},
        {"|^|a|\n|>|>|\n|b|^|c|",
         "<table>\n<tr>\n  <td>a</td>\n</tr>\n<tr>\n</tr>\n<tr>\n  <td>b</td>\n"
         "  <td>c</td>\n</tr>\n</table>\n"},
        {"|a|\n|^|\nx",
         "<table>\n<tr>\n  <td rowspan=\"2\">a</td>\n</tr>\n<tr>\n</tr>\n</table>\n<p>\nx</p>\n"},
        {"|a|c", "<p>\n|a|c</p>\n"},
    });
}

TEST(LivedoorInline, DecorationsAndLinks) {
    ExpectCases({
        {"'''i''' ''s'' %%%ins%%% %%del%% __sub__",
         "<p>\n<i>i</i> <strong>s</strong> <ins>ins</ins> <del>del</del> "
         "<sub>sub</sub></p>\n"},
        {"%%%a%%b%%%", "<p>\n%<del>a</del>b%%%</p>\n"},
        {"a~~b~~", "<p>\na<br>\nb<br>\n</p>\n"},
        {"[[alias>>http://x.org/]] [[x>http://y.org/]] WikiName",
         "<p>\n<a href=\"http://x.org/\">alias</a> <a href=\"http://y.org/\">x</a> WikiName</p>\n"},
        {"[[a>>>Page]] [[Page]]",
         "<p>\n" + NewLink("Page", "a") + " " + NewLink("Page", "Page") + "</p>\n"},
        {"[[a>b>c]]", "<p>\n" + NewLink("b&gt;c", "a") + "</p>\n"},
        {"x((note))",
         "<p>\nx<span class=\"footnote\"><a class=\"footnote\" title=\"note\" "
         "href=\"InnerLink:#f1\" "
         "name=\"fn1\">*1</a></span></p>\n<div class=\"footnote\"><span class=\"footnote\"><a "
         "class=\"footnote\" href=\"InnerLink:#fn1\" name=\"f1\">*1</a></span><span "
         "class=\"footnote_caption\">note</span><br>\n</div>"},
    });
}

TEST(LivedoorInline, PluginCalls) {
    const std::string context = "|FrontPage|46726F6E7450616765.txt|/nonexistent/|/|]";
    ExpectCases({
        // A call needs both parentheses and braces, and is looked up without case.
        {"&probe(a){b} &PROBE(c){} &probe(d)",
         "<p>\n[a,b|a,b" + context + " [c|c" + context + " &amp;probe(d)</p>\n"},
        // The inline scan takes both as one call, and the call names the first; the rest
        // of it stays as text.
        {"&probe(a) &probe(b){c}", "<p>\n[a|a" + context + " &amp;probe(b){c}</p>\n"},
        {"&nosuch(a){b}", "<p>\n&amp;nosuch(a){b}</p>\n"},
        {"& x &probe(a){b}", "<p>\n&amp; x [a,b|a,b" + context + "</p>\n"},
    });
    EXPECT_THROW(Livedoor("&probe(a){b}", false), EConvertError);
}

// The scanners find what their patterns find.
TEST(LivedoorInline, ScannersAgreeWithTheirPatterns) {
    const std::vector<std::string> pieces = {
        "&", "(", ")", "{", "}", ";", "a", " ", "\x83\x7C", "\x81\x7B", "\x81\x7D", "\x82\xA0"};
    std::mt19937 rng(5);
    const char* inlinePattern = "m/^(.*?)(&.+?\\(.*?\\)\\{.*?\\})/k";
    const char* callPattern = "m/&([^\\x00-\\x20()<>\\x7F-\\xFF]+?)\\((.*?)\\)(?:\\{(.*?)\\})?/k";
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (std::size_t i = rng() % 12; i > 0; --i)
            text += pieces[rng() % pieces.size()];

        std::string expected, actual;
        ScanReplace(inlinePattern, text, [&](const RegexMatch& m, std::string&) {
            expected += std::to_string(m.Position() + m.Group(1).size()) + "-" +
                        std::to_string(m.End()) + ",";
        });
        TCallScanner scanner(text, TCallScanner::TNotation::Livedoor);
        std::size_t pos = 0;
        while (auto next = scanner.NextInline(pos)) {
            actual += std::to_string(next->Begin) + "-" + std::to_string(next->End) + ",";
            pos = next->End;
        }
        ASSERT_EQ(actual, expected) << "inline scan of " << text;

        RegexMatch m = Search(callPattern, text);
        auto call = TCallScanner(text, TCallScanner::TNotation::Livedoor).ParseCall();
        ASSERT_EQ(call.has_value(), m.Found()) << "call in " << text;
        if (call) {
            EXPECT_EQ(call->Begin, m.Position()) << text;
            EXPECT_EQ(call->End, m.End()) << text;
            EXPECT_EQ(call->Name, m.Group(1)) << text;
            EXPECT_EQ(call->Arguments, m.Group(2)) << text;
            EXPECT_EQ(call->Body, m.Group(3)) << text;
        }
    }
}

TEST(LivedoorPages, GoldenPages) {
    // The shipped plug-ins: their output does not depend on where the pages lie.
    TPluginShelf shipped;
    shipped.LoadFolder(std::string(TARNEL_APP_DIR) + "plugin/");
    ASSERT_GT(shipped.Count(), 0u);
    TLivedoorWikiDocumentConverter converter;
    converter.Options.Plugins = &shipped;
    tarnel::testing::ExpectGoldenPages("livedoor", converter);
}

TEST(LivedoorPages, HostileInput) {
    std::mt19937 rng(43);
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
        repeat("a ''b'' [[c>>d]] &e(f){g} ((h)) %%%i%%% ~~ __j__ http://k/ ", n),
        repeat("&(", n) + "){",
        "& x(){" + repeat("&b(", n) + "}",
        repeat("[[", n),
        repeat("((", n),
        repeat("~", n),
        repeat("_", n),
        repeat("%", n),
        "|" + repeat("center:", n) + "x|",
        repeat("|^", n) + "|",
        repeat(",^", n) + ",",
        repeat("|a|\n", n / 4),
        repeat("-a\n--b\n---c\n+d\n", n),
        "=|AA|\n" + repeat("x\n", n),
        "=||\n" + repeat("|\n", n),
        "=||",
        "=|AA|\n\x81",
        "|\x81|",
        "&\x81",
    };
    for (const std::string& input : inputs)
        EXPECT_NO_THROW(Livedoor(input)) << input.substr(0, 40);
    // A fence never closed keeps every line after it, to the end of the page.
    std::string lines = repeat("x\n", 20000);
    EXPECT_EQ(Livedoor("=||\n" + lines),
              Crlf("<pre class=\"verbatim-hard\">\n" + lines + "</pre>\n"));
}

} // namespace
} // namespace tarnel
