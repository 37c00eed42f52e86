// "Dorvik.sys": programs per file type, jump folders, FTP and network-drive
// entries (slots of m_strSysKey / m_strSysValue), then the "posi" lines
// (window position, list widths, folder order) and the other system values,
// then "#end/". No sections.
#pragma once

#include <string>
#include <vector>

#include "core/docsvc/keycode_store.h"
#include "core/docsvc/kvtext.h"
#include "fw/cstring.h"

namespace docsvc {

constexpr int kSysSlots = 60;
constexpr int kPosiCount = 10;

struct SysSettings {
  CString m_strSysKey[kSysSlots];    // fixed by the slot table; "" = unused slot
  CString m_strSysValue[kSysSlots];
  int m_nPosi[kPosiCount] = {};      // [1..4] window left, top, width, height; [6] list extent
  int m_nFlistD = 0;                 // "posi;" date-column widths, side 1 mod 100, side 2 / 100
  int m_nDirSort = 0;                // "posi<" folder order digits
  int m_nStartSort1 = 0, m_nStartSort2 = 0;
  int m_nLayoutMode = 0, m_nSideDisplay = 0, m_nWindowMode = 0;
  int m_nLaunchFollowUp = 0;
  CString m_strEncryptKeyCode;       // plain in memory, enciphered in the file
};

// One slot of the table: its key and default value.
struct SysSlot {
  int slot;
  const char* key;
  const char* def;
};
const std::vector<SysSlot>& SysSlotTable();

// The slot of a key, or -1.
int SysSlotOfKey(const CString& key);

// Every slot key and value and every system value at its default.
SysSettings DefaultSysSettings();

// The built-in programs per file type (slots 0-9), as SetDefaultAssociations
// restores them. "" means the program registered for the file.
void SetDefaultAssociations(SysSettings& s);

// Reads over the defaults: slot keys set their value, the "posi" and other
// system lines their fields (a malformed value keeps the default and is
// reported), unknown keys go to `unknown`. Never fails.
void ReadSysText(const std::string& bytes, SysSettings& s, std::vector<KvLine>* unknown,
                 std::vector<LineIssue>* issues);

// WriteSysFile's text: "%s\t%s" per used slot, the unknown keys, the "posi"
// lines and the other system values, then "#end/". CR LF line ends.
std::string WriteSysText(const SysSettings& s, const std::vector<KvLine>& unknown);

}  // namespace docsvc
