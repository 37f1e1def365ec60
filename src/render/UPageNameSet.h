// The names of the open wiki's page files, kept in memory for the converters' page links.
//
// A page full of links asks for every link whether its page exists; answering from this set
// costs a hash look-up instead of a file-system call. The session builds the set whenever it
// reads the page list and checks once per page shown that the folder has not changed since
// (a page created, renamed or deleted by another program changes the folder's time stamp).
#pragma once

#include "conversion/UWikiDocumentConverter.h"

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

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

private:
    std::string folder_;
    timespec stamp_{};
    // Looked up by string_view without making a string for each link.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept {
            return std::hash<std::string_view>{}(s);
        }
    };
    std::unordered_set<std::string, NameHash, std::equal_to<>> names_;
};

} // namespace tarnel
