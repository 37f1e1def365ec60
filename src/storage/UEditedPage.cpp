#include "storage/UEditedPage.h"

#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace tarnel {

namespace {

std::size_t Utf8Length(unsigned char lead) {
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

char32_t CodePointOf(std::string_view c) {
    const auto b = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(c[i]));
    };
    switch (c.size()) {
    case 1:
        return b(0);
    case 2:
        return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
    case 3:
        return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
    default:
        return (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F);
    }
}

// CP932 has two codes for some characters (髙, 﨑, the small Roman numerals, ...): one
// among the IBM extensions (lead bytes 0xFA..0xFC), which iconv chooses, and one among the
// NEC-selected extensions or the JIS rows. Only the second survives the EUC-JP
// arithmetic, and it reads back as the same character. The table is made once from the
// code page itself: every IBM extension code whose character has another code.
const std::unordered_map<std::uint16_t, std::uint16_t>& IbmExtensionTwins() {
    static const std::unordered_map<std::uint16_t, std::uint16_t> twins = [] {
        std::unordered_map<std::string, std::uint16_t> firstCode;
        auto decode = [](unsigned lead, unsigned trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            return ShiftJisToUtf8(std::string_view(pair, 2));
        };
        // Ascending, so a JIS code wins over an NEC one for the same character.
        for (unsigned lead = 0x81; lead <= 0xEF; ++lead) {
            if (lead > 0x9F && lead < 0xE0) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) continue;
                std::string c = decode(lead, trail);
                if (c != "?") firstCode.emplace(c, static_cast<std::uint16_t>(lead << 8 | trail));
            }
        }
        std::unordered_map<std::uint16_t, std::uint16_t> map;
        for (unsigned lead = 0xFA; lead <= 0xFC; ++lead)
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                auto it = firstCode.find(decode(lead, trail));
                if (trail != 0x7F && it != firstCode.end())
                    map.emplace(static_cast<std::uint16_t>(lead << 8 | trail), it->second);
            }
        return map;
    }();
    return twins;
}

// UTF-8 to Shift_JIS with every IBM extension code that has a twin replaced by the twin.
std::string ToShiftJisForStorage(std::string_view utf8) {
    std::string sjis = Utf8ToShiftJis(utf8);
    for (std::size_t i = 0; i + 1 < sjis.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(sjis[i]);
        if (c < 0x80 || (c > 0x9F && c < 0xE0)) continue;
        if (c >= 0xFA) {
            std::uint16_t code =
                static_cast<std::uint16_t>(c << 8 | static_cast<unsigned char>(sjis[i + 1]));
            auto it = IbmExtensionTwins().find(code);
            if (it != IbmExtensionTwins().end()) {
                sjis[i] = static_cast<char>(it->second >> 8);
                sjis[i + 1] = static_cast<char>(it->second & 0xFF);
            }
        }
        ++i; // the trail byte
    }
    return sjis;
}

// Whether a Shift_JIS text survives the row-and-cell road to EUC-JP and back unchanged:
// the codes past the JIS rows (lead bytes 0xF0..0xFC, CP932's IBM extensions among them)
// do not.
bool SurvivesEuc(std::string_view sjis) {
    return EucJpToShiftJis(ShiftJisToEucJp(sjis)) == sjis;
}

std::size_t CountQuestionMarks(std::string_view text) {
    std::size_t n = 0;
    for (char c : text)
        n += c == '?';
    return n;
}

// One character (UTF-8) that the stored form can hold: CP932 has a code for it (iconv writes
// "?" for the others) and that code survives the EUC-JP arithmetic. A NUL would end the page
// when it is read again.
bool CanStore(std::string_view c) {
    if (c == std::string_view("\0", 1)) return false;
    if (c.size() == 1) return true;
    std::string sjis = ToShiftJisForStorage(c);
    return sjis != "?" && SurvivesEuc(sjis);
}

// "U+1F600"
std::string CodePointName(char32_t cp) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(cp));
    return buffer;
}

} // namespace

