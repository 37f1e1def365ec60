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

std::uint64_t TPageNameSet::Hash(std::string_view s) noexcept {
    // FNV-1a, then mixed so that the low bits used for the slot depend on every byte.
    std::uint64_t h = 14695981039346656037ull;
    for (char c : s) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return h;
}

void TPageNameSet::Assign(const TWikiFileList& list) {
    Clear();
    folder_ = list.folder;
    if (!FolderStamp(folder_, stamp_)) stamp_ = {};
    const auto count = static_cast<std::size_t>(list.Count());
    names_.reserve(count);
    std::size_t size = 16;
    while (size < 2 * count)
        size *= 2;
    slots_.assign(size, TSlot{});
    const std::size_t mask = size - 1;
    for (int i = 0; i < list.Count(); ++i) {
        std::string name = list.FileName(i);
        const std::uint64_t h = Hash(name);
        std::size_t at = h & mask;
        bool present = false;
        for (; slots_[at].index != 0; at = (at + 1) & mask) {
            if (slots_[at].hash == h && names_[slots_[at].index - 1] == name) {
                present = true;
                break;
            }
        }
        if (present) continue;
        names_.push_back(std::move(name));
        slots_[at] = TSlot{h, static_cast<std::uint32_t>(names_.size())};
    }
}

void TPageNameSet::Clear() {
    folder_.clear();
    stamp_ = {};
    names_.clear();
    slots_.clear();
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
    if (folder == folder_ || (folder.empty() && folder_ == "./")) {
        if (slots_.empty()) return false;
        const std::uint64_t h = Hash(fileName);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = h & mask; slots_[at].index != 0; at = (at + 1) & mask)
            if (slots_[at].hash == h && names_[slots_[at].index - 1] == fileName) return true;
        return false;
    }
    return PageFileExists(folder, fileName);
}

std::vector<std::string> TPageNameSet::PageFiles(const std::string& folder,
                                                 std::string_view extension) const {
    if (!folder_.empty() && (folder == folder_ || (folder.empty() && folder_ == "./")))
        return names_;
    return TPageExistence::PageFiles(folder, extension);
}

} // namespace tarnel
