#include "UMain.h"

#include "UEditor.h"
#include "UFilePropertiesDialog.h"
#include "UQtText.h"
#include "USearchingDialog.h"
#include "UWindowGeometry.h"
#include "render/UNavigation.h"
#include "render/UPageRequests.h"
#include "render/UTemplateLib.h"
#include "storage/UDocumentSearching.h"
#include "storage/UPageFile.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>

namespace tarnel {

namespace {

// Pages up to this size are handed to the view as content; bigger ones go through a file.
// The view's data: address may hold 2 MiB after encoding, which is about 1.2 MB of HTML.
constexpr std::size_t kContentLimit = 1000 * 1000;

} // namespace

TfrmMain::TfrmMain(const TMainOptions& options, QWidget* parent)
    : QMainWindow(parent), session_(std::make_unique<TWikiSession>(options.AppFolder)),
      arguments_(options.Arguments) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(QIcon(FromUtf8(options.AppFolder + "Template/tarnel.svg")));

    // 1-6: the settings, templates, plug-ins, the view converter and the lists.
    if (!options.FirstStartLanguage.empty())
        session_->Settings().Language = options.FirstStartLanguage;
    session_->Start(options.SettingsFile);
    TTarnelReg& settings = session_->Settings();

    actions_ = new TMainActions(this);
    side_ = new TSidePanel(session_->PageList(), session_->SearchResults(), this);
    webMain_ = new TPageView(this);
    webMain_->setObjectName(QStringLiteral("webMain"));
    webMain_->setAcceptDrops(false); // dropped files are the window's
    splitter_ = new QSplitter(this);
    splitter_->addWidget(side_);
    splitter_->addWidget(webMain_);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);
    stbHint_ = new TMainStatusBar(this);
    setStatusBar(stbHint_);

    // 7: the watcher, for an external editor only. Its reports come from its own thread and
    // are queued to this one.
    editorType_ = settings.EditorType;
    if (editorType_ != TEditorType::Internal) {
        watcher_ = std::make_unique<TFileChangeNotification>([this](const std::string& name) {
            QMetaObject::invokeMethod(
                this, [this, name] { PageFileChanged(name); }, Qt::QueuedConnection);
        });
    }

    // 8-9: the window's place, the first tab, dropped files, the notification area.
    PlaceWindow();
    side_->setCurrentIndex(TSidePanel::ListTab);
    setAcceptDrops(true);
    if (settings.PuttingIntoSystemTray) {
        triMain_ = new QSystemTrayIcon(windowIcon(), this);
        triMain_->setToolTip(QStringLiteral("Tarnel"));
        connect(triMain_, &QSystemTrayIcon::activated, this, [this] {
            showNormal();
            raise();
            activateWindow();
            triMain_->hide();
        });
    }

    cssSelect_ = new TfrmCssSelect(
        session_->Designs(), session_->Language(),
        [this](const std::string& design) { SetDesign(design); },
        [this](const QString& text) { Message(text); }, this);

    // The page file commands ask through dialogs; a pending edit is saved first.
    pageUi_ = std::make_unique<TPageOperationsUi>(this, session_->Language(),
                                                  [this] { return CommitEditor(); });
    pageOps_ = std::make_unique<TPageOperations>(*session_, *pageUi_);
    // The internal editor: one window for the whole run, hidden until used.
    if (editorType_ == TEditorType::Internal) {
        TEditorHost host;
        host.PageSaved = [this](const std::string& file, bool created) {
            EditorSaved(file, created);
        };
        host.DeletePage = [this](const std::string& file) { Guard([&] { RemovePageFile(file); }); };
        host.ShowNotationHelp = [this] { ShowNotationHelp(); };
        host.ShowPluginHelp = [this] { actions_->mniHelpPlugin->trigger(); };
        host.ActivateMain = [this] {
            if (isMinimized()) showNormal();
            raise();
            activateWindow();
        };
        editor_ = new TfrmEditor(settings, session_->Language(), std::move(host), this);
        editor_->setWindowFlag(Qt::Window);
        editor_->PlaceWindow();
    }

    Connect();
    // 10: restrictions.
    ApplyRestrictions();
    actions_->ShowNotation(session_->Notation());

    // 11: the language box; the session has loaded the chosen language already.
    {
        QSignalBlocker block(actions_->cmbLanguage);
        for (const std::string& file : session_->Language().ListLanguages())
            actions_->cmbLanguage->addItem(FromUtf8(TLanguage::LanguageName(file)));
        int index = actions_->cmbLanguage->findText(FromUtf8(settings.Language));
        actions_->cmbLanguage->setCurrentIndex(index < 0 ? 0 : index);
    }
    UpdateTitleAndSelection();
}

TfrmMain::~TfrmMain() {
    // The watcher's and the conversions' threads stop before the window they report to goes.
    watcher_.reset();
    requests_.Supersede();
    workers_.JoinAll();
}

