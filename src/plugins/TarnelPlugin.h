/*
 * TarnelPlugin.h: everything a Tarnel plug-in needs, and the only Tarnel header it includes.
 *
 * A plug-in is a shared library "<name>.so" placed in the "plugin" folder beside the Tarnel
 * programs. Tarnel loads every "*.so" of that folder once (RTLD_NOW | RTLD_LOCAL): the desktop
 * program at start-up, tarnel-cli when a page first calls a plug-in. It asks each library for
 * its description, and from then on calls PluginInline whenever a page calls the plug-in by
 * name, for example "&color(red,text)" in YukiWiki notation or
 * "{{color|red|text}}" in MediaWiki notation. The HTML it returns goes into the page as it is.
 *
 * 1. The exports
 *
 *    All are plain C functions (extern "C", the platform's ordinary calling convention),
 *    looked up by these exact names in the plug-in library itself (a same-named function in
 *    a library the plug-in uses does not count). Every one is required: a library that lacks
 *    one of them is not loaded, silently. GetPluginVersion is the one alternative: it is used
 *    when GetVersion is absent. SetTarnelHost (see 7) is the one optional export.
 *
 *      int32_t   GetPluginType(void)    a number shown in the plug-in list; Tarnel does not
 *                                       act on it. Shipped plug-ins return
 *                                       TARNEL_PLUGIN_TYPE_INLINE.
 *      char16_t* GetName(void)          the name pages call the plug-in by. It is the key:
 *                                       of two libraries with the same name (compared without
 *                                       regard to case) only the first loaded, in file-name
 *                                       order, is used. An empty name is not loaded.
 *      char16_t* GetVersion(void)       free text, e.g. u"1.0"
 *        (or GetPluginVersion)
 *      char16_t* GetAuthor(void)
 *      char16_t* GetSyntax(void)        how a call is written, e.g. u"&color(colour,text)"
 *      char16_t* GetDescription(void)   what it does, for the plug-in usage window
 *      char16_t* GetExample(void)       a call as a page would write it
 *      char16_t* PluginInline(seven const char*)
 *                                       the conversion, see 3.
 *
 *    Tarnel calls them once each at load time, in the order listed, then keeps the address
 *    of PluginInline.
 *
 * 2. Strings and who owns them
 *
 *    Strings Tarnel passes in are NUL-terminated byte strings in Shift_JIS (code page 932),
 *    the form in which Tarnel converts page text. They belong to Tarnel and are valid only
 *    during the call: copy what you want to keep, never write to them or free them.
 *
 *    Strings a plug-in returns are NUL-terminated UTF-16 (char16_t, native byte order)
 *    allocated with malloc() by the plug-in. Tarnel converts each one to Shift_JIS and
 *    releases it with free() right after the call, so every call must return a fresh
 *    allocation: never a string literal, a static buffer or memory from new[]. Returning
 *    NULL is allowed and means the empty string. NewString() and its siblings below make a
 *    correct result from any string.
 *
 * 3. PluginInline(arguments, raw_arguments, page_name, page_file, page_folder,
 *                 template_folder, reserved)
 *
 *      arguments        the call's arguments with HTML special characters escaped
 *                       (& < > " as entities): safe to put into the result as text.
 *      raw_arguments    the call's arguments exactly as written in the page. Use these for
 *                       values that are not shown as text (a page name, a number), and
 *                       escape anything from them that goes into the result.
 *      page_name        name of the page being converted; empty when its file name is not a
 *                       valid page file name (a file opened from outside the wiki).
 *      page_file        the page's file name without folder, e.g. "46726F6E7450616765.txt".
 *      page_folder      the folder of the page file, ending in "/": the wiki folder.
 *      template_folder  the folder of the current template set, ending in "/".
 *      reserved         always the empty string.
 *
 *    The result is an HTML fragment (UTF-16, see 2) put into the page unchanged. A line
 *    break ends a paragraph in some notations, so inline results are best kept on one line.
 *    Tarnel converts it to Shift_JIS: characters outside that code page are not kept.
 *
 *    Block calls (a call whose arguments are several lines of the page) arrive through the
 *    same entry with the lines joined, each followed by CR LF. In PukiWiki notation a line
 *    that is only "#name" or "#name(arguments)" is a block call without a body: the
 *    arguments arrive as written between the parentheses (empty for "#name"), and the
 *    result stands in the page in place of the line, as a block of its own. The name is
 *    compared with regard to case; a line naming no loaded plug-in stays text.
 *
 * 4. Calling rules
 *
 *    Every export is called one call at a time, never two at once: a plug-in needs no
 *    locking and can keep state in globals. The calls do not all come from the same thread
 *    (a big page is converted on a worker thread while the window goes on), so a plug-in
 *    must not rely on thread-local state or on being called from the window's thread. It
 *    must not keep pointers to arguments after returning, must not let a C++ exception
 *    escape (catch everything inside), and should return quickly: the page waits for it,
 *    and so does every other call. The library stays loaded until Tarnel exits.
 *
 * 5. Building
 *
 *      g++ -std=c++17 -shared -fPIC -fvisibility=hidden -O2 -o hello.so hello.cpp
 *
 *    The declarations below carry default visibility, so -fvisibility=hidden keeps
 *    everything else private to the plug-in. Only glibc and the C++ runtime are needed. The
 *    declarations also compile as C (C11); the helpers need C++17.
 *
 * 6. A complete plug-in: "&hello(World)" becomes "<b>Hello, World!</b>"
 *
 *      #include "TarnelPlugin.h"
 *
 *      using namespace tarnel::plugin;
 *
 *      int32_t GetPluginType(void) { return TARNEL_PLUGIN_TYPE_INLINE; }
 *      char16_t* GetName(void) { return NewString(u"hello"); }
 *      char16_t* GetVersion(void) { return NewString(u"1.0"); }
 *      char16_t* GetAuthor(void) { return NewString(u"A. Author"); }
 *      char16_t* GetSyntax(void) { return NewString(u"&hello(name)"); }
 *      char16_t* GetDescription(void) { return NewString(u"挨拶を太字で書きます。"); }
 *      char16_t* GetExample(void) { return NewString(u"&hello(World)"); }
 *
 *      char16_t* PluginInline(const char* arguments, const char*, const char*, const char*,
 *                             const char*, const char*, const char*)
 *      {
 *          // The escaped arguments are Shift_JIS: turn them into UTF-16 with the rest.
 *          // Guard keeps a std::bad_alloc from escaping into Tarnel.
 *          return Guard([&] {
 *              return NewString(u"<b>Hello, " + ShiftJisToUtf16(arguments) + u"!</b>");
 *          });
 *      }
 *
 * 7. Asking Tarnel about the page (optional)
 *
 *    A plug-in that needs more than the seven arguments (the page's headings, the wiki's
 *    pages with their modification times, links written the way the page writes them)
 *    defines one more export:
 *
 *      void SetTarnelHost(const TarnelHost* host)
 *
 *    Tarnel calls it once at load time, after the exports of 1 and only when the library is
 *    kept on the shelf. The table and its functions stay valid until Tarnel exits; keep the
 *    pointer. A library without this export is loaded and called exactly as before.
 *
 *    The functions answer about the page whose conversion is calling the plug-in, so they
 *    mean something only during a call of PluginInline and on the thread of that call.
 *    Called at any other time they answer nothing: 0, -1 or NULL. Strings they return are
 *    Shift_JIS, belong to Tarnel and stay valid until PluginInline returns.
 *
 *      size           sizeof(TarnelHost) as the Tarnel that filled it knows it. Members
 *                     are only ever added at the end: use one only when it lies within
 *                     size (TARNEL_HOST_HAS(host, member)).
 *      LinkMode()     TARNEL_LINKS_BROWSE when the page is shown in the window,
 *                     TARNEL_LINKS_EXPORT when it is written as an exported file.
 *      HeadingCount(), GetHeading(i, &heading)
 *                     the page's headings in page order, also those after the call (a page
 *                     that asks for them is converted twice, the second time with them
 *                     known). level counts from 1; title is the heading's text as written
 *                     and href the address of its anchor: escape both. Only the first 16
 *                     calls of a page that ask are told them; later ones are told none.
 *                     GetHeading returns 0 for an index out of range.
 *      PageCount(), GetPage(i, &page)
 *                     the pages of the wiki the page belongs to, by file name: name,
 *                     file (without folder) and modified (seconds since 1970, UTC).
 *      PageModified(name)
 *                     the modification time of the page called name, -1 when none exists.
 *      PageFile(name) the page file name (without folder) a page of that name has or
 *                     would have in this wiki.
 *      PageLink(name, text)
 *                     a link to the page as the page's own links are written: to the page
 *                     or to its exported file, a new-page mark when it does not exist. The
 *                     text is written escaped.
 *      EditLink(name, text)
 *                     a link that opens the page in Tarnel's editor; in an export, where
 *                     nothing can be edited, the text alone. The text is written escaped.
 */
