// tarnel-cli as a user runs it: output, exit status and messages.
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

struct CliRun {
    int status = -1;
    std::string out;
};

// Runs tarnel-cli with the arguments (already quoted for the shell); stderr joins stdout
// when `withErrors`.
CliRun Cli(const std::string& arguments, bool withErrors = false) {
    // A settings file of the test's own: the user's settings must not change the results.
    static const tarnel::testing::TestFolder settings;
    std::string command = "TARNEL_CONFIG=" + settings.Path() + "settings.ini " +
                          std::string(TARNEL_APP_DIR) + "tarnel-cli " + arguments;
    command += withErrors ? " 2>&1" : " 2>/dev/null";
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

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
    std::string config = folder.Path() + "mine.ini";
    CliRun page = Cli("--config " + config + " show " + kSample + "/46726F6E7450616765.txt");
    EXPECT_EQ(page.status, 0);
    EXPECT_EQ(page.out.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.out.find("<meta charset=\"Shift_JIS\">"), std::string::npos);
    EXPECT_NE(page.out.find("name=\"mi0\""), std::string::npos) << "the menu bar page";
    EXPECT_FALSE(std::filesystem::exists(config));
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
    EXPECT_NE(missing.out.find("FrontPage"), std::string::npos) << missing.out;
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
