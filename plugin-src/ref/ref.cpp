// &ref(file,options); and #ref(file,options): an image, or a link to a file.
//
// The file is either an address (http, https or ftp; no other scheme is ever written into
// the page) or an attachment: a file in the "attach" folder of the wiki, named as the web
// version names attachments (the page name and the file name each in the hexadecimal of
// the wiki's page file names, joined by "_"), or, for a file of this page, simply by its
// own name. "page/file" names an attachment of another page (relative names allowed). A
// file that resolves to a place outside the wiki folder is refused.
//
// Options: "left", "center", "right" place the image in a block of its own; "nolink" is
// accepted; any other word is the text shown for the file (the image's alternative text).
#include "PluginKit.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>

using namespace tarnel::plugin;

TARNEL_PLUGIN_USAGE(u"ref", u"&ref(ファイル,left|center|right,説明);",
                    u"画像を表示するか、ファイルへのリンクを書きます。ファイルは http:// などで"
                    u"始まるアドレスか、Wiki のフォルダーの attach フォルダーにある添付ファイル"
                    u"です（「ページ名/ファイル名」で別のページの添付ファイル）。Wiki のフォルダー"
                    u"の外のファイルは表示しません。left、center、right で画像の位置を決め、"
                    u"それ以外の語は説明（画像の代わりの文字）になります。",
                    u"&ref(http://example.com/logo.png,説明);")
TARNEL_PLUGIN_TAKES_HOST

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char a = text[i], b = prefix[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

bool IsAddress(std::string_view target) {
    return StartsWithNoCase(target, "http://") || StartsWithNoCase(target, "https://") ||
           StartsWithNoCase(target, "ftp://");
}

// A scheme of any other kind ("javascript:", "data:", "file:"): refused.
bool HasOtherScheme(std::string_view target) {
    std::size_t colon = target.find(':');
    return colon != std::string_view::npos && target.find('/') > colon;
}

bool IsImage(std::string_view name) {
    std::size_t end = name.find_first_of("?#");
    if (end != std::string_view::npos) name = name.substr(0, end);
    for (std::string_view ext : {".png", ".gif", ".jpg", ".jpeg", ".webp", ".bmp", ".ico"})
        if (name.size() > ext.size() &&
            StartsWithNoCase(name.substr(name.size() - ext.size()), ext))
            return true;
    return false;
}

bool HasHighBytes(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

// A path in display form as the file system names it.
std::string SystemPath(std::string_view path) {
    return HasHighBytes(path) ? ShiftJisToUtf8(path) : std::string(path);
}

// The real place of an existing regular file inside `folder`, or empty.
std::string InsideFolder(const std::string& folder, const std::string& path) {
    char realFolder[PATH_MAX];
    char realFile[PATH_MAX];
    if (realpath(folder.c_str(), realFolder) == nullptr ||
        realpath(path.c_str(), realFile) == nullptr)
        return {};
    std::string base = std::string(realFolder) + "/";
    std::string file = realFile;
    struct stat st;
    if (file.compare(0, base.size(), base) != 0 || stat(realFile, &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return file;
}

// The hexadecimal name the wiki gives text (its page file name without the extension).
std::string HexName(const std::string& text, std::string_view extension) {
    std::string file = kit::PageFile(text);
    if (file.size() >= extension.size() &&
        file.compare(file.size() - extension.size(), extension.size(), extension) == 0)
        file.resize(file.size() - extension.size());
    return file;
}

std::string PercentEncode(std::string_view path) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : path) {
        unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            out += ch;
        } else {
            out += '%';
            out += kDigits[c >> 4];
            out += kDigits[c & 0x0F];
        }
    }
    return out;
}

std::string Message(const std::string& text) {
    return "<span class=\"plugin-error\">ref: " + text + "</span>";
}

struct Options {
    std::string align;
    std::string text; // raw
};

Options OptionsOf(const std::vector<std::string_view>& parts) {
    Options options;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::string word(Trim(parts[i]));
        if (word == "left" || word == "center" || word == "right")
            options.align = word;
        else if (word == "nolink" || word == "wrap" || word == "nowrap" || word == "around" ||
                 word == "noicon" || word == "zoom" || word.empty())
            continue;
        else
            options.text = word;
    }
    return options;
}

// The image or the link for an address already fit for an attribute.
std::string Show(const std::string& href, const std::string& name, const Options& options) {
    const std::string text = EscapeHtml(options.text.empty() ? name : options.text);
    std::string html;
    if (IsImage(name))
        html = "<img src=\"" + href + "\" alt=\"" + text + "\" title=\"" + text + "\">";
    else
        html = "<a href=\"" + href + "\">" + text + "</a>";
    if (options.align.empty()) return html;
    return "<div style=\"text-align:" + options.align + "\">" + html + "</div>";
}

std::string Ref(const char* raw, const char* pageName, const char* pageFile,
                const char* pageFolder) {
    std::vector<std::string_view> parts = SplitArguments(raw);
    const std::string target(Trim(parts[0]));
    const Options options = OptionsOf(parts);
    if (target.empty()) return Message(Utf8ToShiftJis("ファイルが指定されていません"));
    if (IsAddress(target)) return Show(EscapeHtml(target), target, options);
    if (HasOtherScheme(target))
        return Message(Utf8ToShiftJis("使えないアドレスです: ") + EscapeHtml(target));

    // An attachment: "file" of this page or "page/file".
    std::size_t slash = target.rfind('/');
    const std::string file = slash == std::string::npos ? target : target.substr(slash + 1);
    const std::string page = slash == std::string::npos
                                 ? std::string(pageName)
                                 : kit::ResolvePage(target.substr(0, slash), pageName);
    const std::string notFound =
        Message(Utf8ToShiftJis("添付ファイルが見つかりません: ") + EscapeHtml(target));
    // A "\\" byte may be the second byte of a double-byte character: looked for in the
    // name as the file system spells it.
    if (file.empty() || file == "." || file == ".." ||
        SystemPath(file).find('\\') != std::string::npos)
        return notFound;

    std::string_view own(pageFile);
    std::size_t dot = own.rfind('.');
    const std::string_view extension = dot == std::string_view::npos ? "" : own.substr(dot);
    const std::string wiki = SystemPath(pageFolder);
    const std::string attach = wiki + "attach/";
    std::vector<std::string> names;
    if (!page.empty()) names.push_back(HexName(page, extension) + "_" + HexName(file, extension));
    if (slash == std::string::npos) names.push_back(SystemPath(file));
    for (const std::string& name : names) {
        if (name.empty() || name.front() == '_') continue;
        std::string found = InsideFolder(wiki, attach + name);
        if (found.empty()) continue;
        // In the window a file address; in an exported site the path from the page.
        std::string href =
            kit::ExportLinks() ? "attach/" + PercentEncode(name) : "file://" + PercentEncode(found);
        return Show(href, file, options);
    }
    return notFound;
}

} // namespace

char16_t* PluginInline(const char*, const char* raw, const char* pageName, const char* pageFile,
                       const char* pageFolder, const char*, const char*) {
    return Guard([&] { return kit::Result(Ref(raw, pageName, pageFile, pageFolder)); });
}