void TfrmMain::PlaceWindow() {
    TTarnelReg& s = session_->Settings();
    // A window placed below or right of the desktop comes back onto it.
    QRect place = CorrectedGeometry(DesktopOf(this), s.MainTop, s.MainLeft, s.MainHeight,
                                    s.MainWidth, 480, 745);
    setGeometry(place);
    int width = place.width();
    int list = std::min(s.ListWidth, width - 10);
    if (list <= 0) list = 1;
    splitter_->setSizes({list, width - list});
}

void TfrmMain::Connect() {
    TMainActions* a = actions_;
    // Entries of the wiki folder that are no pages are named, and the window goes on.
    connect(side_, &TSidePanel::entriesSkipped, this, [this](const QStringList& entries) {
        stbHint_->showMessage(entries.join(QStringLiteral("; ")), 20000);
    });
    webMain_->ViewPage()->SetDecider(
        [this](const QUrl& url, bool isMainFrame) { return DecideNavigation(url, isMainFrame); });
    connect(webMain_, &TPageView::pageShown, this, [this](bool) {
        if (!pendingAnchor_.empty()) {
            std::string anchor;
            anchor.swap(pendingAnchor_);
            webMain_->JumpToAnchor(FromDisplay(anchor));
        }
        emit pageShown();
    });
    connect(webMain_->ViewPage(), &QWebEnginePage::linkHovered, this, [this](const QString& url) {
        stbHint_->ShowLinkText(FromUtf8(StatusTextFor(url.toStdString(), session_->Language(),
                                                      session_->Settings().NameEncodingUTF8)));
    });

    connect(a->actOpen, &QAction::triggered, this, [this] {
        QString filter = LangQ(session_->Language(), "Dialog.Open.Filter");
        // "name|pattern|name|pattern" becomes Qt's "name (pattern);;name (pattern)".
        QStringList parts = filter.split(QLatin1Char('|'));
        QStringList filters;
        for (int i = 0; i + 1 < parts.size(); i += 2)
            filters << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
        QString file = QFileDialog::getOpenFileName(
            this, QString(), FromUtf8(session_->DocumentFolder()), filters.join(";;"));
        if (file.isEmpty()) return;
        Guard([&] {
            if (!CommitEditor()) return;
            OpenDocument(file.toStdString());
            RefreshFileList();
        });
    });
    connect(a->actOpenFolder, &QAction::triggered, this, [this] { OpenWikiFolder(); });
    connect(a->actNew, &QAction::triggered, this, [this] { Guard([this] { NewPage(); }); });
    connect(a->actNewWiki, &QAction::triggered, this, [this] { Guard([this] { NewWiki(); }); });
    connect(a->actCopy, &QAction::triggered, this, [this] { Guard([this] { CopyPage(); }); });
    connect(a->actModifyFileName, &QAction::triggered, this,
            [this] { Guard([this] { RenamePage(); }); });
    connect(a->actDelete, &QAction::triggered, this, [this] { Guard([this] { DeletePage(); }); });
    connect(a->actFileProperty, &QAction::triggered, this,
            [this] { Guard([this] { ShowFileProperties(); }); });
    connect(a->actPrint, &QAction::triggered, this, [this] { Print(); });
    connect(a->actPrintPreview, &QAction::triggered, this, [this] { PrintPreview(); });
    connect(a->mniClose, &QAction::triggered, this, &QWidget::close);
    connect(a->actEdit, &QAction::triggered, this, [this] { Guard([this] { EditDocument(); }); });
    connect(a->actGoTop, &QAction::triggered, this, [this] { Guard([this] { GoTop(); }); });
    connect(a->actChangePrevDocument, &QAction::triggered, this,
            [this] { Guard([this] { ChangePrevDocument(); }); });
    connect(a->actReload, &QAction::triggered, this,
            [this] { Guard([this] { ReshowDocument(); }); });
    connect(a->actSelectDesign, &QAction::triggered, this, [this] {
        cssSelect_->SetCurrentDesign(session_->Settings().CssName);
        cssSelect_->Open();
    });
    for (int i = 0; i < 8; ++i)
        connect(a->actChangeNotation[i], &QAction::triggered, this, [this, i] {
            Guard([&] { ChangeNotation(TWikiDocumentConverterMaker::IndexToNotation(i), true); });
        });
    connect(a->cmbNotation, &QComboBox::currentIndexChanged, this, [this](int index) {
        Guard([&] { ChangeNotation(TWikiDocumentConverterMaker::IndexToNotation(index), true); });
    });
    connect(a->cmbLanguage, &QComboBox::currentIndexChanged, this,
            [this] { Guard([this] { ChangeLanguage(); }); });
    connect(a->mnuSettings, &QMenu::aboutToShow, this, [this] { FillTemplateMenu(); });
    connect(a->mniNotation, &QMenu::aboutToShow, this,
            [this] { actions_->ShowNotation(session_->Notation()); });
    connect(a->mniViewList, &QAction::triggered, this,
            [this] { side_->setCurrentIndex(TSidePanel::ListTab); });
    connect(a->mniViewRecent, &QAction::triggered, this,
            [this] { side_->setCurrentIndex(TSidePanel::RecentTab); });
    connect(a->mniViewContents, &QAction::triggered, this,
            [this] { side_->setCurrentIndex(TSidePanel::ContentsTab); });
    connect(a->mniViewSearch, &QAction::triggered, this,
            [this] { side_->setCurrentIndex(TSidePanel::SearchTab); });
    connect(a->mniFocusList, &QAction::triggered, this, [this] {
        if (QAbstractItemView* list = side_->ActiveList()) list->setFocus();
    });
    connect(a->mniFocusMain, &QAction::triggered, this, [this] { webMain_->setFocus(); });
    connect(a->mniHelpNotation, &QAction::triggered, this, [this] { ShowNotationHelp(); });
    connect(a->actSettings, &QAction::triggered, this,
            [this] { Guard([this] { ShowSettings(); }); });
    connect(a->actExportHTML, &QAction::triggered, this,
            [this] { Guard([this] { ShowExport(); }); });
    connect(a->mniHelpPlugin, &QAction::triggered, this, [this] { ShowPluginHelp(); });
    connect(a->mniHelpHelp, &QAction::triggered, this, [this] { ShowHelp(); });
    connect(a->mniHelpAbout, &QAction::triggered, this, [this] { ShowAbout(); });

    connect(side_, &TSidePanel::pageClicked, this,
            [this](int row) { PageListClicked(session_->PageList(), row); });
    connect(side_, &TSidePanel::pageMenuRequested, this, [this](int row, const QPoint& pos) {
        PageListClicked(session_->PageList(), row);
        actions_->pmnFileList->popup(pos);
    });
    connect(side_, &TSidePanel::pageDoubleClicked, this,
            [this] { Guard([this] { EditDocument(); }); });
    connect(side_, &TSidePanel::resultClicked, this,
            [this](int row) { PageListClicked(session_->SearchResults(), row); });
    connect(side_, &TSidePanel::updateRequested, this, [this] {
        Guard([this] {
            RefreshFileList();
            if (side_->SelectedPage() >= 0) ReshowDocument();
        });
    });
    connect(side_, &TSidePanel::recentClicked, this, [this](int row) {
        TRecentFileList& recent = session_->Recent();
        if (row < 0 || row >= recent.Count()) return;
        std::string path = recent.FilePath(row);
        Guard([&] { OpenDocument(path); });
    });
    connect(side_, &TSidePanel::contentsClicked, this, [this](int row) {
        const TContentsShelf& contents = session_->Converter().Contents;
        if (row >= 0 && row < contents.Count()) JumpToAnchor(contents.Item(row).anchor);
    });
    connect(side_, &TSidePanel::searchRequested, this, [this] { Guard([this] { Search(); }); });
}

