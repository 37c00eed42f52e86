// The fields of the one document, grouped by the subsystem that mainly works
// on them. Each group is a plain struct with its defaults; the document
// (CDvkDoc) inherits all of them through DvkDocData, so window code writes
// `doc->m_nUpdateCode` while portable code (converters, CSV and macro logic,
// tests) can take a DvkDocData& or just the group it needs.
//
// Other names under which parts of the program refer to a field are listed in
// docs/design.md ("Document fields"); code uses only the names below.
#pragma once

#include <cstdint>

#include "core/docdata/update_code.h"
#include "fw/cstring.h"
#include "fw/geometry.h"
#include "fw/types.h"

typedef DWORD COLORREF;  // as windows.h declares it

class CFtpConnection;
class CInternetSession;

namespace app {

// "UnZip" of unzip32.dll: (window, command line, output buffer, its size).
using UnZipFn = int (*)(void* hwnd, const char* cmdLine, char* output, std::uint32_t size);

constexpr int kSysSlots = 60;          // "Dorvik.sys" slots
constexpr int kPosiWords = 10;         // numbers of the "posi" line
constexpr int kFtpEntryFirstSlot = 26;  // FTP site entries 1-3 are slots 26-28
constexpr int kHistorySize = 30;
constexpr int kCompareMax = 9000;
constexpr int kImageSettingsWords = 49;
constexpr int kCfbFatEntries = 81920;
constexpr int kFlistAtConstruction = 9001;  // the first list view sets 9000 and cleans

// A. Text buffer, streaming and converter buffers (text view, converters, table engine).
struct DocTextFields {
  DocTextFields() = default;
  ~DocTextFields();
  DocTextFields(const DocTextFields&) = delete;
  DocTextFields& operator=(const DocTextFields&) = delete;

