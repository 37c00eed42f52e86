// The operations of the file statements on a ':'-separated operand:
//   "&Fr" from:to...      rename (with a wildcard source, every match; a
//                          destination "/search/replace" renames each match
//                          by the pattern engine's rename rule, any other
//                          destination is the folder the matches go to)
//   "&Fc" from:to...      copy over an existing destination
//   "&Ft" from:to...      move
//   "&Fk" path...          delete (a folder must be empty)
//   "&Fw" path:attributes:date:time   set the attribute sum ("&Fs"'s), the
//                          date "YYYYMMDD" and the time "HHMMSS"; parts not
//                          given keep the file's present values
//   "&Fe" path...          "&Fe+", "&Fe-", "&Fe=" write the source form of
//                          that marker; "&Fe" alone restores a marked file
//   "&Fz" archive:item...  a ZIP archive of the items, named relative to the
//                          archive's folder; the working folder is put back
// A part whose file name holds '*' or '?' stands for every matching entry of
// its folder. Each primitive that fails leaves "EROR" in slot 146.
#include <algorithm>
#include <string>
#include <vector>

#include "core/docsvc/sourceform.h"
#include "core/pattern/pattern.h"
#include "fw/alloc.h"
#include "fw/file.h"
#include "fw/path.h"
#include "macro/macro_exec_file.h"
#include "macro/macro_file_system.h"
#include "macro/macro_fileoperand.h"
#include "macro/macro_folderlist.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr int kListBlock = 201000;  // the listing block of a wildcard part
constexpr int kListLimit = 200000;  // at most this much of it is listing
constexpr char kFieldSep = 0x06;
constexpr int kZipUnderName = 2;

std::string FolderPart(const std::string& path) {
  const int at = fw::LastPathSeparator(path.c_str(), static_cast<int>(path.size()));
  return at < 0 ? std::string() : path.substr(0, static_cast<std::size_t>(at));
}

std::string NamePart(const std::string& path) {
  const int at = fw::LastPathSeparator(path.c_str(), static_cast<int>(path.size()));
  return at < 0 ? path : path.substr(static_cast<std::size_t>(at) + 1);
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "\\" + name;
}

bool EndsWithZip(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  for (char& c : tail)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return tail == ".zip";
}

// The entries a wildcard part names, as paths (its folder joined with each
// matching name). False when the listing block cannot be had.
bool ExpandWildcard(const std::string& part, std::vector<std::string>* matches) {
  char* block = static_cast<char*>(fw::Alloc(kListBlock));
  if (block == nullptr) return false;
  const std::string folder = FolderPart(part), pattern = NamePart(part);
  int limit = kListLimit, pos = 0;
  ListFolderForMacro(CString(folder), block, &limit, &pos, 0);
  // Rows: CR LF, then the name up to the first field separator; the
  // header row comes first and names no entry.
  const std::string text(block, static_cast<std::size_t>(pos));
  fw::Free(block);
  std::size_t at = text.find("\r\n");
  while (at != std::string::npos) {
    const std::size_t from = at + 2;
    const std::size_t next = text.find("\r\n", from);
    const std::size_t sep = text.find(kFieldSep, from);
    const std::size_t end = std::min(next, sep);
    const std::string name = text.substr(from, end == std::string::npos ? std::string::npos : end - from);
    if (!name.empty() && MacroWildcardMatch(pattern, name)) matches->push_back(Join(folder, name));
    at = next;
  }
  return true;
}

// A part as the paths it stands for: itself, or its wildcard's matches.
bool PathsOf(const std::string& part, std::vector<std::string>* paths, bool* noMemory) {
  if (!MacroHasWildcard(part)) {
    paths->push_back(part);
    return true;
  }
  if (!ExpandWildcard(part, paths)) {
    *noMemory = true;
    return false;
  }
  return true;
}

bool RenamePath(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return false;
  try {
    CFile::Rename(from.c_str(), to.c_str());
    return true;
  } catch (const CFileException&) {
    return false;
  }
}

bool DeletePath(const std::string& path) {
  CFileStatus s;
  if (!CFile::GetStatus(path.c_str(), s)) return false;  // a missing file is a failure
  if (s.m_attribute & CFile::directory) return fw::RemoveDir(path.c_str());
  try {
    CFile::Remove(path.c_str());
    return true;
  } catch (const CFileException&) {
    return false;
  }
}

// "&Fw" on one file.
bool SetFileStatus(const std::string& path, const std::vector<std::string>& parts) {
  CFileStatus s;
  if (!CFile::GetStatus(path.c_str(), s)) return false;
  CFileStatus put;
  put.m_attribute = s.m_attribute;
  const std::string attr = parts.size() > 1 ? parts[1] : std::string();
  if (!attr.empty()) {
    std::int64_t sum = 0;
    if (!MacroReadSaturatedDigits(attr, &sum) || sum < 0 || sum > 31) return false;
    put.m_attribute = static_cast<BYTE>((s.m_attribute & CFile::directory) | MacroAttributeBits(sum));
  }
  int y = s.m_mtime.GetYear(), mo = s.m_mtime.GetMonth(), d = s.m_mtime.GetDay();
  int h = s.m_mtime.GetHour(), mi = s.m_mtime.GetMinute(), sec = s.m_mtime.GetSecond();
  const std::string date = parts.size() > 2 ? parts[2] : std::string();
  const std::string time = parts.size() > 3 ? parts[3] : std::string();
  if (!date.empty() && !MacroReadFileDate(date, &y, &mo, &d)) return false;
  if (!time.empty() && !MacroReadFileTime(time, &h, &mi, &sec)) return false;
  if (!date.empty() || !time.empty()) put.m_mtime = CTime(y, mo, d, h, mi, sec);
  try {
    CFile::SetStatus(path.c_str(), put);
    return true;
  } catch (const CFileException&) {
    return false;
  }
}

