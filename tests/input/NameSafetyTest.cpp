// What makes a name unfit for the tab-separated output files, and how messages show such names.
#include <gtest/gtest.h>

#include "input/NameSafety.h"

TEST(NameSafety, NamesBreakingTheTables) {
  struct Case { std::string name; bool ends_line; std::string why; };
  const std::vector<Case> cases = {
      {"ind01", true, ""},
      {"", false, ""},
      {"a\tb", false, "holds a tab"},
      {"a\tb\r", true, "holds a tab"},
      {"a\nb", false, "holds a line end"},
      {"ab\r", true, "ends with a carriage return, a Windows line end (CRLF)"},
      {"ab\r", false, "holds a carriage return"},
      {"a\rb", true, "holds a carriage return"},
      {"\r\r", true, "holds a carriage return"},
  };
  for (const Case& c : cases) EXPECT_EQ(mrv::nameBreakingTables(c.name, c.ends_line), c.why) << mrv::visibleName(c.name);
  EXPECT_EQ(mrv::visibleName("a\tb\r\nc d"), "a\\tb\\r\\nc d");
  EXPECT_TRUE(mrv::endsWith("abc", "bc") && mrv::endsWith("abc", "") && mrv::endsWith("abc", "abc"));
  EXPECT_FALSE(mrv::endsWith("bc", "abc") || mrv::endsWith("abc", "ab"));
  EXPECT_EQ(std::string(mrv::kTableNamesRule),
            "; names written into the tab-separated output files cannot hold tabs or line ends.");
}
