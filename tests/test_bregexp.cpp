#include "text/BRegExp.h"

#include <gtest/gtest.h>

using namespace tarnel;

TEST(BRegExp, Probe)
{
    auto m = Search("m/([^|]*)\\|/k", "\x83\x7C|x");
    ASSERT_TRUE(m.Found());
    EXPECT_EQ(m.Group(1), "\x83\x7C");
}
