// HTML export of a wiki: names, encodings, time stamps, chosen pages, copied folders,
// failures, and the exported site as a browser sees it.
#include "TestFolder.h"
#include "render/UHtmlExport.h"
#include "render/UWikiSession.h"
#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <thread>

using namespace tarnel;
using tarnel::testing::TestFolder;
namespace fs = std::filesystem;

namespace {

class ExportTest : public ::testing::Test {
protected:
    ExportTest() : session(TARNEL_APP_DIR) {
        wiki = root.Path() + "wiki/";
        out = root.Path() + "out/";
        fs::create_directories(wiki);
        fs::create_directories(out);
        session.Start(root.Path() + "settings.ini");
    }
    std::string Page(const std::string& name, const std::string& displayText) {
        std::string path = wiki + EncodePageName(name, false) + ".txt";
        std::ofstream(path, std::ios::binary) << ShiftJisToEucJp(displayText);
        return path;
    }
    TExportResult Export(TExportOptions options = {}) {
        options.folder = out;
        session.OpenWiki(wiki);
        return ExportHtml(session, options);
    }
    std::string Out(const std::string& name) { return root.Read("out/" + name); }

    TestFolder root;
    TWikiSession session;
    std::string wiki, out;
};

} // namespace

TEST_F(ExportTest, SecondRunWritesOnlyTheIndex) {
    Page("FrontPage", "*Top\nSee OtherPage and MissingPage\n");
    Page("OtherPage", "other\n");
    TExportResult first = Export();
    EXPECT_EQ(first.listed, 2);
    EXPECT_EQ(first.written, 2);
    std::string front = Out("46726F6E7450616765.html");
    EXPECT_NE(front.find("<a href=\"4F7468657250616765.html\">OtherPage</a>"), std::string::npos);
    EXPECT_NE(front.find("MissingPage"), std::string::npos);
    EXPECT_EQ(front.find("NewLink:"), std::string::npos) << "a missing page is plain text";
    EXPECT_EQ(front.find("WikiLink:"), std::string::npos);
    EXPECT_TRUE(fs::exists(out + "css/default/wiki.css"));

    fs::remove(out + "index.html");
    TExportResult second = Export();
    EXPECT_EQ(second.listed, 2);
    EXPECT_EQ(second.written, 0);
    EXPECT_NE(Out("index.html").find("4F7468657250616765.html"), std::string::npos);

    TExportOptions force;
    force.oldFile = true;
    EXPECT_EQ(Export(force).written, 2);
}

TEST_F(ExportTest, ChosenPagesOnly) {
    Page("A", "a\n");
    Page("B", "b\n");
    Page("C", "c\n");
    TExportOptions options;
    options.all = false;
    options.pages = {"42.txt"};
    TExportResult result = Export(options);
    EXPECT_EQ(result.written, 1);
    EXPECT_TRUE(fs::exists(out + "42.html"));
    EXPECT_FALSE(fs::exists(out + "41.html"));
    std::string index = Out("index.html");
    EXPECT_NE(index.find("42.html"), std::string::npos);
    EXPECT_EQ(index.find("41.html"), std::string::npos);
}

TEST_F(ExportTest, TitleNames) {
    EXPECT_EQ(TitleExportName("a/b:c"), "a\x81\x5E"
                                        "b\x81\x46"
                                        "c.html");
    EXPECT_EQ(TitleExportName("ver1.2"), "ver1.2.html");
    EXPECT_EQ(TitleExportName("q?*\"<>|\\"),
              "q\x81\x48\x81\x96\x81\x68\x81\x83\x81\x84\x81\x62\x81\x8F.html");
    // The trail byte 0x5C of a double-byte character is not a backslash.
    EXPECT_EQ(TitleExportName("\x95\x5C"), "\x95\x5C.html");
    EXPECT_EQ(StandardExportName("E38182.txt"), "E38182.html");

    Page("a/b:c", "x\n");
    Page("ver1.2", "y\n");
    TExportOptions options;
    options.fileNameKind = TExportFileNameKind::Title;
    Export(options);
    EXPECT_TRUE(fs::exists(out + "a\xEF\xBC\x8F"
                                 "b\xEF\xBC\x9A"
                                 "c.html"))
        << "UTF-8 file names on disk";
    EXPECT_TRUE(fs::exists(out + "ver1.2.html")) << "the whole name is kept";
}

