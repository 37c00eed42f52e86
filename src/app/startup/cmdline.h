// What the command line asks of a start: the file to open, the window title,
// the layout, and the macro or request file to run.
#pragma once

#include <functional>

#include "fw/cstring.h"

namespace app {

extern const char kProductName[];        // "Tabry-Editor"
extern const char kDefaultRequestFile[];  // "C:\tabrymacro.tmp"
extern const char kInitMacroName[];       // "ZTinit.rmc"

struct StartupCommand {
  CString commandLine;  // quotes stripped; empty after "$R" or "&ext&"
  CString title;        // window title
  CString filePath;     // file to open; empty for none
  bool pseudoName = false;        // "$$", "##", "#L" or "#R": no file opened
  bool mainSplit2x1 = false;      // command line ends in "$$"
  int startListSide = 0;          // "#L" 1, "#R" 2, otherwise 0
  bool restoreLayout = true;      // "##" starts without the saved layout
  bool externalRun = false;       // "&ext&" [request file]
  CString requestFile;            // the request file polled in external-run mode
  CString macroFile;              // a macro file to run at start (may need the program folder)
  bool runInitMacro = false;      // short command line: run kInitMacroName if present
};

// Parses the text after the program name. `fileKind` classifies a path (the
// document's file kinds; 98 is a macro file).
StartupCommand ParseCommandLine(const CString& raw, const std::function<int(const CString&)>& fileKind);

}  // namespace app
