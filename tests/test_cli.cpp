// tarnel-cli as a user runs it: output, exit status and messages.
#include "CliRun.h"
#include "TestFolder.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

using tarnel::testing::Cli;
using tarnel::testing::CliRun;

namespace {

const std::string kSample = std::string(TARNEL_SOURCE_DIR) + "/examples/sample-wiki";

} // namespace

TEST(Cli, ListsAndConvertsTheSampleWiki) {
    CliRun list = Cli("list " + kSample);
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("FrontPage\n"), std::string::npos);
    EXPECT_NE(list.out.find("\xE3\x81\xAF\xE3\x81\x98\xE3\x82\x81\xE3\x81\xAB\n"),
              std::string::npos)
        << "Japanese page names come out in UTF-8";

    CliRun page = Cli("convert " + kSample + "/46726F6E7450616765.txt");
    EXPECT_EQ(page.status, 0);
    EXPECT_NE(page.out.find("<h2><a name=\"i0\">"), std::string::npos);
    EXPECT_EQ(Cli("convert --title " + kSample + "/46726F6E7450616765.txt").out, "FrontPage\n");
    EXPECT_NE(
        Cli("convert --toc " + kSample + "/46726F6E7450616765.txt").out.find("<div class=\"toc\">"),
        std::string::npos);
    CliRun euc = Cli("convert --encoding euc " + kSample + "/A4CFA4B8A4E1A4CB.txt");
    EXPECT_NE(euc.out.find("\xA4\xCF\xA4\xB8\xA4\xE1\xA4\xCB"), std::string::npos);

    CliRun found = Cli("search " + kSample + " '\xE3\x83\xAA\xE3\x83\xB3\xE3\x82\xAF'"); // "link"
    EXPECT_EQ(found.status, 0);
    EXPECT_NE(found.out.find("FrontPage\n"), std::string::npos);
}

TEST(Cli, ShowsTheWholePageAndWritesNoSettings) {
    tarnel::testing::TestFolder folder;
    std::string config = folder.Write("mine.ini", "");
    CliRun page = Cli("--config " + config + " show " + kSample + "/46726F6E7450616765.txt");
    EXPECT_EQ(page.status, 0);
    EXPECT_EQ(page.out.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.out.find("<meta charset=\"UTF-8\">"), std::string::npos);
    EXPECT_NE(page.out.find("name=\"mi0\""), std::string::npos) << "the menu bar page";
    EXPECT_EQ(std::filesystem::file_size(config), 0u);
    EXPECT_FALSE(std::filesystem::exists(kSample + "/Wiki.ini"));
    EXPECT_EQ(Cli("show " + kSample + "/nothing.txt").status, 1);
}

TEST(Cli, ExitStatusTellsUsageFromFailure) {
    EXPECT_EQ(Cli("").status, 2);
    EXPECT_EQ(Cli("frobnicate").status, 2);
    EXPECT_EQ(Cli("convert --notation klingon x.txt").status, 2);
    EXPECT_EQ(Cli("convert --encoding latin1 x.txt").status, 2);
    EXPECT_EQ(Cli("--help").status, 0);
    EXPECT_EQ(Cli("--version").out.rfind("tarnel-cli ", 0), 0u);

    CliRun missing = Cli("convert /nonexistent/46726F6E7450616765.txt", true);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "tarnel-cli: no such page file: /nonexistent/46726F6E7450616765.txt\n")
        << "worded as show words it";
    EXPECT_EQ(missing.out.find('\n'), missing.out.size() - 1) << "one line: " << missing.out;
}

