#include "render/UPageRequests.h"

#include "settings/UTarnelReg.h"
#include "storage/UWikiFileList.h"
#include "text/UFileIO.h"

#include <sys/stat.h>

namespace tarnel {

namespace {

std::string NameOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string FirstPageToOpen(const std::vector<std::string>& arguments,
                            const std::string& lastView) {
    if (!arguments.empty()) {
        const std::string& first = arguments.front();
        if (IsPlainFile(first) && IsPageFileName(NameOf(first), "")) return first;
    }
    return IsPlainFile(lastView) ? lastView : std::string();
}

std::string DroppedPageToOpen(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        if (IsPageFileName(NameOf(path), "") && IsPlainFile(path)) return path;
    return {};
}

std::string TopPagePath(const std::string& documentFolder, const std::string& topPage,
                        const std::string& extension, bool useUtf8Names) {
    const std::string& name = topPage.empty() ? std::string(kDefaultTopPage) : topPage;
    return documentFolder + EncodePageName(name, useUtf8Names) + extension;
}

std::string AssignedEditorCommand(const std::string& assigned, const std::string& path) {
    std::string out;
    for (std::size_t i = 0; i < assigned.size(); ++i) {
        if (assigned[i] == '%' && i + 1 < assigned.size() && assigned[i + 1] == 'f') {
            out += path;
            ++i;
        } else {
            out += assigned[i];
        }
    }
    return out;
}

std::string EditorStartError(const std::string& message, const std::string& commandLine) {
    return message + " [" + commandLine + "]";
}

} // namespace tarnel
