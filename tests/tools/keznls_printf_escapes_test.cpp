// Backslash escapes of the tool's format, in process: the cases a shell
// user types that the spawned runs do not reach.
#include <string>

#include <gtest/gtest.h>

#include "escapes.h"

namespace {

using keznls_printf::expand_escapes;

TEST(KeznlsPrintfEscapes, ExpandLikeACatalogueSpellsThem) {
  const struct {
    const char* typed;
    std::string expected;
  } cases[] = {
      {"a\\nb", "a\nb"},
      {"\\t\\\\\\\"\\'", "\t\\\"'"},
      {"\\101\\0102", "A\b2"},  // octal stops after three digits
      {"\\18", "\0018"},
      {"\\0x", "x"},            // a NUL would cut the format short: dropped
      {"\\q\\", "\\q\\"},       // unknown escape and trailing backslash kept
      {"100%%", "100%%"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(expand_escapes(c.typed), c.expected) << c.typed;
  }
}

}  // namespace
