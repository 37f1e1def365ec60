// &aname(name){text}; and #aname(name): an anchor that links can jump to ("[[#name]]").
// The name is a letter followed by letters, digits, "-" and "_", as in the web version;
// any other name is refused with a message, so that nothing of it reaches the markup.
// The options "super", "full" and "noid" of the web version are accepted and ignored.
#include "PluginKit.h"

using namespace tarnel::plugin;

TARNEL_PLUGIN_USAGE(u"aname", u"&aname(アンカー名){文字列};",
                    u"その場所にアンカー（ページ内リンクの飛び先）を置きます。アンカー名は英字で"
                    u"始まり、英数字と「-」「_」だけからなる名前です。文字列を書くとアンカーの"
                    u"文字として表示します。ブロック型の #aname(アンカー名) でも使えます。",
                    u"&aname(here){ここ};")

namespace {

bool IsAnchorName(std::string_view name) {
    if (name.empty() || name.size() > 64) return false;
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!letter(name[0])) return false;
    for (char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '-' && c != '_') return false;
    return true;
}

bool IsOption(std::string_view word) {
    return word == "super" || word == "full" || word == "noid";
}

std::string Anchor(const char* escaped, const char* raw) {
    std::vector<std::string_view> rawParts = SplitArguments(raw);
    std::vector<std::string_view> parts = SplitArguments(escaped);
    std::string_view name = Trim(rawParts[0]);
    if (!IsAnchorName(name))
        return "<span class=\"plugin-error\">aname: " + Utf8ToShiftJis("使えないアンカー名です") +
               " (" + std::string(Trim(parts[0])) + ")</span>";
    // Options first, then the text, which may hold commas of its own.
    std::size_t i = 1;
    while (i < parts.size() && IsOption(Trim(parts[i])))
        ++i;
    std::string text;
    for (std::size_t k = i; k < parts.size(); ++k)
        text += (k == i ? "" : ",") + std::string(parts[k]);
    const std::string id(name);
    return "<a name=\"" + id + "\" id=\"" + id + "\" class=\"anchor\">" + text + "</a>";
}

} // namespace

char16_t* PluginInline(const char* escaped, const char* raw, const char*, const char*, const char*,
                       const char*, const char*) {
    return Guard([&] { return kit::Result(Anchor(escaped, raw)); });
}
