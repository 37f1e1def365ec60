// The commands of the main window: its actions, the main menu, the tool bar with the
// notation and language boxes, the page list's pop-up menu and the hidden shortcuts. This
// part only makes and labels them; the main window connects what they do.
#pragma once

#include "conversion/UWikiDocumentConverterMaker.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QToolBar>
#include <array>
#include <vector>

class QMainWindow;

namespace tarnel {

class TLanguage;

class TMainActions : public QObject {
    Q_OBJECT
public:
    explicit TMainActions(QMainWindow* window);

    QAction *actNewWiki, *actNew, *actOpen, *actOpenFolder, *actModifyFileName, *actCopy,
        *actDelete, *actFileProperty, *actPrintPreview, *actPrint, *actExportHTML, *actEdit,
        *actGoTop, *actChangePrevDocument, *actReload, *actSettings, *actSelectDesign;
    // actChangeYukiWiki ... actChangeMarkdown, in notation order.
    std::array<QAction*, 8> actChangeNotation;
    QAction *mniClose, *mniViewList, *mniViewRecent, *mniViewContents, *mniViewSearch;
    QAction *mniHelpNotation, *mniHelpPlugin, *mniHelpHelp, *mniHelpAbout;
    QAction *mniSwitchWindow, *mniFocusList, *mniFocusMain; // hidden: Ctrl+Tab, Ctrl+J, Ctrl+K
    QMenu *mnuFile, *mnuEdit, *mnuView, *mnuSettings, *mnuHelp, *mniNotation, *mniTemplate;
    QMenu* pmnFileList; // the page list's pop-up menu
    QToolBar* tlbMain;
    QComboBox* cmbNotation;
    QComboBox* cmbLanguage;

    // The commands that need a page: disabled until one is shown.
    std::vector<QAction*> PageCommands() const;
    void ApplyLanguage(const TLanguage& language);
    // Checks the notation action of `notation` and shows it in the combo box, without
    // signalling a change.
    void ShowNotation(TWikiNotation notation);

private:
    struct Caption {
        QAction* action;
        const char* key;
    };
    QAction* Make(const char* key, QKeySequence shortcut = {});
    std::vector<Caption> captions_;
    std::vector<std::pair<QMenu*, const char*>> menus_;
    QAction* lblLanguage_ = nullptr;
};

} // namespace tarnel
