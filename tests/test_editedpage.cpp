// The internal editor's page: text forms, the save and what protects the page on disk.
#include "TestFolder.h"
#include "storage/UEditedPage.h"
#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

using namespace tarnel;
using tarnel::testing::TestFolder;

namespace {

std::string Euc(const std::string& utf8) {
    return ShiftJisToEucJp(Utf8ToShiftJis(utf8));
}

// Answers the save's questions as told and notes what was asked.
class FakeUi : public IEditedPageUi {
public:
    TAnswer deleteAnswer = TAnswer::No;
    TOutsideChoice outsideChoice = TOutsideChoice::KeepEditing;
    bool saveUnencodable = false;

    std::vector<std::string> asked; // "delete", "outside:<n>", "unencodable"
    std::string lastMessage;
    std::vector<TUnencodableChar> reported;

    TAnswer ConfirmDeleteEmptied(const std::string& message) override {
        asked.push_back("delete");
        lastMessage = ShiftJisToUtf8(message);
        return deleteAnswer;
    }
    TOutsideChoice AskOutsideChange(TOutsideChange change, const std::string& message) override {
        asked.push_back("outside:" + std::to_string(static_cast<int>(change)));
        lastMessage = ShiftJisToUtf8(message);
        return outsideChoice;
    }
    bool ConfirmUnencodable(const std::vector<TUnencodableChar>& characters,
                            const std::string& message) override {
        asked.push_back("unencodable");
        reported = characters;
        lastMessage = ShiftJisToUtf8(message);
        return saveUnencodable;
    }
};

class EditedPageTest : public ::testing::Test {
protected:
    EditedPageTest() : language(TARNEL_APP_DIR), page(language, false) {}

    std::string PagePath(const std::string& name) {
        return wiki.Path() + EncodePageName(Utf8ToShiftJis(name), false) + ".txt";
    }
    // Files in the wiki folder other than the pages named.
    std::vector<std::string> Leftovers() {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(wiki.Path()))
            if (e.path().extension() != ".txt") names.push_back(e.path().filename().string());
        return names;
    }

    TestFolder wiki;
    TLanguage language;
    TEditedPage page;
    FakeUi ui;
};

} // namespace

TEST(EditorTextForms, StoredFormIsEucJpWithLfAndAFinalLf) {
    struct Case {
        const char* editor;
        std::string stored;
    } cases[] = {
        {"", ""},
        {"a", "a\n"},
        {"a\r\nb\r\n", "a\nb\n"},
        {"a\rb\nc", "a\nb\nc\n"},
        {"日本語\r\nｶﾅ\r\n", Euc("日本語\nｶﾅ\n")},
        {"\r\n", "\n"}, // a single empty line is a text, not an emptied page
    };
    for (const Case& c : cases) {
        TStoredText s = EditorTextToStored(c.editor);
        EXPECT_EQ(s.Bytes, c.stored) << c.editor;
        EXPECT_TRUE(s.Unencodable.empty()) << c.editor;
    }
    EXPECT_EQ(StoredToEditorText(Euc("日本\nb\n")), "日本\r\nb\r\n");
    EXPECT_THROW(EditorTextToStored("\xff\xfe"), std::invalid_argument);
}

TEST(EditorTextForms, CharactersThePageCannotHoldAreReportedWithTheirLines) {
    // Line 2: an emoji; line 4: a NUL, which would end the page; line 5: a CJK extension B
    // character. 〜 (wave dash) and ①, which CP932 maps, are fine, and so is line 3: 髙 and
    // ⅰ, whose IBM extension codes are stored by their NEC-selected twins.
    std::string text = std::string("ok 〜①\r\n顔😀です\r\n髙橋ⅰ\r\na") + '\0' + "b\r\n𠀋\r\n";
    TStoredText s = EditorTextToStored(text);
    ASSERT_EQ(s.Unencodable.size(), 3u);
    struct Expected {
        int line;
        char32_t cp;
    } expected[] = {{2, 0x1F600}, {4, 0}, {5, 0x2000B}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(s.Unencodable[i].Line, expected[i].line) << i;
        EXPECT_EQ(s.Unencodable[i].CodePoint, expected[i].cp) << i;
    }
    EXPECT_EQ(StoredToEditorText(EditorTextToStored("髙橋ⅰ﨑").Bytes), "髙橋ⅰ﨑\r\n");
    EXPECT_EQ(s.Unencodable[0].Character, "😀");
}

