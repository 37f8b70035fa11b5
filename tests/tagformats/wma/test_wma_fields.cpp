// The text helpers at the ASF boundary.
#include <gtest/gtest.h>

#include <cstring>

#include "tagformats/wma/WmaText.h"

namespace {

TEST(WmaText, MalformedUtf16IsReplaced) {
  const uint8_t lone[] = {0x00, 0xD8, 'x', 0, 0x00, 0xDC};  // high, 'x', low: both unpaired
  EXPECT_EQ(Utf16LeToUtf8(lone, sizeof lone), "\xEF\xBF\xBDx\xEF\xBF\xBD");
  const uint8_t odd[] = {'h', 0, 'i', 0, 0, 0, 'z', 0, 7};
  EXPECT_EQ(Utf16LeToUtf8(odd, sizeof odd), "hi");  // stops at the zero unit
  EXPECT_EQ(Utf16LeToUtf8(odd, 3), "h");            // odd last byte ignored
}

TEST(WmaText, LeadingDecimal) {
  EXPECT_EQ(LeadingDecimal("7"), 7u);
  EXPECT_EQ(LeadingDecimal("07/12"), 7u);
  EXPECT_EQ(LeadingDecimal("x7"), 0u);
  EXPECT_EQ(LeadingDecimal(""), 0u);
  EXPECT_EQ(LeadingDecimal("99999999999999999999"), UINT32_MAX);
}

}  // namespace
