#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace UUtils {

// The password every brand settings file is encrypted with.
inline constexpr std::string_view kBuiltInPassword = "wodnexhutr";
inline constexpr std::uint32_t kCipherBufferSize = 262144;

// Container file -> plain file, with the built-in password. The target is
// created (or emptied) first; a wrong password or a foreign file leaves it
// empty, and damaged data is written in full, both without an error. Throws
// "Cannot open file ..." when the source cannot be opened or read (a source
// that cannot be read at all leaves the target untouched) and "Cannot create
// file ..." when the target cannot be created or written.
void DecryptToFile(const std::string& source, const std::string& target);

enum class DecryptOutcome { Decrypted, NotAContainer, Damaged };

// Container file -> plain file, with the built-in password, replacing the
// target only when the whole container decrypts and its authentication code
// matches. NotAContainer: too short, foreign or encrypted with another
// password; Damaged: the authentication code does not match. The same two
// errors as DecryptToFile, which leave the target untouched too.
DecryptOutcome DecryptToFileChecked(const std::string& source, const std::string& target);

// Plain file -> container file, with the built-in password and a fresh salt.
// The target is replaced only once the whole container is written; the same
// two errors as above.
void EncryptToFile(const std::string& source, const std::string& target);

}  // namespace UUtils
