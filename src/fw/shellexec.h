// Starting files through the shell (ShellExecuteEx), with its result kept
// for the caller and the request kept for tests.
#pragma once

#include <windows.h>

#include "fw/cstring.h"

namespace fw {

struct ShellRequest {
  CString verb;        // "open", "runas", ...
  CString file;        // program or document
  CString parameters;  // "" for none
  CString folder;      // working folder; "" for the caller's
  int showCommand = SW_SHOWNORMAL;
};

// Hands the request to the shell, which shows no error window of its own
// (a failure comes back to the caller). Returns the shell's instance value
// (above 32 = started); *lastError gets the system error of a failure, 0
// when started.
HINSTANCE ShellStart(const ShellRequest& request, DWORD* lastError = nullptr);

// The last request handed to the shell (tests see what was asked).
ShellRequest LastShellRequest();

}  // namespace fw
