#include "UEditorControl.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QWheelEvent>
#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <algorithm>

namespace tarnel {

namespace {

constexpr int kAddressIndicator = 8; // the first indicator free for containers
constexpr int kEndMarkStyle = 40;    // a style for the "[EOF]" annotation
const QColor kAddressColour(0, 0, 224);
// Texts longer than this (bytes) type without modification notices; see
// UpdateModificationEvents.
constexpr long kBigText = 256 * 1024;

// QScintilla's accessibility interface turns the caret's byte position into a character
// offset, a count from the start of the text, at every caret move and paint: 100 ms per
// keystroke at 10 MB. Without an assistive technology running, the control gets Qt's plain
// widget interface instead; with one, QScintilla's own (slow on big pages, but readable).
QAccessibleInterface* PlainAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String("tarnel::TEditorControl") || QAccessible::isActive())
        return nullptr;
    auto* widget = qobject_cast<QWidget*>(object);
    return widget ? new QAccessibleWidget(widget, QAccessible::EditableText) : nullptr;
}

} // namespace

TEditorControl::TEditorControl(QWidget* parent) : QsciScintilla(parent) {
    // Installed after QScintilla's own factory (made by the first control), so it is asked
    // first.
    static const bool plainAccessible = [] {
        QAccessible::installFactory(PlainAccessible);
        return true;
    }();
    (void)plainAccessible;
    setObjectName(QStringLiteral("edtText"));
    setUtf8(true);
    setEolMode(EolWindows);
    setCaretLineVisible(false);
    setMarginWidth(1, 0);
    // The window's actions own these keys (their menus and enabled states); bound in the
    // control too, the control would take them first.
    const QKeyCombination windowKeys[] = {
        Qt::CTRL | Qt::Key_Z,      Qt::CTRL | Qt::Key_X,          Qt::CTRL | Qt::Key_C,
        Qt::CTRL | Qt::Key_V,      Qt::CTRL | Qt::Key_A,          Qt::SHIFT | Qt::Key_Delete,
        Qt::CTRL | Qt::Key_Insert, Qt::SHIFT | Qt::Key_Insert,    Qt::CTRL | Qt::Key_S,
        Qt::CTRL | Qt::Key_W,      Qt::CTRL | Qt::Key_F,          Qt::CTRL | Qt::Key_R,
        Qt::CTRL | Qt::Key_Tab,    Qt::CTRL | Qt::ALT | Qt::Key_Z};
    for (QsciCommand* command : standardCommands()->commands()) {
        for (QKeyCombination key : windowKeys) {
            if (command->key() == key.toCombined()) command->setKey(0);
            if (command->alternateKey() == key.toCombined()) command->setAlternateKey(0);
        }
    }

    // Speed on big pages: the layout of the lines on the screen is kept between keystrokes
    // (the default keeps only the caret line), and wrapping is done for the visible part
    // first, the rest in the background.
    SendScintilla(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
    SendScintilla(SCI_SETPOSITIONCACHE, 1024);
    SendScintilla(SCI_SETIDLESTYLING, SC_IDLESTYLING_ALL);
    // The horizontal scroll bar follows the longest line seen, not a measure of every line.
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
    SendScintilla(SCI_SETSCROLLWIDTH, 1);

    setIndicatorForegroundColor(kAddressColour, kAddressIndicator);
    SendScintilla(SCI_INDICSETSTYLE, kAddressIndicator, INDIC_TEXTFORE);
    SendScintilla(SCI_INDICSETUNDER, kAddressIndicator, 1);
    SendScintilla(SCI_ANNOTATIONSETVISIBLE, ANNOTATION_STANDARD);

    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, &TEditorControl::UpdateView);
    ApplyProperties(properties_);
}

std::string_view TEditorControl::TextView() const {
    auto* self = const_cast<TEditorControl*>(this);
    long length = self->SendScintilla(SCI_GETLENGTH);
    auto* text = reinterpret_cast<const char*>(self->SendScintilla(SCI_GETCHARACTERPOINTER));
    return std::string_view(text, std::size_t(length));
}

