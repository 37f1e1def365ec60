#include "render/UNavigation.h"

#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <cctype>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnel {

namespace {

// Whether `text` starts with `prefix`, ASCII letters compared without case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           strncasecmp(text.data(), prefix.data(), prefix.size()) == 0;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// The scheme of an address in lower case ("http"), or empty when it has none.
std::string SchemeOf(std::string_view address) {
    std::size_t colon = address.find(':');
    if (colon == std::string_view::npos || colon == 0) return {};
    std::string scheme;
    for (std::size_t i = 0; i < colon; ++i) {
        unsigned char c = static_cast<unsigned char>(address[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return {};
        scheme += static_cast<char>(std::tolower(c));
    }
    return std::isalpha(static_cast<unsigned char>(scheme[0])) ? scheme : std::string();
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The page file named by the rest of a page link. The name is the page file name that the
// converter wrote (hex digits and the extension); a link that would leave the wiki folder
// ("../", a "/" anywhere) names no page of this wiki.
bool PageFileOfLink(std::string_view rest, const std::string& folder, std::string& path) {
    std::string name = PercentDecode(rest);
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return false;
    path = folder + name;
    return true;
}

// Whether a local file is a program: execute permission, an ELF or "#!" header, or a desktop
// launcher (which the desktop would run, not show).
bool IsProgramFile(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return true;
    if (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) return true;
    std::size_t dot = path.find_last_of("./");
    if (dot != std::string::npos && path[dot] == '.') {
        std::string_view ext = std::string_view(path).substr(dot);
        for (std::string_view launcher :
             {".desktop", ".sh", ".bash", ".exe", ".bat", ".cmd", ".com", ".jar", ".appimage",
              ".run", ".bin", ".py", ".pl", ".rb", ".deb", ".rpm"})
            if (EqualNoCase(ext, launcher)) return true;
    }
    char head[4] = {};
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return true;
    ssize_t got = read(fd, head, sizeof head);
    close(fd);
    if (got >= 2 && head[0] == '#' && head[1] == '!') return true;
    if (got == 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F')
        return true;
    return false;
}

std::string FormatOne(const std::string& format, const std::string& value) {
    std::size_t p = format.find("%s");
    if (p == std::string::npos) return format;
    return format.substr(0, p) + value + format.substr(p + 2);
}

} // namespace

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string LocalPathOfFileUrl(std::string_view address) {
    if (SchemeOf(address) != "file") return {};
    std::string_view rest = address.substr(5);
    // "file:///path" and "file://localhost/path" name a local file; "file:/path" too.
    if (StartsWithNoCase(rest, "//localhost/"))
        rest.remove_prefix(11);
    else if (rest.substr(0, 3) == "///")
        rest.remove_prefix(2);
    else if (rest.substr(0, 2) == "//")
        return {}; // another machine
    std::size_t end = rest.find_first_of("?#");
    if (end != std::string_view::npos) rest = rest.substr(0, end);
    if (rest.empty() || rest[0] != '/') return {};
    std::string path = PercentDecode(rest);
    // A NUL in a path would cut it short at the system's door.
    if (path.find('\0') != std::string::npos) return {};
    return path;
}

bool MayHandToSystem(std::string_view address) {
    std::string scheme = SchemeOf(address);
    if (scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "mailto")
        return address.size() > scheme.size() + 1;
    if (scheme != "file") return false;
    std::string path = LocalPathOfFileUrl(address);
    return !path.empty() && !IsProgramFile(path);
}

TNavigation DecideNavigation(std::string_view address, std::string_view frameName,
                             const TNavigationContext& context) {
    TNavigation nav;
    nav.Address = std::string(address);
    if (address == "about:blank") return nav; // LetThrough

    if (StartsWithNoCase(address, "wikilink:")) {
        if (PageFileOfLink(address.substr(9), context.DocumentFolder, nav.Path))
            nav.Kind = TNavigationKind::OpenPage;
        else
            nav.Kind = TNavigationKind::Refuse;
        return nav;
    }
    if (StartsWithNoCase(address, "newlink:")) {
        if (PageFileOfLink(address.substr(8), context.DocumentFolder, nav.Path))
            nav.Kind = TNavigationKind::NewPage;
        else
            nav.Kind = TNavigationKind::Refuse;
        return nav;
    }
    if (StartsWithNoCase(address, "editlink:")) {
        if (PageFileOfLink(address.substr(9), context.DocumentFolder, nav.Path))
            nav.Kind = TNavigationKind::EditPage;
        else
            nav.Kind = TNavigationKind::Refuse;
        return nav;
    }
    if (StartsWithNoCase(address, "innerlink:")) {
        // "innerlink:#name": the anchor is what follows the "#".
        std::string_view rest = address.substr(10);
        if (!rest.empty() && rest[0] == '#') rest.remove_prefix(1);
        nav.Kind = TNavigationKind::ScrollToAnchor;
        nav.Anchor = PercentDecode(rest);
        return nav;
    }

    if (frameName.substr(0, 6) == "iframe") return nav; // LetThrough

    std::string scheme = SchemeOf(address);
    if (context.NewWindow) {
        // Pages shown through the temporary folder are the view's own.
        std::string path = LocalPathOfFileUrl(address);
        if (!path.empty() && !context.TmpFolder.empty()) {
            std::size_t slash = path.find_last_of('/');
            if (EqualNoCase(path.substr(0, slash + 1), context.TmpFolder)) return nav;
        }
        nav.Kind =
            MayHandToSystem(address) ? TNavigationKind::HandToSystem : TNavigationKind::Refuse;
        return nav;
    }
    // Shown in the view itself: what a browser shows. A mail address has no page to show,
    // so it goes to the mail program; any other scheme would reach whatever program claims
    // it, which a page must not be able to start.
    if (scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "file" ||
        scheme == "data" || scheme == "about" || scheme == "blob")
        nav.Kind = TNavigationKind::ShowOuterPage;
    else if (scheme == "mailto")
        nav.Kind = TNavigationKind::HandToSystem;
    else
        nav.Kind = TNavigationKind::Refuse;
    return nav;
}

std::string StatusTextFor(std::string_view address, const TLanguage& language, bool useUtf8Names) {
    const char* key = nullptr;
    std::string_view rest;
    if (StartsWithNoCase(address, "wikilink:")) {
        key = "Main.Status.Wiki.Move";
        rest = address.substr(9);
    } else if (StartsWithNoCase(address, "newlink:")) {
        key = "Main.Status.Wiki.New";
        rest = address.substr(8);
    } else if (StartsWithNoCase(address, "editlink:")) {
        key = "Main.Status.Wiki.Edit";
        rest = address.substr(9);
    } else {
        return std::string(address);
    }
    std::string name = DecodeFileName(PercentDecode(rest), useUtf8Names);
    return ShiftJisToUtf8(FormatOne(LangText(language, key), name));
}

} // namespace tarnel
