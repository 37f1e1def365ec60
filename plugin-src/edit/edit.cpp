// &edit(page){text};: a link that opens the page in Tarnel's editor (this page by
// default, relative names allowed). In an exported site, where nothing can be edited, and
// with the option "nolink", the text alone. "noicon" of the web version is accepted.
#include "PluginKit.h"

using namespace tarnel::plugin;

TARNEL_PLUGIN_USAGE(u"edit", u"&edit(ページ名,nolink){文字列};",
                    u"クリックするとそのページを編集できるリンクを書きます。ページ名を省略すると"
                    u"そのページ自身です。文字列を省略すると「編集」と書きます。HTML に"
                    u"出力したページと nolink を付けたときは文字列だけになります。",
                    u"&edit(FrontPage){このページを編集};")
TARNEL_PLUGIN_TAKES_HOST

namespace {

bool IsOption(std::string_view word) {
    return word == "nolink" || word == "noicon";
}

std::string Edit(const char* raw, const std::string& current) {
    std::vector<std::string_view> parts = SplitArguments(raw);
    std::string page = kit::ResolvePage(Trim(parts[0]), current);
    bool nolink = false;
    std::size_t i = 1;
    for (; i < parts.size() && IsOption(Trim(parts[i])); ++i)
        if (Trim(parts[i]) == "nolink") nolink = true;
    std::string text;
    for (std::size_t k = i; k < parts.size(); ++k)
        text += (k == i ? "" : ",") + std::string(parts[k]);
    if (Trim(text).empty()) text = Utf8ToShiftJis("編集");
    if (nolink || page.empty()) return EscapeHtml(text);
    return kit::EditLink(page, text); // escapes the text
}

} // namespace

char16_t* PluginInline(const char*, const char* raw, const char* pageName, const char*, const char*,
                       const char*, const char*) {
    return Guard([&] { return kit::Result(Edit(raw, pageName)); });
}
