// "Dorvik.inf": the settings the document reads at start (limits, fonts,
// colours, switches, print spacing, picture extensions). Every key, its field
// and its default are in one table (InfKeyTable); the fields keep the names
// the document owns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/docsvc/kvtext.h"
#include "fw/cstring.h"

namespace docsvc {

// 0x00BBGGRR, as the system's COLORREF.
using Color = std::uint32_t;
constexpr Color Rgb(int r, int g, int b) {
  return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}

struct FontSetting {
  CString face;
  int size = 0;  // points
};

struct InfSettings {
  // [limits] memory and table limits
  int m_nIndata = 0;
  int m_nOutdata = 0;
  int m_nBmpfile = 0;
  int m_nBmpdata = 0;
  int m_nTblMax = 0;
  int m_nRtbl = 0;
  int m_nChar = 0;
  int m_nTab = 0;
  int m_nFlist = 0;
  int m_nFhold = 0;
  int m_nTxtsiz = 0;
  int m_nTblsiz = 0;
  int m_nTextBufSize = 0;
  int m_nTextBufSize2 = 0;
  // [fonts] text fonts, list fonts and line heights
  CString m_strProfnt;
  CString m_strTblfnt;
  Color m_clrTxchar = 0;
  FontSetting m_fontBtitle;
  FontSetting m_fontStitle;
  int m_nBttlht = 0;
  int m_nSttlht = 0;
  // [colors] file-list colours, custom colours of the colour dialog
  Color m_clrOntitle = 0, m_clrOftitle = 0, m_clrPass1 = 0, m_clrPass2 = 0;
  Color m_clrOnselct = 0, m_clrOfselct = 0, m_clrNormal = 0, m_clrFolder = 0;
  Color m_clrHiden = 0, m_clrSystem = 0, m_clrRdonly = 0, m_clrExefile = 0, m_clrFlback = 0;
  Color m_clrCustom[2] = {0, 0};
  // [switches] file list, converters, markup renderer, text view
  int m_nFshell = 0, m_nSclic = 0, m_nFdrag = 0;
  int m_bUtf8Names = 0, m_bUpdateCopy = 0, m_bKeepFileDate = 0, m_bArcTmpRoot = 0;
  int m_nXlsMode = 0, m_nConvStyle = 0, m_nXlsDecimals = 0, m_nFixedDecimals = 0;
  int m_nGroupSwitch = 0, m_bTableLayout = 0, m_bLatin1Text = 0;
  int m_nPdfWidthAdjust = 0, m_nPdfTdAdjust = 0;
  int m_bQuickLoad = 0, m_bShortView = 0, m_bBinaryView = 0, m_bRtfAsSource = 0, m_bMarkupMode = 0;
  int m_bKeepLayout = 0, m_bLinkList = 0, m_nTextOnly = 0, m_nTextOnlyLines = 0;
  int m_bAsciiSymbols = 0, m_bNoCharConv = 0;
  int m_bSpacesInWords = 0, m_bShortLinkSelect = 0, m_bExternalBrowser = 0;
  int m_nBackColorIndex = 0, m_bHideQuotes = 0;
  int m_nSpacingAtLeast = 0, m_nCharHeightMode = 0;
  // [print] packed print spacing P0, P1, P2
  int m_nPrspace[3] = {0, 0, 0};
  // [picture] the five plug-in picture extensions (kinds 17-21)
  CString m_strPictExt[5];
};

enum class InfType { Int, Str, Color, Font };

// One key of the file: where it is written, its field, its default (as text
// in the file's own form) and, for numbers, the range values are clamped to.
struct InfKey {
  const char* section;
  const char* key;
  const char* field;
  InfType type;
  const char* def;
  int min, max;
  void* (*at)(InfSettings&);
};

const std::vector<InfKey>& InfKeyTable();

// Every field at its default.
InfSettings DefaultInfSettings();

// Reads settings text over the defaults: known keys (matched by key in any
// section; the last one wins) set their field, a value that does not parse
// keeps the default and is reported, unknown keys go to `unknown` for the
// next rewrite. Never fails.
void ReadInfText(const std::string& bytes, InfSettings& s, std::vector<KvLine>* unknown,
                 std::vector<LineIssue>* issues);

// The file text: each section of the table in order with its keys, the
// unknown keys read in that section after them, "#end/"; then the sections
// only unknown keys named. Lines end in CR LF.
std::string WriteInfText(const InfSettings& s, const std::vector<KvLine>& unknown);

// The text form of one key's value (for tests and the settings dialog).
CString InfValueText(const InfSettings& s, const InfKey& k);

}  // namespace docsvc
