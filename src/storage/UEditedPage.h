// The page held by the internal editor and its save.
//
// Text forms. The editor works in UTF-8, the form of the editing control's own strings:
// LoadPage gives the page's text as UTF-8 with CR LF line ends, and Save takes UTF-8 with
// any line ends (CR LF, LF or CR). The page file holds the stored form, EUC-JP with LF.
// The road between the two goes through Shift_JIS (UTF-8 -> CP932 -> EUC-JP by row and
// cell arithmetic), so the characters a page can hold are exactly those that survive that
// road; everything else (emoji, most CJK extension characters, a NUL, which ends a page
// when it is read) is found before the file is touched and reported with its line, never
// dropped silently. Characters that CP932 codes twice (髙, 﨑, ⅰ) are stored by the code
// that survives the arithmetic, not the IBM extension code iconv gives.
//
// What is protected:
//   - the file as it was at load (size and content hash) is remembered, and a save first
//     looks whether another program changed, deleted or created the page since then;
//   - the write is atomic: the new text goes to a temporary file in the page's folder that
//     then replaces the page, so the page on disk is always whole, old or new. The "~"
//     copy of the old page is made before and removed after, as the wiki's other tools
//     expect while a page is being saved;
//   - a failed write raises EPageFileError naming the page; the old page stays.
#pragma once

#include "settings/ULanguage.h"
#include "storage/UPageFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

// The answer to a confirmation with Yes, No and Cancel.
enum class TAnswer { Yes, No, Cancel };

// What happened to the page file since the editor loaded it.
enum class TOutsideChange {
    None,
    Changed, // another text is on disk
    Deleted, // the page was there at load and is gone
    Created, // a new page (no file at load) now has a file
};

// What the user chooses when the page changed outside the editor.
enum class TOutsideChoice {
    Reload,     // drop the edit and take the text on disk (not offered for Deleted)
    Overwrite,  // write the edited text all the same (for Deleted: create the page again)
    KeepEditing // write nothing; the command that asked for the save stops
};

// One character the stored form cannot hold.
struct TUnencodableChar {
    int Line = 0;          // 1-based line of the editor text
    std::string Character; // the character, UTF-8
    char32_t CodePoint = 0;
};

// The questions a save asks; the editor window answers them with dialogs, tests with a fake.
class IEditedPageUi {
public:
    virtual ~IEditedPageUi() = default;
    // The emptied page: delete it? (message "... を削除してもよろしいですか？")
    virtual TAnswer ConfirmDeleteEmptied(const std::string& message) = 0;
    // The page changed outside the editor since it was loaded.
    virtual TOutsideChoice AskOutsideChange(TOutsideChange change, const std::string& message) = 0;
    // Characters that the page file cannot hold. True: save with each of them written as
    // "?"; false: cancel the save.
    virtual bool ConfirmUnencodable(const std::vector<TUnencodableChar>& characters,
                                    const std::string& message) = 0;
};

// How a save ended, and what the window does next.
enum class TSaveOutcome {
    NothingToSave,   // no page, or an empty text for a page without file: nothing happened
    Saved,           // written; clear the modified flag and show the page again
    DeleteRequested, // the emptied page is to be deleted: run the page deletion
    KeptModified,    // the delete question was answered No: file and editor unchanged
    Reloaded,        // the outside text replaced the edit: set ReloadedText, clear modified
    Cancelled,       // nothing written; the command that asked for the save stops
};

struct TSaveResult {
    TSaveOutcome Outcome = TSaveOutcome::NothingToSave;
    bool Created = false;     // Saved: the file is new, the page list needs a refresh
    std::string ReloadedText; // Reloaded: the editor's new text (UTF-8, CR LF)
    // Whether the command that asked for the save (navigation, closing) may go on.
    bool Proceed() const { return Outcome != TSaveOutcome::Cancelled; }
};

// The stored form of an editor text and the characters lost on the way.
struct TStoredText {
    std::string Bytes;                         // EUC-JP, LF line ends, a final LF
    std::vector<TUnencodableChar> Unencodable; // in text order
};

// Editor text (UTF-8, any line ends) to stored form. Invalid UTF-8 raises
// std::invalid_argument: the editing control never produces it.
TStoredText EditorTextToStored(std::string_view editorText);
// Stored form to editor text (UTF-8, CR LF).
std::string StoredToEditorText(std::string_view stored);

class TEditedPage {
public:
    TEditedPage(const TLanguage& language, bool utf8Names)
        : language_(language), utf8Names_(utf8Names) {}

    // LoadPage: reads the page file, remembers it as the base of the edit and returns the
    // editor text. Throws EPageFileError when the file cannot be read.
    std::string Load(const std::string& path, const PageReadOptions& options);
    // PrepareNewPage: a page whose file does not exist yet; nothing is written.
    void PrepareNew(const std::string& path);
    // No page (after the page was deleted): Save does nothing.
    void Clear();

    const std::string& Path() const { return path_; }
    // The page name (display form), empty without a page.
    std::string PageName() const;
    // The window caption: "%s - 編集" with the page name, or "編集" without one.
    std::string Title() const;
    // The 1-based lines of the loaded page that the editor cannot hold as they are (bytes
    // that are no character of Shift_JIS, JIS X 0212 characters): saving would change them.
    // The window warns about them after LoadPage.
    const std::vector<int>& UnsafeLines() const { return unsafeLines_; }

    // What changed on disk since the load or the last save.
    TOutsideChange OutsideChange() const;

    // The save. Asks through `ui`; throws EPageFileError when the page cannot be written
    // (the old page stays whole).
    TSaveResult Save(std::string_view editorText, IEditedPageUi& ui);

private:
    struct TSnapshot {
        bool Exists = false;
        std::size_t Size = 0;
        std::uint64_t Hash = 0;
    };
    static TSnapshot SnapshotOf(const std::string& bytes, bool exists);
    // Reads the page now; nothing when it does not exist.
    std::optional<std::string> ReadNow() const;
    // The language text of `key` with the page name for its "%s".
    std::string Format(std::string_view key) const;

    const TLanguage& language_;
    bool utf8Names_;
    std::string path_;
    PageReadOptions readOptions_;
    TSnapshot base_;
    std::vector<int> unsafeLines_;
};

} // namespace tarnel
