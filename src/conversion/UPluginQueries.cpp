#include "conversion/UPluginQueries.h"

#include "conversion/UWikiDocumentConverter.h"
#include "text/UPageName.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace tarnel {

namespace {

// The modification time of a regular file, or -1.
std::int64_t ModifiedTime(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<std::int64_t>(st.st_mtime);
}

} // namespace

std::vector<std::string> ListPageFiles(const std::string& folder, std::string_view extension) {
    std::vector<std::string> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error), end;
         !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        std::error_code typeError;
        if (IsPageFileName(name, extension) && it->is_regular_file(typeError))
            files.push_back(std::move(name));
    }
    std::sort(files.begin(), files.end());
    return files;
}

void TConverterQueries::Reset() {
    known_.reset();
    soFar_.clear();
    pages_.reset();
    asked_ = false;
    headingCall_ = -1;
    headingCalls_ = 0;
}

void TConverterQueries::SetKnownHeadings(std::vector<TPluginHeading> headings) {
    known_ = std::move(headings);
}

std::vector<TPluginHeading> TConverterQueries::HeadingsSoFar() const {
    std::vector<TPluginHeading> headings;
    AppendHeadings(headings);
    return headings;
}

void TConverterQueries::AppendHeadings(std::vector<TPluginHeading>& headings) const {
    // The contents only grow during a conversion: only the headings met since are added.
    const TContentsShelf& contents = converter_.Contents;
    const std::string prefix = converter_.InnerLinkPrefix() + "#";
    for (int i = static_cast<int>(headings.size()); i < contents.Count(); ++i) {
        const TContents& entry = contents.Item(i);
        headings.push_back(TPluginHeading{entry.level, entry.title, prefix + entry.anchor});
    }
}

bool TConverterQueries::ExportLinks() {
    return !converter_.UsesInnerLinks();
}

const std::vector<TPluginHeading>& TConverterQueries::Headings() {
    if (headingCall_ != call_) {
        headingCall_ = call_;
        ++headingCalls_;
    }
    if (headingCalls_ > kHeadingCalls) {
        static const std::vector<TPluginHeading> none;
        return none;
    }
    if (known_) return *known_;
    // Headings after the call are not met yet: the converter runs again with them known.
    asked_ = true;
    AppendHeadings(soFar_);
    return soFar_;
}

const std::vector<TPluginPage>& TConverterQueries::Pages() {
    if (pages_) return *pages_;
    const TConverterOptions& options = converter_.Options;
    const std::string folder = converter_.PageFolder();
    std::vector<std::string> files = options.Pages
                                         ? options.Pages->PageFiles(folder, options.Extension)
                                         : ListPageFiles(folder, options.Extension);
    pages_.emplace();
    pages_->reserve(files.size());
    for (std::string& file : files) {
        std::int64_t modified = ModifiedTime(folder + file);
        if (modified < 0) continue; // gone since the list was read
        std::string name = DecodeFileName(file, options.Utf8FileNames);
        pages_->push_back(TPluginPage{std::move(name), std::move(file), modified});
    }
    return *pages_;
}

std::int64_t TConverterQueries::PageModified(std::string_view Name) {
    return ModifiedTime(converter_.PageFolder() + converter_.PageFileOf(Name));
}

std::string TConverterQueries::PageFile(std::string_view Name) {
    return converter_.PageFileOf(Name);
}

std::string TConverterQueries::PageLink(std::string_view Name, std::string_view Text) {
    return converter_.MakePageLink(converter_.PageFileOf(Name),
                                   TWikiDocumentConverter::EscapeHtml(Text), true);
}

std::string TConverterQueries::EditLink(std::string_view Name, std::string_view Text) {
    std::string text = TWikiDocumentConverter::EscapeHtml(Text);
    if (!converter_.UsesInnerLinks()) return text; // an exported page is not edited
    return "<a href=\"EditLink:" + converter_.PageFileOf(Name) + "\" class=\"editlink\">" + text +
           "</a>";
}

} // namespace tarnel