TEST_F(EditedPageTest, SavingWritesEucJpWithLfAndLeavesNoBackupOrTemporaryFile) {
    // The file was written elsewhere: Shift_JIS with CR LF.
    std::string path = PagePath("ページ");
    wiki.Write(std::filesystem::path(path).filename().string(),
               Utf8ToShiftJis("古い行\r\n二行目\r\n"));
    PageReadOptions automatic{false, ReadCharCode::Automatic};
    std::string text = page.Load(path, automatic);
    EXPECT_EQ(text, "古い行\r\n二行目\r\n");
    EXPECT_TRUE(page.UnsafeLines().empty());
    EXPECT_EQ(ShiftJisToUtf8(page.Title()), "ページ - 編集");

    TSaveResult r = page.Save("新しい行\r\n二行目\r\n", ui);
    EXPECT_EQ(r.Outcome, TSaveOutcome::Saved);
    EXPECT_FALSE(r.Created);
    EXPECT_TRUE(ui.asked.empty());
    EXPECT_EQ(ReadFileBytes(path), Euc("新しい行\n二行目\n"));
    EXPECT_TRUE(Leftovers().empty());

    // The save is the new base: a second save asks nothing.
    EXPECT_EQ(page.Save("third\r\n", ui).Outcome, TSaveOutcome::Saved);
    EXPECT_TRUE(ui.asked.empty());
}

TEST_F(EditedPageTest, ANewPageHasNoFileUntilItsFirstSave) {
    std::string path = PagePath("New");
    page.PrepareNew(path);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(page.Save("", ui).Outcome, TSaveOutcome::NothingToSave) << "empty and no file";
    EXPECT_TRUE(ui.asked.empty());
    TSaveResult r = page.Save("text", ui);
    EXPECT_EQ(r.Outcome, TSaveOutcome::Saved);
    EXPECT_TRUE(r.Created);
    EXPECT_EQ(ReadFileBytes(path), "text\n");

    page.Clear();
    EXPECT_EQ(page.Save("other", ui).Outcome, TSaveOutcome::NothingToSave);
    EXPECT_EQ(ShiftJisToUtf8(page.Title()), "編集");
}

TEST_F(EditedPageTest, AnEmptiedPageAsksTheDeleteQuestion) {
    struct Case {
        TAnswer answer;
        TSaveOutcome outcome;
        bool proceed;
    } cases[] = {{TAnswer::Yes, TSaveOutcome::DeleteRequested, true},
                 {TAnswer::No, TSaveOutcome::KeptModified, true},
                 {TAnswer::Cancel, TSaveOutcome::Cancelled, false}};
    std::string path = PagePath("Page");
    for (const Case& c : cases) {
        wiki.Write(std::filesystem::path(path).filename().string(), "old\n");
        page.Load(path, {});
        ui.deleteAnswer = c.answer;
        ui.asked.clear();
        TSaveResult r = page.Save("", ui);
        EXPECT_EQ(ui.asked, std::vector<std::string>{"delete"});
        EXPECT_EQ(ui.lastMessage, "Page を削除してもよろしいですか？");
        EXPECT_EQ(r.Outcome, c.outcome);
        EXPECT_EQ(r.Proceed(), c.proceed);
        // The save itself never deletes: the page operations do, after Yes.
        EXPECT_EQ(ReadFileBytes(path), "old\n");
    }
}

