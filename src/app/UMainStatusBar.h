// The status bar of the main window: menu and button hints, and the address under the mouse
// with page links named by their page ("%sへ移動", "%sを新規作成"), and, while a big page is
// being converted, a busy bar with the page's name at the right.
#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

namespace tarnel {

class TMainStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TMainStatusBar(QWidget* parent = nullptr)
        : QStatusBar(parent), lblProgress(new QLabel(this)), prbProgress(new QProgressBar(this)) {
        setObjectName(QStringLiteral("stbHint"));
        lblProgress->setObjectName(QStringLiteral("lblProgress"));
        prbProgress->setObjectName(QStringLiteral("prbProgress"));
        prbProgress->setRange(0, 0); // busy: how far a conversion is, nobody knows
        prbProgress->setMaximumWidth(120);
        prbProgress->setMaximumHeight(14);
        prbProgress->setTextVisible(false);
        addPermanentWidget(lblProgress);
        addPermanentWidget(prbProgress);
        ShowProgress(QString());
    }
    // The text of a page being converted (empty: none is).
    void ShowProgress(const QString& text) {
        lblProgress->setText(text);
        lblProgress->setVisible(!text.isEmpty());
        prbProgress->setVisible(!text.isEmpty());
    }
    QString ProgressText() const {
        return lblProgress->isVisible() ? lblProgress->text() : QString();
    }

    QLabel* lblProgress;
    QProgressBar* prbProgress;
    // `text` is what the engine made of the hovered address (empty: the mouse left a link).
    void ShowLinkText(const QString& text) {
        if (text.isEmpty())
            clearMessage();
        else
            showMessage(text);
    }
};

} // namespace tarnel
