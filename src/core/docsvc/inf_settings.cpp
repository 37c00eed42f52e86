#include "core/docsvc/inf_settings.h"

#include <climits>
#include <map>

namespace docsvc {
namespace {

// Why a known key's value was not taken as written: one table.
enum InfError { kInfBadNumber, kInfClamped, kInfBadColor, kInfBadFont };
const char* const kInfErrorText[] = {
    "数値が正しくありません（既定値を使用）",
    "範囲外の値を補正しました",
    "色の形式が正しくありません（R,G,B）",
    "フォントの形式が正しくありません（書体名,サイズ）",
};

constexpr int kMax = INT_MAX;

#define INF_KEY(sec, key, member, type, def, lo, hi) \
  InfKey { sec, key, #member, InfType::type, def, lo, hi, [](InfSettings& s) -> void* { return &s.member; } }

const std::vector<InfKey> kKeys = {
    // section, key, field, type, default, min, max
    INF_KEY("limits", "indata", m_nIndata, Int, "204800", 1024, kMax),
    INF_KEY("limits", "outdata", m_nOutdata, Int, "2000000", 1024, kMax),
    INF_KEY("limits", "bmpfile", m_nBmpfile, Int, "1000", 1, kMax),
    INF_KEY("limits", "bmpdata", m_nBmpdata, Int, "256", 1, kMax),
    INF_KEY("limits", "n_tbl", m_nTblMax, Int, "5000", 10, kMax),
    INF_KEY("limits", "r_tbl", m_nRtbl, Int, "2000", 1, kMax),
    INF_KEY("limits", "n_char", m_nChar, Int, "157", 1, 510),
    INF_KEY("limits", "tab", m_nTab, Int, "8", 1, 64),
    INF_KEY("limits", "flist", m_nFlist, Int, "9000", 10, kMax),
    INF_KEY("limits", "fhold", m_nFhold, Int, "19000", 1, 65535),
    INF_KEY("limits", "txtsiz", m_nTxtsiz, Int, "5", 1, 11),
    INF_KEY("limits", "tblsiz", m_nTblsiz, Int, "5", 1, 11),
    INF_KEY("limits", "membuf", m_nTextBufSize, Int, "41943040", 1048576, kMax),
    INF_KEY("limits", "membuf2", m_nTextBufSize2, Int, "41943040", 1048576, kMax),

    INF_KEY("fonts", "profnt", m_strProfnt, Str, "ＭＳ ゴシック", 0, 0),
    INF_KEY("fonts", "tblfnt", m_strTblfnt, Str, "ＭＳ ゴシック", 0, 0),
    INF_KEY("fonts", "txchar", m_clrTxchar, Color, "0,0,0", 0, 0),
    INF_KEY("fonts", "btitle", m_fontBtitle, Font, "ＭＳ ゴシック,12", 1, 200),
    INF_KEY("fonts", "stitle", m_fontStitle, Font, "Century Gothic,10", 1, 200),
    INF_KEY("fonts", "bttlht", m_nBttlht, Int, "20", 4, 200),
    INF_KEY("fonts", "sttlht", m_nSttlht, Int, "16", 4, 200),

    INF_KEY("colors", "ontitle", m_clrOntitle, Color, "200,220,255", 0, 0),
    INF_KEY("colors", "oftitle", m_clrOftitle, Color, "220,220,220", 0, 0),
    INF_KEY("colors", "pass1", m_clrPass1, Color, "230,230,230", 0, 0),
    INF_KEY("colors", "pass2", m_clrPass2, Color, "255,255,200", 0, 0),
    INF_KEY("colors", "onselct", m_clrOnselct, Color, "180,210,255", 0, 0),
    INF_KEY("colors", "ofselct", m_clrOfselct, Color, "210,210,210", 0, 0),
    INF_KEY("colors", "normal", m_clrNormal, Color, "0,0,0", 0, 0),
    INF_KEY("colors", "folder", m_clrFolder, Color, "0,0,160", 0, 0),
    INF_KEY("colors", "hiden", m_clrHiden, Color, "128,128,128", 0, 0),
    INF_KEY("colors", "system", m_clrSystem, Color, "128,0,128", 0, 0),
    INF_KEY("colors", "rdonly", m_clrRdonly, Color, "0,128,0", 0, 0),
    INF_KEY("colors", "exefile", m_clrExefile, Color, "160,0,0", 0, 0),
    INF_KEY("colors", "flback", m_clrFlback, Color, "255,255,255", 0, 0),
    INF_KEY("colors", "custom1", m_clrCustom[0], Color, "255,255,255", 0, 0),
    INF_KEY("colors", "custom2", m_clrCustom[1], Color, "255,255,255", 0, 0),

    INF_KEY("switches", "fshell", m_nFshell, Int, "0", 0, 1),
    INF_KEY("switches", "sclic", m_nSclic, Int, "0", 0, kMax),
    INF_KEY("switches", "fdrag", m_nFdrag, Int, "0", 0, kMax),
    INF_KEY("switches", "utf8nm", m_bUtf8Names, Int, "0", 0, 1),
    INF_KEY("switches", "updcopy", m_bUpdateCopy, Int, "0", 0, 1),
    INF_KEY("switches", "keepdt", m_bKeepFileDate, Int, "0", 0, 1),
    INF_KEY("switches", "arctmp", m_bArcTmpRoot, Int, "0", 0, 1),
    INF_KEY("switches", "xlsmode", m_nXlsMode, Int, "0", 0, 99),
    INF_KEY("switches", "cnvstyl", m_nConvStyle, Int, "0", 0, kMax),
    INF_KEY("switches", "xlsdec", m_nXlsDecimals, Int, "0", 0, 99),
    INF_KEY("switches", "fixdec", m_nFixedDecimals, Int, "0", 0, 99),
    INF_KEY("switches", "grpsw", m_nGroupSwitch, Int, "0", 0, kMax),
    INF_KEY("switches", "tbllay", m_bTableLayout, Int, "0", 0, 1),
    INF_KEY("switches", "latin1", m_bLatin1Text, Int, "0", 0, 1),
    INF_KEY("switches", "pdfwadj", m_nPdfWidthAdjust, Int, "5", 1, 5),
    INF_KEY("switches", "pdftadj", m_nPdfTdAdjust, Int, "85", 40, 115),
    INF_KEY("switches", "qload", m_bQuickLoad, Int, "0", 0, 1),
    INF_KEY("switches", "shortv", m_bShortView, Int, "0", 0, 1),
    INF_KEY("switches", "binview", m_bBinaryView, Int, "0", 0, kMax),
    INF_KEY("switches", "rtfsrc", m_bRtfAsSource, Int, "0", 0, 1),
    INF_KEY("switches", "markup", m_bMarkupMode, Int, "0", 0, 1),
    INF_KEY("switches", "keeplay", m_bKeepLayout, Int, "1", 0, 1),
    INF_KEY("switches", "linklst", m_bLinkList, Int, "1", 0, 1),
    INF_KEY("switches", "txtonly", m_nTextOnly, Int, "0", 0, kMax),
    INF_KEY("switches", "txtonln", m_nTextOnlyLines, Int, "0", 0, kMax),
    INF_KEY("switches", "asciisy", m_bAsciiSymbols, Int, "0", 0, 1),
    INF_KEY("switches", "nocconv", m_bNoCharConv, Int, "0", 0, 1),
    INF_KEY("switches", "spcword", m_bSpacesInWords, Int, "0", 0, 1),
    INF_KEY("switches", "shlink", m_bShortLinkSelect, Int, "0", 0, kMax),
    INF_KEY("switches", "extbrow", m_bExternalBrowser, Int, "0", 0, 1),
    INF_KEY("switches", "bkindex", m_nBackColorIndex, Int, "0", 0, 6),
    INF_KEY("switches", "hidequo", m_bHideQuotes, Int, "0", 0, 1),
    INF_KEY("switches", "spcmin", m_nSpacingAtLeast, Int, "0", 0, kMax),
    INF_KEY("switches", "chrhmod", m_nCharHeightMode, Int, "0", 0, kMax),

    INF_KEY("print", "prsp0", m_nPrspace[0], Int, "202", 0, 9999),
    INF_KEY("print", "prsp1", m_nPrspace[1], Int, "202", 0, 9999),
    INF_KEY("print", "prsp2", m_nPrspace[2], Int, "0", 0, 9999),

    INF_KEY("picture", "pict1", m_strPictExt[0], Str, "", 0, 0),
    INF_KEY("picture", "pict2", m_strPictExt[1], Str, "", 0, 0),
    INF_KEY("picture", "pict3", m_strPictExt[2], Str, "", 0, 0),
    INF_KEY("picture", "pict4", m_strPictExt[3], Str, "", 0, 0),
    INF_KEY("picture", "pict5", m_strPictExt[4], Str, "", 0, 0),
};

#undef INF_KEY

bool ParseColor(const CString& text, Color* c) {
  int v[3];
  if (!ParseIntList(text, v, 3)) return false;
  for (int x : v)
    if (x < 0 || x > 255) return false;
  *c = Rgb(v[0], v[1], v[2]);
  return true;
}

bool ParseFont(const CString& text, FontSetting* f) {
  int comma = text.ReverseFind(',');
  if (comma < 1) return false;
  int size;
  if (!ParseInt(text.Mid(comma + 1), &size)) return false;
  f->face = text.Left(comma);
  f->size = size;
  return true;
}

// Sets the key's field from text; the issue (if any) goes to *error.
// Returns false when the text was not taken (the field is unchanged).
bool SetValue(InfSettings& s, const InfKey& k, const CString& text, int* error) {
  void* p = k.at(s);
  *error = -1;
  switch (k.type) {
    case InfType::Int: {
      int v;
      if (!ParseInt(text, &v)) {
        *error = kInfBadNumber;
        return false;
      }
      if (v < k.min || v > k.max) {
        v = v < k.min ? k.min : k.max;
        *error = kInfClamped;
      }
      *static_cast<int*>(p) = v;
      return true;
    }
    case InfType::Str:
      *static_cast<CString*>(p) = text;
      return true;
    case InfType::Color:
      if (!ParseColor(text, static_cast<Color*>(p))) {
        *error = kInfBadColor;
        return false;
      }
      return true;
    case InfType::Font: {
      FontSetting f;
      if (!ParseFont(text, &f)) {
        *error = kInfBadFont;
        return false;
      }
      if (f.size < k.min || f.size > k.max) {
        f.size = f.size < k.min ? k.min : k.max;
        *error = kInfClamped;
      }
      *static_cast<FontSetting*>(p) = f;
      return true;
    }
  }
  return false;
}

const InfKey* FindKey(const CString& key) {
  static const std::map<std::string, const InfKey*> index = [] {
    std::map<std::string, const InfKey*> m;
    for (const InfKey& k : kKeys) m[k.key] = &k;
    return m;
  }();
  auto it = index.find(key.Str());
  return it == index.end() ? nullptr : it->second;
}

}  // namespace

const std::vector<InfKey>& InfKeyTable() { return kKeys; }

InfSettings DefaultInfSettings() {
  InfSettings s;
  for (const InfKey& k : kKeys) {
    int error;
    SetValue(s, k, k.def, &error);
  }
  return s;
}

void ReadInfText(const std::string& bytes, InfSettings& s, std::vector<KvLine>* unknown,
                 std::vector<LineIssue>* issues) {
  KvText kv = ParseKvText(bytes);
  if (issues) issues->insert(issues->end(), kv.skipped.begin(), kv.skipped.end());
  for (const KvLine& l : kv.entries) {
    const InfKey* k = FindKey(l.key);
    if (!k) {
      if (unknown) unknown->push_back(l);
      continue;
    }
    int error;
    SetValue(s, *k, l.value, &error);
    if (error >= 0 && issues) issues->push_back({l.line, CString(k->key) + ": " + kInfErrorText[error]});
  }
}

CString InfValueText(const InfSettings& s, const InfKey& k) {
  void* p = k.at(const_cast<InfSettings&>(s));
  CString v;
  switch (k.type) {
    case InfType::Int:
      v.Format("%d", *static_cast<int*>(p));
      break;
    case InfType::Str:
      v = *static_cast<CString*>(p);
      break;
    case InfType::Color: {
      Color c = *static_cast<Color*>(p);
      v.Format("%u,%u,%u", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
      break;
    }
    case InfType::Font: {
      const FontSetting& f = *static_cast<FontSetting*>(p);
      v.Format("%s,%d", f.face.GetString(), f.size);
      break;
    }
  }
  return v;
}

std::string WriteInfText(const InfSettings& s, const std::vector<KvLine>& unknown) {
  std::string out;
  std::vector<std::string> sections;
  for (const InfKey& k : kKeys)
    if (sections.empty() || sections.back() != k.section) sections.push_back(k.section);
  std::vector<bool> written(unknown.size(), false);
  auto unknownOf = [&](const std::string& section) {
    for (std::size_t i = 0; i < unknown.size(); ++i) {
      if (written[i] || unknown[i].section.Str() != section) continue;
      AppendKvLine(out, unknown[i].key, unknown[i].value);
      written[i] = true;
    }
  };
  for (const std::string& sec : sections) {
    out += "[" + sec + "]\r\n";
    for (const InfKey& k : kKeys)
      if (sec == k.section) AppendKvLine(out, k.key, InfValueText(s, k));
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

}  // namespace docsvc