TEST_F(EditedPageTest, AnOutsideChangeIsNeverOverwrittenWithoutAsking) {
    std::string path = PagePath("Shared");
    std::string file = std::filesystem::path(path).filename().string();
    wiki.Write(file, "loaded\n");
    page.Load(path, {});
    wiki.Write(file, "written by another program\n");

    ui.outsideChoice = TOutsideChoice::KeepEditing;
    TSaveResult r = page.Save("my edit\r\n", ui);
    EXPECT_EQ(ui.asked, std::vector<std::string>{"outside:1"});
    EXPECT_EQ(r.Outcome, TSaveOutcome::Cancelled);
    EXPECT_EQ(wiki.Read(file), "written by another program\n");

    // Emptying the page does not delete the outside text without asking either.
    ui.asked.clear();
    EXPECT_EQ(page.Save("", ui).Outcome, TSaveOutcome::Cancelled);
    EXPECT_EQ(ui.asked, std::vector<std::string>{"outside:1"});

    ui.outsideChoice = TOutsideChoice::Reload;
    r = page.Save("my edit\r\n", ui);
    EXPECT_EQ(r.Outcome, TSaveOutcome::Reloaded);
    EXPECT_EQ(r.ReloadedText, "written by another program\r\n");
    EXPECT_EQ(wiki.Read(file), "written by another program\n");

    // After the reload the outside text is the base: saving asks nothing.
    ui.asked.clear();
    EXPECT_EQ(page.Save("merged\r\n", ui).Outcome, TSaveOutcome::Saved);
    EXPECT_TRUE(ui.asked.empty());

    wiki.Write(file, "again outside\n");
    ui.outsideChoice = TOutsideChoice::Overwrite;
    EXPECT_EQ(page.Save("mine wins\r\n", ui).Outcome, TSaveOutcome::Saved);
    EXPECT_EQ(wiki.Read(file), "mine wins\n");
}

TEST_F(EditedPageTest, ATouchWithTheSameTextIsNoChange) {
    std::string path = PagePath("Touched");
    std::string file = std::filesystem::path(path).filename().string();
    wiki.Write(file, "same\n");
    page.Load(path, {});
    wiki.Write(file, "same\n"); // rewritten, new time stamp, same content
    EXPECT_EQ(page.OutsideChange(), TOutsideChange::None);
    EXPECT_EQ(page.Save("edit", ui).Outcome, TSaveOutcome::Saved);
    EXPECT_TRUE(ui.asked.empty());
}

TEST_F(EditedPageTest, APageDeletedOrCreatedOutsideIsWrittenOnlyAfterAsking) {
    std::string path = PagePath("Gone");
    std::string file = std::filesystem::path(path).filename().string();
    wiki.Write(file, "x\n");
    page.Load(path, {});
    std::filesystem::remove(path);
    EXPECT_EQ(page.OutsideChange(), TOutsideChange::Deleted);

    ui.outsideChoice = TOutsideChoice::Reload; // nothing to reload: the same as keep editing
    EXPECT_EQ(page.Save("edit", ui).Outcome, TSaveOutcome::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(path));
    ui.outsideChoice = TOutsideChoice::Overwrite;
    TSaveResult r = page.Save("edit", ui);
    EXPECT_EQ(r.Outcome, TSaveOutcome::Saved);
    EXPECT_TRUE(r.Created);
    EXPECT_EQ(wiki.Read(file), "edit\n");
    EXPECT_EQ(ui.asked, (std::vector<std::string>{"outside:2", "outside:2"}));

    // A new page whose file another program made meanwhile.
    std::string other = PagePath("Made");
    page.PrepareNew(other);
    wiki.Write(std::filesystem::path(other).filename().string(), "theirs\n");
    ui.asked.clear();
    ui.outsideChoice = TOutsideChoice::KeepEditing;
    EXPECT_EQ(page.Save("mine", ui).Outcome, TSaveOutcome::Cancelled);
    EXPECT_EQ(ui.asked, std::vector<std::string>{"outside:3"});
    EXPECT_EQ(ReadFileBytes(other), "theirs\n");
}