TEST_F(ExportTest, EncodingsAndLineBreaks) {
    Page("J", "\x93\xFA\x96\x7B\n");
    TExportOptions euc;
    euc.encoding = TExportEncoding::EucJp;
    Export(euc);
    std::string page = Out("4A.html");
    EXPECT_NE(page.find("\xC6\xFC\xCB\xDC"), std::string::npos);
    EXPECT_EQ(page.find('\r'), std::string::npos) << "EUC-JP export has LF line ends";
    EXPECT_NE(page.find("charset=\"EUC-JP\""), std::string::npos);

    TExportOptions utf8;
    utf8.encoding = TExportEncoding::Utf8;
    utf8.oldFile = true;
    Export(utf8);
    page = Out("4A.html");
    EXPECT_NE(page.find("\xE6\x97\xA5\xE6\x9C\xAC"), std::string::npos);
    EXPECT_NE(page.find("\r\n"), std::string::npos) << "UTF-8 keeps the template's line breaks";

    // With UTF-8 titles the pages are written as they are, index.html is still converted.
    session.Settings().TitleEncodingUTF8 = true;
    root.Write("wiki/4A.txt", "\xE6\x97\xA5\xE6\x9C\xAC\n"); // page texts are UTF-8 then
    TExportOptions sjis;
    sjis.oldFile = true;
    Export(sjis);
    EXPECT_NE(Out("4A.html").find("\xE6\x97\xA5\xE6\x9C\xAC"), std::string::npos);
    EXPECT_NE(Out("4A.html").find("charset=\"UTF-8\""), std::string::npos);
    EXPECT_NE(Out("index.html").find("charset=\"Shift_JIS\""), std::string::npos);
}

TEST_F(ExportTest, CopiesSubFoldersAndRefusesTheWikiAsExportFolder) {
    Page("A", "a\n");
    fs::create_directories(wiki + "img");
    root.Write("wiki/img/logo.png", "png");
    TExportOptions options;
    options.copyFolders = true;
    Export(options);
    EXPECT_EQ(root.Read("out/img/logo.png"), "png");

    // An export folder inside the wiki, or the wiki itself, is refused before anything is
    // written into the wiki.
    for (const std::string& inside : {wiki + "site/", wiki, wiki + "img/"}) {
        out = inside;
        fs::create_directories(out);
        EXPECT_THROW(Export(options), EExportError) << inside;
        EXPECT_FALSE(fs::exists(out + "41.html")) << inside;
        EXPECT_FALSE(fs::exists(out + "index.html")) << inside;
    }
}

TEST_F(ExportTest, FailuresNameThePageAndTheReason) {
    Page("A", "a\n");
    std::string bad = Page("Bad", "b\n");
    std::ofstream(bad, std::ios::binary) << "\xFF\xFE\n"; // not readable as UTF-8
    session.SetReadEncoding(PageEncoding::Utf8);
    // The other pages are written; the failed one is counted and named.
    TExportResult result = Export();
    EXPECT_EQ(result.written, 1);
    EXPECT_EQ(result.failed, 1);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_NE(result.failures[0].find("Bad"), std::string::npos) << result.failures[0];
    session.SetReadEncoding(PageEncoding::Settings);
    fs::remove(bad);

    session.Templates().ExportFileName = "missing.html";
    TExportOptions again;
    again.oldFile = true;
    EXPECT_THROW(Export(again), EExportError);
    session.Templates().ExportFileName = "default.html";

    TExportOptions nowhere;
    session.OpenWiki(wiki);
    nowhere.folder = root.Path() + "does-not-exist/";
    EXPECT_THROW(ExportHtml(session, nowhere), EExportError);
}

