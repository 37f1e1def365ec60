// Generated pages in display form (Shift_JIS, LF) for the conversion-speed benchmarks and
// the test that holds every converter's output byte for byte: a page thick with links, a
// page of plain prose, and a page that mixes the block and inline marks of all notations.
// The pages are the same on every run (no random numbers).
#pragma once

#include <string>

namespace tarnel::generated {

// Japanese words with trail bytes that are ASCII marks: "|" (0x83 0x7C), "[" (0x83 0x5B),
// "]" (0x83 0x5D) and "\" (0x95 0x5C), so that a rule splitting a double-byte character
// shows in the output.
inline const std::string kJapanese =
    "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x82\xc5\x82\xb7\x81\x42"; // sentence
inline const std::string kMarkTrails = "\x83\x7C\x83\x5B\x83\x5D\x95\x5C";

// Every line carries page links (existing and missing), WikiNames and addresses.
inline std::string LinkHeavyPage(std::size_t bytes) {
    std::string page;
    for (int n = 0; page.size() < bytes; ++n) {
        const std::string k = std::to_string(n);
        page += "See [[Page" + std::to_string(n % 10000) + "]] and [[Missing" + k +
                "]], FrontPage, WikiName" + std::to_string(n % 7) + " and [[Page" +
                std::to_string((n * 7) % 10000) + "]] for more.\n";
        if (n % 4 == 0)
            page += "Links http://example.com/p" + k + " and [[" + kJapanese + "]] BigWikiWord " +
                    kMarkTrails + " mailto:a" + k + "@example.com HTTPServer.\n";
        if (n % 9 == 0) page += "\n";
    }
    return page;
}

// Paragraphs of ordinary sentences, English and Japanese, without any mark.
inline std::string ProsePage(std::size_t bytes) {
    std::string page;
    for (int n = 0; page.size() < bytes; ++n) {
        page += "The quick brown fox jumps over the lazy dog number " + std::to_string(n) +
                ", and then it rests for a while in the shade of a tree. " + kJapanese + "\n";
        page += "A second line of the same paragraph talks about nothing in particular, "
                "just to look like prose written by a person. " +
                kJapanese + kJapanese + "\n";
        if (n % 3 == 2) page += "\n";
    }
    return page;
}

// One section of marks of every notation; each converter reads what it knows and leaves
// the rest as text.
inline std::string MixedSection(int n) {
    const std::string k = std::to_string(n);
    const std::string& ja = kJapanese;
    std::string s;
    s += "*Heading " + k + " " + ja + "\n";
    s += "**Sub heading [#anchor" + k + "]\n";
    s += "! Heading of another kind " + k + "\n";
    s += "== Wiki heading " + k + " ==\n";
    s += "# Sharp heading " + k + "\n";
    s += "h2. Textile heading " + k + "\n";
    s += "Text with ''strong'' and '''emphasis''' and %%deleted%% and ((a footnote " + k +
         ")) in it.\n";
    s += "More **bold** and __under__ and *star* and _under_ and ==del== and -minus- and "
         "+plus+ and @code@ and `tick` here. " +
         ja + "\n";
    s += "Links: [[Page" + k + "]] [[alias>http://example.com/" + k + "]] [[x>FrontPage]] " +
         "[http://example.com/ label] [[Name|Label]] [label](http://example.com/" + k +
         ") <http://example.com/a> \"txt\":http://example.com/t FrontPage WikiName.\n";
    s += "Image http://example.com/i" + k + ".png and [[" + ja + "]] and " + kMarkTrails + "\n";
    s += "Escapes < > & \" and &amp; and &br; &size(10){big}; &unknown(x);\n";
    s += "\n";
    s += "-item one " + ja + "\n--item two\n---item three\n-item back\n";
    s += "+numbered one\n++numbered two\n";
    s += "* star item\n** star item two\n# hash item\n## hash item two\n";
    s += "\n";
    s += ">quote " + ja + "\n>>deeper quote\n> spaced quote\n\n";
    s += "|a|b|c|\n|~head|>|wide|\n|LEFT:l|CENTER:c|RIGHT:r|h\n|x" + kMarkTrails + "|y|z|\n\n";
    s += ",Name,Value,Note\n, centred ,right, " + ja + "\n,\"a,b\",==,c\n\n";
    s += "{|\n|-\n| cell || cell two\n|}\n\n";
    s += ":Term:Description " + ja + "\n:Term2|Description two\n; term ; description\n";
    s += "\n";
    s += " preformatted line <with> & markup\n  second pre\n\n";
    s += ">|\ncode block " + k + "\n|<\n\n";
    s += "```\nfenced code <x>\n```\n\n";
    s += "    indented code\n\n";
    s += "--(\nsoft verbatim ''x''\n--)\n---(\nhard verbatim ''x''\n---)\n";
    s += "----\n";
    s += "RIGHT:right aligned\nCENTER:centred\n";
    s += "p. Paragraph of Textile with _em_ and *strong*.\n";
    s += "bq. Quoted Textile.\n";
    s += "Setext heading\n==============\n\nOther heading\n-------------\n\n";
    s += "[ref" + k + "]: http://example.com/ref \"Title\"\n[a ref][ref" + k + "] end.\n";
    s += "#comment(" + k + ")\n#contents\n//comment line\n";
    s += "Line ending in tilde~\nLine with two blanks  \nafter the break.\n";
    s += "Unclosed marks '' and ** and [[ and (( and %% and http:// and <span\n";
    s += "\n";
    return s;
}

inline std::string MixedPage(std::size_t bytes) {
    std::string page;
    for (int n = 0; page.size() < bytes; ++n)
        page += MixedSection(n);
    return page;
}

} // namespace tarnel::generated
