#include "storage/UWikiFileList.h"

#include "text/BRegExp.h"
#include "text/jconvert.h"

#include <algorithm>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace tarnel {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The page list sorts case-insensitively; names equal but for case keep byte order so the
// order is total and stable.
bool NameLess(const std::string& a, const std::string& b) {
    int c = strcasecmp(a.c_str(), b.c_str());
    return c != 0 ? c < 0 : a < b;
}

} // namespace

std::string EncodePageName(std::string_view pageName, bool useUtf8Names) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string bytes = useUtf8Names ? ShiftJisToUtf8(pageName) : ShiftJisToEucJp(pageName);
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 0x0F];
    }
    return hex;
}

std::string DecodeFileName(std::string_view fileName, bool useUtf8Names) {
    std::size_t slash = fileName.find_last_of('/');
    if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
    std::size_t dot = fileName.rfind('.');
    if (dot != std::string_view::npos) fileName = fileName.substr(0, dot);
    std::string bytes;
    bytes.reserve(fileName.size() / 2);
    for (std::size_t i = 0; i + 1 < fileName.size(); i += 2) {
        int high = HexValue(fileName[i]);
        int low = HexValue(fileName[i + 1]);
        if (high < 0 || low < 0) return std::string();
        bytes += static_cast<char>(high * 16 + low);
    }
    return useUtf8Names ? Utf8ToShiftJis(bytes) : EucJpToShiftJis(bytes);
}

bool IsPageFileName(std::string_view fileName, std::string_view extension) {
    // The rule is the pattern ^[0-9A-F]+<extension>$ without case, every "." of the
    // extension escaped; the extension's other characters act as pattern characters.
    std::string pattern = "m/^[0-9A-F]+";
    for (char c : extension) {
        if (c == '.')
            pattern += "\\.";
        else
            pattern += c;
    }
    if (!extension.empty()) pattern += '$';
    pattern += "/i";
    return Search(pattern, fileName).Found();
}

bool PageFileExists(const std::string& folder, std::string_view fileName) {
    struct stat st;
    std::string path = folder + std::string(fileName);
    return stat(path.c_str(), &st) == 0;
}

void TWikiFileList::Update() {
    names_.clear();
    if (folder.empty()) return;
    std::string dir = folder;
    if (dir.back() != '/') dir += '/';
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (IsPageFileName(name, extension)) names_.push_back(std::move(name));
    }
    closedir(d);
    std::sort(names_.begin(), names_.end(), NameLess);
}

void TWikiFileList::Add(const std::string& fileName) {
    auto it = std::lower_bound(names_.begin(), names_.end(), fileName, NameLess);
    if (it != names_.end() && *it == fileName) return;
    names_.insert(it, fileName);
}

int TWikiFileList::IndexOf(std::string_view fileName) const {
    std::string key(fileName);
    auto it = std::lower_bound(names_.begin(), names_.end(), key, NameLess);
    if (it == names_.end() || *it != key) return -1;
    return static_cast<int>(it - names_.begin());
}

std::string TWikiFileList::FilePath(int index) const {
    return folder + FileName(index);
}

std::string TWikiFileList::PageName(int index) const {
    return DecodeFileName(FileName(index), useUtf8Names);
}

std::string TWikiFileList::DisplayName(int index) const {
    std::string name = PageName(index);
    return displayHierarchy ? HierarchyDisplayName(name) : name;
}

std::string HierarchyDisplayName(std::string_view pageName) {
    // "/" is ASCII and never a Shift_JIS trail byte, so a byte search is safe here.
    std::string indent;
    for (;;) {
        std::size_t slash = pageName.find('/');
        if (slash == std::string_view::npos) return indent + std::string(pageName);
        // A name whose remaining "/" is its last character shows as it stands.
        if (slash + 1 == pageName.size()) return std::string(pageName);
        pageName.remove_prefix(slash + 1);
        indent += "  ";
    }
}

} // namespace tarnel