void TEditorControl::SetPageText(const std::string& utf8) {
    // Loading a big text sends no notices either.
    bigText_ = true;
    SendScintilla(SCI_SETMODEVENTMASK, 0);
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_ANNOTATIONCLEARALL);
    endMarkLine_ = -1;
    colouredFrom_ = colouredTo_ = -1;
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    // With wrapping on, QScintilla lays out every inserted line at once (0.6 s a megabyte);
    // inserted unwrapped and wrapped afterwards, the lines on the screen are wrapped at once
    // and the rest in the background.
    const long wrap = SendScintilla(SCI_GETWRAPMODE);
    if (wrap != SC_WRAP_NONE) SendScintilla(SCI_SETWRAPMODE, SC_WRAP_NONE);
    SendScintilla(SCI_ADDTEXT, utf8.size(), utf8.data());
    if (wrap != SC_WRAP_NONE) SendScintilla(SCI_SETWRAPMODE, wrap);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETSAVEPOINT);
    UpdateModificationEvents();
    SendScintilla(SCI_GOTOPOS, 0);
    SendScintilla(SCI_SCROLLCARET);
    UpdateLineNumberWidth();
    UpdateEndMark();
}

void TEditorControl::ApplyProperties(const TEditorProperties& p) {
    properties_ = p;
    QFont font(QString::fromStdString(p.FontFamily), p.FontSize);
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);
    // Without a lexer every style takes the default style's font.
    SendScintilla(SCI_STYLESETFONT, STYLE_DEFAULT, font.family().toUtf8().constData());
    SendScintilla(SCI_STYLESETSIZE, STYLE_DEFAULT, p.FontSize);
    SendScintilla(SCI_STYLECLEARALL);
    setMarginsFont(font);
    SendScintilla(SCI_STYLESETFORE, kEndMarkStyle, QColor(128, 128, 128));
    SendScintilla(SCI_STYLESETBACK, kEndMarkStyle, QColor(240, 240, 240));
    setTabWidth(p.TabWidth);
    setEolVisibility(p.LineEnds);
    setBraceMatching(p.Brackets ? SloppyBraceMatch : NoBraceMatch);
    setMatchedBraceForegroundColor(QColor(192, 0, 0));
    setMatchedBraceBackgroundColor(QColor(255, 255, 160));
    lineDigits_ = 0;
    UpdateLineNumberWidth();
    endMarkLine_ = -1;
    SendScintilla(SCI_ANNOTATIONCLEARALL);
    UpdateEndMark();
    colouredFrom_ = colouredTo_ = -1;
    if (!p.Addresses) {
        SendScintilla(SCI_SETINDICATORCURRENT, kAddressIndicator);
        SendScintilla(SCI_INDICATORCLEARRANGE, 0, SendScintilla(SCI_GETLENGTH));
    }
    ColourVisibleAddresses();
    if (wrapMode_ == 2) {
        setEdgeColumn(p.WrapColumn);
        UpdateWrapMargin();
    }
}

void TEditorControl::SetWordWrapMode(int mode) {
    if (mode < 0 || mode > 2) return;
    wrapMode_ = mode;
    setWrapMode(mode == 0 ? WrapNone : WrapWord);
    setWrapVisualFlags(mode == 0 ? WrapFlagNone : WrapFlagByBorder);
    // Mode 1 has only the vertical scroll bar; 0 and 2 both.
    SendScintilla(SCI_SETHSCROLLBAR, mode != 1);
    setEdgeMode(mode == 2 ? EdgeLine : EdgeNone);
    if (mode == 2) setEdgeColumn(properties_.WrapColumn);
    UpdateWrapMargin();
}

void TEditorControl::UpdateWrapMargin() {
    // Scintilla wraps at the window's edge; for a given column the right margin takes up
    // the room beyond it.
    int right = 0;
    if (wrapMode_ == 2) {
        int charWidth = int(SendScintilla(SCI_TEXTWIDTH, STYLE_DEFAULT, "M"));
        int leftBar = 0;
        for (int margin = 0; margin < 5; ++margin)
            leftBar += int(SendScintilla(SCI_GETMARGINWIDTHN, margin));
        int text = viewport()->width() - leftBar;
        right = std::max(0, text - properties_.WrapColumn * charWidth - charWidth / 2);
    }
    SendScintilla(SCI_SETMARGINRIGHT, right);
}

