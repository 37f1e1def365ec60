// Designs: named style-sheet sets, one sub-folder of the design folder (<program>/css/) each,
// holding "wiki.css" and whatever it refers to. The chosen design is what the templates reach
// through the CSSPath and CSSFile tags and what the HTML export copies.
#pragma once

#include <string>
#include <vector>

namespace tarnel {

class TDesignList {
public:
    // `designFolder` ends in "/" (normally AppFolder() + "css/").
    explicit TDesignList(std::string designFolder) : folder_(std::move(designFolder)) {}

    const std::string& Folder() const { return folder_; }

    // The design names: every sub-folder of the design folder (files are not designs),
    // sorted without regard to case. A missing design folder gives no designs.
    std::vector<std::string> Designs() const;

    // The design name the templates refer to, as "<name>/wiki.css".
    static std::string StyleSheetFile(const std::string& design) { return design + "/wiki.css"; }

    // Index of `design` in `Designs()` compared without case, or -1.
    int IndexOf(const std::string& design) const;

    // The text of a design's style sheet. Throws std::runtime_error naming the file when it
    // cannot be read.
    std::string StyleSheetText(const std::string& design) const;

private:
    std::string folder_;
};

} // namespace tarnel
