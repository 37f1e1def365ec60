// Showing a page off the window's thread: which pages go to a worker, the first part of a big
// page, which result still counts, and a page converted aside that must equal the page
// converted where it was asked for.
#include "GeneratedPages.h"
#include "TestFolder.h"
#include "plugins/UPlugin.h"
#include "render/UPageShowing.h"
#include "render/UWikiSession.h"
#include "render/UWorkerThreads.h"
#include "storage/UDocumentSettings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace tarnel;
using tarnel::testing::TestFolder;

TEST(PageShowing, TheWayFollowsTheFileSizeAndTheSamePage) {
    struct Case {
        std::uintmax_t size;
        bool samePage;
        TShowWay way;
    } cases[] = {
        {0, false, TShowWay::Direct},
        {kBackgroundPageBytes - 1, false, TShowWay::Direct},
        {kBackgroundPageBytes - 1, true, TShowWay::Direct},
        {kBackgroundPageBytes, false, TShowWay::Background},
        {kFirstPartPageBytes - 1, false, TShowWay::Background},
        {kFirstPartPageBytes, false, TShowWay::BackgroundFirstPart},
        {10'000'000, false, TShowWay::BackgroundFirstPart},
        // A reload leaves the page on the screen until the new one is drawn in its place.
        {10'000'000, true, TShowWay::Background},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShowWayFor(c.size, c.samePage), c.way) << c.size << " " << c.samePage;
}

TEST(PageShowing, TheFirstPartEndsAtABlockBoundary) {
    const std::string para = "line one\nline twoo\n\n"; // 20 bytes, a blank line at its end
    struct Case {
        const char* what;
        std::string text;
        std::size_t atLeast;
        std::size_t length;
    } cases[] = {
        {"shorter than the first part", "abc\n\ndef\n", 100, 9},
        {"exactly as long", std::string(100, 'x'), 100, 100},
        {"the blank line after the minimum", para + para + para, 25, 40},
        {"a blank line right at the minimum", para + para, 19, 20},
        {"a blank line ending before it does not count", para + para, 21, 40},
        {"no blank line near: the end of a line",
         std::string(30, 'x') + "\n" + std::string(500, 'y') + "\n\nz", 10, 31},
        {"one long line without an end", std::string(500, 'x'), 10, 500},
    };
    for (const Case& c : cases) {
        std::size_t length = FirstPartLength(c.text, c.atLeast);
        EXPECT_EQ(length, c.length) << c.what;
        EXPECT_LE(length, c.text.size()) << c.what;
    }
    // A double-byte page is cut between characters: at a line end.
    std::string japanese;
    while (japanese.size() < 5000)
        japanese += generated::kJapanese + generated::kMarkTrails + "\n";
    std::size_t cut = FirstPartLength(japanese, 1000);
    ASSERT_LT(cut, japanese.size());
    EXPECT_EQ(japanese[cut - 1], '\n');
}

TEST(PageShowing, OnlyTheNewestRequestCounts) {
    TShowRequests requests;
    EXPECT_FALSE(requests.Pending());
    EXPECT_FALSE(requests.IsCurrent(0));
    std::uint64_t first = requests.Begin();
    EXPECT_TRUE(requests.IsCurrent(first));
    EXPECT_TRUE(requests.Pending());

    // A newer click wins: the first result is dropped, the second still pending.
    std::uint64_t second = requests.Begin();
    EXPECT_FALSE(requests.IsCurrent(first));
    EXPECT_TRUE(requests.IsCurrent(second));
    requests.Finish(first); // a stale result that arrives late changes nothing
    EXPECT_TRUE(requests.Pending());
    requests.Finish(second);
    EXPECT_FALSE(requests.Pending());

    // A page shown directly supersedes the page being converted.
    std::uint64_t third = requests.Begin();
    requests.Supersede();
    EXPECT_FALSE(requests.IsCurrent(third));
    EXPECT_FALSE(requests.Pending());
    EXPECT_TRUE(requests.IsCurrent(requests.Begin()));
}

TEST(PageShowing, WorkerThreadsAreAllJoined) {
    std::atomic<int> ran{0};
    {
        TWorkerThreads workers;
        for (int i = 0; i < 8; ++i)
            workers.Start([&] { ran.fetch_add(1); });
        workers.JoinAll();
        EXPECT_EQ(ran.load(), 8);
        EXPECT_EQ(workers.Running(), 0);
        workers.Start([&] { ran.fetch_add(1); });
    } // the destructor waits for the last one
    EXPECT_EQ(ran.load(), 9);
}

