// Bare addresses in the notations that link them: a scheme is an address only where it does
// not follow an ASCII letter or digit, and only with at least one address character after
// its colon. Each row is a line and the addresses its fragment links, in every notation.
#include "conversion/UWikiDocumentConverter.h"
#include "conversion/UWikiDocumentConverterMaker.h"
#include "plugins/UPluginShelf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tarnel;

namespace {

// The href values of the fragment that a display-form line converts to.
std::vector<std::string> LinkedAddresses(TWikiNotation notation, const std::string& line) {
    TPluginShelf none;
    TConverterOptions options;
    options.Plugins = &none;
    auto c = TWikiDocumentConverterMaker::GetWikiDocumentConverter(notation, options);
    c->FileName = "/nonexistent/wiki/50616765.txt";
    c->ResetConversionState();
    const std::string html = c->ConvertBlocks(line + "\n");
    std::vector<std::string> hrefs;
    const std::string mark = "href=\"";
    for (std::size_t at = html.find(mark); at != std::string::npos; at = html.find(mark, at)) {
        at += mark.size();
        hrefs.push_back(html.substr(at, html.find('"', at) - at));
    }
    return hrefs;
}

} // namespace

TEST(BareAddresses, SchemeInsideAWordOrWithoutAddressIsText) {
    const std::string katakanaA = "\x83\x41"; // a double-byte character whose second byte is "A"
    const std::string japanese = "\x93\xfa\x96\x7b";
    struct Case {
        std::string line;
        std::vector<std::string> hrefs;
    };
    const Case cases[] = {
        {"Profile: x", {}},
        {"Profile:x", {}},
        {"Pro file:x", {"file:x"}},
        {"mailto:", {}},
        {"write to mailto: me", {}},
        {"write to mailto:a@b.c now", {"mailto:a@b.c"}},
        {"ftp: and https:", {}},
        {"xhttp://a.b/ 9http://a.b/ Zftp://a.b/", {}},
        {"_http://a.b/", {"http://a.b/"}},
        {"(http://a.b/) file:/x" + japanese, {"http://a.b/", "file:/x"}},
        {"http://a.b/", {"http://a.b/"}},
        {japanese + "http://a.b/", {"http://a.b/"}},
        {katakanaA + "http://a.b/", {"http://a.b/"}},
        {"http://a.b/http://c.d/", {"http://a.b/http://c.d/"}},
    };
    const TWikiNotation notations[] = {TWikiNotation::YukiWiki,     TWikiNotation::PukiWiki,
                                       TWikiNotation::Hatena,       TWikiNotation::MediaWiki,
                                       TWikiNotation::LivedoorWiki, TWikiNotation::FreeStyleWiki};
    for (TWikiNotation notation : notations)
        for (const Case& c : cases)
            EXPECT_EQ(LinkedAddresses(notation, c.line), c.hrefs)
                << "notation " << static_cast<int>(notation) << ", line: " << c.line;
}