// --- The page pipeline -----------------------------------------------------------------------

bool TfrmMain::ShowDocument(const std::string& fileName, const std::function<void()>& then) {
    if (!IsPlainFile(fileName)) return false;
    std::error_code ec;
    std::uintmax_t size = std::filesystem::file_size(fileName, ec);
    TShowWay way = ShowWayFor(ec ? 0 : size, fileName == session_->DocumentFileName());
    if (way != TShowWay::Direct) {
        ShowInBackground(fileName, way, then);
        return true;
    }
    // Shown here and now: a page still being converted is no longer wanted.
    DropPendingPage();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restore;
    std::optional<TShownPage> shown = session_->ShowDocument(fileName);
    if (!shown) return false;
    PresentPage(*shown, fileName);
    if (!shown->Filled) return false;
    if (then) then();
    return true;
}

void TfrmMain::PresentPage(const TShownPage& shown, const std::string& fileName) {
    for (const std::string& message : shown.Messages)
        Message(FromDisplay(message));
    if (!shown.Filled) return;
    ++showCount_;

    bool keepScroll = shown.SamePage && !showingOuterPage_;
    if (session_->Settings().TmpFileUse || shown.Html.size() > kContentLimit) {
        std::string url = session_->WriteTmpFile(fileName, shown.Html);
        webMain_->ShowUrl(QUrl(FromUtf8(url)), keepScroll);
    } else {
        QByteArray html(shown.Html.data(), qsizetype(shown.Html.size()));
        webMain_->ShowContent(html, QUrl(FromUtf8(FileUrl(session_->DocumentFolder()))),
                              keepScroll);
    }

    RefreshRecentList();
    RefreshContentsList();
    UpdateTitleAndSelection();
    WatchPage(fileName);
    showingOuterPage_ = false;
    newPageFileName_.clear();
    EnablePageCommands(true);
    actions_->actGoTop->setEnabled(true);
    side_->btnUpdate->setEnabled(true);
}

