// The plug-in loader, the call of a plug-in, the shipped plug-ins and the helpers of the
// plug-in header. The loader's edge cases use the libraries of tests/plugins/.
#include "plugins/TarnelPlugin.h" // with the helpers, as a plug-in sees it
#include "plugins/UPluginShelf.h"

#include <ctime>
#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "TestFolder.h"

namespace tarnel {
namespace {

namespace fs = std::filesystem;
using tarnel::testing::TestFolder;

const std::string kTestPlugins = TARNEL_TEST_PLUGIN_DIR;
const std::string kShippedPlugins = std::string(TARNEL_APP_DIR) + "plugin/";

std::string Sjis(std::string_view utf8) {
    return plugin::Utf8ToShiftJis(utf8);
}
std::string Euc(std::string_view utf8) {
    return plugin::Recode(utf8, "UTF-8", "EUC-JP");
}

// Whether the library is still mapped into the process.
bool IsLoaded(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr) dlclose(handle); // RTLD_NOLOAD still counts a reference
    return handle != nullptr;
}

std::vector<std::string> Names(const TPluginShelf& shelf) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < shelf.Count(); ++i)
        names.push_back(shelf[i].Name);
    return names;
}

// The seven arguments as a converter builds them for a page of `folder`.
PluginCallArgs Args(std::string escaped, std::string raw, std::string folder = "/wiki/") {
    return PluginCallArgs{std::move(escaped), std::move(raw), "FrontPage", "46726F6E7450616765.txt",
                          std::move(folder),  "/tmpl/",       ""};
}

// ---- Loading ---------------------------------------------------------------------------

TEST(PluginShelf, MissingOrEmptyFolderGivesEmptyShelf) {
    TPluginShelf shelf;
    shelf.LoadFolder(kTestPlugins);
    ASSERT_GT(shelf.Count(), 0u);
    shelf.LoadFolder("/nonexistent/tarnel/plugin/"); // empties what was there
    EXPECT_EQ(shelf.Count(), 0u);
    TestFolder empty;
    shelf.LoadFolder(empty.Path());
    EXPECT_EQ(shelf.Count(), 0u);
}

TEST(PluginShelf, LoadsOnlyLibrariesDirectlyInTheFolder) {
    TestFolder folder;
    folder.Write("x.so", "not a library\n");
    fs::create_directory(folder.Path() + "dir.so");
    fs::create_directory(folder.Path() + "sub");
    fs::copy_file(kTestPlugins + "probe.so", folder.Path() + "sub/probe.so");
    fs::copy_file(kTestPlugins + "probe.so", folder.Path() + "probe.so.bak");
    fs::copy_file(kTestPlugins + "twin_a.so", folder.Path() + "twin.so");

    TPluginShelf shelf;
    shelf.LoadFolder(folder.Path());
    EXPECT_EQ(Names(shelf), std::vector<std::string>{"twin"});

    // A folder given without the closing "/" gives the same paths.
    std::string path = folder.Path();
    path.pop_back();
    shelf.LoadFolder(path);
    ASSERT_EQ(shelf.Count(), 1u);
    EXPECT_EQ(shelf[0].FileName, folder.Path() + "twin.so");
}

TEST(PluginShelf, SortsByNameAndSkipsIncompleteLibraries) {
    TPluginShelf shelf;
    shelf.LoadFolder(kTestPlugins);
    // Not there: noexample (no GetExample), borrowed (GetExample only in a library it
    // uses), noname (empty name), twin_b (name taken).
    EXPECT_EQ(Names(shelf),
              (std::vector<std::string>{"altversion", "nulls", "probe", "twin", "\x83\x41"}));
}

