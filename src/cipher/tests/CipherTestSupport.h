#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "cipher/Hardware.h"
#include "testsupport/Hex.h"

using Bytes = std::vector<std::uint8_t>;
using testsupport::Hex;
using testsupport::ToHex;

inline Bytes AsBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

// How a vector is fed: whole (0), or in pieces of this many bytes.
inline constexpr std::size_t kFeedings[] = {0, 1, 3, 20, 63, 64, 65};

template <class Feed>
void FeedInPieces(const Bytes& data, std::size_t piece, Feed feed) {
  if (piece == 0 || data.empty()) {
    feed(data.data(), data.size());
    return;
  }
  for (std::size_t at = 0; at < data.size(); at += piece) {
    feed(data.data() + at, std::min(piece, data.size() - at));
  }
}

// Runs a test once on the CPU's instructions (skipped where absent) and once
// on the portable code.
class BothPaths : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam() && !AesLib::HardwareAesAvailable() && !AesLib::HardwareShaAvailable()) {
      GTEST_SKIP() << "this CPU has neither AES nor SHA instructions";
    }
    AesLib::SetHardwareEnabled(GetParam());
  }
  void TearDown() override { AesLib::SetHardwareEnabled(true); }
};

inline std::string PathName(const ::testing::TestParamInfo<bool>& info) {
  return info.param ? "Hardware" : "Portable";
}

#define INSTANTIATE_BOTH_PATHS(Fixture) \
  INSTANTIATE_TEST_SUITE_P(, Fixture, ::testing::Bool(), PathName)
