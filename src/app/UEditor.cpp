#include "UEditor.h"

#include "UPageOperationsUi.h"
#include "UQtText.h"
#include "UWindowGeometry.h"
#include "settings/UIniFile.h"
#include "settings/UTarnelReg.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace tarnel {

namespace {

// A hint "short|long": the short part as tool tip, the long one in the status bar.
void SetHint(QAction* action, const QString& hint) {
    int bar = hint.indexOf(QLatin1Char('|'));
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

} // namespace

TfrmEditor::TfrmEditor(TTarnelReg& settings, const TLanguage& language, TEditorHost host,
                       QWidget* parent)
    : QMainWindow(parent), settings_(settings), language_(language), host_(std::move(host)),
      page_(language, settings.NameEncodingUTF8) {
    setObjectName(QStringLiteral("frmEditor"));
    setAttribute(Qt::WA_QuitOnClose, false);
    edtText = new TEditorControl(this);
    setCentralWidget(edtText);
    statusBar();
    frmFind_ = new TfrmEditorFind(this);
    frmSettings = new TfrmEditorSettings(language, this);
    MakeActions();

    // The stored display properties (the control's own text form), then wrap and top.
    try {
        TIniFile ini = TIniFile::ReadFile(settings_.FileName());
        edtText->ApplyProperties(
            TEditorProperties::Parse(ini.ReadString("Editor", "Property", "")));
    } catch (const std::exception&) {
        // An unreadable settings file has been reported by the main window already.
    }
    ApplyWordWrap();
    ApplyStayOnTop();

    connect(frmFind_, &TfrmEditorFind::findNext, this, &TfrmEditor::FindNext);
    connect(frmFind_, &TfrmEditorFind::replaceNext, this, &TfrmEditor::ReplaceNext);
    connect(frmFind_, &TfrmEditorFind::replaceAll, this, &TfrmEditor::ReplaceAll);
    connect(edtText, &QsciScintilla::selectionChanged, this, &TfrmEditor::UpdateCutCopy);
    connect(edtText, &QsciScintilla::textChanged, this, &TfrmEditor::UpdateUndoRedo);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TfrmEditor::UpdatePaste);
    UpdateTitle();
    UpdateUndoRedo();
    UpdateCutCopy();
    UpdatePaste();
}

TfrmEditor::~TfrmEditor() = default;