void TfrmMain::ShowInBackground(const std::string& fileName, TShowWay way,
                                std::function<void()> then) {
    // What the conversion reads is copied now; the session goes on meanwhile.
    auto page = std::make_shared<TPageConversion>(session_->PreparePage(fileName, true));
    const std::uint64_t ticket = requests_.Begin();
    ShowConverting(fileName);
    const bool firstPart = way == TShowWay::BackgroundFirstPart;
    workers_.Start([this, page, ticket, firstPart, then = std::move(then)] {
        // On the worker: only the conversion and the tickets, which are safe to ask.
        if (page->Read() && requests_.IsCurrent(ticket)) {
            std::size_t length = firstPart ? FirstPartLength(page->Text()) : page->Text().size();
            if (length < page->Text().size()) {
                if (std::optional<std::string> part = page->ConvertFirstPart(length))
                    QMetaObject::invokeMethod(
                        this,
                        [this, html = std::move(*part), file = page->FileName(), ticket] {
                            ShowFirstPart(html, file, ticket);
                        },
                        Qt::QueuedConnection);
            }
            // A newer request makes the rest of the work useless.
            if (requests_.IsCurrent(ticket)) page->Run();
        }
        QMetaObject::invokeMethod(
            this, [this, page, ticket, then] { FinishInBackground(page, ticket, then); },
            Qt::QueuedConnection);
    });
}

void TfrmMain::ShowFirstPart(const std::string& html, const std::string& fileName,
                             std::uint64_t ticket) {
    if (!requests_.IsCurrent(ticket)) return;
    // The window stays on the page it shows until the whole page is taken over; only the
    // view runs ahead.
    webMain_->ShowFirstPart(QByteArray(html.data(), qsizetype(html.size())),
                            QUrl(FromUtf8(FileUrl(FolderOf(fileName)))));
}

void TfrmMain::FinishInBackground(const std::shared_ptr<TPageConversion>& page,
                                  std::uint64_t ticket, const std::function<void()>& then) {
    // A newer request wins; this result is dropped.
    if (!requests_.IsCurrent(ticket)) return;
    requests_.Finish(ticket);
    EndConverting();
    Guard([&] {
        if (!session_->IsCurrent(*page)) {
            // Something the conversion read changed meanwhile (the notation, the settings,
            // the page list): the page is converted again as it is now.
            ShowDocument(page->FileName(), then);
            return;
        }
        std::optional<TShownPage> shown = session_->CommitPage(std::move(*page));
        if (!shown) return;
        PresentPage(*shown, page->FileName());
        if (shown->Filled && then) then();
    });
}

void TfrmMain::ShowConverting(const std::string& fileName) {
    stbHint_->ShowProgress(
        FromDisplay(FormatText(LangText(session_->Language(), "Main.Status.Converting"),
                               DecodeFileName(fileName, session_->Settings().NameEncodingUTF8))));
    if (!busyCursor_) QApplication::setOverrideCursor(Qt::BusyCursor);
    busyCursor_ = true;
}

void TfrmMain::DropPendingPage() {
    requests_.Supersede();
    EndConverting();
}

void TfrmMain::EndConverting() {
    stbHint_->ShowProgress(QString());
    if (busyCursor_) QApplication::restoreOverrideCursor();
    busyCursor_ = false;
}

void TfrmMain::WatchPage(const std::string& fileName) {
    if (!watcher_) return;
    if (!watcher_->Watch(fileName)) throw std::runtime_error(watcher_->LastErrorText());
    watcher_->Resume();
}

void TfrmMain::OpenDocument(const std::string& fileName, const std::function<void()>& then) {
    if (!IsPlainFile(fileName)) return;
    // Leaving the page saves its pending edit first, without asking.
    if (!CommitEditor()) return;
    // The editor takes the page only once the view shows it, so that both hold one page.
    ShowDocument(fileName, [this, fileName, then] {
        if (editor_) editor_->LoadPage(fileName, session_->ReadOptions());
        if (then) then();
    });
}

void TfrmMain::OpenOrCreateDocument(const std::string& fileName) {
    if (IsPlainFile(fileName))
        OpenDocument(fileName);
    else
        NewDocument(fileName);
}

void TfrmMain::NewDocument(const std::string& fileName) {
    if (!CommitEditor()) return;
    // A new page is a newer request than a page still being converted.
    DropPendingPage();
    // The engine reads the editor type from the settings, where the settings dialog may have
    // put the type of the next start; this run keeps the type it started with.
    TTarnelReg& settings = session_->Settings();
    struct RestoreType {
        TTarnelReg& settings;
        TEditorType stored;
        ~RestoreType() { settings.EditorType = stored; }
    } restore{settings, settings.EditorType};
    settings.EditorType = editorType_;
    TNewDocumentResult started = pageOps_->NewDocument(fileName);
    for (const std::string& message : started.Messages)
        Message(FromDisplay(message));
    newPageFileName_ = fileName;
    if (editorType_ != TEditorType::Internal) {
        // The external editor gets the empty file, listed at once; the watcher shows the
        // page once the editor has saved it.
        side_->RefreshPages();
        UpdateTitleAndSelection();
        WatchPage(fileName);
        EditDocument();
    } else if (editor_) {
        // The internal editor takes the new page over; no file is written until it saves,
        // and the view and the page list stay as they are.
        editor_->PrepareNewPage(fileName);
    }
    emit newPageStarted(FromUtf8(fileName));
}

