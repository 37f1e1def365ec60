#include "render/USettingsChange.h"

namespace tarnel {

TSettingsForm SettingsFormOf(TTarnelReg& settings) {
    TSettingsForm form;
    form.TopPage = settings.GetTopPage();
    form.Extension = settings.Extension;
    form.AutoSave = settings.AutoSave;
    form.NewWindow = settings.NewWindow;
    form.NoWikiNameLink = settings.NoWikiNameLink;
    form.LooseWikiName = settings.LooseWikiName;
    form.TmpFileUse = settings.TmpFileUse;
    form.EditorType = settings.EditorType;
    form.Assigned = settings.Assigned;
    form.ReadCharCode = settings.ReadCharCode;
    form.TitleEncodingUTF8 = settings.TitleEncodingUTF8;
    form.NameEncodingUTF8 = settings.NameEncodingUTF8;
    form.PuttingIntoSystemTray = settings.PuttingIntoSystemTray;
    form.RestrictChangeWikiNotation = settings.RestrictChangeWikiNotation;
    form.RestrictCreateNewWiki = settings.RestrictCreateNewWiki;
    form.LineBreak = settings.LineBreak;
    form.DisplayHierarchy = settings.DisplayHierarchy;
    return form;
}

std::optional<std::string> NormalisedExtension(std::string_view typed) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!typed.empty() && blank(typed.front()))
        typed.remove_prefix(1);
    while (!typed.empty() && blank(typed.back()))
        typed.remove_suffix(1);
    if (typed.empty()) return std::string();
    bool onlyDots = true;
    for (char c : typed) {
        auto byte = static_cast<unsigned char>(c);
        // A "/" would put page files into a sub-folder (or, with "..", outside the wiki).
        if (c == '/' || byte < 0x20 || byte == 0x7F) return std::nullopt;
        if (c != '.') onlyDots = false;
    }
    if (onlyDots) return std::nullopt;
    std::string extension(typed);
    if (extension.front() != '.') extension.insert(extension.begin(), '.');
    return extension;
}

TSettingsChange ApplySettingsForm(TTarnelReg& settings, const TSettingsForm& form,
                                  const TStartSettings& started) {
    TSettingsChange change;
    // 1. The file settings; the extension before is what decides the page list's re-read.
    const std::string previousExtension = settings.Extension;
    settings.AutoSave = form.AutoSave;
    settings.TopPage = form.TopPage;
    settings.GetTopPage(); // an emptied field stores the default top page
    settings.Extension = form.Extension;
    change.ExtensionChanged = settings.Extension != previousExtension;

    // 2, 3. Links: the new-page link mode and loose WikiNames reach the converter.
    change.LinksChanged = settings.NoWikiNameLink != form.NoWikiNameLink ||
                          settings.NewWindow != form.NewWindow ||
                          settings.LooseWikiName != form.LooseWikiName;
    settings.NoWikiNameLink = form.NoWikiNameLink;
    settings.NewWindow = form.NewWindow;
    settings.LooseWikiName = form.LooseWikiName;

    // 4. The view method, the editor, the encodings, the tray and the restrictions.
    change.LinksChanged = change.LinksChanged ||
                          settings.TitleEncodingUTF8 != form.TitleEncodingUTF8 ||
                          settings.LineBreak != form.LineBreak;
    change.NameEncodingChanged = settings.NameEncodingUTF8 != form.NameEncodingUTF8;
    change.RestrictionsChanged =
        settings.RestrictChangeWikiNotation != form.RestrictChangeWikiNotation ||
        settings.RestrictCreateNewWiki != form.RestrictCreateNewWiki;
    settings.TmpFileUse = form.TmpFileUse;
    settings.EditorType = form.EditorType;
    settings.Assigned = form.Assigned;
    settings.ReadCharCode = form.ReadCharCode;
    settings.TitleEncodingUTF8 = form.TitleEncodingUTF8;
    settings.NameEncodingUTF8 = form.NameEncodingUTF8;
    settings.PuttingIntoSystemTray = form.PuttingIntoSystemTray;
    settings.RestrictChangeWikiNotation = form.RestrictChangeWikiNotation;
    settings.RestrictCreateNewWiki = form.RestrictCreateNewWiki;

    // 6. Line breaks (the converter) and the hierarchy (the page list).
    change.ListDisplayChanged = settings.DisplayHierarchy != form.DisplayHierarchy;
    settings.LineBreak = form.LineBreak;
    settings.DisplayHierarchy = form.DisplayHierarchy;

    // Read at start only: stored now, in force after the next start.
    change.RestartNeeded = form.EditorType != started.EditorType ||
                           form.PuttingIntoSystemTray != started.PuttingIntoSystemTray;
    return change;
}

std::string AssignedEditorFromBrowse(std::string_view path) {
    bool quote = false;
    for (char c : path)
        if (c == ' ' || c == '\t' || c == '"') quote = true;
    if (!quote) return std::string(path);
    // The command is split like a shell's words: a blank inside quotes stays in the word,
    // and a quote inside quotes is written three times.
    std::string command = "\"";
    for (char c : path) {
        if (c == '"')
            command += "\"\"\"";
        else
            command += c;
    }
    command += '"';
    return command;
}

} // namespace tarnel
