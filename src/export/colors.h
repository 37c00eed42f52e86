// The colour letters of the export formats: one letter names a colour for
// shapes, sheet tabs, fonts and fills (upper case the strong form, lower
// case the light one).
#pragma once

#include <string>

namespace exportcore {

// Six hex digits (RRGGBB) of a colour letter, case-sensitive; "000000" for
// any other byte.
const char* XlsxShapeColorHex(char letter);

// The colour index of a letter (a byte from 'a' upward counts as its upper
// case form); 0 for any other byte.
int XlsxShapeColorIndex(char letter);

}  // namespace exportcore