bool TfrmMain::CommitEditor() {
    return !editor_ || editor_->SaveIfModified();
}

void TfrmMain::ShowEditor(const std::string& fileName) {
    if (!editor_) return;
    if (editor_->FileName() != fileName) {
        if (IsPlainFile(fileName))
            editor_->LoadPage(fileName, session_->ReadOptions());
        else
            editor_->PrepareNewPage(fileName);
    }
    editor_->ShowWindow();
}

void TfrmMain::EditorSaved(const std::string& fileName, bool created) {
    Guard([&] {
        if (created) RefreshFileList();
        // The view is disabled while the page is shown again, and enabled again whatever
        // the showing does.
        webMain_->setEnabled(false);
        struct Enable {
            TPageView* view;
            ~Enable() { view->setEnabled(true); }
        } enable{webMain_};
        ShowDocument(fileName);
    });
}

// --- Page file commands ----------------------------------------------------------------------

void TfrmMain::FinishPageCommand(const TPageCommandResult& result) {
    if (result.ListChanged) {
        side_->RefreshPages();
        UpdateTitleAndSelection();
    }
    if (!result.Open.empty()) OpenOrCreateDocument(result.Open);
}

void TfrmMain::NewPage() {
    FinishPageCommand(pageOps_->NewPage());
}

void TfrmMain::NewWiki() {
    FinishPageCommand(pageOps_->NewWiki());
}

void TfrmMain::CopyPage() {
    FinishPageCommand(pageOps_->CopyPage());
}

void TfrmMain::RenamePage() {
    TPageCommandResult result = pageOps_->RenamePage();
    if (!result.Done) return;
    OpenDocument(result.Open);
    side_->RefreshPages();
    UpdateTitleAndSelection();
}

void TfrmMain::DeletePage() {
    const std::string fileName = session_->DocumentFileName();
    if (fileName.empty()) return;
    std::string name = DecodeFileName(fileName, session_->Settings().NameEncodingUTF8);
    if (pageUi_->Confirm(FormatText(LangText(session_->Language(), "Dialog.Delete.Confirm.Format"),
                                    name)) != TAnswer::Yes)
        return;
    RemovePageFile(fileName);
}

void TfrmMain::RemovePageFile(const std::string& fileName) {
    TRemoveResult removed = pageOps_->RemovePageFile(fileName, side_->SelectedPage());
    RefreshRecentList();
    ClearView();
    side_->RefreshPages();
    if (editor_) editor_->ClearPage();
    if (removed.ShowIndex >= 0) {
        PageListClicked(session_->PageList(), removed.ShowIndex);
    } else {
        UpdateTitleAndSelection();
        EnablePageCommands(false);
    }
}

void TfrmMain::ShowFileProperties() {
    const std::string& fileName = session_->DocumentFileName();
    if (fileName.empty()) return;
    TfrmFileProperties dialog(FileProperties(fileName), session_->Language(), this);
    if (PropertiesHook)
        PropertiesHook(dialog);
    else
        dialog.exec();
}

void TfrmMain::OpenWikiFolder() {
    if (session_->DocumentFolder().empty()) return;
    QUrl url = QUrl::fromLocalFile(FromUtf8(session_->DocumentFolder()));
    if (OpenUrlHook)
        OpenUrlHook(url);
    else
        QDesktopServices::openUrl(url);
}

void TfrmMain::ClearView() {
    // An empty view is no place for a page that is still being converted.
    DropPendingPage();
    webMain_->Clear();
}

void TfrmMain::RefreshFileList() {
    session_->RefreshPageList();
    side_->RefreshPages();
    UpdateTitleAndSelection();
}

void TfrmMain::UpdateTitleAndSelection() {
    QString title = FromDisplay(session_->WindowTitle());
    setWindowTitle(title);
    QApplication::setApplicationDisplayName(QString());
    const std::string& file = session_->DocumentFileName();
    const TWikiFileList& list = session_->PageList();
    int row = -1;
    if (!file.empty() && FolderOf(file) == list.folder)
        row = list.IndexOf(file.substr(file.find_last_of('/') + 1));
    side_->SelectPage(row);
    if (row < 0) EnablePageCommands(false);
}

void TfrmMain::RefreshRecentList() {
    side_->RefreshRecent(session_->Recent());
    actions_->actChangePrevDocument->setEnabled(session_->Recent().Count() > 0);
}

void TfrmMain::RefreshContentsList() {
    side_->RefreshContents(session_->Converter().Contents);
}

