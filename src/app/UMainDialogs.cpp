// The main window's three dialogs: the settings, the HTML export and the plug-in usage
// window. The decisions are the engine's (render/USettingsChange.h, render/UExportChoices.h);
// here the window opens the dialogs and carries out what they decided.
#include "UHtmlExportDialog.h"
#include "UMain.h"
#include "UPluginHelp.h"
#include "USettingsDialog.h"
#include "UWindowGeometry.h"

#include <QMessageBox>

namespace tarnel {

void TfrmMain::ShowSettings() {
    TTarnelReg& settings = session_->Settings();
    TfrmSettings dialog(session_->Language(), this);
    dialog.MessageHook = MessageHook;
    dialog.Load(SettingsFormOf(settings));
    dialog.ApplyLanguage();
    if (dialog.exec() != QDialog::Accepted) return;

    // 1-4 and 6: the settings take the dialog's values.
    TSettingsChange change =
        ApplySettingsForm(settings, dialog.Form(), {editorType_, triMain_ != nullptr});
    // 5: the restrictions at once.
    ApplyRestrictions();
    // 2, 3, 6-8: the converter and the lists take the new options; the page list is read
    // again when its extension or name encoding changed.
    session_->ApplySettings();
    side_->RefreshResults();
    // 9: the page list once more, and the page shown again in the new options.
    RefreshFileList();
    if (side_->SelectedPage() >= 0) ReshowDocument();
    // The editor type and the notification area wait for the next start; the dialog's
    // notes said so, the status bar says it once more.
    if (change.RestartNeeded)
        stbHint_->showMessage(LangQ(session_->Language(), "Settings.Wiki.View.Required"));
}

void TfrmMain::ShowExport() {
    TTarnelReg& settings = session_->Settings();
    TTemplate& templates = session_->Templates();
    TExportChoices choices;
    {
        TfrmHtmlExportSettings dialog(session_->Language(), this);
        dialog.MessageHook = MessageHook;
        dialog.ApplyLanguage();
        dialog.Place(settings, DesktopOf(this));
        dialog.Load(ExportChoicesOf(settings, templates), session_->PageList(),
                    side_->SelectedPage(), templates.GetExportTemplates(),
                    templates.GetListTemplates());
        int answer = dialog.exec();
        dialog.StoreGeometry(settings);
        if (answer != QDialog::Accepted) return;
        choices = dialog.Choices();
    }
    StoreExportChoices(settings, templates, choices);
    if (choices.folder.empty()) return;
    RefreshFileList();

    // The page list and the session are the export's until it ends: an outside change
    // of the page shown is not followed meanwhile (as during a search).
    searching_ = true;
    struct EndExport {
        bool& busy;
        ~EndExport() { busy = false; }
    } end{searching_};
    TExportReport report =
        RunExport(*session_, ExportOptionsOf(choices), this, [this](const QString& question) {
            return QuestionHook ? QuestionHook(question)
                                : QMessageBox::question(this, windowTitle(), question,
                                                        QMessageBox::Yes | QMessageBox::No |
                                                            QMessageBox::Cancel);
        });
    RefreshFileList();

    QString text = ExportReportText(report);
    if (MessageHook) {
        MessageHook(text);
    } else if (report.success && report.warnings.empty()) {
        QMessageBox::information(this, windowTitle(), text);
    } else {
        // A long list of failures goes into the details, the summary stays readable.
        QMessageBox box(QMessageBox::Warning, windowTitle(), text.section(QLatin1Char('\n'), 0, 20),
                        QMessageBox::Ok, this);
        if (report.failures.size() + report.warnings.size() > 15) box.setDetailedText(text);
        box.exec();
    }
}

void TfrmMain::ShowPluginHelp() {
    auto* window = findChild<TfrmPluginHelp*>();
    if (!window) {
        // Filled once, when it is first shown; the shelf does not change while the
        // program runs.
        window = new TfrmPluginHelp(session_->Language(), session_->Settings(), this);
        window->Fill(session_->Plugins());
        window->Place(DesktopOf(this));
    }
    window->ApplyLanguage();
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace tarnel
