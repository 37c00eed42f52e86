#include "app/startup/cmdline.h"

namespace app {

const char kProductName[] = "Tabry-Editor";
const char kDefaultRequestFile[] = "C:\\tabrymacro.tmp";
const char kInitMacroName[] = "ZTinit.rmc";

namespace {

const int kMacroKind = 98;

bool EndsWith(const CString& s, const char* tail) {
  CString t(tail);
  return s.GetLength() >= t.GetLength() && s.Right(t.GetLength()) == t;
}

}  // namespace

StartupCommand ParseCommandLine(const CString& raw, const std::function<int(const CString&)>& fileKind) {
  StartupCommand c;
  CString line = raw;
  line.TrimLeft();
  line.TrimRight();
  if (line.GetLength() > 2 && line[0] == '"' && line[line.GetLength() - 1] == '"')
    line = line.Mid(1, line.GetLength() - 2);
  else
    line.Remove('"');  // a quoted path followed by a suffix: "a b.txt" $$
  line.TrimLeft();
  line.TrimRight();

  if (EndsWith(line, "$R")) line.Empty();

  c.mainSplit2x1 = EndsWith(line, "$$");
  if (line == "$$" || line == "##" || line == "#L" || line == "#R") {
    c.pseudoName = true;
    if (line == "#L") c.startListSide = 1;
    if (line == "#R") c.startListSide = 2;
    if (line == "##") c.restoreLayout = false;
  }

  if (line.Left(5) == "&ext&") {
    c.externalRun = true;
    CString rest = line.Mid(5);
    rest.TrimLeft();
    rest.TrimRight();
    c.requestFile = rest.IsEmpty() ? CString(kDefaultRequestFile) : rest;
    line.Empty();
  }

  c.commandLine = line;
  if (!c.pseudoName && !line.IsEmpty()) {
    CString path = line;
    if (c.mainSplit2x1) {
      path = path.Left(path.GetLength() - 2);
      path.TrimRight();
    }
    c.filePath = path;
    if (!path.IsEmpty() && fileKind && fileKind(path) == kMacroKind) c.macroFile = path;
  }
  c.title = (line.IsEmpty() || c.pseudoName) ? CString(kProductName) : line;
  c.runInitMacro = line.GetLength() < 3 && c.macroFile.IsEmpty() && !c.externalRun;
  return c;
}

}  // namespace app
