#include <stdexcept>

#include "cipher/Crypt.h"
#include "cipher/tests/CipherTestSupport.h"
#include "cipher/tests/MemoryStream.h"

using namespace AesLib;

namespace {

constexpr std::uint32_t kBufferSize = 262144;
const std::string kPassword = "wodnexhutr";

Bytes Plain(std::size_t size) {
  Bytes plain(size);
  for (std::size_t i = 0; i < size; ++i) plain[i] = static_cast<std::uint8_t>(i * 131 + (i >> 9));
  return plain;
}

Bytes EncryptBytes(const Bytes& plain, const std::string& password = kPassword,
                   std::uint32_t bufferSize = kBufferSize) {
  TEncryption crypt(password, bufferSize);
  MemoryStream source(plain), target;
  EXPECT_TRUE(crypt.EncryptStream(source, target));
  return target.bytes();
}

// The decrypted bytes, with DecryptStream's result.
std::pair<Bytes, bool> DecryptBytes(const Bytes& container, const std::string& password = kPassword,
                                    std::uint32_t bufferSize = kBufferSize) {
  TEncryption crypt(password, bufferSize);
  MemoryStream source(container), target;
  const bool ok = crypt.DecryptStream(source, target, static_cast<std::int64_t>(container.size()));
  return {target.bytes(), ok};
}

// A repeatable entropy source, so that two objects draw the same salt.
std::size_t FixedEntropy(std::uint8_t* out, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(i);
  return n;
}

}  // namespace

class Container : public BothPaths {};
INSTANTIATE_BOTH_PATHS(Container);

TEST_P(Container, roundTripsAndIsAlwaysTwentyBytesLonger) {
  for (const std::size_t size : {0, 1, 16, 17, 262144, 262145}) {
    const Bytes plain = Plain(size);
    const Bytes container = EncryptBytes(plain);
    EXPECT_EQ(container.size(), size + 20);
    const auto [back, ok] = DecryptBytes(container);
    EXPECT_TRUE(ok) << size;
    EXPECT_EQ(back, plain) << size;
  }
}

TEST_P(Container, bufferSizeNeverChangesTheBytesForAFixedSalt) {
  const Bytes plain = Plain(5000);
  Bytes reference;
  for (const std::uint32_t bufferSize : {1u, 16u, 100u, 4096u, 262144u}) {
    TEncryption crypt(kPassword, bufferSize, FixedEntropy);
    MemoryStream source(plain), target;
    ASSERT_TRUE(crypt.EncryptStream(source, target));
    if (reference.empty()) reference = target.bytes();
    EXPECT_EQ(target.bytes(), reference) << bufferSize;
    const auto [back, ok] = DecryptBytes(target.bytes(), kPassword, bufferSize);
    EXPECT_TRUE(ok);
    EXPECT_EQ(back, plain);
  }
}

TEST(ContainerModes, followThePasswordLength) {
  const struct {
    std::size_t length;
    int mode;
    std::size_t salt;
  } cases[] = {{0, 1, 8},   {10, 1, 8},  {31, 1, 8},  {32, 2, 12},
               {47, 2, 12}, {48, 3, 16}, {128, 3, 16}};
  const Bytes plain = Plain(33);
  for (const auto& c : cases) {
    const std::string password(c.length, 'k');
    EXPECT_EQ(TCrypt(password, 16).Mode(), c.mode) << c.length;
    const Bytes container = EncryptBytes(plain, password);
    EXPECT_EQ(container.size(), plain.size() + c.salt + 12) << c.length;
    EXPECT_EQ(DecryptBytes(container, password).first, plain) << c.length;
  }
}

TEST(ContainerModes, passwordOver128BytesIsRefused) {
  EXPECT_THROW(TEncryption(std::string(129, 'k'), 16), std::invalid_argument);
  EXPECT_NO_THROW(TEncryption(std::string(128, 'k'), 16));
}