// list reads the wiki as the desktop program does: the extension of the settings file, the
// wiki's UTF-8 page names and its hierarchy display; a missing folder is an error.
TEST(Cli, ListShowsThePagesAsThePageListDoes) {
    tarnel::testing::TestFolder wiki;
    const std::string settings =
        wiki.Write("settings.ini", "[File]\nExtension=.wiki\nNameEncodingUTF8=1\n");
    wiki.Write("w/Wiki.ini", "[List]\r\nDisplayHierarchy=1\r\n");
    // UTF-8 hex names: "a/b" and "日本" (E697A5E69CAC); a .txt file is not a page here.
    wiki.Write("w/612F62.wiki", "x\n");
    wiki.Write("w/E697A5E69CAC.wiki", "y\n");
    wiki.Write("w/41.txt", "z\n");
    CliRun list = Cli("--config " + settings + " list " + wiki.Path() + "w");
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "  b\n\xE6\x97\xA5\xE6\x9C\xAC\n");

    EXPECT_EQ(Cli("list " + wiki.Path() + "missing").status, 1);
    EXPECT_EQ(Cli("--config " + wiki.Path() + "none.ini list " + wiki.Path() + "w").status, 1);
}

namespace {

const char* const kCommands[] = {"convert", "export", "list", "search", "show"};

// "日本語のページ" in three encodings, and the UTF-8 the terminal should get.
const std::string kUtf8Text = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\x9A"
                              "\xE3\x83\xBC\xE3\x82\xB8";
const std::string kEucText = "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xA5\xDA\xA1\xBC\xA5\xB8";
const std::string kSjisText = "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x79\x81\x5B\x83\x57";

} // namespace

TEST(Cli, EachCommandHasItsOwnHelp) {
    for (const char* command : kCommands) {
        CliRun help = Cli(std::string(command) + " --help");
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("usage: tarnel-cli ") + command, 0), 0u) << help.out;
        EXPECT_NE(help.out.find("--config"), std::string::npos) << command;
    }
}

TEST(Cli, UsageErrorsAreOneLineWithAHint) {
    for (const char* arguments :
         {"", "frobnicate", "list", "show a b", "export --bogus a b", "convert --read x a"}) {
        CliRun run = Cli(arguments, true);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
        EXPECT_NE(run.out.find("--help"), std::string::npos) << run.out;
    }
    CliRun notation = Cli("convert --notation klingon x.txt", true);
    EXPECT_NE(notation.out.find("markdown"), std::string::npos) << "lists the valid names";
}

TEST(Cli, NotationNamesIgnoreCase) {
    const std::string page = kSample + "/46726F6E7450616765.txt";
    CliRun lower = Cli("convert --notation markdown " + page);
    CliRun mixed = Cli("convert --notation MarkDown " + page);
    EXPECT_EQ(mixed.status, 0);
    EXPECT_EQ(mixed.out, lower.out);
}

// Every failure exits 1 with one message that names the path; a full disk is a failure.
TEST(Cli, FailuresExitOneNamingThePath) {
    tarnel::testing::TestFolder folder;
    const std::string missing = folder.Path() + "missing";
    const std::string page = kSample + "/46726F6E7450616765.txt";
    const std::string out = folder.Path() + "out";
    const struct {
        std::string arguments;
        std::string named; // what the message must mention
    } cases[] = {
        {"list " + missing, missing},
        {"search " + missing + " x", missing},
        {"show " + missing + "/41.txt", missing},
        {"convert " + missing + "/41.txt", "41.txt"},
        {"export " + missing + " " + out, missing},
        {"--config " + missing + ".ini show " + page, missing},
        {"--config " + missing + ".ini list " + kSample, missing},
        {"list " + kSample + " >/dev/full", "standard output"},
        {"search " + kSample + " FrontPage >/dev/full", "standard output"},
        {"show " + page + " >/dev/full", "standard output"},
        {"convert " + page + " >/dev/full", "standard output"},
        {"export " + kSample + " /dev/full", "/dev/full"},
        {"export " + kSample + " " + kSample + "/site", "wiki folder"},
    };
    for (const auto& c : cases) {
        CliRun run = Cli(c.arguments, true);
        EXPECT_EQ(run.status, 1) << c.arguments << "\n" << run.out;
        EXPECT_NE(run.out.find(c.named), std::string::npos) << c.arguments << "\n" << run.out;
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
    }
}

