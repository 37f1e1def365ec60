#include "UMainActions.h"

#include "UQtText.h"

#include <QActionGroup>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStyle>

namespace tarnel {

namespace {

const char* const kNotationActionKeys[8] = {
    "Main.Menu.Settings.Notation.YukiWiki",     "Main.Menu.Settings.Notation.PukiWiki",
    "Main.Menu.Settings.Notation.Hatena",       "Main.Menu.Settings.Notation.MediaWiki",
    "Main.Menu.Settings.Notation.LivedoorWiki", "Main.Menu.Settings.Notation.FreeStyleWiki",
    "Main.Menu.Settings.Notation.Textile",      "Main.Menu.Settings.Notation.Markdown"};
const char* const kNotationNameKeys[8] = {
    "Notation.YukiWiki",     "Notation.PukiWiki",      "Notation.Hatena",  "Notation.MediaWiki",
    "Notation.LivedoorWiki", "Notation.FreeStyleWiki", "Notation.Textile", "Notation.Markdown"};

// A hint "short|long" as tool tip and status-bar text.
void SetHint(QAction* action, const QString& hint) {
    if (hint.isEmpty()) return;
    int bar = hint.indexOf(QLatin1Char('|'));
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

QString HintOf(const QAction* action) {
    if (action->toolTip() == action->statusTip()) return action->toolTip();
    return action->toolTip() + QLatin1Char('|') + action->statusTip();
}

std::string HintKey(const char* key) {
    return std::string(key) + ".Hint";
}

} // namespace

QAction* TMainActions::Make(const char* key, QKeySequence shortcut) {
    auto* action = new QAction(BuiltIn(key), this);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    SetHint(action, BuiltIn(HintKey(key).c_str()));
    captions_.push_back({action, key});
    return action;
}

TMainActions::TMainActions(QMainWindow* window) : QObject(window) {
    actNewWiki = Make("Main.Menu.File.NewWiki");
    actNew = Make("Main.Menu.File.New", QKeySequence(Qt::CTRL | Qt::Key_N));
    actOpen = Make("Main.Menu.File.Open", QKeySequence(Qt::CTRL | Qt::Key_O));
    actOpenFolder = Make("Main.Menu.File.OpenFolder");
    actModifyFileName = Make("Main.Menu.File.Rename");
    actCopy = Make("Main.Menu.File.Copy");
    actDelete = Make("Main.Menu.File.Delete");
    actFileProperty = Make("Main.Menu.File.Property");
    actPrintPreview = Make("Main.Menu.File.PrintPreview");
    actPrint = Make("Main.Menu.File.Print", QKeySequence(Qt::CTRL | Qt::Key_P));
    actExportHTML = Make("Main.Menu.File.ExportHtml");
    mniClose = Make("Main.Menu.File.Close");
    actEdit = Make("Main.Menu.Edit.Edit", QKeySequence(Qt::CTRL | Qt::Key_E));
    mniViewList = Make("Main.Menu.View.List", QKeySequence(Qt::CTRL | Qt::Key_1));
    mniViewRecent = Make("Main.Menu.View.Recent", QKeySequence(Qt::CTRL | Qt::Key_2));
    mniViewContents = Make("Main.Menu.View.Contents", QKeySequence(Qt::CTRL | Qt::Key_3));
    mniViewSearch = Make("Main.Menu.View.Search", QKeySequence(Qt::CTRL | Qt::Key_4));
    actGoTop = Make("Main.Menu.View.Top", QKeySequence(Qt::ALT | Qt::Key_Home));
    actChangePrevDocument = Make("Main.Menu.View.PrevDocument", QKeySequence(Qt::CTRL | Qt::Key_B));
    actReload = Make("Main.Menu.View.Reload");
    actSettings = Make("Main.Menu.Settings.Tarnel");
    auto* notationGroup = new QActionGroup(this);
    for (int i = 0; i < 8; ++i) {
        actChangeNotation[i] = Make(kNotationActionKeys[i]);
        actChangeNotation[i]->setCheckable(true);
        notationGroup->addAction(actChangeNotation[i]);
    }
    actSelectDesign = Make("Main.Menu.Settings.Design");
    mniHelpNotation = Make("Main.Menu.Help.Notation");
    mniHelpPlugin = Make("Main.Menu.Help.Plugin");
    mniHelpHelp = Make("Main.Menu.Help.Help");
    mniHelpAbout = Make("Main.Menu.Help.About");
    // The hidden menu: only its shortcuts, reachable while the window has the focus.
    mniSwitchWindow = new QAction(QStringLiteral("ウィンドウ切り替え"), this);
    mniSwitchWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab));
    mniFocusList = new QAction(QStringLiteral("一覧へ移動"), this);
    mniFocusList->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    mniFocusMain = new QAction(QStringLiteral("メインへ移動"), this);
    mniFocusMain->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    for (QAction* hidden : {mniSwitchWindow, mniFocusList, mniFocusMain}) {
        hidden->setShortcutContext(Qt::WindowShortcut);
        window->addAction(hidden);
    }

