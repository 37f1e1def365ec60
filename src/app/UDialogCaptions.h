// The captions of a dialog and their language keys, kept together so that a dialog is
// re-labelled from the language table in one call. Each control starts with the key's
// built-in Japanese text; Apply puts the language's text over it, or keeps the control's
// current text when the language has none.
#pragma once

#include "UQtText.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QWidget>
#include <functional>
#include <vector>

namespace tarnel {

class TDialogCaptions {
public:
    // A button (push, check or radio), a label or a group box.
    template <class Widget> Widget* Add(Widget* widget, const char* key) {
        Add([widget] { return TextOf(widget); }, [widget](const QString& t) { SetText(widget, t); },
            key);
        return widget;
    }
    // A tab of a tab widget.
    void AddTab(QTabWidget* tabs, int index, const char* key) {
        Add([tabs, index] { return tabs->tabText(index); },
            [tabs, index](const QString& t) { tabs->setTabText(index, t); }, key);
    }
    // The window title.
    void AddTitle(QWidget* window, const char* key) {
        Add([window] { return window->windowTitle(); },
            [window](const QString& t) { window->setWindowTitle(t); }, key);
    }
    // A hint: the tool tip of a control (the short part of a "short|long" text).
    void AddHint(QWidget* widget, const char* key) {
        Add([widget] { return widget->toolTip(); },
            [widget](const QString& t) { widget->setToolTip(t.section(QLatin1Char('|'), 0, 0)); },
            key);
    }
    // Anything else with a getter and a setter.
    void Add(std::function<QString()> get, std::function<void(const QString&)> set,
             const char* key) {
        set(BuiltIn(key));
        entries_.push_back({std::move(get), std::move(set), key});
    }

    void Apply(const TLanguage& language) const {
        for (const Entry& e : entries_)
            e.set(LangQ(language, e.key, e.get()));
    }

private:
    static QString TextOf(QAbstractButton* w) { return w->text(); }
    static QString TextOf(QLabel* w) { return w->text(); }
    static QString TextOf(QGroupBox* w) { return w->title(); }
    static void SetText(QAbstractButton* w, const QString& t) { w->setText(t); }
    static void SetText(QLabel* w, const QString& t) { w->setText(t); }
    static void SetText(QGroupBox* w, const QString& t) { w->setTitle(t); }

    struct Entry {
        std::function<QString()> get;
        std::function<void(const QString&)> set;
        const char* key;
    };
    std::vector<Entry> entries_;
};

// "name|pattern|name|pattern" of a language file as a file dialog's filter
// "name (pattern);;name (pattern)".
inline QString FileDialogFilter(const QString& filter) {
    QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    return filters.join(QStringLiteral(";;"));
}

} // namespace tarnel
