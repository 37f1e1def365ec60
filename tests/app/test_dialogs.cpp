// The settings dialog, the export dialog with its run, and the plug-in usage window, each
// opened from the main window's command as the user opens it. Modal dialogs are answered
// from a timer once they are on the screen; every wait is on a condition with a generous
// time-out, never a fixed sleep.
//
// With TARNEL_DIALOG_SCREENSHOTS=FOLDER the tests also save settings.png, export.png and
// plugin-help.png there (the pictures in docs/).
#include "UHtmlExportDialog.h"
#include "UMain.h"
#include "UPluginHelp.h"
#include "UQtText.h"
#include "USettingsDialog.h"
#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

using namespace tarnel;
namespace fs = std::filesystem;

namespace {

constexpr int kWait = 30000; // ms: a loaded two-core machine starts Chromium slowly

std::string Hex(const std::string& name) {
    return EncodePageName(name, false);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Runs `answer` on the first visible window of type Dialog as soon as it is on the screen,
// from the event loop of whatever runs then (a modal dialog's own, or an export's).
template <class Dialog> void WhenShown(std::function<void(Dialog*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        for (QWidget* widget : QApplication::allWidgets()) {
            auto* dialog = qobject_cast<Dialog*>(widget);
            if (!dialog || !dialog->isVisible()) continue;
            timer->stop();
            timer->deleteLater();
            answer(dialog);
            return;
        }
    });
    timer->start();
}

// Saves a picture of `window` when the screenshots are asked for.
void Screenshot(QWidget* window, const char* name) {
    QByteArray folder = qgetenv("TARNEL_DIALOG_SCREENSHOTS");
    if (folder.isEmpty()) return;
    window->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TfrmMain> window_;
    QStringList messages_;
    std::string wiki_, out_;

    std::string Page(const std::string& name, const std::string& ext = ".txt") const {
        return wiki_ + Hex(name) + ext;
    }

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
        QVERIFY(shown.count() > 0 || shown.wait(kWait));
    }

    QStringList PageListRows() const {
        QStringList rows;
        QAbstractItemModel* model = window_->Side()->lsbFileList->model();
        for (int i = 0; i < model->rowCount(); ++i)
            rows << model->index(i, 0).data().toString();
        return rows;
    }

    // Opens the settings dialog from its command and answers it with `answer`.
    void Settings(const std::function<void(TfrmSettings*)>& answer) {
        bool answered = false;
        WhenShown<TfrmSettings>([&](TfrmSettings* dialog) {
            answer(dialog);
            answered = true;
            if (dialog->isVisible()) dialog->btnClose->click();
        });
        window_->Actions()->actSettings->trigger();
        QVERIFY(answered);
    }

    // Opens the export dialog from its command, lets `answer` fill it, and presses OK.
    void Export(const std::function<void(TfrmHtmlExportSettings*)>& answer) {
        bool answered = false;
        WhenShown<TfrmHtmlExportSettings>([&](TfrmHtmlExportSettings* dialog) {
            dialog->edtFolder->setText(FromUtf8(out_));
            answer(dialog);
            answered = true;
            if (dialog->isVisible()) dialog->btnOk->click();
        });
        window_->Actions()->actExportHTML->trigger();
        QVERIFY(answered);
    }

