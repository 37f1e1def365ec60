// Pieces shared by the plug-ins for PukiWiki pages: the usage exports, the host table,
// arguments, page names relative to the page, dates. Each plug-in is one source file that
// includes this header once.
//
// Everything here works on Shift_JIS byte strings, the form in which Tarnel passes page
// text and in which the host table answers; a plug-in converts its result to UTF-16 at
// the very end (Result).
#pragma once

#include "TarnelPlugin.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel::plugin::kit {

// The host table, when Tarnel gave one (see SetTarnelHost below).
inline const TarnelHost*& HostSlot() {
    static const TarnelHost* host = nullptr;
    return host;
}

// Each member, or a neutral answer when Tarnel gave no table or a table without it.
inline bool ExportLinks() {
    const TarnelHost* h = HostSlot();
    return TARNEL_HOST_HAS(h, LinkMode) && h->LinkMode() == TARNEL_LINKS_EXPORT;
}

struct Page {
    std::string name;
    std::string file;
    std::int64_t modified = 0;
};

inline std::vector<Page> Pages() {
    std::vector<Page> pages;
    const TarnelHost* h = HostSlot();
    if (!TARNEL_HOST_HAS(h, GetPage)) return pages;
    int32_t count = h->PageCount();
    for (int32_t i = 0; i < count; ++i) {
        TarnelPageEntry entry{};
        if (h->GetPage(i, &entry) && entry.name != nullptr && entry.file != nullptr)
            pages.push_back(Page{entry.name, entry.file, entry.modified});
    }
    return pages;
}

inline std::int64_t PageModified(const std::string& name) {
    const TarnelHost* h = HostSlot();
    return TARNEL_HOST_HAS(h, PageModified) ? h->PageModified(name.c_str()) : -1;
}

// A link to the page as the page's own links are written; the escaped text without a host.
inline std::string PageLink(const std::string& name, const std::string& text) {
    const TarnelHost* h = HostSlot();
    const char* link =
        TARNEL_HOST_HAS(h, PageLink) ? h->PageLink(name.c_str(), text.c_str()) : nullptr;
    return link != nullptr ? std::string(link) : EscapeHtml(text);
}

inline std::string EditLink(const std::string& name, const std::string& text) {
    const TarnelHost* h = HostSlot();
    const char* link =
        TARNEL_HOST_HAS(h, EditLink) ? h->EditLink(name.c_str(), text.c_str()) : nullptr;
    return link != nullptr ? std::string(link) : EscapeHtml(text);
}

inline std::string PageFile(const std::string& name) {
    const TarnelHost* h = HostSlot();
    const char* file = TARNEL_HOST_HAS(h, PageFile) ? h->PageFile(name.c_str()) : nullptr;
    return file != nullptr ? std::string(file) : std::string();
}

// Arguments split at commas, each trimmed.
inline std::vector<std::string> Arguments(std::string_view arguments) {
    std::vector<std::string> parts;
    if (Trim(arguments).empty()) return parts;
    for (std::string_view part : SplitArguments(arguments))
        parts.emplace_back(Trim(part));
    return parts;
}

inline bool Has(const std::vector<std::string>& parts, std::string_view word) {
    for (const std::string& part : parts)
        if (part == word) return true;
    return false;
}

// A page name written relative to the page `current`: empty or "./" is the page itself,
// "./x" a page below it, "../" its parent, "../x" a sibling (each "../" one level up);
// any other name is taken as it is. A trailing "/" is dropped.
inline std::string ResolvePage(std::string_view name, const std::string& current) {
    if (name.empty()) return current;
    if (name.substr(0, 2) != "./" && name.substr(0, 3) != "../" && name != "." && name != "..")
        return std::string(name);
    std::string base = current;
    for (;;) {
        if (name == "." || name.substr(0, 2) == "./") {
            name.remove_prefix(name.size() < 2 ? name.size() : 2);
        } else if (name == ".." || name.substr(0, 3) == "../") {
            name.remove_prefix(name.size() < 3 ? name.size() : 3);
            std::size_t slash = base.rfind('/');
            base = slash == std::string::npos ? std::string() : base.substr(0, slash);
        } else {
            break;
        }
    }
    std::string result = base;
    if (!name.empty()) result = base.empty() ? std::string(name) : base + "/" + std::string(name);
    while (!result.empty() && result.back() == '/')
        result.pop_back();
    return result;
}

// "2006-04-01 (土) 12:34:56" in local time, Shift_JIS; "2006-04-01" without the time.
inline std::string FormatDate(std::int64_t when, bool withTime) {
    std::time_t t = static_cast<std::time_t>(when);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    if (!withTime) return text;
    static const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
    char clock[16];
    std::strftime(clock, sizeof clock, "%H:%M:%S", &local);
    return std::string(text) + " (" + Utf8ToShiftJis(kWeekdays[local.tm_wday % 7]) + ") " + clock;
}

// The result for Tarnel from Shift_JIS HTML.
inline char16_t* Result(const std::string& html) {
    return NewStringFromShiftJis(html);
}

} // namespace tarnel::plugin::kit

// The usage exports of a plug-in whose texts are UTF-16 literals.
#define TARNEL_PLUGIN_USAGE(name, syntax, description, example)                                    \
    int32_t GetPluginType(void) {                                                                  \
        return TARNEL_PLUGIN_TYPE_INLINE;                                                          \
    }                                                                                              \
    char16_t* GetName(void) {                                                                      \
        return tarnel::plugin::NewString(name);                                                    \
    }                                                                                              \
    char16_t* GetVersion(void) {                                                                   \
        return tarnel::plugin::NewString(u"1.0");                                                  \
    }                                                                                              \
    char16_t* GetAuthor(void) {                                                                    \
        return tarnel::plugin::NewString(u"Tarnel");                                               \
    }                                                                                              \
    char16_t* GetSyntax(void) {                                                                    \
        return tarnel::plugin::NewString(syntax);                                                  \
    }                                                                                              \
    char16_t* GetDescription(void) {                                                               \
        return tarnel::plugin::NewString(description);                                             \
    }                                                                                              \
    char16_t* GetExample(void) {                                                                   \
        return tarnel::plugin::NewString(example);                                                 \
    }

// The optional export that takes the host table.
#define TARNEL_PLUGIN_TAKES_HOST                                                                   \
    void SetTarnelHost(const TarnelHost* host) {                                                   \
        tarnel::plugin::kit::HostSlot() = host;                                                    \
    }
