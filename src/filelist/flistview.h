// The file-list pane: two of them stand in the frame's list splitter (side 1
// and side 2). This holds the object with all its fields and per-entry
// buffers, and the start-up duties that only read the document (window
// placement, start folder, layout); listing, painting, keys and file
// operations come with the file list.
#pragma once

#include <windows.h>
#include <winnetwk.h>

#include <cstdint>

#include "fw/cstring.h"
#include "fw/datetime.h"
#include "fw/docview.h"
#include "host/doc_host.h"

class CFlistView : public CView {
  FW_DECLARE_MESSAGE_MAP()

  CFlistView();
  ~CFlistView() override;

  app::DocHost* GetDocument() const;

  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnInitialUpdate() override;
  void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) override;
  void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
  void OnDraw(CDC* dc) override;

  // Own virtual operations (their bodies come with the file list).
  virtual void GoToParentFolder() {}
  virtual void DrawPathBar(int active);
  virtual void ScrollToCursor() {}
  virtual void DrawEntryLines(int active);

  // Records this pane's side in the document and makes it the active side (on
  // activation; 0 on deactivation).
  void SetSide(int activate);

  void OnKeyUp(UINT ch, UINT repeat, UINT flags);

  // --- fields (widths and start values as the list code relies on them) ---
  std::int32_t m_aColumnX[3] = {445, 485, 585};
  std::int32_t m_nClientWidth = 0;
  std::int32_t m_nDividerDrag = 0;
  std::int32_t m_nSubdirColumnX = 250;
  std::int32_t m_nCapacity = 9000;
  std::int32_t m_nPlayWork = 0;
  std::int32_t m_nHiddenBars = 0;
  std::int32_t m_nPlayClock = 0;
  CString m_strWork1, m_strWork2, m_strWork3;
  NETRESOURCEA m_netResCur = {};
  std::uint8_t m_netEnumBuf[32000] = {};
  const char* m_pszWork1 = "";
  const char* m_pszWork2 = "";
  CString m_strNetName[1000];
  CString m_strNetProvider[1000];
  HANDLE m_hNetEnum = nullptr;
  std::int32_t m_nNetCount = 0;
  std::int32_t m_nNetDepth = 0;
  CString m_strNetRemote, m_strNetProviderCur;
  CString m_strNetPathName[50];
  CString m_strNetPathProvider[50];
  std::uint32_t m_aNetPathUsage[50] = {};
  std::int32_t m_aPathBarX[20] = {};
  std::uint32_t m_nMarkCount = 0;
  std::uint32_t m_aMarkOrder[100] = {};  // slots 1-99 used (index 0 unused)
  std::uint32_t m_bForceZip = 0;
  CString m_strResultBuf, m_strRtzxName;
  CTime m_tmFtpEntry;
  std::int32_t m_nListFlag = 0;
  char* m_pNameRecs = nullptr;    // 256-byte records, capacity*256 + 10000 bytes
  char* m_pTextRecs2 = nullptr;
  char* m_pTextRecs3 = nullptr;
  std::uint32_t* m_pEntryVal1 = nullptr;  // capacity*4 + 40000 bytes each
  std::uint32_t* m_pEntryVal2 = nullptr;
  std::uint32_t* m_pEntryVal3 = nullptr;
  std::uint8_t* m_pMarks = nullptr;       // capacity + 10000 bytes
  CString m_strKeyMacro[200];
  CString m_strHeader[5];
  std::int32_t m_nEntryCount = 0;
  std::int32_t m_nPrevEntry = 0;
  std::int32_t m_nCurEntry = 0;
  std::int32_t m_nTopEntry = 0;
  std::int32_t m_bScrollTight = 0;
  std::uint32_t m_bQuietCopy = 0;
  std::uint32_t m_bSearchNamesOnly = 0, m_bSearchWithName = 0, m_bSearchAnyOrder = 0;
  std::int32_t m_bRelist = 0;
  std::uint32_t m_nSortMode = 0;
  std::uint32_t m_nDisplayMode = 0;
  std::int32_t m_nBuildWork = 0;
  std::int32_t m_nKeyMacroPos = -1;
  std::int32_t m_nKeyMacroWork1 = 0, m_nKeyMacroWork2 = 1, m_nKeyMacroWork3 = 0, m_nKeyMacroWork4 = 0;
  CString m_strStartPath;
  CString m_strCursorName;
  CString m_strCurDir;
  CString m_strPrevDir;
  CString m_strSearchPattern, m_strSearchText;
  CString m_strTitle;
  CString m_strNameFilter, m_strNameExclude;
  std::int32_t m_nLineHeight = 18;
  std::uint32_t m_bHeaderSwitch = 1;
  std::int32_t m_bRelist2 = 0;
  std::int32_t m_nBuildCount = 0;
  std::int32_t m_nListSource = 0;
  std::int32_t m_nPatternLen = 0;
  std::uint32_t m_bCopyAbort = 0;
  std::int32_t m_nSearchWidth2 = 500, m_nSearchWidth3 = 500;
  std::int32_t m_nSearchFlag = 1;
  std::int32_t m_nResultNo = 0;
  std::int32_t m_nHitCount = 0;
  std::int32_t m_nScrollPos = 0;
  std::int32_t m_nScrollMax = 500;
  std::uint32_t m_bActivePane = 0;
  std::uint32_t m_bCtrlDown = 0;
  std::int32_t m_nOverwriteAll = 0;
  std::uint32_t m_bOverDivider = 0;
  std::uint32_t m_bAskNone = 0;
  std::uint32_t m_bFtpList = 0;
  std::uint32_t m_bSearchCase = 0, m_bSearchAcrossLines = 0, m_bSearchWords = 0;
  std::int32_t m_nCopyStop = 0;
  std::int32_t m_nSide = 0;         // 1 or 2, set by the frame when it makes the pane
  std::int32_t m_bNetworkList = 0;
  std::uint32_t m_bSearchNoConfirm = 0;
  std::uint32_t m_nProtectedSkipped = 0;

 private:
  bool AllocateEntryBuffers(int capacity);
  void FreeEntryBuffers();
  void StartFolder();
  void FirstStart(bool firstCopy);
};
