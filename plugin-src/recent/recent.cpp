// #recent(n): the n most recently changed pages of the wiki (10 when n is not given), as
// links grouped under the day of their change, newest first. Pages whose names start with
// ":" (settings pages of the web version) are left out.
#include "PluginKit.h"

#include <algorithm>

using namespace tarnel::plugin;

TARNEL_PLUGIN_USAGE(u"recent", u"#recent(件数)",
                    u"最近更新されたページへのリンクを、更新した日ごとに新しい順に並べます。"
                    u"件数を省略すると10件です（1から500まで）。名前が「:」で始まるページは"
                    u"並べません。",
                    u"#recent(20)")
TARNEL_PLUGIN_TAKES_HOST

namespace {

constexpr int kDefaultCount = 10;
constexpr int kMostCount = 500;

int CountOf(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.size() > 4) return kDefaultCount;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return kDefaultCount;
        n = n * 10 + (c - '0');
    }
    return n < 1 ? kDefaultCount : std::min(n, kMostCount);
}

std::string Recent(const char* raw) {
    const int count = CountOf(kit::Arguments(raw).empty() ? "" : kit::Arguments(raw)[0]);
    std::vector<kit::Page> pages = kit::Pages();
    pages.erase(
        std::remove_if(pages.begin(), pages.end(),
                       [](const kit::Page& p) { return p.name.empty() || p.name[0] == ':'; }),
        pages.end());
    std::stable_sort(pages.begin(), pages.end(), [](const kit::Page& a, const kit::Page& b) {
        return a.modified > b.modified;
    });
    if (pages.size() > static_cast<std::size_t>(count))
        pages.resize(static_cast<std::size_t>(count));

    std::string html = "<div class=\"recent\"><p class=\"recent-title\">" +
                       Utf8ToShiftJis("最新の") + std::to_string(pages.size()) +
                       Utf8ToShiftJis("件") + "</p>";
    std::string day;
    for (const kit::Page& page : pages) {
        std::string date = kit::FormatDate(page.modified, false);
        if (date != day) {
            if (!day.empty()) html += "</ul>";
            html += "<strong>" + date + "</strong><ul class=\"list1\">";
            day = date;
        }
        html += "<li>" + kit::PageLink(page.name, page.name) + "</li>";
    }
    if (!day.empty()) html += "</ul>";
    return html + "</div>";
}

} // namespace

char16_t* PluginInline(const char*, const char* raw, const char*, const char*, const char*,
                       const char*, const char*) {
    return Guard([&] { return kit::Result(Recent(raw)); });
}