TEST_F(ExportTest, EveryLinkOfTheSampleWikiResolves) {
    std::string sample = std::string(TARNEL_SOURCE_DIR) + "/examples/sample-wiki/";
    session.OpenWiki(sample);
    TExportOptions options;
    options.folder = out;
    ExportHtml(session, options);

    std::regex href("(href|src)=\"([^\"]*)\"");
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(out)) {
        if (entry.path().extension() != ".html") continue;
        std::string html = root.Read("out/" + entry.path().filename().string());
        for (std::sregex_iterator m(html.begin(), html.end(), href), end; m != end; ++m) {
            std::string target = (*m)[2];
            if (target.rfind("http", 0) == 0 || target.rfind("mailto:", 0) == 0 || target[0] == '#')
                continue;
            EXPECT_EQ(target.find(':'), std::string::npos)
                << "no program scheme in an export: " << target;
            std::string file = target.substr(0, target.find('#'));
            EXPECT_TRUE(fs::exists(out + file))
                << entry.path().filename() << " links to " << target;
            ++checked;
        }
    }
    EXPECT_GT(checked, 10);
}

// The exported sample wiki opened in a real browser: every page's style sheet loads and
// every link of every page reaches a file. Needs Debian's chromium (./test installs it).
TEST_F(ExportTest, ExportedSiteWorksInABrowser) {
    const char* chromium = "/usr/bin/chromium";
    if (!fs::exists(chromium)) GTEST_SKIP() << "chromium is not installed";
    std::string sample = std::string(TARNEL_SOURCE_DIR) + "/examples/sample-wiki/";
    session.OpenWiki(sample);
    TExportOptions options;
    options.folder = out;
    options.encoding = TExportEncoding::Utf8;
    ExportHtml(session, options);

    std::string pages;
    for (const auto& entry : fs::directory_iterator(out))
        if (entry.path().extension() == ".html")
            pages += "'" + entry.path().filename().string() + "',";
    // Loads each page in a frame, counts the style rules that reached it, and fetches every
    // relative link; the results replace the text of #r, which --dump-dom prints.
    root.Write("out/zz-check.html", R"(<!DOCTYPE html><html><body><pre id="r">pending</pre>
<iframe id="f"></iframe><script>
var pages = [)" + pages + R"(], out = [], i = 0, frame = document.getElementById('f');
function next() {
  if (i >= pages.length) { document.getElementById('r').textContent = out.join('\n') + '\nDONE'; return; }
  frame.src = pages[i++];
}
frame.onload = function () {
  var d = frame.contentDocument, page = pages[i - 1], rules = 0;
  for (var s of d.styleSheets) rules += s.cssRules.length;
  if (rules == 0) out.push('NOSTYLE ' + page);
  for (var a of d.querySelectorAll('a[href]')) {
    var h = a.getAttribute('href');
    if (/^(https?|mailto):/.test(h) || h[0] == '#') continue;
    var x = new XMLHttpRequest();
    try { x.open('GET', h.split('#')[0], false); x.send(); if (!x.responseText) out.push('EMPTY ' + page + ' ' + h); }
    catch (e) { out.push('BROKEN ' + page + ' ' + h); }
  }
  out.push('PAGE ' + page);
  next();
};
next();
</script></body></html>)");
    std::string command =
        std::string(chromium) +
        " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
        " --disable-background-networking --disable-component-update --disable-sync"
        " --user-data-dir=" +
        root.Path() +
        "chromium --allow-file-access-from-files"
        " --virtual-time-budget=20000 --dump-dom file://" +
        out + "zz-check.html 2>/dev/null";
    std::string dom;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            dom.append(buffer, n);
        pclose(pipe);
    }
    // Only the report counts, not the script that the dumped page also holds.
    std::size_t begin = dom.find("<pre id=\"r\">");
    std::size_t end = dom.find("</pre>", begin);
    ASSERT_NE(begin, std::string::npos) << dom;
    std::string report = dom.substr(begin, end - begin);
    ASSERT_NE(report.find("DONE"), std::string::npos) << report;
    EXPECT_EQ(report.find("NOSTYLE"), std::string::npos) << report;
    EXPECT_EQ(report.find("BROKEN"), std::string::npos) << report;
    EXPECT_EQ(report.find("EMPTY"), std::string::npos) << report;
    EXPECT_NE(report.find("PAGE index.html"), std::string::npos) << report;
}

