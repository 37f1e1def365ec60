#include "TestFolder.h"
#include "storage/UPageFile.h"
#include "storage/UWikiFileList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace tarnel;
using tarnel::testing::TestFolder;

namespace {
const std::string kHiraA = "\x82\xA0"; // Shift_JIS hiragana a
}

TEST(PageNames, EncodeAndDecode) {
    EXPECT_EQ(EncodePageName("FrontPage", false), "46726F6E7450616765");
    EXPECT_EQ(EncodePageName("FrontPage", true), "46726F6E7450616765");
    EXPECT_EQ(EncodePageName(kHiraA, false), "A4A2");
    EXPECT_EQ(EncodePageName(kHiraA, true), "E38182");
    EXPECT_EQ(EncodePageName("", false), "");

    struct Case {
        const char* file;
        bool utf8;
        std::string page;
    } cases[] = {
        {"46726F6E7450616765.txt", false, "FrontPage"},
        {"46726f6e7450616765.TXT", false, "FrontPage"},
        {"/wiki/folder/46726F6E7450616765.txt", false, "FrontPage"},
        {"46726F6E745061676.txt", false, ""}, // an odd number of digits cannot be decoded
        {"4672.bak", false, "Fr"},
        {"A4A2.txt", false, kHiraA},
        {"E38182.txt", true, kHiraA},
        {"46G2.txt", false, ""}, // not hex: the empty name
        {"C3.txt", true, ""},    // malformed UTF-8: the empty name
        {"", false, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeFileName(c.file, c.utf8), c.page) << c.file;

    // Round trip of a hierarchical Japanese name in both encodings.
    std::string name = "a/" + kHiraA + "/\x8A\xBF\x8E\x9A";
    for (bool utf8 : {false, true})
        EXPECT_EQ(DecodeFileName(EncodePageName(name, utf8) + ".txt", utf8), name);
}

TEST(PageNames, WhichFilesArePages) {
    struct Case {
        const char* file;
        const char* ext;
        bool page;
    } cases[] = {
        {"46726F6E7450616765.txt", ".txt", true},
        {"46726f6e7450616765.TXT", ".txt", true},
        {"Readme.txt", ".txt", false},
        {"4672.txt~", ".txt", false}, // the backup left while saving
        {".txt", ".txt", false},
        {"4672xtxt", ".txt", false}, // the dot is literal
        {"4672", "", true},
        {"4672.bak", "", true},
        {"x4672", "", false},
        {"4672.wiki", ".wiki", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsPageFileName(c.file, c.ext), c.page) << c.file;
}

TEST(PageNames, HierarchyDisplay) {
    EXPECT_EQ(HierarchyDisplayName("a/b/c"), "    c");
    EXPECT_EQ(HierarchyDisplayName("abc"), "abc");
    EXPECT_EQ(HierarchyDisplayName("a/b/"), "b/");
    EXPECT_EQ(HierarchyDisplayName("/x"), "  x");
}

TEST(WikiFileList, UpdateListsPagesInOrder) {
    TestFolder wiki;
    for (const char* name : {"62.txt", "61.txt", "6162.txt", "612F62.txt", "Readme.txt", "61.txt~",
                             "notes.md", "41.TXT"})
        wiki.Write(name, "x\n");
    std::filesystem::create_directory(wiki.Path() + "sub");

    TWikiFileList list;
    list.folder = wiki.Path();
    list.Update();
    ASSERT_EQ(list.Count(), 5);
    std::vector<std::string> pages;
    for (int i = 0; i < list.Count(); ++i)
        pages.push_back(list.PageName(i));
    // Hex order is the byte order of the names; a prefix comes first.
    EXPECT_EQ(pages, (std::vector<std::string>{"A", "a", "a/b", "ab", "b"}));
    EXPECT_EQ(list.FilePath(0), wiki.Path() + "41.TXT");

    list.displayHierarchy = true;
    EXPECT_EQ(list.DisplayName(2), "  b");
    EXPECT_EQ(list.IndexOf("6162.txt"), 3);
    EXPECT_EQ(list.IndexOf("6163.txt"), -1);

    list.Add("6161.txt");
    list.Add("6161.txt");
    EXPECT_EQ(list.Count(), 6);
    EXPECT_EQ(list.IndexOf("6161.txt"), 3);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);

    list.folder = wiki.Path() + "missing/";
    list.Update();
    EXPECT_EQ(list.Count(), 0);
}

TEST(WikiFileList, RealWikiFoldersDecode) {
    for (const char* corpus : {"pukiwiki-1.4.7", "pukiwiki-1.3.7"}) {
        std::string folder = std::string(TARNEL_CORPUS_DIR) + "/" + corpus + "/";
        if (!std::filesystem::exists(folder)) GTEST_SKIP() << "corpus not present";
        TWikiFileList list;
        list.folder = folder;
        list.Update();
        EXPECT_GT(list.Count(), 5) << corpus;
        bool front = false;
        for (int i = 0; i < list.Count(); ++i) {
            EXPECT_FALSE(list.PageName(i).empty()) << list.FileName(i);
            front = front || list.PageName(i) == "FrontPage";
            // Reading never fails and always yields LF-only text.
            std::string text = ReadPageText(list.FilePath(i), {});
            EXPECT_EQ(text.find('\r'), std::string::npos);
        }
        EXPECT_TRUE(front) << corpus;
    }
}

TEST(PageText, ReadingNormalisesBytes) {
    TestFolder wiki;
    struct Case {
        std::string bytes;
        PageReadOptions options;
        std::string text;
    } cases[] = {
        {"a\r\nb\r\n", {}, "a\nb\n"},
        {"a\rb\r", {}, "a\nb\n"}, // CR-only files read as LF
        {"a\nb", {}, "a\nb\n"},   // the last line gets its LF
        {"a\r\n\r\nb\n", {}, "a\n\nb\n"},
        {"ab\0cd\n", {}, "ab\n"}, // a NUL ends the text
        {"", {}, ""},
        // Shift_JIS is converted only when the encoding is detected automatically.
        {"\x82\xA0\n", {false, ReadCharCode::Automatic}, "\xA4\xA2\n"},
        {"\x82\xA0\n", {false, ReadCharCode::EucJp}, "\x82\xA0\n"},
        {"\xA4\xA2\xA4\xF3\n", {false, ReadCharCode::Automatic}, "\xA4\xA2\xA4\xF3\n"},
        {"\xE3\x81\x82\n", {true, ReadCharCode::EucJp}, "\xA4\xA2\n"},
        {"\x1B$B$\"\x1B(B\n", {false, ReadCharCode::Automatic}, "\xA4\xA2\n"},
    };
    for (const auto& c : cases) {
        std::string path = wiki.Write("61.txt", c.bytes);
        EXPECT_EQ(ReadPageText(path, c.options), c.text);
    }
    // Odd bytes never fail: every byte value, and a lead byte at the very end.
    std::string all;
    for (int i = 1; i < 256; ++i)
        all += static_cast<char>(i);
    all += '\x82';
    for (ReadCharCode code : {ReadCharCode::Automatic, ReadCharCode::EucJp})
        for (bool utf8 : {false, true})
            EXPECT_NO_THROW(ReadPageText(wiki.Write("62.txt", all), {utf8, code}));

    EXPECT_THROW(ReadPageText(wiki.Path() + "missing.txt", {}), EPageFileError);
    EXPECT_THROW(ReadPageText(wiki.Path(), {}), EPageFileError);
    // A pipe named like a page would hold the program forever: it is refused at once.
    ASSERT_EQ(mkfifo((wiki.Path() + "63.txt").c_str(), 0600), 0);
    EXPECT_THROW(ReadPageText(wiki.Path() + "63.txt", {}), EPageFileError);
}

TEST(PageText, WritingStoresEucJpWithLf) {
    TestFolder wiki;
    std::string path = wiki.Path() + "61.txt";
    WritePageText(path, "\x82\xA0\r\nline\r\n");
    EXPECT_EQ(wiki.Read("61.txt"), "\xA4\xA2\nline\n");
    WritePageText(path, "last");
    EXPECT_EQ(wiki.Read("61.txt"), "last\n");
    // Nothing but the page is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(wiki.Path()), {}), 1);
}

TEST(PageText, RefusedFileNameNamesThePageAndWritesNothing) {
    TestFolder wiki;
    std::string longName(200, 'x'); // 400 hex digits: longer than any file system allows
    std::string path = wiki.Path() + EncodePageName(longName, false) + ".txt";
    try {
        WritePageText(path, "text");
        FAIL() << "a too long name was accepted";
    } catch (const EPageFileError& e) {
        EXPECT_NE(std::string(e.what()).find(longName), std::string::npos) << e.what();
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(wiki.Path()), {}), 0);

    // An unwritable folder leaves the existing page as it was.
    if (geteuid() != 0) {
        std::string page = wiki.Write("61.txt", "old\n");
        std::filesystem::permissions(wiki.Path(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        EXPECT_THROW(WritePageText(page, "new"), EPageFileError);
        std::filesystem::permissions(wiki.Path(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        EXPECT_EQ(wiki.Read("61.txt"), "old\n");
    }
}
