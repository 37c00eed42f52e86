#include "macro/macro_fileentry.h"

#include <cstring>
#include <vector>

#include "fw/file.h"
#include "fw/sjis.h"
#include "macro/macro_display_words.h"
#include "macro/macro_host.h"
#include "macro/macro_paths.h"
#include "macro/macro_state.h"

namespace macro {

int MacroFindJoinBar(const CString& operand) {
  int depth = 0;
  for (int i = 0; i < operand.GetLength(); ++i) {
    const char c = operand[i];
    if (fw::IsSjisLeadByte(static_cast<unsigned char>(c))) {
      ++i;  // the trail byte may be '|' (0x7C)
      continue;
    }
    if (c == '[' || c == '(') {
      ++depth;
    } else if ((c == ']' || c == ')') && depth > 0) {
      --depth;
    } else if (c == '|' && depth == 0) {
      return i;
    }
  }
  return -1;
}

const char* MacroFileDialogFilter(char letter) {
  if (letter == 'x') return "xls, xlsx file|*.xls; *.xlsx; |ALL|*.*|| ";
  if (letter == 't' || letter == 'b') return "txt file|*.txt; *.tab; |ALL|*.*|| ";
  return "csv file|*.csv|ALL|*.*|| ";
}

bool MacroWantsFileDialog(const CString& operand, bool emptyAllowed) {
  if (operand.IsEmpty()) return !emptyAllowed;
  return operand.Find("*.") >= 0;
}

int MacroRegisterInstance(std::uint8_t* image, std::size_t imageSize, const CString& blockPath) {
  if (image == nullptr || imageSize < kInstanceFileSize) return 0;
  int largest = 0;
  int smallest = 0;
  int free = -1;
  for (int i = 0; i < 100; ++i) {
    const int m = image[i];
    if (m == 0) {
      free = i;
      break;
    }
    if (m > largest) largest = m;
    if (smallest == 0 || m < smallest) smallest = m;
  }
  if (free < 0) return 0;  // every position holds a mark
  const int mark = (largest > kInstanceMarkMax && smallest > 1) ? smallest - 1 : largest + 1;
  if (mark < 1 || mark > kInstanceMarkMax) return 0;
  image[free] = static_cast<std::uint8_t>(mark);
  image[128 + free] = static_cast<std::uint8_t>(mark);
  std::uint8_t* block = image + static_cast<std::size_t>(mark) * 256;
  std::memset(block, 0, 256);
  const std::size_t len = static_cast<std::size_t>(blockPath.GetLength());
  std::memcpy(block, static_cast<const char*>(blockPath), len < 255 ? len : 255);
  return mark;
}

CString MacroFileNamePart(const CString& path) {
  int cut = -1;
  for (int i = 0; i < path.GetLength(); ++i) {
    const char c = path[i];
    if (fw::IsSjisLeadByte(static_cast<unsigned char>(c))) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') cut = i;
  }
  return path.Mid(cut + 1);
}

}  // namespace macro

namespace macro {

namespace {

// The whole image of the instance file, made when missing; false when it
// cannot be read or made. A shorter file reads as zeros after its end.
bool ReadInstanceImage(const CString& path, std::vector<std::uint8_t>* image) {
  image->assign(kInstanceFileSize, 0);
  CFile f;
  if (f.Open(path, CFile::modeRead | CFile::typeBinary)) {
    try {
      f.Read(image->data(), static_cast<UINT>(kInstanceFileSize));
    } catch (const CFileException&) {
      f.Abort();
      return false;
    }
    f.Abort();
    return true;
  }
  return WriteWholeFile(path, image->data(), kInstanceFileSize);
}

}  // namespace

bool WriteWholeFile(const CString& path, const void* bytes, std::size_t n) {
  if (n > 0xFFFFFFFFu) return false;
  CFile f;
  // Created or cut to nothing: a shorter text never leaves the end of an
  // older, longer file behind it.
  if (!f.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) return false;
  try {
    if (n > 0) f.Write(bytes, static_cast<UINT>(n));
    f.Close();
  } catch (const CFileException&) {
    f.Abort();
    return false;
  }
  return true;
}

int MacroRegisterInstanceFile(const CString& instancePath, const CString& macroDir, const CString& docName,
                              const CString& operand, CString* macroPath) {
  CString name = operand;
  // A network name, a drive or a rooted path is placed already (the
  // parameters anchored every relative name).
  const bool placed = (name.GetLength() >= 1 && (name[0] == '\\' || name[0] == '/')) || name.Find(':') >= 0;
  *macroPath = placed ? name : macroDir + "\\" + name;
  std::vector<std::uint8_t> image;
  if (!ReadInstanceImage(instancePath, &image)) return 0;
  // The mark is known only after the scan: try it on a copy, then name it.
  std::vector<std::uint8_t> trial = image;
  const int mark = MacroRegisterInstance(trial.data(), trial.size(), CString());
  if (mark == 0) return 0;
  CString withMark;
  withMark.Format("%s%d.rmc", static_cast<const char*>(name), mark);
  MacroRegisterInstance(image.data(), image.size(), docName + "\\" + MacroFileNamePart(withMark));
  if (!WriteWholeFile(instancePath, image.data(), image.size())) return 0;
  *macroPath = placed ? withMark : macroDir + "\\" + withMark;
  return mark;
}

FileEntryResult MacroFileEntry(MacroState& st, MacroHost& host, const FileEntryRequest& req, CString* path,
                               CString* keyText) {
  CString operand = MacroNormaliseBackslashes(st.m_strStmtOperand);
  keyText->Empty();
  if (req.code == 'J') {
    const int bar = MacroFindJoinBar(operand);
    if (bar >= 0) {
      *keyText = operand.Mid(bar + 1);
      operand = operand.Left(bar);
    }
  }
  if (!req.noDialog && MacroWantsFileDialog(operand, req.emptyAllowed)) {
    const CString initial = operand.IsEmpty() ? st.m_strMacroVars[kSlotDocPath] : operand;
    CString chosen;
    if (!host.AskFileToOpen(CString(MacroFileDialogFilter(req.letter)), initial, &chosen)) {
      st.m_strMacroVars[kSlotDocPath] = "@CANCEL";
      return FileEntryResult::kCancelled;
    }
    operand = chosen;
  }
  if (!operand.IsEmpty() && operand[0] != '|') operand = MacroExpandParameters(st, host, operand);
  if (req.code != 'L') {
    CFileStatus status;
    if (!operand.IsEmpty() && CFile::GetStatus(operand, status)) st.m_tMacroRefTime = status.m_mtime.GetTime();
  }
  const int n = operand.GetLength();
  if (req.code == 'S' && req.letter == '\0' && n >= 2 && operand[n - 1] == '@' && operand[n - 2] == '@') {
    CString macroPath;
    const CString dir = st.m_strMacroDir();
    const int mark = MacroRegisterInstanceFile(dir + "\\" + kInstanceFileName, dir, st.m_strMacroVars[kSlotDocName],
                                               operand, &macroPath);
    if (mark > 0) {
      st.m_nMacroInstanceMark = static_cast<std::uint8_t>(mark);
      st.m_strMacroVars[kSlotInstanceMark].Format("%d", mark);
    }
    *path = macroPath;
    if (!WriteWholeFile(macroPath, req.text, req.text != nullptr ? req.textLen : 0)) return FileEntryResult::kWriteFailed;
    return FileEntryResult::kRegistered;
  }
  *path = operand;
  return FileEntryResult::kGo;
}

}  // namespace macro