void TfrmMain::EnablePageCommands(bool enabled) {
    for (QAction* action : actions_->PageCommands())
        action->setEnabled(enabled);
}

void TfrmMain::JumpToAnchor(const std::string& anchor) {
    if (showingOuterPage_) {
        // The view shows an outside address: the page comes back first, then the jump.
        int selected = side_->lsbContentsList->currentRow();
        pendingAnchor_ = anchor;
        Guard([this] { OpenDocument(session_->DocumentFileName()); });
        side_->lsbContentsList->setCurrentRow(selected);
        return;
    }
    webMain_->JumpToAnchor(FromDisplay(anchor));
}

void TfrmMain::PageListClicked(const TWikiFileList& list, int row) {
    if (row < 0 || row >= list.Count()) return;
    std::string path = list.FilePath(row);
    if (showingOuterPage_ || path != session_->DocumentFileName())
        Guard([&] { OpenOrCreateDocument(path); });
    UpdateTitleAndSelection();
}

// --- Navigation ------------------------------------------------------------------------------

std::string TfrmMain::TmpFolder() const {
    return FolderOf(session_->TmpFilePath("x"));
}

bool TfrmMain::DecideNavigation(const QUrl& url, bool isMainFrame) {
    std::string address = url.toEncoded().toStdString();
    TNavigationContext context{session_->DocumentFolder(), TmpFolder(),
                               session_->Settings().NewWindow};
    TNavigation nav = tarnel::DecideNavigation(address, isMainFrame ? "" : "iframe", context);
    if (nav.Kind != TNavigationKind::LetThrough || address != "about:blank")
        if (isMainFrame) showingOuterPage_ = false;
    switch (nav.Kind) {
    case TNavigationKind::LetThrough:
        return true;
    case TNavigationKind::ShowOuterPage:
        showingOuterPage_ = true;
        return true;
    case TNavigationKind::OpenPage:
    case TNavigationKind::NewPage:
        // Shown after the view has returned from its question.
        QTimer::singleShot(0, this,
                           [this, path = nav.Path] { Guard([&] { OpenOrCreateDocument(path); }); });
        return false;
    case TNavigationKind::EditPage:
        QTimer::singleShot(0, this, [this, path = nav.Path] {
            Guard([&] {
                // A page that has gone is started, which opens the editor by itself.
                if (!IsPlainFile(path)) {
                    NewDocument(path);
                    return;
                }
                // A big page is shown a moment later: the editor opens once it is.
                if (showingOuterPage_ || path != session_->DocumentFileName())
                    OpenDocument(path, [this] { EditDocument(); });
                else
                    EditDocument();
            });
        });
        return false;
    case TNavigationKind::ScrollToAnchor:
        QTimer::singleShot(0, this, [this, anchor = nav.Anchor] {
            // The anchor of the address is UTF-8; the engine's anchors are display form.
            JumpToAnchor(Utf8ToShiftJis(anchor).empty() && !anchor.empty()
                             ? anchor
                             : Utf8ToShiftJis(anchor));
        });
        return false;
    case TNavigationKind::HandToSystem:
        QDesktopServices::openUrl(url);
        return false;
    case TNavigationKind::Refuse:
        QTimer::singleShot(0, this, [this, address] {
            Message(FormatQ(LangQ(session_->Language(), "Main.Message.AddressRefused"),
                            FromUtf8(address)));
        });
        return false;
    }
    return false;
}

void TfrmMain::PageFileChanged(const std::string& fileName) {
    const std::string& current =
        newPageFileName_.empty() ? session_->DocumentFileName() : newPageFileName_;
    if (searching_ || strcasecmp(fileName.c_str(), current.c_str()) != 0) return;
    Guard([&] {
        if (!newPageFileName_.empty()) {
            OpenDocument(fileName);
            RefreshFileList();
        } else {
            ReshowDocument();
        }
    });
}

// --- Commands --------------------------------------------------------------------------------

void TfrmMain::ChangeNotation(TWikiNotation notation, bool reshow) {
    if (notation == session_->Notation()) {
        actions_->ShowNotation(notation);
        return;
    }
    session_->SwitchNotation(notation);
    actions_->ShowNotation(notation);
    if (reshow && !session_->DocumentFileName().empty()) ShowDocument(session_->DocumentFileName());
}

void TfrmMain::ChangeLanguage() {
    QString name = actions_->cmbLanguage->currentText();
    if (name.isEmpty()) return;
    session_->Language().LoadLanguage(name.toStdString() + ".txt");
    ApplyLanguageTexts();
    session_->Settings().Language = name.toStdString();
}

void TfrmMain::ApplyLanguageTexts() {
    UpdateTitleAndSelection();
    const TLanguage& language = session_->Language();
    actions_->ApplyLanguage(language);
    side_->ApplyLanguage(language);
    cssSelect_->ApplyLanguage();
    if (editor_) editor_->ApplyLanguage();
    if (frmEditorHelp_)
        frmEditorHelp_->setWindowTitle(
            LangQ(language, "Notation.Help.Title", frmEditorHelp_->windowTitle()));
}

