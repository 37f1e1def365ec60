#include "render/UPageNameSet.h"

#include "storage/UWikiFileList.h"

#include <sys/stat.h>

namespace tarnel {

namespace {

bool FolderStamp(const std::string& folder, timespec& stamp) {
    struct stat st;
    if (stat(folder.c_str(), &st) != 0) return false;
    stamp = st.st_mtim;
    return true;
}

} // namespace

void TPageNameSet::Assign(const TWikiFileList& list) {
    Clear();
    folder_ = list.folder;
    if (!FolderStamp(folder_, stamp_)) stamp_ = {};
    names_.reserve(static_cast<std::size_t>(list.Count()));
    for (int i = 0; i < list.Count(); ++i)
        names_.insert(list.FileName(i));
}

void TPageNameSet::Clear() {
    folder_.clear();
    stamp_ = {};
    names_.clear();
}

bool TPageNameSet::IsCurrent() const {
    if (folder_.empty()) return false;
    timespec now{};
    if (!FolderStamp(folder_, now)) return stamp_.tv_sec == 0 && stamp_.tv_nsec == 0;
    return now.tv_sec == stamp_.tv_sec && now.tv_nsec == stamp_.tv_nsec;
}

bool TPageNameSet::PageExists(const std::string& folder, std::string_view fileName) const {
    // A page given without a folder ("" from the converter) lies in the current folder,
    // which the page list names "./".
    if (folder == folder_ || (folder.empty() && folder_ == "./"))
        return names_.find(fileName) != names_.end();
    return PageFileExists(folder, fileName);
}

} // namespace tarnel
