// The escaping of untrusted text that every tool prints.
#include <gtest/gtest.h>

#include "common/EscapedText.h"

namespace fiverow::tools {
namespace {

// Characters that reorder or break text are escaped like control bytes,
// and still read back exactly.
TEST(EscapedText, HidesFormatCharactersAndKeepsOtherText) {
  const std::string text = "A\u202eB\u2066C\u200bD \u00e9\u4e2d";
  EXPECT_EQ(EscapeText(text), "A\\xe2\\x80\\xaeB\\xe2\\x81\\xa6C\\xe2\\x80\\x8bD \u00e9\u4e2d");
  EXPECT_EQ(UnescapeText(EscapeText(text)), text);
}

}  // namespace
}  // namespace fiverow::tools
