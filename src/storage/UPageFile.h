// Reading and writing page text.
//
// Page files hold the stored form: EUC-JP with LF line ends. Files written by other
// programs may be in any supported encoding and any line-break style; reading normalises
// them. Writing always produces the stored form and replaces the file in one step, so a
// crash mid-write never leaves a half-written page.
#pragma once

#include "text/UFileIO.h"
#include "text/WikiTypes.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace tarnel {

// A page file that cannot be read or written. The message names the file (display form).
class EPageFileError : public EFileError {
public:
    using EFileError::EFileError;
};

// An encoding asked for explicitly (the command line's --read), over the settings.
enum class PageEncoding : int {
    Settings = 0, // as utf8Text and readCharCode say
    Automatic,    // UTF-8, Shift_JIS, EUC-JP or JIS, whichever the text is
    ShiftJis,
    EucJp,
    Jis,
    Utf8,
};

struct PageReadOptions {
    bool utf8Text = false; // page texts are UTF-8
    ReadCharCode readCharCode = ReadCharCode::EucJp;
    PageEncoding encoding = PageEncoding::Settings;
};

// The file's text in stored form. Lines end at CR LF, CR or LF and come back LF-terminated;
// a NUL byte ends the text. Automatic reading takes a text that is well-formed UTF-8 with
// non-ASCII bytes as UTF-8. With a fixed `encoding` a text that is not valid in it is an
// error naming the file and the offset of the first bad byte. Throws EPageFileError when
// the file cannot be read.
std::string ReadPageText(const std::string& path, const PageReadOptions& options);

// The file's bytes as they are, without any normalisation. Throws EPageFileError when the
// file cannot be read.
std::string ReadFileBytes(const std::string& path);

// Every line end (CR LF, CR or LF) becomes LF, and a non-empty text ends with one.
std::string LfLines(std::string_view bytes);

// The same normalisation applied to bytes already in memory (no validity check).
std::string NormalisePageText(std::string_view bytes, const PageReadOptions& options);

// Writes display-form text (Shift_JIS, any line breaks) as the whole new content of the
// file, in stored form. The new content goes to a temporary file in the same folder that
// then replaces the page; on any failure the old file is untouched and EPageFileError
// names the page.
void WritePageText(const std::string& path, std::string_view displayText);

} // namespace tarnel
