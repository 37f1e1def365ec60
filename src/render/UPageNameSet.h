// The names of the open wiki's page files, kept in memory for the converters' page links.
//
// A page full of links asks for every link whether its page exists; answering from this set
// costs a hash look-up instead of a file-system call. The session builds the set whenever it
// reads the page list and checks once per page shown that the folder has not changed since
// (a page created, renamed or deleted by another program changes the folder's time stamp).
#pragma once

#include "conversion/UWikiDocumentConverter.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

class TWikiFileList;

class TPageNameSet : public TPageExistence {
public:
    // Takes the page files of a freshly read page list, and the folder's time stamp now.
    void Assign(const TWikiFileList& list);
    void Clear();
    // Whether the folder is unchanged since Assign (false before the first Assign).
    bool IsCurrent() const;
    const std::string& Folder() const { return folder_; }

    // Answers from the set for the folder it holds; for any other folder the file system
    // is asked, so a converter given this set is never wrong, only slower elsewhere.
    bool PageExists(const std::string& folder, std::string_view fileName) const override;
    // The names of the set for its own folder (the page list's, sorted); any other folder
    // is read.
    std::vector<std::string> PageFiles(const std::string& folder,
                                       std::string_view extension) const override;

private:
    std::string folder_;
    timespec stamp_{};
    // An open-addressing table over the names: each slot holds a name's hash and its index
    // in names_ (0 = empty), so a look-up for a link mostly touches one slot and no string.
    struct TSlot {
        std::uint64_t hash = 0;
        std::uint32_t index = 0; // 1-based index into names_
    };
    std::vector<std::string> names_;
    std::vector<TSlot> slots_;
    static std::uint64_t Hash(std::string_view s) noexcept;
};

} // namespace tarnel
