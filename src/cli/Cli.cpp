#include "cli/Cli.h"

#include "render/UWikiSession.h"
#include "settings/AppFolder.h"
#include "text/jconvert.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>
#include <vector>

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

OutputEncoding ParseOutputEncoding(const std::string& value) {
    if (value == "utf8") return OutputEncoding::Utf8;
    if (value == "sjis") return OutputEncoding::ShiftJis;
    if (value == "euc") return OutputEncoding::EucJp;
    throw UsageError{"unknown encoding: " + value + " (utf8, sjis or euc)"};
}

// Every line end (CR LF, CR or LF) becomes LF: converter output uses CR LF, templates
// may use either, so one text can mix them.
std::string LfLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t cr = text.find('\r', pos);
        if (cr == std::string_view::npos) break;
        out.append(text.substr(pos, cr - pos));
        out += '\n';
        pos = cr + (cr + 1 < text.size() && text[cr + 1] == '\n' ? 2 : 1);
    }
    out.append(text.substr(std::min(pos, text.size())));
    return out;
}

std::string EncodeOutput(std::string_view display, OutputEncoding encoding) {
    std::string lf = LfLineEnds(display);
    switch (encoding) {
    case OutputEncoding::Utf8:
        return ShiftJisToUtf8(lf);
    case OutputEncoding::EucJp:
        return ShiftJisToEucJp(lf);
    case OutputEncoding::ShiftJis:
        break;
    }
    return lf;
}

namespace {

// Where a piece of display text may end, at `from` or after: past two bytes below 0x40, the
// second not a CR. The first is no lead byte, so the second is not taken into a double-byte
// character, not even by a stray lead byte that takes whatever byte follows it; being below
// 0x40 it is a character of its own, and no CR LF pair is cut. The pieces therefore convert
// exactly as the whole text does. A page's HTML may be one long line, so line feeds alone
// are not enough to cut it by.
std::size_t PieceEnd(std::string_view display, std::size_t from) {
    for (std::size_t i = std::max<std::size_t>(from, 1); i < display.size(); ++i) {
        auto before = static_cast<unsigned char>(display[i - 1]);
        auto b = static_cast<unsigned char>(display[i]);
        if (b < 0x40 && b != '\r' && before < 0x40) return i + 1;
    }
    return display.size();
}

} // namespace

void WriteEncoded(std::string_view display, OutputEncoding encoding) {
    constexpr std::size_t kPiece = 1 << 20;
    std::size_t pos = 0;
    while (pos < display.size()) {
        std::size_t end =
            display.size() - pos > kPiece ? PieceEnd(display, pos + kPiece) : display.size();
        std::string piece = EncodeOutput(display.substr(pos, end - pos), encoding);
        std::fwrite(piece.data(), 1, piece.size(), stdout);
        pos = end;
    }
}

void WriteLfLines(std::string_view text) {
    // Shift_JIS output changes nothing but line ends, and the pieces are cut past bytes
    // below 0x40, which are no part of a longer character in UTF-8 either.
    WriteEncoded(text, OutputEncoding::ShiftJis);
}

PageEncoding ParseReadEncoding(const std::string& value) {
    static const struct {
        const char* name;
        PageEncoding encoding;
    } kNames[] = {{"auto", PageEncoding::Automatic},
                  {"sjis", PageEncoding::ShiftJis},
                  {"euc", PageEncoding::EucJp},
                  {"jis", PageEncoding::Jis},
                  {"utf8", PageEncoding::Utf8}};
    for (const auto& n : kNames)
        if (value == n.name) return n.encoding;
    throw UsageError{"--read is auto, sjis, euc, jis or utf8, not " + value};
}

bool TakeCommonOption(Arguments& args, CommandOptions& options) {
    if (args.Take("--read")) {
        options.read = ParseReadEncoding(args.Value("--read"));
        return true;
    }
    return false;
}

std::string EscapeForTerminal(std::string_view utf8Text, bool terminal) {
    if (!terminal) return std::string(utf8Text);
    std::string out;
    char buffer[8];
    for (char c : utf8Text) {
        auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            std::snprintf(buffer, sizeof buffer, "\\x%02X", b);
            out += buffer;
        } else {
            out += c;
        }
    }
    return out;
}

void PrintLine(std::string_view displayText) {
    static const bool terminal = isatty(STDOUT_FILENO) != 0;
    std::string line = ShiftJisToUtf8(displayText);
    if (line.empty() && !displayText.empty()) {
        // Not text in the display form: every byte above 0x7F is shown as its code.
        char buffer[8];
        for (char c : displayText) {
            auto b = static_cast<unsigned char>(c);
            if (b >= 0x80 && terminal) {
                std::snprintf(buffer, sizeof buffer, "\\x%02X", b);
                line += buffer;
            } else {
                line += c;
            }
        }
    }
    line = EscapeForTerminal(line, terminal);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

std::string MessageLanguage(const CommonOptions& common) {
    return common.language.empty() ? LocaleLanguage() : common.language;
}

std::unique_ptr<TWikiSession> OpenSession(const std::string& folder, const CommonOptions& common,
                                          const CommandOptions& options) {
    if (!common.configFile.empty() && !std::filesystem::is_regular_file(common.configFile))
        throw std::runtime_error("no such settings file: " + common.configFile);
    auto session = std::make_unique<TWikiSession>(AppFolder());
    session->Start(common.configFile, true);
    // The command line follows the terminal's locale rather than the desktop's setting.
    const std::string language = session->Language().ChooseLanguage(MessageLanguage(common));
    if (!common.language.empty() && language != common.language)
        throw std::runtime_error("no language file " + common.language + ".txt in " +
                                 session->Language().LanguageFolder());
    if (!language.empty()) session->Language().LoadLanguage(language + ".txt");
    if (options.read) session->SetReadEncoding(*options.read);
    for (const std::string& message : session->OpenWiki(folder))
        std::fprintf(stderr, "tarnel-cli: %s\n", ShiftJisToUtf8(message).c_str());
    return session;
}

std::string FindDesign(const TWikiSession& session, const std::string& name) {
    TDesignList designs = session.Designs();
    int at = designs.IndexOf(name);
    std::vector<std::string> names = designs.Designs();
    if (at >= 0) return names[static_cast<std::size_t>(at)];
    std::string valid;
    for (const std::string& n : names)
        valid += (valid.empty() ? "" : ", ") + n;
    throw std::runtime_error("no design " + name + " (" +
                             (valid.empty() ? "none installed" : valid) + ")");
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

void RequirePageFile(const std::string& page) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(page, ec))
        throw std::runtime_error("no such page file: " + page);
}

std::string AsFolder(std::string folder) {
    if (folder.empty()) return "./";
    if (folder.back() != '/') folder += '/';
    return folder;
}

} // namespace tarnel::cli
