#include <gtest/gtest.h>

#include <string>

#include "util/NewsId.h"

namespace {

TEST(NewsId, isASignedDecimalThatFitsThirtyTwoBits) {
  for (const char* id : {"0", "17", "-3", "007", "2147483647", "-2147483648", "-0"}) {
    EXPECT_TRUE(UUtils::IsNewsId(id)) << id;
  }
  const std::string withNul("8\0", 2);
  for (const std::string& id :
       {std::string(), std::string("-"), std::string("+5"), std::string(" 5"), std::string("5 "),
        std::string("8\r\n<%%Welcome1%%>"), withNul, std::string("1e3"), std::string("0x10"),
        std::string("2147483648"), std::string("-2147483649"), std::string("00000000001"),
        std::string("--1"), std::string("\xAF")}) {
    EXPECT_FALSE(UUtils::IsNewsId(id)) << id;
  }
}

}  // namespace