void TfrmMain::ApplyRestrictions() {
    const TTarnelReg& s = session_->Settings();
    actions_->cmbNotation->setEnabled(!s.RestrictChangeWikiNotation);
    actions_->mniNotation->setEnabled(!s.RestrictChangeWikiNotation);
    for (QAction* action : actions_->actChangeNotation)
        action->setEnabled(!s.RestrictChangeWikiNotation);
    actions_->actNewWiki->setEnabled(!s.RestrictCreateNewWiki);
}

void TfrmMain::Search() {
    const TLanguage& language = session_->Language();
    if (side_->edtSearch->text().isEmpty()) {
        Message(LangQ(language, "Main.Message.SearchWordNotSet"));
        return;
    }
    if (!side_->ckbTitle->isChecked() && !side_->ckbContent->isChecked()) {
        Message(LangQ(language, "Main.Message.SearchTargetNotSet"));
        return;
    }
    TfrmSearching searching(language, this);
    searching.show();
    searching_ = true;
    struct EndSearch {
        TfrmMain* window;
        ~EndSearch() {
            window->searching_ = false;
            window->side_->RefreshResults();
        }
    } end{this};
    SearchOptions options{side_->ckbTitle->isChecked(), side_->ckbContent->isChecked()};
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    bool completed =
        session_->Search(ToDisplay(side_->edtSearch->text()), options, [&](int done, int total) {
            // The window answers between pages: events at least every 20 ms.
            if (sinceEvents.elapsed() >= 20 || done == total) {
                searching.SetProgress(done, total);
                if (SearchProgressHook) SearchProgressHook(searching, done, total);
                QCoreApplication::processEvents();
                sinceEvents.restart();
            }
            return !searching.Cancelled();
        });
    emit searchFinished(completed);
}

void TfrmMain::GoTop() {
    const TTarnelReg& s = session_->Settings();
    std::string top = session_->Settings().GetTopPage();
    std::string path = TopPagePath(session_->DocumentFolder(), top, session_->PageList().extension,
                                   s.NameEncodingUTF8);
    if (IsPlainFile(path)) {
        OpenDocument(path);
        return;
    }
    QString question =
        FormatQ(LangQ(session_->Language(), "Main.Message.TopPageNotFound"), FromDisplay(top));
    int answer =
        QuestionHook
            ? QuestionHook(question)
            : QMessageBox::question(this, windowTitle(), question,
                                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes) OpenOrCreateDocument(path);
}

void TfrmMain::ChangePrevDocument() {
    TRecentFileList& recent = session_->Recent();
    if (recent.Count() == 0) return;
    int entry = !showingOuterPage_ && recent.Count() > 1 ? 1 : 0;
    std::string path = recent.FilePath(entry);
    OpenDocument(path);
}

void TfrmMain::EditDocument() {
    std::string file = newPageFileName_.empty() ? session_->DocumentFileName() : newPageFileName_;
    if (file.empty()) return;
    switch (editorType_) {
    case TEditorType::Internal:
        ShowEditor(file);
        break;
    case TEditorType::Standard:
        QDesktopServices::openUrl(QUrl::fromLocalFile(FromUtf8(file)));
        break;
    case TEditorType::Assigned: {
        std::string command = AssignedEditorCommand(session_->Settings().Assigned, file);
        QStringList parts = QProcess::splitCommand(FromUtf8(command));
        QProcess process;
        QString error = QStringLiteral("no command");
        if (!parts.isEmpty()) {
            process.setProgram(parts.takeFirst());
            process.setArguments(parts);
            if (process.startDetached()) break;
            error = process.errorString();
        }
        throw std::runtime_error(EditorStartError(error.toStdString(), command));
    }
    }
}

void TfrmMain::SetDesign(const std::string& design) {
    Guard([&] {
        session_->Settings().CssName = design;
        if (!session_->DocumentFileName().empty()) ReshowDocument();
    });
}

void TfrmMain::FillTemplateMenu() {
    QMenu* menu = actions_->mniTemplate;
    menu->clear();
    auto* group = new QActionGroup(menu);
    for (const std::string& name : session_->Templates().GetMainTemplates()) {
        QAction* item =
            menu->addAction(FromUtf8(name.size() > 5 ? name.substr(0, name.size() - 5) : name));
        item->setCheckable(true);
        item->setChecked(name == session_->Templates().MainFileName);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, name] {
            session_->Templates().MainFileName = name;
            Guard([this] { ReshowDocument(); });
        });
    }
}