#ifndef TARNEL_PLUGIN_H
#define TARNEL_PLUGIN_H

#ifdef __cplusplus
#include <cstddef>
#include <cstdint>
#else
#include <stddef.h>
#include <stdint.h>
#include <uchar.h>
#endif

/* What shipped plug-ins return from GetPluginType. Tarnel only shows the number. */
#define TARNEL_PLUGIN_TYPE_INLINE 1

/* Pointer types of the exports, as the loader sees them. */
typedef int32_t (*TarnelGetPluginTypeFunc)(void);
typedef char16_t* (*TarnelGetStringFunc)(void);
typedef char16_t* (*TarnelPluginInlineFunc)(const char* arguments, const char* raw_arguments,
                                            const char* page_name, const char* page_file,
                                            const char* page_folder, const char* template_folder,
                                            const char* reserved);

/* What SetTarnelHost receives (see 7). */
#define TARNEL_LINKS_BROWSE 1
#define TARNEL_LINKS_EXPORT 2

typedef struct TarnelHeading {
    int32_t level;     /* 1, 2, 3...: 1 for the largest headings the notation has */
    const char* title; /* the heading's text as written in the page */
    const char* href;  /* the address of its anchor */
} TarnelHeading;

typedef struct TarnelPageEntry {
    const char* name; /* page name */
    const char* file; /* page file name without folder */
    int64_t modified; /* last change, seconds since 1970-01-01 UTC */
} TarnelPageEntry;

