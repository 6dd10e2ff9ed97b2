#include "charset/windows1250_literal.h"

#include <gtest/gtest.h>

namespace sanivo {
namespace {

TEST(Windows1250Literal, HoldsTheBytesOfEachUtf8Form) {
  EXPECT_EQ(""_cp1250, "");
  EXPECT_EQ("a\t~\x7F"_cp1250, "a\t~\x7F");           // one byte: ASCII and controls as they are
  EXPECT_EQ("áčŘůĺ"_cp1250, "\xE1\xE8\xD8\xF9\xE5");  // two bytes
  EXPECT_EQ("€„–ˇ˝"_cp1250, "\x80\x84\x96\xA1\xBD");  // three bytes
}

}  // namespace
}  // namespace sanivo
