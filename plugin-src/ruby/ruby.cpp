// &ruby(reading){text};: the text with its reading above it (ruby), as browsers draw the
// ruby element; browsers without ruby show the reading in parentheses after the text.
#include "PluginKit.h"

using namespace tarnel::plugin;

TARNEL_PLUGIN_USAGE(u"ruby", u"&ruby(ルビ){文字列};",
                    u"文字列にルビ（読み仮名）を振ります。ルビを表示できないブラウザーでは"
                    u"文字列の後に括弧で囲んで示します。",
                    u"&ruby(かんじ){漢字};")

namespace {

std::string Ruby(const char* escaped) {
    // The escaped arguments: both parts go into the page as text.
    std::vector<std::string_view> parts = SplitArguments(escaped, 2);
    std::string reading(Trim(parts[0]));
    if (parts.size() < 2) return reading; // nothing to put the reading on
    std::string text(parts[1]);
    if (reading.empty()) return text;
    return "<ruby>" + text + "<rp>(</rp><rt>" + reading + "</rt><rp>)</rp></ruby>";
}

} // namespace

char16_t* PluginInline(const char* escaped, const char*, const char*, const char*, const char*,
                       const char*, const char*) {
    return Guard([&] { return kit::Result(Ruby(escaped)); });
}
