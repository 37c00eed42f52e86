// Display form <-> stored form of enciphered file names.
//   display: <folder\><base>@Enc<.ext>     stored: <folder\>#~$_<cipher(base)><.ext>
// Paths are Shift-JIS byte strings with "\" separators.
#pragma once

#include <string>

#include "core/crypto/namecipher.h"

namespace crypto {

// Marker in front of the cipher text of a stored name.
constexpr char kStoredNameMarker[] = "#~$_";
// Marker before the extension of a display name.
constexpr char kDisplayNameMarker[] = "@Enc";

// mode 0: display form -> stored form; mode 1: stored form -> display form.
// Any other path, an empty one, any other mode, and a name that cannot be
// converted (invalid key, over-long base name, a stored name that does not
// decipher under the key) come back unchanged; `status`, when given, says why
// (kOk also for a path that simply holds no marker).
std::string TranslateEncryptedName(const std::string& path, int mode, const std::string& keyCode,
                                   NameCipherStatus* status = nullptr);

}  // namespace crypto
