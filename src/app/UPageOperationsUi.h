// The dialogs of the page file commands: the input boxes, the folder dialog, the Yes/No/Cancel
// confirmation and the error with a beep. TPageOperations (the engine) decides what to ask;
// this unit only asks it. Every dialog has a hook so that the desktop tests answer without a
// window; a hook that is not set leaves the real dialog.
#pragma once

#include "render/UPageOperations.h"

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace tarnel {

class TPageOperationsUi : public IPageOperationsUi {
public:
    // `commitEditor` is the main window's SaveIfModified of the internal editor.
    TPageOperationsUi(QWidget* owner, const TLanguage& language, std::function<bool()> commitEditor)
        : owner_(owner), language_(language), commitEditor_(std::move(commitEditor)) {}

    std::optional<std::string> AskText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override;
    std::optional<std::string> AskFolder(const std::string& caption) override;
    TAnswer Confirm(const std::string& message) override;
    void ShowError(const std::string& message) override;
    bool CommitEditor() override { return !commitEditor_ || commitEditor_(); }

    // --- For the desktop tests --------------------------------------------------------------
    // The input box: (caption, prompt, initial text) -> the answer, nothing for Cancel.
    std::function<std::optional<QString>(const QString&, const QString&, const QString&)> TextHook;
    std::function<std::optional<QString>(const QString&)> FolderHook;
    std::function<TAnswer(const QString&)> ConfirmHook;
    std::function<void(const QString&)> ErrorHook;
    int Beeps = 0; // beeps sounded with an error, counted for the tests

private:
    QWidget* owner_;
    const TLanguage& language_;
    std::function<bool()> commitEditor_;
};

// A Yes/No/Cancel question in a message box, for every confirmation of the program.
TAnswer AskYesNoCancel(QWidget* owner, const QString& title, const QString& message);

} // namespace tarnel
