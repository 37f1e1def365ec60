// &color(colour,text): the text in a colour.
//
// The colour is a CSS colour name ("red", "darkblue") or "#" with 3, 4, 6 or 8 hexadecimal
// digits; anything else is refused so that page text can never write its own style
// declarations. The text is everything after the first comma and may hold further commas.
#include "TarnelPlugin.h"

#include <cctype>

using namespace tarnel::plugin;

namespace {

bool IsColour(std::string_view colour) {
    if (colour.empty() || colour.size() > 32) return false;
    if (colour[0] == '#') {
        std::size_t digits = colour.size() - 1;
        if (digits != 3 && digits != 4 && digits != 6 && digits != 8) return false;
        for (char c : colour.substr(1))
            if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
        return true;
    }
    for (char c : colour)
        if (!std::isalpha(static_cast<unsigned char>(c))) return false;
    return true;
}

} // namespace

int32_t GetPluginType(void) {
    return TARNEL_PLUGIN_TYPE_INLINE;
}
char16_t* GetName(void) {
    return NewString(u"color");
}
char16_t* GetVersion(void) {
    return NewString(u"1.0");
}
char16_t* GetAuthor(void) {
    return NewString(u"Tarnel");
}
char16_t* GetSyntax(void) {
    return NewString(u"&color(色,文字列)");
}
char16_t* GetDescription(void) {
    return NewString(u"文字列を指定した色で表示します。色は red や navy などの色の名前か、"
                     u"#f00 や #3366cc のような # に続く16進数で書きます。"
                     u"文字列にはカンマを含めることができます。");
}
char16_t* GetExample(void) {
    return NewString(u"&color(red,赤い文字)");
}

char16_t* PluginInline(const char* arguments, const char*, const char*, const char*, const char*,
                       const char*, const char*) {
    return Guard([&] {
        // The escaped arguments: the text goes into the page as it is, and a valid colour
        // contains no character that escaping changes.
        auto parts = SplitArguments(arguments, 2);
        if (parts.size() < 2) return NewStringFromShiftJis(arguments); // no text to colour
        std::string_view colour = Trim(parts[0]);
        if (!IsColour(colour)) return NewStringFromShiftJis(parts[1]);
        return NewString(u"<span style=\"color:" + ShiftJisToUtf16(colour) + u"\">" +
                         ShiftJisToUtf16(parts[1]) + u"</span>");
    });
}