// An unchanged wiki exports to the same bytes every time, so a published copy only changes
// where the wiki changed (Markdown's e-mail addresses used to be encoded at random).
TEST_F(ExportTest, AnUnchangedWikiExportsIdenticalBytes) {
    root.Write("wiki/Wiki.ini", "[Document]\r\nNotation=7\r\n");
    Page("FrontPage", "# Mail\n\nWrite to <who@example.com> or see [[Other]].\n");
    Page("Other", "<mailto:a@b.jp> and *more*\n");
    auto exportAll = [&] {
        TExportOptions options;
        options.oldFile = true;
        Export(options);
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(out))
            if (entry.is_regular_file())
                files[entry.path().string()] = root.Read(fs::relative(entry.path(), root.Path()));
        return files;
    };
    const auto first = exportAll();
    ASSERT_GE(first.size(), 3u);
    EXPECT_EQ(exportAll(), first);
}

namespace {

// The files of an export folder (relative path -> bytes), the manifest left out.
std::map<std::string, std::string> FilesOf(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::string relative = fs::relative(entry.path(), folder).string();
        if (relative == kExportManifest) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[relative] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

// Every relative href and src of every exported HTML file points at a written file. The
// pages are Shift_JIS: a browser takes an href in the page's encoding to the UTF-8 name.
void ExpectEveryLinkResolves(const std::string& folder) {
    std::regex href("(href|src)=\"([^\"]*)\"");
    for (const auto& [name, html] : FilesOf(folder)) {
        if (!name.ends_with(".html")) continue;
        for (std::sregex_iterator m(html.begin(), html.end(), href), end; m != end; ++m) {
            std::string target = (*m)[2];
            if (target.rfind("http", 0) == 0 || target[0] == '#') continue;
            target = ShiftJisToUtf8(target.substr(0, target.find('#')));
            // The hrefs percent-encode what would end an address.
            for (const auto& [code, c] : std::map<std::string, std::string>{
                     {"%25", "%"}, {"%23", "#"}, {"%3F", "?"}, {"%20", " "}, {"%22", "\""}})
                for (std::size_t at; (at = target.find(code)) != std::string::npos;)
                    target.replace(at, code.size(), c);
            EXPECT_TRUE(fs::exists(folder + target)) << name << " links to " << target;
        }
    }
}

} // namespace

// Title names: N pages give N files, whatever their names, and the links follow them.
TEST_F(ExportTest, TitleNamesLoseNoPage) {
    EXPECT_EQ(TitleExportNames({"a.1", "a.2", "index", ".", "", "a:b",
                                "a\x81\x46"
                                "b",
                                "\x01"}),
              (std::vector<std::string>{"a.1.html", "a.2.html", "index~2.html", "_..html", "_.html",
                                        "a\x81\x46"
                                        "b.html",
                                        "a\x81\x46"
                                        "b~2.html",
                                        "_~2.html"}));
    // Names longer than a file name can be are cut and told apart by the suffix.
    const std::vector<std::string> longNames =
        TitleExportNames({std::string(300, 'x') + "1", std::string(300, 'x') + "2"});
    EXPECT_EQ(longNames[0], std::string(200, 'x') + ".html");
    EXPECT_EQ(longNames[1], std::string(200, 'x') + "~2.html");
    const char* const names[] = {"a.1",
                                 "a.2",
                                 "index",
                                 ".",
                                 "a:b",
                                 "a\x81\x46"
                                 "b",
                                 "x y?"};
    std::string links = "[[a.1]] [[a.2]] [[index]] [[a:b]] [[x y?]]\n";
    for (const char* name : names)
        Page(name, links);
    TExportOptions options;
    options.fileNameKind = TExportFileNameKind::Title;
    TExportResult result = Export(options);
    EXPECT_EQ(result.listed, 7);
    EXPECT_EQ(result.written, 7);
    EXPECT_EQ(result.failed, 0);
    int html = 0;
    for (const auto& [name, bytes] : FilesOf(out))
        html += name.ends_with(".html") && name.find('/') == std::string::npos;
    EXPECT_EQ(html, 8) << "seven pages and the index";
    EXPECT_NE(Out("a.1.html").find("href=\"a.2.html\""), std::string::npos);
    ExpectEveryLinkResolves(out);
}

// Changing the encoding, the menu bar page, deleting a page: each export leaves exactly
// what a clean export would.
TEST_F(ExportTest, IncrementalExportsEqualACleanOne) {
    Page("FrontPage", "See OtherPage and GonePage\n");
    Page("OtherPage", "other\n");
    std::string gone = Page("GonePage", "gone\n");
    TestFolder clean;
    auto expectLikeClean = [&](const TExportOptions& options, const char* step) {
        TExportOptions fresh = options;
        fresh.folder = clean.Path() + step + "/";
        fs::create_directories(fresh.folder);
        ExportHtml(session, fresh);
        EXPECT_EQ(FilesOf(out), FilesOf(fresh.folder)) << step;
    };
    TExportOptions options;
    Export(options);

    options.encoding = TExportEncoding::Utf8;
    TExportResult utf8 = Export(options);
    EXPECT_EQ(utf8.written, 3) << "a new encoding rebuilds every page";
    expectLikeClean(options, "encoding");

    EXPECT_EQ(Export(options).unchanged, 3);
    // The menu-bar page is newer than everything exported: its time stamp says so outright,
    // so the test does not wait for the clock to move on.
    fs::last_write_time(Page("MenuBar", "menu\n"),
                        fs::file_time_type::clock::now() + std::chrono::seconds(2));
    Export(options);
    expectLikeClean(options, "menubar");

    fs::remove(gone);
    TExportResult after = Export(options);
    EXPECT_FALSE(fs::exists(out + "476F6E6550616765.html"));
    EXPECT_GE(after.removed, 1);
    expectLikeClean(options, "deleted");

    options.index = false;
    Export(options);
    EXPECT_FALSE(fs::exists(out + "index.html"));
    EXPECT_EQ(Out("4F7468657250616765.html").find("href=\"index.html\""), std::string::npos);
    expectLikeClean(options, "no-index");
}

// A file of the user's in the export folder is never overwritten or deleted, unless forced.
TEST_F(ExportTest, TheUsersFilesSurvive) {
    Page("A", "a\n");
    root.Write("out/41.html", "mine");
    root.Write("out/notes.txt", "also mine");
    try {
        Export();
        FAIL() << "a file of the user's would have been overwritten";
    } catch (const EExportError& e) {
        EXPECT_NE(std::string(e.what()).find("41.html"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Out("41.html"), "mine");
    EXPECT_FALSE(fs::exists(out + "index.html")) << "nothing written";

    TExportOptions force;
    force.overwriteForeign = true;
    Export(force);
    EXPECT_NE(Out("41.html"), "mine");
    TExportOptions clean;
    clean.clean = true;
    Export(clean);
    EXPECT_EQ(Out("notes.txt"), "also mine") << "--clean removes only Tarnel's files";
    EXPECT_TRUE(fs::exists(out + "41.html"));
}

// An export killed half-way leaves files the next export knows as its own.
TEST_F(ExportTest, AnInterruptedExportIsCompletedByTheNext) {
    Page("A", "a\n");
    Page("B", "b\n");
    TExportOptions options;
    options.folder = out;
    session.OpenWiki(wiki);
    EXPECT_THROW(ExportHtml(session, options, [](int done, int) { return done < 1; }),
                 EExportError);
    EXPECT_TRUE(fs::exists(out + "41.html"));
    TExportResult next = Export();
    EXPECT_EQ(next.failed, 0);
    EXPECT_EQ(next.written + next.unchanged, 2);
    EXPECT_TRUE(fs::exists(out + "42.html"));
}

// Page names become file names with --names title: whatever they hold, the index and the
// links between pages write them escaped, so no name can end its href early. (A quote or
// an angle bracket is replaced in the file name already.)
TEST_F(ExportTest, TitleNamesAreEscapedInEveryHref) {
    Page("Tom's", "x\n");
    Page("A&B", "y\n");
    Page("FrontPage", "[[Tom's]]\n");
    TExportOptions options;
    options.fileNameKind = TExportFileNameKind::Title;
    EXPECT_EQ(Export(options).written, 3);
    const std::string index = Out("index.html");
    EXPECT_NE(index.find("<a href=\"Tom&#39;s.html\">"), std::string::npos) << index;
    EXPECT_NE(index.find("<a href=\"A&amp;B.html\">"), std::string::npos) << index;
    EXPECT_NE(Out("FrontPage.html").find("<a href=\"Tom&#39;s.html\">"), std::string::npos)
        << Out("FrontPage.html");
}
