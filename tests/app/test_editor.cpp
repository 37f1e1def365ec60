// The page file commands and the internal editor against the real main window: every wait is
// on a signal or a condition with a time-out, never a fixed sleep.
#include "UEditor.h"
#include "UFilePropertiesDialog.h"
#include "UMain.h"
#include "UQtText.h"
#include "settings/UIniFile.h"
#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

using namespace tarnel;

namespace {

constexpr int kWait = 20000; // ms: a loaded two-core machine starts Chromium slowly
const QString kCancel = QStringLiteral("\x01cancel"); // an input box answer: Cancel

std::string Hex(const std::string& name) {
    return EncodePageName(Utf8ToShiftJis(name), false);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Stored form (EUC-JP) of a UTF-8 text.
std::string Euc(const std::string& utf8) {
    return ShiftJisToEucJp(Utf8ToShiftJis(utf8));
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

QVariant RunJs(TPageView* view, const QString& script) {
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, kWait)) return {};
    return result;
}

QString BodyText(TPageView* view) {
    return RunJs(view, QStringLiteral("document.body ? document.body.innerText : ''")).toString();
}

QString EditorText(TfrmEditor* editor) {
    std::string_view text = editor->Control()->TextView();
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

class TestEditor : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TfrmMain> window_;
    std::string wiki_;
    std::string config_;
    QStringList messages_; // the main window's messages
    QStringList errors_;   // page command errors (with a beep)
    QStringList editorMessages_;
    QStringList answers_;                // for the input boxes, in turn; kCancel cancels
    QStringList prompts_;                // the input boxes' captions
    QStringList questions_;              // every Yes/No/Cancel question asked
    TAnswer confirm_ = TAnswer::Yes;     // the answer to page-command questions
    TAnswer deleteAnswer_ = TAnswer::No; // the answer to the emptied-page question
    TOutsideChoice outside_ = TOutsideChoice::KeepEditing;

    std::string Page(const std::string& name) const { return wiki_ + Hex(name) + ".txt"; }
    TfrmEditor* Editor() const { return window_->Editor(); }

    // A window on a fresh wiki with `settings` as extra lines of the settings file.
    // `file` adds lines to the [File] section.
    void Start(const std::string& settings = {}, const std::string& file = {}) {
        WriteFile(config_, "[File]\nLastView=" + Page("FrontPage") + "\n" + file + settings);
        TMainOptions options;
        options.AppFolder = TARNEL_APP_DIR;
        options.SettingsFile = config_;
        window_ = std::make_unique<TfrmMain>(options);
        window_->MessageHook = [this](const QString& text) { messages_ << text; };
        TPageOperationsUi& ui = window_->PageUi();
        ui.TextHook = [this](const QString& caption, const QString&, const QString&) {
            prompts_ << caption;
            QString answer = answers_.isEmpty() ? kCancel : answers_.takeFirst();
            return answer == kCancel ? std::nullopt : std::optional<QString>(answer);
        };
        ui.ConfirmHook = [this](const QString& q) {
            questions_ << q;
            return confirm_;
        };
        ui.ErrorHook = [this](const QString& text) { errors_ << text; };
        if (TfrmEditor* editor = Editor()) {
            editor->MessageHook = [this](const QString& title, const QString& text) {
                editorMessages_ << title + QLatin1Char('|') + text;
            };
            editor->DeleteQuestionHook = [this](const QString& q) {
                questions_ << q;
                return deleteAnswer_;
            };
            editor->OutsideHook = [this](TOutsideChange, const QString& q) {
                questions_ << q;
                return outside_;
            };
        }
        window_->resize(900, 600);
        window_->show();
        QSignalSpy shown(window_.get(), &TfrmMain::pageShown);
        window_->OpenFirstPage();
        QVERIFY(shown.wait(kWait));
    }

    // Waits for the next page drawn after `action`.
    bool ShownAfter(const std::function<void()>& action) {
        QSignalSpy shown(window_.get(), &TfrmMain::pageShown);
        action();
        return shown.count() > 0 || shown.wait(kWait);
    }

    int ListIndex(const std::string& name) const {
        return window_->Session().PageList().IndexOf(Hex(name) + ".txt");
    }

    // Types `text` at the end of the editor's text, as keys would.
    void Append(const QString& text) {
        TEditorControl* c = Editor()->Control();
        c->SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
        c->SendScintilla(QsciScintilla::SCI_ADDTEXT, text.toUtf8().size(),
                         text.toUtf8().constData());
    }

    void SetEditorText(const QString& text) {
        TEditorControl* c = Editor()->Control();
        c->SendScintilla(QsciScintilla::SCI_SELECTALL);
        c->SendScintilla(QsciScintilla::SCI_REPLACESEL, text.toUtf8().constData());
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        wiki_ = dir_->filePath("wiki").toStdString() + "/";
        config_ = dir_->filePath("Tarnel.ini").toStdString();
        std::filesystem::create_directories(wiki_);
        WriteFile(Page("FrontPage"), "*Front\nSee SecondPage.\n");
        WriteFile(Page("SecondPage"), "*Second\nBack to FrontPage.\n");
        WriteFile(Page("Japan"), Euc("日本語の本文があります\n"));
        messages_.clear();
        errors_.clear();
        editorMessages_.clear();
        answers_.clear();
        prompts_.clear();
        questions_.clear();
        confirm_ = TAnswer::Yes;
        deleteAnswer_ = TAnswer::No;
        outside_ = TOutsideChoice::KeepEditing;
    }
    void cleanup() {
        if (window_) {
            // Nothing left for the close to ask about.
            if (Editor()) Editor()->Control()->setModified(false);
            window_->close();
        }
        window_.reset();
        dir_.reset();
    }

    // --- New pages ---------------------------------------------------------------------------

    void newPageWithTheInternalEditorIsWrittenOnlyBySaving() {
        Start();
        answers_ = {QStringLiteral("新しいページ")};
        window_->Actions()->actNew->trigger();
        QCOMPARE(prompts_, QStringList{QStringLiteral("新規作成")});
        const std::string file = Page("新しいページ");
        QVERIFY(Editor()->isVisible());
        QCOMPARE(Editor()->windowTitle(), QStringLiteral("新しいページ - 編集"));
        QVERIFY(!Exists(file));
        QCOMPARE(ListIndex("新しいページ"), -1);
        QCOMPARE(window_->windowTitle(), QStringLiteral("FrontPage - Tarnel")); // view unchanged

        Append(QStringLiteral("*見出し\r\n本文\r\n"));
        QVERIFY(QTest::qWaitForWindowActive(Editor()));
        QVERIFY(ShownAfter(
            [&] { QTest::keyClick(Editor()->Control(), Qt::Key_S, Qt::ControlModifier); }));
        QCOMPARE(ReadFile(file), Euc("*見出し\n本文\n"));
        QVERIFY(ListIndex("新しいページ") >= 0);
        QCOMPARE(window_->windowTitle(), QStringLiteral("新しいページ - Tarnel"));
        QVERIFY(BodyText(window_->View()).contains(QStringLiteral("本文")));
        QVERIFY(!Editor()->Modified());
    }

    void newPageWithAnExternalEditorListsAnEmptyFileAtOnce() {
        Start("[Editor]\nType=2\nAssigned=true \"%f\"\n");
        QVERIFY(!Editor());
        answers_ = {QStringLiteral("Outside")};
        window_->Actions()->actNew->trigger();
        QVERIFY(Exists(Page("Outside")));
        QCOMPARE(std::filesystem::file_size(Page("Outside")), std::uintmax_t(0));
        QVERIFY(ListIndex("Outside") >= 0);
        QVERIFY(messages_.isEmpty());
    }

    void newPageOfAnExistingNameOpensIt() {
        Start();
        answers_ = {QStringLiteral("SecondPage")};
        std::string before = ReadFile(Page("SecondPage"));
        QVERIFY(ShownAfter([&] { window_->Actions()->actNew->trigger(); }));
        QCOMPARE(window_->windowTitle(), QStringLiteral("SecondPage - Tarnel"));
        QCOMPARE(ReadFile(Page("SecondPage")), before);
        QCOMPARE(EditorText(Editor()), QStringLiteral("*Second\r\nBack to FrontPage.\r\n"));
        // Cancel and an empty name stop without a trace.
        answers_ = {kCancel, QString()};
        window_->Actions()->actNew->trigger();
        window_->Actions()->actNew->trigger();
        QCOMPARE(window_->Session().PageList().Count(), 3);
        QVERIFY(errors_.isEmpty() && messages_.isEmpty());
    }

    void aNameOutsideShiftJisIsRefused() {
        Start();
        answers_ = {QString::fromUtf8("page\xF0\x9F\x98\x80")}; // an emoji: no page name holds it
        window_->Actions()->actNew->trigger();
        QCOMPARE(errors_.size(), 1);
        QCOMPARE(window_->PageUi().Beeps, 1);
        QVERIFY(!Editor()->isVisible());
        QCOMPARE(window_->Session().PageList().Count(), 3);
    }

    void theEditorTypeOfTheRunDecidesANewPage() {
        Start();
        // The settings dialog stores another type for the next start.
        window_->Session().Settings().EditorType = TEditorType::Assigned;
        answers_ = {QStringLiteral("Later")};
        window_->Actions()->actNew->trigger();
        QVERIFY(!Exists(Page("Later")));
        QVERIFY(Editor()->isVisible());
        QCOMPARE(window_->Session().Settings().EditorType, TEditorType::Assigned);
    }

    void linesSavingWouldChangeAreToldWhenEditingStarts() {
        Start();
        // Line 2 holds a JIS X 0212 character, which the editor cannot hold as it is.
        WriteFile(Page("Rare"), Euc("one\n") + "\x8F\xB0\xA1\n");
        QVERIFY(ShownAfter([&] { window_->OpenDocument(Page("Rare")); }));
        QVERIFY(editorMessages_.isEmpty()); // browsing says nothing
        window_->Actions()->actEdit->trigger();
        QCOMPARE(editorMessages_.size(), 1);
        QVERIFY(editorMessages_.first().contains(QStringLiteral("2 行目")));
        Editor()->ShowWindow(); // told once per page
        QCOMPARE(editorMessages_.size(), 1);
    }

    // --- Copy, rename, delete ----------------------------------------------------------------

    void copyListsTheCopyAndStaysOnThePage() {
        Start();
        answers_ = {QStringLiteral("Copied")};
        window_->Actions()->actCopy->trigger();
        QCOMPARE(prompts_, QStringList{QStringLiteral("ファイルコピー(FrontPage)")});
        QCOMPARE(ReadFile(Page("Copied")), ReadFile(Page("FrontPage")));
        QVERIFY(ListIndex("Copied") >= 0);
        QCOMPARE(window_->windowTitle(), QStringLiteral("FrontPage - Tarnel"));
        QCOMPARE(window_->Side()->SelectedPage(), ListIndex("FrontPage"));
        // A clash: a beep, the message, nothing changed.
        std::string second = ReadFile(Page("SecondPage"));
        answers_ = {QStringLiteral("SecondPage")};
        window_->Actions()->actCopy->trigger();
        QCOMPARE(errors_, QStringList{QStringLiteral("SecondPage は既に存在しています。")});
        QCOMPARE(window_->PageUi().Beeps, 1);
        QCOMPARE(ReadFile(Page("SecondPage")), second);
    }

    void renameRules() {
        Start();
        const std::string front = ReadFile(Page("FrontPage"));
        // The same name, an empty name, Cancel: nothing happens, nothing is said.
        answers_ = {QStringLiteral("FrontPage"), QString(), kCancel};
        for (int i = 0; i < 3; ++i)
            window_->Actions()->actModifyFileName->trigger();
        QCOMPARE(prompts_.first(), QStringLiteral("名前変更(FrontPage)"));
        QVERIFY(errors_.isEmpty());
        QCOMPARE(ReadFile(Page("FrontPage")), front);
        // A clash changes nothing.
        answers_ = {QStringLiteral("SecondPage")};
        window_->Actions()->actModifyFileName->trigger();
        QCOMPARE(errors_, QStringList{QStringLiteral("SecondPage は既に存在しています。")});
        QCOMPARE(ReadFile(Page("FrontPage")), front);
        QCOMPARE(ReadFile(Page("SecondPage")), std::string("*Second\nBack to FrontPage.\n"));
        // A new name moves the page, with the pending edit, and shows it.
        Append(QStringLiteral("edited\r\n"));
        answers_ = {QStringLiteral("Renamed")};
        QVERIFY(ShownAfter([&] { window_->Actions()->actModifyFileName->trigger(); }));
        QVERIFY(!Exists(Page("FrontPage")));
        QCOMPARE(ReadFile(Page("Renamed")), front + "edited\n");
        QCOMPARE(window_->windowTitle(), QStringLiteral("Renamed - Tarnel"));
        QCOMPARE(window_->Side()->SelectedPage(), ListIndex("Renamed"));
        QCOMPARE(Editor()->windowTitle(), QStringLiteral("Renamed - 編集"));
    }

    void deleteShowsTheEntryThatTakesItsPlace() {
        Start();
        const TWikiFileList& list = window_->Session().PageList();
        QCOMPARE(list.Count(), 3);
        // The middle entry: the next one moves into its place and is shown.
        std::string middle = list.FilePath(1), last = list.FilePath(2);
        QVERIFY(ShownAfter([&] { window_->OpenDocument(middle); }));
        QVERIFY(ShownAfter([&] { window_->Actions()->actDelete->trigger(); }));
        QCOMPARE(questions_.size(), 1);
        QVERIFY(!Exists(middle));
        QCOMPARE(window_->Session().DocumentFileName(), last);
        QCOMPARE(window_->Side()->SelectedPage(), 1);
        // The last entry: the one before it is shown.
        std::string first = list.FilePath(0);
        QVERIFY(ShownAfter([&] { window_->Actions()->actDelete->trigger(); }));
        QCOMPARE(window_->Session().DocumentFileName(), first);
        const TRecentFileList& recent = window_->Session().Recent();
        for (int i = 0; i < recent.Count(); ++i)
            QVERIFY(recent.FilePath(i) != last);
        // No and Cancel keep the page.
        for (TAnswer answer : {TAnswer::No, TAnswer::Cancel}) {
            confirm_ = answer;
            window_->Actions()->actDelete->trigger();
            QVERIFY(Exists(first));
        }
        // The only page: the view empties, the page commands go off, the editor is empty.
        confirm_ = TAnswer::Yes;
        window_->Actions()->actDelete->trigger();
        QVERIFY(!Exists(first));
        QCOMPARE(list.Count(), 0);
        for (QAction* a :
             {window_->Actions()->actDelete, window_->Actions()->actCopy,
              window_->Actions()->actModifyFileName, window_->Actions()->actFileProperty})
            QVERIFY(!a->isEnabled());
        QVERIFY(EditorText(Editor()).isEmpty());
        QVERIFY(Editor()->Save()); // nothing to save, nothing written
        QCOMPARE(list.Count(), 0);
    }

    void propertiesNameEncodingAndLineBreaks() {
        Start();
        QVERIFY(ShownAfter([&] { window_->OpenDocument(Page("Japan")); }));
        QString encoding, breaks, size;
        window_->PropertiesHook = [&](TfrmFileProperties& dialog) {
            encoding = dialog.lblEncoding->text();
            breaks = dialog.lblLineBreak->text();
            size = dialog.lblSize->text();
        };
        window_->Actions()->actFileProperty->trigger();
        QCOMPARE(encoding, QStringLiteral("EUC-JP"));
        QCOMPARE(breaks, QStringLiteral("LF"));
        QCOMPARE(size, QString::number(Euc("日本語の本文があります\n").size()));
        QUrl opened;
        window_->OpenUrlHook = [&](const QUrl& url) { opened = url; };
        window_->Actions()->actOpenFolder->trigger();
        QCOMPARE(opened, QUrl::fromLocalFile(QString::fromStdString(wiki_)));
    }

    // --- Saving ------------------------------------------------------------------------------

    void saveWritesEucJpWithLfAndLeavesNoBackup() {
        Start({}, "ReadCharCode=0\n"); // pages are read in the encoding they are in
        // A page written by another tool in Shift_JIS with CR LF.
        WriteFile(Page("Japan"), Utf8ToShiftJis("古い本文\r\n二行目\r\n"));
        QVERIFY(ShownAfter([&] { window_->OpenDocument(Page("Japan")); }));
        QCOMPARE(EditorText(Editor()), QStringLiteral("古い本文\r\n二行目\r\n"));
        Append(QStringLiteral("三行目①\r\n"));
        QVERIFY(ShownAfter([&] { Editor()->actSave->trigger(); }));
        QCOMPARE(ReadFile(Page("Japan")), Euc("古い本文\n二行目\n三行目①\n"));
        QVERIFY(!Exists(Page("Japan") + "~"));
        QVERIFY(BodyText(window_->View()).contains(QStringLiteral("三行目①")));
        QVERIFY(questions_.isEmpty());
    }

    void emptiedPageAsksBeforeDeleting() {
        Start();
        const std::string old = ReadFile(Page("SecondPage"));
        QVERIFY(ShownAfter([&] { window_->OpenDocument(Page("SecondPage")); }));
        SetEditorText(QString());
        // No: the file stays, the editor stays modified.
        deleteAnswer_ = TAnswer::No;
        QVERIFY(Editor()->Save());
        QCOMPARE(questions_,
                 QStringList{QStringLiteral("SecondPage を削除してもよろしいですか？")});
        QCOMPARE(ReadFile(Page("SecondPage")), old);
        QVERIFY(Editor()->Modified());
        // Closing the window afterwards brings the old text back.
        Editor()->ShowWindow();
        Editor()->close();
        QCOMPARE(EditorText(Editor()), QStringLiteral("*Second\r\nBack to FrontPage.\r\n"));
        QVERIFY(!Editor()->Modified());
        // Cancel: the save and what asked for it stop; Ctrl+W keeps the window open.
        Editor()->ShowWindow();
        SetEditorText(QString());
        deleteAnswer_ = TAnswer::Cancel;
        QVERIFY(!Editor()->Save());
        Editor()->actClose->trigger();
        QVERIFY(Editor()->isVisible());
        // Yes: the page is deleted as by the Delete command.
        deleteAnswer_ = TAnswer::Yes;
        QVERIFY(ShownAfter([&] { Editor()->actSave->trigger(); }));
        QVERIFY(!Exists(Page("SecondPage")));
        QCOMPARE(ListIndex("SecondPage"), -1);
        QCOMPARE(window_->Session().PageList().Count(), 2);
    }

    void followingALinkSavesTheEditFirstWithoutAsking() {
        Start();
        Append(QStringLiteral("added line\r\n"));
        QVERIFY(Editor()->Modified());
        QVERIFY(ShownAfter([&] {
            RunJs(window_->View(),
                  QStringLiteral("document.querySelector('a[href^=\"WikiLink:\"]').click(); true"));
        }));
        QTRY_COMPARE_WITH_TIMEOUT(window_->windowTitle(), QStringLiteral("SecondPage - Tarnel"),
                                  kWait);
        QCOMPARE(ReadFile(Page("FrontPage")), std::string("*Front\nSee SecondPage.\nadded line\n"));
        QVERIFY(questions_.isEmpty());
        // The editor holds the page now shown.
        QCOMPARE(EditorText(Editor()), QStringLiteral("*Second\r\nBack to FrontPage.\r\n"));
        // The page list and the previous-page command leave the page the same way.
        Append(QStringLiteral("more\r\n"));
        QVERIFY(ShownAfter([&] { window_->Actions()->actChangePrevDocument->trigger(); }));
        QCOMPARE(ReadFile(Page("SecondPage")), std::string("*Second\nBack to FrontPage.\nmore\n"));
    }

    void outsideChangeWhileEditingIsNotLost() {
        Start();
        Append(QStringLiteral("mine\r\n"));
        WriteFile(Page("FrontPage"), "*Front\nwritten by another program\n");
        // Keep editing: nothing is written, and leaving the page stops too.
        outside_ = TOutsideChoice::KeepEditing;
        QVERIFY(!Editor()->Save());
        QCOMPARE(questions_.size(), 1);
        QVERIFY(
            questions_.first().contains(QStringLiteral("ほかのプログラムによって変更されました")));
        QCOMPARE(ReadFile(Page("FrontPage")), std::string("*Front\nwritten by another program\n"));
        window_->OpenDocument(Page("SecondPage"));
        QCOMPARE(window_->Session().DocumentFileName(), Page("FrontPage"));
        QVERIFY(Editor()->Modified());
        // Reload: the outside text comes into the editor and the view.
        outside_ = TOutsideChoice::Reload;
        QVERIFY(ShownAfter([&] { QVERIFY(Editor()->Save()); }));
        QCOMPARE(EditorText(Editor()), QStringLiteral("*Front\r\nwritten by another program\r\n"));
        QVERIFY(!Editor()->Modified());
        QVERIFY(BodyText(window_->View()).contains(QStringLiteral("written by another program")));
    }

    void charactersThePageCannotHoldAreNamedBeforeSaving() {
        Start();
        const std::string old = ReadFile(Page("FrontPage"));
        QString asked;
        Editor()->UnencodableHook = [&](const QString& message) {
            asked = message;
            return false;
        };
        Append(QString::fromUtf8("smile \xF0\x9F\x98\x80\r\n"));
        QVERIFY(!Editor()->Save());
        QVERIFY(asked.contains(QStringLiteral("3 行目")));
        QCOMPARE(ReadFile(Page("FrontPage")), old);
        QVERIFY(Editor()->Modified());
    }

    void aFailedWriteKeepsTheEditAndSaysSo() {
        Start();
        const std::string old = ReadFile(Page("FrontPage"));
        // A folder where the "~" copy goes: no write can succeed, even for root.
        std::filesystem::create_directories(Page("FrontPage") + "~/inside");
        Append(QStringLiteral("kept\r\n"));
        QVERIFY(!Editor()->Save());
        QCOMPARE(editorMessages_.size(), 1);
        QVERIFY(Editor()->Modified());
        QCOMPARE(ReadFile(Page("FrontPage")), old);
        // Leaving the page stops too, so the edit is still there to save elsewhere.
        window_->OpenDocument(Page("SecondPage"));
        QCOMPARE(window_->Session().DocumentFileName(), Page("FrontPage"));
        QVERIFY(EditorText(Editor()).endsWith(QStringLiteral("kept\r\n")));
    }

    void closingTheProgramSavesThePendingEdit() {
        Start();
        Append(QStringLiteral("at exit\r\n"));
        window_->close();
        QCOMPARE(ReadFile(Page("FrontPage")), std::string("*Front\nSee SecondPage.\nat exit\n"));
    }

    void keepEditingKeepsTheProgramOpen() {
        Start();
        Append(QStringLiteral("unsaved\r\n"));
        WriteFile(Page("FrontPage"), "*changed outside\n");
        outside_ = TOutsideChoice::KeepEditing;
        QVERIFY(!window_->close());
        QVERIFY(window_->isVisible());
        QCOMPARE(ReadFile(Page("FrontPage")), std::string("*changed outside\n"));
        QVERIFY(Editor()->Modified());
    }

    // --- Find and replace --------------------------------------------------------------------

    void findAndReplaceMessages() {
        Start();
        SetEditorText(QStringLiteral("abc ABC abc\r\n"));
        TEditorControl* c = Editor()->Control();
        c->SendScintilla(QsciScintilla::SCI_GOTOPOS, 0);
        TfrmEditorFind* find = Editor()->FindDialog();
        Editor()->actFind->trigger();
        QVERIFY(find->isVisible());
        find->edtWhat->setText(QStringLiteral("ABC"));
        find->ckbMatchCase->setChecked(true);
        find->btnFindNext->click();
        QCOMPARE(c->selectedText(), QStringLiteral("ABC"));
        QCOMPARE(c->SendScintilla(QsciScintilla::SCI_GETSELECTIONSTART), 4L);
        find->btnFindNext->click();
        QCOMPARE(editorMessages_, QStringList{QStringLiteral("検索|見つかりませんでした。")});
        QCOMPARE(Editor()->Beeps, 1);

        // Replace: the selected match first, then the next; then the not-found message.
        Editor()->actReplace->trigger();
        find->ckbMatchCase->setChecked(false);
        find->edtWhat->setText(QStringLiteral("abc"));
        find->edtWith->setText(QStringLiteral("x"));
        c->SendScintilla(QsciScintilla::SCI_GOTOPOS, 0);
        find->btnReplace->click();
        find->btnReplace->click();
        find->btnReplace->click();
        QCOMPARE(EditorText(Editor()), QStringLiteral("x x x\r\n"));
        find->btnReplace->click();
        QCOMPARE(editorMessages_.last(), QStringLiteral("置換|見つかりませんでした。"));

        // Replace All: absent text changes nothing and says nothing; a replacement that holds
        // the search text ends; one undo step takes it back.
        editorMessages_.clear();
        find->edtWhat->setText(QStringLiteral("absent"));
        find->btnReplaceAll->click();
        QVERIFY(editorMessages_.isEmpty());
        QCOMPARE(EditorText(Editor()), QStringLiteral("x x x\r\n"));
        find->edtWhat->setText(QStringLiteral("x"));
        find->edtWith->setText(QStringLiteral("xx"));
        find->btnReplaceAll->click();
        QCOMPARE(EditorText(Editor()), QStringLiteral("xx xx xx\r\n"));
        QVERIFY(editorMessages_.isEmpty());
        Editor()->actUndo->trigger();
        QCOMPARE(EditorText(Editor()), QStringLiteral("x x x\r\n"));
    }

    // --- Commands and their states -------------------------------------------------------------

    void enabledStatesFollowTheText() {
        Start();
        Editor()->ShowWindow();
        QVERIFY(QTest::qWaitForWindowActive(Editor()));
        TEditorControl* c = Editor()->Control();
        QVERIFY(!Editor()->actUndo->isEnabled()); // a freshly loaded page has no history
        QVERIFY(!Editor()->actCut->isEnabled() && !Editor()->actCopy->isEnabled());
        c->SendScintilla(QsciScintilla::SCI_SETSEL, 0, 6);
        QVERIFY(Editor()->actCut->isEnabled() && Editor()->actCopy->isEnabled());
        Editor()->actCut->trigger();
        QVERIFY(!Editor()->actCut->isEnabled());
        QVERIFY(Editor()->actPaste->isEnabled()); // the clipboard holds the cut text
        QVERIFY(Editor()->actUndo->isEnabled());
        Editor()->actUndo->trigger();
        QCOMPARE(EditorText(Editor()), QStringLiteral("*Front\r\nSee SecondPage.\r\n"));
        QVERIFY(Editor()->actRedo->isEnabled());
        // Ctrl+Alt+Z redoes.
        QTest::keyClick(c, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(EditorText(Editor()), QStringLiteral("\r\nSee SecondPage.\r\n"));
    }

    void insertCommandsUseTheFormatSettings() {
        Start("[Format]\nDate=yyyy\"/\"mm\"/\"dd\nTime=\"T\"hh\nNow=\"N\"yyyy\n");
        SetEditorText(QStringLiteral("[]"));
        TEditorControl* c = Editor()->Control();
        c->SendScintilla(QsciScintilla::SCI_SETSEL, 1, 1);
        Editor()->actInsertDate->trigger();
        QVERIFY(QRegularExpression(QStringLiteral("^\\[\\d{4}/\\d\\d/\\d\\d\\]$"))
                    .match(EditorText(Editor()))
                    .hasMatch());
        // The selection is replaced.
        c->SendScintilla(QsciScintilla::SCI_SETSEL, 1, 11);
        Editor()->actInsertTime->trigger();
        QVERIFY(QRegularExpression(QStringLiteral("^\\[T\\d\\d\\]$"))
                    .match(EditorText(Editor()))
                    .hasMatch());
        Editor()->actInsertNow->trigger();
        QVERIFY(EditorText(Editor()).contains(QStringLiteral("N20")));
        // Ctrl+; and Ctrl+: are the keys of the date and the time.
        Editor()->ShowWindow();
        QVERIFY(QTest::qWaitForWindowActive(Editor()));
        SetEditorText(QString());
        QTest::keyClick(c, Qt::Key_Semicolon, Qt::ControlModifier);
        QVERIFY(EditorText(Editor()).contains(QLatin1Char('/')));
        SetEditorText(QString());
        QTest::keyClick(c, Qt::Key_Colon, Qt::ControlModifier);
        QVERIFY(EditorText(Editor()).startsWith(QLatin1Char('T')));
    }

    void detailPropertiesReachTheControl() {
        Start();
        Editor()->frmSettings->DetailHook = [](TEditorProperties& p) {
            p.LineNumbers = false;
            p.WrapColumn = 33;
            return true;
        };
        Editor()->SettingsHook = [](TfrmEditorSettings& dialog) {
            dialog.btnDetail->click();
            // The column field follows the property dialog.
            bool follows = dialog.edtWrapColumn->text() == QStringLiteral("33");
            dialog.btnOk->click();
            return follows && dialog.result() == QDialog::Accepted;
        };
        Editor()->actSettings->trigger();
        QVERIFY(!Editor()->Control()->Properties().LineNumbers);
        QCOMPARE(Editor()->Control()->marginWidth(0), 0);
        QCOMPARE(Editor()->Control()->Properties().WrapColumn, 33);
        // Closed without OK, nothing changes.
        Editor()->SettingsHook = [](TfrmEditorSettings& dialog) {
            dialog.rbnWrapRightSide->setChecked(true);
            dialog.btnClose->click();
            return false;
        };
        Editor()->actSettings->trigger();
        QCOMPARE(window_->Session().Settings().WordWrap, 0);
    }

    void editorSettingsDialog() {
        Start();
        QStringList dialogMessages;
        Editor()->frmSettings->MessageHook = [&](const QString& m) { dialogMessages << m; };
        Editor()->SettingsHook = [&](TfrmEditorSettings& dialog) {
            // It opens on the current values.
            [&] {
                QVERIFY(dialog.rbnWrapNo->isChecked());
                QCOMPARE(dialog.edtWrapColumn->text(), QStringLiteral("80"));
                QVERIFY(!dialog.ckbStayOnTop->isChecked());
            }();
            dialog.rbnWrapIndication->setChecked(true);
            dialog.ckbStayOnTop->setChecked(true);
            dialog.edtWrapColumn->setText(QStringLiteral("abc"));
            dialog.btnOk->click(); // not a number: the dialog stays
            [&] { QCOMPARE(dialogMessages.size(), 1); }();
            dialog.edtWrapColumn->setText(QStringLiteral("60"));
            QSignalSpy accepted(&dialog, &QDialog::accepted);
            dialog.btnOk->click();
            return accepted.count() == 1;
        };
        Editor()->actSettings->trigger();
        const TTarnelReg& s = window_->Session().Settings();
        QCOMPARE(s.WordWrap, 2);
        QVERIFY(s.ViewForward);
        QCOMPARE(Editor()->Control()->Properties().WrapColumn, 60);
        QCOMPARE(Editor()->Control()->wrapMode(), QsciScintilla::WrapWord);
        QVERIFY(Editor()->windowFlags() & Qt::WindowStaysOnTopHint);

        // The control's properties survive the run in Editor/Property, the rest with them.
        window_->close();
        TIniFile ini = TIniFile::ReadFile(config_);
        QCOMPARE(TEditorProperties::Parse(ini.ReadString("Editor", "Property", "")).WrapColumn, 60);
        QCOMPARE(ini.ReadString("Editor", "WordWrap", ""), std::string("2"));
        window_.reset();
        TMainOptions options;
        options.AppFolder = TARNEL_APP_DIR;
        options.SettingsFile = config_;
        window_ = std::make_unique<TfrmMain>(options);
        QCOMPARE(Editor()->Control()->Properties().WrapColumn, 60);
        QCOMPARE(Editor()->Control()->WordWrapMode(), 2);
    }

    void editorGeometryIsStoredAndCorrected() {
        Start("[Form]\nEditorTop=99999\nEditorLeft=40\nEditorHeight=300\nEditorWidth=500\n");
        QRect g = Editor()->geometry();
        QVERIFY(g.top() < 5000); // a place below the desktop comes back onto it
        QCOMPARE(g.left(), 40);
        QCOMPARE(g.size(), QSize(500, 300));
        Editor()->ShowWindow();
        Editor()->setGeometry(60, 70, 520, 330);
        window_->close();
        TIniFile ini = TIniFile::ReadFile(config_);
        QCOMPARE(ini.ReadInteger("Form", "EditorWidth", 0), 520);
        QCOMPARE(ini.ReadInteger("Form", "EditorHeight", 0), 330);
    }

    // --- What the control shows
    // -------------------------------------------------------------------

    void propertiesTextForm_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("fontSize");
        QTest::addColumn<int>("wrapColumn");
        QTest::addColumn<bool>("lineNumbers");
        QTest::newRow("empty: defaults") << "" << 11 << 80 << true;
        QTest::newRow("values") << "FontSize=14;WrapColumn=72;LineNumbers=0" << 14 << 72 << false;
        QTest::newRow("out of range and junk keep defaults")
            << "FontSize=0;WrapColumn=x;LineNumbers=2;;=;Other=1" << 11 << 80 << true;
        QTest::newRow("trailing garbage in a number") << "FontSize=12pt" << 11 << 80 << true;
    }
    void propertiesTextForm() {
        QFETCH(QString, text);
        TEditorProperties p = TEditorProperties::Parse(text.toStdString());
        QFETCH(int, fontSize);
        QFETCH(int, wrapColumn);
        QFETCH(bool, lineNumbers);
        QCOMPARE(p.FontSize, fontSize);
        QCOMPARE(p.WrapColumn, wrapColumn);
        QCOMPARE(p.LineNumbers, lineNumbers);
        // What is written reads back the same, a ";" in the font name included.
        p.FontFamily = "Odd;Font";
        TEditorProperties again = TEditorProperties::Parse(p.Text());
        QCOMPARE(again.FontFamily, std::string("Odd Font"));
        again.FontFamily = p.FontFamily;
        QVERIFY(again == p);
    }

    void addressesFound_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("web") << "see http://example.com/a?b=1."
                             << QStringList{"http://example.com/a?b=1"};
        QTest::newRow("in brackets") << "(https://x.org/p)" << QStringList{"https://x.org/p"};
        QTest::newRow("before Japanese")
            << QStringLiteral("http://a.jp/です") << QStringList{"http://a.jp/"};
        QTest::newRow("mail") << "mail me@example.co.jp, now" << QStringList{"me@example.co.jp"};
        QTest::newRow("no host dot") << "user@localhost" << QStringList{};
        QTest::newRow("scheme only") << "http:// nothing" << QStringList{};
        QTest::newRow("inside a word") << "xhttp://a.b" << QStringList{};
        QTest::newRow("two") << "a@b.c http://d.e" << QStringList{"a@b.c", "http://d.e"};
        QTest::newRow("mailto") << "mailto:a@b.c" << QStringList{"mailto:a@b.c"};
    }
    void addressesFound() {
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        std::string utf8 = text.toStdString();
        QStringList got;
        for (const TAddressRange& a : FindAddresses(utf8))
            got << QString::fromStdString(utf8.substr(a.Start, a.Length));
        QCOMPARE(got, found);
    }

    void addressesAreColouredOnTheScreen() {
        Start();
        SetEditorText(QStringLiteral("plain http://example.com/ text\r\n"));
        Editor()->ShowWindow();
        TEditorControl* c = Editor()->Control();
        QTRY_VERIFY_WITH_TIMEOUT(c->SendScintilla(QsciScintilla::SCI_INDICATORVALUEAT, 8, 10) != 0,
                                 kWait);
        QCOMPARE(c->SendScintilla(QsciScintilla::SCI_INDICATORVALUEAT, 8, 2), 0L);
    }
};

int main(int argc, char** argv) {
    RegisterLinkSchemes();
    QApplication app(argc, argv);
    TestEditor test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_editor.moc"
