// &size(size,text): the text in another font size.
//
// The size is a number, optionally with a unit: px (the default), pt, em, rem or %.
// Anything else is refused so that page text can never write its own style declarations.
// The text is everything after the first comma and may hold further commas.
#include "TarnelPlugin.h"

#include <cctype>

using namespace tarnel::plugin;

namespace {

// The CSS value for a size as written, or "" when it is not one.
std::string CssSize(std::string_view size) {
    std::size_t end = 0;
    bool point = false;
    while (end < size.size() &&
           (std::isdigit(static_cast<unsigned char>(size[end])) || (size[end] == '.' && !point))) {
        point = point || size[end] == '.';
        ++end;
    }
    std::string_view number = size.substr(0, end);
    std::string_view unit = size.substr(end);
    if (number.empty() || number == "." || number.size() > 6) return std::string();
    if (unit.empty()) unit = "px";
    if (unit != "px" && unit != "pt" && unit != "em" && unit != "rem" && unit != "%")
        return std::string();
    return std::string(number) + std::string(unit);
}

} // namespace

int32_t GetPluginType(void) {
    return TARNEL_PLUGIN_TYPE_INLINE;
}
char16_t* GetName(void) {
    return NewString(u"size");
}
char16_t* GetVersion(void) {
    return NewString(u"1.0");
}
char16_t* GetAuthor(void) {
    return NewString(u"Tarnel");
}
char16_t* GetSyntax(void) {
    return NewString(u"&size(大きさ,文字列)");
}
char16_t* GetDescription(void) {
    return NewString(u"文字列を指定した大きさで表示します。大きさは数字で書き、単位を付けないと"
                     u"ピクセル (px) になります。単位には pt、em、rem、% も使えます。");
}
char16_t* GetExample(void) {
    return NewString(u"&size(24,大きな文字)");
}

char16_t* PluginInline(const char* arguments, const char*, const char*, const char*, const char*,
                       const char*, const char*) {
    return Guard([&] {
        auto parts = SplitArguments(arguments, 2);
        if (parts.size() < 2) return NewStringFromShiftJis(arguments); // no text to size
        std::string size = CssSize(Trim(parts[0]));
        if (size.empty()) return NewStringFromShiftJis(parts[1]);
        return NewString(u"<span style=\"font-size:" + ShiftJisToUtf16(size) + u"\">" +
                         ShiftJisToUtf16(parts[1]) + u"</span>");
    });
}
