// #ls and #ls2: the pages below a page, as links, in name order. One source builds both
// libraries (LS_NAME). The first argument, when it is no option, names the page whose
// pages are listed, relative names allowed ("../" its parent); by default the page itself.
// The option "reverse" lists them in reverse order; "title", "include" and "link" of the
// web version are accepted and have no effect.
#include "PluginKit.h"

#include <algorithm>

#ifndef LS_NAME
#error "LS_NAME must name the plug-in: ls or ls2"
#endif
#define LS_TEXT_(x) u## #x
#define LS_TEXT(x) LS_TEXT_(x)
#define LS_CALL_(x) u"#" #x u"(ページ名,reverse)"
#define LS_CALL(x) LS_CALL_(x)
#define LS_EXAMPLE_(x) u"#" #x
#define LS_EXAMPLE(x) LS_EXAMPLE_(x)

using namespace tarnel::plugin;

TARNEL_PLUGIN_USAGE(LS_TEXT(LS_NAME), LS_CALL(LS_NAME),
                    u"そのページより下の階層のページ（ページ名が「ページ名/」で始まるページ）へ"
                    u"のリンクを名前の順に並べます。ページ名を書くとそのページの下の階層を"
                    u"並べます（「../」は一つ上の階層）。reverse で逆の順になります。"
                    u"引数はどちらも省略できます。",
                    LS_EXAMPLE(LS_NAME))
TARNEL_PLUGIN_TAKES_HOST

namespace {

bool IsOption(const std::string& word) {
    return word == "reverse" || word == "title" || word == "include" || word == "link" ||
           word == "compact";
}

std::string List(const char* raw, const char* pageName) {
    std::vector<std::string> args = kit::Arguments(raw);
    std::string base = pageName;
    if (!args.empty() && !IsOption(args[0])) base = kit::ResolvePage(args[0], pageName);
    if (base.empty()) return {};
    const std::string prefix = base + "/";
    std::vector<std::string> names;
    for (const kit::Page& page : kit::Pages())
        if (page.name.size() > prefix.size() && page.name.compare(0, prefix.size(), prefix) == 0)
            names.push_back(page.name);
    if (names.empty()) return {};
    std::sort(names.begin(), names.end());
    if (kit::Has(args, "reverse")) std::reverse(names.begin(), names.end());
    std::string html = "<ul class=\"list1\">";
    for (const std::string& name : names)
        html += "<li>" + kit::PageLink(name, name) + "</li>";
    return html + "</ul>";
}

} // namespace

char16_t* PluginInline(const char*, const char* raw, const char* pageName, const char*, const char*,
                       const char*, const char*) {
    return Guard([&] { return kit::Result(List(raw, pageName)); });
}
