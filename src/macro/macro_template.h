// The built-in graph subroutine: a call of "Graph" in a macro that has no
// ":Graph" label appends this text, and the workbench inserts it on demand.
#pragma once

#include <string>

namespace macro {

constexpr int kGraphTemplateFragments = 136;

// The template's text (CR LF between its lines, program code page).
std::string BuildMacroTemplate();

// Fragment k (0-based) of the text; null outside the table.
const char* MacroGraphTemplateFragment(int k);

}  // namespace macro