    QMenuBar* bar = window->menuBar();
    mnuFile = bar->addMenu(BuiltIn("Main.Menu.File"));
    mnuFile->addActions({actNewWiki, actNew, actOpen, actOpenFolder});
    mnuFile->addSeparator();
    mnuFile->addActions({actModifyFileName, actCopy, actDelete, actFileProperty});
    mnuFile->addSeparator();
    mnuFile->addActions({actPrintPreview, actPrint, actExportHTML});
    mnuFile->addSeparator();
    mnuFile->addAction(mniClose);
    mnuEdit = bar->addMenu(BuiltIn("Main.Menu.Edit"));
    mnuEdit->addAction(actEdit);
    mnuView = bar->addMenu(BuiltIn("Main.Menu.View"));
    mnuView->addActions({mniViewList, mniViewRecent, mniViewContents, mniViewSearch});
    mnuView->addSeparator();
    mnuView->addActions({actGoTop, actChangePrevDocument, actReload});
    mnuSettings = bar->addMenu(BuiltIn("Main.Menu.Settings"));
    mnuSettings->addAction(actSettings);
    mniNotation = mnuSettings->addMenu(BuiltIn("Main.Menu.Settings.Notation"));
    for (QAction* action : actChangeNotation)
        mniNotation->addAction(action);
    mniTemplate = mnuSettings->addMenu(BuiltIn("Main.Menu.Settings.Template"));
    mnuSettings->addAction(actSelectDesign);
    mnuHelp = bar->addMenu(BuiltIn("Main.Menu.Help"));
    mnuHelp->addActions({mniHelpNotation, mniHelpPlugin, mniHelpHelp});
    mnuHelp->addSeparator();
    mnuHelp->addAction(mniHelpAbout);
    menus_ = {{mnuFile, "Main.Menu.File"},
              {mnuEdit, "Main.Menu.Edit"},
              {mnuView, "Main.Menu.View"},
              {mnuSettings, "Main.Menu.Settings"},
              {mniNotation, "Main.Menu.Settings.Notation"},
              {mniTemplate, "Main.Menu.Settings.Template"},
              {mnuHelp, "Main.Menu.Help"}};

    pmnFileList = new QMenu(window);
    pmnFileList->addActions({actModifyFileName, actCopy, actDelete, actFileProperty});
    pmnFileList->addSeparator();
    pmnFileList->addAction(actEdit);

    tlbMain = window->addToolBar(QStringLiteral("tlbMain"));
    tlbMain->setObjectName(QStringLiteral("tlbMain"));
    tlbMain->setMovable(false);
    // Icons keep the tool bar narrow enough for the two boxes; the captions are tool tips.
    tlbMain->setToolButtonStyle(Qt::ToolButtonIconOnly);
    QStyle* style = window->style();
    const std::pair<QAction*, QStyle::StandardPixmap> icons[] = {
        {actNew, QStyle::SP_FileIcon},
        {actOpen, QStyle::SP_DialogOpenButton},
        {actDelete, QStyle::SP_TrashIcon},
        {actEdit, QStyle::SP_FileDialogDetailedView},
        {actSettings, QStyle::SP_FileDialogInfoView},
        {actGoTop, QStyle::SP_DirHomeIcon},
        {actChangePrevDocument, QStyle::SP_ArrowBack},
        {actReload, QStyle::SP_BrowserReload}};
    for (const auto& [action, icon] : icons)
        action->setIcon(style->standardIcon(icon));
    tlbMain->addActions({actNew, actOpen, actDelete, actEdit, actSettings});
    tlbMain->addSeparator();
    tlbMain->addActions({actGoTop, actChangePrevDocument, actReload});
    tlbMain->addSeparator();
    cmbNotation = new QComboBox(tlbMain);
    cmbNotation->setObjectName(QStringLiteral("cmbNotation"));
    for (const char* key : kNotationNameKeys)
        cmbNotation->addItem(BuiltIn(key));
    tlbMain->addWidget(cmbNotation);
    lblLanguage_ = tlbMain->addWidget(new QLabel(QStringLiteral("  Language "), tlbMain));
    cmbLanguage = new QComboBox(tlbMain);
    cmbLanguage->setObjectName(QStringLiteral("cmbLanguage"));
    tlbMain->addWidget(cmbLanguage);
    cmbNotation->setToolTip(BuiltIn("Main.Tool.Notation.Hint").section(QLatin1Char('|'), 0, 0));
    cmbLanguage->setToolTip(BuiltIn("Main.Tool.Language.Hint").section(QLatin1Char('|'), 0, 0));

    for (QAction* action : PageCommands())
        action->setEnabled(false);
    actChangePrevDocument->setEnabled(false);
    actGoTop->setEnabled(false);
}

std::vector<QAction*> TMainActions::PageCommands() const {
    return {actEdit,         actDelete,     actCopy,       actModifyFileName,
            actFileProperty, actOpenFolder, actExportHTML, actReload};
}

void TMainActions::ApplyLanguage(const TLanguage& language) {
    for (const Caption& caption : captions_) {
        caption.action->setText(LangQ(language, caption.key, caption.action->text()));
        SetHint(caption.action,
                LangQ(language, HintKey(caption.key).c_str(), HintOf(caption.action)));
    }
    for (const auto& [menu, key] : menus_)
        menu->setTitle(LangQ(language, key, menu->title()));
    int selected = cmbNotation->currentIndex();
    {
        QSignalBlocker block(cmbNotation);
        for (int i = 0; i < 8; ++i)
            cmbNotation->setItemText(
                i, LangQ(language, kNotationNameKeys[i], cmbNotation->itemText(i)));
        cmbNotation->setCurrentIndex(selected);
    }
    cmbNotation->setToolTip(
        LangQ(language, "Main.Tool.Notation.Hint", cmbNotation->toolTip()).section('|', 0, 0));
    cmbLanguage->setToolTip(
        LangQ(language, "Main.Tool.Language.Hint", cmbLanguage->toolTip()).section('|', 0, 0));
}

void TMainActions::ShowNotation(TWikiNotation notation) {
    int index = TWikiDocumentConverterMaker::NotationToIndex(notation);
    QSignalBlocker block(cmbNotation);
    cmbNotation->setCurrentIndex(index);
    for (int i = 0; i < 8; ++i)
        actChangeNotation[i]->setChecked(i == index);
}

} // namespace tarnel
