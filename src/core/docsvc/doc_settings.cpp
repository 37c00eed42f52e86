#include "core/docsvc/doc_settings.h"

#include <type_traits>

namespace docsvc {
namespace {

// One colour field of the file and of the document.
struct ColorPair {
  Color InfSettings::*inf;
  COLORREF app::DocSettingsFields::*doc;
};

const ColorPair kColors[] = {
    {&InfSettings::m_clrOntitle, &app::DocSettingsFields::m_clrOnTitle},
    {&InfSettings::m_clrOftitle, &app::DocSettingsFields::m_clrOffTitle},
    {&InfSettings::m_clrPass1, &app::DocSettingsFields::m_clrPass1},
    {&InfSettings::m_clrPass2, &app::DocSettingsFields::m_clrPass2},
    {&InfSettings::m_clrOnselct, &app::DocSettingsFields::m_clrOnSelect},
    {&InfSettings::m_clrOfselct, &app::DocSettingsFields::m_clrOffSelect},
    {&InfSettings::m_clrNormal, &app::DocSettingsFields::m_clrNormal},
    {&InfSettings::m_clrFolder, &app::DocSettingsFields::m_clrFolder},
    {&InfSettings::m_clrHiden, &app::DocSettingsFields::m_clrHidden},
    {&InfSettings::m_clrSystem, &app::DocSettingsFields::m_clrSystem},
    {&InfSettings::m_clrRdonly, &app::DocSettingsFields::m_clrReadOnly},
    {&InfSettings::m_clrExefile, &app::DocSettingsFields::m_clrExeFile},
    {&InfSettings::m_clrFlback, &app::DocSettingsFields::m_clrListBack},
    {&InfSettings::m_clrTxchar, &app::DocSettingsFields::m_clrTxchar},
};

// Applies `fn(fileField, docField)` to every number both hold. The document
// keeps some as unsigned words; the file's ranges keep them non-negative.
template <class Inf, class Doc, class Fn>
void EachNumber(Inf& s, Doc& d, Fn fn) {
  fn(s.m_nIndata, d.m_nIndata);
  fn(s.m_nOutdata, d.m_nOutdata);
  fn(s.m_nBmpfile, d.m_nBmpfile);
  fn(s.m_nBmpdata, d.m_nBmpdata);
  fn(s.m_nTblMax, d.m_nTblMax);
  fn(s.m_nRtbl, d.m_nRtbl);
  fn(s.m_nChar, d.m_nChar);
  fn(s.m_nTab, d.m_nTab);
  fn(s.m_nFhold, d.m_nFhold);
  fn(s.m_nTxtsiz, d.m_nTxtsiz);
  fn(s.m_nTblsiz, d.m_nTblsiz);
  fn(s.m_nTextBufSize, d.m_nTextBufSize);
  fn(s.m_nTextBufSize2, d.m_nTextBufSize2);
  fn(s.m_nBttlht, d.m_nBttlht);
  fn(s.m_nSttlht, d.m_nSttlht);
  fn(s.m_nFshell, d.m_nFshell);
  fn(s.m_nSclic, d.m_nSclic);
  fn(s.m_nFdrag, d.m_nFdrag);
  fn(s.m_bUtf8Names, d.m_bUtf8Names);
  fn(s.m_bUpdateCopy, d.m_bUpdateCopy);
  fn(s.m_bKeepFileDate, d.m_bKeepFileDate);
  fn(s.m_bArcTmpRoot, d.m_bArcTmpRoot);
  fn(s.m_nXlsMode, d.m_nXlsMode);
  fn(s.m_nConvStyle, d.m_nConvStyle);
  fn(s.m_nXlsDecimals, d.m_nXlsDecimals);
  fn(s.m_nFixedDecimals, d.m_nFixedDecimals);
  fn(s.m_nGroupSwitch, d.m_nGroupSwitch);
  fn(s.m_bTableLayout, d.m_bTableLayout);
  fn(s.m_bLatin1Text, d.m_bLatin1Text);
  fn(s.m_nPdfWidthAdjust, d.m_nPdfWidthAdjust);
  fn(s.m_nPdfTdAdjust, d.m_nPdfTdAdjust);
  fn(s.m_bQuickLoad, d.m_bQuickLoad);
  fn(s.m_bShortView, d.m_bShortView);
  fn(s.m_bBinaryView, d.m_bBinaryView);
  fn(s.m_bRtfAsSource, d.m_bRtfAsSource);
  fn(s.m_bMarkupMode, d.m_bMarkupMode);
  fn(s.m_bKeepLayout, d.m_bKeepLayout);
  fn(s.m_bLinkList, d.m_bLinkList);
  fn(s.m_nTextOnly, d.m_nTextOnly);
  fn(s.m_nTextOnlyLines, d.m_nTextOnlyLines);
  fn(s.m_bAsciiSymbols, d.m_bAsciiSymbols);
  fn(s.m_bNoCharConv, d.m_bNoCharConv);
  fn(s.m_bSpacesInWords, d.m_bSpacesInWords);
  fn(s.m_bShortLinkSelect, d.m_bShortLinkSelect);
  fn(s.m_bExternalBrowser, d.m_bExternalBrowser);
  fn(s.m_nBackColorIndex, d.m_nBackColorIndex);
  fn(s.m_bHideQuotes, d.m_bHideQuotes);
  fn(s.m_nSpacingAtLeast, d.m_bSpacingAtLeast);
  fn(s.m_nCharHeightMode, d.m_nCharHeightMode);
  for (int i = 0; i < 3; ++i) fn(s.m_nPrspace[i], d.m_nPrspace[i]);
}

constexpr int kDocPosi = static_cast<int>(sizeof(app::DocWindowFields::m_nPosi) / sizeof(std::int32_t));
static_assert(kDocPosi <= kPosiCount, "the document holds no more posi words than the file");
static_assert(app::kSysSlots == kSysSlots, "one slot count");

}  // namespace

void InfToDoc(const InfSettings& s, app::DocSettingsFields& d) {
  EachNumber(s, d, [](const int& from, auto& to) { to = static_cast<std::remove_reference_t<decltype(to)>>(from); });
  for (const ColorPair& c : kColors) d.*c.doc = s.*c.inf;
  d.m_strProfnt = s.m_strProfnt;
  d.m_strTblfnt = s.m_strTblfnt;
  d.m_strBtitleFace = s.m_fontBtitle.face;
  d.m_nBtitleSize = s.m_fontBtitle.size;
  d.m_strStitleFace = s.m_fontStitle.face;
  d.m_nStitleSize = s.m_fontStitle.size;
  d.m_aclrCustom[0] = s.m_clrCustom[0];
  d.m_aclrCustom[1] = s.m_clrCustom[1];
  for (int i = 0; i < 5; ++i) d.m_strPictExt[i] = s.m_strPictExt[i];
}

void DocToInf(const app::DocSettingsFields& d, InfSettings& s) {
  EachNumber(s, d, [](int& to, const auto& from) { to = static_cast<int>(from); });
  for (const ColorPair& c : kColors) s.*c.inf = d.*c.doc;
  s.m_strProfnt = d.m_strProfnt;
  s.m_strTblfnt = d.m_strTblfnt;
  s.m_fontBtitle.face = d.m_strBtitleFace;
  s.m_fontBtitle.size = d.m_nBtitleSize;
  s.m_fontStitle.face = d.m_strStitleFace;
  s.m_fontStitle.size = d.m_nStitleSize;
  s.m_clrCustom[0] = d.m_aclrCustom[0];
  s.m_clrCustom[1] = d.m_aclrCustom[1];
  for (int i = 0; i < 5; ++i) s.m_strPictExt[i] = d.m_strPictExt[i];
}

void SysToDoc(const SysSettings& s, app::DvkDocData& d) {
  for (int i = 0; i < kSysSlots; ++i) {
    d.m_strSysKey[i] = s.m_strSysKey[i];
    d.m_strSysValue[i] = s.m_strSysValue[i];
  }
  for (int i = 0; i < kDocPosi; ++i) d.m_nPosi[i] = s.m_nPosi[i];
  d.m_nFlistD = s.m_nFlistD;
  d.m_nDirSort = s.m_nDirSort;
  d.m_nStartSort1 = s.m_nStartSort1;
  d.m_nStartSort2 = s.m_nStartSort2;
  d.m_nLayoutMode = s.m_nLayoutMode;
  d.m_nSideDisplay = s.m_nSideDisplay;
  d.m_nWindowMode = s.m_nWindowMode;
  d.m_nLaunchFollowUp = s.m_nLaunchFollowUp;
  d.m_strEncryptKeyCode = s.m_strEncryptKeyCode;
}

void DocToSys(const app::DvkDocData& d, SysSettings& s) {
  // The slot keys are the table's: a key the document changed is not taken.
  for (int i = 0; i < kSysSlots; ++i) {
    if (!s.m_strSysKey[i].IsEmpty()) s.m_strSysValue[i] = d.m_strSysValue[i];
  }
  for (int i = 0; i < kDocPosi; ++i) s.m_nPosi[i] = d.m_nPosi[i];
  s.m_nFlistD = d.m_nFlistD;
  s.m_nDirSort = d.m_nDirSort;
  s.m_nStartSort1 = d.m_nStartSort1;
  s.m_nStartSort2 = d.m_nStartSort2;
  s.m_nLayoutMode = d.m_nLayoutMode;
  s.m_nSideDisplay = d.m_nSideDisplay;
  s.m_nWindowMode = d.m_nWindowMode;
  s.m_nLaunchFollowUp = d.m_nLaunchFollowUp;
  s.m_strEncryptKeyCode = d.m_strEncryptKeyCode;
}

}  // namespace docsvc
