#include "cipher/Pbkdf2.h"
#include "cipher/tests/CipherTestSupport.h"

using namespace AesLib;

class Pbkdf2 : public BothPaths {};
INSTANTIATE_BOTH_PATHS(Pbkdf2);

namespace {

std::string Derive(const Bytes& password, const Bytes& salt, std::uint32_t iterations,
                   std::size_t length) {
  Bytes out(length);
  Pbkdf2Sha1(password.data(), password.size(), salt.data(), salt.size(), iterations, out.data(),
             out.size());
  return ToHex(out);
}

}  // namespace

// RFC 6070 (the case with 16,777,216 iterations is left out for time).
TEST_P(Pbkdf2, meetsRfc6070) {
  const struct {
    Bytes password;
    Bytes salt;
    std::uint32_t iterations;
    const char* key;
  } cases[] = {
      {AsBytes("password"), AsBytes("salt"), 1, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
      {AsBytes("password"), AsBytes("salt"), 2, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
      {AsBytes("password"), AsBytes("salt"), 4096, "4b007901b765489abead49d926f721d065a429c1"},
      {AsBytes("passwordPASSWORDpassword"), AsBytes("saltSALTsaltSALTsaltSALTsaltSALTsalt"), 4096,
       "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
      {Bytes{'p', 'a', 's', 's', 0, 'w', 'o', 'r', 'd'}, Bytes{'s', 'a', 0, 'l', 't'}, 4096,
       "56fa6aa75548099dcc37d7f03425e0c3"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Derive(c.password, c.salt, c.iterations, std::strlen(c.key) / 2), c.key);
  }
}

// The three key-material sizes of the container need 2, 3 and 4 blocks.
// Expected values from Python's hashlib.pbkdf2_hmac.
TEST_P(Pbkdf2, derivesTheContainersKeyMaterialLengths) {
  const char* const k66 =
      "6c6fff56e794baeeb97b5d97691c6332e70399545d5fa18cfcd96e5cf9ae475eebd71d1c9400b3cbaa94fc4d7064"
      "6"
      "c8175ba76d1224c762fb2f9aec6df26820c9552";
  const Bytes salt = Hex("0001020304050607");
  for (const std::size_t length : {34, 50, 66}) {
    EXPECT_EQ(Derive(AsBytes("wodnexhutr"), salt, 1000, length), std::string(k66, 2 * length));
  }
}
