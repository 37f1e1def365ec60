// &new(page); and &new(nodate){date};: a "New!" mark for what changed lately, red within
// a day, "New" in green within five days, nothing later. With a date (the body, or an
// argument, "2006-04-01", "2006/04/01", optionally with a time "12:34" or "12:34:56") the
// date is written with the mark after it ("nodate": the mark alone). Otherwise the page's
// modification time decides (this page by default; "page/" takes the newest page below).
#include "PluginKit.h"

#include <cstdio>

using namespace tarnel::plugin;

TARNEL_PLUGIN_USAGE(u"new", u"&new(ページ名); または &new(nodate){日付};",
                    u"最近のものに「New!」の印を付けます。1日以内なら赤い New!、5日以内なら"
                    u"緑の New で、それより前なら何も書きません。日付（2006-04-01 12:34:56 の"
                    u"ような形）を書くとその日付と印を、nodate を付けると印だけを書きます。"
                    u"日付の代わりにページ名を書くとそのページの更新日時で決めます（省略すると"
                    u"そのページ自身、「ページ名/」ならその下の階層で一番新しいページ）。",
                    u"&new(){2006-04-01 (土) 12:34:56};")
TARNEL_PLUGIN_TAKES_HOST

namespace {

// A date as written, in local time; -1 when the text is none.
std::int64_t ParseDate(std::string_view text) {
    std::string s(Trim(text));
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0, used = 0;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &used) != 3 &&
        std::sscanf(s.c_str(), "%4d/%2d/%2d%n", &y, &mo, &d, &used) != 3)
        return -1;
    if (y < 1970 || mo < 1 || mo > 12 || d < 1 || d > 31) return -1;
    // An optional time anywhere after the date (after a weekday such as " (土)").
    std::size_t colon = s.find(':', static_cast<std::size_t>(used));
    if (colon != std::string::npos && colon >= 2) {
        int got = std::sscanf(s.c_str() + colon - 2, "%2d:%2d:%2d", &h, &mi, &sec);
        if (got < 2 || h > 23 || mi > 59 || sec > 59) h = mi = sec = 0;
    }
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = sec;
    t.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&t));
}

std::string Mark(std::int64_t when, const std::string& title) {
    const std::int64_t age = static_cast<std::int64_t>(std::time(nullptr)) - when;
    if (when < 0 || age > 5 * 86400) return {};
    if (age <= 86400)
        return "<span class=\"new1\" style=\"color:red\" title=\"" + title + "\">New!</span>";
    return "<span class=\"new5\" style=\"color:green\" title=\"" + title + "\">New</span>";
}

std::string NewMark(const char* escaped, const char* raw, const std::string& current) {
    std::vector<std::string_view> rawParts = SplitArguments(raw);
    std::vector<std::string_view> parts = SplitArguments(escaped);
    bool nodate = false;
    for (std::string_view part : rawParts)
        if (Trim(part) == "nodate") nodate = true;
    // A date anywhere (the body comes last): the date mode.
    for (std::size_t i = rawParts.size(); i-- > 0;) {
        std::int64_t when = ParseDate(rawParts[i]);
        if (when < 0) continue;
        std::string date(Trim(parts[i]));
        std::string mark = Mark(when, date);
        if (nodate) return mark;
        return "<span class=\"comment_date\">" + date + "</span>" +
               (mark.empty() ? "" : " " + mark);
    }
    std::string_view first = Trim(rawParts[0]);
    if (first == "nodate" || first == "nolink") first = {};
    std::string page = kit::ResolvePage(first, current);
    std::int64_t when = -1;
    if (!first.empty() && first.back() == '/') {
        // The newest page below.
        const std::string prefix = (page.empty() ? std::string() : page + "/");
        for (const kit::Page& p : kit::Pages())
            if (p.name.compare(0, prefix.size(), prefix) == 0 && p.name.size() > prefix.size() &&
                p.modified > when)
                when = p.modified;
    } else if (!page.empty()) {
        when = kit::PageModified(page);
    }
    return when < 0 ? std::string() : Mark(when, kit::FormatDate(when, true));
}

} // namespace

char16_t* PluginInline(const char* escaped, const char* raw, const char* pageName, const char*,
                       const char*, const char*, const char*) {
    return Guard([&] { return kit::Result(NewMark(escaped, raw, pageName)); });
}
