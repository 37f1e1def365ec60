// The edge between the engine's byte strings and Qt's texts. Engine texts shown in a widget
// are display form (Shift_JIS); paths and addresses are UTF-8.
#pragma once

#include "settings/ULanguage.h"
#include "text/jconvert.h"

#include <QString>
#include <string>

namespace tarnel {

inline QString FromDisplay(const std::string& text) {
    return QString::fromStdString(ShiftJisToUtf8(text));
}
inline std::string ToDisplay(const QString& text) {
    return Utf8ToShiftJis(text.toStdString());
}
inline QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// The language text of `key`, or `current` when the language has none.
inline QString LangQ(const TLanguage& language, const char* key, const QString& current) {
    return FromDisplay(LangText(language, key, ToDisplay(current)));
}
// The language text of `key` with its built-in Japanese text as default.
inline QString LangQ(const TLanguage& language, const char* key) {
    return FromDisplay(LangText(language, key));
}
// A built-in Japanese text.
inline QString BuiltIn(const char* key) {
    return FromDisplay(BuiltInText(key));
}

// "%s" of a language format replaced by `value`.
inline QString FormatQ(QString format, const QString& value) {
    int p = format.indexOf(QLatin1String("%s"));
    if (p >= 0) format.replace(p, 2, value);
    return format;
}

} // namespace tarnel
