// The editing control of the internal editor: QScintilla with what a wiki page needs.
//
// The text is UTF-8 with CR LF line ends, the form TEditedPage loads and saves. Scintilla
// positions are byte offsets into that text, so the engine's find and replace (which work on
// UTF-8 byte offsets) run directly on the control's own buffer, without a copy.
//
// Typing stays fast on big pages because nothing walks the whole text per keystroke. QScintilla
// itself does (see UpdateModificationEvents), so big texts go without its modification notices;
// addresses are coloured by an indicator over the lines on the screen only (no lexer, so no
// restyling to the end of the text), the line-number bar is resized only when the number of
// digits changes, the end mark moves only when the last line does, and the layout cache keeps
// the lines of the visible page.
#pragma once

#include "UEditorProperties.h"
#include "storage/UEditorText.h"

#include <Qsci/qsciscintilla.h>
#include <string_view>

namespace tarnel {

class TEditorControl : public QsciScintilla {
    Q_OBJECT
public:
    explicit TEditorControl(QWidget* parent = nullptr);

    // The whole text (UTF-8, CR LF) as the control holds it; valid until the next change.
    std::string_view TextView() const;
    // Replaces the text, clears the undo history and the modified flag, caret to the start.
    void SetPageText(const std::string& utf8);

    void ApplyProperties(const TEditorProperties& properties);
    const TEditorProperties& Properties() const { return properties_; }
    // Word wrap: 0 none, 1 at the window's edge, 2 at the wrap column; others change nothing.
    void SetWordWrapMode(int mode);
    int WordWrapMode() const { return wrapMode_; }

    // Find from the selection with the options; selects the match. False: not found.
    bool FindNext(const std::string& what, const TSearchOptions& options);
    // Replace: the next match (from the selection's start, so a match that Find selected is
    // the one replaced) becomes `with`, and the caret goes after it. False: not found.
    bool ReplaceNext(const std::string& what, const std::string& with,
                     const TSearchOptions& options);
    // Replace All from the start of the text, as one undo step. The number replaced.
    int ReplaceAllText(const std::string& what, const std::string& with,
                       const TSearchOptions& options);
    // Replaces the selection by `utf8` (inserts at the caret without one).
    void ReplaceSelectionWith(const std::string& utf8);

    // The menu shown for a right click; built by the editor window.
    QMenu* PopupMenu = nullptr;

protected:
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void UpdateView(int updated);
    void UpdateModificationEvents();
    void UpdateLineNumberWidth();
    void UpdateEndMark();
    void UpdateWrapMargin();
    void ColourVisibleAddresses();

    TEditorProperties properties_;
    int wrapMode_ = 0;
    int lineDigits_ = 0;
    int endMarkLine_ = -1;
    bool bigText_ = false;
    long colouredFrom_ = -1, colouredTo_ = -1;
};

} // namespace tarnel
