// The small window shown while a search runs: a label, a progress bar and Cancel. Closing it
// in any way cancels the search; the pages matched so far stay in the results.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tarnel {

class TLanguage;

class TfrmSearching : public QDialog {
    Q_OBJECT
public:
    TfrmSearching(const TLanguage& language, QWidget* parent);
    void SetProgress(int done, int total);
    bool Cancelled() const { return cancelled_; }
    QPushButton* btnCancel;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QLabel* label_;
    QProgressBar* progress_;
    bool cancelled_ = false;
};

} // namespace tarnel
