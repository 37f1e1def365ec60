// Plug-in libraries for the loader's edge cases, all from this one source. Exactly one
// TESTPLUGIN_<VARIANT> is defined per library:
//   PROBE       complete; exports GetVersion and GetPluginVersion; records the order in
//               which its exports are called; PluginInline echoes its seven arguments
//   ALTVERSION  GetPluginVersion instead of GetVersion
//   NOEXAMPLE   no GetExample
//   TWIN_A      name "twin";  TWIN_B  name "Twin" (the same name in another case)
//   NULLS       every string export but GetName returns NULL, and so does PluginInline
//   NONAME      GetName returns NULL
//   KATAKANA    name "ア" (Shift_JIS 83 41: its trail byte is the letter "A")
//   BORROWED    no GetExample of its own, but linked to a library that has one
#include "TarnelPlugin.h"

#include <cstring>

using namespace tarnel::plugin;

namespace {

// Export calls so far, comma-separated. A plain array: no C++ static to construct.
char g_calls[512];

char16_t* Record(const char* name, char16_t* result) {
    if (g_calls[0] != '\0') std::strncat(g_calls, ",", sizeof g_calls - std::strlen(g_calls) - 1);
    std::strncat(g_calls, name, sizeof g_calls - std::strlen(g_calls) - 1);
    return result;
}

#if defined(TESTPLUGIN_NULLS)
#define TEXT(literal) nullptr
#else
#define TEXT(literal) NewString(literal)
#endif

#if defined(TESTPLUGIN_PROBE)
constexpr const char16_t* kName = u"probe";
#elif defined(TESTPLUGIN_ALTVERSION)
constexpr const char16_t* kName = u"altversion";
#elif defined(TESTPLUGIN_NOEXAMPLE)
constexpr const char16_t* kName = u"noexample";
#elif defined(TESTPLUGIN_TWIN_A)
constexpr const char16_t* kName = u"twin";
#elif defined(TESTPLUGIN_TWIN_B)
constexpr const char16_t* kName = u"Twin";
#elif defined(TESTPLUGIN_NULLS)
constexpr const char16_t* kName = u"nulls";
#elif defined(TESTPLUGIN_NONAME)
// GetName returns NULL
#elif defined(TESTPLUGIN_KATAKANA)
constexpr const char16_t* kName = u"ア";
#elif defined(TESTPLUGIN_BORROWED)
constexpr const char16_t* kName = u"borrowed";
#else
#error "define one TESTPLUGIN_<VARIANT>"
#endif

} // namespace

#if defined(TESTPLUGIN_BORROWED)
extern "C" char16_t* BorrowedExports(void); // from exports.cpp: makes it a dependency
#endif

int32_t GetPluginType(void) {
    Record("GetPluginType", nullptr);
    return 7;
}
char16_t* GetName(void) {
#if defined(TESTPLUGIN_NONAME)
    return Record("GetName", nullptr);
#else
    return Record("GetName", NewString(kName));
#endif
}

#if !defined(TESTPLUGIN_ALTVERSION)
char16_t* GetVersion(void) {
    return Record("GetVersion", TEXT(u"1.0"));
}
#endif
#if defined(TESTPLUGIN_ALTVERSION) || defined(TESTPLUGIN_PROBE)
char16_t* GetPluginVersion(void) {
    return Record("GetPluginVersion", TEXT(u"2.5-alt"));
}
#endif

char16_t* GetAuthor(void) {
#if defined(TESTPLUGIN_TWIN_B)
    return Record("GetAuthor", TEXT(u"second"));
#elif defined(TESTPLUGIN_TWIN_A)
    return Record("GetAuthor", TEXT(u"first"));
#else
    return Record("GetAuthor", TEXT(u"Tarnel tests"));
#endif
}
char16_t* GetSyntax(void) {
    return Record("GetSyntax", TEXT(u"&probe(引数)"));
}
char16_t* GetDescription(void) {
    return Record("GetDescription", TEXT(u"試験用"));
}
#if !defined(TESTPLUGIN_NOEXAMPLE) && !defined(TESTPLUGIN_BORROWED)
char16_t* GetExample(void) {
    return Record("GetExample", TEXT(u"&probe(例)"));
}
#endif

char16_t* PluginInline(const char* arguments, const char* raw_arguments, const char* page_name,
                       const char* page_file, const char* page_folder, const char* template_folder,
                       const char* reserved) {
#if defined(TESTPLUGIN_NULLS) || defined(TESTPLUGIN_BORROWED)
    (void)arguments, (void)raw_arguments, (void)page_name, (void)page_file, (void)page_folder,
        (void)template_folder, (void)reserved;
#if defined(TESTPLUGIN_BORROWED)
    return BorrowedExports();
#else
    return nullptr;
#endif
#else
    return Guard([&] {
        if (std::strcmp(raw_arguments, "calls") == 0) return NewStringFromUtf8(g_calls);
        std::string echo = "[";
        for (const char* arg : {arguments, raw_arguments, page_name, page_file, page_folder,
                                template_folder, reserved}) {
            if (echo.size() > 1) echo += '|';
            echo += arg;
        }
        return NewStringFromShiftJis(echo + "]");
    });
#endif
}
