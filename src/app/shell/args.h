// Splitting the program's command line: the text after the program's own name,
// and the arguments of that text.
#pragma once

#include <string>
#include <vector>

#include "fw/cstring.h"

namespace app {

// The text after the program name (quoted or not) and the blanks after it.
CString CommandLineArguments(const char* fullCommandLine);

// Arguments separated by blanks or tabs; double quotes group blanks into one
// argument and are removed ("" is an empty argument).
std::vector<std::string> SplitArguments(const CString& text);

}  // namespace app
