#include "conversion/UContentsShelf.h"
#include "storage/URecentFileList.h"

#include <gtest/gtest.h>

using namespace tarnel;

TEST(RecentFiles, MostRecentFirstWithoutDuplicates) {
    TRecentFileList recent;
    recent.Add("/w/41.txt");
    recent.Add("/w/42.txt");
    recent.Add("/w/41.txt");
    ASSERT_EQ(recent.Count(), 2);
    EXPECT_EQ(recent.FilePath(0), "/w/41.txt");
    EXPECT_EQ(recent.FilePath(1), "/w/42.txt");
    recent.Add("/W/42.TXT"); // paths compare without case
    ASSERT_EQ(recent.Count(), 2);
    EXPECT_EQ(recent.FilePath(0), "/W/42.TXT");
    recent.Remove("/w/41.txt");
    EXPECT_EQ(recent.Count(), 1);
    recent.Add("/w/612F62.txt");
    EXPECT_EQ(recent.PageName(0), "a/b") << "names are shown in full, not as a hierarchy";
    recent.Clear();
    EXPECT_EQ(recent.Count(), 0);
}

TEST(ContentsShelf, IndentsByLevel) {
    TContentsShelf contents;
    contents.Add("One", "i0", 1);
    contents.Add("Two", "i1", 2);
    contents.Add("Install", "i2", 3);
    EXPECT_EQ(contents.DisplayText(0), "One");
    EXPECT_EQ(contents.DisplayText(1), "  Two");
    EXPECT_EQ(contents.DisplayText(2), "    Install");
    EXPECT_EQ(contents.Item(2).anchor, "i2");
}
