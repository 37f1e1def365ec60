// #navi(top page): links to the previous and the next page among the pages below the top
// page (in name order) and up to the top page itself, for pages written as the chapters
// of one document. The top page may be relative ("../" is the parent of this page); by
// default it is this page, which then links to its first chapter.
#include "PluginKit.h"

#include <algorithm>

using namespace tarnel::plugin;

TARNEL_PLUGIN_USAGE(u"navi", u"#navi(目次ページ)",
                    u"目次ページより下の階層のページを名前の順に章と見て、前のページ、"
                    u"目次ページ、次のページへのリンクを書きます。目次ページは「../」"
                    u"（一つ上の階層）のように相対的にも書けます。省略するとそのページ自身が"
                    u"目次ページです。",
                    u"#navi(../)")
TARNEL_PLUGIN_TAKES_HOST

namespace {

std::string Navi(const char* raw, const std::string& current) {
    std::vector<std::string> args = kit::Arguments(raw);
    const std::string top = kit::ResolvePage(args.empty() ? "" : args[0], current);
    if (top.empty() || current.empty()) return {};
    const std::string prefix = top + "/";
    std::vector<std::string> chapters;
    for (const kit::Page& page : kit::Pages())
        if (page.name.size() > prefix.size() && page.name.compare(0, prefix.size(), prefix) == 0)
            chapters.push_back(page.name);
    std::sort(chapters.begin(), chapters.end());

    std::string previous, next;
    if (current == top) {
        if (!chapters.empty()) next = chapters.front();
    } else {
        auto at = std::find(chapters.begin(), chapters.end(), current);
        if (at == chapters.end()) return {}; // not one of its chapters
        if (at != chapters.begin()) previous = *(at - 1);
        if (at + 1 != chapters.end()) next = *(at + 1);
    }
    std::vector<std::string> parts;
    if (!previous.empty())
        parts.push_back(Utf8ToShiftJis("前: ") + kit::PageLink(previous, previous));
    if (current != top) parts.push_back(Utf8ToShiftJis("上: ") + kit::PageLink(top, top));
    if (!next.empty()) parts.push_back(Utf8ToShiftJis("次: ") + kit::PageLink(next, next));
    if (parts.empty()) return {};
    std::string html = "<div class=\"navi\">[ ";
    for (std::size_t i = 0; i < parts.size(); ++i)
        html += (i == 0 ? "" : " | ") + parts[i];
    return html + " ]</div>";
}

} // namespace

char16_t* PluginInline(const char*, const char* raw, const char* pageName, const char*, const char*,
                       const char*, const char*) {
    return Guard([&] { return kit::Result(Navi(raw, pageName)); });
}