typedef struct TarnelHost {
    uint32_t size; /* sizeof(TarnelHost) as Tarnel knows it */
    int32_t (*LinkMode)(void);
    int32_t (*HeadingCount)(void);
    int32_t (*GetHeading)(int32_t index, TarnelHeading* heading);
    int32_t (*PageCount)(void);
    int32_t (*GetPage)(int32_t index, TarnelPageEntry* page);
    int64_t (*PageModified)(const char* page_name);
    const char* (*PageFile)(const char* page_name);
    const char* (*PageLink)(const char* page_name, const char* text);
    const char* (*EditLink)(const char* page_name, const char* text);
} TarnelHost;

/* Whether the host table has a member (one added after the plug-in was built may not be). */
#define TARNEL_HOST_HAS(host, member)                                                              \
    ((host) != NULL && (host)->size >= offsetof(TarnelHost, member) + sizeof((host)->member))

typedef void (*TarnelSetHostFunc)(const TarnelHost* host);

/* The program that loads plug-ins defines TARNEL_PLUGIN_HOST and gets only the types above;
 * a plug-in gets the declarations of its exports and the helpers. */
#ifndef TARNEL_PLUGIN_HOST

#define TARNEL_PLUGIN_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* Declared here so that the definitions in a plug-in get C linkage, default visibility and
 * a signature check without further decoration. Define GetVersion or GetPluginVersion. */
