// Real PukiWiki pages through the page pipeline, as a user sees them: with the shipped
// plug-ins loaded, no line is left that is only a directive of the web version's plug-ins
// and no call of them stays as text. Without plug-ins the same count shows what they fix.
#include "TestFolder.h"
#include "render/UWikiSession.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <regex>

using namespace tarnel;
using tarnel::testing::TestFolder;

namespace {

namespace fs = std::filesystem;

const char* const kDirectives = "contents|freeze|norelated|nofollow|ls|ls2|recent|navi|comment";
const char* const kCalls =
    "aname|ruby|new|lastmod|ref|edit|smile|bigsmile|huh|oh|wink|sad|worried|heart";

// The page without its preformatted blocks (examples of notation, shown as written).
std::string WithoutPre(const std::string& html) {
    static const std::regex pre("<pre[^>]*>[\\s\\S]*?</pre>", std::regex::icase);
    return std::regex_replace(html, pre, "\n");
}

// The text a reader sees: tags dropped, the four entities decoded in one pass (so that an
// escaped "&amp;smile;" reads "&smile;" and a written "&amp;amp;" reads "&amp;").
std::string VisibleText(const std::string& html) {
    static const std::regex tag("<[^>]*>");
    std::string text = std::regex_replace(html, tag, "\n");
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (auto [entity, c] :
             {std::pair{"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&amp;", '&'}}) {
            std::string_view e(entity);
            if (text.compare(i, e.size(), e) == 0) {
                out += c;
                i += e.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

struct TRawCount {
    int Directives = 0;
    int Calls = 0;
    std::vector<std::string> Seen; // "page: text" of each, for the failure message
};

// Whether the text before `at` ends a line or a block-level tag: the directive then stands
// as a line of its own, not as text the author marked up (''#freeze'' in a manual).
bool StartsABlockLine(const std::string& html, std::size_t at) {
    while (at > 0 && (html[at - 1] == ' ' || html[at - 1] == '\t' || html[at - 1] == '\r'))
        --at;
    if (at == 0 || html[at - 1] == '\n') return true;
    if (html[at - 1] != '>') return false;
    std::size_t open = html.rfind('<', at - 1);
    if (open == std::string::npos) return false;
    static const std::regex block("</?(p|li|ul|ol|div|td|th|tr|dd|dt|dl|h[1-6]|br|hr|blockquote|"
                                  "table)\\b.*",
                                  std::regex::icase);
    return std::regex_match(html.substr(open, at - open), block);
}

void CountRaw(const std::string& page, const std::string& html, TRawCount& count) {
    static const std::regex directive(std::string("#(") + kDirectives +
                                      ")(\\([^<\\n]*?\\))?[ \\t]*(?=<|\\r|\\n|#|$)");
    static const std::regex call(std::string("&(") + kCalls +
                                 ")(\\([^)\\n]*\\)(\\{[^}\\n]*\\})?)?;");
    const std::string body = WithoutPre(html);
    // Lines of a paragraph are joined as they are: "#freeze" and "#nofollow" on two lines
    // read "#freeze#nofollow", two directives shown.
    std::size_t joined = std::string::npos;
    for (std::sregex_iterator it(body.begin(), body.end(), directive), last; it != last; ++it) {
        const auto at = static_cast<std::size_t>(it->position());
        if (at != joined && !StartsABlockLine(body, at)) continue;
        joined = at + static_cast<std::size_t>(it->length());
        ++count.Directives;
        count.Seen.push_back(page + ": " + it->str());
    }
    const std::string text = VisibleText(body);
    for (std::sregex_iterator it(text.begin(), text.end(), call), last; it != last; ++it) {
        ++count.Calls;
        count.Seen.push_back(page + ": " + it->str());
    }
}

// Shows every page of a copy of the corpus folder (the session writes Wiki.ini into the
// wiki it leaves) through a session over `appFolder`.
TRawCount ShowCorpus(const std::string& appFolder, const fs::path& corpus) {
    TestFolder root;
    const std::string wiki = root.Path() + "wiki/";
    fs::copy(corpus, wiki);
    root.Write("wiki/Wiki.ini", "[Document]\r\nNotation=1\r\n"); // PukiWiki
    TWikiSession session(appFolder);
    session.Start(root.Path() + "settings.ini");
    TRawCount count;
    int pages = 0;
    for (const auto& entry : fs::directory_iterator(wiki)) {
        if (entry.path().extension() != ".txt") continue;
        auto shown = session.ShowDocument(entry.path().string());
        EXPECT_TRUE(shown && shown->Filled)
            << entry.path() << (shown && !shown->Messages.empty() ? shown->Messages[0] : "");
        if (!shown) continue;
        CountRaw(entry.path().filename().string(), shown->Html, count);
        ++pages;
    }
    EXPECT_GT(pages, 10) << corpus;
    EXPECT_EQ(session.Notation(), TWikiNotation::PukiWiki);
    return count;
}

TEST(PukiWikiCorpus, ShippedPluginsLeaveNoDirectiveOrCallAsText) {
    // The program folder without its plug-ins, for the count before.
    TestFolder bare;
    for (const char* folder : {"Template", "css", "Language"})
        fs::create_directory_symlink(std::string(TARNEL_APP_DIR) + folder, bare.Path() + folder);

    for (const char* folder : {"pukiwiki-1.4.7", "pukiwiki-1.3.7"}) {
        const fs::path corpus = fs::path(TARNEL_CORPUS_DIR) / folder;
        if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
        TRawCount before = ShowCorpus(bare.Path(), corpus);
        TRawCount after = ShowCorpus(TARNEL_APP_DIR, corpus);
        // Counted per page shown; the menu-bar page is part of every page.
        std::cout << folder << ": raw directive lines " << before.Directives << " -> "
                  << after.Directives << ", raw calls " << before.Calls << " -> " << after.Calls
                  << "\n";
        EXPECT_GT(before.Directives, 0) << folder << ": the count finds nothing to fix";
        if (std::string(folder) == "pukiwiki-1.4.7") {
            EXPECT_GT(before.Calls, 0) << folder;
        }
        EXPECT_EQ(after.Directives, 0) << folder;
        EXPECT_EQ(after.Calls, 0) << folder;
        for (const std::string& seen : after.Seen)
            ADD_FAILURE() << "shown raw: " << seen;
    }
}

} // namespace