void TfrmEditor::MakeActions() {
    auto make = [this](const char* key, std::initializer_list<QKeySequence> keys = {}) {
        auto* action = new QAction(BuiltIn(key), this);
        action->setShortcuts(QList<QKeySequence>(keys));
        action->setShortcutContext(Qt::WindowShortcut);
        SetHint(action, BuiltIn((std::string(key) + ".Hint").c_str()));
        captions_.push_back({action, key});
        addAction(action);
        return action;
    };
    actSave = make("Editor.Menu.File.Save", {QKeySequence(Qt::CTRL | Qt::Key_S)});
    actClose = make("Editor.Menu.File.Close", {QKeySequence(Qt::CTRL | Qt::Key_W)});
    actUndo = make("Editor.Menu.Edit.Undo", {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    actRedo = make("Editor.Menu.Edit.Redo", {QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z)});
    actCut = make("Editor.Menu.Edit.Cut",
                  {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    actCopy = make("Editor.Menu.Edit.Copy",
                   {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    actPaste = make("Editor.Menu.Edit.Paste",
                    {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    actSelectAll = make("Editor.Menu.Edit.SelectAll", {QKeySequence(Qt::CTRL | Qt::Key_A)});
    actFind = make("Editor.Menu.Edit.Find", {QKeySequence(Qt::CTRL | Qt::Key_F)});
    actReplace = make("Editor.Menu.Edit.Replace", {QKeySequence(Qt::CTRL | Qt::Key_R)});
    // The keys that type ";" and ":" (next to L on a Japanese keyboard, where the date and
    // time commands have always been).
    actInsertDate = make("Editor.Menu.Insert.Date", {QKeySequence(Qt::CTRL | Qt::Key_Semicolon)});
    actInsertTime = make("Editor.Menu.Insert.Time", {QKeySequence(Qt::CTRL | Qt::Key_Colon)});
    actInsertNow = make("Editor.Menu.Insert.Datetime");
    actSettings = make("Editor.Menu.Settings.Editor");
    actHelp = make("Editor.Menu.Help.Notation", {QKeySequence(Qt::Key_F1)});
    actPlugins = make("Editor.Menu.Help.Plugin");
    // The hidden menu: only its shortcut.
    actSwitchWindow = new QAction(QStringLiteral("ウィンドウ切り替え"), this);
    actSwitchWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab));
    actSwitchWindow->setShortcutContext(Qt::WindowShortcut);
    addAction(actSwitchWindow);

    QMenuBar* bar = menuBar();
    mnuFile = bar->addMenu(BuiltIn("Editor.Menu.File"));
    mnuFile->addAction(actSave);
    mnuFile->addSeparator();
    mnuFile->addAction(actClose);
    mnuEdit = bar->addMenu(BuiltIn("Editor.Menu.Edit"));
    mnuEdit->addActions({actUndo, actRedo});
    mnuEdit->addSeparator();
    mnuEdit->addActions({actCut, actCopy, actPaste, actSelectAll});
    mnuEdit->addSeparator();
    mnuEdit->addActions({actFind, actReplace});
    mnuInsert = bar->addMenu(BuiltIn("Editor.Menu.Insert"));
    mnuInsert->addActions({actInsertDate, actInsertTime, actInsertNow});
    mnuSettings = bar->addMenu(BuiltIn("Editor.Menu.Settings"));
    mnuSettings->addAction(actSettings);
    mnuHelp = bar->addMenu(BuiltIn("Editor.Menu.Help"));
    mnuHelp->addActions({actHelp, actPlugins});
    menus_ = {{mnuFile, "Editor.Menu.File"},
              {mnuEdit, "Editor.Menu.Edit"},
              {mnuInsert, "Editor.Menu.Insert"},
              {mnuSettings, "Editor.Menu.Settings"},
              {mnuHelp, "Editor.Menu.Help"}};

    pmnText = new QMenu(this);
    pmnText->addActions({actUndo, actRedo});
    pmnText->addSeparator();
    pmnText->addActions({actCut, actCopy, actPaste});
    edtText->PopupMenu = pmnText;

    tlbEditor = addToolBar(QStringLiteral("tlbEditor"));
    tlbEditor->setObjectName(QStringLiteral("tlbEditor"));
    tlbEditor->setMovable(false);
    QStyle* s = style();
    actSave->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    actCut->setIcon(QIcon::fromTheme(QStringLiteral("edit-cut")));
    actCopy->setIcon(QIcon::fromTheme(QStringLiteral("edit-copy")));
    actPaste->setIcon(QIcon::fromTheme(QStringLiteral("edit-paste")));
    actSettings->setIcon(s->standardIcon(QStyle::SP_FileDialogInfoView));
    tlbEditor->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tlbEditor->addAction(actSave);
    tlbEditor->addSeparator();
    tlbEditor->addActions({actCut, actCopy, actPaste});
    tlbEditor->addSeparator();
    tlbEditor->addActions({actInsertDate, actInsertTime, actInsertNow});
    tlbEditor->addSeparator();
    tlbEditor->addAction(actSettings);

    connect(mnuEdit, &QMenu::aboutToShow, this, &TfrmEditor::UpdateUndoRedo);
    connect(pmnText, &QMenu::aboutToShow, this, &TfrmEditor::UpdateUndoRedo);
    connect(actSave, &QAction::triggered, this, [this] { Save(); });
    connect(actClose, &QAction::triggered, this, &QWidget::close);
    connect(actUndo, &QAction::triggered, edtText, &QsciScintilla::undo);
    connect(actRedo, &QAction::triggered, edtText, &QsciScintilla::redo);
    connect(actCut, &QAction::triggered, edtText, &QsciScintilla::cut);
    connect(actCopy, &QAction::triggered, edtText, &QsciScintilla::copy);
    connect(actPaste, &QAction::triggered, edtText, &QsciScintilla::paste);
    connect(actSelectAll, &QAction::triggered, edtText, [this] { edtText->selectAll(); });
    for (QAction* a : {actUndo, actRedo, actCut, actCopy, actPaste, actSelectAll})
        connect(a, &QAction::triggered, this, [this] {
            UpdateUndoRedo();
            UpdateCutCopy();
        });
    connect(actFind, &QAction::triggered, this,
            [this] { frmFind_->Open(false, edtText->selectedText()); });
    connect(actReplace, &QAction::triggered, this,
            [this] { frmFind_->Open(true, edtText->selectedText()); });
    connect(actInsertDate, &QAction::triggered, this, [this] { InsertDate(settings_.DateFormat); });
    connect(actInsertTime, &QAction::triggered, this, [this] { InsertDate(settings_.TimeFormat); });
    connect(actInsertNow, &QAction::triggered, this, [this] { InsertDate(settings_.NowFormat); });
    connect(actSettings, &QAction::triggered, this, &TfrmEditor::OpenSettings);
    connect(actHelp, &QAction::triggered, this, [this] {
        if (host_.ShowNotationHelp) host_.ShowNotationHelp();
    });
    connect(actPlugins, &QAction::triggered, this, [this] {
        if (host_.ShowPluginHelp) host_.ShowPluginHelp();
    });
    connect(actSwitchWindow, &QAction::triggered, this, [this] {
        if (host_.ActivateMain) host_.ActivateMain();
    });
}

void TfrmEditor::ApplyLanguage() {
    for (const Caption& c : captions_) {
        c.action->setText(LangQ(language_, c.key, c.action->text()));
        std::string hint = std::string(c.key) + ".Hint";
        QString current = c.action->toolTip() == c.action->statusTip()
                              ? c.action->toolTip()
                              : c.action->toolTip() + QLatin1Char('|') + c.action->statusTip();
        SetHint(c.action, LangQ(language_, hint.c_str(), current));
    }
    for (const auto& [menu, key] : menus_)
        menu->setTitle(LangQ(language_, key, menu->title()));
    frmFind_->ApplyLanguage(language_);
    frmSettings->ApplyLanguage();
    UpdateTitle();
}

// --- The page --------------------------------------------------------------------------------

void TfrmEditor::LoadPage(const std::string& fileName, const PageReadOptions& options) {
    readOptions_ = options;
    std::string text = page_.Load(fileName, options);
    edtText->SetPageText(text);
    UpdateTitle();
    UpdateUndoRedo();
    UpdateCutCopy();
    // Told when the page is shown for editing, not while it is only being browsed.
    unsafeWarningDue_ = !page_.UnsafeLines().empty();
    if (isVisible()) WarnUnsafeLines();
}

void TfrmEditor::WarnUnsafeLines() {
    if (!unsafeWarningDue_) return;
    unsafeWarningDue_ = false;
    // Saving would change these lines (bytes that are no character of the editor, JIS X 0212
    // characters): the user learns it before editing, not after.
    std::string lines;
    for (std::size_t i = 0; i < page_.UnsafeLines().size() && i < 10; ++i)
        lines += (i ? ", " : "") + std::to_string(page_.UnsafeLines()[i]);
    if (page_.UnsafeLines().size() > 10) lines += ", ...";
    Message(windowTitle(),
            FormatQ(LangQ(language_, "Editor.Message.UnsafeLines.Format"), FromUtf8(lines)));
}

void TfrmEditor::PrepareNewPage(const std::string& fileName) {
    page_.PrepareNew(fileName);
    unsafeWarningDue_ = false;
    edtText->SetPageText(std::string());
    UpdateTitle();
    UpdateUndoRedo();
    ShowWindow();
}

void TfrmEditor::ClearPage() {
    page_.Clear();
    unsafeWarningDue_ = false;
    edtText->SetPageText(std::string());
    UpdateTitle();
    UpdateUndoRedo();
}

void TfrmEditor::ReloadPage() {
    if (!page_.Path().empty() && IsPlainFile(page_.Path()))
        LoadPage(page_.Path(), readOptions_);
    else
        edtText->SetPageText(std::string());
}

void TfrmEditor::UpdateTitle() {
    setWindowTitle(FromDisplay(page_.Title()));
}

void TfrmEditor::ShowWindow() {
    ApplyLanguage();
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
    edtText->setFocus();
    WarnUnsafeLines();
}

// --- Saving ------------------------------------------------------------------------------------

bool TfrmEditor::SaveIfModified() {
    return !edtText->isModified() || Save();
}

bool TfrmEditor::Save() {
    if (page_.Path().empty()) return true;
    const std::string fileName = page_.Path();
    TSaveResult result;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        struct Restore {
            ~Restore() { QApplication::restoreOverrideCursor(); }
        } restore;
        try {
            result = page_.Save(edtText->TextView(), *this);
        } catch (const std::exception& e) {
            // The old page is whole; the edit stays in the window, still modified.
            QApplication::beep();
            Message(windowTitle(), FromDisplay(e.what()));
            return false;
        }
    }
    switch (result.Outcome) {
    case TSaveOutcome::NothingToSave:
        edtText->setModified(false);
        return true;
    case TSaveOutcome::Saved:
        edtText->setModified(false);
        if (host_.PageSaved) host_.PageSaved(fileName, result.Created);
        emit saved();
        return true;
    case TSaveOutcome::DeleteRequested:
        if (host_.DeletePage) host_.DeletePage(fileName);
        return true;
    case TSaveOutcome::KeptModified:
        return true;
    case TSaveOutcome::Reloaded:
        edtText->SetPageText(result.ReloadedText);
        if (host_.PageSaved) host_.PageSaved(fileName, false);
        return true;
    case TSaveOutcome::Cancelled:
        return false;
    }
    return false;
}

TAnswer TfrmEditor::ConfirmDeleteEmptied(const std::string& message) {
    QString m = FromDisplay(message);
    if (DeleteQuestionHook) return DeleteQuestionHook(m);
    return AskYesNoCancel(this, windowTitle(), m);
}

TOutsideChoice TfrmEditor::AskOutsideChange(TOutsideChange change, const std::string& message) {
    QString m = FromDisplay(message);
    if (OutsideHook) return OutsideHook(change, m);
    QMessageBox box(QMessageBox::Warning, windowTitle(), m, QMessageBox::NoButton, this);
    QPushButton* reload = nullptr;
    // A deleted page has nothing to reload: it can be made again or left.
    if (change != TOutsideChange::Deleted)
        reload = box.addButton(LangQ(language_, "Editor.Outside.Reload.Button"),
                               QMessageBox::DestructiveRole);
    QPushButton* overwrite =
        box.addButton(LangQ(language_, "Editor.Outside.Overwrite.Button"), QMessageBox::AcceptRole);
    QPushButton* keep =
        box.addButton(LangQ(language_, "Editor.Outside.Keep.Button"), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    box.exec();
    if (box.clickedButton() == overwrite) return TOutsideChoice::Overwrite;
    if (reload && box.clickedButton() == reload) return TOutsideChoice::Reload;
    return TOutsideChoice::KeepEditing;
}

bool TfrmEditor::ConfirmUnencodable(const std::vector<TUnencodableChar>&,
                                    const std::string& message) {
    QString m = FromDisplay(message);
    if (UnencodableHook) return UnencodableHook(m);
    return QMessageBox::question(this, windowTitle(), m, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

// --- Closing ---------------------------------------------------------------------------------

void TfrmEditor::closeEvent(QCloseEvent* event) {
    if (!SaveIfModified()) {
        event->ignore(); // Cancel in a question keeps the window open
        return;
    }
    // Still modified: the delete question was answered No. The window goes with the page's
    // text as it is on disk, not with the emptied one.
    if (edtText->isModified()) {
        try {
            ReloadPage();
        } catch (const std::exception& e) {
            Message(windowTitle(), FromDisplay(e.what()));
        }
    }
    frmFind_->hide();
    event->accept();
}

void TfrmEditor::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    UpdateCutCopy();
    UpdatePaste();
}

// --- Enabled states --------------------------------------------------------------------------

void TfrmEditor::UpdateUndoRedo() {
    actUndo->setEnabled(edtText->isUndoAvailable());
    actRedo->setEnabled(edtText->isRedoAvailable());
}

void TfrmEditor::UpdateCutCopy() {
    bool selection = edtText->hasSelectedText();
    actCut->setEnabled(selection);
    actCopy->setEnabled(selection);
}

void TfrmEditor::UpdatePaste() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    actPaste->setEnabled(data && data->hasText());
}

// --- Commands --------------------------------------------------------------------------------

void TfrmEditor::InsertDate(const std::string& format) {
    edtText->ReplaceSelectionWith(ShiftJisToUtf8(FormatDateTime(format, TDateTime::Now())));
}

void TfrmEditor::Message(const QString& title, const QString& text) {
    if (MessageHook)
        MessageHook(title, text);
    else
        QMessageBox::information(isVisible() ? static_cast<QWidget*>(this) : parentWidget(), title,
                                 text);
}

void TfrmEditor::NotFound(const TNotFoundMessage& message) {
    ++Beeps;
    QApplication::beep();
    Message(FromDisplay(message.Title), FromDisplay(message.Text));
}

void TfrmEditor::FindNext() {
    if (!edtText->FindNext(frmFind_->What(), frmFind_->Options()))
        NotFound(SearchNotFoundMessage(language_));
}

void TfrmEditor::ReplaceNext() {
    if (!edtText->ReplaceNext(frmFind_->What(), frmFind_->With(), frmFind_->Options()))
        NotFound(ReplaceNotFoundMessage(language_));
}

void TfrmEditor::ReplaceAll() {
    // No message at the end, also when nothing was found.
    edtText->ReplaceAllText(frmFind_->What(), frmFind_->With(), frmFind_->Options());
}

void TfrmEditor::OpenSettings() {
    TEditorSettingsValues values;
    values.WordWrap = settings_.WordWrap;
    values.WrapColumn = edtText->Properties().WrapColumn;
    values.StayOnTop = settings_.ViewForward;
    frmSettings->SetValues(values);
    frmSettings->SetProperties(edtText->Properties());
    frmSettings->ApplyLanguage();
    bool accepted =
        SettingsHook ? SettingsHook(*frmSettings) : frmSettings->exec() == QDialog::Accepted;
    if (!accepted) return;
    values = frmSettings->Values();
    settings_.WordWrap = values.WordWrap;
    settings_.ViewForward = values.StayOnTop;
    TEditorProperties properties = frmSettings->Properties();
    properties.WrapColumn = values.WrapColumn;
    edtText->ApplyProperties(properties);
    ApplyWordWrap();
    ApplyStayOnTop();
}

void TfrmEditor::ApplyWordWrap() {
    edtText->SetWordWrapMode(settings_.WordWrap);
}

void TfrmEditor::ApplyStayOnTop() {
    bool onTop = settings_.ViewForward;
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) == onTop) return;
    bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible) show(); // changing the flags hides the window
}

// --- Stored state ------------------------------------------------------------------------------

void TfrmEditor::StoreProperties() {
    // The settings file keeps values it does not own when the settings are saved, so the
    // control's value written here survives the save at the end of the run.
    TIniFile ini = TIniFile::ReadFile(settings_.FileName());
    ini.WriteString("Editor", "Property", edtText->Properties().Text());
    ini.WriteFile(settings_.FileName());
}

void TfrmEditor::PlaceWindow() {
    const TTarnelReg& s = settings_;
    PlaceOnDesktop(this, s.EditorTop, s.EditorLeft, s.EditorHeight, s.EditorWidth, 480, 640);
}

void TfrmEditor::StoreGeometry() {
    QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    settings_.EditorTop = normal.top();
    settings_.EditorLeft = normal.left();
    settings_.EditorHeight = normal.height();
    settings_.EditorWidth = normal.width();
}

} // namespace tarnel