TARNEL_PLUGIN_EXPORT int32_t GetPluginType(void);
TARNEL_PLUGIN_EXPORT char16_t* GetName(void);
TARNEL_PLUGIN_EXPORT char16_t* GetVersion(void);
TARNEL_PLUGIN_EXPORT char16_t* GetPluginVersion(void);
TARNEL_PLUGIN_EXPORT char16_t* GetAuthor(void);
TARNEL_PLUGIN_EXPORT char16_t* GetSyntax(void);
TARNEL_PLUGIN_EXPORT char16_t* GetDescription(void);
TARNEL_PLUGIN_EXPORT char16_t* GetExample(void);
TARNEL_PLUGIN_EXPORT char16_t* PluginInline(const char* arguments, const char* raw_arguments,
                                            const char* page_name, const char* page_file,
                                            const char* page_folder, const char* template_folder,
                                            const char* reserved);
/* Optional (see 7). */
TARNEL_PLUGIN_EXPORT void SetTarnelHost(const TarnelHost* host);

#ifdef __cplusplus
} /* extern "C" */
#endif

/* ---- Helpers for plug-ins written in C++ (header-only; glibc's iconv does the work) ---- */
#if defined(__cplusplus) && !defined(TARNEL_PLUGIN_NO_HELPERS)

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel::plugin {

// A result for Tarnel: a malloc'ed, NUL-terminated copy of text. NULL (taken as the empty
// string) only when memory runs out.
inline char16_t* NewString(std::u16string_view text) {
    auto* result = static_cast<char16_t*>(std::malloc((text.size() + 1) * sizeof(char16_t)));
    if (result == nullptr) return nullptr;
    if (!text.empty()) std::memcpy(result, text.data(), text.size() * sizeof(char16_t));
    result[text.size()] = u'\0';
    return result;
}

// The iconv name of UTF-16 in this machine's byte order. Plain "UTF-16" would add a BOM.
inline const char* NativeUtf16Name() {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return "UTF-16BE";
#else
    return "UTF-16LE";
#endif
}

namespace detail {

// One iconv pass. What cannot be converted is written as `replacement` and skipped: one
// byte of byte-encoded input (a bad byte; the next one may start a good character), one
// whole character of UTF-16 input (a character the target cannot hold). Returns false when
// anything was replaced or the encoding names are unknown.
inline bool RunIconv(std::string_view text, const char* from, const char* to,
                     std::string_view replacement, bool utf16Input, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    bool clean = true;
    std::vector<char> buffer(4 * text.size() + 16);
    char* in = const_cast<char*>(text.data()); // iconv does not write through it
    std::size_t inLeft = text.size();
    bool flushing = false;
    for (;;) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        // The last call, without input, writes what a stateful encoding still owes
        // (ISO-2022-JP's return to ASCII).
        std::size_t rc = flushing ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                                  : iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
        out.append(buffer.data(), static_cast<std::size_t>(outPtr - buffer.data()));
        if (error == E2BIG) continue;
        if (!flushing && (error == EILSEQ || error == EINVAL)) {
            clean = false;
            out.append(replacement);
            std::size_t skip = 1;
            if (utf16Input) {
                char16_t unit = 0;
                if (inLeft >= 2) std::memcpy(&unit, in, 2);
                skip = (unit >= 0xD800 && unit < 0xDC00 && inLeft >= 4) ? 4 : 2;
            }
            skip = skip < inLeft ? skip : inLeft;
            in += skip;
            inLeft -= skip;
            continue;
        }
        if (error != 0 || flushing) break;
        flushing = true;
    }
    iconv_close(cd);
    return clean;
}

} // namespace detail

// Decodes bytes of the iconv encoding `from` ("CP932" for Shift_JIS, "EUC-JP-MS", "UTF-8")
// to UTF-16. A byte that starts no valid character becomes U+FFFD; *clean, when given, says
// whether that never happened. An unknown encoding gives the empty string, *clean = false.
inline std::u16string ToUtf16(std::string_view text, const char* from, bool* clean = nullptr) {
    const char16_t mark = u'\uFFFD';
    std::string bytes;
    bool ok = detail::RunIconv(text, from, NativeUtf16Name(),
                               std::string_view(reinterpret_cast<const char*>(&mark), sizeof mark),
                               false, bytes);
    if (clean != nullptr) *clean = ok;
    std::u16string result(bytes.size() / sizeof(char16_t), u'\0');
    if (!result.empty()) std::memcpy(result.data(), bytes.data(), result.size() * sizeof(char16_t));
    return result;
}

