#include "render/UPageOperations.h"

#include "storage/UPageFile.h"
#include "storage/UWikiFileList.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnel {

namespace {

// The operating system's text for an error number, display form.
std::string SystemMessage(int err) {
    return DisplayPath(std::strerror(err));
}

// Moves a file without ever replacing another one: where the file system cannot refuse
// to replace (no RENAME_NOREPLACE), a plain rename after the clash test.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

} // namespace

std::string TPageOperations::PagePath(const std::string& pageName) const {
    return session_.DocumentFolder() +
           EncodePageName(pageName, session_.Settings().NameEncodingUTF8) +
           session_.PageList().extension;
}

std::string TPageOperations::CurrentPageName() const {
    return DecodeFileName(session_.DocumentFileName(), session_.Settings().NameEncodingUTF8);
}

void TPageOperations::RefreshFileList() {
    session_.RefreshPageList();
}

std::optional<std::string> TPageOperations::AskPageName() {
    std::optional<std::string> name =
        ui_.AskText(Text("Dialog.New.Title"), Text("Dialog.New.Caption"), "");
    // Taken as typed: no trimming and no character check, every byte is hex in the name.
    if (!name || name->empty()) return std::nullopt;
    return name;
}

TPageCommandResult TPageOperations::NewPage() {
    if (session_.DocumentFolder().empty()) return NewWiki();
    TPageCommandResult result;
    if (!ui_.CommitEditor()) return result;
    std::optional<std::string> name = AskPageName();
    if (!name) return result;
    result.Done = true;
    result.Open = PagePath(*name);
    return result;
}

TPageCommandResult TPageOperations::NewWiki() {
    TPageCommandResult result;
    if (!ui_.CommitEditor()) return result;
    std::optional<std::string> folder = ui_.AskFolder(Text("Dialog.NewWiki.Caption"));
    if (!folder || folder->empty()) return result;
    std::string wiki = *folder;
    if (wiki.back() != '/') wiki += '/';
    std::optional<std::string> name = AskPageName();
    if (!name) return result; // the open wiki stays as it was
    session_.OpenWiki(wiki);
    RefreshFileList();
    result.Done = true;
    result.ListChanged = true;
    result.Open = PagePath(*name);
    return result;
}

TNewDocumentResult TPageOperations::NewDocument(const std::string& fileName) {
    TNewDocumentResult result;
    result.FileName = fileName;
    result.PageName = DecodeFileName(fileName, session_.Settings().NameEncodingUTF8);
    std::string folder = FolderOf(fileName);
    if (folder != session_.DocumentFolder()) result.Messages = session_.OpenWiki(folder);
    if (session_.Settings().EditorType == TEditorType::Internal) return result;

    // An external editor needs a file to open: an empty one, made without truncating a
    // page that appeared in the meantime.
    int fd = open(fileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST)
        throw EPageOperationError(DisplayPath(fileName) + ": " + SystemMessage(errno));
    if (fd >= 0) close(fd);
    RefreshFileList();
    result.External = true;
    return result;
}

TPageCommandResult TPageOperations::CopyPage() {
    TPageCommandResult result;
    const std::string& source = session_.DocumentFileName();
    if (source.empty()) throw EPageOperationError("Do not indicate a copy file.");
    const std::string name = CurrentPageName();
    if (!IsPlainFile(source))
        throw EPageOperationError(name + "(" + DisplayPath(source) + ") is not found.");

    std::optional<std::string> newName = ui_.AskText(
        FormatText(Text("Dialog.Copy.Title.Format"), name), Text("Dialog.Copy.Caption"), "");
    if (!newName || newName->empty()) return result;
    const std::string target = PagePath(*newName);
    if (IsPlainFile(target)) {
        ui_.ShowError(FormatText(Text("Main.Message.FileExists"), *newName));
        return result;
    }
    std::error_code ec;
    // copy_options::none refuses to replace a file that appeared since the test above.
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::none, ec);
    if (ec) throw EPageOperationError("Cannot copy. " + DisplayPath(ec.message()));
    RefreshFileList();
    result.Done = true;
    result.ListChanged = true;
    return result;
}

