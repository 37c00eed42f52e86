#include "export/handover/handover_files.h"

#include <new>

#include "core/docsvc/pathpart.h"
#include "fw/alloc.h"
#include "export/handover/xls_pattern.h"
#include "fw/file.h"

namespace handover {
namespace {

bool EndsWithNoCase(const CString& s, const char* tail) {
  const int n = static_cast<int>(std::char_traits<char>::length(tail));
  return s.GetLength() >= n && s.Right(n).CompareNoCase(tail) == 0;
}

bool NeedsFolder(const CString& name) { return name.Left(2) != CString("\\\\") && name.Find(':') < 0; }

CString InFolder(const CString& folder, const CString& name) {
  if (folder.IsEmpty()) return name;
  return folder[folder.GetLength() - 1] == '\\' ? folder + name : folder + "\\" + name;
}

}  // namespace

TemplateChoice ChooseTemplate(const CString& arg, int mode, const CString& operand, const CString& activeFolder,
                              const CString& programDir, const std::function<bool(const CString&)>& canOpen) {
  TemplateChoice c;
  CString name = arg;
  if (name.IsEmpty()) {
    if (mode == 1)
      name = "XLSptrn.xls";
    else
      name = EndsWithNoCase(operand, "xlsx") ? "XLSform.xlsm" : "XLSform.xls";
  }
  c.macroBook = EndsWithNoCase(name, "xlsm");
  if (NeedsFolder(name)) name = InFolder(activeFolder, name);
  c.lastTried = name;
  if (canOpen(name)) {
    c.found = true;
    c.path = name;
    return c;
  }
  name = InFolder(programDir, GetPathPart(name, 1));
  c.lastTried = name;
  if (canOpen(name)) {
    c.found = true;
    c.path = name;
    return c;
  }
  if (!c.macroBook) {
    name += "m";
    c.lastTried = name;
    if (canOpen(name)) {
      c.found = true;
      c.path = name;
      c.macroBook = true;
    }
  }
  return c;
}

CString TemplateNotOpenText(const TemplateChoice& choice) { return "Not Open " + choice.lastTried; }

CString ScratchCopyName(const CString& programDir, bool macroBook, const std::function<bool(const CString&)>& exists,
                        CString* tooMany) {
  const CString stem = InFolder(programDir, "TMP\\Dorvikform");
  const CString ext = macroBook ? ".xlsm" : ".xls";
  CString name = stem + ext;
  if (!exists(name)) return name;
  for (char a = 'A'; a <= 'Z'; ++a) {
    for (char b = 'A'; b <= 'Z'; ++b) {
      name = stem + "_" + CString(a) + CString(b) + ext;
      if (!exists(name)) return name;
    }
  }
  if (tooMany) *tooMany = "Too many temp files " + name;
  return CString();
}

CString HandoverTextPath(const CString& programDir) { return InFolder(programDir, "TMP\\DorvikTmpXls.txt"); }

PatternLoad LoadPatternTemplate(const CString& path, std::string* bytes) {
  CFile f;
  if (!f.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary)) return PatternLoad::kCannotOpen;
  try {
    const ULONGLONG n = f.GetLength();
    if (n < kPatternMinTemplate) return PatternLoad::kTooShort;
    if (n > 0x7FFFFFFFULL) return PatternLoad::kNoMemory;
    // The buffer as the program reports a memory shortage for it.
    void* block = fw::Alloc(static_cast<std::size_t>(n) + 1000);
    if (!block) return PatternLoad::kNoMemory;
    std::size_t done = 0;
    char* p = static_cast<char*>(block);
    while (done < n) {
      const UINT got = f.Read(p + done, static_cast<UINT>(n - done));
      if (got == 0) break;
      done += got;
    }
    try {
      bytes->assign(p, done);
    } catch (const std::bad_alloc&) {
      fw::Free(block);
      return PatternLoad::kNoMemory;
    }
    fw::Free(block);
    if (done < kPatternMinTemplate) return PatternLoad::kTooShort;
  } catch (const CFileException&) {
    return PatternLoad::kCannotOpen;
  }
  return PatternLoad::kOk;
}

}  // namespace handover
