// The page file commands: new wiki and page, copy, rename, delete and what is shown next.
#include "TestFolder.h"
#include "render/UPageOperations.h"
#include "render/UWikiSession.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

using namespace tarnel;
using tarnel::testing::TestFolder;

namespace {

// Answers prompts from a queue and records every question (UTF-8, for reading).
class FakeUi : public IPageOperationsUi {
public:
    std::deque<std::optional<std::string>> texts; // UTF-8 answers; nullopt is Cancel
    std::optional<std::string> folder;
    TAnswer confirm = TAnswer::Yes;
    bool commit = true;
    std::vector<std::string> log;

    std::optional<std::string> AskText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override {
        log.push_back("ask " + ShiftJisToUtf8(caption) + "|" + ShiftJisToUtf8(prompt) + "|" +
                      ShiftJisToUtf8(initial));
        if (texts.empty()) return std::nullopt;
        auto answer = texts.front();
        texts.pop_front();
        if (answer) return Utf8ToShiftJis(*answer);
        return answer;
    }
    std::optional<std::string> AskFolder(const std::string& caption) override {
        log.push_back("folder " + ShiftJisToUtf8(caption));
        return folder;
    }
    TAnswer Confirm(const std::string& message) override {
        log.push_back("confirm " + ShiftJisToUtf8(message));
        return confirm;
    }
    void ShowError(const std::string& message) override {
        log.push_back("error " + ShiftJisToUtf8(message));
    }
    bool CommitEditor() override {
        log.push_back("commit");
        return commit;
    }
};

class PageOperationsTest : public ::testing::Test {
protected:
    PageOperationsTest() : session(TARNEL_APP_DIR), ops(session, ui) {
        session.Start(root.Path() + "settings.ini");
        wiki = root.Path() + "wiki/";
        std::filesystem::create_directories(wiki);
    }
    std::string Page(const std::string& name, const std::string& text = "text\n") {
        std::string path = wiki + EncodePageName(Utf8ToShiftJis(name), false) + ".txt";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::string PathOf(const std::string& name) {
        return wiki + EncodePageName(Utf8ToShiftJis(name), false) + ".txt";
    }
    void Show(const std::string& path) {
        ASSERT_TRUE(session.ShowDocument(path).has_value());
        ops.RefreshFileList();
    }
    std::vector<std::string> Listed() {
        std::vector<std::string> names;
        for (int i = 0; i < session.PageList().Count(); ++i)
            names.push_back(ShiftJisToUtf8(session.PageList().PageName(i)));
        return names;
    }

    TestFolder root;
    std::string wiki;
    FakeUi ui;
    TWikiSession session;
    TPageOperations ops;
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(PageOperationsTest, NewPageNamesThePageToOpenOrStart) {
    Show(Page("Front"));
    ui.texts = {"ページ"};
    TPageCommandResult r = ops.NewPage();
    EXPECT_TRUE(r.Done);
    EXPECT_EQ(r.Open, PathOf("ページ"));
    EXPECT_EQ(ui.log, (Names{"commit", "ask 新規作成|タイトルの入力|"}));

    // Cancel, an empty name and a cancelled commit stop silently.
    for (std::optional<std::string> answer :
         {std::optional<std::string>{}, std::optional<std::string>{""}}) {
        ui.texts = {answer};
        EXPECT_FALSE(ops.NewPage().Done);
    }
    ui.commit = false;
    ui.log.clear();
    EXPECT_FALSE(ops.NewPage().Done);
    EXPECT_EQ(ui.log, Names{"commit"});
}

TEST_F(PageOperationsTest, NewDocumentWritesNothingForTheInternalEditor) {
    Show(Page("Front"));
    TNewDocumentResult r = ops.NewDocument(PathOf("Later"));
    EXPECT_FALSE(r.External);
    EXPECT_EQ(r.PageName, "Later");
    EXPECT_FALSE(std::filesystem::exists(PathOf("Later")));
    EXPECT_EQ(Listed(), Names{"Front"});
    EXPECT_EQ(session.DocumentFileName(), PathOf("Front")) << "the view keeps the page";
}

TEST_F(PageOperationsTest, NewDocumentMakesAnEmptyListedFileForAnExternalEditor) {
    session.Settings().EditorType = TEditorType::Assigned;
    Show(Page("Front"));
    TNewDocumentResult r = ops.NewDocument(PathOf("Outside"));
    EXPECT_TRUE(r.External);
    EXPECT_EQ(std::filesystem::file_size(PathOf("Outside")), 0u);
    EXPECT_EQ(Listed(), (Names{"Front", "Outside"}));

    // A file that appeared meanwhile is not truncated.
    std::string existing = Page("Kept", "keep me\n");
    ops.NewDocument(existing);
    EXPECT_EQ(std::filesystem::file_size(existing), 8u);
}

TEST_F(PageOperationsTest, NewWithoutAWikiStartsWithTheFolderDialog) {
    ui.folder = wiki.substr(0, wiki.size() - 1); // the dialog gives the folder without "/"
    ui.texts = {"最初"};
    TPageCommandResult r = ops.NewPage();
    EXPECT_EQ(ui.log,
              (Names{"commit", "folder Wikiファイル保存フォルダ", "ask 新規作成|タイトルの入力|"}));
    EXPECT_TRUE(r.Done);
    EXPECT_EQ(r.Open, PathOf("最初"));
    EXPECT_EQ(session.DocumentFolder(), wiki);

    // Cancelling the name leaves the open wiki as it was.
    std::string other = root.Path() + "other";
    std::filesystem::create_directories(other);
    ui.folder = other;
    ui.texts = {std::nullopt};
    EXPECT_FALSE(ops.NewWiki().Done);
    EXPECT_EQ(session.DocumentFolder(), wiki);
    ui.folder.reset();
    EXPECT_FALSE(ops.NewWiki().Done);
}

TEST_F(PageOperationsTest, CopyKeepsTheCurrentPageAndRefusesAClash) {
    Show(Page("A", "alpha\n"));
    Page("B");
    ops.RefreshFileList();
    ui.texts = {"C"};
    TPageCommandResult r = ops.CopyPage();
    EXPECT_TRUE(r.Done);
    EXPECT_TRUE(r.Open.empty());
    EXPECT_EQ(Listed(), (Names{"A", "B", "C"}));
    EXPECT_EQ(root.Read("wiki/" + EncodePageName("C", false) + ".txt"), "alpha\n");
    EXPECT_EQ(ui.log.front(), "ask ファイルコピー(A)|タイトルの入力|");

    ui.log.clear();
    ui.texts = {"B"};
    EXPECT_FALSE(ops.CopyPage().Done);
    EXPECT_EQ(ui.log.back(), "error B は既に存在しています。");
    EXPECT_EQ(root.Read("wiki/" + EncodePageName("B", false) + ".txt"), "text\n");

    ui.texts = {""};
    EXPECT_FALSE(ops.CopyPage().Done);
}

TEST_F(PageOperationsTest, RenameRules) {
    struct Case {
        std::optional<std::string> answer;
        bool done;
        Names listed;
        const char* lastLog;
    } cases[] = {
        {std::nullopt, false, {"A", "B"}, "ask 名前変更(A)|タイトルの入力|A"},
        {"", false, {"A", "B"}, "ask 名前変更(A)|タイトルの入力|A"},
        {"A", false, {"A", "B"}, "ask 名前変更(A)|タイトルの入力|A"}, // the same name
        {"B", false, {"A", "B"}, "error B は既に存在しています。"},   // a clash
        {"Z", true, {"B", "Z"}, "commit"},
    };
    for (const Case& c : cases) {
        Show(Page("A"));
        Page("B");
        std::filesystem::remove(PathOf("Z"));
        ops.RefreshFileList();
        ui.log.clear();
        ui.texts = {c.answer};
        TPageCommandResult r = ops.RenamePage();
        EXPECT_EQ(r.Done, c.done) << c.answer.value_or("(cancel)");
        EXPECT_EQ(Listed(), c.listed) << c.answer.value_or("(cancel)");
        EXPECT_EQ(ui.log.back(), c.lastLog) << c.answer.value_or("(cancel)");
        if (c.done) {
            EXPECT_EQ(r.Open, PathOf("Z"));
        }
    }
}

TEST_F(PageOperationsTest, CommandsWithoutACurrentPageFileAreErrors) {
    EXPECT_THROW(ops.CopyPage(), EPageOperationError);
    EXPECT_THROW(ops.RenamePage(), EPageOperationError);
    Show(Page("A"));
    std::filesystem::remove(PathOf("A"));
    EXPECT_THROW(ops.CopyPage(), EPageOperationError);
    EXPECT_THROW(ops.RenamePage(), EPageOperationError);
    EXPECT_THROW(ops.RemovePageFile(PathOf("A"), 0), EPageOperationError);
}

TEST_F(PageOperationsTest, DeleteShowsTheNextPageOrDisablesTheCommands) {
    struct Case {
        Names pages;
        const char* removed;
        int selected;
        int show; // -1: nothing
        bool commands;
    } cases[] = {
        {{"A", "B", "C"}, "B", 1, 1, true}, // a middle page: the one now at its place
        {{"A", "B", "C"}, "C", 2, 1, true}, // the last page: the one before it
        {{"A"}, "A", 0, -1, false},         // the only page: nothing left
        {{"A", "B"}, "A", -1, -1, false},   // nothing was selected
    };
    for (const Case& c : cases) {
        for (const auto& e : std::filesystem::directory_iterator(wiki))
            std::filesystem::remove(e.path());
        for (const std::string& p : c.pages)
            Page(p);
        Show(PathOf(c.removed));
        ui.confirm = TAnswer::Yes;
        auto r = ops.DeletePage(c.selected);
        ASSERT_TRUE(r.has_value()) << c.removed;
        EXPECT_EQ(r->ShowIndex, c.show) << c.removed;
        EXPECT_EQ(r->PageCommands, c.commands) << c.removed;
        EXPECT_FALSE(std::filesystem::exists(PathOf(c.removed)));
        EXPECT_EQ(ui.log.back(),
                  std::string("confirm ") + c.removed + " を削除してもよろしいですか？");
        EXPECT_EQ(session.Recent().Count(), 0) << "the page left the recent list";
    }
    Show(Page("Kept"));
    for (TAnswer answer : {TAnswer::No, TAnswer::Cancel}) {
        ui.confirm = answer;
        EXPECT_FALSE(ops.DeletePage(0).has_value());
        EXPECT_TRUE(std::filesystem::exists(PathOf("Kept")));
    }
}

TEST(PageOperationHelpers, FileProperties) {
    TestFolder folder;
    struct Case {
        std::string bytes;
        const char* encoding;
        const char* breaks;
    } cases[] = {
        {ShiftJisToEucJp(Utf8ToShiftJis("日本語\n")), "EUC-JP", "LF"},
        {Utf8ToShiftJis("日本語の文章\r\n"), "Shift_JIS", "CR+LF"},
        {"日本語\r", "UTF-8", "CR"},
        {"plain", "ASCII", ""},
    };
    for (const Case& c : cases) {
        std::string path = folder.Write("41.txt", c.bytes);
        TFileProperties p = FileProperties(path);
        EXPECT_EQ(p.Path, path);
        EXPECT_EQ(p.Size, c.bytes.size());
        EXPECT_GT(p.Modified, 0);
        EXPECT_EQ(p.EncodingName(), c.encoding) << c.bytes;
        EXPECT_EQ(p.LineBreakName(), c.breaks) << c.bytes;
    }
    EXPECT_THROW(FileProperties(folder.Path() + "missing.txt"), EPageOperationError);
}
