// The output of every converter holds byte for byte: the golden pages, the real-world
// corpus and generated pages of each notation convert to what was recorded in
// tests/data/identity/hashes.txt (a 64-bit FNV-1a hash of the fragment, the contents block
// and the title of each page, one line per page and option set).
//
// Work that only makes conversion cheaper must leave this file unchanged. A change meant to
// alter output records the new hashes with TARNEL_UPDATE_IDENTITY=1 (and says which pages
// changed and why).
#include "GeneratedPages.h"
#include "GoldenPages.h"
#include "conversion/UWikiDocumentConverterMaker.h"
#include "plugins/UPluginShelf.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

using namespace tarnel;

namespace {

const std::string kHashFile = std::string(TARNEL_TEST_DATA) + "/identity/hashes.txt";

std::string Fnv1a(std::string_view bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(h));
    return buffer;
}

const char* const kNotations[] = {"yukiwiki", "pukiwiki",  "hatena",  "mediawiki",
                                  "livedoor", "freestyle", "textile", "markdown"};

std::map<std::string, std::string> ReadHashes() {
    std::map<std::string, std::string> hashes;
    std::ifstream in(kHashFile);
    std::string key, hash;
    while (in >> key >> hash)
        hashes[key] = hash;
    return hashes;
}

// Converts pages and compares (or, with TARNEL_UPDATE_IDENTITY, records) their hashes.
class Recorder {
public:
    Recorder() : update_(std::getenv("TARNEL_UPDATE_IDENTITY") != nullptr) {
        recorded_ = ReadHashes();
    }
    ~Recorder() {
        if (!update_) return;
        for (auto& [key, hash] : seen_)
            recorded_[key] = hash;
        std::ofstream out(kHashFile, std::ios::binary);
        for (auto& [key, hash] : recorded_)
            out << key << ' ' << hash << '\n';
    }

    // Converts the stored-form text as page file `fileName` in notation `n` (1..8).
    void Check(const std::string& key, int n, const std::string& fileName,
               const std::string& stored, const TConverterOptions& options) {
        auto converter =
            TWikiDocumentConverterMaker::GetWikiDocumentConverter(TWikiNotation(n), options);
        converter->Convert(fileName, stored);
        std::string all =
            converter->Html + '\x1f' + converter->ContentsHtml(false) + '\x1f' + converter->Title;
        std::string hash = Fnv1a(all);
        const std::string fullKey = std::string(kNotations[n - 1]) + "/" + key;
        seen_[fullKey] = hash;
        if (update_) return;
        auto it = recorded_.find(fullKey);
        if (it == recorded_.end()) {
            ADD_FAILURE() << "no recorded hash for " << fullKey;
            return;
        }
        EXPECT_EQ(hash, it->second) << "output of " << fullKey << " changed";
    }

private:
    bool update_;
    std::map<std::string, std::string> recorded_;
    std::map<std::string, std::string> seen_;
};

TConverterOptions Options(TPluginShelf& plugins) {
    TConverterOptions options;
    options.Plugins = &plugins;
    return options;
}

// A page file in a folder where some of the linked pages exist (FrontPage and others).
std::string PageInGoldenFolder(const char* notation) {
    return std::string(TARNEL_TEST_DATA) + "/" + notation + "/46726F6E7450616765.txt";
}

} // namespace

TEST(OutputIdentity, GoldenPagesInEveryNotation) {
    TPluginShelf plugins;
    Recorder recorder;
    for (int n = 1; n <= 8; ++n) {
        for (const auto& input : tarnel::testing::GoldenInputs(kNotations[n - 1])) {
            recorder.Check("golden/" + input.filename().string(), n, input.string(),
                           tarnel::testing::ReadBytes(input), Options(plugins));
        }
    }
}

TEST(OutputIdentity, RealWorldCorpusInEveryNotation) {
    const std::filesystem::path corpus = TARNEL_CORPUS_DIR;
    if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    std::vector<std::filesystem::path> pages;
    for (const auto& e : std::filesystem::recursive_directory_iterator(corpus))
        if (e.is_regular_file() && e.path().extension() == ".txt") pages.push_back(e.path());
    std::sort(pages.begin(), pages.end());
    ASSERT_FALSE(pages.empty());
    TPluginShelf plugins;
    Recorder recorder;
    for (const auto& page : pages) {
        std::string key =
            "corpus/" + page.parent_path().filename().string() + "/" + page.filename().string();
        for (int n = 1; n <= 8; ++n)
            recorder.Check(key, n, page.string(), tarnel::testing::ReadBytes(page),
                           Options(plugins));
    }
}

TEST(OutputIdentity, GeneratedPagesInEveryNotation) {
    // 1 MB pages: long enough that every rule meets every other on many lines.
    constexpr std::size_t kSize = 1 << 20;
    const std::string links = ShiftJisToEucJp(generated::LinkHeavyPage(kSize));
    const std::string prose = ShiftJisToEucJp(generated::ProsePage(kSize));
    const std::string mixed = ShiftJisToEucJp(generated::MixedPage(kSize));
    const std::string small = ShiftJisToEucJp(generated::MixedPage(kSize / 8));
    TPluginShelf plugins;
    Recorder recorder;
    for (int n = 1; n <= 8; ++n) {
        const std::string file = PageInGoldenFolder(kNotations[n - 1]);
        recorder.Check("generated/links", n, file, links, Options(plugins));
        recorder.Check("generated/prose", n, file, prose, Options(plugins));
        recorder.Check("generated/mixed", n, file, mixed, Options(plugins));
        // The owner's options that change links and lines.
        TConverterOptions other = Options(plugins);
        other.LinkMode = TLinkMode::Export;
        other.LooseWikiName = true;
        other.KeepLineBreaks = true;
        other.MenuBarMode = true;
        recorder.Check("generated/links-export-loose", n, file, links, other);
        recorder.Check("generated/mixed-export-loose", n, file, small, other);
        other.LinkMode = TLinkMode::BrowseQuiet;
        other.LooseWikiName = false;
        recorder.Check("generated/mixed-quiet", n, file, small, other);
    }
}