// "&Fe" on one file: the marker's form written, or a marked file restored
// beside itself under its plain name.
bool SourceForm(MacroHost& host, const std::string& path, char marker) {
  const CString p(path);
  if (marker == '+' || marker == '-' || marker == '=')
    return host.SaveEncryptedSource(docsvc::SourceModeForMarker(marker), p, CString()) >= 0;
  const docsvc::SourceDecodePlan plan = docsvc::PlanSourceDecode(docsvc::kSourceDecode, p);
  if (plan.how == docsvc::SourceDecode::kNotMarked) return false;
  const std::string plain = Join(FolderPart(path), plan.plainName.Str());
  return host.SaveEncryptedSource(docsvc::kSourceDecode, p, CString(plain)) >= 0;
}

// "&Fz": the archive and its items, made from the archive's folder.
bool MakeArchive(MacroHost& host, const std::vector<std::string>& parts, bool* noMemory) {
  if (parts.size() < 2 || parts[0].empty()) return false;
  const std::string& archive = parts[0];
  const std::string name = NamePart(archive);
  if (!EndsWithZip(name)) return false;  // the program writes no LZH
  WorkingFolderKeeper keep;
  const std::string folder = FolderPart(archive);
  if (!folder.empty() && !MacroSetWorkingFolder(CString(folder.size() == 2 ? folder + "\\" : folder))) return false;
  std::vector<CString> items;
  for (std::size_t k = 1; k < parts.size(); ++k) {
    std::vector<std::string> paths;
    if (!PathsOf(parts[k], &paths, noMemory)) return false;
    for (const std::string& p : paths) items.push_back(CString(p));
  }
  if (items.empty()) return false;
  return host.CreateArchive(kZipUnderName, items, CString(name)) == 0;
}

}  // namespace

Outcome MacroExecFileOperation(MacroRunContext& rc, char letter, char marker) {
  MacroState& st = rc.state;
  st.m_strLastResult().Empty();
  const std::vector<std::string> parts = MacroSplitFileOperand(st.m_strStmtOperand.Str());
  bool failed = false, noMemory = false;
  auto fail = [&] { failed = true; };
  switch (letter) {
    case 'r':
    case 'c':
    case 't':
      if (parts.empty() || parts.size() % 2 != 0) fail();
      for (std::size_t k = 0; k + 1 < parts.size(); k += 2) {
        const std::string& from = parts[k];
        const std::string& to = parts[k + 1];
        auto apply = [&](const std::string& a, const std::string& b) {
          const bool ok = letter == 'c' ? MacroCopyFile(CString(a), CString(b)) : RenamePath(a, b);
          if (!ok) fail();
        };
        if (!MacroHasWildcard(from)) {
          apply(from, to);
          continue;
        }
        std::vector<std::string> matches;
        if (!PathsOf(from, &matches, &noMemory)) break;
        if (matches.empty()) fail();
        for (const std::string& m : matches) {
          if (letter == 'r' && !to.empty() && to[0] == '/') {
            std::string renamed;
            const int n = pat::RenameByPattern(to, NamePart(m), &renamed);
            if (n < 0) fail();
            if (n > 0) apply(m, Join(FolderPart(m), renamed));
          } else {
            apply(m, Join(to, NamePart(m)));  // the destination is a folder
          }
        }
      }
      break;
    case 'k':
    case 'e':
      if (parts.empty()) fail();
      for (const std::string& part : parts) {
        std::vector<std::string> paths;
        if (!PathsOf(part, &paths, &noMemory)) break;
        if (paths.empty()) fail();
        for (const std::string& p : paths)
          if (!(letter == 'k' ? DeletePath(p) : SourceForm(rc.host, p, marker))) fail();
      }
      break;
    case 'w': {
      std::vector<std::string> paths;
      if (parts.empty() || !PathsOf(parts[0], &paths, &noMemory)) {
        fail();
        break;
      }
      if (paths.empty()) fail();
      for (const std::string& p : paths)
        if (!SetFileStatus(p, parts)) fail();
      break;
    }
    case 'z':
      if (!MakeArchive(rc.host, parts, &noMemory)) fail();
      break;
    default:
      break;
  }
  if (noMemory) return MacroRaiseRunError(&rc.host, RunError::kMemory121);
  if (failed) st.m_strLastResult() = "EROR";
  return Outcome::kNext;
}

}  // namespace macro
