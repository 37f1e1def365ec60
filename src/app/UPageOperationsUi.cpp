#include "UPageOperationsUi.h"

#include "UQtText.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace tarnel {

std::optional<std::string> TPageOperationsUi::AskText(const std::string& caption,
                                                      const std::string& prompt,
                                                      const std::string& initial) {
    QString c = FromDisplay(caption), p = FromDisplay(prompt), i = FromDisplay(initial);
    std::optional<QString> answer;
    if (TextHook) {
        answer = TextHook(c, p, i);
    } else {
        bool ok = false;
        QString text = QInputDialog::getText(owner_, c, p, QLineEdit::Normal, i, &ok);
        if (ok) answer = text;
    }
    if (!answer) return std::nullopt;
    // A page name holds only what Shift_JIS can name (the page-name codec works on display
    // form); a character outside it would turn into "?" in the file name, so such a name is
    // refused with the error instead of making a page of another name.
    std::string display = ToDisplay(*answer);
    if (FromDisplay(display) != *answer) {
        ShowError(LangText(language_, "Main.Message.NameUnencodable"));
        return std::nullopt;
    }
    return display;
}

std::optional<std::string> TPageOperationsUi::AskFolder(const std::string& caption) {
    QString c = FromDisplay(caption);
    QString folder = FolderHook ? FolderHook(c).value_or(QString())
                                : QFileDialog::getExistingDirectory(owner_, c);
    if (folder.isEmpty()) return std::nullopt;
    return folder.toStdString(); // file-system form: UTF-8
}

TAnswer TPageOperationsUi::Confirm(const std::string& message) {
    QString m = FromDisplay(message);
    if (ConfirmHook) return ConfirmHook(m);
    return AskYesNoCancel(owner_, QApplication::applicationName(), m);
}

void TPageOperationsUi::ShowError(const std::string& message) {
    ++Beeps;
    QApplication::beep();
    QString m = FromDisplay(message);
    if (ErrorHook)
        ErrorHook(m);
    else
        QMessageBox::critical(owner_, QApplication::applicationName(), m);
}

TAnswer AskYesNoCancel(QWidget* owner, const QString& title, const QString& message) {
    switch (QMessageBox::question(owner, title, message,
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return TAnswer::Yes;
    case QMessageBox::No:
        return TAnswer::No;
    default:
        return TAnswer::Cancel;
    }
}

} // namespace tarnel