TStoredText EditorTextToStored(std::string_view editorText) {
    TStoredText result;
    const std::string text = LfLines(editorText);
    const std::string sjis = ToShiftJisForStorage(text);
    if (sjis.empty() && !text.empty())
        throw std::invalid_argument("editor text is not UTF-8 at EditorTextToStored()");
    result.Bytes = ShiftJisToEucJp(sjis);

    // The usual case is decided for the whole text at once: no character became "?", the
    // arithmetic gives the Shift_JIS back, and there is no NUL.
    if (CountQuestionMarks(sjis) == CountQuestionMarks(text) &&
        EucJpToShiftJis(result.Bytes) == sjis && text.find('\0') == std::string::npos)
        return result;

    // Otherwise each line is looked at, and the characters of the lines that fail.
    int line = 1;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view lineText = std::string_view(text).substr(start, end - start);
        std::string lineSjis = ToShiftJisForStorage(lineText);
        bool whole = CountQuestionMarks(lineSjis) == CountQuestionMarks(lineText) &&
                     SurvivesEuc(lineSjis) && lineText.find('\0') == std::string_view::npos;
        if (!whole) {
            for (std::size_t i = 0; i < lineText.size();) {
                std::size_t len = Utf8Length(static_cast<unsigned char>(lineText[i]));
                std::string_view c = lineText.substr(i, len);
                if (!CanStore(c))
                    result.Unencodable.push_back({line, std::string(c), CodePointOf(c)});
                i += len;
            }
        }
        ++line;
        start = end + 1;
    }
    return result;
}

std::string StoredToEditorText(std::string_view stored) {
    std::string utf8 = ShiftJisToUtf8(EucJpToShiftJis(stored));
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 16);
    for (char c : utf8) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

TEditedPage::TSnapshot TEditedPage::SnapshotOf(const std::string& bytes, bool exists) {
    TSnapshot s;
    s.Exists = exists;
    if (exists) {
        s.Size = bytes.size();
        s.Hash = std::hash<std::string_view>{}(bytes);
    }
    return s;
}

