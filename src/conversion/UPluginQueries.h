// What a converter tells the plug-ins it calls about the page it converts: the answers
// behind the host table of TarnelPlugin.h (headings, the wiki's pages, links as the page
// writes them).
#pragma once

#include "plugins/UPlugin.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

class TWikiDocumentConverter;

// The page files (no folder) of `folder` with `extension`, sorted: regular files whose
// names are page file names. A folder that cannot be read gives none.
std::vector<std::string> ListPageFiles(const std::string& folder, std::string_view extension);

class TConverterQueries : public TPluginQueries {
public:
    explicit TConverterQueries(TWikiDocumentConverter& converter) : converter_(converter) {}

    // A new conversion: nothing asked, nothing known, the page list read again when asked.
    void Reset();
    // The page's headings, known from a conversion before this one of the same text: from
    // now on Headings() answers with them rather than with those met so far.
    void SetKnownHeadings(std::vector<TPluginHeading> headings);
    // Whether a plug-in asked for the headings while they were not known yet.
    bool HeadingsAsked() const { return asked_; }
    // The headings the converter has met so far, as plug-ins are told them.
    std::vector<TPluginHeading> HeadingsSoFar() const;
    // A plug-in call begins (the converter calls it before each).
    void BeginCall() { ++call_; }

    // How many calls of one conversion are told the headings; later calls are told none, so
    // that a page of thousands of contents blocks cannot grow without bound (each block is
    // as long as the list of headings).
    static constexpr int kHeadingCalls = 16;

    bool ExportLinks() override;
    const std::vector<TPluginHeading>& Headings() override;
    const std::vector<TPluginPage>& Pages() override;
    std::int64_t PageModified(std::string_view Name) override;
    std::string PageFile(std::string_view Name) override;
    std::string PageLink(std::string_view Name, std::string_view Text) override;
    std::string EditLink(std::string_view Name, std::string_view Text) override;

private:
    void AppendHeadings(std::vector<TPluginHeading>& headings) const;

    TWikiDocumentConverter& converter_;
    std::optional<std::vector<TPluginHeading>> known_;
    std::vector<TPluginHeading> soFar_; // the headings met so far, while they are not known
    std::optional<std::vector<TPluginPage>> pages_;
    bool asked_ = false;
    long call_ = 0;         // number of the running plug-in call
    long headingCall_ = -1; // the last call that was told the headings
    int headingCalls_ = 0;  // calls told them so far
};

} // namespace tarnel
