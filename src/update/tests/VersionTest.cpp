#include <gtest/gtest.h>

#include "update/Version.h"

namespace {

TEST(IsNewer, comparesTheDescriptorAsAFloatWithTheInstalledVersion) {
  const struct {
    const char* descriptor;
    bool newer;
  } cases[] = {
      {"2.01", false},  // as a float just below 2.01: the same version is no update
      {"2.02", true},  {"3", true},        {"2.0", false},  {"1.9", false},   {"", false},
      {"abc", false},  {"2.02abc", false}, {"2,02", false}, {" 2.02 ", true}, {"+2.02", true},
      {"-3", false},   {"2.1e1", true},    {".5", false},   {"inf", false},   {"nan", false},
      {"1e39", false}, {"1e400", false},   {"0x10", false}, {"+-3", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(update::IsNewer(c.descriptor), c.newer) << '"' << c.descriptor << '"';
  }
}

}  // namespace
