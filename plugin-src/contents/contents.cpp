// #contents: the page's contents block at the place of the call, a list of links to every
// heading of the page (also those after the call), nested by level, in the classes the
// designs give the template's own contents block ("toc", "toc-1", "toc-2"...).
#include "PluginKit.h"

using namespace tarnel::plugin;

TARNEL_PLUGIN_USAGE(u"contents", u"#contents",
                    u"その場所にページの目次（見出しへのリンクの一覧）を書きます。見出しは"
                    u"ページ全体のもので、呼び出しより後の見出しも含みます。引数は使いません。"
                    u"見出しのないページでは何も書きません。",
                    u"#contents")
TARNEL_PLUGIN_TAKES_HOST

namespace {

std::string ContentsBlock() {
    const TarnelHost* host = kit::HostSlot();
    if (!TARNEL_HOST_HAS(host, GetHeading)) return {};
    std::string html;
    int depth = 0;
    const int32_t count = host->HeadingCount();
    for (int32_t i = 0; i < count; ++i) {
        TarnelHeading heading{};
        if (!host->GetHeading(i, &heading) || heading.title == nullptr || heading.href == nullptr)
            continue;
        const int level = heading.level < 1 ? 1 : heading.level > 6 ? 6 : heading.level;
        if (level > depth) {
            // Each deeper list opens inside the item still open at the level above it.
            for (int k = depth + 1; k <= level; ++k) {
                if (k > depth + 1) html += "<li>";
                html += "<ul class=\"toc-" + std::to_string(k) + "\">";
            }
        } else {
            html += "</li>";
            for (; depth > level; --depth)
                html += "</ul></li>";
        }
        depth = level;
        html += "<li><a href=\"" + EscapeHtml(heading.href) + "\">" +
                EscapeHtml(Trim(heading.title)) + "</a>";
    }
    if (depth == 0) return {};
    html += "</li>";
    for (; depth > 0; --depth)
        html += depth > 1 ? "</ul></li>" : "</ul>";
    return "<div class=\"toc\">" + html + "</div>";
}

} // namespace

char16_t* PluginInline(const char*, const char*, const char*, const char*, const char*, const char*,
                       const char*) {
    return Guard([] { return kit::Result(ContentsBlock()); });
}
