#include "title_list.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(TitleSetList, TakesNumbersAndRangesFrom1To99) {
  EXPECT_EQ(ParseTitleSetList("3,5-7"), (std::vector<int>{3, 5, 6, 7}));
  EXPECT_EQ(ParseTitleSetList("7,3,3"), (std::vector<int>{3, 7}));
  EXPECT_EQ(ParseTitleSetList("1-99")->size(), 99u);
  EXPECT_EQ(ParseTitleSetList("09"), (std::vector<int>{9}));
  for (const char* bad : {"", "0", "100", "3,", ",3", "5-3", "a", "3-", "-3", "1.5", " 3", "3,,4", "1-2-3"})
    EXPECT_FALSE(ParseTitleSetList(bad)) << bad;
}

}  // namespace
}  // namespace kestrune
