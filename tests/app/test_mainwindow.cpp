// The main window against a real browser view: every wait is on a signal or a condition with
// a generous time-out, never a fixed sleep.
#include "UMain.h"
#include "UQtText.h"
#include "USearchingDialog.h"
#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

using namespace tarnel;

namespace {

constexpr int kWait = 20000; // ms: a loaded two-core machine starts Chromium slowly

std::string Hex(const std::string& name) {
    return EncodePageName(name, false);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A page long enough to scroll: its headings far apart.
std::string LongPage() {
    std::string text = "*Heading One\nSee SecondPage and MissingPage.\n";
    for (int i = 0; i < 300; ++i)
        text += "line " + std::to_string(i) + "\n\n";
    text += "**Far Heading\nend\n";
    return text;
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

void ClickLink(TPageView* view, const QString& hrefStart) {
    RunJs(view,
          QStringLiteral("document.querySelector('a[href^=\"%1\"]').click(); true").arg(hrefStart));
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TfrmMain> window_;
    QStringList messages_;
    std::string wiki_;

    std::string Page(const std::string& name) const { return wiki_ + Hex(name) + ".txt"; }

    // A window on a fresh wiki with `settings` as extra lines of the settings file.
    void Start(const std::string& settings = {}) {
        std::string config = dir_->filePath("Tarnel.ini").toStdString();
        WriteFile(config, "[File]\nLastView=" + Page("FrontPage") + "\n" + settings);
        TMainOptions options;
        options.AppFolder = TARNEL_APP_DIR;
        options.SettingsFile = config;
        window_ = std::make_unique<TfrmMain>(options);
        window_->MessageHook = [this](const QString& text) { messages_ << text; };
        window_->resize(1000, 700);
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

    qreal ScrollY() { return RunJs(window_->View(), QStringLiteral("window.scrollY")).toReal(); }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        wiki_ = dir_->filePath("wiki").toStdString() + "/";
        std::filesystem::create_directories(wiki_);
        WriteFile(Page("FrontPage"), LongPage());
        WriteFile(Page("SecondPage"), "*Second\nBack to FrontPage.\n");
        // "日本語の本文があります" in EUC-JP, the stored form.
        WriteFile(Page("Japan"), Utf8ToShiftJis("日本語の本文があります\n").empty()
                                     ? std::string()
                                     : ShiftJisToEucJp(Utf8ToShiftJis("日本語の本文があります\n")));
        messages_.clear();
    }
    void cleanup() {
        window_.reset();
        dir_.reset();
    }

    void startsOnTheLastPage() {
        Start();
        QCOMPARE(window_->windowTitle(), QStringLiteral("FrontPage - Tarnel"));
        QVERIFY(BodyText(window_->View()).contains(QStringLiteral("Far Heading")));
        QVERIFY(window_->Actions()->actReload->isEnabled());
        QVERIFY(messages_.isEmpty());
    }

    void wikiLinkShowsThePage() {
        Start();
        QVERIFY(ShownAfter([&] { ClickLink(window_->View(), QStringLiteral("WikiLink:")); }));
        QCOMPARE(window_->windowTitle(), QStringLiteral("SecondPage - Tarnel"));
        const TWikiFileList& list = window_->Session().PageList();
        QCOMPARE(window_->Side()->SelectedPage(), list.IndexOf(Hex("SecondPage") + ".txt"));
        QCOMPARE(window_->Side()->lsbRecentFileList->count(), 2);
        QCOMPARE(window_->Side()->lsbRecentFileList->item(0)->text(), QStringLiteral("SecondPage"));
        QVERIFY(window_->Actions()->actChangePrevDocument->isEnabled());
        // Previous document goes back to FrontPage.
        QVERIFY(ShownAfter([&] { window_->Actions()->actChangePrevDocument->trigger(); }));
        QCOMPARE(window_->windowTitle(), QStringLiteral("FrontPage - Tarnel"));
    }

    void newLinkStartsANewPage() {
        Start();
        QSignalSpy started(window_.get(), &TfrmMain::newPageStarted);
        ClickLink(window_->View(), QStringLiteral("NewLink:4D69"));
        QVERIFY(started.count() > 0 || started.wait(kWait));
        QCOMPARE(started.first().first().toString().toStdString(), Page("MissingPage"));
        // The view keeps the page until the new one is written.
        QCOMPARE(window_->windowTitle(), QStringLiteral("FrontPage - Tarnel"));
    }

    void innerLinkAndContentsScroll() {
        Start();
        QListWidget* contents = window_->Side()->lsbContentsList;
        QCOMPARE(contents->count(), 2);
        QCOMPARE(contents->item(0)->text(), QStringLiteral("Heading One"));
        QCOMPARE(contents->item(1)->text(), QStringLiteral("  Far Heading"));
        ClickLink(window_->View(), QStringLiteral("InnerLink:#i1"));
        QTRY_VERIFY_WITH_TIMEOUT(ScrollY() > 500, kWait);
        QVERIFY(window_->View()->url().scheme() != QLatin1String("innerlink"));
        qreal far = ScrollY();
        // Back to the top through the contents tab: a click on its first entry.
        window_->Side()->setCurrentIndex(TSidePanel::ContentsTab);
        QRect first = contents->visualItemRect(contents->item(0));
        QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, first.center());
        QTRY_VERIFY_WITH_TIMEOUT(ScrollY() < far - 500, kWait);
    }

    void reloadKeepsTheScrollPosition() {
        Start();
        RunJs(window_->View(), QStringLiteral("window.scrollTo(0, 1500)"));
        QTRY_VERIFY_WITH_TIMEOUT(window_->View()->ScrollY() > 1000, kWait);
        qreal before = ScrollY();
        QVERIFY(ShownAfter([&] { window_->Actions()->actReload->trigger(); }));
        QTRY_COMPARE_WITH_TIMEOUT(ScrollY(), before, kWait);
        // Another page starts at the top.
        QVERIFY(ShownAfter([&] { window_->OpenDocument(Page("SecondPage")); }));
        QCOMPARE(ScrollY(), 0.0);
    }

    void searchFindsAJapanesePage() {
        Start();
        TSidePanel* side = window_->Side();
        side->edtSearch->setText(QStringLiteral("本文"));
        side->ckbTitle->setChecked(false);
        QSignalSpy finished(window_.get(), &TfrmMain::searchFinished);
        QTest::mouseClick(side->btnSearch, Qt::LeftButton);
        QVERIFY(finished.count() > 0 || finished.wait(kWait));
        QCOMPARE(finished.first().first().toBool(), true);
        QCOMPARE(side->lsbSearchResultList->model()->rowCount(), 1);
        QCOMPARE(side->lsbSearchResultList->model()->index(0, 0).data().toString(),
                 QStringLiteral("Japan"));
        // The messages for an empty word and for no target.
        side->edtSearch->clear();
        QTest::mouseClick(side->btnSearch, Qt::LeftButton);
        side->edtSearch->setText(QStringLiteral("x"));
        side->ckbContent->setChecked(false);
        QTest::mouseClick(side->btnSearch, Qt::LeftButton);
        QCOMPARE(messages_, (QStringList{QStringLiteral("検索語を入れて下さい。"),
                                         QStringLiteral("検索対象を選択して下さい。")}));
    }

    void cancelStopsASearchOfTenThousandPages() {
        for (int i = 0; i < 10000; ++i)
            WriteFile(Page("Gen" + std::to_string(i)), "generated page text\n");
        Start();
        window_->SearchProgressHook = [](TfrmSearching& searching, int done, int) {
            if (done > 0) searching.btnCancel->click();
        };
        window_->Side()->edtSearch->setText(QStringLiteral("generated"));
        QSignalSpy finished(window_.get(), &TfrmMain::searchFinished);
        window_->Search();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toBool(), false);
        int found = window_->Side()->lsbSearchResultList->model()->rowCount();
        QVERIFY2(found > 0 && found < 10000, qPrintable(QString::number(found)));
    }

    void notationSwitchReconvertsOnlyOnChange() {
        Start();
        QComboBox* notation = window_->Actions()->cmbNotation;
        int shows = window_->ShowCount();
        window_->ChangeNotation(window_->Session().Notation(), true);
        window_->Actions()->actChangeNotation[0]->trigger(); // YukiWiki, the one in use
        QCOMPARE(window_->ShowCount(), shows);
        QVERIFY(ShownAfter([&] { notation->setCurrentIndex(7); })); // Markdown
        QCOMPARE(window_->ShowCount(), shows + 1);
        QCOMPARE(window_->Session().Notation(), TWikiNotation::Markdown);
        QVERIFY(window_->Actions()->actChangeNotation[7]->isChecked());
        // Markdown does not know "*Heading": the page is converted anew.
        QVERIFY(BodyText(window_->View()).contains(QStringLiteral("*Heading One")));
    }

    void restrictionFixesTheNotation() {
        Start("[Restriction]\nChangeWikiNotation=1\nCreateNewWiki=1\n");
        QVERIFY(!window_->Actions()->cmbNotation->isEnabled());
        QVERIFY(!window_->Actions()->mniNotation->isEnabled());
        QVERIFY(!window_->Actions()->actNewWiki->isEnabled());
    }

    void englishChangesEveryCaption() {
        Start();
        QComboBox* language = window_->Actions()->cmbLanguage;
        int english = language->findText(QStringLiteral("English"));
        QVERIFY(english >= 0);
        language->setCurrentIndex(english);
        QCOMPARE(window_->Actions()->actOpen->text(), QStringLiteral("&Open..."));
        QCOMPARE(window_->Session().Settings().Language, std::string("English"));
        auto isJapanese = [](const QString& text) {
            for (QChar c : text)
                if (c.unicode() >= 0x3000) return true;
            return false;
        };
        std::function<void(QMenu*)> check = [&](QMenu* menu) {
            QVERIFY2(!isJapanese(menu->title()), qPrintable(menu->title()));
            if (menu == window_->Actions()->mniTemplate) return; // template names
            for (QAction* action : menu->actions()) {
                QVERIFY2(!isJapanese(action->text()), qPrintable(action->text()));
                if (action->menu()) check(action->menu());
            }
        };
        for (QAction* top : window_->menuBar()->actions())
            check(top->menu());
        TSidePanel* side = window_->Side();
        for (int i = 0; i < side->count(); ++i)
            QVERIFY(!isJapanese(side->tabText(i)));
        const QList<QAbstractButton*> buttons = {side->btnUpdate, side->btnSearch, side->ckbTitle,
                                                 side->ckbContent};
        for (QAbstractButton* button : buttons)
            QVERIFY2(!isJapanese(button->text()), qPrintable(button->text()));
        for (int i = 0; i < 8; ++i)
            QVERIFY(!isJapanese(window_->Actions()->cmbNotation->itemText(i)));
        QVERIFY(!isJapanese(window_->CssSelect()->btnApply->text()));
    }

    void statusBarNamesThePageUnderTheMouse() {
        Start();
        emit window_->View()->ViewPage()->linkHovered(QStringLiteral("wikilink:53.txt"));
        QCOMPARE(window_->statusBar()->currentMessage(), QStringLiteral("Sへ移動"));
        emit window_->View()->ViewPage()->linkHovered(QStringLiteral("newlink:53.txt"));
        QCOMPARE(window_->statusBar()->currentMessage(), QStringLiteral("Sを新規作成"));
        emit window_->View()->ViewPage()->linkHovered(QStringLiteral("http://example.com/"));
        QCOMPARE(window_->statusBar()->currentMessage(), QStringLiteral("http://example.com/"));
    }

    void entriesThatAreNoPagesAreNamed() {
        Start();
        std::filesystem::create_directory(Page("Folder"));
        QSignalSpy skipped(window_->Side(), &TSidePanel::entriesSkipped);
        window_->Side()->btnUpdate->click();
        QCOMPARE(skipped.count(), 1);
        const QString message = window_->statusBar()->currentMessage();
        QVERIFY2(message.contains(QString::fromStdString(Hex("Folder"))), qPrintable(message));
        QVERIFY(window_->Side()->lsbFileList->model()->rowCount() == 3); // the three pages
    }

    void outsideChangeIsShownAgain() {
        Start("[Editor]\nType=2\nAssigned=true %f\n");
        QVERIFY(!BodyText(window_->View()).contains(QStringLiteral("Saved elsewhere")));
        QSignalSpy shown(window_.get(), &TfrmMain::pageShown);
        // Another process saves the page shown.
        QProcess writer;
        writer.start(QStringLiteral("sh"),
                     {QStringLiteral("-c"), QStringLiteral("printf '*Saved elsewhere\\n' > \"$0\""),
                      QString::fromStdString(Page("FrontPage"))});
        QVERIFY(writer.waitForFinished(kWait));
        QVERIFY(shown.wait(kWait));
        QVERIFY(BodyText(window_->View()).contains(QStringLiteral("Saved elsewhere")));
    }

    void previousDocumentAfterAnOutsideAddress() {
        std::string outside = dir_->filePath("outside.html").toStdString();
        WriteFile(outside, "<html><body>outside page</body></html>");
        Start();
        QSignalSpy loaded(window_->View(), &QWebEngineView::loadFinished);
        RunJs(window_->View(),
              QStringLiteral("location.href = '%1'; true")
                  .arg(QUrl::fromLocalFile(QString::fromStdString(outside)).toString()));
        QVERIFY(loaded.wait(kWait));
        QVERIFY(window_->ShowingOuterPage());
        QTRY_VERIFY_WITH_TIMEOUT(BodyText(window_->View()).contains(QStringLiteral("outside")),
                                 kWait);
        QVERIFY(ShownAfter([&] { window_->Actions()->actChangePrevDocument->trigger(); }));
        QVERIFY(!window_->ShowingOuterPage());
        QVERIFY(BodyText(window_->View()).contains(QStringLiteral("Far Heading")));
    }

    void aPageCannotStartAProgram() {
        Start("[Link]\nNewWindow=1\n");
        RunJs(window_->View(), QStringLiteral("location.href = 'file:///bin/sh'; true"));
        QTRY_COMPARE_WITH_TIMEOUT(messages_.size(), 1, kWait);
        QVERIFY2(messages_.first().contains(QStringLiteral("file:///bin/sh")),
                 qPrintable(messages_.first()));
        QVERIFY(BodyText(window_->View()).contains(QStringLiteral("Far Heading")));
    }

    void bigPagesShowThroughAFile() {
        std::string big;
        while (big.size() < 3 * 1000 * 1000)
            big += "a line of a big page, many times over\n\n";
        big += "LastLineOfBigPage\n";
        WriteFile(Page("BigPage"), big);
        Start();
        QVERIFY(ShownAfter([&] { window_->OpenDocument(Page("BigPage")); }));
        // textContent needs no layout of the 3 MB page, which innerText would force on every
        // try of a loaded machine.
        QTRY_VERIFY_WITH_TIMEOUT(
            RunJs(window_->View(), QStringLiteral("document.body ? document.body.textContent"
                                                  ".indexOf('LastLineOfBigPage') >= 0 : false"))
                .toBool(),
            3 * kWait);
        QCOMPARE(window_->windowTitle(), QStringLiteral("BigPage - Tarnel"));
    }

    // A page big enough to be converted on a worker thread, its beginning shown first.
    std::string BigPage() const {
        std::string big = "*Big Top\n";
        while (big.size() < 3 * 1000 * 1000)
            big += "a line of a big page, many times over\n\n";
        return big + "*Far Heading Of Big\nLastLineOfBigPage\n";
    }

    void bigPageIsConvertedWhileTheWindowAnswers() {
        WriteFile(Page("BigPage"), BigPage());
        Start();
        QSignalSpy shown(window_.get(), &TfrmMain::pageShown);
        window_->OpenDocument(Page("BigPage"));
        // Back at once, the conversion under way and said so; the window still on its page.
        QVERIFY(window_->Converting());
        QVERIFY(window_->StatusHint()->ProgressText().contains(QStringLiteral("BigPage")));
        QCOMPARE(window_->windowTitle(), QStringLiteral("FrontPage - Tarnel"));
        QVERIFY(shown.wait(3 * kWait));
        QCOMPARE(window_->windowTitle(), QStringLiteral("BigPage - Tarnel"));
        QVERIFY(!window_->Converting());
        QVERIFY(window_->StatusHint()->ProgressText().isEmpty());
        QCOMPARE(window_->Session().DocumentFileName(), Page("BigPage"));
        // The whole page, not its first part, and its anchors work.
        QTRY_VERIFY_WITH_TIMEOUT(
            RunJs(window_->View(), QStringLiteral("document.body ? document.body.textContent"
                                                  ".indexOf('LastLineOfBigPage') >= 0 : false"))
                .toBool(),
            3 * kWait);
        QCOMPARE(window_->Side()->lsbContentsList->count(), 2);
        window_->JumpToAnchor(window_->Session().Converter().Contents.Item(1).anchor);
        QTRY_VERIFY_WITH_TIMEOUT(ScrollY() > 10000, 3 * kWait);
    }

    void aClickWhileABigPageIsConvertedWins() {
        WriteFile(Page("BigPage"), BigPage());
        Start();
        window_->OpenDocument(Page("BigPage"));
        QVERIFY(window_->Converting());
        // Another page asked for meanwhile is shown, and the big page never comes over it.
        QVERIFY(ShownAfter([&] { window_->OpenDocument(Page("SecondPage")); }));
        QCOMPARE(window_->windowTitle(), QStringLiteral("SecondPage - Tarnel"));
        QVERIFY(!window_->Converting());
        const int shows = window_->ShowCount();
        QTRY_COMPARE_WITH_TIMEOUT(window_->ConversionsRunning(), 0, 3 * kWait);
        QCoreApplication::processEvents(); // the dropped result arrives
        QCOMPARE(window_->ShowCount(), shows);
        QCOMPARE(window_->windowTitle(), QStringLiteral("SecondPage - Tarnel"));
        QCOMPARE(window_->Session().DocumentFileName(), Page("SecondPage"));
        QVERIFY(BodyText(window_->View()).contains(QStringLiteral("Back to FrontPage")));
        QVERIFY(window_->StatusHint()->ProgressText().isEmpty());

        // Two big requests one after the other: only the second is shown.
        WriteFile(Page("OtherBig"), "*Other Big\n" + BigPage());
        window_->OpenDocument(Page("BigPage"));
        QVERIFY(ShownAfter([&] { window_->OpenDocument(Page("OtherBig")); }));
        QTRY_COMPARE_WITH_TIMEOUT(window_->ConversionsRunning(), 0, 3 * kWait);
        QCoreApplication::processEvents();
        QCOMPARE(window_->windowTitle(), QStringLiteral("OtherBig - Tarnel"));
        QCOMPARE(window_->Session().Recent().Count(), 3); // FrontPage, SecondPage, OtherBig
    }

    void topPageQuestion() {
        Start();
        QStringList asked;
        QSignalSpy started(window_.get(), &TfrmMain::newPageStarted);
        window_->QuestionHook = [&](const QString& question) {
            asked << question;
            return int(QMessageBox::Cancel);
        };
        window_->GoTop();
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked.first().contains(QStringLiteral("トップ")));
        QCOMPARE(started.count(), 0);
        window_->QuestionHook = [](const QString&) { return int(QMessageBox::Yes); };
        window_->GoTop();
        QCOMPARE(started.count(), 1);
        QCOMPARE(started.first().first().toString().toStdString(), Page(Utf8ToShiftJis("トップ")));
    }

