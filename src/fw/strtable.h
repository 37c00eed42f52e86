// The program's string table (message texts by number). On Windows the texts
// come from the executable's string resources; the table below is looked at
// first on every platform, so native builds and tests can supply texts.
#pragma once

#include <string>

namespace fw {

// Text of string `id` in Shift-JIS; false when there is none.
bool LookupString(unsigned id, std::string& text);

// Sets (or with nullptr removes) an entry of the table; ClearStringTable
// removes them all. Meant for native builds and tests.
void SetStringTableEntry(unsigned id, const char* text);
void ClearStringTable();

}  // namespace fw
