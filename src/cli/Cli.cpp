#include "cli/Cli.h"

#include "settings/UTarnelReg.h"
#include "storage/UDocumentSettings.h"
#include "text/jconvert.h"

#include <cstdio>
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

WikiDefaults LoadWikiDefaults(const std::string& folder, const CommonOptions& common) {
    TTarnelReg settings;
    if (!common.configFile.empty()) settings.SetFileName(common.configFile);
    settings.Load();
    TDocumentSettings wiki;
    OpenWikiSettings(wiki, settings, folder);
    WikiDefaults d;
    d.notation =
        settings.Notation == TWikiNotation::None ? TWikiNotation::YukiWiki : settings.Notation;
    d.linkMode = settings.NoWikiNameLink ? 3 : 4;
    d.looseWikiName = settings.LooseWikiName;
    d.keepLineBreaks = settings.LineBreak;
    d.utf8Names = settings.NameEncodingUTF8;
    d.extension = settings.Extension;
    d.read = PageReadOptions{settings.TitleEncodingUTF8, settings.ReadCharCode};
    return d;
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