void TEditorControl::resizeEvent(QResizeEvent* event) {
    QsciScintilla::resizeEvent(event);
    if (wrapMode_ == 2) UpdateWrapMargin();
}

void TEditorControl::wheelEvent(QWheelEvent* event) {
    // One wheel step scrolls one line: up for a forward turn, down for a backward one.
    int steps = event->angleDelta().y() / 120;
    if (steps == 0 || event->modifiers() != Qt::NoModifier) {
        QsciScintilla::wheelEvent(event);
        return;
    }
    SendScintilla(SCI_LINESCROLL, 0, -steps);
    event->accept();
}

QVariant TEditorControl::inputMethodQuery(Qt::InputMethodQuery query) const {
    // An input method asks for the text around the caret after every keystroke. QScintilla
    // answers with the whole text (and counts the caret's offset from its start), 50 ms at
    // 10 MB; the caret's line is what input methods use, as in Qt's own text widgets.
    switch (query) {
    case Qt::ImSurroundingText:
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition: {
        auto* self = const_cast<TEditorControl*>(this);
        long caret = self->SendScintilla(SCI_GETCURRENTPOS);
        long anchor = self->SendScintilla(SCI_GETANCHOR);
        long line = self->SendScintilla(SCI_LINEFROMPOSITION, caret);
        long start = self->SendScintilla(SCI_POSITIONFROMLINE, line);
        long end = self->SendScintilla(SCI_GETLINEENDPOSITION, line);
        std::string_view text = TextView();
        auto chars = [&](long from, long to) {
            from = std::clamp(from, start, end);
            to = std::clamp(to, start, end);
            return QString::fromUtf8(text.data() + from, qsizetype(to - from));
        };
        if (query == Qt::ImSurroundingText) return chars(start, end);
        long at = query == Qt::ImCursorPosition ? caret : anchor;
        return int(chars(start, at).size());
    }
    default:
        return QsciScintilla::inputMethodQuery(query);
    }
}

void TEditorControl::contextMenuEvent(QContextMenuEvent* event) {
    if (!PopupMenu) {
        QsciScintilla::contextMenuEvent(event);
        return;
    }
    PopupMenu->popup(event->globalPos());
    event->accept();
}

void TEditorControl::UpdateModificationEvents() {
    // QScintilla answers every modification notice by turning its byte position into a
    // character offset for the accessibility interface, a count from the start of the text:
    // 40 ms per keystroke at 10 MB. Big pages go without the notices (and without a screen
    // reader's text events); nothing of Tarnel's listens to them.
    bool big = SendScintilla(SCI_GETLENGTH) > kBigText;
    if (big == bigText_) return;
    bigText_ = big;
    SendScintilla(SCI_SETMODEVENTMASK, big ? 0 : SC_MODEVENTMASKALL);
}

void TEditorControl::UpdateView(int updated) {
    if (updated & SC_UPDATE_CONTENT) {
        UpdateModificationEvents();
        UpdateLineNumberWidth();
        UpdateEndMark();
        colouredFrom_ = colouredTo_ = -1;
    }
    ColourVisibleAddresses();
}

void TEditorControl::UpdateLineNumberWidth() {
    if (!properties_.LineNumbers) {
        setMarginWidth(0, 0);
        lineDigits_ = 0;
        return;
    }
    int digits = 1;
    for (long n = SendScintilla(SCI_GETLINECOUNT); n >= 10; n /= 10)
        ++digits;
    digits = std::max(digits, 3);
    if (digits == lineDigits_) return;
    lineDigits_ = digits;
    setMarginType(0, NumberMargin);
    setMarginWidth(0, QString(digits + 1, QLatin1Char('9')));
    if (wrapMode_ == 2) UpdateWrapMargin();
}

