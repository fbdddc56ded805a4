#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brand {

// The password every brand settings file is encrypted with.
inline constexpr std::string_view kBuiltInPassword = "wodnexhutr";
inline constexpr std::uint32_t kCipherBufferSize = 262144;

// Container file -> plain bytes in memory, with the built-in password, so that
// no plain copy is ever written to disk. A wrong password or a foreign file
// gives no bytes, and damaged data is given in full, both without an error.
// Throws "Cannot open file ..." when the source cannot be opened or read, and
// refuses at once a source that is not a regular file (a folder, a pipe, a
// device), without waiting on it.
std::string DecryptFile(const std::string& source);

enum class DecryptOutcome { Decrypted, NotAContainer, Damaged };

// Container file -> plain file, with the built-in password, replacing the
// target only when the whole container decrypts and its authentication code
// matches. NotAContainer: too short, foreign or encrypted with another
// password; Damaged: the authentication code does not match. Throws "Cannot
// open file ..." when the source cannot be opened or read and "Cannot create
// file ..." when the target cannot be created or written; both leave the
// target untouched.
DecryptOutcome DecryptToFileChecked(const std::string& source, const std::string& target);

// The same checks into memory: `plain` holds the data only when the outcome
// is Decrypted, and is left empty otherwise. The source is opened as by
// DecryptFile.
DecryptOutcome DecryptFileChecked(const std::string& source, std::string& plain);

// Plain file -> container file, with the built-in password and a fresh salt.
// The target is replaced only once the whole container is written; the same
// two errors as DecryptToFileChecked.
void EncryptToFile(const std::string& source, const std::string& target);

// Plain bytes -> container file, in the same way.
void EncryptBytesToFile(std::string_view plain, const std::string& target);

}  // namespace brand
