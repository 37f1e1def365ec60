// One loaded plug-in library and the call of its conversion entry.
//
// A plug-in is a shared library in the "plugin" folder beside the program; its exports are
// described in TarnelPlugin.h, the header plug-in authors build against. TPluginShelf loads
// the libraries; converters look a plug-in up there and call it through CallPluginInline.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#define TARNEL_PLUGIN_HOST 1 // the ABI types only: Tarnel itself defines no plug-in exports
#include "plugins/TarnelPlugin.h"

namespace tarnel {

using PluginInlineFunc = TarnelPluginInlineFunc;

// One loaded library. The strings are what its exports returned, in display form
// (Shift_JIS). Owns the library handle: freeing the record unloads the library, so the
// record must outlive every use of InlineFunc.
class TPlugin {
public:
    TPlugin() = default;
    ~TPlugin();
    TPlugin(const TPlugin&) = delete;
    TPlugin& operator=(const TPlugin&) = delete;

    std::string Author;
    std::string Description;
    void* Handle = nullptr; // from dlopen; dlclose'd by the destructor
    std::string FileName;   // full path of the library file
    PluginInlineFunc InlineFunc = nullptr;
    std::string Example;
    std::string Name;            // the key on the shelf
    std::int32_t PluginType = 0; // shown in the usage window, not otherwise used
    std::string Syntax;
    std::string Version; // GetVersion, else GetPluginVersion
};

// One heading of the page, as a plug-in is told it.
struct TPluginHeading {
    int Level = 1;
    std::string Title; // as written, display form
    std::string Href;  // the anchor's address
};

// One page of the wiki, as a plug-in is told it.
struct TPluginPage {
    std::string Name; // display form
    std::string File; // without folder
    std::int64_t Modified = 0;
};

// What a plug-in may ask about the page being converted (the host table of TarnelPlugin.h),
// answered by whoever calls the plug-in: the converter. Strings in display form.
class TPluginQueries {
public:
    virtual ~TPluginQueries() = default;
    virtual bool ExportLinks() = 0;
    virtual const std::vector<TPluginHeading>& Headings() = 0;
    virtual const std::vector<TPluginPage>& Pages() = 0;
    virtual std::int64_t PageModified(std::string_view Name) = 0; // -1: no such page
    virtual std::string PageFile(std::string_view Name) = 0;
    virtual std::string PageLink(std::string_view Name, std::string_view Text) = 0;
    virtual std::string EditLink(std::string_view Name, std::string_view Text) = 0;
};

// The table given to every plug-in that exports SetTarnelHost. Its functions answer through
// the queries of the call running on the calling thread (see CallPluginInline).
const TarnelHost& PluginHostTable();

// The seven strings handed to PluginInline, all Shift_JIS.
struct PluginCallArgs {
    std::string EscapedArguments; // the call's arguments, HTML-escaped
    std::string Arguments;        // the call's arguments as written
    std::string PageName;         // empty when the file name is not a valid page file name
    std::string PageFileName;     // without folder
    std::string PageFolder;       // ending in "/"
    std::string TemplateFolder;   // ending in "/"
    std::string Reserved;         // passed as the empty string
};

// Takes a string returned by a plug-in: converts the UTF-16 text to Shift_JIS and frees it.
// NULL is the empty string.
std::string TakePluginString(char16_t* text);

// Every call into a plug-in library holds this lock: pages may be converted on several
// threads, and a plug-in is called one call at a time (it may keep state in globals).
std::unique_lock<std::recursive_mutex> LockPluginCalls();

// Calls the plug-in's PluginInline with the seven strings and returns its HTML in
// Shift_JIS. A record without an entry point (never one from the shelf) gives "". During
// the call the host table answers through `queries` (nothing when absent).
std::string CallPluginInline(const TPlugin& plugin, const PluginCallArgs& args,
                             TPluginQueries* queries = nullptr);

} // namespace tarnel