TEST_F(EditedPageTest, UnencodableCharactersAreNamedAndTheSaveCanBeCancelled) {
    std::string path = PagePath("Emoji");
    std::string file = std::filesystem::path(path).filename().string();
    wiki.Write(file, "old\n");
    page.Load(path, {});

    ui.saveUnencodable = false;
    EXPECT_EQ(page.Save("line one\r\nsmile 😀\r\n", ui).Outcome, TSaveOutcome::Cancelled);
    EXPECT_EQ(wiki.Read(file), "old\n");
    ASSERT_EQ(ui.reported.size(), 1u);
    EXPECT_EQ(ui.reported[0].Line, 2);
    EXPECT_NE(ui.lastMessage.find("2 行目: U+1F600"), std::string::npos) << ui.lastMessage;

    // A long list is cut in the message, never in what the window gets.
    std::string many;
    for (int i = 0; i < 25; ++i)
        many += "😀";
    EXPECT_EQ(page.Save(many, ui).Outcome, TSaveOutcome::Cancelled);
    EXPECT_EQ(ui.reported.size(), 25u);
    EXPECT_NE(ui.lastMessage.find("ほか 5 文字"), std::string::npos) << ui.lastMessage;

    ui.saveUnencodable = true;
    EXPECT_EQ(page.Save("line one\r\nsmile 😀\r\n", ui).Outcome, TSaveOutcome::Saved);
    EXPECT_EQ(wiki.Read(file), "line one\nsmile ?\n");
}

TEST_F(EditedPageTest, LinesTheEditorCannotHoldAreNamedAtLoad) {
    // Line 2 holds a JIS X 0212 character (0x8F 0xB0 0xA1), which Shift_JIS has no code for.
    std::string path = PagePath("Old");
    wiki.Write(std::filesystem::path(path).filename().string(), "plain\nx\x8f\xb0\xa1y\nplain\n");
    page.Load(path, {});
    EXPECT_EQ(page.UnsafeLines(), std::vector<int>{2});
}

TEST_F(EditedPageTest, AFailedWriteIsAnErrorAndNeverASuccess) {
    page.PrepareNew(wiki.Path() + "no-such-folder/41.txt");
    EXPECT_THROW(page.Save("text", ui), EPageFileError);
}

// Saves a 1 MB page over and over in a child process and kills it with SIGKILL at a random
// moment of a save, a hundred times: the page on disk is always whole, the old text or the
// new one. The random delay chooses where the kill lands; nothing waits for it.
TEST_F(EditedPageTest, KilledInTheMiddleOfSavingThePageIsAlwaysWhole) {
    auto make = [](const std::string& mark) {
        std::string text;
        while (text.size() < (1 << 20))
            text += mark + " 日本語の文章とASCII text " + std::to_string(text.size()) + "\r\n";
        return text;
    };
    const std::string a = make("AAAA"), b = make("BBBB");
    const std::string storedA = EditorTextToStored(a).Bytes, storedB = EditorTextToStored(b).Bytes;
    const std::string path = PagePath("Big");
    wiki.Write(std::filesystem::path(path).filename().string(), storedA);

    std::mt19937 random(12345);
    std::chrono::nanoseconds oneSave{0};
    for (int round = 0; round < 100; ++round) {
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeFds[0]);
            FakeUi childUi;
            childUi.outsideChoice = TOutsideChoice::Overwrite;
            TEditedPage saver(language, false);
            saver.Load(path, {});
            for (int i = 0; i < 100000; ++i) {
                saver.Save(i % 2 ? a : b, childUi);
                if (write(pipeFds[1], "s", 1) != 1) break;
            }
            _exit(0);
        }
        close(pipeFds[1]);
        char byte;
        // The child is in its loop once one save is done; the first round also times one.
        ASSERT_EQ(read(pipeFds[0], &byte, 1), 1);
        if (round == 0) {
            auto start = std::chrono::steady_clock::now();
            ASSERT_EQ(read(pipeFds[0], &byte, 1), 1);
            oneSave = std::chrono::steady_clock::now() - start;
        }
        std::uniform_int_distribution<long> delay(0, oneSave.count());
        timespec pause{0, delay(random) % 1000000000L};
        nanosleep(&pause, nullptr);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(pipeFds[0]);

        std::string onDisk = ReadFileBytes(path);
        ASSERT_TRUE(onDisk == storedA || onDisk == storedB)
            << "round " << round << ": " << onDisk.size() << " bytes";
    }
    // Killed saves leave their temporary file or their "~" copy behind: how many rounds
    // really hit a save in the middle.
    int interrupted = 0;
    for (const auto& e : std::filesystem::directory_iterator(wiki.Path()))
        interrupted += e.path().extension() != ".txt";
    RecordProperty("InterruptedSaves", interrupted);
}
