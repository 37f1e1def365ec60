// Whole pages as golden files: tests/data/<notation>/NAME.txt is a page in stored form
// (EUC-JP, LF) and NAME.html the fragment expected from it, in UTF-8 with the converter's
// CR LF line ends. Pages with hex names in the same folder exist for the link tests.
//
// Run with TARNEL_UPDATE_GOLDEN=1 to write the .html files from the current output (then
// read every changed line before committing it).
#pragma once

#include "conversion/UWikiDocumentConverter.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tarnel::testing {

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The golden pages of tests/data/<folder>/: every NAME.txt whose name is not hex.
inline std::vector<std::filesystem::path> GoldenInputs(const std::string& folder) {
    std::vector<std::filesystem::path> inputs;
    for (const auto& e :
         std::filesystem::directory_iterator(std::string(TARNEL_TEST_DATA) + "/" + folder)) {
        if (e.path().extension() != ".txt") continue;
        std::string stem = e.path().stem().string();
        bool hex = !stem.empty() && std::all_of(stem.begin(), stem.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
        });
        if (!hex) inputs.push_back(e.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

// Converts every golden page of the folder and compares it with its .html file.
inline void ExpectGoldenPages(const std::string& folder, TWikiDocumentConverter& converter) {
    const bool update = std::getenv("TARNEL_UPDATE_GOLDEN") != nullptr;
    auto inputs = GoldenInputs(folder);
    ASSERT_FALSE(inputs.empty()) << "no golden pages in tests/data/" << folder;
    for (const auto& input : inputs) {
        converter.Convert(input.string(), ReadBytes(input));
        std::string actual = ShiftJisToUtf8(converter.Html);
        std::filesystem::path expectedPath = input;
        expectedPath.replace_extension(".html");
        if (update) {
            std::ofstream(expectedPath, std::ios::binary) << actual;
            continue;
        }
        ASSERT_TRUE(std::filesystem::exists(expectedPath)) << expectedPath;
        EXPECT_EQ(actual, ReadBytes(expectedPath)) << "golden page " << input.filename();
    }
}

} // namespace tarnel::testing
