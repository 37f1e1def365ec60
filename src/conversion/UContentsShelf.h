// The headings of the page last converted, in document order, for the contents tab and
// the contents block of the template.
#pragma once

#include <string>
#include <vector>

namespace tarnel {

struct TContents {
    int level = 1;      // 1 for the top heading level of the notation
    std::string anchor; // name of the heading's anchor in the converted page
    std::string title;  // the heading text as listed (display form)
};

class TContentsShelf {
public:
    void Add(const std::string& title, const std::string& anchor, int level) {
        items_.push_back(TContents{level, anchor, title});
    }
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    const TContents& Item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    // Two blanks for each level above 1, then the title.
    std::string DisplayText(int index) const;

private:
    std::vector<TContents> items_;
};

} // namespace tarnel
