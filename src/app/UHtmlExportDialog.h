// The HTML export as the desktop runs it: the dialog TfrmHtmlExportSettings that collects
// the choices, and the progress window TfrmExporting with Cancel while the engine's export
// run writes the files (render/UHtmlExport.h). What the choices mean, what OK stores and how
// the result is reported are engine decisions (render/UExportChoices.h).
#pragma once

#include "UDialogCaptions.h"
#include "render/UExportChoices.h"
#include "render/UWindowPlace.h"

#include <QDialog>
#include <atomic>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tarnel {

class TLanguage;
class TWikiFileList;
class TWikiSession;

class TfrmHtmlExportSettings : public QDialog {
    Q_OBJECT
public:
    TfrmHtmlExportSettings(const TLanguage& language, QWidget* parent);

    // Fills the controls: the choices, the page list's pages in list order with the entry
    // `currentRow` (the page shown) selected and scrolled to the top, and the two template
    // combos with the chosen template selected (else the first).
    void Load(const TExportChoices& choices, const TWikiFileList& pages, int currentRow,
              const std::vector<std::string>& exportTemplates,
              const std::vector<std::string>& listTemplates);
    void ApplyLanguage();
    // The controls read back; the chosen pages by their file names.
    TExportChoices Choices() const;
    // The stored place and size (ExportTop, ExportLeft, ExportHeight, ExportWidth), brought
    // back onto `desktop`; and stored back after the dialog closed.
    void Place(const TTarnelReg& settings, const TDesktopArea& desktop);
    void StoreGeometry(TTarnelReg& settings) const;
    // The browse button: a folder dialog starting at the edit's folder.
    void Browse();

    std::function<QString()> BrowseHook;
    std::function<void(const QString&)> MessageHook;

    QLineEdit* edtFolder;
    QPushButton* btnBrowse;
    QComboBox *cmbTemplate, *cmbIndexTemplate;
    QCheckBox *ckbMakeIndex, *ckbNoModifyExport, *ckbCopyFolder;
    QRadioButton *rdbStandard, *rdbTitle, *rdbSjis, *rdbEuc, *rdbUtf8, *rdbAll, *rdbIndication;
    QListWidget* lsbFiles;
    QPushButton *btnOk, *btnCancel;

public slots:
    // OK closes only when the folder edit names an existing folder.
    void accept() override;

private:
    void EnableControls();

    const TLanguage& language_;
    TDialogCaptions captions_;
    std::vector<std::string> fileNames_; // page file names of lsbFiles' rows
};

// The small window shown while the export runs: a label, a progress bar and Cancel. Closing
// it in any way cancels the export; the files written so far stay.
class TfrmExporting : public QDialog {
    Q_OBJECT
public:
    TfrmExporting(const TLanguage& language, QWidget* parent);
    void SetProgress(int done, int total);
    // Read by the export's thread.
    bool Cancelled() const { return cancelled_.load(); }
    QProgressBar* prgExport;
    QPushButton* btnCancel;

public slots:
    void reject() override;

private:
    std::atomic<bool> cancelled_{false};
};

// The Yes/No/Cancel question; returns QMessageBox::Yes, No or Cancel.
using TExportQuestion = std::function<int(const QString& question)>;

// Runs the export in a thread of its own while the progress window shows how far it is and
// the program keeps answering. The page list must have been read just before: the run reads
// it as it stands, and the window goes on drawing it. Files in the folder that Tarnel did not
// write are overwritten only after `ask` was answered Yes. Every outcome is a report:
// written, cancelled, or stopped by an error.
TExportReport RunExport(TWikiSession& session, TExportOptions options, QWidget* parent,
                        const TExportQuestion& ask);

// The report as one text: the summary, then every page not written with its reason.
QString ExportReportText(const TExportReport& report);

} // namespace tarnel