std::optional<std::string> TEditedPage::ReadNow() const {
    struct stat st;
    if (stat(path_.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        throw EPageFileError("cannot read " + path_ + ": " + std::strerror(errno));
    }
    return ReadFileBytes(path_);
}

std::string TEditedPage::Load(const std::string& path, const PageReadOptions& options) {
    std::string bytes = ReadFileBytes(path);
    path_ = path;
    readOptions_ = options;
    base_ = SnapshotOf(bytes, true);
    const std::string stored = NormalisePageText(bytes, options);
    std::string editorText = StoredToEditorText(stored);

    // Lines whose bytes do not come back from the editor text as they were.
    unsafeLines_.clear();
    const std::string again = EditorTextToStored(editorText).Bytes;
    if (again != stored) {
        int line = 1;
        std::size_t a = 0, b = 0;
        while (a < stored.size() || b < again.size()) {
            std::size_t ea = stored.find('\n', a), eb = again.find('\n', b);
            if (ea == std::string::npos) ea = stored.size();
            if (eb == std::string::npos) eb = again.size();
            if (stored.compare(a, ea - a, again, b, eb - b) != 0) unsafeLines_.push_back(line);
            a = ea + 1;
            b = eb + 1;
            ++line;
        }
    }
    return editorText;
}

void TEditedPage::PrepareNew(const std::string& path) {
    path_ = path;
    base_ = TSnapshot{};
    unsafeLines_.clear();
}

void TEditedPage::Clear() {
    path_.clear();
    base_ = TSnapshot{};
    unsafeLines_.clear();
}

std::string TEditedPage::PageName() const {
    return path_.empty() ? std::string() : DecodeFileName(path_, utf8Names_);
}

std::string TEditedPage::Title() const {
    std::string name = PageName();
    if (name.empty()) return LangText(language_, "Editor.Title.New");
    return FormatText(LangText(language_, "Editor.Title.Format"), name);
}

std::string TEditedPage::Format(std::string_view key) const {
    return FormatText(LangText(language_, key), PageName());
}

TOutsideChange TEditedPage::OutsideChange() const {
    std::optional<std::string> now = ReadNow();
    if (!now) return base_.Exists ? TOutsideChange::Deleted : TOutsideChange::None;
    if (!base_.Exists) return TOutsideChange::Created;
    TSnapshot s = SnapshotOf(*now, true);
    // The content decides, not the time stamp: a touch changes nothing, and a sync tool
    // may keep the old time stamp on a new text.
    return s.Size == base_.Size && s.Hash == base_.Hash ? TOutsideChange::None
                                                        : TOutsideChange::Changed;
}

TSaveResult TEditedPage::Save(std::string_view editorText, IEditedPageUi& ui) {
    TSaveResult result;
    if (path_.empty()) return result;

    std::optional<std::string> onDisk = ReadNow();
    TOutsideChange change = TOutsideChange::None;
    if (!onDisk) {
        if (base_.Exists) change = TOutsideChange::Deleted;
    } else if (!base_.Exists) {
        change = TOutsideChange::Created;
    } else {
        TSnapshot s = SnapshotOf(*onDisk, true);
        if (s.Size != base_.Size || s.Hash != base_.Hash) change = TOutsideChange::Changed;
    }

    TStoredText stored = EditorTextToStored(editorText);
    const bool empty = stored.Bytes.empty();
    // An emptied page whose file is gone anyway: nothing to write and nothing to ask.
    if (empty && !onDisk) return result;

    if (change != TOutsideChange::None) {
        std::string message;
        switch (change) {
        case TOutsideChange::Changed:
            message = Format("Editor.Message.ChangedOutside.Format");
            break;
        case TOutsideChange::Deleted:
            message = Format("Editor.Message.DeletedOutside.Format");
            break;
        default:
            message = Format("Editor.Message.CreatedOutside.Format");
            break;
        }
        TOutsideChoice choice = ui.AskOutsideChange(change, message);
        if (choice == TOutsideChoice::KeepEditing ||
            (choice == TOutsideChoice::Reload && !onDisk)) {
            result.Outcome = TSaveOutcome::Cancelled;
            return result;
        }
        if (choice == TOutsideChoice::Reload) {
            result.Outcome = TSaveOutcome::Reloaded;
            result.ReloadedText = Load(path_, readOptions_);
            return result;
        }
    }

    if (empty) {
        TAnswer answer = ui.ConfirmDeleteEmptied(
            FormatText(LangText(language_, "Editor.Message.EmptySave.Format"), PageName()));
        result.Outcome = answer == TAnswer::Yes  ? TSaveOutcome::DeleteRequested
                         : answer == TAnswer::No ? TSaveOutcome::KeptModified
                                                 : TSaveOutcome::Cancelled;
        return result;
    }

    if (!stored.Unencodable.empty()) {
        // The message names the first characters; the window has the whole list.
        constexpr std::size_t kListed = 20;
        std::string list;
        for (std::size_t i = 0; i < stored.Unencodable.size() && i < kListed; ++i) {
            const TUnencodableChar& c = stored.Unencodable[i];
            if (!list.empty()) list += "\n";
            list += FormatText(LangText(language_, "Editor.Message.Unencodable.Line.Format"),
                               std::to_string(c.Line)) +
                    ": " + CodePointName(c.CodePoint);
        }
        if (stored.Unencodable.size() > kListed)
            list += "\n" + FormatText(LangText(language_, "Editor.Message.Unencodable.More.Format"),
                                      std::to_string(stored.Unencodable.size() - kListed));
        std::string message = LangText(language_, "Editor.Message.Unencodable") + "\n" + list +
                              "\n" + LangText(language_, "Editor.Message.Unencodable.Question");
        if (!ui.ConfirmUnencodable(stored.Unencodable, message)) {
            result.Outcome = TSaveOutcome::Cancelled;
            return result;
        }
    }

    // The "~" copy holds the old page while the new one is written; the write itself
    // replaces the page in one step, so the page is never half written even without it.
    const std::string backup = path_ + "~";
    try {
        if (onDisk) WriteFileAtomically(backup, *onDisk, false);
        WriteFileAtomically(path_, stored.Bytes);
    } catch (const EFileError& e) {
        throw EPageFileError(e.what());
    }
    if (onDisk) unlink(backup.c_str());

    base_ = SnapshotOf(stored.Bytes, true);
    result.Outcome = TSaveOutcome::Saved;
    result.Created = !onDisk.has_value();
    return result;
}

} // namespace tarnel
