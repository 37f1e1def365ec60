#include "storage/UWikiFileList.h"

#include "text/BRegExp.h"
#include "text/jconvert.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
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

// The real path of a folder, ending in "/", or empty.
std::string RealFolder(const std::string& dir) {
    char* real = realpath(dir.c_str(), nullptr);
    if (!real) return {};
    std::string path = real;
    free(real);
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

// Why the entry `name` of `dir` is not a page, or empty when it is one. `type` is the
// entry's d_type: a regular file needs no further look.
std::string WhyNotAPage(const std::string& dir, const std::string& name, unsigned char type,
                        std::string& realDir) {
    if (type == DT_REG) return {};
    if (type == DT_DIR) return "a folder, not a page file";
    std::string path = dir + name;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return "cannot be read";
    if (S_ISREG(st.st_mode)) return {};
    if (S_ISDIR(st.st_mode)) return "a folder, not a page file";
    if (!S_ISLNK(st.st_mode)) return "not a regular file";
    // A symbolic link counts only when it ends at a regular file inside the wiki folder,
    // so that a page can never make search or export read a file from elsewhere.
    char* target = realpath(path.c_str(), nullptr);
    if (!target) return errno == ELOOP ? "a symbolic link loop" : "a dangling symbolic link";
    std::string real = target;
    free(target);
    if (realDir.empty()) realDir = RealFolder(dir);
    if (realDir.empty() || real.compare(0, realDir.size(), realDir) != 0)
        return "a symbolic link to a file outside the wiki folder";
    if (stat(real.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return "a symbolic link to something that is not a regular file";
    return {};
}

} // namespace

void TWikiFileList::Update() {
    names_.clear();
    skipped.clear();
    if (folder.empty()) return;
    std::string dir = folder;
    if (dir.back() != '/') dir += '/';
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    std::string realDir; // found when a link needs it
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (!IsPageFileName(name, extension)) continue;
        std::string why = WhyNotAPage(dir, name, e->d_type, realDir);
        if (why.empty())
            names_.push_back(std::move(name));
        else
            skipped.push_back(name + ": skipped, " + why);
    }
    closedir(d);
    std::sort(skipped.begin(), skipped.end());
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