// A page in UTF-8, EUC-JP or Shift_JIS shows right under automatic reading: UTF-8 on the
// terminal, LF line ends, and a charset tag that says UTF-8.
TEST(Cli, EveryEncodingShowsRightUnderAutomaticReading) {
    tarnel::testing::TestFolder wiki;
    const struct {
        const char* name;
        std::string bytes;
    } pages[] = {{"UTF-8", kUtf8Text}, {"EUC-JP", kEucText}, {"Shift_JIS", kSjisText}};
    for (const auto& p : pages) {
        const std::string file = wiki.Write(std::string(p.name) + "/41.txt", p.bytes + "\r\n");
        for (const char* command : {"show", "convert"}) {
            CliRun run = Cli(std::string(command) + " --read auto " + file);
            EXPECT_EQ(run.status, 0) << p.name << " " << command;
            EXPECT_NE(run.out.find(kUtf8Text), std::string::npos) << p.name << " " << command;
            EXPECT_EQ(run.out.find('\r'), std::string::npos) << p.name << " " << command;
        }
        CliRun show = Cli("show --read auto " + file);
        EXPECT_NE(show.out.find("charset=\"UTF-8\""), std::string::npos) << p.name;
        CliRun sjis = Cli("show --read auto --encoding sjis " + file);
        EXPECT_NE(sjis.out.find(kSjisText), std::string::npos) << p.name;
        EXPECT_NE(sjis.out.find("charset=\"Shift_JIS\""), std::string::npos) << p.name;
    }
}

// A page that is not valid in the encoding asked for is an error with the file and the
// offset of the first bad byte, never empty output with exit 0.
TEST(Cli, AWrongReadEncodingNamesTheFileAndTheByte) {
    tarnel::testing::TestFolder wiki;
    const std::string file = wiki.Write("w/41.txt", "ab" + kEucText + "\n");
    for (const char* command : {"show", "convert"}) {
        CliRun run = Cli(std::string(command) + " --read utf8 " + file, true);
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_NE(run.out.find("41.txt"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("byte 2"), std::string::npos) << run.out;
    }
    CliRun euc = Cli("convert --read euc " + file);
    EXPECT_EQ(euc.status, 0);
    EXPECT_NE(euc.out.find(kUtf8Text), std::string::npos);
    EXPECT_EQ(Cli("convert --read jis " + file).status, 1);
}

// export: a page that cannot be read is named and makes the exit status 1; a file of the
// user's in OUTDIR stops the export unless --force.
TEST(Cli, ExportNamesWhatItDidNotWrite) {
    tarnel::testing::TestFolder folder;
    folder.Write("w/41.txt", "a\n");
    folder.Write("w/42.txt", "\xFF\xFE\n"); // not readable as UTF-8
    const std::string out = folder.Path() + "out";
    CliRun run = Cli("export --read utf8 " + folder.Path() + "w " + out, true);
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("not written"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("42.txt"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1 written"), std::string::npos) << run.out;
    EXPECT_TRUE(std::filesystem::exists(out + "/41.html"));

    folder.Write("mine/41.html", "mine");
    std::filesystem::remove(folder.Path() + "w/42.txt");
    CliRun refused = Cli("export " + folder.Path() + "w " + folder.Path() + "mine", true);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("41.html"), std::string::npos) << refused.out;
    EXPECT_EQ(Cli("export --force " + folder.Path() + "w " + folder.Path() + "mine").status, 0);
    EXPECT_EQ(Cli("export --design nosuch " + folder.Path() + "w " + out).status, 1);
}

TEST(Cli, LanguageOfMessages) {
    EXPECT_EQ(Cli("--lang English list " + kSample).status, 0);
    CliRun missing = Cli("--lang Klingon list " + kSample, true);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("Klingon"), std::string::npos) << missing.out;
    EXPECT_EQ(Cli("--lang", true).status, 2);
}

// A page name with an escape sequence is shown escaped on a terminal and raw in a pipe.
TEST(Cli, ControlBytesInNamesAreEscapedOnATerminal) {
    tarnel::testing::TestFolder wiki;
    wiki.Write("w/1B5B33316D41.txt", "x\n"); // ESC [ 3 1 m A
    EXPECT_EQ(Cli("list " + wiki.Path() + "w").out, "\x1B[31mA\n");
    if (!std::filesystem::exists("/usr/bin/script")) GTEST_SKIP() << "no script(1) for a terminal";
    // The first command only prints the version; the second runs under a terminal.
    CliRun tty = Cli("--version >/dev/null; script -qc '" + std::string(TARNEL_APP_DIR) +
                     "tarnel-cli list " + wiki.Path() + "w' /dev/null");
    EXPECT_NE(tty.out.find("\\x1B[31mA"), std::string::npos) << tty.out;
}

// search finds a Japanese word in pages of every encoding; --read fixes one.
TEST(Cli, SearchReadsEveryEncoding) {
    tarnel::testing::TestFolder wiki;
    wiki.Write("w/41.txt", kUtf8Text + "\n");
    wiki.Write("w/42.txt", kEucText + "\n");
    wiki.Write("w/43.txt", kSjisText + "\n");
    const std::string word = "\xE3\x83\x9A\xE3\x83\xBC\xE3\x82\xB8"; // "page"
    CliRun all = Cli("search --body-only " + wiki.Path() + "w " + word);
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.out, "A\nB\nC\n");
    CliRun utf8 = Cli("search --read utf8 --body-only " + wiki.Path() + "w " + word, true);
    EXPECT_EQ(utf8.status, 1) << "the EUC-JP page is not UTF-8";
    EXPECT_NE(utf8.out.find("42.txt"), std::string::npos) << utf8.out;
}

