#include <gtest/gtest.h>

#include "util/DecodeHexEscapes.h"

namespace {

TEST(DecodeHexEscapes, decodesEscapesAndRefusesBrokenOnes) {
  const struct {
    std::string text;
    std::string decoded;
  } cases[] = {
      {"", ""},
      {"plain <b>html</b>", "plain <b>html</b>"},
      {"$41$42c", "ABc"},
      {"$24", "$"},
      {"$af$AF$5E", "\xaf\xaf^"},
      {"a$00b", std::string("a\0b", 3)},
      {"cut $4", "cut \x04"},  // the last escape cut short
      {"lone $", ""},
      {"$", ""},
      {"$4G ok", ""},
      {"$G4", ""},
      {"fine then $x1", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UUtils::DecodeHexEscapes(c.text), c.decoded) << c.text;
  }
}

}  // namespace
