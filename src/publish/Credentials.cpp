#include "publish/Credentials.h"

#include "cipher/SecureMemory.h"

namespace publish {

Credentials::~Credentials() { AesLib::SecureWipe(password.data(), password.size()); }

}  // namespace publish
