// &lastmod(page);: when the page was last changed, "2006-04-01 (土) 12:34:56" in local
// time; by default this page. Relative names are allowed ("../" the parent page). A page
// that does not exist gives nothing.
#include "PluginKit.h"

using namespace tarnel::plugin;

TARNEL_PLUGIN_USAGE(u"lastmod", u"&lastmod(ページ名);",
                    u"ページの最終更新日時を「2006-04-01 (土) 12:34:56」の形で書きます。"
                    u"ページ名を省略するとそのページ自身です。「../」のような相対的な名前も"
                    u"書けます。",
                    u"最終更新: &lastmod();")
TARNEL_PLUGIN_TAKES_HOST

char16_t* PluginInline(const char*, const char* raw, const char* pageName, const char*, const char*,
                       const char*, const char*) {
    return Guard([&] {
        std::vector<std::string> args = kit::Arguments(raw);
        std::string page = kit::ResolvePage(args.empty() ? "" : args[0], pageName);
        std::int64_t when = page.empty() ? -1 : kit::PageModified(page);
        if (when < 0) return NewString(u"");
        return kit::Result("<span class=\"lastmod\">" + kit::FormatDate(when, true) + "</span>");
    });
}