// Encodes UTF-16 into the iconv encoding `to`; a character it cannot hold becomes "?".
inline std::string FromUtf16(std::u16string_view text, const char* to) {
    std::string out;
    detail::RunIconv(std::string_view(reinterpret_cast<const char*>(text.data()),
                                      text.size() * sizeof(char16_t)),
                     NativeUtf16Name(), to, "?", true, out);
    return out;
}

// Converts bytes from one iconv encoding to another (through UTF-16, so that bad input
// and characters the target lacks are each replaced whole).
inline std::string Recode(std::string_view text, const char* from, const char* to,
                          bool* clean = nullptr) {
    return FromUtf16(ToUtf16(text, from, clean), to);
}

inline std::u16string ShiftJisToUtf16(std::string_view text) {
    return ToUtf16(text, "CP932");
}
inline std::u16string Utf8ToUtf16(std::string_view text) {
    return ToUtf16(text, "UTF-8");
}
inline std::string ShiftJisToUtf8(std::string_view text) {
    return Recode(text, "CP932", "UTF-8");
}
inline std::string Utf8ToShiftJis(std::string_view text) {
    return Recode(text, "UTF-8", "CP932");
}

// Results straight from byte strings, e.g. NewStringFromShiftJis(arguments).
inline char16_t* NewStringFromShiftJis(std::string_view text) {
    return NewString(ShiftJisToUtf16(text));
}
inline char16_t* NewStringFromUtf8(std::string_view text) {
    return NewString(Utf8ToUtf16(text));
}

// Escapes & < > " for HTML. The byte version is safe on Shift_JIS, EUC-JP and UTF-8 text:
// none of them uses these four bytes inside a multi-byte character (Shift_JIS trail bytes
// start at 0x40). The `arguments` string of PluginInline is already escaped: escape only
// what comes from elsewhere.
template <class Char> std::basic_string<Char> EscapeHtmlOf(std::basic_string_view<Char> text) {
    std::basic_string<Char> out;
    out.reserve(text.size());
    for (Char c : text) {
        const char* entity = nullptr;
        switch (c) {
        case '&':
            entity = "&amp;";
            break;
        case '<':
            entity = "&lt;";
            break;
        case '>':
            entity = "&gt;";
            break;
        case '"':
            entity = "&quot;";
            break;
        default:
            out.push_back(c);
            continue;
        }
        for (; *entity != '\0'; ++entity)
            out.push_back(static_cast<Char>(*entity));
    }
    return out;
}
inline std::string EscapeHtml(std::string_view text) {
    return EscapeHtmlOf(text);
}
inline std::u16string EscapeHtml(std::u16string_view text) {
    return EscapeHtmlOf(text);
}

// Splits arguments at commas: "red,a,b" gives "red", "a", "b"; at most `limit` parts, the
// last keeping any further commas (limit 2: "red" and "a,b"). Safe on Shift_JIS text, whose
// trail bytes are never a comma. No blanks are trimmed.
inline std::vector<std::string_view> SplitArguments(std::string_view arguments,
                                                    std::size_t limit = 0) {
    std::vector<std::string_view> parts;
    for (;;) {
        std::size_t comma = arguments.find(',');
        if (comma == std::string_view::npos || (limit != 0 && parts.size() + 1 == limit)) {
            parts.push_back(arguments);
            return parts;
        }
        parts.push_back(arguments.substr(0, comma));
        arguments.remove_prefix(comma + 1);
    }
}

// Runs body (a function returning a result) and turns any C++ exception into NULL, which
// Tarnel shows as nothing. Exceptions must not cross the C boundary back into Tarnel:
//     char16_t* PluginInline(...) { return Guard([&] { return NewString(...); }); }
template <class Body> char16_t* Guard(Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return nullptr;
    }
}

// Removes blanks, tabs and line ends from both sides.
inline std::string_view Trim(std::string_view text) {
    const char* blanks = " \t\r\n";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return std::string_view();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace tarnel::plugin

#endif /* C++ helpers */
#endif /* TARNEL_PLUGIN_HOST */
#endif /* TARNEL_PLUGIN_H */