  char* m_pText = nullptr;             // document text (fw::Alloc/Realloc; first byte 0 empties it)
  std::uint32_t m_nTextLen = 0;        // bytes used in m_pText
  std::uint32_t m_nTextCapacity = 0;   // capacity of m_pText; every writer that grows it stores it
  std::uint32_t m_nReadPos = 0;        // stream cursor
  std::uint32_t m_nStreamLen = 0;      // bytes the next stream-in takes; 0 = none pending
  std::uint32_t m_nReadEnd = 0;        // end of the readable part; stream-out stops before it
  char* m_pText2 = nullptr;            // second text buffer (StreamInRtf mode 2)
  std::uint32_t m_nText2Len = 0;
  std::uint32_t m_nViewTextLen = 0;    // view's text length handed over before a refresh
  char* m_pLoadBuf = nullptr;          // converter output / loaders' messages
  std::uint32_t m_nLoadBufCapacity = 0;
  int m_bLoadBufOwned = 0;             // 1: freed with the document; 0: handed to m_pText
  std::int32_t m_nWritePos = 0;        // bytes written into m_pLoadBuf
  std::uint8_t* m_pConvData = nullptr; // renderer input (head buffer)
  std::int32_t m_nConvPos = 0;
  std::int32_t m_nConvSize = 0;        // file length
  std::int32_t m_bFileCut = 0;         // 1 = file read only in part
  std::int32_t m_nRawPage = 0;         // 64 KB page of the raw view; negative = last
  std::int32_t m_nExtractNo = 0;       // embedded item to extract on the next render
  std::int32_t m_nExtractLetter = 0;
  std::int32_t m_nConvStatus = 0;      // 0/1/2, shared with the archive writer
  std::int32_t m_nGridLine = 0;        // markup renderers' grid line
  std::uint8_t m_abSjisChar[10] = {};  // result of ConvertCharToSjis
  char16_t m_awSjisScratch[2] = {};    // its two-unit UTF-16 scratch
  std::int32_t m_anCidBreak[256] = {};    // CID -> SJIS break tables (BuildCidSjisTables)
  std::uint32_t m_anSjisBreak[256] = {};
  std::uint8_t m_abCidSymbol[41] = {};
  std::uint8_t m_abNamePrefix[8][4] = {}; // PDF resource-name prefixes
  CString m_strConvImage;               // last picture scratch file of the PDF savers
  std::uint8_t m_abColumnWidth[257][256] = {};  // column widths handed to the XLSX reader
  std::int32_t m_anFat[kCfbFatEntries] = {};    // compound-document reader state
  std::int32_t m_nChainState = 0;
  std::int32_t m_nSectorCount = 0;
  std::int32_t m_nSectorOffset = 0;
  std::int32_t m_nCurSector = 0;
  std::int32_t m_nPrevSector = 0;
  std::int32_t m_nDumpBreaks = 0;      // renderer words
  std::int32_t m_bDate1904 = 0;
  std::int32_t m_nLanguageSetting = 0; // nonzero forbids 0xD7 -> 81 7E
};

// B. Update, load and lock state (views, document, macro run control).
struct DocUpdateFields {
  UpdateCode m_nUpdateCode = UpdateCode::kNone;  // what the next update of all views asks (update_code.h)
  std::int32_t m_nLoadState = 0;       // 0 nothing loaded, 1 loaded, 99 a view runs its own OnUpdate
  std::int32_t m_nUpdateLockCount = 0; // nesting of window-update locks
  std::int32_t m_nOpenContext = 0;     // 0 normal, 1 binary/raw, 2 source (no converters)
  std::int32_t m_nFileKind = 0;        // FileKind of the current file (the view keeps its own copy)
  std::int32_t m_nChangeState = 0;     // 1 after the one-line macro ran, 99 other commands
  std::int32_t m_nLayoutRequest = 0;   // text layout 5-8 for SetTextLayout
  std::int32_t m_nFormWork = 0;        // cleared by the binary/source display command
  std::int32_t m_nOpenWork1 = 0;
  std::int32_t m_nOpenWork2 = 0;
  std::int32_t m_nPendingViewCmd = 0;  // capture / metafile / image write request for the view
  std::int32_t m_nPrintRequest = 0;    // 1 print, 2 preview, 3 margins
  std::int32_t m_nPrintRequest2 = 0;   // second print word
  std::int32_t m_nPrintSetState = 0;   // 2 = fill unset margins
  std::int32_t m_nRedrawState = 0;     // 99 during a redraw; 40, 38, 37, 999 ask for another
  std::int32_t m_nDisplayFlag = 0;     // display word beside m_nLoadState
  std::int32_t m_nScheduleState = 0;   // 0 start, 1/2 after the first/second list update, 9 loaded elsewhere
  std::int32_t m_nListInit = 0;        // 2 at the first list update
  std::int32_t m_nColumnLayoutPasses = 0;
  std::uint32_t m_bAbort = 0;          // 1 = stop the long operation (CheckEscapeAbort)
  // Words of the macro statements (names chosen here).
  std::int32_t m_nDocState = 0;        // document state word
  std::int32_t m_nLayoutState = 0;     // 2 = views not updated
  std::int32_t m_nAssocMode = 0;       // 3 around SetDefaultAssociations
  std::int32_t m_anLoadnetState[3] = {};  // "loadnet" state words
  std::int32_t m_nLoadnetMode = 0;        // and its mode word
  std::int32_t m_anLoadRaise[3] = {};     // size settings raised for loads
  std::int32_t m_nSheetConvMode = 0;      // spreadsheet conversion mode (10, 11, 13)
  CString m_strConvTable;                 // converted table buffer
  CString m_strMacroStopText;             // macro stop text
};

// C. Paths, sides, history and jumps (document, file list, macros).
struct DocPathFields {
  CString m_strProgramDir;             // program folder, no trailing "\"
  CString m_strPath1, m_strPath2;      // current file path of side 1 / 2
  std::uint32_t m_nActiveSide = 1;     // 1 selects m_strPath1, anything else m_strPath2
  CString m_strListDir1, m_strListDir2;  // folders shown by the lists of side 1 / 2
  std::int32_t m_nActiveListSide = 1;
  std::int32_t m_nActiveTextPane = 1;  // 1-5, compared with the view's m_nPaneIndex
  std::int32_t m_nTextPaneCol1 = 0;    // column words of the text-pane layout
  std::int32_t m_nTextPaneCol2 = 0;
  CString m_strDocPath;                // path last opened into the document
  CString m_strCurFile;                // current work file
  CString m_strOpenPath2;              // second media path of the list macros
  CString m_strActiveViewFile;         // file shown by the active text view
  CString m_strShownImagePath;         // picture the converter loaded for the view
  CString m_strDocName;                // file name (macro slot 114)
  CString m_strDocBaseName;            // file name without extension (macro slot 126)
  CString m_strParamPath;              // "&PARA": folder + base name of the document
  CString m_strHistory[kHistorySize];  // visited paths (AddToHistory)
  std::int32_t m_nHistoryCount = 0;    // 0-29
  std::int32_t m_aHistoryTop[kHistorySize] = {};  // pane*100000 + first visible line
  std::int32_t m_nHistoryPos = 0;
  std::int32_t m_nJumpLine = 0;        // line to show after the next open, stored negated
  std::int32_t m_nJumpSel = 0;         // column*256 + length to select after the next open
  CString m_strJumpSuffix;             // timer-42 jump
  CString m_strJumpText;
  std::int32_t m_nJumpFlag = 0;
  std::int32_t m_nSearchLoadMode = 0;  // 10 names, 9 with file name, 11 contents
  std::int32_t m_nSearchDirection = 0; // 0 down, 1 up
  std::uint32_t m_bInternetSearch = 0;
  std::int32_t m_bStartFile = 0;       // 1 when the command line named a file
  std::int32_t m_nInstanceNo = 0;      // number of this running copy (0 = first)
};

// D. Settings read from "Dorvik.inf". The keys, their defaults and ranges are
// one table (settings_table.cpp); DvkDocData's constructor applies the
// defaults, so the fields here start at zero.
struct DocSettingsFields {
  std::int32_t m_nIndata = 0;          // "indata": normal read limit
  std::int32_t m_nOutdata = 0;         // "outdata": output bound of converters and searches
  std::int32_t m_nBmpfile = 0;         // "bmpfile": rows per page of a paged CSV table
  std::int32_t m_nBmpdata = 0;         // "bmpdata": columns of a paged CSV table
  std::int32_t m_nTblMax = 0;          // "n_tbl": table capacity, at least 10
  std::int32_t m_nRtbl = 0;            // "r_tbl": grid line width / bytes per column buffer
  std::int32_t m_nChar = 0;            // "n_char": characters per line (<= 510)
  std::int32_t m_nTab = 0;             // "tab": tab width
  std::int32_t m_nFlist = kFlistAtConstruction;  // clean-up sign, then the list's capacity
  std::int32_t m_nListCapacity = 0;    // "flist": entries a list holds
  std::int32_t m_nFhold = 0;           // "fhold": most entries one listing reads
  std::int32_t m_nTblsiz = 0;          // table size index 1-11
  std::int32_t m_nTxtsiz = 0;          // text size index 1-11
  std::int32_t m_nPrspace[3] = {};     // packed print spacing
  std::uint32_t m_nTextBufSize = 0;    // largest decoded/pixel data kept
  std::uint32_t m_nTextBufSize2 = 0;   // largest file read by the image code
  CString m_strPictExt[5];             // picture extensions of kinds 17-21
  CString m_strProfnt;                 // "profnt"
  CString m_strTblfnt;                 // "tblfnt"
  COLORREF m_clrTxchar = 0;            // "txchar": text colour
  COLORREF m_clrTextBack = 0xFFFFFF;   // background last sent to the rich edit
  std::int32_t m_nBackColorIndex = 0;  // 0-6
  std::uint32_t m_bHideQuotes = 0;     // 1 = CSV quotes hidden (33035)
  std::uint32_t m_nFshell = 0;         // 1 = start programs with "runas"
  std::int32_t m_nSclic = 0;           // single click opens folders
  std::int32_t m_nFdrag = 0;           // dragging files out allowed
  std::uint32_t m_bUtf8Names = 0;      // names on disk / in archives are UTF-8 (33080)
  std::uint32_t m_bUpdateCopy = 0;     // copy overwrites only newer files (32936)
  std::uint32_t m_bKeepFileDate = 0;   // saves keep the opened file's date (32951)
  std::int64_t m_tOpenedFileTime = 0;  // modification time at open (seconds since 1970)
  std::uint32_t m_bArcTmpRoot = 0;     // archives staged below "C:\ARCHTMP\" (32916)
  std::int32_t m_nXlsMode = 0;         // Excel display form (32953 toggles 0/1)
  std::int32_t m_nConvStyle = 0;       // converter switches
  std::int32_t m_nXlsDecimals = 0;
  std::int32_t m_nFixedDecimals = 0;
  std::int32_t m_nGroupSwitch = 0;
  std::uint32_t m_bTableLayout = 0;
  std::uint32_t m_bLatin1Text = 0;
  std::int32_t m_nPdfWidthAdjust = 0;  // 1-5 (33029)
  std::int32_t m_nPdfTdAdjust = 0;     // 40-115 step 5 (33030)
  std::int32_t m_bQuickLoad = 0;       // renderer switches
  std::int32_t m_bShortView = 0;
  std::int32_t m_bBinaryView = 0;
  std::int32_t m_bRtfAsSource = 0;
  std::int32_t m_bMarkupMode = 0;
  std::uint32_t m_bKeepLayout = 0;     // markup renderer switches
  std::uint32_t m_bLinkList = 0;
  std::int32_t m_nTextOnly = 0;
  std::int32_t m_nTextOnlyLines = 0;
  std::uint32_t m_bAsciiSymbols = 0;
  std::uint32_t m_bNoCharConv = 0;
  std::uint32_t m_bSpacesInWords = 0;  // text view word and link behaviour
  std::uint32_t m_bShortLinkSelect = 0;
  std::uint32_t m_bExternalBrowser = 0;
  // List painter colours and fonts.
  COLORREF m_clrOnTitle = 0;
  COLORREF m_clrOffTitle = 0;
  COLORREF m_clrPass1 = 0;
  COLORREF m_clrPass2 = 0;
  COLORREF m_clrOnSelect = 0;
  COLORREF m_clrOffSelect = 0;
  COLORREF m_clrNormal = 0;
  COLORREF m_clrFolder = 0;
  COLORREF m_clrHidden = 0;
  COLORREF m_clrSystem = 0;
  COLORREF m_clrReadOnly = 0;
  COLORREF m_clrExeFile = 0;
  COLORREF m_clrListBack = 0;
  CString m_strBtitleFace;             // "btitle" (also the user dialog font)
  std::int32_t m_nBtitleSize = 0;
  CString m_strStitleFace;             // "stitle"
  std::int32_t m_nStitleSize = 0;
  std::int32_t m_nBttlht = 0;          // line heights
  std::int32_t m_nSttlht = 0;
  // Table engine's spacing and colour commands.
  std::int32_t m_bSpacingAtLeast = 0;
  std::int32_t m_nCharHeightMode = 0;
  COLORREF m_aclrCustom[2] = {};
};

// E. Window, layout and display (frame, list start-up, view commands).
struct DocWindowFields {
  std::int32_t m_nLayoutMode = 0;      // 0-4, 8 normal; 9-14, 18 side by side
  std::int32_t m_nSideDisplay = 0;     // start window modes
  std::int32_t m_nWindowMode = 0;
  std::int32_t m_nPosi[kPosiWords] = {};  // "posi": [1..4] window, [6] list extent
  std::int32_t m_nFlistD = 0;          // "posi;": date-column widths
  std::int32_t m_nDirSort = 0;         // "posi<": folder order digits
  std::int32_t m_nStartSort1 = 0;      // start-up sort orders (+10 after use)
  std::int32_t m_nStartSort2 = 0;
  CRect m_rcNormalWindow;
  CRect m_rcSaved;                     // rectangle stored on request
  std::int32_t m_nCompactStart = 0;    // > 0: window at 10,10 size 200x30
  std::int32_t m_nImageZoom = 0;       // display-style words of view commands
  std::int32_t m_nTableStyle = 0;
  std::int32_t m_nTableStyleFlag = 0;
  std::int32_t m_nColumnWidthMode = 0;
  std::uint32_t m_bSizeHigh = 0;       // display-size switches
  std::uint32_t m_bSizeLower = 0;
  std::int32_t m_nPresentation = 0;    // nonzero while a key macro runs as a presentation
  std::int32_t m_anPresentation[4] = {};
  std::uint32_t m_bTableEditMode = 0;  // 1 while a ruled table is edited (33049)
  std::int32_t m_nDocEditMode = 0;     // the active view's edit mode
};

// F. Keys, links, picture markers and the image load record (views, images).
struct DocKeyImageFields {
  std::uint32_t m_bShiftHeld = 0;      // 1 while Shift is held; 2+ with Ctrl too
  std::uint32_t m_bCtrlHeld = 0;       // 1 while Ctrl is held
  std::uint32_t m_bKeyFeed = 0;        // 1 while the view feeds keys to itself
  std::int32_t m_nViewLink = -1;       // set by the list; gates edge cursors / capture zone
  std::int32_t m_nEdgeCursorOff = 0;
  std::int32_t m_nPaneAction = 0;      // handed to the other text panes
  std::int32_t m_nPaneSyncLine = 0;
  std::int32_t m_nLinkMode = 0;        // 0, 1, 99
  std::uint32_t m_bOpenFromLink = 0;
  std::int32_t m_nLinkPaneFlag = 0;
  std::uint32_t m_bLinkOpened = 0;
  std::int32_t m_nBrowserLink = 0;
  CString m_strPendingAddress;
  CString m_strLinkTarget;
  std::int32_t m_nImageState1 = 0;     // picture-marker words
  std::int32_t m_nImageState2 = 0;
  std::int32_t m_nImageLoadInfo = 0;   // 9999 before a marker's picture opens
  // Image load record, filled by LoadImageFile and taken over by the view.
  std::uint8_t m_bmiLoad[2000] = {};
  std::int32_t m_nLoadInfoSize = 0;
  std::uint8_t* m_pLoadBits = nullptr;
  std::uint32_t m_nLoadBitsAlloc = 0;
  void* m_hLoadBits = nullptr;
  std::int32_t m_nLoadBitsOwner = 0;   // 0 none, 1 malloc, 2 LocalAlloc
  std::int32_t m_nLoadStride = 0;
  std::uint32_t m_nLoadDataSize = 0;
  std::int32_t m_nLoadWidth = 0;
  std::int32_t m_nLoadHeight = 0;
  std::int32_t m_nLoadReady = 0;       // 0/1/2
  std::int32_t m_nTrimMode = 0;        // trimming from the file name (48-px units)
  std::int32_t m_nTrimTop = 0;
  std::int32_t m_nTrimLeft = 0;
  std::int32_t m_nTrimBottom = 0;
  std::int32_t m_nTrimRight = 0;
  std::uint32_t m_aImageSettings[kImageSettingsWords] = {196};  // word 0 = 196
  std::uint8_t* m_pImageClip = nullptr;  // region clip (in-memory BMP)
  std::uint32_t m_nImageClipSize = 0;
  std::int32_t m_nImageClipKind = 0;
  std::int32_t m_rcImageClip[4] = {-1, -1, -1, -1};
  CPoint m_ptMeasureOrigin{-1, -1};    // (-1,-1) = none
  CPoint m_ptMeasurePoint{-1, -1};
  std::int32_t m_nMapScale = 0;
  // Words of the text-view workbench (names chosen here).
  std::int32_t m_bPictureSwitch = 0;
  std::int32_t m_bRegionLock = 0;
  std::int32_t m_nPastedImageCount = 0;
  std::int32_t m_nPauseState = 0;      // 2 stops the recording clock
  std::int32_t m_bTableOpenMark = 0;   // "mark as in table open"
  std::int32_t m_nOpenMode11 = 0;
  std::int32_t m_nWorkbenchOpt1 = 0;
  std::int32_t m_nWorkbenchOpt2 = 0;
};

// G. File-list exchange words (file list and its macros).
struct DocListFields {
  std::int32_t m_nListHold = 0;        // > 0 stops list builds early at start
  std::int32_t m_nListRequest = 0;     // 1 list the side's path, 2 drive list
  std::int32_t m_nListWheel = 0;       // side+40 / side+60
  std::int32_t m_nListInput = 0;       // 37/38/40 keys, 99 store rectangle, 999 click
  CPoint m_ptListClick;
  std::int32_t m_nListReloadRequest = 0;  // 1 next scroll, 2 next activation
  std::int32_t m_nListUpdateCode = 0;  // relay codes for the list builder, media codes for the view
  std::int32_t m_nListMacroState = 0;  // key-macro relay flag
  std::int32_t m_nListMacroSelA = 0;   // the four words after it
  std::int32_t m_nListMacroSelB = 0;
  std::int32_t m_nListMacroSelC = 0;
  std::int32_t m_nListMacroSelD = 0;
  std::int32_t m_nListRedrawMode = 0;  // 2 paused, 1 resumed
  std::int32_t m_nStatusHold = 0;      // 3: the list builder leaves the status bar alone
  std::int32_t m_nRunRequest = 0;
  std::int32_t m_nViewState = 0;
  std::uint32_t m_bAutoPlayMedia = 0;  // 32969
  std::int32_t m_nLaunchFollowUp = 0;  // 1 armed, 0, 2, -1
  std::int32_t m_nListCursorHint = 0;
  std::int32_t m_nListLastIndex = 0;
  std::int32_t m_nListMacroParam = 0;
  std::int32_t m_nListOpenMark = 0;
  std::int32_t m_nScMain = 0;
  std::int32_t m_nScSub = 0;
  std::int32_t m_nListSyncMode = 0;
  std::int32_t m_nListPageHint = 0;    // side + 40 / side + 60
  std::int32_t m_nMediaPaused = 0;
  // Folder comparison (freed by ClearMarks(1)).
  std::int32_t m_nCompareCount = 0;    // 1 = publish request, then n published
  std::int32_t m_nCompareSide = 0;
  char* m_pCompareNames = nullptr;     // n x 256-byte records
  std::uint32_t m_aCompareSize[kCompareMax] = {};
  std::uint32_t m_aCompareTime[kCompareMax] = {};
  std::uint8_t m_aCompareMine[kCompareMax] = {};   // result codes 0-4
  std::uint8_t m_aCompareOther[kCompareMax] = {};
  // Tree walk totals (callers zero them before a walk).
  std::int32_t m_nTreeDepth = 0;
  std::int32_t m_nTreeFiles = 0;
  std::uint64_t m_nTreeBytes = 0;
  // Words of the list's mouse and file commands (names chosen here).
  std::int32_t m_bOrderedSelect = 0;
  CString m_strExtractTarget;
  CString m_strSecondPath;
  std::int32_t m_nListOpenGuard = 0;   // 9999 before a list open
  std::int32_t m_nOpenOption1 = 0;
  std::int32_t m_nOpenOption2 = 0;
  std::int32_t m_nLayoutFlag = 0;      // tested with layout modes 9-11
  std::int32_t m_nPathClick = 0;
  std::int32_t m_nOpenFlags = 0;       // per-open flags a single click resets
  std::int32_t m_bPendingLoad = 0;
  // Media and sound.
  std::int32_t m_nMediaState = 0;
  std::int32_t m_nMediaState2 = 0;
  CString m_strMediaPath;              // file open for playing
  std::int32_t m_nMediaPos = 0;
  std::int32_t m_nMediaUnits = 0;
  std::int32_t m_nMediaScale = 0;
  std::int32_t m_nMediaPosValue = 0;
  std::int32_t m_nLoopPlay = 0;
  std::int32_t m_bSoundPlay = 0;
  std::int32_t m_nSoundCount1 = 0;
  std::int32_t m_nSoundCount2 = 0;
};

// Archive codec globals (one struct, as the archive code shares them).
struct ArcState {
  std::uint32_t m_nArcInSize = 0;
  std::uint32_t m_nArcOutMax = 0;
  std::uint32_t m_nArcOutLen = 0;
  std::int32_t m_nArcAttr = 0;         // also the attribute byte an extraction leaves
  std::int32_t m_nArcProgress = 0;
  std::uint8_t* m_pArcOutBuf = nullptr;
};

// H. System file, FTP, encryption, archives and macro run control.
struct DocSystemFields {
  CString m_strSysKey[kSysSlots];      // "Dorvik.sys" keys and values by slot
  CString m_strSysValue[kSysSlots];
  // FTP site entries 0-2: one storage with m_strSysValue[26..28].
  CString& FtpEntry(int i) { return m_strSysValue[kFtpEntryFirstSlot + (i < 0 || i > 2 ? 0 : i)]; }
  const CString& FtpEntry(int i) const {
    return m_strSysValue[kFtpEntryFirstSlot + (i < 0 || i > 2 ? 0 : i)];
  }
  CString m_strEncryptKeyCode;         // key code of dialog 154
  std::uint32_t m_bFtpConnected = 0;
  CFtpConnection* m_pFtpConnection = nullptr;
  CInternetSession* m_pInternetSession = nullptr;
  UnZipFn m_pfnUnZip = nullptr;        // "UnZip" of unzip32.dll, or null
  void* m_hUnzipModule = nullptr;
  ArcState m_arc;
  char m_szScratchPath[260] = {};      // ArchiveLzh member folders
  std::int32_t m_bArcMessage = 0;      // CreateArchive adds "ZIP compression error"
  std::uint32_t m_bExternalRun = 0;    // started with "&ext&" (never cleared)
  CString m_strMacroRequestFile;       // macro request polling
  CString m_strRequestMacroDir;
  std::int32_t m_nRequestSlot = 0;
  std::uint32_t m_bMacroStepMode = 0;  // macro run control
  std::int32_t m_nMacroDebugMode = 0;  // 0 off, > 0 on, 1001/1002 requests, 99
  std::int32_t m_nMacroStopPos = 0;
  std::int32_t m_nMacroStopLine = 0;
  std::int32_t m_nMacroStatusMode = 0; // 0-3
  std::int32_t m_nSavedMacroLine = 0;
};

// Everything the document holds apart from its window-side members.
struct DvkDocData : DocTextFields,
                    DocUpdateFields,
                    DocPathFields,
                    DocSettingsFields,
                    DocWindowFields,
                    DocKeyImageFields,
                    DocListFields,
                    DocSystemFields {
  // Every field of the settings files at its default (settings_table.cpp).
  DvkDocData();
  // The current path of the active side (m_strPath1 when m_nActiveSide is 1).
  CString& ActivePath() { return m_nActiveSide == 1 ? m_strPath1 : m_strPath2; }
};

}  // namespace app
