#include "render/UExportChoices.h"

#include <algorithm>
#include <filesystem>

namespace tarnel {

TExportChoices ExportChoicesOf(const TTarnelReg& settings, const TTemplate& templates) {
    TExportChoices choices;
    choices.folder = settings.ExportFolder;
    choices.encoding = settings.ExportEncoding;
    choices.fileNameKind = settings.ExportFileNameKind;
    choices.all = settings.ExportAll;
    choices.copyFolders = settings.ExportCopyFolder;
    choices.index = settings.ExportIndex;
    choices.oldFile = settings.ExportOldFile;
    choices.exportTemplate = templates.ExportFileName;
    choices.listTemplate = templates.ListFileName;
    return choices;
}

int TemplateChoice(const std::vector<std::string>& names, const std::string& chosen) {
    if (names.empty()) return -1;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == chosen) return static_cast<int>(i);
    return 0;
}

void StoreExportChoices(TTarnelReg& settings, TTemplate& templates, const TExportChoices& choices) {
    settings.ExportEncoding = choices.encoding;
    settings.ExportFileNameKind = choices.fileNameKind;
    settings.ExportFolder = choices.folder;
    templates.ExportFileName = choices.exportTemplate;
    settings.ExportAll = choices.all;
    settings.ExportCopyFolder = choices.copyFolders;
    settings.ExportIndex = choices.index;
    templates.ListFileName = choices.listTemplate;
    settings.ExportOldFile = choices.oldFile;
}

TExportOptions ExportOptionsOf(const TExportChoices& choices) {
    TExportOptions options;
    options.folder = choices.folder;
    options.encoding = choices.encoding;
    options.fileNameKind = choices.fileNameKind;
    options.all = choices.all;
    if (!choices.all) options.pages.insert(choices.chosenPages.begin(), choices.chosenPages.end());
    options.copyFolders = choices.copyFolders;
    options.index = choices.index;
    options.oldFile = choices.oldFile;
    return options;
}

bool ExportFolderExists(const std::string& folder) {
    std::error_code ec;
    return !folder.empty() && std::filesystem::is_directory(folder, ec);
}

TExportReport ReportOfExport(const TLanguage& language, const TExportResult& result) {
    TExportReport report;
    report.success = result.failed == 0 && result.failures.empty();
    report.summary =
        LangText(language, report.success ? "HtmlExport.Result.Done" : "HtmlExport.Result.Failed");
    auto line = [&](const char* key, int count) {
        report.summary += "\n" + FormatText(LangText(language, key), std::to_string(count));
    };
    line("HtmlExport.Result.Written.Format", result.written);
    if (result.unchanged) line("HtmlExport.Result.Unchanged.Format", result.unchanged);
    if (!report.success)
        line("HtmlExport.Result.NotWritten.Format",
             std::max(result.failed, static_cast<int>(result.failures.size())));
    report.failures = result.failures;
    report.warnings = result.warnings;
    return report;
}

TExportReport ReportOfStoppedExport(const TLanguage& language, bool cancelled,
                                    const std::string& message) {
    TExportReport report;
    report.success = false;
    if (cancelled) {
        report.summary = LangText(language, "HtmlExport.Result.Cancelled");
    } else {
        report.summary = LangText(language, "HtmlExport.Result.Error");
        report.failures.push_back(message);
    }
    return report;
}

} // namespace tarnel