TEST(Cli, ALargePageComesOutInPiecesExactlyAsAWhole) {
    // More than a few of the pieces the output is written in; Japanese text and CR LF line
    // ends fall on every piece boundary somewhere. The second page is one paragraph, so its
    // HTML is one line of several megabytes with no line feed to cut at; its Japanese text
    // has second bytes that are ASCII ("\x83\x5C", "\x95\x5C" in Shift_JIS).
    std::string blocks, paragraph;
    for (int n = 0; blocks.size() < (3u << 20); ++n)
        blocks += "*Heading " + std::to_string(n) + "\n\xC6\xFC\xCB\xDC\xB8\xEC [[Page" +
                  std::to_string(n % 50) + "]] FrontPage and ''bold''\n-item \xA4\xA2\n\n";
    for (int n = 0; paragraph.size() < (3u << 20); ++n)
        paragraph += "\xA5\xBD\xC9\xBD<" + std::to_string(n) + "> [[Page" + std::to_string(n % 50) +
                     "]]\xA5\xBD \xA4\xA2&\n";
    auto check = [](const std::string& page, bool oneLine) {
        tarnel::testing::TestFolder wiki;
        wiki.Write("46726F6E7450616765.txt", page);
        const std::string file = wiki.Path() + "46726F6E7450616765.txt";
        CliRun sjis = Cli("convert --notation yukiwiki --encoding sjis " + file);
        CliRun utf8 = Cli("convert --notation yukiwiki --encoding utf8 " + file);
        CliRun euc = Cli("convert --notation yukiwiki --encoding euc " + file);
        ASSERT_EQ(sjis.status, 0);
        ASSERT_GT(sjis.out.size(), 3u << 20);
        EXPECT_EQ(sjis.out.find('\r'), std::string::npos);
        if (oneLine) {
            EXPECT_LE(std::count(sjis.out.begin(), sjis.out.end(), '\n'), 2); // "<p>" and it
        }
        EXPECT_TRUE(utf8.out == tarnel::ShiftJisToUtf8(sjis.out)) << "UTF-8 output differs";
        EXPECT_TRUE(euc.out == tarnel::ShiftJisToEucJp(sjis.out)) << "EUC-JP output differs";
    };
    check(blocks, false);
    check(paragraph, true);
}