TEST(PluginShelf, LoadsWhenFirstAskedFromAnyThread) {
    const bool loadedBefore = IsLoaded(kTestPlugins + "probe.so"); // by an earlier test
    TPluginShelf shelf;
    shelf.LoadFolderWhenAsked(kTestPlugins);
    if (!loadedBefore) {
        EXPECT_FALSE(IsLoaded(kTestPlugins + "probe.so")); // not yet
    }
    // Four threads ask at once: each finds the one plug-in, loaded once.
    std::vector<const TPlugin*> found(4);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < found.size(); ++i)
        threads.emplace_back([&, i] { found[i] = shelf.Find("probe", true); });
    for (std::thread& t : threads)
        t.join();
    ASSERT_NE(found[0], nullptr);
    for (const TPlugin* plugin : found)
        EXPECT_EQ(plugin, found[0]);
    EXPECT_TRUE(IsLoaded(kTestPlugins + "probe.so"));
    EXPECT_EQ(Names(shelf),
              (std::vector<std::string>{"altversion", "nulls", "probe", "twin", "\x83\x41"}));
    // A folder loaded at once afterwards replaces the one still to be loaded.
    TPluginShelf other;
    other.LoadFolderWhenAsked(kTestPlugins);
    other.LoadFolder("/nonexistent/tarnel/plugin/");
    EXPECT_EQ(other.Count(), 0u);
}

TEST(PluginShelf, ReleasesEveryLibraryItDoesNotKeep) {
    TPluginShelf shelf;
    for (const char* name : {"noexample.so", "borrowed.so", "noname.so"}) {
        shelf.LoadPlugin(kTestPlugins + name);
        EXPECT_EQ(shelf.Count(), 0u) << name;
        EXPECT_FALSE(IsLoaded(kTestPlugins + name)) << name;
    }
    shelf.LoadPlugin("/nonexistent/none.so");
    EXPECT_EQ(shelf.Count(), 0u);

    shelf.LoadPlugin(kTestPlugins + "probe.so");
    EXPECT_TRUE(IsLoaded(kTestPlugins + "probe.so"));
    shelf.LoadPlugin(kTestPlugins + "probe.so"); // a name already there: the new load is dropped
    EXPECT_EQ(shelf.Count(), 1u);
    shelf.Clear();
    EXPECT_EQ(shelf.Count(), 0u);
    EXPECT_FALSE(IsLoaded(kTestPlugins + "probe.so"));
}

TEST(PluginShelf, RecordsWhatTheExportsReturnInDisplayForm) {
    TPluginShelf shelf;
    shelf.LoadFolder(kTestPlugins);
    const TPlugin* probe = shelf.Find("probe", true);
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(probe->PluginType, 7);
    EXPECT_EQ(probe->Version, "1.0"); // GetVersion is preferred to GetPluginVersion
    EXPECT_EQ(probe->Author, "Tarnel tests");
    EXPECT_EQ(probe->Syntax, "&probe(\x88\xf8\x90\x94)"); // 引数 in Shift_JIS
    EXPECT_EQ(probe->Description, Sjis("試験用"));
    EXPECT_EQ(probe->Example, Sjis("&probe(例)"));
    EXPECT_EQ(probe->FileName, kTestPlugins + "probe.so");
    EXPECT_NE(probe->Handle, nullptr);
    EXPECT_EQ(CallPluginInline(*probe, Args("calls", "calls")),
              "GetPluginType,GetName,GetVersion,GetAuthor,GetSyntax,GetDescription,GetExample");

    ASSERT_NE(shelf.Find("altversion", true), nullptr);
    EXPECT_EQ(shelf.Find("altversion", true)->Version, "2.5-alt");

    // NULL results are empty strings, from the description exports and from a call.
    const TPlugin* nulls = shelf.Find("nulls", true);
    ASSERT_NE(nulls, nullptr);
    EXPECT_EQ(nulls->Version + nulls->Author + nulls->Syntax + nulls->Description + nulls->Example,
              "");
    EXPECT_EQ(CallPluginInline(*nulls, Args("x", "x")), "");
}