TEST(ContainerSalt, isFreshForEveryEncryption) {
  const Bytes plain = Plain(100);
  EXPECT_NE(EncryptBytes(plain), EncryptBytes(plain));
}

TEST(ContainerDamage, changedCodeOrDataStillGivesAllTheDataButFalse) {
  const Bytes plain = Plain(1000);
  const Bytes container = EncryptBytes(plain);
  Bytes lastByte = container;
  lastByte.back() ^= 1;
  auto [back, ok] = DecryptBytes(lastByte);
  EXPECT_FALSE(ok);
  EXPECT_EQ(back, plain);

  Bytes dataByte = container;
  dataByte[10 + 500] ^= 0x80;
  std::tie(back, ok) = DecryptBytes(dataByte);
  EXPECT_FALSE(ok);
  ASSERT_EQ(back.size(), plain.size());
  EXPECT_EQ(back[500], plain[500] ^ 0x80);
}

TEST(ContainerDamage, otherPasswordWritesNothing) {
  const Bytes container = EncryptBytes(Plain(1000), "another password");
  // About one wrong key in 65,536 passes the 2-byte verifier.
  TCrypt crypt(kPassword, kBufferSize);
  MemoryStream source(container), target;
  if (crypt.ReadHeader(source)) GTEST_SKIP() << "verifier collision";
  const auto [back, ok] = DecryptBytes(container);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(back.empty());
}

TEST(ContainerDamage, sourcesTooShortOrEndingEarlyGiveFalse) {
  const Bytes container = EncryptBytes(Plain(100));
  for (std::int64_t count : {-5, 0, 10, 19}) {
    TCrypt crypt(kPassword, 64);
    MemoryStream source(container), target;
    EXPECT_FALSE(crypt.DecryptStream(source, target, count)) << count;
    EXPECT_EQ(source.position(), 0u) << count;
    EXPECT_TRUE(target.bytes().empty());
  }
  // The count promises more than the source holds: the reads run dry.
  for (const std::size_t cut :
       {std::size_t{8}, std::size_t{11}, std::size_t{60}, container.size() - 3}) {
    TCrypt crypt(kPassword, 64);
    MemoryStream source(Bytes(container.begin(), container.begin() + cut)), target;
    EXPECT_FALSE(crypt.DecryptStream(source, target, static_cast<std::int64_t>(container.size())))
        << cut;
  }
}

TEST(ContainerStreams, readErrorsAndShortWritesGiveFalse) {
  const Bytes plain = Plain(1000);
  const Bytes container = EncryptBytes(plain);
  for (const std::size_t limit : {0, 5, 500, 1015}) {
    TEncryption crypt(kPassword, 64);
    MemoryStream source(container), target;
    source.SetReadLimit(limit);
    EXPECT_FALSE(crypt.DecryptStream(source, target, 1020)) << limit;

    MemoryStream plainSource(plain), out;
    plainSource.SetReadLimit(limit);
    EXPECT_FALSE(crypt.EncryptStream(plainSource, out)) << limit;
  }
  for (const std::size_t capacity : {0, 9, 10, 500, 1019}) {
    TEncryption crypt(kPassword, 64);
    MemoryStream source(plain), target;
    target.SetCapacity(capacity);
    EXPECT_FALSE(crypt.EncryptStream(source, target)) << capacity;

    MemoryStream containerSource(container), out;
    out.SetCapacity(capacity);
    EXPECT_EQ(crypt.DecryptStream(containerSource, out, 1020), capacity >= 1000) << capacity;
  }
}

TEST(ContainerStreams, decryptsFromASourceThatHandsOutFewBytesAtATime) {
  const Bytes plain = Plain(3000);
  const Bytes container = EncryptBytes(plain);
  TCrypt crypt(kPassword, 1024);
  MemoryStream source(container), target;
  source.SetMaxRead(7);
  EXPECT_TRUE(crypt.DecryptStream(source, target, static_cast<std::int64_t>(container.size())));
  EXPECT_EQ(target.bytes(), plain);
}
