// The application settings: every setting of Tarnel as a public field with its default.
//
// The owner (the main window, or tarnel-cli) constructs one TTarnelReg, calls Load once at
// start, lets every part of the program read and assign the fields in memory, and calls
// Save once at exit. Changing a field writes nothing. While a wiki is open some fields hold
// that wiki's values from its Wiki.ini (see storage/UDocumentSettings.h), so the values
// saved at exit are those of the last wiki shown.
//
// Text forms in memory: page names and text that ends up in pages are display form
// (Shift_JIS): TopPage and the three date formats. Paths, file names and command lines stay
// in the file system's form (UTF-8): CssName, Assigned, Extension, Language, LastView,
// ExportFolder. The settings file itself is UTF-8; the conversion happens in LoadValues and
// SaveValues only.
//
// Reading is forgiving: a missing value, or one whose text is not a number where a number is
// expected, keeps its default; a value outside the choices of an enumeration reads as the
// enumeration's fallback (noted per field); window positions and sizes below 0 read as 0.
#pragma once

#include "settings/URegistryBase.h"
#include "text/WikiTypes.h"

#include <string>

namespace tarnel {

// Which editor the Edit command uses; read at start and fixed for the run.
enum class TEditorType : int {
    Internal = 0, // the program's own editor window
    Standard = 1, // the program the desktop associates with the page file
    Assigned = 2, // the command line of the setting Assigned
};

// Encoding of exported HTML files.
enum class TExportEncoding : int { ShiftJis = 0, EucJp = 1, Utf8 = 2 };

// How exported HTML files are named.
enum class TExportFileNameKind : int {
    Standard = 0, // the page file's name with ".html" (internal links keep working)
    Title = 1,    // made from the page name
};

// The stored integer of an enumeration value and back. The From* functions give the
// fallback for a number outside the choices: TEditorType::Internal, TExportEncoding::ShiftJis,
// TExportFileNameKind::Standard, ReadCharCode::EucJp for any non-zero number; a notation
// index that names no notation (including -1, "none") gives YukiWiki.
TEditorType EditorTypeFromInt(int value);
TExportEncoding ExportEncodingFromInt(int value);
TExportFileNameKind ExportFileNameKindFromInt(int value);
ReadCharCode ReadCharCodeFromInt(int value);
TWikiNotation ApplicationNotationFromIndex(int index);

// "トップ" in display form: the top page when none is set.
extern const char* const kDefaultTopPage;

class TTarnelReg : public TRegistryBase {
public:
    // The settings of "Tarnel" by "Orvel": ~/.config/Orvel/Tarnel.ini unless TARNEL_CONFIG
    // names another file (see settings/URegistryBase.h).
    TTarnelReg(std::string maker = "Orvel", std::string product = "Tarnel");

    // The top page name (display form). An empty TopPage is first set to "トップ", which is
    // therefore also what Save writes after anything asked for the top page.
    const std::string& GetTopPage();

    // [Design]
    std::string CssName = "default"; // the chosen design (a folder of css/)

    // [Editor]
    std::string Assigned;     // command line of the assigned editor; "%f" is the page file
    bool ViewForward = false; // keep the internal editor above other windows
    int WordWrap = 0;         // internal editor: 0 no wrap, 1 window edge, 2 given column
    TEditorType EditorType = TEditorType::Internal; // value "Type"; other numbers: Internal

    // [File]
    bool AutoSave = false;           // kept and written back; nothing depends on it
    std::string Extension = ".txt";  // page-file extension with its dot
    std::string Language = "日本語"; // language file name without ".txt"
    std::string LastView;            // full path of the last page shown
    bool TmpFileUse = false;         // show pages through a temporary file
    tarnel::ReadCharCode ReadCharCode = tarnel::ReadCharCode::EucJp; // non-zero numbers: EucJp
    bool NameEncodingUTF8 = false;  // page-file names from UTF-8 bytes instead of EUC-JP
    bool TitleEncodingUTF8 = false; // #Title written as UTF-8
    std::string TopPage;            // display form; read it through GetTopPage()

    // [Form] window places; negative stored numbers read as 0
    int EditorTop = 16, EditorLeft = 16, EditorHeight = 480, EditorWidth = 640;
    int ExportTop = 16, ExportLeft = 16, ExportHeight = 460, ExportWidth = 440;
    int FormatTop = 32, FormatLeft = 32, FormatHeight = 480, FormatWidth = 640;
    int ListWidth = 160;
    int MainTop = 0, MainLeft = 0, MainHeight = 480, MainWidth = 640;
    int PluginTop = 48, PluginLeft = 48;

    // [Format]
    // The current notation, stored as its index (0 YukiWiki ... 7 Markdown). Never None after
    // Load: an index naming no notation, -1 included, reads as YukiWiki; None is written as 0.
    TWikiNotation Notation = TWikiNotation::YukiWiki;
    // Date formats of the editor's insert commands (display form): yyyy mm dd ddd hh nn ss,
    // text in double quotes copied as it is.
    std::string DateFormat = "yyyy\"-\"mm\"-\"dd";                       // value "Date"
    std::string NowFormat = "yyyy\"-\"mm\"-\"dd (ddd) hh\":\"nn\":\"ss"; // value "Now"
    std::string TimeFormat = "hh\":\"nn\":\"ss";                         // value "Time"

    // [Export]
    TExportEncoding ExportEncoding = TExportEncoding::ShiftJis;             // others: ShiftJis
    TExportFileNameKind ExportFileNameKind = TExportFileNameKind::Standard; // others: Standard
    std::string ExportFolder;                                               // destination folder
    bool ExportAll = true;         // all pages (false: the chosen ones)
    bool ExportCopyFolder = false; // copy the wiki's sub-folders
    bool ExportIndex = true;       // write index.html
    bool ExportOldFile = false;    // also write pages whose HTML is up to date

    // [Link]
    bool NoWikiNameLink = false; // no "?" new-page link after WikiNames
    bool NewWindow = false;      // outside addresses open in the user's browser
    bool LooseWikiName = false;

    // [Restriction]
    bool RestrictChangeWikiNotation = false; // value "ChangeWikiNotation": notation fixed
    bool RestrictCreateNewWiki = false;      // value "CreateNewWiki": no new wikis

    // [System]
    bool PuttingIntoSystemTray = false; // minimise into the notification area; read at start

    // [Notation]
    bool LineBreak = false; // PukiWiki: line breaks in text are kept

    // [List]
    bool DisplayHierarchy = false; // page list shows "/" names as a tree

protected:
    void LoadValues() override;
    void SaveValues() override;
};

} // namespace tarnel
