#include "TestFolder.h"
#include "render/UDesignList.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tarnel;

TEST(Designs, OnlyFoldersAreDesignsSortedWithoutCase) {
    tarnel::testing::TestFolder css;
    for (const char* d : {"default", "Dark", "blue"})
        std::filesystem::create_directory(css.Path() + d);
    css.Write("default/wiki.css", "body{}");
    css.Write("notadesign.css", "x");
    TDesignList list(css.Path());
    EXPECT_EQ(list.Designs(), (std::vector<std::string>{"blue", "Dark", "default"}));
    EXPECT_EQ(list.IndexOf("DEFAULT"), 2);
    EXPECT_EQ(list.IndexOf("gone"), -1);
    EXPECT_EQ(list.StyleSheetText("default"), "body{}");
    EXPECT_THROW(list.StyleSheetText("blue"), std::runtime_error) << "a design without wiki.css";
    EXPECT_EQ(TDesignList::StyleSheetFile("default"), "default/wiki.css");
    EXPECT_TRUE(TDesignList(css.Path() + "missing/").Designs().empty());
}

TEST(Designs, ShippedDesignsAllHaveAStyleSheet) {
    TDesignList list(std::string(TARNEL_APP_DIR) + "css/");
    std::vector<std::string> designs = list.Designs();
    if (designs.empty()) GTEST_SKIP() << "no designs built yet";
    EXPECT_NE(list.IndexOf("default"), -1);
    for (const std::string& d : designs)
        EXPECT_FALSE(list.StyleSheetText(d).empty()) << d;
}
