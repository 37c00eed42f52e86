#include "core/docdata/settings_table.h"

#include <climits>
#include <map>

#include "core/docsvc/keycode_store.h"

namespace app {
namespace {

using namespace fieldref;
using D = DvkDocData;
using docsvc::KvLine;

// Why a known key's value was not taken as written: one table.
enum SettingError { kBadNumber, kClamped, kBadColor, kBadFont, kBadNumbers, kBadKeyCode, kBadFace };
const char* const kSettingErrorText[] = {
    "数値が正しくありません（既定値を使用）",
    "範囲外の値を補正しました",
    "色の形式が正しくありません（R,G,B）",
    "フォントの形式が正しくありません（書体名,サイズ）",
    "数値の並びが正しくありません（既定値を使用）",
    "暗号化キーコードを読めません（未登録として扱います）",
    "縦書き用・空のフォント名は使えません（既定値を使用）",
};

constexpr int kMax = INT_MAX;

// Row makers: section, key, field, default, range.
#define INF_INT(sec, key, member, def, lo, hi) \
  SettingKey { sec, key, #member, KeyType::kInt, def, lo, hi, 0, 1, Number<&D::member>() }
#define INF_INT_AT(sec, key, member, i, def, lo, hi) \
  SettingKey { sec, key, #member "[" #i "]", KeyType::kInt, def, lo, hi, i, 1, NumberArray<&D::member>() }
#define INF_TEXT(sec, key, member, def) \
  SettingKey { sec, key, #member, KeyType::kText, def, 0, 0, 0, 1, Text<&D::member>() }
#define INF_TEXT_AT(sec, key, member, i, def) \
  SettingKey { sec, key, #member "[" #i "]", KeyType::kText, def, 0, 0, i, 1, TextArray<&D::member>() }
#define INF_FACE(sec, key, member, def) \
  SettingKey { sec, key, #member, KeyType::kFace, def, 0, 0, 0, 1, Text<&D::member>() }
#define INF_COLOR(sec, key, member, def) \
  SettingKey { sec, key, #member, KeyType::kColor, def, 0, 0, 0, 1, Number<&D::member>() }
#define INF_COLOR_AT(sec, key, member, i, def) \
  SettingKey { sec, key, #member "[" #i "]", KeyType::kColor, def, 0, 0, i, 1, NumberArray<&D::member>() }
#define INF_FONT(sec, key, face, size, def, lo, hi) \
  SettingKey { sec, key, #face "," #size, KeyType::kFont, def, lo, hi, 0, 1, Font<&D::face, &D::size>() }

const std::vector<SettingKey> kInfKeys = {
    INF_INT("limits", "indata", m_nIndata, "204800", 1024, kMax),
    INF_INT("limits", "outdata", m_nOutdata, "2000000", 1024, kMax),
    INF_INT("limits", "bmpfile", m_nBmpfile, "1000", 1, kMax),
    INF_INT("limits", "bmpdata", m_nBmpdata, "256", 1, kMax),
    INF_INT("limits", "n_tbl", m_nTblMax, "5000", 10, kMax),
    INF_INT("limits", "r_tbl", m_nRtbl, "2000", 1, kMax),
    INF_INT("limits", "n_char", m_nChar, "157", 1, 510),
    INF_INT("limits", "tab", m_nTab, "8", 1, 64),
    // Not m_nFlist: that field starts as the first list's clean-up sign.
    INF_INT("limits", "flist", m_nListCapacity, "9000", 10, kMax),
    INF_INT("limits", "fhold", m_nFhold, "19000", 1, 1000000),
    INF_INT("limits", "txtsiz", m_nTxtsiz, "5", 1, 11),
    INF_INT("limits", "tblsiz", m_nTblsiz, "5", 1, 11),
    INF_INT("limits", "membuf", m_nTextBufSize, "41943040", 1048576, kMax),
    INF_INT("limits", "membuf2", m_nTextBufSize2, "41943040", 1048576, kMax),

    INF_FACE("fonts", "profnt", m_strProfnt, "ＭＳ ゴシック"),
    INF_FACE("fonts", "tblfnt", m_strTblfnt, "ＭＳ ゴシック"),
    INF_COLOR("fonts", "txchar", m_clrTxchar, "0,0,0"),
    INF_FONT("fonts", "btitle", m_strBtitleFace, m_nBtitleSize, "ＭＳ ゴシック,12", 1, 200),
    INF_FONT("fonts", "stitle", m_strStitleFace, m_nStitleSize, "Century Gothic,10", 1, 200),
    INF_INT("fonts", "bttlht", m_nBttlht, "20", 4, 200),
    INF_INT("fonts", "sttlht", m_nSttlht, "16", 4, 200),

    INF_COLOR("colors", "ontitle", m_clrOnTitle, "200,220,255"),
    INF_COLOR("colors", "oftitle", m_clrOffTitle, "220,220,220"),
    INF_COLOR("colors", "pass1", m_clrPass1, "230,230,230"),
    INF_COLOR("colors", "pass2", m_clrPass2, "255,255,200"),
    INF_COLOR("colors", "onselct", m_clrOnSelect, "180,210,255"),
    INF_COLOR("colors", "ofselct", m_clrOffSelect, "210,210,210"),
    INF_COLOR("colors", "normal", m_clrNormal, "0,0,0"),
    INF_COLOR("colors", "folder", m_clrFolder, "0,0,160"),
    INF_COLOR("colors", "hiden", m_clrHidden, "128,128,128"),
    INF_COLOR("colors", "system", m_clrSystem, "128,0,128"),
    INF_COLOR("colors", "rdonly", m_clrReadOnly, "0,128,0"),
    INF_COLOR("colors", "exefile", m_clrExeFile, "160,0,0"),
    INF_COLOR("colors", "flback", m_clrListBack, "255,255,255"),
    INF_COLOR_AT("colors", "custom1", m_aclrCustom, 0, "255,255,255"),
    INF_COLOR_AT("colors", "custom2", m_aclrCustom, 1, "255,255,255"),

    INF_INT("switches", "fshell", m_nFshell, "0", 0, 1),
    INF_INT("switches", "sclic", m_nSclic, "0", 0, kMax),
    INF_INT("switches", "fdrag", m_nFdrag, "0", 0, kMax),
    INF_INT("switches", "utf8nm", m_bUtf8Names, "0", 0, 1),
    INF_INT("switches", "updcopy", m_bUpdateCopy, "0", 0, 1),
    INF_INT("switches", "keepdt", m_bKeepFileDate, "0", 0, 1),
    INF_INT("switches", "arctmp", m_bArcTmpRoot, "0", 0, 1),
    INF_INT("switches", "xlsmode", m_nXlsMode, "0", 0, 99),
    INF_INT("switches", "cnvstyl", m_nConvStyle, "0", 0, kMax),
    INF_INT("switches", "xlsdec", m_nXlsDecimals, "0", 0, 99),
    INF_INT("switches", "fixdec", m_nFixedDecimals, "0", 0, 99),
    INF_INT("switches", "grpsw", m_nGroupSwitch, "0", 0, kMax),
    INF_INT("switches", "tbllay", m_bTableLayout, "0", 0, 1),
    INF_INT("switches", "latin1", m_bLatin1Text, "0", 0, 1),
    INF_INT("switches", "pdfwadj", m_nPdfWidthAdjust, "5", 1, 5),
    INF_INT("switches", "pdftadj", m_nPdfTdAdjust, "85", 40, 115),
    INF_INT("switches", "qload", m_bQuickLoad, "0", 0, 1),
    INF_INT("switches", "shortv", m_bShortView, "0", 0, 1),
    INF_INT("switches", "binview", m_bBinaryView, "0", 0, kMax),
    INF_INT("switches", "rtfsrc", m_bRtfAsSource, "0", 0, 1),
    INF_INT("switches", "markup", m_bMarkupMode, "0", 0, 1),
    INF_INT("switches", "keeplay", m_bKeepLayout, "1", 0, 1),
    INF_INT("switches", "linklst", m_bLinkList, "1", 0, 1),
    INF_INT("switches", "txtonly", m_nTextOnly, "0", 0, kMax),
    INF_INT("switches", "txtonln", m_nTextOnlyLines, "0", 0, kMax),
    INF_INT("switches", "asciisy", m_bAsciiSymbols, "0", 0, 1),
    INF_INT("switches", "nocconv", m_bNoCharConv, "0", 0, 1),
    INF_INT("switches", "spcword", m_bSpacesInWords, "0", 0, 1),
    INF_INT("switches", "shlink", m_bShortLinkSelect, "0", 0, kMax),
    INF_INT("switches", "extbrow", m_bExternalBrowser, "0", 0, 1),
    INF_INT("switches", "bkindex", m_nBackColorIndex, "0", 0, 6),
    INF_INT("switches", "hidequo", m_bHideQuotes, "0", 0, 1),
    INF_INT("switches", "spcmin", m_bSpacingAtLeast, "0", 0, kMax),
    INF_INT("switches", "chrhmod", m_nCharHeightMode, "0", 0, kMax),

    INF_INT_AT("print", "prsp0", m_nPrspace, 0, "202", 0, 9999),
    INF_INT_AT("print", "prsp1", m_nPrspace, 1, "202", 0, 9999),
    INF_INT_AT("print", "prsp2", m_nPrspace, 2, "0", 0, 9999),

    INF_TEXT_AT("picture", "pict1", m_strPictExt, 0, ""),
    INF_TEXT_AT("picture", "pict2", m_strPictExt, 1, ""),
    INF_TEXT_AT("picture", "pict3", m_strPictExt, 2, ""),
    INF_TEXT_AT("picture", "pict4", m_strPictExt, 3, ""),
    INF_TEXT_AT("picture", "pict5", m_strPictExt, 4, ""),
    // The colour engine's words of the image settings (docs/image.md): the
    // colours as numbers (red + green x 256 + blue x 65536), tolerances,
    // amounts and switches.
    INF_INT_AT("picture", "imgref", m_aImageSettings, 1, "0", 0, 0xFFFFFF),
    INF_INT_AT("picture", "imgrepl", m_aImageSettings, 2, "0", 0, 0xFFFFFF),
    INF_INT_AT("picture", "imgtol", m_aImageSettings, 11, "0", 0, 256),
    INF_INT_AT("picture", "imgnblo", m_aImageSettings, 14, "0", 0, 8),
    INF_INT_AT("picture", "imgnbhi", m_aImageSettings, 15, "0", 0, 8),
    INF_INT_AT("picture", "imgnbtol", m_aImageSettings, 16, "0", 0, 256),
    INF_INT_AT("picture", "imgtone", m_aImageSettings, 17, "0", -5, 15),
    INF_INT_AT("picture", "imgsat", m_aImageSettings, 20, "0", 0, 500),
    INF_INT_AT("picture", "imgbal", m_aImageSettings, 21, "0", -128, 128),
    INF_INT_AT("picture", "imgbrt", m_aImageSettings, 22, "0", -128, 128),
    INF_INT_AT("picture", "imgnbvar", m_aImageSettings, 33, "0", 0, 1),
    INF_INT_AT("picture", "imgall", m_aImageSettings, 34, "0", 0, 1),
    INF_INT_AT("picture", "imgkeep", m_aImageSettings, 36, "0", 0, 1),
    INF_INT_AT("picture", "imgrplon", m_aImageSettings, 37, "0", 0, 1),
    INF_INT_AT("picture", "imgfilt", m_aImageSettings, 38, "0", 0, 1),
    INF_INT_AT("picture", "imgsaton", m_aImageSettings, 39, "0", 0, 1),
    INF_INT_AT("picture", "imgbalon", m_aImageSettings, 40, "0", 0, 1),
    INF_INT_AT("picture", "imghue", m_aImageSettings, 41, "0", 0, 1),
    INF_INT_AT("picture", "imginvsl", m_aImageSettings, 42, "0", 0, 1),
    INF_INT_AT("picture", "imgnbin", m_aImageSettings, 43, "0", 0, 1),
    INF_INT_AT("picture", "imgnbout", m_aImageSettings, 44, "0", 0, 1),
    INF_INT_AT("picture", "imggrey", m_aImageSettings, 45, "0", 0, 1),
    INF_INT_AT("picture", "imginv", m_aImageSettings, 46, "0", 0, 1),
    INF_INT_AT("picture", "imgcut", m_aImageSettings, 47, "0", 0, 1),
    INF_INT_AT("picture", "imgtonon", m_aImageSettings, 48, "0", 0, 1),
};

// "Dorvik.sys": the slots (programs per file type, jump registers, start
// folders, FTP sites, network drives), then the number lines and the key code.
#define SYS_SLOT(slot, key, def) \
  SettingKey { "", key, "m_strSysValue[" #slot "]", KeyType::kSlot, def, 0, 0, slot, 1, TextArray<&D::m_strSysValue>() }

const std::vector<SettingKey> kSysKeys = {
    // programs per file type ("" = the registered program)
    SYS_SLOT(0, "sch", "notepad.exe"), SYS_SLOT(1, "ppt", ""), SYS_SLOT(2, "doc", ""), SYS_SLOT(3, "xls", ""),
    SYS_SLOT(4, "rtf", "wordpad.exe"), SYS_SLOT(5, "pdf", ""), SYS_SLOT(6, "htm", ""),
    SYS_SLOT(7, "pict", "mspaint.exe"), SYS_SLOT(8, "mid", "wmplayer.exe"), SYS_SLOT(9, "A/V", "wmplayer.exe"),
    // jump registers
    SYS_SLOT(11, "dir1", ""), SYS_SLOT(12, "dir2", ""), SYS_SLOT(13, "dir3", ""), SYS_SLOT(14, "dir4", ""),
    SYS_SLOT(15, "dir5", ""), SYS_SLOT(16, "dir6", ""), SYS_SLOT(17, "dir7", ""), SYS_SLOT(18, "dir8", ""),
    SYS_SLOT(19, "dir9", ""), SYS_SLOT(20, "dir0", ""),
    // fallback and preferred start folders of sides 1 and 2
    SYS_SLOT(21, "dirX", "C:"), SYS_SLOT(22, "dirY", "C:"), SYS_SLOT(23, "dirA", ""), SYS_SLOT(24, "dirB", ""),
    SYS_SLOT(25, "dir@", ""),
    // FTP sites
    SYS_SLOT(26, "ftp1", ""), SYS_SLOT(27, "ftp2", ""), SYS_SLOT(28, "ftp3", ""),
    // network drives J: to Q:, R: to U:
    SYS_SLOT(31, "ntwJ", ""), SYS_SLOT(32, "ntwK", ""), SYS_SLOT(33, "ntwL", ""), SYS_SLOT(34, "ntwM", ""),
    SYS_SLOT(35, "ntwN", ""), SYS_SLOT(36, "ntwO", ""), SYS_SLOT(37, "ntwP", ""), SYS_SLOT(38, "ntwQ", ""),
    SYS_SLOT(40, "ntwR", ""), SYS_SLOT(41, "ntwS", ""), SYS_SLOT(42, "ntwT", ""), SYS_SLOT(43, "ntwU", ""),
    // window position, list widths, folder order, start sorts, layout words
    SettingKey{"", "posi", "m_nPosi", KeyType::kIntList, "0,20,20,1000,700,0,400,0,0,0", 0, 0, 0, kPosiWords,
               NumberArray<&D::m_nPosi>()},
    SettingKey{"", "posi;", "m_nFlistD", KeyType::kIntList, "1616", 0, 0, 0, 1, Numbers<&D::m_nFlistD>()},
    SettingKey{"", "posi<", "m_nDirSort", KeyType::kIntList, "0", 0, 0, 0, 1, Numbers<&D::m_nDirSort>()},
    SettingKey{"", "sorts", "m_nStartSort1,m_nStartSort2", KeyType::kIntList, "0,0", 0, 0, 0, 2,
               Numbers<&D::m_nStartSort1, &D::m_nStartSort2>()},
    SettingKey{"", "layout", "m_nLayoutMode,m_nSideDisplay,m_nWindowMode", KeyType::kIntList, "0,0,0", 0, 0, 0, 3,
               Numbers<&D::m_nLayoutMode, &D::m_nSideDisplay, &D::m_nWindowMode>()},
    SettingKey{"", "follow", "m_nLaunchFollowUp", KeyType::kIntList, "0", 0, 0, 0, 1,
               Numbers<&D::m_nLaunchFollowUp>()},
    SettingKey{"", "ekey", "m_strEncryptKeyCode", KeyType::kKeyCode, "", 0, 0, 0, 1, Text<&D::m_strEncryptKeyCode>()},
};

#undef INF_INT
#undef INF_INT_AT
#undef INF_TEXT
#undef INF_TEXT_AT
#undef INF_COLOR
#undef INF_COLOR_AT
#undef INF_FONT
#undef SYS_SLOT

std::int64_t Clamp(std::int64_t v, const SettingKey& k, bool* clamped) {
  *clamped = v < k.min || v > k.max;
  return v < k.min ? k.min : v > k.max ? k.max : v;
}

bool ParseColor(const CString& text, std::int64_t* c) {
  int v[3];
  if (!docsvc::ParseIntList(text, v, 3)) return false;
  for (int x : v)
    if (x < 0 || x > 255) return false;
  *c = static_cast<std::int64_t>(v[0]) | (static_cast<std::int64_t>(v[1]) << 8) |
       (static_cast<std::int64_t>(v[2]) << 16);
  return true;
}

void Reason(CString* reason, int error) {
  if (reason) *reason = kSettingErrorText[error];
}

}  // namespace

const std::vector<SettingKey>& InfKeyTable() { return kInfKeys; }
const std::vector<SettingKey>& SysKeyTable() { return kSysKeys; }

const SettingKey* FindSettingKey(const std::vector<SettingKey>& table, const CString& key) {
  static const std::map<std::string, const SettingKey*> inf = [] {
    std::map<std::string, const SettingKey*> m;
    for (const SettingKey& k : kInfKeys) m[k.key] = &k;
    return m;
  }();
  static const std::map<std::string, const SettingKey*> sys = [] {
    std::map<std::string, const SettingKey*> m;
    for (const SettingKey& k : kSysKeys) m[k.key] = &k;
    return m;
  }();
  if (&table != &kInfKeys && &table != &kSysKeys) {
    for (const SettingKey& k : table)
      if (key == k.key) return &k;
    return nullptr;
  }
  const auto& index = &table == &kInfKeys ? inf : sys;
  auto it = index.find(key.Str());
  return it == index.end() ? nullptr : it->second;
}

bool SetSettingValue(SettingsDoc& d, const SettingKey& k, const CString& text, CString* reason) {
  if (reason) reason->Empty();
  switch (k.type) {
    case KeyType::kInt: {
      int v;
      if (!docsvc::ParseInt(text, &v)) {
        Reason(reason, kBadNumber);
        return false;
      }
      bool clamped;
      k.ref.setNumber(d, k.index, Clamp(v, k, &clamped));
      if (clamped) Reason(reason, kClamped);
      return true;
    }
    case KeyType::kText:
    case KeyType::kSlot:
      *k.ref.text(d, k.index) = text;
      return true;
    case KeyType::kFace:
      if (text.IsEmpty() || IsVerticalFace(text)) {
        Reason(reason, kBadFace);
        return false;
      }
      *k.ref.text(d, k.index) = text;
      return true;
    case KeyType::kColor: {
      std::int64_t c;
      if (!ParseColor(text, &c)) {
        Reason(reason, kBadColor);
        return false;
      }
      k.ref.setNumber(d, k.index, c);
      return true;
    }
    case KeyType::kFont: {
      const int comma = text.ReverseFind(',');
      int size;
      if (comma < 1 || !docsvc::ParseInt(text.Mid(comma + 1), &size)) {
        Reason(reason, kBadFont);
        return false;
      }
      if (IsVerticalFace(text)) {
        Reason(reason, kBadFace);
        return false;
      }
      bool clamped;
      *k.ref.text(d, k.index) = text.Left(comma);
      k.ref.setNumber(d, k.index, Clamp(size, k, &clamped));
      if (clamped) Reason(reason, kClamped);
      return true;
    }
    case KeyType::kIntList: {
      int v[kPosiWords];
      if (k.count > kPosiWords || !docsvc::ParseIntList(text, v, k.count)) {
        Reason(reason, kBadNumbers);
        return false;
      }
      for (int i = 0; i < k.count; ++i) k.ref.setNumber(d, k.index + i, v[i]);
      return true;
    }
    case KeyType::kKeyCode: {
      // A damaged code counts as none: never a half-deciphered one.
      CString plain;
      const bool ok = docsvc::DecipherKeyCode(text, &plain);
      *k.ref.text(d, k.index) = plain;
      if (!ok) Reason(reason, kBadKeyCode);
      return true;
    }
  }
  return false;
}

CString SettingValueText(const SettingsDoc& d, const SettingKey& k) {
  SettingsDoc& m = const_cast<SettingsDoc&>(d);  // the text accessor serves both ways
  CString v;
  switch (k.type) {
    case KeyType::kInt:
      v.Format("%lld", static_cast<long long>(k.ref.getNumber(d, k.index)));
      break;
    case KeyType::kText:
    case KeyType::kFace:
    case KeyType::kSlot:
      v = *k.ref.text(m, k.index);
      break;
    case KeyType::kColor: {
      const std::int64_t c = k.ref.getNumber(d, k.index);
      v.Format("%u,%u,%u", static_cast<unsigned>(c & 0xFF), static_cast<unsigned>((c >> 8) & 0xFF),
               static_cast<unsigned>((c >> 16) & 0xFF));
      break;
    }
    case KeyType::kFont:
      v.Format("%s,%lld", k.ref.text(m, k.index)->GetString(), static_cast<long long>(k.ref.getNumber(d, k.index)));
      break;
    case KeyType::kIntList:
      for (int i = 0; i < k.count; ++i) {
        CString n;
        n.Format(i == 0 ? "%lld" : ",%lld", static_cast<long long>(k.ref.getNumber(d, k.index + i)));
        v += n;
      }
      break;
    case KeyType::kKeyCode:
      v = docsvc::EncipherKeyCode(*k.ref.text(m, k.index));
      break;
  }
  return v;
}

void ApplySettingsDefaults(SettingsDoc& d) {
  for (const std::vector<SettingKey>* table : {&kInfKeys, &kSysKeys}) {
    for (const SettingKey& k : *table) {
      if (k.type == KeyType::kKeyCode) {
        k.ref.text(d, k.index)->Empty();  // the default is no code, not an enciphered text
        continue;
      }
      SetSettingValue(d, k, k.def, nullptr);
      if (k.type == KeyType::kSlot) d.m_strSysKey[k.index] = k.key;
    }
  }
}

int SysSlotOfKey(const CString& key) {
  if (key.IsEmpty()) return -1;
  const SettingKey* k = FindSettingKey(kSysKeys, key);
  return k && k->type == KeyType::kSlot ? k->index : -1;
}

void RestoreDefaultAssociations(SettingsDoc& d) {
  for (const SettingKey& k : kSysKeys)
    if (k.type == KeyType::kSlot && k.index <= 9) d.m_strSysValue[k.index] = k.def;
}

namespace {

void ReadKeys(const std::vector<SettingKey>& table, const std::string& bytes, SettingsDoc& d, SettingsRest* rest) {
  docsvc::KvText kv = docsvc::ParseKvText(bytes);
  if (rest) rest->issues.insert(rest->issues.end(), kv.skipped.begin(), kv.skipped.end());
  for (const KvLine& l : kv.entries) {
    const SettingKey* k = FindSettingKey(table, l.key);
    if (!k) {
      if (rest) rest->unknown.push_back(l);
      continue;
    }
    CString reason;
    SetSettingValue(d, *k, l.value, &reason);
    if (!reason.IsEmpty() && rest) rest->issues.push_back({l.line, CString(k->key) + ": " + reason});
  }
}

}  // namespace

void ReadInfText(const std::string& bytes, SettingsDoc& d, SettingsRest* rest) { ReadKeys(kInfKeys, bytes, d, rest); }
void ReadSysText(const std::string& bytes, SettingsDoc& d, SettingsRest* rest) { ReadKeys(kSysKeys, bytes, d, rest); }

std::string WriteInfText(const SettingsDoc& d, const std::vector<KvLine>& unknown) {
  std::string out;
  std::vector<std::string> sections;
  for (const SettingKey& k : kInfKeys)
    if (sections.empty() || sections.back() != k.section) sections.push_back(k.section);
  std::vector<bool> written(unknown.size(), false);
  auto unknownOf = [&](const std::string& section) {
    for (std::size_t i = 0; i < unknown.size(); ++i) {
      if (written[i] || unknown[i].section.Str() != section) continue;
      docsvc::AppendKvLine(out, unknown[i].key, unknown[i].value);
      written[i] = true;
    }
  };
  for (const std::string& sec : sections) {
    out += "[" + sec + "]\r\n";
    for (const SettingKey& k : kInfKeys)
      if (sec == k.section) docsvc::AppendKvLine(out, k.key, SettingValueText(d, k));
    unknownOf(sec);
    out += "#end/\r\n";
  }
  // Sections the table does not know, in the order they were read.
  for (std::size_t i = 0; i < unknown.size(); ++i) {
    if (written[i]) continue;
    const std::string sec = unknown[i].section.Str();
    if (!sec.empty()) out += "[" + sec + "]\r\n";
    unknownOf(sec);
    out += "#end/\r\n";
  }
  return out;
}

std::string WriteSysText(const SettingsDoc& d, const std::vector<KvLine>& unknown) {
  std::string out;
  for (const SettingKey& k : kSysKeys)
    if (k.type == KeyType::kSlot) docsvc::AppendKvLine(out, k.key, SettingValueText(d, k));
  for (const KvLine& l : unknown) docsvc::AppendKvLine(out, l.key, l.value);
  for (const SettingKey& k : kSysKeys)
    if (k.type != KeyType::kSlot) docsvc::AppendKvLine(out, k.key, SettingValueText(d, k));
  out += "#end/\r\n";
  return out;
}

}  // namespace app
