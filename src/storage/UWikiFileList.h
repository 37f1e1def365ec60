// The wiki folder and its page files.
//
// A page file is named by the page name's bytes in uppercase hexadecimal followed by the
// wiki's extension: FrontPage is 46726F6E7450616765.txt. The bytes are EUC-JP, or UTF-8 when
// the wiki uses UTF-8 file names. Page names are held in display form (Shift_JIS); the codec
// of text/UPageName.h is the only way between page names and file names.
#pragma once

#include "text/UPageName.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

// The sorted list of the page files of one folder: the page list, the search results and
// the export list.
class TWikiFileList {
public:
    std::string extension = ".txt"; // with its dot; may be empty
    bool useUtf8Names = false;
    bool displayHierarchy = false;
    std::string folder; // the wiki folder, ending in "/"

    // Lists the page files of `folder`. A folder that does not exist gives an empty list.
    // Only regular files are pages: an entry named like a page that is a folder, a device,
    // a dangling symbolic link, a link loop or a link to a file outside the wiki folder is
    // left out, with a warning in `skipped` naming it. A symbolic link to a regular file
    // inside the wiki folder is a page.
    void Update();
    void Clear() {
        names_.clear();
        skipped.clear();
    }
    // One warning per entry that the last Update left out ("name: why").
    std::vector<std::string> skipped;
    int Count() const { return static_cast<int>(names_.size()); }
    // Adds one file name at its sorted place; a name already present is not added again.
    void Add(const std::string& fileName);

    const std::string& FileName(int index) const {
        return names_.at(static_cast<std::size_t>(index));
    }
    std::string FilePath(int index) const;
    std::string PageName(int index) const;
    // The text shown in the page list: the page name, or with displayHierarchy two blanks
    // per "/" before the last component (a/b/c shows as four blanks and c).
    std::string DisplayName(int index) const;
    // Index of a file name, or -1.
    int IndexOf(std::string_view fileName) const;

private:
    std::vector<std::string> names_;
};

// The hierarchical display of a page name.
std::string HierarchyDisplayName(std::string_view pageName);

} // namespace tarnel