void TEditorControl::UpdateEndMark() {
    int last = int(SendScintilla(SCI_GETLINECOUNT)) - 1;
    int wanted = properties_.EndMark ? last : -1;
    if (wanted == endMarkLine_) return;
    if (endMarkLine_ >= 0) SendScintilla(SCI_ANNOTATIONSETTEXT, endMarkLine_, (const char*)nullptr);
    endMarkLine_ = wanted;
    if (wanted < 0) return;
    SendScintilla(SCI_ANNOTATIONSETTEXT, wanted, "[EOF]");
    SendScintilla(SCI_ANNOTATIONSETSTYLE, wanted, kEndMarkStyle);
}

void TEditorControl::ColourVisibleAddresses() {
    if (!properties_.Addresses) return;
    // The document lines on the screen, wrapped lines included.
    long firstVisible = SendScintilla(SCI_GETFIRSTVISIBLELINE);
    long onScreen = SendScintilla(SCI_LINESONSCREEN);
    long firstLine = SendScintilla(SCI_DOCLINEFROMVISIBLE, firstVisible);
    long lastLine = SendScintilla(SCI_DOCLINEFROMVISIBLE, firstVisible + onScreen + 1);
    long from = SendScintilla(SCI_POSITIONFROMLINE, firstLine);
    long to = SendScintilla(SCI_GETLINEENDPOSITION, lastLine);
    if (from == colouredFrom_ && to == colouredTo_) return;
    colouredFrom_ = from;
    colouredTo_ = to;
    SendScintilla(SCI_SETINDICATORCURRENT, kAddressIndicator);
    SendScintilla(SCI_INDICATORCLEARRANGE, from, to - from);
    std::string_view text = TextView().substr(std::size_t(from), std::size_t(to - from));
    for (const TAddressRange& a : FindAddresses(text))
        SendScintilla(SCI_INDICATORFILLRANGE, from + long(a.Start), long(a.Length));
}

bool TEditorControl::FindNext(const std::string& what, const TSearchOptions& options) {
    long start = SendScintilla(SCI_GETSELECTIONSTART), end = SendScintilla(SCI_GETSELECTIONEND);
    std::optional<TFound> found =
        FindText(TextView(), what, std::size_t(options.Forward ? end : start), options);
    if (!found) return false;
    SendScintilla(SCI_SETSEL, long(found->Start), long(found->Start + found->Length));
    SendScintilla(SCI_SCROLLCARET);
    return true;
}

bool TEditorControl::ReplaceNext(const std::string& what, const std::string& with,
                                 const TSearchOptions& options) {
    long start = SendScintilla(SCI_GETSELECTIONSTART), end = SendScintilla(SCI_GETSELECTIONEND);
    std::optional<TFound> found =
        FindText(TextView(), what, std::size_t(options.Forward ? start : end), options);
    if (!found) return false;
    SendScintilla(SCI_SETTARGETRANGE, long(found->Start), long(found->Start + found->Length));
    SendScintilla(SCI_REPLACETARGET, with.size(), with.data());
    long after = long(found->Start + with.size());
    SendScintilla(SCI_SETSEL, options.Forward ? after : long(found->Start),
                  options.Forward ? after : long(found->Start));
    SendScintilla(SCI_SCROLLCARET);
    return true;
}

int TEditorControl::ReplaceAllText(const std::string& what, const std::string& with,
                                   const TSearchOptions& options) {
    SendScintilla(SCI_GOTOPOS, 0);
    TReplaceAllResult result = ReplaceAll(TextView(), what, with, options);
    if (result.Count == 0) return 0;
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_SETTARGETRANGE, 0, SendScintilla(SCI_GETLENGTH));
    SendScintilla(SCI_REPLACETARGET, result.Text.size(), result.Text.data());
    SendScintilla(SCI_ENDUNDOACTION);
    SendScintilla(SCI_GOTOPOS, 0);
    return result.Count;
}

void TEditorControl::ReplaceSelectionWith(const std::string& utf8) {
    SendScintilla(SCI_REPLACESEL, utf8.c_str());
}

} // namespace tarnel
