// A generated wiki of 10,000 pages (or another number) of about 4 KB each in stored form
// (EUC-JP, LF), made once per benchmark run in the temporary folder; one page in a hundred
// holds the word "needle".
#pragma once

#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace tarnel::bench {

constexpr int kPages = 10000;

inline const std::string& GeneratedWiki(int pages = kPages) {
    static std::map<int, std::string> folders;
    auto known = folders.find(pages);
    if (known != folders.end()) return known->second;
    std::string dir = (std::filesystem::temp_directory_path() /
                       (pages == kPages ? std::string("tarnel-bench-search/")
                                        : "tarnel-bench-search-" + std::to_string(pages) + "/"))
                          .string();
    std::filesystem::create_directories(dir);
    // Shift_JIS prose turned into the stored EUC-JP form.
    const std::string ja =
        ShiftJisToEucJp("\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x82\xc5\x82\xb7\x81\x42");
    for (int i = 0; i < pages; ++i) {
        std::string name = "Page" + std::to_string(i);
        std::string text;
        while (text.size() < 4000) {
            text += "*Heading " + std::to_string(text.size()) + "\n";
            text +=
                "Some words about topic " + std::to_string(i % 97) + " and FrontPage " + ja + "\n";
            text += "-item one\n-item two with more words " + ja + ja + "\n";
        }
        if (i % 100 == 0) text += "The rare needle word appears here.\n";
        std::ofstream(dir + EncodePageName(name, false) + ".txt", std::ios::binary) << text;
    }
    return folders.emplace(pages, dir).first->second;
}

} // namespace tarnel::bench