namespace {

std::atomic<int> g_inside{0};
std::atomic<int> g_mostInside{0};

char16_t* CountingInline(const char*, const char*, const char*, const char*, const char*,
                         const char*, const char*) {
    int now = g_inside.fetch_add(1) + 1;
    int most = g_mostInside.load();
    while (now > most && !g_mostInside.compare_exchange_weak(most, now)) {
    }
    for (int i = 0; i < 50; ++i)
        std::this_thread::yield(); // room for another thread to come in, if it could
    g_inside.fetch_sub(1);
    return nullptr;
}

} // namespace

// A plug-in may keep state in globals: two conversions never call into plug-ins at once.
TEST(PageShowing, PluginCallsFromSeveralThreadsComeOneAtATime) {
    TPlugin plugin;
    plugin.InlineFunc = &CountingInline;
    PluginCallArgs args;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 300; ++i)
                CallPluginInline(plugin, args);
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(g_mostInside.load(), 1);
}

namespace {

// Two sessions over the built program folder and the same wikis, each with a settings file
// of its own: one shows pages directly, the other converts them aside on a thread.
class AsideTest : public ::testing::Test {
protected:
    AsideTest() : direct(TARNEL_APP_DIR), aside(TARNEL_APP_DIR) {
        direct.Start(root.Path() + "direct.ini");
        aside.Start(root.Path() + "aside.ini");
    }
    std::string Wiki(const std::string& name, const std::string& wikiIni = "") {
        std::string path = root.Path() + name + "/";
        std::filesystem::create_directories(path);
        if (!wikiIni.empty()) root.Write(name + "/Wiki.ini", wikiIni);
        return path;
    }
    std::string Page(const std::string& wiki, const std::string& name, const std::string& text,
                     const std::string& ext = ".txt") {
        std::string path = wiki + EncodePageName(name, false) + ext;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    // The way the window shows a big page: prepared here, read and converted on a worker
    // thread, committed here.
    static std::optional<TShownPage> ShowAside(TWikiSession& session, const std::string& file) {
        TPageConversion page = session.PreparePage(file, true);
        std::thread worker([&] {
            if (page.Read()) page.Run();
        });
        worker.join();
        EXPECT_TRUE(session.IsCurrent(page));
        return session.CommitPage(std::move(page));
    }
    void ExpectSame(const std::string& file, const char* what) {
        std::optional<TShownPage> one = direct.ShowDocument(file);
        std::optional<TShownPage> two = ShowAside(aside, file);
        ASSERT_EQ(one.has_value(), two.has_value()) << what;
        if (!one) return;
        EXPECT_EQ(one->Filled, two->Filled) << what;
        EXPECT_TRUE(one->Html == two->Html) << what << ": the pages differ";
        EXPECT_EQ(one->SamePage, two->SamePage) << what;
        EXPECT_EQ(one->Messages, two->Messages) << what;
        EXPECT_EQ(direct.WindowTitle(), aside.WindowTitle()) << what;
        EXPECT_EQ(direct.DocumentFolder(), aside.DocumentFolder()) << what;
        EXPECT_EQ(direct.DocumentText(), aside.DocumentText()) << what;
        EXPECT_EQ(direct.Notation(), aside.Notation()) << what;
        EXPECT_EQ(direct.Converter().Title, aside.Converter().Title) << what;
        EXPECT_EQ(direct.Converter().Contents.Count(), aside.Converter().Contents.Count()) << what;
        EXPECT_EQ(direct.Recent().Count(), aside.Recent().Count()) << what;
        EXPECT_EQ(direct.PageList().Count(), aside.PageList().Count()) << what;
        EXPECT_EQ(direct.Settings().CssName, aside.Settings().CssName) << what;
    }

    TestFolder root;
    TWikiSession direct;
    TWikiSession aside;
};

} // namespace

TEST_F(AsideTest, APageConvertedOnAWorkerEqualsThePageConvertedDirectly) {
    std::string a = Wiki("a");
    std::string b = Wiki("b", "[Document]\r\nExtension=.wiki\r\nNotation=1\r\n"
                              "[Design]\r\nCssName=dark\r\n");
    Page(a, "Existing", "x\n");
    std::string big = "*Top ((a footnote))\n#contents\n" + generated::MixedPage(300 * 1000);
    big += "See [[Existing]] and [[Missing]] and FrontPage.\n";
    std::string mixed = Page(a, "Mixed", big);
    std::string links = Page(a, "Links", generated::LinkHeavyPage(200 * 1000));
    Page(b, "Target", "t\n", ".wiki");
    std::string other = Page(b, "Other", "*Other ''wiki''\nSee [[Target]]\n", ".wiki");

    ExpectSame(mixed, "a page of the open wiki, opening it");
    ExpectSame(links, "a page full of links");
    ExpectSame(links, "the same page again");
    ExpectSame(other, "a page of another wiki with its own notation and extension");
    ExpectSame(mixed, "back to the first wiki");
    ExpectSame(a + "4E6F6E65.txt", "a page that does not exist");
}

// The first part is the beginning converted like a page of its own, and converting it
// changes nothing of the whole page that follows.
TEST_F(AsideTest, TheFirstPartIsTheBeginningConvertedAlone) {
    std::string a = Wiki("a");
    std::string text = generated::MixedPage(200 * 1000);
    std::string file = Page(a, "Big", text);
    std::size_t length = FirstPartLength(text, 20 * 1000);
    ASSERT_LT(length, text.size());

    TPageConversion page = aside.PreparePage(file, true);
    ASSERT_TRUE(page.Read());
    std::optional<std::string> part = page.ConvertFirstPart(length);
    ASSERT_TRUE(part.has_value());
    page.Run();
    std::optional<TShownPage> whole = aside.CommitPage(std::move(page));

    std::string partFile = Page(a, "Big", text.substr(0, length));
    EXPECT_TRUE(*part == direct.ShowDocument(partFile)->Html) << "the first part differs";
    Page(a, "Big", text);
    EXPECT_TRUE(whole->Html == direct.ShowDocument(file)->Html) << "the whole page differs";
}

// A result prepared before something it read changed is not current: the window converts
// the page again instead of showing it as it no longer is.
TEST_F(AsideTest, ChangesMeanwhileMakeAPreparedPageStale) {
    std::string a = Wiki("a");
    std::string front = Page(a, "FrontPage", "See [[Later]]\n");
    ASSERT_TRUE(aside.ShowDocument(front).has_value());
    struct Case {
        const char* what;
        std::function<void()> change;
        bool stale;
    } cases[] = {
        {"nothing", [] {}, false},
        {"the language", [&] { aside.Language().LoadFromBytes("Main.Title.Format=%s\n"); }, false},
        {"the notation", [&] { aside.SwitchNotation(TWikiNotation::PukiWiki); }, true},
        {"the same notation again", [&] { aside.SwitchNotation(aside.Notation()); }, false},
        {"the settings", [&] { aside.ApplySettings(); }, true},
        {"the page list", [&] { aside.RefreshPageList(); }, true},
        {"the design", [&] { aside.SetDesign("default"); }, true},
        {"another page shown", [&] { aside.ShowDocument(front); }, true},
    };
    for (const Case& c : cases) {
        TPageConversion page = aside.PreparePage(front, true);
        c.change();
        EXPECT_EQ(aside.IsCurrent(page), !c.stale) << c.what;
    }
}

// The copy a worker converts with stays as it was taken, whatever the session does
// meanwhile; committing it afterwards links the page against the session's own names.
TEST_F(AsideTest, AWorkerConvertsWithThePageNamesOfItsRequest) {
    std::string a = Wiki("a");
    std::string front = Page(a, "FrontPage", "See [[Later]]\n");
    ASSERT_TRUE(aside.ShowDocument(front).has_value());
    TPageConversion page = aside.PreparePage(front, true);
    Page(a, "Later", "x\n");
    aside.RefreshPageList(); // the session's names change under the prepared page
    ASSERT_TRUE(page.Read());
    page.Run();
    EXPECT_FALSE(aside.IsCurrent(page));
    std::optional<TShownPage> shown = aside.CommitPage(std::move(page));
    EXPECT_NE(shown->Html.find("NewLink:"), std::string::npos);
    EXPECT_EQ(aside.Converter().Options.Pages, aside.ConverterOptions().Pages);
}

// An error on the worker is raised at the commit, and the session keeps the page it showed.
TEST_F(AsideTest, AnErrorOnTheWorkerIsRaisedAtTheCommit) {
    std::string a = Wiki("a");
    std::string shown = Page(a, "Shown", "*Heading\n");
    std::string b = Wiki("b");
    std::string pageB = Page(b, "B", "b\n");
    std::filesystem::create_directories(b + "Wiki.ini"); // cannot be read: a folder
    ASSERT_TRUE(aside.ShowDocument(shown).has_value());

    TPageConversion page = aside.PreparePage(pageB, true);
    std::thread worker([&] {
        if (page.Read()) page.Run();
    });
    worker.join();
    ASSERT_TRUE(page.Error());
    EXPECT_THROW(aside.CommitPage(std::move(page)), EDocumentSettingsError);
    EXPECT_EQ(aside.DocumentFileName(), shown);
    EXPECT_EQ(aside.DocumentFolder(), a);
    EXPECT_EQ(aside.Recent().Count(), 1);
}
