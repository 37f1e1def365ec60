#include "TestFolder.h"
#include "render/UNavigation.h"
#include "render/UPageRequests.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tarnel;
using tarnel::testing::TestFolder;

namespace {

struct NavCase {
    const char* address;
    const char* frame;
    bool newWindow;
    TNavigationKind kind;
    const char* path; // expected Path or Anchor
};

} // namespace

TEST(Navigation, DecisionForEachKindOfAddress) {
    TNavigationContext ctx{"/w/", "/app/tmp/", false};
    const NavCase cases[] = {
        {"about:blank", "", false, TNavigationKind::LetThrough, ""},
        {"wikilink:46726F6E7450616765.txt", "", false, TNavigationKind::OpenPage,
         "/w/46726F6E7450616765.txt"},
        {"WikiLink:41.txt", "", true, TNavigationKind::OpenPage, "/w/41.txt"},
        {"newlink:57696B69.txt", "", false, TNavigationKind::NewPage, "/w/57696B69.txt"},
        {"innerlink:#i1", "", false, TNavigationKind::ScrollToAnchor, "i1"},
        {"InnerLink:#i%E3%81%82", "", false, TNavigationKind::ScrollToAnchor, "i\xE3\x81\x82"},
        // Page links never leave the wiki folder.
        {"wikilink:..%2F..%2Fetc%2Fpasswd", "", false, TNavigationKind::Refuse, ""},
        {"newlink:../x.txt", "", false, TNavigationKind::Refuse, ""},
        // The edit link of a page opens it in the editor, also only inside the wiki.
        {"editlink:46726F6E7450616765.txt", "", false, TNavigationKind::EditPage,
         "/w/46726F6E7450616765.txt"},
        {"EditLink:41.txt", "", true, TNavigationKind::EditPage, "/w/41.txt"},
        {"editlink:..%2Fx.txt", "", false, TNavigationKind::Refuse, ""},
        {"editlink:", "", false, TNavigationKind::Refuse, ""},
        {"wikilink:", "", false, TNavigationKind::Refuse, ""},
        // Frames of the page go their own way.
        {"http://example.com/", "iframe1", true, TNavigationKind::LetThrough, ""},
        {"http://example.com/", "", false, TNavigationKind::ShowOuterPage, ""},
        {"file:///etc/hostname", "", false, TNavigationKind::ShowOuterPage, ""},
        {"mailto:a@example.com", "", false, TNavigationKind::HandToSystem, ""},
        {"ssh://host/", "", false, TNavigationKind::Refuse, ""},
        {"vscode://open", "", false, TNavigationKind::Refuse, ""},
        {"https://example.com/", "", true, TNavigationKind::HandToSystem, ""},
        {"ftp://example.com/x", "", true, TNavigationKind::HandToSystem, ""},
        {"MAILTO:a@example.com", "", true, TNavigationKind::HandToSystem, ""},
        {"javascript:alert(1)", "", true, TNavigationKind::Refuse, ""},
        {"smb://host/share", "", true, TNavigationKind::Refuse, ""},
        {"file:///bin/sh", "", true, TNavigationKind::Refuse, ""},
        {"file:///app/TMP/41.html", "", true, TNavigationKind::LetThrough, ""},
        {"file:///app/tmp/sub/41.html", "", true, TNavigationKind::Refuse, ""},
    };
    for (const NavCase& c : cases) {
        ctx.NewWindow = c.newWindow;
        TNavigation nav = DecideNavigation(c.address, c.frame, ctx);
        EXPECT_EQ(static_cast<int>(nav.Kind), static_cast<int>(c.kind)) << c.address;
        if (c.kind == TNavigationKind::ScrollToAnchor) {
            EXPECT_EQ(nav.Anchor, c.path) << c.address;
        } else {
            EXPECT_EQ(nav.Path, c.path) << c.address;
        }
    }
}

