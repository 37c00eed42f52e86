// The names "waitkey" stores for the keys it catches, by virtual-key code.
#pragma once

#include "fw/cstring.h"

namespace macro {

// The name of key code `code` (0-255): letters and digits as themselves,
// the function keys F1-F13 as "F1".."F13", the named keys of the table
// ("ENTR", "SP", "PGUP", ":", ...), any other code of 10 or more in decimal
// ("96" for the keypad 0) and any other code from 1 to 9 as "K" and the
// code ("K5"). Code 0 names no key: the empty text.
CString MacroKeyName(int code);

}  // namespace macro
