#include "storage/URecentFileList.h"

#include "storage/UWikiFileList.h"

#include <algorithm>
#include <strings.h>

namespace tarnel {

void TRecentFileList::Add(const std::string& path) {
    Remove(path);
    files_.insert(files_.begin(), path);
}

void TRecentFileList::Remove(const std::string& path) {
    auto same = [&](const std::string& f) { return strcasecmp(f.c_str(), path.c_str()) == 0; };
    files_.erase(std::remove_if(files_.begin(), files_.end(), same), files_.end());
}

std::string TRecentFileList::PageName(int index) const {
    return DecodeFileName(FilePath(index), useUtf8Names);
}

} // namespace tarnel
