// Reading a whole file and replacing a file in one step; naming files in messages.
//
// Every file Tarnel writes (pages, Wiki.ini, the settings, exported pages, the view's
// temporary page) goes through WriteFileAtomically: the new content is written to a
// temporary file in the same folder, which then replaces the old file by a rename, so a
// crash or a full disk leaves either the old file or the new one, whole.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarnel {

// A file that cannot be read or written. The message names the file and the reason.
class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The bytes of the file at `path`. `shownName` is how the file is named in the message
// ("cannot read <shownName>: <reason>"); empty: the path itself. A folder is an error.
// Whether `path` names a plain file (not a folder, a pipe or a device).
bool IsPlainFile(const std::string& path);

// A path as messages show it: in display form (Shift_JIS), or as it stands when it is not
// UTF-8.
std::string DisplayPath(const std::string& path);

// Only plain files are read: a folder, a pipe or a device is an error.
std::string ReadWholeFile(const std::string& path, const std::string& shownName = {});
// The same, with nothing for a file that does not exist.
std::optional<std::string> ReadWholeFileIfExists(const std::string& path,
                                                 const std::string& shownName = {});

// Writes bytes as the whole new content of a file, atomically as above; the permissions of
// the file replaced are kept. With `durable` the new content is flushed to the disk before it
// replaces the old file (settings and pages); generated files that can be made again (an
// export) skip that wait. A name longer than the file system takes is refused before
// anything is written. On any failure the old file is untouched and EFileError says why.
void WriteFileAtomically(const std::string& path, std::string_view bytes, bool durable = true,
                         const std::string& shownName = {});

} // namespace tarnel
