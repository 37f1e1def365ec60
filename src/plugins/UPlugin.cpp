#include "plugins/UPlugin.h"

#include <cstdlib>
#include <deque>
#include <dlfcn.h>
#include <memory>
#include <mutex>
#include <string_view>

#include "text/jconvert.h"

namespace tarnel {

namespace {

// The plug-in call running on this thread: the queries that answer the host table and the
// strings handed out during the call, kept until it returns. Calls are never nested, but a
// call made from within another keeps the outer one intact.
struct TRunningCall {
    TPluginQueries* Queries = nullptr;
    std::deque<std::string> Strings;
};
thread_local TRunningCall* running = nullptr;

TPluginQueries* Queries() {
    return running != nullptr ? running->Queries : nullptr;
}

const char* Keep(std::string text) {
    running->Strings.push_back(std::move(text));
    return running->Strings.back().c_str();
}

std::string_view Arg(const char* text) {
    return text != nullptr ? std::string_view(text) : std::string_view();
}

int32_t HostLinkMode() {
    TPluginQueries* q = Queries();
    if (q == nullptr) return 0;
    return q->ExportLinks() ? TARNEL_LINKS_EXPORT : TARNEL_LINKS_BROWSE;
}

int32_t HostHeadingCount() {
    TPluginQueries* q = Queries();
    return q != nullptr ? static_cast<int32_t>(q->Headings().size()) : 0;
}

int32_t HostGetHeading(int32_t index, TarnelHeading* heading) {
    TPluginQueries* q = Queries();
    if (q == nullptr || heading == nullptr || index < 0) return 0;
    const auto& headings = q->Headings();
    if (static_cast<std::size_t>(index) >= headings.size()) return 0;
    const TPluginHeading& h = headings[static_cast<std::size_t>(index)];
    heading->level = h.Level;
    heading->title = h.Title.c_str();
    heading->href = h.Href.c_str();
    return 1;
}

int32_t HostPageCount() {
    TPluginQueries* q = Queries();
    return q != nullptr ? static_cast<int32_t>(q->Pages().size()) : 0;
}

int32_t HostGetPage(int32_t index, TarnelPageEntry* page) {
    TPluginQueries* q = Queries();
    if (q == nullptr || page == nullptr || index < 0) return 0;
    const auto& pages = q->Pages();
    if (static_cast<std::size_t>(index) >= pages.size()) return 0;
    const TPluginPage& p = pages[static_cast<std::size_t>(index)];
    page->name = p.Name.c_str();
    page->file = p.File.c_str();
    page->modified = p.Modified;
    return 1;
}

int64_t HostPageModified(const char* name) {
    TPluginQueries* q = Queries();
    return q != nullptr && name != nullptr ? q->PageModified(name) : -1;
}

const char* HostPageFile(const char* name) {
    TPluginQueries* q = Queries();
    return q != nullptr && name != nullptr ? Keep(q->PageFile(name)) : nullptr;
}

const char* HostPageLink(const char* name, const char* text) {
    TPluginQueries* q = Queries();
    return q != nullptr && name != nullptr ? Keep(q->PageLink(name, Arg(text))) : nullptr;
}

const char* HostEditLink(const char* name, const char* text) {
    TPluginQueries* q = Queries();
    return q != nullptr && name != nullptr ? Keep(q->EditLink(name, Arg(text))) : nullptr;
}

// A host function must not let an exception cross into the plug-in.
template <auto Func, class Result> Result Safe(Result failed, auto... args) noexcept {
    try {
        return Func(args...);
    } catch (...) {
        return failed;
    }
}

const TarnelHost kHost = {
    sizeof(TarnelHost),
    [] { return Safe<HostLinkMode, int32_t>(0); },
    [] { return Safe<HostHeadingCount, int32_t>(0); },
    [](int32_t i, TarnelHeading* h) { return Safe<HostGetHeading, int32_t>(0, i, h); },
    [] { return Safe<HostPageCount, int32_t>(0); },
    [](int32_t i, TarnelPageEntry* p) { return Safe<HostGetPage, int32_t>(0, i, p); },
    [](const char* n) { return Safe<HostPageModified, int64_t>(-1, n); },
    [](const char* n) { return Safe<HostPageFile, const char*>(nullptr, n); },
    [](const char* n, const char* t) { return Safe<HostPageLink, const char*>(nullptr, n, t); },
    [](const char* n, const char* t) { return Safe<HostEditLink, const char*>(nullptr, n, t); },
};

} // namespace

TPlugin::~TPlugin() {
    if (Handle != nullptr) dlclose(Handle);
}

const TarnelHost& PluginHostTable() {
    return kHost;
}

std::string TakePluginString(char16_t* text) {
    if (text == nullptr) return std::string();
    // Freed on every way out, also when the conversion throws.
    std::unique_ptr<char16_t, decltype(&std::free)> owned(text, &std::free);
    return Utf16ToShiftJis(std::u16string_view(text));
}

std::unique_lock<std::recursive_mutex> LockPluginCalls() {
    // Recursive, so that a call begun while another is under way on the same thread (the
    // running-call record below allows for it) waits for nothing.
    static std::recursive_mutex calls;
    return std::unique_lock<std::recursive_mutex>(calls);
}

std::string CallPluginInline(const TPlugin& plugin, const PluginCallArgs& args,
                             TPluginQueries* queries) {
    if (plugin.InlineFunc == nullptr) return std::string();
    // Pages are converted on more than one thread, plug-ins one call at a time.
    auto lock = LockPluginCalls();
    TRunningCall call{queries, {}};
    TRunningCall* outer = running;
    running = &call;
    struct Restore {
        TRunningCall* outer;
        ~Restore() { running = outer; }
    } restore{outer};
    // The strings must stay alive until the plug-in returns; args owns them.
    return TakePluginString(plugin.InlineFunc(args.EscapedArguments.c_str(), args.Arguments.c_str(),
                                              args.PageName.c_str(), args.PageFileName.c_str(),
                                              args.PageFolder.c_str(), args.TemplateFolder.c_str(),
                                              args.Reserved.c_str()));
}

} // namespace tarnel