TPageCommandResult TPageOperations::RenamePage() {
    TPageCommandResult result;
    const std::string source = session_.DocumentFileName();
    if (source.empty()) throw EPageOperationError("Do not indicate a copy file.");
    const std::string name = CurrentPageName();
    if (!IsPlainFile(source))
        throw EPageOperationError(name + "(" + DisplayPath(source) + ")" +
                                  Utf8ToShiftJis("が見つかりません。"));

    std::optional<std::string> newName = ui_.AskText(
        FormatText(Text("Dialog.Rename.Title.Format"), name), Text("Dialog.Rename.Caption"), name);
    if (!newName || newName->empty() || *newName == name) return result;
    const std::string target = PagePath(*newName);
    if (IsPlainFile(target)) {
        ui_.ShowError(FormatText(Text("Main.Message.FileExists"), *newName));
        return result;
    }
    // The pending edit is saved under the old name first, then moves with the file.
    if (!ui_.CommitEditor()) return result;
    if (int err = RenameNoReplace(source, target))
        throw EPageOperationError("Cannot rename. " + SystemMessage(err));
    // The list is read before the window opens the renamed page, so that the page is
    // selected in it.
    RefreshFileList();
    result.Done = true;
    result.ListChanged = true;
    result.Open = target;
    return result;
}

std::optional<TRemoveResult> TPageOperations::DeletePage(int selectedIndex) {
    const std::string fileName = session_.DocumentFileName();
    if (fileName.empty()) return std::nullopt;
    if (ui_.Confirm(FormatText(Text("Dialog.Delete.Confirm.Format"), CurrentPageName())) !=
        TAnswer::Yes)
        return std::nullopt;
    return RemovePageFile(fileName, selectedIndex);
}

TRemoveResult TPageOperations::RemovePageFile(const std::string& fileName, int selectedIndex) {
    if (unlink(fileName.c_str()) != 0) throw EPageOperationError(SystemMessage(errno));
    session_.Recent().Remove(fileName);
    RefreshFileList();
    TRemoveResult result;
    const int count = session_.PageList().Count();
    if (count > 0 && selectedIndex >= 0) {
        result.ShowIndex = selectedIndex < count ? selectedIndex : count - 1;
        result.PageCommands = true;
    }
    return result;
}

std::string TFileProperties::EncodingName() const {
    if (Utf8) return "UTF-8";
    switch (Encoding) {
    case JapaneseEncoding::Ascii:
        return "ASCII";
    case JapaneseEncoding::NotText:
        return "Binary";
    case JapaneseEncoding::Jis:
    case JapaneseEncoding::JisOld:
        return "ISO-2022-JP";
    case JapaneseEncoding::EucJp:
        return "EUC-JP";
    case JapaneseEncoding::ShiftJis:
        return "Shift_JIS";
    case JapaneseEncoding::EucOrShiftJis:
        return "EUC-JP / Shift_JIS";
    }
    return "";
}

std::string TFileProperties::LineBreakName() const {
    switch (LineBreaks) {
    case LineBreak::CrLf:
        return "CR+LF";
    case LineBreak::Lf:
        return "LF";
    case LineBreak::Cr:
        return "CR";
    case LineBreak::None:
        break;
    }
    return "";
}

TFileProperties FileProperties(const std::string& path) {
    TFileProperties p;
    p.Path = path;
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        throw EPageOperationError(DisplayPath(path) + ": " + SystemMessage(errno));
    p.Size = static_cast<std::uint64_t>(st.st_size);
    p.Modified = st.st_mtime;
    std::string bytes;
    try {
        bytes = ReadFileBytes(path);
    } catch (const EPageFileError& e) {
        throw EPageOperationError(DisplayPath(e.what()));
    }
    p.Encoding = DetectJapaneseEncoding(bytes);
    // Valid UTF-8 with characters past ASCII: Utf8ToShiftJis gives the empty text only for
    // malformed UTF-8, and Japanese EUC-JP or Shift_JIS text is hardly ever valid UTF-8.
    p.Utf8 = p.Encoding != JapaneseEncoding::Ascii && p.Encoding != JapaneseEncoding::NotText &&
             !Utf8ToShiftJis(bytes).empty();
    p.LineBreaks = DetectLineBreak(bytes);
    return p;
}

} // namespace tarnel
