#include "settings/UTarnelReg.h"

#include "text/jconvert.h"

#include <algorithm>

namespace tarnel {

const char* const kDefaultTopPage = "\x83\x67\x83\x62\x83\x76"; // トップ in Shift_JIS

TEditorType EditorTypeFromInt(int value) {
    return (value == 1 || value == 2) ? static_cast<TEditorType>(value) : TEditorType::Internal;
}

TExportEncoding ExportEncodingFromInt(int value) {
    return (value == 1 || value == 2) ? static_cast<TExportEncoding>(value)
                                      : TExportEncoding::ShiftJis;
}

TExportFileNameKind ExportFileNameKindFromInt(int value) {
    return value == 1 ? TExportFileNameKind::Title : TExportFileNameKind::Standard;
}

ReadCharCode ReadCharCodeFromInt(int value) {
    return value == 0 ? ReadCharCode::Automatic : ReadCharCode::EucJp;
}

TWikiNotation ApplicationNotationFromIndex(int index) {
    TWikiNotation n = IndexToNotation(index);
    return n == TWikiNotation::None ? TWikiNotation::YukiWiki : n;
}

TTarnelReg::TTarnelReg(std::string maker, std::string product)
    : TRegistryBase(std::move(maker), std::move(product)) {}

const std::string& TTarnelReg::GetTopPage() {
    if (TopPage.empty()) TopPage = kDefaultTopPage;
    return TopPage;
}

// Both lists follow the same order, section by section; a new settings file is written in
// this order.

void TTarnelReg::LoadValues() {
    // Window places: a negative number (a window dragged off the screen's top or left edge)
    // reads as 0.
    auto place = [this](const char* name, int defaultValue) {
        return std::max(0, ReadInteger("Form", name, defaultValue));
    };
    // Display-form text: UTF-8 in the file. Text that is not UTF-8 (which would convert to
    // nothing) keeps the default.
    auto display = [this](const char* section, const char* name, const std::string& def) {
        std::string stored = ReadString(section, name, ShiftJisToUtf8(def));
        std::string shown = Utf8ToShiftJis(stored);
        return shown.empty() && !stored.empty() ? def : shown;
    };

    CssName = ReadString("Design", "CssName", CssName);

    Assigned = ReadString("Editor", "Assigned", Assigned);
    ViewForward = ReadBool("Editor", "ViewForward", ViewForward);
    WordWrap = ReadInteger("Editor", "WordWrap", WordWrap);
    EditorType = EditorTypeFromInt(ReadInteger("Editor", "Type", static_cast<int>(EditorType)));

    AutoSave = ReadBool("File", "AutoSave", AutoSave);
    Extension = ReadString("File", "Extension", Extension);
    Language = ReadString("File", "Language", Language);
    LastView = ReadString("File", "LastView", LastView);
    TmpFileUse = ReadBool("File", "TmpFileUse", TmpFileUse);
    ReadCharCode =
        ReadCharCodeFromInt(ReadInteger("File", "ReadCharCode", static_cast<int>(ReadCharCode)));
    NameEncodingUTF8 = ReadBool("File", "NameEncodingUTF8", NameEncodingUTF8);
    TitleEncodingUTF8 = ReadBool("File", "TitleEncodingUTF8", TitleEncodingUTF8);
    TopPage = display("File", "TopPage", TopPage);

    EditorTop = place("EditorTop", EditorTop);
    EditorLeft = place("EditorLeft", EditorLeft);
    EditorHeight = place("EditorHeight", EditorHeight);
    EditorWidth = place("EditorWidth", EditorWidth);
    ExportTop = place("ExportTop", ExportTop);
    ExportLeft = place("ExportLeft", ExportLeft);
    ExportHeight = place("ExportHeight", ExportHeight);
    ExportWidth = place("ExportWidth", ExportWidth);
    FormatTop = place("FormatTop", FormatTop);
    FormatLeft = place("FormatLeft", FormatLeft);
    FormatHeight = place("FormatHeight", FormatHeight);
    FormatWidth = place("FormatWidth", FormatWidth);
    ListWidth = place("ListWidth", ListWidth);
    MainTop = place("MainTop", MainTop);
    MainLeft = place("MainLeft", MainLeft);
    MainHeight = place("MainHeight", MainHeight);
    MainWidth = place("MainWidth", MainWidth);
    PluginTop = place("PluginTop", PluginTop);
    PluginLeft = place("PluginLeft", PluginLeft);

    Notation =
        ApplicationNotationFromIndex(ReadInteger("Format", "Notation", NotationToIndex(Notation)));
    DateFormat = display("Format", "Date", DateFormat);
    NowFormat = display("Format", "Now", NowFormat);
    TimeFormat = display("Format", "Time", TimeFormat);

    ExportEncoding =
        ExportEncodingFromInt(ReadInteger("Export", "Encoding", static_cast<int>(ExportEncoding)));
    ExportFileNameKind = ExportFileNameKindFromInt(
        ReadInteger("Export", "FileNameKind", static_cast<int>(ExportFileNameKind)));
    ExportFolder = ReadString("Export", "Folder", ExportFolder);
    ExportAll = ReadBool("Export", "All", ExportAll);
    ExportCopyFolder = ReadBool("Export", "CopyFolder", ExportCopyFolder);
    ExportIndex = ReadBool("Export", "Index", ExportIndex);
    ExportOldFile = ReadBool("Export", "OldFile", ExportOldFile);

    NoWikiNameLink = ReadBool("Link", "NoWikiNameLink", NoWikiNameLink);
    NewWindow = ReadBool("Link", "NewWindow", NewWindow);
    LooseWikiName = ReadBool("Link", "LooseWikiName", LooseWikiName);

    RestrictChangeWikiNotation =
        ReadBool("Restriction", "ChangeWikiNotation", RestrictChangeWikiNotation);
    RestrictCreateNewWiki = ReadBool("Restriction", "CreateNewWiki", RestrictCreateNewWiki);

    PuttingIntoSystemTray = ReadBool("System", "PuttingIntoSystemTray", PuttingIntoSystemTray);

    LineBreak = ReadBool("Notation", "LineBreak", LineBreak);

    DisplayHierarchy = ReadBool("List", "DisplayHierarchy", DisplayHierarchy);
}

void TTarnelReg::SaveValues() {
    WriteString("Design", "CssName", CssName);

    WriteString("Editor", "Assigned", Assigned);
    WriteBool("Editor", "ViewForward", ViewForward);
    WriteInteger("Editor", "WordWrap", WordWrap);
    WriteInteger("Editor", "Type", static_cast<int>(EditorType));

    WriteBool("File", "AutoSave", AutoSave);
    WriteString("File", "Extension", Extension);
    WriteString("File", "Language", Language);
    WriteString("File", "LastView", LastView);
    WriteBool("File", "TmpFileUse", TmpFileUse);
    WriteInteger("File", "ReadCharCode", static_cast<int>(ReadCharCode));
    WriteBool("File", "NameEncodingUTF8", NameEncodingUTF8);
    WriteBool("File", "TitleEncodingUTF8", TitleEncodingUTF8);
    WriteString("File", "TopPage", ShiftJisToUtf8(TopPage));

    WriteInteger("Form", "EditorTop", EditorTop);
    WriteInteger("Form", "EditorLeft", EditorLeft);
    WriteInteger("Form", "EditorHeight", EditorHeight);
    WriteInteger("Form", "EditorWidth", EditorWidth);
    WriteInteger("Form", "ExportTop", ExportTop);
    WriteInteger("Form", "ExportLeft", ExportLeft);
    WriteInteger("Form", "ExportHeight", ExportHeight);
    WriteInteger("Form", "ExportWidth", ExportWidth);
    WriteInteger("Form", "FormatTop", FormatTop);
    WriteInteger("Form", "FormatLeft", FormatLeft);
    WriteInteger("Form", "FormatHeight", FormatHeight);
    WriteInteger("Form", "FormatWidth", FormatWidth);
    WriteInteger("Form", "ListWidth", ListWidth);
    WriteInteger("Form", "MainTop", MainTop);
    WriteInteger("Form", "MainLeft", MainLeft);
    WriteInteger("Form", "MainHeight", MainHeight);
    WriteInteger("Form", "MainWidth", MainWidth);
    WriteInteger("Form", "PluginTop", PluginTop);
    WriteInteger("Form", "PluginLeft", PluginLeft);

    WriteInteger("Format", "Notation", std::max(0, NotationToIndex(Notation)));
    WriteString("Format", "Date", ShiftJisToUtf8(DateFormat));
    WriteString("Format", "Now", ShiftJisToUtf8(NowFormat));
    WriteString("Format", "Time", ShiftJisToUtf8(TimeFormat));

    WriteInteger("Export", "Encoding", static_cast<int>(ExportEncoding));
    WriteInteger("Export", "FileNameKind", static_cast<int>(ExportFileNameKind));
    WriteString("Export", "Folder", ExportFolder);
    WriteBool("Export", "All", ExportAll);
    WriteBool("Export", "CopyFolder", ExportCopyFolder);
    WriteBool("Export", "Index", ExportIndex);
    WriteBool("Export", "OldFile", ExportOldFile);

    WriteBool("Link", "NoWikiNameLink", NoWikiNameLink);
    WriteBool("Link", "NewWindow", NewWindow);
    WriteBool("Link", "LooseWikiName", LooseWikiName);

    WriteBool("Restriction", "ChangeWikiNotation", RestrictChangeWikiNotation);
    WriteBool("Restriction", "CreateNewWiki", RestrictCreateNewWiki);

    WriteBool("System", "PuttingIntoSystemTray", PuttingIntoSystemTray);

    WriteBool("Notation", "LineBreak", LineBreak);

    WriteBool("List", "DisplayHierarchy", DisplayHierarchy);
}

} // namespace tarnel
