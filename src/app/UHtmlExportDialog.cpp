#include "UHtmlExportDialog.h"

#include "UWindowGeometry.h"

#include "render/UWikiSession.h"
#include "storage/UWikiFileList.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>
#include <thread>

namespace tarnel {

namespace {

// Engine messages are display form; messages of the system are UTF-8 (ASCII reads the same).
QString FromMessage(const std::string& text) {
    bool utf8 = text.empty() || !Utf8ToShiftJis(text).empty();
    return utf8 ? FromUtf8(text) : FromDisplay(text);
}

} // namespace

TfrmHtmlExportSettings::TfrmHtmlExportSettings(const TLanguage& language, QWidget* parent)
    : QDialog(parent), language_(language) {
    setObjectName(QStringLiteral("frmHtmlExportSettings"));
    setModal(true);
    captions_.AddTitle(this, "HtmlExport.Title");
    auto group = [&](const char* key) { return captions_.Add(new QGroupBox(this), key); };
    auto check = [&](const char* key, const char* hint) {
        auto* box = captions_.Add(new QCheckBox(this), key);
        captions_.AddHint(box, hint);
        return box;
    };

    // The folder with its browse button.
    QGroupBox* folder = group("HtmlExport.ExportFolder.Caption");
    edtFolder = new QLineEdit(folder);
    btnBrowse = captions_.Add(new QPushButton(folder), "HtmlExport.ExportFolder.Button");
    auto* folderRow = new QHBoxLayout(folder);
    folderRow->addWidget(edtFolder, 1);
    folderRow->addWidget(btnBrowse);

    // The page template, the index with its template.
    QGroupBox* templates = group("HtmlExport.Template.Caption");
    cmbTemplate = new QComboBox(templates);
    auto* templateRow = new QVBoxLayout(templates);
    templateRow->addWidget(cmbTemplate);
    ckbMakeIndex = check("HtmlExport.MakeIndex.Check", "HtmlExport.MakeIndex.Hint");
    cmbIndexTemplate = new QComboBox(this);
    captions_.AddHint(cmbIndexTemplate, "HtmlExport.IndexTemplate.Hint");
    auto* indexRow = new QHBoxLayout;
    indexRow->addWidget(ckbMakeIndex);
    indexRow->addWidget(captions_.Add(new QLabel(this), "HtmlExport.IndexTemplate.Caption"));
    indexRow->addWidget(cmbIndexTemplate, 1);

    // File names, encoding, and the three choices of what else is written.
    QGroupBox* names = group("HtmlExport.FileName.Caption");
    rdbStandard = captions_.Add(new QRadioButton(names), "HtmlExport.FileName.Radio.Standard");
    rdbTitle = captions_.Add(new QRadioButton(names), "HtmlExport.FileName.Radio.Title");
    auto* namesRow = new QHBoxLayout(names);
    namesRow->addWidget(rdbStandard);
    namesRow->addWidget(rdbTitle);
    namesRow->addStretch();
    ckbNoModifyExport = check("HtmlExport.NoModifyExport.Check", "HtmlExport.NoModifyExport.Hint");
    QGroupBox* charset = group("HtmlExport.CharacterSet.Caption");
    // The encodings are named as they are known everywhere; there is nothing to translate.
    rdbSjis = new QRadioButton(QStringLiteral("SJIS"), charset);
    rdbEuc = new QRadioButton(QStringLiteral("EUC"), charset);
    rdbUtf8 = new QRadioButton(QStringLiteral("UTF8"), charset);
    auto* charsetRow = new QHBoxLayout(charset);
    charsetRow->addWidget(rdbSjis);
    charsetRow->addWidget(rdbEuc);
    charsetRow->addWidget(rdbUtf8);
    ckbCopyFolder = check("HtmlExport.CopyFolder.Check", "HtmlExport.CopyFolder.Hint");

    // All pages, or the pages chosen in the list.
    QGroupBox* target = group("HtmlExport.ExportTarget.Caption");
    rdbAll = captions_.Add(new QRadioButton(target), "HtmlExport.ExportTarget.Radio.All");
    rdbIndication =
        captions_.Add(new QRadioButton(target), "HtmlExport.ExportTarget.Radio.Indication");
    lsbFiles = new QListWidget(target);
    lsbFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* targetColumn = new QVBoxLayout(target);
    targetColumn->addWidget(rdbAll);
    targetColumn->addWidget(rdbIndication);
    targetColumn->addWidget(lsbFiles, 1);

    btnOk = captions_.Add(new QPushButton(this), "HtmlExport.Ok.Button");
    btnCancel = captions_.Add(new QPushButton(this), "HtmlExport.Cancel.Button");
    btnOk->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(folder);
    layout->addWidget(templates);
    layout->addLayout(indexRow);
    layout->addWidget(names);
    layout->addWidget(ckbNoModifyExport);
    layout->addWidget(charset);
    layout->addWidget(ckbCopyFolder);
    layout->addWidget(target, 1);
    layout->addLayout(buttons);

    connect(btnBrowse, &QPushButton::clicked, this, [this] { Browse(); });
    connect(btnOk, &QPushButton::clicked, this, &TfrmHtmlExportSettings::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ckbMakeIndex, &QCheckBox::toggled, this, [this] { EnableControls(); });
    connect(rdbIndication, &QRadioButton::toggled, this, [this] { EnableControls(); });
    resize(440, 460);
}

void TfrmHtmlExportSettings::Load(const TExportChoices& choices, const TWikiFileList& pages,
                                  int currentRow, const std::vector<std::string>& exportTemplates,
                                  const std::vector<std::string>& listTemplates) {
    edtFolder->setText(FromUtf8(choices.folder));
    auto fill = [](QComboBox* combo, const std::vector<std::string>& names,
                   const std::string& chosen) {
        combo->clear();
        for (const std::string& name : names)
            combo->addItem(FromUtf8(name));
        combo->setCurrentIndex(TemplateChoice(names, chosen));
    };
    fill(cmbTemplate, exportTemplates, choices.exportTemplate);
    fill(cmbIndexTemplate, listTemplates, choices.listTemplate);
    ckbMakeIndex->setChecked(choices.index);
    (choices.fileNameKind == TExportFileNameKind::Title ? rdbTitle : rdbStandard)->setChecked(true);
    ckbNoModifyExport->setChecked(choices.oldFile);
    switch (choices.encoding) {
    case TExportEncoding::ShiftJis:
        rdbSjis->setChecked(true);
        break;
    case TExportEncoding::EucJp:
        rdbEuc->setChecked(true);
        break;
    case TExportEncoding::Utf8:
        rdbUtf8->setChecked(true);
        break;
    }
    ckbCopyFolder->setChecked(choices.copyFolders);
    (choices.all ? rdbAll : rdbIndication)->setChecked(true);

    lsbFiles->clear();
    fileNames_.clear();
    for (int i = 0; i < pages.Count(); ++i) {
        lsbFiles->addItem(FromDisplay(pages.PageName(i)));
        fileNames_.push_back(pages.FileName(i));
    }
    if (currentRow >= 0 && currentRow < lsbFiles->count()) {
        QListWidgetItem* current = lsbFiles->item(currentRow);
        lsbFiles->setCurrentItem(current);
        lsbFiles->scrollToItem(current, QAbstractItemView::PositionAtTop);
    }
    EnableControls();
}

void TfrmHtmlExportSettings::ApplyLanguage() {
    captions_.Apply(language_);
}

TExportChoices TfrmHtmlExportSettings::Choices() const {
    TExportChoices choices;
    choices.folder = edtFolder->text().toStdString();
    choices.encoding = rdbEuc->isChecked()    ? TExportEncoding::EucJp
                       : rdbUtf8->isChecked() ? TExportEncoding::Utf8
                                              : TExportEncoding::ShiftJis;
    choices.fileNameKind =
        rdbTitle->isChecked() ? TExportFileNameKind::Title : TExportFileNameKind::Standard;
    choices.all = !rdbIndication->isChecked();
    choices.copyFolders = ckbCopyFolder->isChecked();
    choices.index = ckbMakeIndex->isChecked();
    choices.oldFile = ckbNoModifyExport->isChecked();
    choices.exportTemplate = cmbTemplate->currentText().toStdString();
    choices.listTemplate = cmbIndexTemplate->currentText().toStdString();
    for (int i = 0; i < lsbFiles->count(); ++i)
        if (lsbFiles->item(i)->isSelected())
            choices.chosenPages.push_back(fileNames_[static_cast<std::size_t>(i)]);
    return choices;
}

void TfrmHtmlExportSettings::Place(const TTarnelReg& settings, const TDesktopArea& desktop) {
    setGeometry(CorrectedGeometry(desktop, settings.ExportTop, settings.ExportLeft,
                                  settings.ExportHeight, settings.ExportWidth, 460, 440));
}

void TfrmHtmlExportSettings::StoreGeometry(TTarnelReg& settings) const {
    QRect frame = geometry();
    settings.ExportTop = frame.top();
    settings.ExportLeft = frame.left();
    settings.ExportHeight = frame.height();
    settings.ExportWidth = frame.width();
}

void TfrmHtmlExportSettings::Browse() {
    QString folder = BrowseHook ? BrowseHook()
                                : QFileDialog::getExistingDirectory(
                                      this, LangQ(language_, "HtmlExport.ExportFolder.Caption"),
                                      edtFolder->text());
    if (!folder.isEmpty()) edtFolder->setText(folder);
}

void TfrmHtmlExportSettings::accept() {
    if (!ExportFolderExists(edtFolder->text().toStdString())) {
        QApplication::beep();
        QString text =
            FormatQ(LangQ(language_, "HtmlExport.FolderNotFound.Format"), edtFolder->text());
        if (MessageHook)
            MessageHook(text);
        else
            QMessageBox::warning(this, windowTitle(), text);
        return;
    }
    QDialog::accept();
}

void TfrmHtmlExportSettings::EnableControls() {
    cmbIndexTemplate->setEnabled(ckbMakeIndex->isChecked());
    lsbFiles->setEnabled(rdbIndication->isChecked());
}

// --- The run ---------------------------------------------------------------------------------

TfrmExporting::TfrmExporting(const TLanguage& language, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmExporting"));
    setWindowTitle(LangQ(language, "HtmlExport.Progress.Title"));
    auto* label = new QLabel(LangQ(language, "HtmlExport.Progress.Caption"), this);
    prgExport = new QProgressBar(this);
    btnCancel = new QPushButton(LangQ(language, "HtmlExport.Progress.Cancel.Button"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(prgExport);
    layout->addWidget(btnCancel, 0, Qt::AlignRight);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmExporting::reject);
    // The main window takes no input while the export runs.
    setWindowModality(Qt::ApplicationModal);
    resize(320, sizeHint().height());
}

void TfrmExporting::SetProgress(int done, int total) {
    if (prgExport->maximum() != total) prgExport->setRange(0, total);
    prgExport->setValue(done);
}

void TfrmExporting::reject() {
    // Closing the window (Escape, the frame's button, Cancel) only asks the run to stop;
    // the window goes when the run has.
    cancelled_ = true;
}

TExportReport RunExport(TWikiSession& session, TExportOptions options, QWidget* parent,
                        const TExportQuestion& ask) {
    const TLanguage& language = session.Language();
    options.refreshPageList = false;
    for (;;) {
        TfrmExporting progress(language, parent);
        progress.show();

        // The thread only reads the session (its settings, templates, plug-ins and page
        // list) while this thread only draws: the progress window is modal, and the main
        // window follows no outside change until the run is over.
        std::atomic<int> done{0}, total{0};
        TExportResult result;
        std::exception_ptr error;
        QEventLoop loop;
        QTimer poll;
        poll.setInterval(30);
        QObject::connect(&poll, &QTimer::timeout, &progress,
                         [&] { progress.SetProgress(done.load(), total.load()); });
        poll.start();
        std::thread worker([&] {
            try {
                result = ExportHtml(session, options, [&](int d, int t) {
                    done.store(d);
                    total.store(t);
                    return !progress.Cancelled();
                });
            } catch (...) {
                error = std::current_exception();
            }
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
        worker.join();
        poll.stop();

        try {
            if (error) std::rethrow_exception(error);
            return ReportOfExport(language, result);
        } catch (const EExportForeignFiles& e) {
            // Nothing is written yet. The user's own files go only when the user says so.
            progress.hide();
            QStringList files;
            for (const std::string& file : e.Files) {
                if (files.size() == 10) {
                    files << QStringLiteral("...");
                    break;
                }
                files << FromUtf8(file);
            }
            QString question = FormatQ(LangQ(language, "HtmlExport.Message.Overwrite.Format"),
                                       files.join(QStringLiteral(", ")));
            if (options.overwriteForeign || !ask || ask(question) != QMessageBox::Yes)
                return ReportOfStoppedExport(language, true, e.what());
            options.overwriteForeign = true;
        } catch (const std::exception& e) {
            return ReportOfStoppedExport(language, progress.Cancelled(), e.what());
        }
    }
}

QString ExportReportText(const TExportReport& report) {
    QString text = FromMessage(report.summary);
    for (const std::string& failure : report.failures)
        text += QLatin1Char('\n') + FromMessage(failure);
    for (const std::string& warning : report.warnings)
        text += QLatin1Char('\n') + FromUtf8(warning);
    return text;
}

} // namespace tarnel
