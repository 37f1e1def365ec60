#include "storage/UWikiFileList.h"

#include "text/BRegExp.h"
#include "text/jconvert.h"

#include <algorithm>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace tarnel {

namespace {

// The page list sorts case-insensitively; names equal but for case keep byte order so the
// order is total and stable.
bool NameLess(const std::string& a, const std::string& b) {
    int c = strcasecmp(a.c_str(), b.c_str());
    return c != 0 ? c < 0 : a < b;
}

} // namespace

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