    void pageListClickOnTheShownPageDoesNothing() {
        Start();
        const TWikiFileList& list = window_->Session().PageList();
        QListView* pages = window_->Side()->lsbFileList;
        int shows = window_->ShowCount();
        QModelIndex front = pages->model()->index(list.IndexOf(Hex("FrontPage") + ".txt"), 0);
        QTest::mouseClick(pages->viewport(), Qt::LeftButton, {}, pages->visualRect(front).center());
        QCOMPARE(window_->ShowCount(), shows);
        QModelIndex second = pages->model()->index(list.IndexOf(Hex("SecondPage") + ".txt"), 0);
        QVERIFY(ShownAfter([&] {
            QTest::mouseClick(pages->viewport(), Qt::LeftButton, {},
                              pages->visualRect(second).center());
        }));
        QCOMPARE(window_->windowTitle(), QStringLiteral("SecondPage - Tarnel"));
        // The recent list leads back.
        QListWidget* recent = window_->Side()->lsbRecentFileList;
        QCOMPARE(recent->item(1)->text(), QStringLiteral("FrontPage"));
        QVERIFY(ShownAfter([&] {
            QTest::mouseClick(recent->viewport(), Qt::LeftButton, {},
                              recent->visualItemRect(recent->item(1)).center());
        }));
        QCOMPARE(window_->windowTitle(), QStringLiteral("FrontPage - Tarnel"));
    }

