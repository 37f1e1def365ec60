// Deep nesting in every notation: past the depth a notation nests to, items and
// quotations go on flat, and none of their text is lost or left as raw marks.
#include "conversion/UWikiDocumentConverter.h"
#include "conversion/UWikiDocumentConverterMaker.h"
#include "plugins/UPluginShelf.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace tarnel;

namespace {

std::string Convert(TWikiNotation notation, const std::string& text) {
    TPluginShelf none;
    TConverterOptions options;
    options.Plugins = &none;
    auto c = TWikiDocumentConverterMaker::GetWikiDocumentConverter(notation, options);
    c->FileName = "/nonexistent/wiki/50616765.txt";
    c->ResetConversionState();
    return c->ConvertBlocks(text);
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Whether `word` stands in `text` with no digit right after it.
bool HasWord(const std::string& text, const std::string& word) {
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        std::size_t end = at + word.size();
        if (end == text.size() || text[end] < '0' || text[end] > '9') return true;
    }
    return false;
}

std::string Nested(int depth, const std::function<std::string(int)>& line) {
    std::string text;
    for (int d = 1; d <= depth; ++d)
        text += line(d) + "\n";
    return text;
}

} // namespace

TEST(DeepNesting, EveryItemOfAVeryDeepMarkdownListIsConverted) {
    struct Case {
        TWikiNotation notation;
        std::function<std::string(int)> line;
    };
    // The other notations nest by the number of marks, up to three; deeper marks are
    // text or rules of their own, and the pathological suite covers them.
    const Case cases[] = {
        // Two blanks a level: past the nesting bound, and past the length a line's leading
        // blanks are cut to, the items go on flat.
        {TWikiNotation::Markdown,
         [](int d) { return std::string(static_cast<std::size_t>(2 * (d - 1)), ' ') + "- item"; }},
        {TWikiNotation::Markdown,
         [](int d) { return std::string(static_cast<std::size_t>(4 * (d - 1)), ' ') + "* item"; }},
    };
    for (const Case& c : cases) {
        const int kDepth = 600;
        std::string html = Convert(c.notation, Nested(kDepth, c.line));
        EXPECT_EQ(Count(html, "item"), static_cast<std::size_t>(kDepth))
            << static_cast<int>(c.notation);
        EXPECT_EQ(Count(html, "<li"), static_cast<std::size_t>(kDepth))
            << static_cast<int>(c.notation) << " every item is a list item";
    }
}

TEST(DeepNesting, MarkdownQuotationsPastTheBoundGoOnFlat) {
    for (int depth : {20, 300, 2000}) {
        std::string text;
        for (int d = 1; d <= depth; ++d) {
            for (int k = 0; k < d; ++k)
                text += "> ";
            text += "q" + std::to_string(d) + "\n";
        }
        std::string html = Convert(TWikiNotation::Markdown, text);
        for (int d = 1; d <= depth; ++d)
            ASSERT_TRUE(HasWord(html, "q" + std::to_string(d))) << depth << " " << d;
        EXPECT_EQ(html.find("&gt;"), std::string::npos) << depth << ": no mark left as text";
        EXPECT_EQ(Count(html, "<blockquote>"), Count(html, "</blockquote>"));
        EXPECT_LE(Count(html, "<blockquote>"), 40u) << depth;
    }
}