    int HtmlFiles() const {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(out_))
            if (entry.path().extension() == ".html" && entry.path().filename() != "index.html")
                ++count;
        return count;
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        wiki_ = dir_->filePath("wiki").toStdString() + "/";
        out_ = dir_->filePath("out").toStdString() + "/";
        fs::create_directories(wiki_);
        fs::create_directories(out_);
        WriteFile(Page("FrontPage"), "*Front\nSee SecondPage.\n");
        WriteFile(Page("SecondPage"), "*Second\nBack to FrontPage.\n");
        WriteFile(Page("WikiPage", ".wiki"), "*Only with .wiki\n");
        messages_.clear();
    }
    void cleanup() {
        window_.reset();
        dir_.reset();
    }

    void settingsOpenWithTheCurrentValues() {
        Start("[Editor]\nType=2\nAssigned=gedit \"%f\"\n");
        window_->Session().Settings().ReadCharCode = ReadCharCode::Automatic;
        Settings([&](TfrmSettings* dialog) {
            QCOMPARE(dialog->windowTitle(), U("Tarnelの設定"));
            QCOMPARE(dialog->pgcSettings->count(), 9);
            QCOMPARE(dialog->pgcSettings->currentIndex(), 0);
            dialog->pgcSettings->setCurrentWidget(dialog->tbsEditor);
            Screenshot(dialog, "settings.png");
            QCOMPARE(dialog->pgcSettings->tabText(5), U("トレイ"));
            // An empty top page shows the default.
            QCOMPARE(dialog->edtTopPage->text(), U("トップ"));
            QCOMPARE(dialog->edtExtension->text(), QStringLiteral(".txt"));
            QVERIFY(dialog->rdbAssigned->isChecked());
            QCOMPARE(dialog->rdbAssigned->text(), U("指定エディタ  [例]gedit \"%f\""));
            QCOMPARE(dialog->edtAssigned->text(), QStringLiteral("gedit \"%f\""));
            QVERIFY(dialog->rdbAuto->isChecked());
            QVERIFY(dialog->rdbAboutBlank->isChecked());
            QVERIFY(!dialog->ckbAutoSave->isVisibleTo(dialog));
        });
        // Closing changes nothing.
        QCOMPARE(window_->Session().Settings().ReadCharCode, ReadCharCode::Automatic);
        QCOMPARE(window_->Session().Settings().Assigned, std::string("gedit \"%f\""));
    }

    void extensionChangeRereadsThePageList() {
        Start();
        QCOMPARE(PageListRows(), (QStringList{"FrontPage", "SecondPage"}));
        // A path in the extension is refused and the dialog stays open.
        Settings([&](TfrmSettings* dialog) {
            dialog->edtExtension->setText(QStringLiteral("../x"));
            dialog->btnOk->click();
            QVERIFY(dialog->isVisible());
            QCOMPARE(messages_.size(), 1);
            QVERIFY(messages_.first().contains(QStringLiteral("../x")));
        });
        QCOMPARE(window_->Session().Settings().Extension, std::string(".txt"));

        // "wiki" means ".wiki": the page list shows only the pages of that extension at once.
        Settings([&](TfrmSettings* dialog) {
            dialog->edtExtension->setText(QStringLiteral("wiki"));
            dialog->btnOk->click();
        });
        QCOMPARE(window_->Session().Settings().Extension, std::string(".wiki"));
        QCOMPARE(PageListRows(), QStringList{"WikiPage"});

        Settings([&](TfrmSettings* dialog) {
            QCOMPARE(dialog->edtExtension->text(), QStringLiteral(".wiki"));
            dialog->edtExtension->setText(QStringLiteral(".txt"));
            dialog->ckbDisplayHierarchy->setChecked(true);
            dialog->btnOk->click();
        });
        QCOMPARE(PageListRows(), (QStringList{"FrontPage", "SecondPage"}));
        QVERIFY(window_->Session().PageList().displayHierarchy);
    }

    void restrictionTakesEffectAtOnce() {
        Start();
        TMainActions* actions = window_->Actions();
        QVERIFY(actions->cmbNotation->isEnabled());
        Settings([&](TfrmSettings* dialog) {
            dialog->pgcSettings->setCurrentWidget(dialog->tbsRestrict);
            dialog->ckbRestrictNotation->setChecked(true);
            dialog->ckbRestrictNewWiki->setChecked(true);
            dialog->btnOk->click();
        });
        QVERIFY(!actions->cmbNotation->isEnabled());
        QVERIFY(!actions->mniNotation->isEnabled());
        for (QAction* action : actions->actChangeNotation)
            QVERIFY(!action->isEnabled());
        QVERIFY(!actions->actNewWiki->isEnabled());

        Settings([&](TfrmSettings* dialog) {
            QVERIFY(dialog->ckbRestrictNotation->isChecked());
            dialog->ckbRestrictNotation->setChecked(false);
            dialog->btnOk->click();
        });
        QVERIFY(actions->cmbNotation->isEnabled());
        QVERIFY(actions->mniNotation->isEnabled());
        QVERIFY(!actions->actNewWiki->isEnabled());
    }

    void assignedEditorWaitsForARestart() {
        Start();
        Settings([&](TfrmSettings* dialog) {
            // A program whose path has a blank comes back as one word of the command.
            dialog->BrowseHook = [] { return QStringLiteral("/opt/My Editor/edit"); };
            dialog->btnBrowse->click();
            QString command = dialog->edtAssigned->text() + QStringLiteral(" \"%f\"");
            QStringList words = QProcess::splitCommand(command);
            QCOMPARE(words.value(0), QStringLiteral("/opt/My Editor/edit"));
            QCOMPARE(words.value(1), QStringLiteral("%f"));
            dialog->edtAssigned->setText(command);
            dialog->rdbAssigned->setChecked(true);
            dialog->btnOk->click();
        });
        const TTarnelReg& settings = window_->Session().Settings();
        QCOMPARE(settings.EditorType, TEditorType::Assigned); // saved for the next start
        QCOMPARE(window_->statusBar()->currentMessage(), U("本項目は再起動後に有効になります。"));
    }

    void exportWritesTheSite() {
        Start("[Form]\nExportTop=50000\nExportLeft=30\nExportWidth=500\nExportHeight=700\n");
        // A folder that does not exist is refused and the dialog stays open.
        bool refused = false;
        WhenShown<TfrmHtmlExportSettings>([&](TfrmHtmlExportSettings* dialog) {
            dialog->edtFolder->setText(QStringLiteral("/home/user/site"));
            Screenshot(dialog, "export.png");
            QCOMPARE(dialog->windowTitle(), U("HTML出力の設定"));
            // The stored place lay below the desktop: back at its top, with the stored size.
            QRect desktop = dialog->screen()->availableGeometry();
            QCOMPARE(dialog->geometry(), QRect(30, desktop.top(), 500, 700));
            dialog->move(40, 50);
            // The page shown is selected; the list is for chosen pages only.
            QCOMPARE(dialog->lsbFiles->count(), 2);
            QCOMPARE(dialog->lsbFiles->currentItem()->text(), QStringLiteral("FrontPage"));
            QVERIFY(!dialog->lsbFiles->isEnabled());
            dialog->rdbIndication->setChecked(true);
            QVERIFY(dialog->lsbFiles->isEnabled());
            dialog->rdbAll->setChecked(true);
            dialog->ckbMakeIndex->setChecked(false);
            QVERIFY(!dialog->cmbIndexTemplate->isEnabled());
            dialog->ckbMakeIndex->setChecked(true);
            dialog->edtFolder->setText(FromUtf8(out_ + "missing"));
            dialog->btnOk->click();
            refused = dialog->isVisible();
            dialog->btnCancel->click();
        });
        window_->Actions()->actExportHTML->trigger();
        QVERIFY(refused);
        QCOMPARE(messages_.size(), 1);
        QVERIFY(messages_.first().contains(U("が見つかりません")));
        messages_.clear();

        Export([&](TfrmHtmlExportSettings* dialog) { dialog->rdbUtf8->setChecked(true); });
        QVERIFY(fs::exists(out_ + Hex("FrontPage") + ".html"));
        QVERIFY(fs::exists(out_ + Hex("SecondPage") + ".html"));
        QVERIFY(fs::exists(out_ + "index.html"));
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_.first().startsWith(U("HTML出力が終わりました。")),
                 qPrintable(messages_.first()));
        QVERIFY(messages_.first().contains(U("出力したページ: 2")));
        // The choices are stored.
        const TTarnelReg& settings = window_->Session().Settings();
        QCOMPARE(settings.ExportFolder, out_);
        QCOMPARE(settings.ExportEncoding, TExportEncoding::Utf8);
        QCOMPARE(settings.ExportWidth, 500); // stored when the dialog closed, Cancel too
        QCOMPARE(settings.ExportLeft, 40);

        // Only the chosen page, the next time.
        messages_.clear();
        fs::remove(out_ + Hex("SecondPage") + ".html");
        Export([&](TfrmHtmlExportSettings* dialog) {
            QCOMPARE(dialog->edtFolder->text(), FromUtf8(out_));
            QVERIFY(dialog->rdbUtf8->isChecked());
            dialog->ckbNoModifyExport->setChecked(true);
            dialog->rdbIndication->setChecked(true);
            dialog->lsbFiles->clearSelection();
            dialog->lsbFiles->item(1)->setSelected(true);
        });
        QVERIFY(fs::exists(out_ + Hex("SecondPage") + ".html"));
        QVERIFY(messages_.value(0).contains(U("出力したページ: 1")));
        QVERIFY(!window_->Session().Settings().ExportAll);
    }

    void passedOverEntriesAndStoppedRunsAreReported() {
        Start();
        // A folder named like a page is no page: the run goes on, and the report names it.
        fs::create_directory(Page("BrokenPage"));
        Export([](TfrmHtmlExportSettings*) {});
        QCOMPARE(messages_.size(), 1);
        const QString& report = messages_.first();
        QVERIFY2(report.startsWith(U("HTML出力が終わりました。")), qPrintable(report));
        QVERIFY2(report.contains(FromUtf8(Hex("BrokenPage"))), qPrintable(report));
        QVERIFY(fs::exists(out_ + Hex("FrontPage") + ".html")); // the others are written
        QVERIFY(!fs::exists(out_ + Hex("BrokenPage") + ".html"));

        // An error that stops the whole run is reported as one, with its reason.
        messages_.clear();
        fs::remove(Page("BrokenPage"));
        window_->Session().Settings().CssName = "no-such-design";
        Export([](TfrmHtmlExportSettings*) {});
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_.first().startsWith(U("HTML出力できませんでした。")),
                 qPrintable(messages_.first()));
        QVERIFY2(messages_.first().contains(QStringLiteral("no-such-design")),
                 qPrintable(messages_.first()));
    }

    void usersFilesAreOverwrittenOnlyWhenAsked() {
        Start();
        WriteFile(out_ + "index.html", "the user's own page");
        QStringList questions;
        int answer = QMessageBox::No;
        window_->QuestionHook = [&](const QString& question) {
            questions << question;
            return answer;
        };
        Export([](TfrmHtmlExportSettings*) {});
        QCOMPARE(questions.size(), 1);
        QVERIFY2(questions.first().contains(QStringLiteral("index.html")),
                 qPrintable(questions.first()));
        QVERIFY(messages_.value(0).startsWith(U("HTML出力を中止しました。")));
        QCOMPARE(HtmlFiles(), 0);
        std::ifstream kept(out_ + "index.html");
        QCOMPARE(std::string(std::istreambuf_iterator<char>(kept), {}),
                 std::string("the user's own page"));

        messages_.clear();
        answer = QMessageBox::Yes;
        Export([](TfrmHtmlExportSettings*) {});
        QCOMPARE(questions.size(), 2);
        QVERIFY(messages_.value(0).startsWith(U("HTML出力が終わりました。")));
        QCOMPARE(HtmlFiles(), 2);
        // From now on the file is Tarnel's: no more question.
        Export([](TfrmHtmlExportSettings*) {});
        QCOMPARE(questions.size(), 2);
    }

    void cancelStopsTheExport() {
        // Enough pages that the run is still going when Cancel is pressed, on any machine.
        for (int i = 0; i < 3000; ++i)
            WriteFile(Page("Page" + std::to_string(i)), "*Page\nSome text and FrontPage.\n");
        Start();
        bool cancelled = false;
        WhenShown<TfrmExporting>([&](TfrmExporting* progress) {
            progress->btnCancel->click();
            cancelled = true;
        });
        Export([](TfrmHtmlExportSettings*) {});
        QVERIFY(cancelled);
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_.first().startsWith(U("HTML出力を中止しました。")),
                 qPrintable(messages_.first()));
        QVERIFY(HtmlFiles() < 3002);
        QVERIFY(!fs::exists(out_ + "index.html"));
        // The window is usable again and the next export completes the site.
        messages_.clear();
        Export([](TfrmHtmlExportSettings*) {});
        QCOMPARE(HtmlFiles(), 3002);
    }

    // Figures for the notes, on a wiki of 10,000 pages; only with TARNEL_DIALOG_TIMING set.
    void timingOfTenThousandPages() {
        if (qEnvironmentVariableIsEmpty("TARNEL_DIALOG_TIMING"))
            QSKIP("set TARNEL_DIALOG_TIMING to measure");
        const int pages = 10000;
        for (int i = 0; i < pages; ++i)
            WriteFile(Page("Page" + std::to_string(i)),
                      "*Page " + std::to_string(i) +
                          "\nText with FrontPage and a list:\n-one\n-two\n");
        Start();
        QElapsedTimer clock;
        auto settings = [&](const char* extension) {
            clock.start();
            Settings([&](TfrmSettings* dialog) {
                dialog->edtExtension->setText(QLatin1String(extension));
                clock.restart();
                dialog->btnOk->click();
            });
            return clock.elapsed();
        };
        qint64 toWiki = settings(".wiki");
        qint64 toTxt = settings(".txt");
        qInfo("settings OK with a new extension: %lld ms (1 page), %lld ms (%d pages)", toWiki,
              toTxt, pages + 2);

        // How long the window goes without handling events while the export runs.
        qint64 longestGap = 0;
        QElapsedTimer gap;
        QTimer beat;
        beat.setInterval(5);
        connect(&beat, &QTimer::timeout, this,
                [&] { longestGap = std::max(longestGap, gap.restart()); });
        auto exportAll = [&](const char* what) {
            messages_.clear();
            longestGap = 0;
            WhenShown<TfrmExporting>([&](TfrmExporting*) {
                gap.start();
                beat.start();
                clock.start();
            });
            Export([](TfrmHtmlExportSettings*) {});
            qint64 ms = clock.elapsed();
            beat.stop();
            qInfo("%s: %lld ms, %.0f pages/s, longest time without events %lld ms", what, ms,
                  (pages + 2) * 1000.0 / double(std::max<qint64>(ms, 1)), longestGap);
            qInfo("  %s", qPrintable(messages_.join(QLatin1Char(' '))));
        };
        exportAll("first export");
        exportAll("unchanged export");

        // From the click on Cancel to the window back.
        fs::remove_all(out_);
        fs::create_directories(out_);
        qint64 cancelled = -1;
        QElapsedTimer sinceCancel;
        WhenShown<TfrmExporting>([&](TfrmExporting* progress) {
            QTimer::singleShot(200, progress, [&, progress] {
                sinceCancel.start();
                progress->btnCancel->click();
            });
        });
        Export([](TfrmHtmlExportSettings*) {});
        cancelled = sinceCancel.elapsed();
        qInfo("cancel: the window back %lld ms after the click, %d pages written", cancelled,
              HtmlFiles());
    }

    void pluginWindowListsTheLoadedPlugins() {
        Start("[Form]\nPluginTop=50000\nPluginLeft=60\n");
        const TPluginShelf& shelf = window_->Session().Plugins();
        QVERIFY(shelf.Count() > 0);
        window_->Actions()->mniHelpPlugin->trigger();
        auto* help = window_->findChild<TfrmPluginHelp*>();
        QVERIFY(help);
        QTRY_VERIFY_WITH_TIMEOUT(help->isVisible(), kWait);
        QCOMPARE(help->windowTitle(), U("プラグインの使い方"));
        QTreeWidget* list = help->lsvPluginList;
        QCOMPARE(list->columnCount(), 5);
        QCOMPARE(list->headerItem()->text(1), U("バージョン"));
        QCOMPARE(list->topLevelItemCount(), int(shelf.Count()));
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            QCOMPARE(list->topLevelItem(i)->text(0), FromDisplay(shelf[std::size_t(i)].Name));
        // Nothing selected: the boxes stay empty; a row fills them.
        QVERIFY(help->edtFileName->text().isEmpty());
        list->setCurrentItem(list->topLevelItem(0));
        QCOMPARE(help->edtFileName->text(), FromUtf8(shelf[0].FileName));
        QCOMPARE(help->edtSyntax->toPlainText(), FromDisplay(shelf[0].Syntax));
        QVERIFY(!list->topLevelItem(0)->text(3).contains(QLatin1Char('/')));
        Screenshot(help, "plugin-help.png");
        // The stored top lay below the desktop: the window came back to the desktop's top.
        QRect desktop = help->screen()->availableGeometry();
        QCOMPARE(help->pos().y(), desktop.top());
        QCOMPARE(help->pos().x(), 60);
        // Its place is kept for the next start.
        help->move(120, 140);
        QTRY_COMPARE_WITH_TIMEOUT(window_->Session().Settings().PluginLeft, 120, kWait);
        QCOMPARE(window_->Session().Settings().PluginTop, 140);
        help->bbnClose->click();
        QVERIFY(!help->isVisible());
        // A second showing is the same window.
        window_->Actions()->mniHelpPlugin->trigger();
        QCOMPARE(window_->findChildren<TfrmPluginHelp*>().size(), 1);
    }

    void pluginWindowOverOtherShelves() {
        TTarnelReg settings;
        TLanguage language(TARNEL_APP_DIR);
        TfrmPluginHelp help(language, settings, nullptr);
        TPluginShelf empty;
        help.Fill(empty);
        QCOMPARE(help.lsvPluginList->topLevelItemCount(), 0);
        help.ShowSelected();
        QVERIFY(help.edtFileName->text().isEmpty() && help.edtExample->toPlainText().isEmpty());

        TPluginShelf shelf;
        shelf.LoadPlugin(std::string(TARNEL_TEST_PLUGIN_DIR) + "altversion.so");
        help.Fill(shelf);
        QCOMPARE(help.lsvPluginList->topLevelItemCount(), 1);
        QTreeWidgetItem* row = help.lsvPluginList->topLevelItem(0);
        QCOMPARE(row->text(1), QStringLiteral("2.5-alt")); // through GetPluginVersion
        QCOMPARE(row->text(2), QStringLiteral("7"));
        QCOMPARE(row->text(3), QStringLiteral("altversion.so"));
        QVERIFY(row->textAlignment(1) & Qt::AlignRight);
    }
};

int main(int argc, char** argv) {
    RegisterLinkSchemes();
    QApplication app(argc, argv);
    TestDialogs test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_dialogs.moc"