TEST(PluginShelf, FirstLoadedKeepsANameInAnyCase) {
    TPluginShelf shelf;
    shelf.LoadFolder(kTestPlugins); // twin_a.so ("twin") comes before twin_b.so ("Twin")
    ASSERT_NE(shelf.Find("twin", true), nullptr);
    EXPECT_EQ(shelf.Find("twin", true)->Author, "first");
    EXPECT_EQ(shelf.Find("Twin", true), nullptr);

    shelf.Clear();
    shelf.LoadPlugin(kTestPlugins + "twin_b.so");
    shelf.LoadPlugin(kTestPlugins + "twin_a.so");
    EXPECT_EQ(Names(shelf), std::vector<std::string>{"Twin"});
    EXPECT_EQ(shelf[0].Author, "second");
}

TEST(PluginShelf, FindFoldsOnlyAsciiLetters) {
    TPluginShelf shelf;
    shelf.LoadFolder(kTestPlugins);
    struct Case {
        const char* name;
        bool caseSensitive;
        const char* found; // nullptr: not found
    };
    const Case cases[] = {
        {"probe", true, "probe"},
        {"Probe", true, nullptr},
        {"PROBE", false, "probe"},
        {"prob", false, nullptr},
        {"", false, nullptr},
        {"\x83\x41", true, "\x83\x41"}, // ア
        // ヂ differs from ア only in a trail byte that looks like "a": not the same name.
        {"\x83\x61", false, nullptr},
    };
    for (const Case& c : cases) {
        const TPlugin* plugin = shelf.Find(c.name, c.caseSensitive);
        EXPECT_EQ(plugin == nullptr ? std::string("(none)") : plugin->Name,
                  c.found == nullptr ? "(none)" : c.found)
            << c.name << (c.caseSensitive ? " with case" : " without case");
    }
}

// ---- Calling ---------------------------------------------------------------------------

TEST(PluginCall, PassesTheSevenArgumentsInOrderAndReturnsShiftJis) {
    TPluginShelf shelf;
    shelf.LoadPlugin(kTestPlugins + "probe.so");
    ASSERT_EQ(shelf.Count(), 1u);
    PluginCallArgs args{"&lt;a&gt;," + Sjis("テスト"),
                        "<a>," + Sjis("テスト"),
                        Sjis("ページ"),
                        "A5DAA1BCA5B8.txt",
                        "/wiki/",
                        "/tmpl/",
                        ""};
    std::string result = CallPluginInline(shelf[0], args);
    EXPECT_EQ(result, "[&lt;a&gt;,\x83\x65\x83\x58\x83\x67|<a>,\x83\x65\x83\x58\x83\x67|" +
                          Sjis("ページ") + "|A5DAA1BCA5B8.txt|/wiki/|/tmpl/|]");
}

TEST(PluginCall, TakePluginStringConvertsAndFrees) {
    EXPECT_EQ(TakePluginString(nullptr), "");
    EXPECT_EQ(TakePluginString(plugin::NewString(u"表示")), "\x95\x5c\x8e\xa6");
}

// ---- Shipped plug-ins ------------------------------------------------------------------

class ShippedPlugins : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        shelf_ = new TPluginShelf;
        shelf_->LoadFolder(kShippedPlugins);
    }
    static void TearDownTestSuite() {
        delete shelf_;
        shelf_ = nullptr;
    }
    static std::string Call(const char* name, const PluginCallArgs& args) {
        const TPlugin* plugin = shelf_->Find(name, true);
        if (plugin == nullptr) {
            ADD_FAILURE() << "plug-in not loaded: " << name;
            return std::string();
        }
        return CallPluginInline(*plugin, args);
    }
    static TPluginShelf* shelf_;
};
TPluginShelf* ShippedPlugins::shelf_ = nullptr;

TEST_F(ShippedPlugins, AllLoadWithTheirUsage) {
    for (std::string name : {"br", "color", "date", "now", "size", "source", "time"}) {
        const TPlugin* plugin = shelf_->Find(name, true);
        ASSERT_NE(plugin, nullptr) << name;
        EXPECT_EQ(plugin->FileName, kShippedPlugins + name + ".so");
        EXPECT_FALSE(plugin->Version.empty() || plugin->Author.empty() ||
                     plugin->Description.empty())
            << name;
        EXPECT_EQ(plugin->Syntax.rfind("&" + name + "(", 0), 0u) << name;
        EXPECT_NE(plugin->Example.find("&" + name + "("), std::string::npos) << name;
    }
}

