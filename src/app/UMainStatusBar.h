// The status bar of the main window: menu and button hints, and the address under the mouse
// with page links named by their page ("%sへ移動", "%sを新規作成").
#pragma once

#include <QStatusBar>

namespace tarnel {

class TMainStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TMainStatusBar(QWidget* parent = nullptr) : QStatusBar(parent) {
        setObjectName(QStringLiteral("stbHint"));
    }
    // `text` is what the engine made of the hovered address (empty: the mouse left a link).
    void ShowLinkText(const QString& text) {
        if (text.isEmpty())
            clearMessage();
        else
            showMessage(text);
    }
};

} // namespace tarnel