void TfrmMain::ShowNotationHelp() {
    const TLanguage& language = session_->Language();
    if (!frmEditorHelp_) {
        frmEditorHelp_ = new QDialog(this);
        frmEditorHelp_->setWindowTitle(LangQ(language, "Notation.Help.Title"));
        auto* view = new QWebEngineView(frmEditorHelp_);
        auto* layout = new QVBoxLayout(frmEditorHelp_);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view);
        const TTarnelReg& s = session_->Settings();
        frmEditorHelp_->setGeometry(s.FormatLeft, s.FormatTop, s.FormatWidth, s.FormatHeight);
        view->load(QUrl::fromLocalFile(FromUtf8(session_->AppFolder()) +
                                       LangQ(language, "File.NotationHelp")));
    }
    frmEditorHelp_->show();
    frmEditorHelp_->raise();
}

void TfrmMain::ShowHelp() {
    const TLanguage& language = session_->Language();
    QString folder = FromUtf8(session_->AppFolder());
    QString help = LangQ(language, "File.Help");
    QString missing;
    if (!QDir(folder).exists())
        missing = folder;
    else if (!QFileInfo::exists(folder + help))
        missing = help;
    if (!missing.isEmpty()) {
        QApplication::beep();
        Message(FormatQ(LangQ(language, "Main.Message.PathNotFound"), missing));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder + help));
}

void TfrmMain::ShowAbout() {
    QString title = LangQ(session_->Language(), "About.Title");
    QMessageBox::about(
        this, title,
        QStringLiteral("<h3>Tarnel %1</h3><p>%2</p>")
            .arg(QStringLiteral(TARNEL_VERSION), tr("A desktop wiki of plain text files.")));
}

void TfrmMain::Print() {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer_.get(), this);
    if (dialog.exec() == QDialog::Accepted) webMain_->print(printer_.get());
}

void TfrmMain::PrintPreview() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        // The view prints asynchronously; the preview needs its pages now.
        QEventLoop loop;
        connect(webMain_, &QWebEngineView::printFinished, &loop, &QEventLoop::quit);
        webMain_->print(target);
        loop.exec();
    });
    preview.exec();
}

// --- Window events ---------------------------------------------------------------------------

void TfrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (triMain_ && event->type() == QEvent::WindowStateChange && isMinimized()) {
        // Into the notification area: the window leaves the task bar until restored.
        triMain_->show();
        QTimer::singleShot(0, this, &QWidget::hide);
    }
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    if (OpenDroppedFiles(paths)) event->acceptProposedAction();
}

bool TfrmMain::OpenDroppedFiles(const std::vector<std::string>& paths) {
    std::string page = DroppedPageToOpen(paths);
    if (page.empty()) return false;
    Guard([&] {
        OpenDocument(page);
        RefreshFileList();
    });
    return true;
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    // A pending edit is saved; Cancel in its question keeps the program running.
    if (!CommitEditor()) {
        event->ignore();
        return;
    }
    TTarnelReg& s = session_->Settings();
    if (editor_) editor_->StoreGeometry();
    QRect normal = normalGeometry();
    s.MainTop = normal.top();
    s.MainLeft = normal.left();
    s.MainHeight = normal.height();
    s.MainWidth = normal.width();
    s.ListWidth = splitter_->sizes().value(0, s.ListWidth);
    if (frmEditorHelp_) {
        QRect help = frmEditorHelp_->geometry();
        s.FormatTop = help.top();
        s.FormatLeft = help.left();
        s.FormatHeight = help.height();
        s.FormatWidth = help.width();
    }
    // The temporary view files go; the folder stays for the next run.
    std::error_code ec;
    std::string tmp = TmpFolder();
    if (std::filesystem::is_directory(tmp, ec))
        for (const auto& entry : std::filesystem::directory_iterator(tmp, ec))
            if (entry.is_regular_file(ec)) std::filesystem::remove(entry.path(), ec);
    watcher_.reset();
    // A page still being converted is not shown any more.
    DropPendingPage();
    Guard([this] { session_->Close(); });
    // The control's properties go into the settings file that Close has just written (it
    // keeps values it does not own).
    if (editor_) Guard([this] { editor_->StoreProperties(); });
    event->accept();
}

// --- Start-up and messages -------------------------------------------------------------------

void TfrmMain::OpenFirstPage() {
    if (session_->Language().ListLanguages().empty())
        Message(QStringLiteral("Language file not found."));
    else
        ApplyLanguageTexts();
    std::string first = FirstPageToOpen(arguments_, session_->Settings().LastView);
    if (first.empty()) return;
    Guard([&] {
        OpenDocument(first);
        RefreshFileList();
    });
}

void TfrmMain::Message(const QString& text) {
    if (MessageHook)
        MessageHook(text);
    else
        QMessageBox::warning(this, QStringLiteral("Tarnel"), text);
}

void TfrmMain::Guard(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        // Engine messages are display form; system messages are UTF-8 (and ASCII reads the
        // same either way).
        std::string what = e.what();
        bool utf8 = what.empty() || !Utf8ToShiftJis(what).empty();
        Message(utf8 ? FromUtf8(what) : FromDisplay(what));
    }
}

} // namespace tarnel
