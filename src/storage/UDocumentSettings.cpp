#include "storage/UDocumentSettings.h"

#include "text/jconvert.h"

#include <sys/stat.h>

namespace tarnel {

namespace {

constexpr const char* kFileName = "Wiki.ini";

// Wiki.ini is Shift_JIS; names of files and folders are UTF-8 in memory.
std::string FromFile(const std::string& text) {
    return ShiftJisToUtf8(text);
}
std::string ToFile(const std::string& text) {
    std::string shown = Utf8ToShiftJis(text);
    return shown.empty() ? text : shown; // not UTF-8: written as it stands
}

TWikiNotation NotationFromFile(int index) {
    if (index == -1) return TWikiNotation::None;
    return ApplicationNotationFromIndex(index);
}

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

} // namespace

void TDocumentSettings::Load(const std::string& folder) {
    std::string dir = folder.empty() ? std::string("./") : folder;
    if (dir.back() != '/') dir += '/';
    std::string path = FindFileIgnoringCase(dir, kFileName);
    std::unique_ptr<TIniFile> ini;
    try {
        ini = std::make_unique<TIniFile>(TIniFile::ReadFile(path));
    } catch (const EIniFileError& e) {
        throw EDocumentSettingsError(std::string("the wiki settings: ") + e.what());
    }

    // In the order of the file's sections.
    design = FromFile(ini->ReadString("Design", "CssName", ""));
    notation = NotationFromFile(ini->ReadInteger("Document", "Notation", -1));
    topPage = ini->ReadString("Document", "Top", "");
    extension = FromFile(ini->ReadString("Document", "Extension", ""));
    exportEncoding = ExportEncodingFromInt(ini->ReadInteger("Export", "Encoding", 0));
    exportFolder = FromFile(ini->ReadString("Export", "Folder", ""));
    templates.exportTemplate = FromFile(ini->ReadString("Template", "Export", "default.html"));
    templates.listTemplate = FromFile(ini->ReadString("Template", "List", "default.html"));
    templates.mainTemplate = FromFile(ini->ReadString("Template", "Main", "default.html"));
    looseWikiName = ini->ReadBool("Link", "LooseWikiName", false);
    displayHierarchy = ini->ReadBool("List", "DisplayHierarchy", false);

    fileBytes_ = ini->Bytes();
    ini_ = std::move(ini);
    folder_ = dir;
    path_ = path;
}

void TDocumentSettings::Save() {
    if (!ini_) return;
    TIniFile& ini = *ini_;
    ini.WriteString("Design", "CssName", ToFile(design));
    ini.WriteInteger("Document", "Notation", NotationToIndex(notation));
    ini.WriteString("Document", "Top", topPage);
    ini.WriteString("Document", "Extension", ToFile(extension));
    ini.WriteInteger("Export", "Encoding", static_cast<int>(exportEncoding));
    ini.WriteString("Export", "Folder", ToFile(exportFolder));
    ini.WriteString("Template", "Export", ToFile(templates.exportTemplate));
    ini.WriteString("Template", "List", ToFile(templates.listTemplate));
    ini.WriteString("Template", "Main", ToFile(templates.mainTemplate));
    ini.WriteBool("Link", "LooseWikiName", looseWikiName);
    ini.WriteBool("List", "DisplayHierarchy", displayHierarchy);

    std::string bytes = ini.Bytes();
    if (bytes == fileBytes_ && FileExists(path_)) return;
    try {
        ini.WriteFile(path_);
    } catch (const EIniFileError& e) {
        throw EDocumentSettingsError(std::string("the wiki settings: ") + e.what());
    }
    fileBytes_ = std::move(bytes);
}

TWikiOpening OpenWikiSettings(TDocumentSettings& documentSettings, TTarnelReg& reg,
                              const std::string& folder) {
    TDocumentSettings& doc = documentSettings;
    doc.Load(folder);

    // A value of the wiki's own replaces the application's; without one the wiki takes the
    // application's, so that leaving the wiki writes a complete file.
    auto takeOver = [](std::string& wikiValue, std::string& appValue) {
        if (!wikiValue.empty())
            appValue = wikiValue;
        else
            wikiValue = appValue;
    };
    takeOver(doc.design, reg.CssName);
    reg.ExportEncoding = doc.exportEncoding;
    takeOver(doc.exportFolder, reg.ExportFolder);
    takeOver(doc.extension, reg.Extension);

    TWikiOpening result;
    if (doc.notation != TWikiNotation::None) {
        result.notationChanged = doc.notation != reg.Notation;
        reg.Notation = doc.notation;
    } else {
        doc.notation = reg.Notation;
    }

    if (!doc.topPage.empty())
        reg.TopPage = doc.topPage;
    else
        doc.topPage = reg.GetTopPage();

    reg.DisplayHierarchy = doc.displayHierarchy;
    reg.LooseWikiName = doc.looseWikiName;

    result.notation = reg.Notation;
    result.extension = doc.extension;
    result.displayHierarchy = doc.displayHierarchy;
    result.looseWikiName = doc.looseWikiName;
    result.design = doc.design;
    result.templates = doc.templates;
    return result;
}

void LeaveWikiSettings(TDocumentSettings& documentSettings, TTarnelReg& reg,
                       const TWikiTemplateNames& currentTemplates) {
    TDocumentSettings& doc = documentSettings;
    if (!doc.IsLoaded()) return;
    doc.design = reg.CssName;
    doc.exportEncoding = reg.ExportEncoding;
    doc.exportFolder = reg.ExportFolder;
    doc.extension = reg.Extension;
    doc.notation = reg.Notation;
    doc.templates = currentTemplates;
    doc.topPage = reg.GetTopPage();
    doc.displayHierarchy = reg.DisplayHierarchy;
    doc.looseWikiName = reg.LooseWikiName;
    doc.Save();
}

} // namespace tarnel