TEST_F(ShippedPlugins, ColorSizeAndBreak) {
    struct Case {
        const char* plugin;
        std::string arguments; // escaped; also given as written
        std::string html;
    };
    const Case cases[] = {
        {"color", "red," + Sjis("赤"), "<span style=\"color:red\">" + Sjis("赤") + "</span>"},
        {"color", " #3366cc ,a,b", "<span style=\"color:#3366cc\">a,b</span>"},
        // The text arrives escaped and is not escaped again.
        {"color", "navy,&lt;b&gt; &amp;", "<span style=\"color:navy\">&lt;b&gt; &amp;</span>"},
        // Only colours reach the style attribute; otherwise the text stays plain.
        {"color", "red;background:url(x),t", "t"},
        {"color", "#12345,t", "t"},
        {"color", "&quot;red,t", "t"},
        {"color", "red", "red"},
        {"size", "24,x", "<span style=\"font-size:24px\">x</span>"},
        {"size", "1.5em,x", "<span style=\"font-size:1.5em\">x</span>"},
        {"size", "120%,x", "<span style=\"font-size:120%\">x</span>"},
        {"size", "24;color:red,x", "x"},
        {"size", "1.2.3,x", "x"},
        {"size", "big,x", "x"},
        {"br", "", "<br>"},
        {"br", "ignored", "<br>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Call(c.plugin, Args(c.arguments, c.arguments)), c.html)
            << c.plugin << "(" << c.arguments << ")";
}

std::string LocalDate(std::time_t when) {
    std::tm t{};
    localtime_r(&when, &t);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &t);
    return text;
}

TEST_F(ShippedPlugins, DateAndTimeAreOfTheCall) {
    std::time_t before = std::time(nullptr);
    std::string date = Call("date", Args("", ""));
    std::string time = Call("time", Args("", ""));
    std::string now = Call("now", Args("", ""));
    std::time_t after = std::time(nullptr);

    // The day may change during the calls.
    auto sameDay = [&](const std::string& d) {
        return d == LocalDate(before) || d == LocalDate(after);
    };
    EXPECT_TRUE(sameDay(date)) << date;
    EXPECT_TRUE(std::regex_match(time, std::regex(R"(\d\d:[0-5]\d:[0-5]\d)"))) << time;

    std::smatch m;
    ASSERT_TRUE(
        std::regex_match(now, m, std::regex(R"((\d{4}-\d\d-\d\d) \((..)\) \d\d:\d\d:\d\d)")))
        << now;
    EXPECT_TRUE(sameDay(m[1].str()));
    std::tm t{};
    std::time_t when = m[1].str() == LocalDate(before) ? before : after;
    localtime_r(&when, &t);
    const char* weekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
    EXPECT_EQ(m[2].str(), Sjis(weekdays[t.tm_wday]));
}

class SourcePlugin : public ShippedPlugins {
protected:
    std::string Source(const std::string& name, const std::string& folder,
                       const std::string& pageFile = "46726F6E7450616765.txt") {
        PluginCallArgs args = Args(plugin::EscapeHtml(name), name, folder);
        args.PageFileName = pageFile;
        return Call("source", args);
    }
    TestFolder wiki_;
};

TEST_F(SourcePlugin, ShowsThePageTextEscapedInPre) {
    wiki_.Write("A5C6A5B9A5C8.txt", Euc("<b>&\"x\"\n二行目\r\n&color(red,x)"));
    const std::string html =
        "<pre>&lt;b&gt;&amp;&quot;x&quot;\n" + Sjis("二行目") + "\n&amp;color(red,x)</pre>";
    EXPECT_EQ(Source(Sjis("テスト"), wiki_.Path()), html);
    EXPECT_EQ(Source(Sjis(" テスト "), wiki_.Path()), html) << "blanks around the name";
}

TEST_F(SourcePlugin, FindsPageFilesAsTheWikiNamesThem) {
    // Circled one (Shift_JIS 87 40, row 13) is EUC-JP AD A1 by row and cell arithmetic;
    // half-width ｱ is 8E B1.
    wiki_.Write("ADA1.txt", "circled");
    EXPECT_EQ(Source("\x87\x40", wiki_.Path()), "<pre>circled</pre>");
    wiki_.Write("8EB1.txt", "kana");
    EXPECT_EQ(Source("\xB1", wiki_.Path()), "<pre>kana</pre>");
    // The extension of the page being shown.
    wiki_.Write("41.wiki", "ext");
    EXPECT_EQ(Source("A", wiki_.Path(), "42.wiki"), "<pre>ext</pre>");
    // A wiki with UTF-8 file names, and a UTF-8 page text.
    wiki_.Write("E8A1A8.txt", "UTF-8 " + std::string("本文"));
    EXPECT_EQ(Source(Sjis("表"), wiki_.Path()), "<pre>UTF-8 " + Sjis("本文") + "</pre>");
    // A folder with a Japanese name arrives in Shift_JIS.
    fs::create_directory(wiki_.Path() + "日記");
    wiki_.Write("日記/41.txt", "diary");
    EXPECT_EQ(Source("A", Sjis(wiki_.Path() + "日記/")), "<pre>diary</pre>");
}

TEST_F(SourcePlugin, MissingPageGivesAMessage) {
    std::string html = Source("<none>", wiki_.Path());
    EXPECT_NE(html.find("plugin-error"), std::string::npos) << html;
    EXPECT_NE(html.find("&lt;none&gt;"), std::string::npos) << html;
    EXPECT_EQ(html.find("<none>"), std::string::npos) << html;
    EXPECT_NE(Source("  ", wiki_.Path()).find("plugin-error"), std::string::npos);
    fs::create_directory(wiki_.Path() + "41.txt"); // a folder is not a page
    EXPECT_NE(Source("A", wiki_.Path()).find("plugin-error"), std::string::npos);
}

// ---- Helpers of the plug-in header -------------------------------------------------------

TEST(TarnelPluginHelpers, ConversionReplacesWhatItCannotConvert) {
    bool clean = true;
    EXPECT_EQ(plugin::ToUtf16("a\xC3(b", "UTF-8", &clean), u"a\uFFFD(b");
    EXPECT_FALSE(clean);
    EXPECT_EQ(plugin::ToUtf16("\x95\x5c", "CP932", &clean), u"表");
    EXPECT_TRUE(clean);
    // A character outside Shift_JIS is one "?", also when it takes two UTF-16 units.
    EXPECT_EQ(plugin::FromUtf16(u"a\U0001F600b\u00E9", "CP932"), "a?b?");
    EXPECT_EQ(plugin::Recode("x", "no-such-encoding", "UTF-8", &clean), "");
    EXPECT_FALSE(clean);
    // ISO-2022-JP output ends back in ASCII.
    EXPECT_EQ(plugin::Recode("\x82\xa0", "CP932", "ISO-2022-JP"), "\x1b$B$\"\x1b(B");
}

TEST(TarnelPluginHelpers, ArgumentsAndEscaping) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(plugin::SplitArguments("red,a,b"), (V{"red", "a", "b"}));
    EXPECT_EQ(plugin::SplitArguments("red,a,b", 2), (V{"red", "a,b"}));
    EXPECT_EQ(plugin::SplitArguments("", 2), (V{""}));
    EXPECT_EQ(plugin::Trim(" \tx y\r\n"), "x y");
    EXPECT_EQ(plugin::EscapeHtml("<&\">\x95\x5c"), "&lt;&amp;&quot;&gt;\x95\x5c");
    EXPECT_EQ(plugin::EscapeHtml(u"a<b"), u"a&lt;b");
    char16_t* empty = plugin::NewString(u"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], u'\0');
    std::free(empty);
}

} // namespace
} // namespace tarnel
