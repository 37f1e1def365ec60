// The page files shown in this run, most recent first. Not saved: it starts empty in every
// run and is emptied when another wiki folder is opened.
#pragma once

#include <string>
#include <vector>

namespace tarnel {

class TRecentFileList {
public:
    bool useUtf8Names = false;

    // Moves the path to the front (paths compare without case).
    void Add(const std::string& path);
    void Remove(const std::string& path);
    void Clear() { files_.clear(); }
    int Count() const { return static_cast<int>(files_.size()); }
    const std::string& FilePath(int index) const {
        return files_.at(static_cast<std::size_t>(index));
    }
    // The page name of an entry, shown in full (no hierarchy).
    std::string PageName(int index) const;

private:
    std::vector<std::string> files_;
};

} // namespace tarnel
