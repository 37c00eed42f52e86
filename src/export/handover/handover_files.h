// The files of the spreadsheet hand-over: which template workbook is used,
// the free scratch name its copy goes to, and the pattern template read
// whole. The file system is reached through callbacks, so the rules are
// tested without one.
#pragma once

#include <functional>
#include <string>

#include "fw/cstring.h"

namespace handover {

struct TemplateChoice {
  bool found = false;
  CString path;       // the template that opened
  bool macroBook = false;  // ".xlsm": the scratch copy takes that extension
  CString lastTried;  // the last name tried (for "Not Open ")
};

// The template of the export: `arg` (after its sheet suffix is taken off),
// or, when empty, "XLSptrn.xls" in pattern mode (1), "XLSform.xlsm" when
// `operand` (the statement's target as given) ends in "xlsx", else
// "XLSform.xls". A name that is no network path and holds no ':' goes in
// `activeFolder`. Tried as it is, then in `programDir` by its file name,
// then (not yet a macro workbook) with "m" added, which makes it one.
TemplateChoice ChooseTemplate(const CString& arg, int mode, const CString& operand, const CString& activeFolder,
                              const CString& programDir, const std::function<bool(const CString&)>& canOpen);

// The message when no template opened.
CString TemplateNotOpenText(const TemplateChoice& choice);

// The template copy's name: programDir + "\TMP\Dorvikform" + ".xls" or
// ".xlsm"; while that exists, "_AA" to "_ZZ" before the extension. Empty,
// with *tooMany the message "Too many temp files " + the last name, when
// all 676 exist.
CString ScratchCopyName(const CString& programDir, bool macroBook, const std::function<bool(const CString&)>& exists,
                        CString* tooMany);

// The hand-over text file.
CString HandoverTextPath(const CString& programDir);

enum class PatternLoad { kOk, kCannotOpen, kTooShort, kNoMemory };

// The pattern template read whole (kTooShort below 256 bytes).
PatternLoad LoadPatternTemplate(const CString& path, std::string* bytes);

}  // namespace handover
