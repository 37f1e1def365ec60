// The page-name codec: the only way between page names and page file names.
//
// A page file is named by the page name's bytes in uppercase hexadecimal followed by the
// wiki's extension: FrontPage is 46726F6E7450616765.txt. The bytes are EUC-JP, or UTF-8 when
// the wiki uses UTF-8 file names. Page names are held in display form (Shift_JIS).
#pragma once

#include <string>
#include <string_view>

namespace tarnel {

// Hex part of the file name of a page name (display form), without extension.
std::string EncodePageName(std::string_view pageName, bool useUtf8Names);

// Page name (display form) of a file name or full path; the empty name when the hex part
// or its bytes do not decode. Never fails.
std::string DecodeFileName(std::string_view fileName, bool useUtf8Names);

// Whether a file name is one or more hex digits followed by exactly the extension
// (compared without case). With an empty extension any name starting with a hex digit is.
bool IsPageFileName(std::string_view fileName, std::string_view extension);

// Whether the page file `fileName` (no folder) exists in `folder` (ending in "/").
bool PageFileExists(const std::string& folder, std::string_view fileName);

} // namespace tarnel