    void droppedFilesOpenTheFirstPageFile() {
        std::string readme = dir_->filePath("readme.txt").toStdString();
        WriteFile(readme, "not a page");
        Start();
        QVERIFY(!window_->OpenDroppedFiles({readme}));
        QVERIFY(ShownAfter([&] {
            QVERIFY(window_->OpenDroppedFiles({readme, Page("SecondPage"), Page("Japan")}));
        }));
        QCOMPARE(window_->windowTitle(), QStringLiteral("SecondPage - Tarnel"));
    }

    void assignedEditorThatCannotStartIsReported() {
        Start("[Editor]\nType=2\nAssigned=/nonexistent/editor \"%f\"\n");
        window_->Actions()->actEdit->trigger();
        QCOMPARE(messages_.size(), 1);
        QString expected = QStringLiteral(" [/nonexistent/editor \"%1\"]")
                               .arg(QString::fromStdString(Page("FrontPage")));
        QVERIFY2(messages_.first().endsWith(expected), qPrintable(messages_.first()));
    }

    void templateMenuIsRebuiltWhenTheSettingsMenuOpens() {
        Start();
        emit window_->Actions()->mnuSettings->aboutToShow();
        QList<QAction*> items = window_->Actions()->mniTemplate->actions();
        QCOMPARE(items.size(), qsizetype(window_->Session().Templates().GetMainTemplates().size()));
        int checked = 0;
        for (QAction* item : items)
            if (item->isChecked()) {
                ++checked;
                QCOMPARE(item->text(), QStringLiteral("default"));
            }
        QCOMPARE(checked, 1);
        emit window_->Actions()->mnuSettings->aboutToShow();
        QCOMPARE(window_->Actions()->mniTemplate->actions().size(), items.size());
    }

    void designDialog() {
        Start();
        TfrmCssSelect* dialog = window_->CssSelect();
        window_->Actions()->actSelectDesign->trigger();
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->lsbDesigns->count() >= 3);
        QCOMPARE(dialog->lsbDesigns->currentItem()->text(), QStringLiteral("default"));
        QVERIFY(!dialog->edtStyleSheet->toPlainText().isEmpty());
        dialog->lsbDesigns->clearSelection();
        dialog->btnOk->click();
        QCOMPARE(messages_, QStringList{QStringLiteral("デザインを選択して下さい。")});
        QVERIFY2(dialog->isVisible(), "OK without a design leaves the dialog open");
        QList<QListWidgetItem*> dark = dialog->lsbDesigns->findItems("dark", Qt::MatchExactly);
        QCOMPARE(dark.size(), 1);
        dialog->lsbDesigns->setCurrentItem(dark.first());
        QVERIFY(ShownAfter([&] { dialog->btnOk->click(); }));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(window_->Session().Settings().CssName, std::string("dark"));
    }
};

int main(int argc, char** argv) {
    RegisterLinkSchemes();
    QApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_mainwindow.moc"
