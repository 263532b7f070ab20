// Limits of what members hand to the system, under code page 936, where a character can take two
// bytes: they count characters as the system does, not bytes.
#include <gtest/gtest.h>

#include <string>

#include "framework/OleSysError.h"
#include "system/TextLimits.h"

namespace corvane {
namespace {

TEST(TextLimits, CountTheCharactersTheSystemMakesOfTheBytes) {
  const std::string two = "\xC4\xE3\xBA\xC3";  // two characters in four bytes
  EXPECT_NO_THROW(RequireSystemText(two, 2, "Name"));
  try {
    RequireSystemText(two + "x", 2, "Name", "Nothing was written.");
    FAIL() << "three characters were taken";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.Message(),
              "Name can hold at most 2 characters; this one has 3. Nothing was written.");
  }
}

}  // namespace
}  // namespace corvane