TEST(Navigation, OnlyDocumentsAreHandedToTheSystem) {
    TestFolder dir;
    std::string text = dir.Write("note.txt", "hello");
    std::string script = dir.Write("run.txt", "#!/bin/sh\necho hi\n");
    std::string launcher = dir.Write("app.desktop", "[Desktop Entry]\nExec=xterm\n");
    std::string elf = dir.Write("prog.dat", std::string("\x7F"
                                                        "ELF\x02\x01",
                                                        6));
    std::string exec = dir.Write("tool.txt", "plain");
    chmod(exec.c_str(), 0755);
    EXPECT_TRUE(MayHandToSystem("file://" + text));
    EXPECT_TRUE(MayHandToSystem("file://localhost" + text));
    EXPECT_FALSE(MayHandToSystem("file://" + script));
    EXPECT_FALSE(MayHandToSystem("file://" + launcher));
    EXPECT_FALSE(MayHandToSystem("file://" + elf));
    EXPECT_FALSE(MayHandToSystem("file://" + exec));
    EXPECT_FALSE(MayHandToSystem("file://" + dir.Path() + "missing.txt"));
    EXPECT_FALSE(MayHandToSystem("file://otherhost/share/x.txt"));
    EXPECT_FALSE(MayHandToSystem("http:"));
    EXPECT_TRUE(MayHandToSystem("http://example.com/"));
    EXPECT_FALSE(MayHandToSystem("data:text/html,<b>x</b>"));
}

TEST(Navigation, FileAddressesAndPercentDecoding) {
    EXPECT_EQ(LocalPathOfFileUrl("file:///a%20b/c.txt"), "/a b/c.txt");
    EXPECT_EQ(LocalPathOfFileUrl("file:///a/c.txt#x"), "/a/c.txt");
    EXPECT_EQ(LocalPathOfFileUrl("file:///a%00b"), "");
    EXPECT_EQ(LocalPathOfFileUrl("http://a/"), "");
    EXPECT_EQ(PercentDecode("100%"), "100%");
    EXPECT_EQ(PercentDecode("%4a%4A%zz"), "JJ%zz");
}

TEST(Navigation, StatusTextNamesThePage) {
    TLanguage language("/nonexistent/");
    // "Wiki" -> 57696B69; the page name, not the file name, is shown.
    EXPECT_EQ(StatusTextFor("wikilink:57696B69.txt", language, false), "Wikiへ移動");
    EXPECT_EQ(StatusTextFor("newlink:57696B69.txt", language, false), "Wikiを新規作成");
    EXPECT_EQ(StatusTextFor("editlink:57696B69.txt", language, false), "Wikiを編集");
    // EUC-JP hex of あ is A4A2.
    EXPECT_EQ(StatusTextFor("NewLink:A4A2.txt", language, false), "あを新規作成");
    EXPECT_EQ(StatusTextFor("http://example.com/", language, false), "http://example.com/");
    EXPECT_EQ(StatusTextFor("", language, false), "");
    language.LoadFromBytes("Main.Status.Wiki.Move=Go to %s\n");
    EXPECT_EQ(StatusTextFor("wikilink:57696B69.txt", language, false), "Go to Wiki");
}

TEST(PageRequests, FirstPageDroppedFilesAndTopPage) {
    TestFolder dir;
    std::string page = dir.Write("41.txt", "a");
    std::string other = dir.Write("readme.txt", "a");
    std::string last = dir.Write("42.txt", "b");
    EXPECT_EQ(FirstPageToOpen({page}, last), page);
    EXPECT_EQ(FirstPageToOpen({other}, last), last) << "not a page name: the last page opens";
    EXPECT_EQ(FirstPageToOpen({dir.Path() + "43.txt"}, last), last) << "missing file";
    EXPECT_EQ(FirstPageToOpen({}, dir.Path() + "gone.txt"), "");
    EXPECT_EQ(FirstPageToOpen({dir.Path()}, ""), "") << "a folder is no page";

    EXPECT_EQ(DroppedPageToOpen({other, page, last}), page);
    EXPECT_EQ(DroppedPageToOpen({other}), "");
    EXPECT_EQ(DroppedPageToOpen({dir.Path() + "4F.txt", last}), last);

    EXPECT_EQ(TopPagePath("/w/", "Front", ".txt", false), "/w/46726F6E74.txt");
    // トップ in EUC-JP: A5C8 A5C3 A5D7.
    EXPECT_EQ(TopPagePath("/w/", "", ".txt", false), "/w/A5C8A5C3A5D7.txt");
}

TEST(PageRequests, AssignedEditorCommand) {
    struct {
        const char* assigned;
        const char* expected;
    } cases[] = {
        {"gedit \"%f\"", "gedit \"/w/41.txt\""},
        {"vi %f %f", "vi /w/41.txt /w/41.txt"},
        {"editor", "editor"},
        {"editor %F", "editor %F"},
        {"100%", "100%"},
        {"%%f", "%/w/41.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AssignedEditorCommand(c.assigned, "/w/41.txt"), c.expected) << c.assigned;
    EXPECT_EQ(EditorStartError("No such file", "ed x"), "No such file [ed x]");
}
