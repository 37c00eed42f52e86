#include "filelist/flistcore/renameplan.h"

#include "core/crypto/encname.h"
#include "core/crypto/namecipher.h"
#include "core/pattern/pattern.h"
#include "filelist/flistcore/navplan.h"
#include "fw/datetime.h"
#include "fw/file.h"

namespace flist {
namespace {

constexpr char kEncMark[] = "@Enc";
constexpr std::size_t kMarkLen = 4;
constexpr std::uint8_t kReadOnly = 0x01, kHidden = 0x02, kSystem = 0x04, kArchive = 0x20;

// The start of the extension's "." of a name (its size when there is none).
// "." is never the second byte of a double-byte character.
std::size_t ExtensionDot(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name.size() : dot;
}

bool HoldsEncAfterFirst(const std::string& name) { return name.find(kEncMark, 1) != std::string::npos; }

void SetBit(std::uint8_t& attrs, std::uint8_t bit, int on) {
  attrs = static_cast<std::uint8_t>(on ? (attrs | bit) : (attrs & ~bit));
}

}  // namespace

std::string DriveRowLabel(const std::string& rowText) {
  return rowText.size() > 3 ? rowText.substr(3) : std::string();
}

RenameFields PrefillRenameFields(const RenamePrefillInput& in) {
  RenameFields f;
  f.name = in.cursorText;
  if (in.listSource != 0) {
    f.name = DriveRowLabel(in.cursorText);
    return f;
  }
  if (in.markedCount > 1) {
    // A batch: the name changes only when a pattern or a cipher form is
    // typed, and neither the times (all six fields 0) nor the attributes
    // change unless the user asks for it.
    f.name = kManyNames;
    f.keepAttributes = 1;
    return f;
  }
  if (in.ftpList) return f;
  if (in.cursorTime == 0) {
    f.year = 1970, f.month = 1, f.day = 1, f.hour = 9, f.minute = 0, f.second = 1;
    return f;
  }
  if (!in.statusRead) {
    // Nothing known of the entry: its attributes stay unless unticked.
    f.keepAttributes = 1;
    return f;
  }
  f.readOnly = (in.attributes & kReadOnly) ? 1 : 0;
  f.hidden = (in.attributes & kHidden) ? 1 : 0;
  f.system = (in.attributes & kSystem) ? 1 : 0;
  f.archive = (in.attributes & kArchive) ? 1 : 0;
  const std::tm t = fw::LocalFields(in.mtime);
  f.year = t.tm_year + 1900;
  f.month = t.tm_mon + 1;
  f.day = t.tm_mday;
  f.hour = t.tm_hour;
  f.minute = t.tm_min;
  f.second = t.tm_sec;
  return f;
}

bool DateEntered(const RenameFields& f) {
  return f.year != 0 || f.month != 0 || f.day != 0 || f.hour != 0 || f.minute != 0 || f.second != 0;
}

std::int64_t CheckedRenameTime(RenameFields& f) {
  if (!DateEntered(f)) return -1;
  const bool ok = f.year >= 1970 && f.year <= 2037 && f.month >= 1 && f.month <= 12 && f.day >= 1 && f.day <= 31;
  if (!ok) f.year = 1970, f.month = 1, f.day = 1, f.hour = 9, f.minute = 0, f.second = 0;
  return fw::MakeLocalTime(f.year, f.month, f.day, f.hour, f.minute, f.second, -1);
}

StatusWrite PlanStatusWrite(RenameFields& f, bool isFolder, bool hasTime, const EntryStatus& current) {
  StatusWrite w;
  if (isFolder) return w;
  w.skip = false;
  const bool wasReadOnly = (current.attributes & kReadOnly) != 0;
  std::uint8_t attrs = static_cast<std::uint8_t>(current.attributes & ~kReadOnly);
  if (!f.keepAttributes) {
    SetBit(attrs, kHidden, f.hidden);
    SetBit(attrs, kSystem, f.system);
    SetBit(attrs, kArchive, f.archive);
  }
  const bool readOnlyAfter = f.keepAttributes ? wasReadOnly : f.readOnly != 0;
  const bool entered = DateEntered(f);
  const std::int64_t t = CheckedRenameTime(f);
  if (!hasTime) {
    if (entered) {
      w.ctime = w.atime = w.mtime = t;
      w.timesGiven = kGiveCreation | kGiveAccess | kGiveLastWrite;
    }
    // One write: the framework clears read-only itself while it sets times.
    w.attributes = static_cast<std::uint8_t>(attrs | (readOnlyAfter ? kReadOnly : 0));
    return w;
  }
  if (entered) {
    w.mtime = t;
    w.timesGiven = kGiveLastWrite;
  }
  w.attributes = attrs;
  w.second = readOnlyAfter;
  return w;
}

bool ReadEntryStatus(const std::string& path, EntryStatus* status) {
  CFileStatus st;
  if (!CFile::GetStatus(path.c_str(), st)) return false;
  status->attributes = st.m_attribute;
  status->ctime = st.m_ctime.GetTime();
  status->atime = st.m_atime.GetTime();
  status->mtime = st.m_mtime.GetTime();
  return true;
}

void WriteEntryStatus(const std::string& path, const StatusWrite& w) {
  if (w.skip) return;
  CFileStatus st;
  st.m_attribute = w.attributes;
  st.m_ctime = CTime(w.ctime);
  st.m_atime = CTime(w.atime);
  st.m_mtime = CTime(w.mtime);
  st.m_timesGiven = static_cast<BYTE>(w.timesGiven);
  CFile::SetStatus(path.c_str(), st);
  if (!w.second) return;
  CFileStatus ro;  // times 0: left as the first write set them
  ro.m_attribute = static_cast<BYTE>(w.attributes | kReadOnly);
  CFile::SetStatus(path.c_str(), ro);
}

RenameMode ClassifyRenameName(const std::string& typed) {
  if (typed == "@Enc") return RenameMode::kEncipherAll;
  if (typed == "@Dec") return RenameMode::kDecipherAll;
  if (HoldsEncAfterFirst(typed)) return RenameMode::kEncipherTo;
  std::string rule;
  if (!typed.empty() && pat::SplitRenamePattern(typed, &rule)) return RenameMode::kPattern;
  return RenameMode::kSingle;
}

std::string KeyCodeNameForms::StoredName(const std::string& shown) {
  return crypto::TranslateEncryptedName(shown, 0, m_key);
}

std::string KeyCodeNameForms::CipherBase(const std::string& base) {
  crypto::NameCipherResult r = crypto::CipherName(base, 0, m_key);
  return r.ok() ? r.text : std::string();
}

BatchRename PlanBatchRename(RenameMode mode, const std::string& typed, const std::string& shown,
                            RenameNameForms& forms) {
  BatchRename b;
  switch (mode) {
    case RenameMode::kEncipherAll: {
      // Already enciphered: shown with "@Enc", or left in its stored form
      // when the key cannot read it.
      if (shown.find(kEncMark) != std::string::npos || shown.compare(0, kMarkLen, crypto::kStoredNameMarker) == 0)
        return b;
      const std::size_t dot = ExtensionDot(shown);
      const std::string cipher = forms.CipherBase(shown.substr(0, dot));
      if (cipher.empty()) return b;
      b.from = shown;
      b.to = crypto::kStoredNameMarker + cipher + shown.substr(dot);
      break;
    }
    case RenameMode::kDecipherAll: {
      // Only "@Enc" standing right before the extension is the shown form
      // of a stored name.
      const std::size_t dot = ExtensionDot(shown);
      if (dot < 1 + kMarkLen || shown.compare(dot - kMarkLen, kMarkLen, kEncMark) != 0) return b;
      b.to = shown.substr(0, dot - kMarkLen) + shown.substr(dot);
      b.from = forms.StoredName(shown);
      if (b.from == shown) return BatchRename();  // the key cannot give its stored name
      break;
    }
    case RenameMode::kEncipherTo: {
      const std::size_t mark = typed.find(kEncMark, 1);
      if (mark == std::string::npos) return b;
      const std::string cipher = forms.CipherBase(typed.substr(0, mark));
      if (cipher.empty()) return b;
      const std::size_t dot = typed.rfind('.');
      const std::string ext = dot != std::string::npos && dot > mark ? typed.substr(dot) : std::string();
      b.to = crypto::kStoredNameMarker + cipher + ext;
      b.from = forms.StoredName(shown);
      break;
    }
    case RenameMode::kPattern: {
      std::string out;
      if (pat::RenameByPattern(typed, shown, &out) <= 0 || out.empty()) return b;
      if (HoldsEncAfterFirst(shown)) {
        b.to = forms.StoredName(out);
        b.from = forms.StoredName(shown);
      } else {
        b.to = out;
        b.from = shown;
      }
      break;
    }
    case RenameMode::kSingle:
      return b;
  }
  b.act = !b.from.empty() && !b.to.empty() && b.from != b.to;
  if (!b.act) return BatchRename();
  return b;
}

std::string JoinEntryPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (LastBackslash(folder) == static_cast<int>(folder.size()) - 1) return folder + name;
  return folder + "\\" + name;
}

std::string SingleRenameTarget(const std::string& workFolder, const std::string& typed) {
  const bool drive = typed.size() >= 2 && typed[1] == ':' &&
                     ((typed[0] >= 'A' && typed[0] <= 'Z') || (typed[0] >= 'a' && typed[0] <= 'z'));
  if (drive || (!typed.empty() && typed[0] == '\\')) return typed;
  return JoinEntryPath(workFolder, typed);
}

}  // namespace flist
