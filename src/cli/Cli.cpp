#include "cli/Cli.h"

#include "render/UWikiSession.h"
#include "settings/AppFolder.h"
#include "text/jconvert.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace tarnel::cli {

bool Arguments::Take(std::string_view option) {
    if (Empty() || args_[pos_] != option) return false;
    ++pos_;
    return true;
}

std::string Arguments::Value(std::string_view option) {
    if (Empty()) throw UsageError{std::string(option) + " needs a value"};
    return Next();
}

void PrintLine(std::string_view displayText) {
    std::string line = ShiftJisToUtf8(displayText);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

std::unique_ptr<TWikiSession> OpenSession(const std::string& folder, const CommonOptions& common) {
    if (!common.configFile.empty() && !std::filesystem::is_regular_file(common.configFile))
        throw std::runtime_error("no such settings file: " + common.configFile);
    auto session = std::make_unique<TWikiSession>(AppFolder());
    session->Start(common.configFile);
    for (const std::string& message : session->OpenWiki(folder))
        std::fprintf(stderr, "tarnel-cli: %s\n", ShiftJisToUtf8(message).c_str());
    return session;
}

Progress::Progress(std::string label)
    : label_(std::move(label)), terminal_(isatty(STDERR_FILENO) != 0) {}

bool Progress::Show(int done, int total) {
    if (!terminal_ || total <= 0) return true;
    int percent = static_cast<int>(100LL * done / total);
    if (percent == shown_) return true;
    shown_ = percent;
    std::fprintf(stderr, "\r%s %d/%d (%d%%)", label_.c_str(), done, total, percent);
    std::fflush(stderr);
    return true;
}

void Progress::Done() {
    if (terminal_ && shown_ >= 0) std::fputs("\r\033[K", stderr);
}

std::string AsFolder(std::string folder) {
    if (folder.empty()) return "./";
    if (folder.back() != '/') folder += '/';
    return folder;
}

} // namespace tarnel::cli
