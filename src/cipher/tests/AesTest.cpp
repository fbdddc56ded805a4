#include "cipher/Aes.h"
#include "cipher/tests/CipherTestSupport.h"

using namespace AesLib;

class Aes : public BothPaths {};
INSTANTIATE_BOTH_PATHS(Aes);

// FIPS-197 Appendix C: the example vectors for the three key sizes.
TEST_P(Aes, encryptsTheStandardsExamplesForAllKeySizes) {
  const struct {
    const char* key;
    std::uint32_t keyLength;
    std::uint32_t rounds;
    const char* cipher;
  } cases[] = {
      {"000102030405060708090a0b0c0d0e0f", 16, 10, "69c4e0d86a7b0430d8cdb78070b4c55a"},
      {"000102030405060708090a0b0c0d0e0f1011121314151617", 24, 12,
       "dda97ca4864cdfe06eaf70a0ec0d7191"},
      {"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", 32, 14,
       "8ea2b7ca516745bfeafc49904b496089"},
  };
  const Bytes plain = Hex("00112233445566778899aabbccddeeff");
  for (const auto& c : cases) {
    for (const std::uint32_t length : {c.keyLength, 8 * c.keyLength}) {
      AesKeySchedule schedule;
      ASSERT_EQ(AesExpandKey(Hex(c.key).data(), length, schedule), 1) << length;
      EXPECT_EQ(schedule.rounds, c.rounds);
      std::uint8_t out[16];
      ASSERT_EQ(AesEncryptBlock(plain.data(), out, schedule), 1);
      EXPECT_EQ(ToHex(out, 16), c.cipher) << "key length " << length;
    }
  }
}

TEST_P(Aes, refusesOtherKeyLengthsAndThenEncryptsNothing) {
  const Bytes key(32, 0x42);
  for (const std::uint32_t length : {0u, 8u, 20u, 100u, 64u, 512u}) {
    AesKeySchedule schedule;
    EXPECT_EQ(AesExpandKey(key.data(), length, schedule), 0) << length;
    EXPECT_EQ(schedule.rounds, 0u);
    std::uint8_t out[16];
    std::fill(std::begin(out), std::end(out), 0xee);
    EXPECT_EQ(AesEncryptBlock(key.data(), out, schedule), 0);
    EXPECT_EQ(ToHex(out, 16), std::string(32, 'e'));
  }
}

// The counter mode over whole blocks equals encrypting each counter value,
// including the carry across bytes and the wrap of the 64-bit counter.
TEST_P(Aes, counterBlocksMatchSingleBlockEncryption) {
  AesKeySchedule schedule;
  ASSERT_EQ(AesExpandKey(Hex("2b7e151628aed2a6abf7158809cf4f3c").data(), 16, schedule), 1);
  for (const char* start : {"00000000000000000000000000000000", "fdffffffffffffff0000000000000000",
                            "faff0000000000000000000000000000"}) {
    Bytes data(16 * 21);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
    Bytes counter = Hex(start);
    Bytes expectedCounter = counter;
    Bytes expected = data;
    std::uint8_t keystream[16];
    for (std::size_t block = 0; block < 21; ++block) {
      AesIncrementCounter(expectedCounter.data());
      AesEncryptBlock(expectedCounter.data(), keystream, schedule);
      for (int i = 0; i < 16; ++i) expected[16 * block + i] ^= keystream[i];
    }
    std::uint8_t last[16];
    AesCtrBlocks(schedule, counter.data(), data.data(), data.data(), 21, last);
    EXPECT_EQ(ToHex(data), ToHex(expected)) << start;
    EXPECT_EQ(ToHex(counter), ToHex(expectedCounter)) << start;
    EXPECT_EQ(ToHex(last, 16), ToHex(keystream, 16));
    EXPECT_EQ(ToHex(Bytes(counter.begin() + 8, counter.end())), std::string(16, '0'));
  }
}
