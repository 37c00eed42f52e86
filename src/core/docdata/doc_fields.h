// The fields of the one document, grouped by the subsystem that mainly works
// on them. Each group is a plain struct with its defaults; the document
// (CDvkDoc) inherits all of them through DvkDocData, so window code writes
// `doc->m_nUpdateCode` while portable code (converters, CSV and macro logic,
// tests) can take a DvkDocData& or just the group it needs.
//
// Other names under which parts of the program refer to a field are listed in
// docs/design.md ("Document fields"); code uses only the names below.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/docdata/update_code.h"
#include "fw/alloc.h"
#include "fw/cstring.h"
#include "fw/geometry.h"
#include "fw/types.h"

typedef DWORD COLORREF;  // as windows.h declares it

namespace app {

// "UnZip" of unzip32.dll: (window, command line, output buffer, its size).
using UnZipFn = int (*)(void* hwnd, const char* cmdLine, char* output, std::uint32_t size);

constexpr int kSysSlots = 60;          // "Dorvik.sys" slots
constexpr int kPosiWords = 10;         // numbers of the "posi" line
constexpr int kFtpEntryFirstSlot = 26;  // FTP site entries 1-3 are slots 26-28
constexpr int kHistorySize = 30;
constexpr int kImageSettingsWords = 49;  // words of the image settings
constexpr int kFlistAtConstruction = 9001;  // the first list view sets 9000 and cleans

// A. Text buffer, streaming and the last render (text view, document).
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
  std::int32_t m_nConvSize = 0;        // file length of the last render
  std::int32_t m_bFileCut = 0;         // 1 = the last render read the file only in part
  std::int32_t m_nRawPage = 0;         // 64 KB page of the raw view; negative = last
  std::int32_t m_nDumpBreaks = 0;      // 1: the converters' inspection dump breaks its lines
  std::int32_t m_nExtractNo = 0;       // embedded item the next render extracts (0 none)
  std::int32_t m_nExtractLetter = 0;   // letter of that item
  CString m_strConvImage;              // scratch picture a converter wrote last
  std::int32_t m_nConvStatus = 0;      // converter status shared with the archive writer (0, 1, 2)
  std::uint8_t m_abSjisChar[10] = {};  // the converters' character (textcodec::ConvertCharToSjis)
};

// B. Update, load and lock state (views, document).
struct DocUpdateFields {
  UpdateCode m_nUpdateCode = UpdateCode::kNone;  // what the next update of all views asks (update_code.h)
  std::int32_t m_nLoadState = 0;       // 0 nothing loaded, 1 loaded, 99 a view runs its own OnUpdate
  std::int32_t m_nUpdateLockCount = 0; // nesting of window-update locks
  std::int32_t m_nOpenContext = 0;     // 0 normal, 1 binary/raw, 2 source (no converters)
  std::int32_t m_nFileKind = 0;        // FileKind of the current file (the view keeps its own copy)
  std::int32_t m_nChangeState = 0;     // 1 after the one-line macro ran, 99 other commands
  std::int32_t m_nPendingViewCmd = 0;  // capture / metafile / image write request for the view
  std::int32_t m_nPrintRequest = 0;    // 1 print, 2 preview, 3 margins
  std::int32_t m_nRedrawState = 0;     // 99 during a redraw; 40, 38, 37, 999 ask for another
  std::int32_t m_nDisplayFlag = 0;     // display word beside m_nLoadState
  std::int32_t m_nScheduleState = 0;   // 0 start, 1/2 after the first/second list update, 9 loaded elsewhere
  std::int32_t m_nListInit = 0;        // 2 at the first list update
  std::uint32_t m_bAbort = 0;          // 1 = stop the long operation (CheckEscapeAbort)
  // Macro run control, the one place these words live (the view's commands
  // and the interpreter both work on them): debug mode (0 off, above 0 on,
  // 1001 / 1002 a request to the text view's update, 99 a run that ends it),
  // the resume offset and line of a run stopped in debug mode (0: none) and
  // step mode (1: stop after every statement).
  std::int32_t m_nMacroDebugMode = 0;
  std::int32_t m_nMacroStopPos = 0;
  std::int32_t m_nMacroStopLine = 0;
  std::uint32_t m_bMacroStepMode = 0;
  // The text view's timers and the status bar's media strip.
  std::int32_t m_nMediaPosValue = 0;   // play position value set by a press on the strip
  std::uint32_t m_nLoopPlay = 0;       // loop play of the shown medium (the view's flag stored)
  std::uint32_t m_bSoundPlay = 0;      // 1 while the document plays a sound
  std::int32_t m_nSoundCount1 = 0;     // that sound's position and length (ms)
  std::int32_t m_nSoundCount2 = 0;
  std::uint32_t m_bPictureSwitch = 0;  // on: a text beginning "+  " is no page form
  std::int32_t m_nPrintSetState = 0;   // 2: the print margins are filled after a preview
  std::int32_t m_nPastedImageCount = 0;  // pasted images the document holds
};

// C. Paths, sides, history and jumps (document, file list, macros).
struct DocPathFields {
  CString m_strProgramDir;             // program folder, no trailing "\"
  CString m_strPath1, m_strPath2;      // current file path of side 1 / 2
  std::uint32_t m_nActiveSide = 1;     // 1 selects m_strPath1, anything else m_strPath2
  CString m_strListDir1, m_strListDir2;  // folders shown by the lists of side 1 / 2
  std::int32_t m_nActiveListSide = 1;
  std::int32_t m_nActiveTextPane = 1;  // 1-5, compared with the view's m_nPaneIndex
  CString m_strDocPath;                // path last opened into the document
  CString m_strCurFile;                // current work file
  CString m_strActiveViewFile;         // file shown by the active text view
  CString m_strShownImagePath;         // picture a conversion loaded for the view ("" none); reloads open it
  CString m_strDocName;                // file name (macro slot 114)
  CString m_strDocBaseName;            // file name without extension (macro slot 126)
  CString m_strParamPath;              // "&PARA": folder + base name of the document
  CString m_strHistory[kHistorySize];  // visited paths (AddToHistory)
  std::int32_t m_nHistoryCount = 0;    // 0-29
  std::int32_t m_nJumpLine = 0;        // line to show after the next open, stored negated
  std::int32_t m_nJumpSel = 0;         // column*256 + length to select after the next open
  CString m_strJumpText;
  CString m_strJumpSuffix;             // the "::" suffix of a followed word
  // Links followed from the text view: where each history entry was left
  // (pane * 100000 + first visible line), the entry a going back would take,
  // and the hand-over to the views or the outside browser.
  std::int32_t m_aHistoryTop[kHistorySize] = {};
  std::int32_t m_nHistoryPos = 0;
  std::int32_t m_nLinkMode = 0;        // 0, 1 (show beside the text) or 99 (relative to the history)
  CString m_strPendingAddress;         // an address the views open themselves
  CString m_strLinkTarget;             // the last path followed
  std::uint32_t m_bOpenFromLink = 0;
  std::int32_t m_nLinkPaneFlag = 0;
  std::uint32_t m_bLinkOpened = 0;
  std::int32_t m_nBrowserLink = 0;
  // The picture a marker asks for: its load state reset before the open.
  std::int32_t m_nImageState1 = 0;
  std::int32_t m_nImageState2 = 0;
  std::int32_t m_nImageLoadInfo = 0;
  std::int32_t m_nSearchDirection = 0; // 0 down, 1 up
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
  // The document's image settings words (word 0 = their byte count, 196):
  // the "picture" keys set the colour engine's words, the picture commands
  // the display words, the loaders and the "%" letter of an open the rest.
  // The document's load record reads and writes these words; the view
  // copies them when it takes a picture over.
  std::uint32_t m_aImageSettings[kImageSettingsWords] = {kImageSettingsWords * 4};
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
  std::int32_t m_nColumnLayoutPasses = 2;  // list paints that still recompute the column layout
  CRect m_rcNormalWindow;
  CRect m_rcSaved;                     // rectangle stored on request
  std::int32_t m_nCompactStart = 0;    // > 0: window at 10,10 size 200x30
  std::int32_t m_nTableStyle = 0;
  std::int32_t m_nTableStyleFlag = 0;
  std::int32_t m_nColumnWidthMode = 0;
  std::uint32_t m_bSizeHigh = 0;       // display-size switches
  std::uint32_t m_bSizeLower = 0;
  std::uint32_t m_bTableEditMode = 0;  // 1 while a ruled table is edited (33049)
};

// The clip of the picture region commands, shared by every view so that a
// region copied in one picture pastes into the next: an in-memory BMP file
// ("BM", file header, info header, colour table, rows bottom-up), its size
// word, the kind of file it was taken from and the region it was taken from.
struct ImageClip {
  ImageClip() = default;
  ~ImageClip() { fw::Free(m_pImageClip); }
  ImageClip(const ImageClip&) = delete;
  ImageClip& operator=(const ImageClip&) = delete;

  // Makes room for `bytes` (the contents up to the smaller size are kept);
  // false, with the buffer as it was, when the memory is refused.
  bool Reserve(std::uint64_t bytes) {
    if (bytes == 0 || bytes > SIZE_MAX) return false;
    void* grown = fw::Realloc(m_pImageClip, static_cast<std::size_t>(bytes));
    if (!grown) return false;
    m_pImageClip = static_cast<std::uint8_t*>(grown);
    m_nImageClipCapacity = bytes;
    return true;
  }
  // The bytes the buffer holds (0 without one).
  std::uint64_t Capacity() const { return m_pImageClip ? m_nImageClipCapacity : 0; }

  std::uint8_t* m_pImageClip = nullptr;
  std::uint64_t m_nImageClipCapacity = 0;
  // After a copy the pixel bytes, after a crop the whole previous picture's
  // file size, after an insert the buffer's size.
  std::uint32_t m_nImageClipSize = 0;
  std::int32_t m_nImageClipKind = 0;  // file kind of the source
  // The region the clip was taken from; also the region last drawn by a
  // canvas on a text screen (-1 in left or right: none).
  CRect m_rcImageClip{-1, -1, -1, -1};
};

// F. Keys and the hand-over between text panes (views).
struct DocKeyImageFields {
  std::uint32_t m_bShiftHeld = 0;      // 1 while Shift is held; 2+ with Ctrl too
  std::uint32_t m_bCtrlHeld = 0;       // 1 while Ctrl is held
  std::int32_t m_nPaneAction = 0;      // handed to the other text panes
  std::int32_t m_nPaneSyncLine = 0;
  // The pane-column words of the text layout (0 or 1): the column a macro
  // debug run picks from the first and the second pane of a pair.
  std::int32_t m_nTextPaneCol1 = 0;
  std::int32_t m_nTextPaneCol2 = 0;
  // The picture regions' clip.
  ImageClip m_imageClip;
  // The measuring origin and point of the pixel probe ((-1, -1): none) and
  // the map scale denominator of its region measure (1: the paper's size).
  CPoint m_ptMeasureOrigin{-1, -1};
  CPoint m_ptMeasurePoint{-1, -1};
  std::int32_t m_nMapScale = 1;
};

// G. File-list exchange words (file list).
constexpr int kCompareSlots = 9000;  // entries a compare hand-over carries

struct DocListFields {
  DocListFields() = default;
  ~DocListFields();
  DocListFields(const DocListFields&) = delete;
  DocListFields& operator=(const DocListFields&) = delete;

  std::int32_t m_nListReloadRequest = 0;  // 1 next scroll, 2 next activation
  std::int32_t m_nLaunchFollowUp = 0;  // 1 armed, 0, 2, -1
  std::int32_t m_nListHold = 0;        // > 0: list builds hold (update-hold word)
  std::int32_t m_nListRequest = 0;     // to the pane not active: 1 list the side's path, 2 the drive list
  // Sound and video start by themselves after a file is shown; held at 0
  // while the rename command rebuilds the list.
  std::uint32_t m_bAutoPlayMedia = 0;
  // Folder comparison: 1 asks the other pane for its names; above 1 the
  // number of records published (2-9000) while a comparison is shown.
  std::int32_t m_nCompareCount = 0;
  std::int32_t m_nCompareSide = 0;     // side that asked
  // A wheel turn handed to the other pane: the turning pane's side + 40
  // (towards the user) or + 60 (away), for one update of all views.
  std::int32_t m_nListPageHint = 0;
  // Input handed to a list pane by the next update: 37, 38, 40 (keys), 99
  // (store the pane's rectangle in m_rcSaved), 999 (a click at m_ptListClick).
  std::int32_t m_nListInput = 0;
  CPoint m_ptListClick;                // screen point of the forwarded click
  char* m_pCompareNames = nullptr;     // published 256-byte name records (fw::Alloc)
  std::uint32_t* m_aCompareSize = nullptr;   // kCompareSlots values each, or null
  std::uint32_t* m_aCompareTime = nullptr;
  std::uint32_t* m_aCompareMine = nullptr;   // compare results 0-4 of the asking side's entries
  std::uint32_t* m_aCompareOther = nullptr;  // and of the other side's
  // Frees the published names (the compare words stay).
  void FreeCompareNames();
  // The folder a double-click extracts the program's marked archive forms
  // into ("" = beside the archive); a click in the list empties it.
  CString m_strExtractTarget;

  // The keys and mouse of a list pane.
  std::int32_t m_nListUpdateCode = 0;  // sub-code the views carry out at their next update (media keys 1-9, 31, 32, 41, 42)
  std::int32_t m_nMediaState = 0;      // above 0 while a media file of the list plays
  std::int32_t m_nMediaState2 = 0;     // above 0 while a slide show of the list runs
  CString m_strMediaPath;              // the media file that plays
  std::uint32_t m_bOrderedSelect = 0;  // clicks append to the mark order instead of starting it
  std::int32_t m_nOpenFlags = 0;       // per-open flags, reset by a single click
  std::uint32_t m_bPendingLoad = 0;    // a load waits: the next single click marks the text loaded
  std::int32_t m_nPathClick = 0;       // path-click word, 0 after a click on the path line
  std::int32_t m_nLayoutFlag = 0;      // 0: the side-by-side layouts 9-11 keep the list extent

  // Totals of the tree-size walk (fileops::GetDirectoryTreeSize); callers
  // zero them before a walk.
  std::int32_t m_nTreeDepth = 0;       // nesting depth of the walk
  std::int32_t m_nTreeFiles = 0;       // files counted
  std::uint64_t m_nTreeBytes = 0;      // their lengths in bytes
};

// H. System file, FTP entries, encryption and the unzip library.
struct DocSystemFields {
  CString m_strSysKey[kSysSlots];      // "Dorvik.sys" keys and values by slot
  CString m_strSysValue[kSysSlots];
  // FTP site entries 0-2: one storage with m_strSysValue[26..28].
  CString& FtpEntry(int i) { return m_strSysValue[kFtpEntryFirstSlot + (i < 0 || i > 2 ? 0 : i)]; }
  const CString& FtpEntry(int i) const {
    return m_strSysValue[kFtpEntryFirstSlot + (i < 0 || i > 2 ? 0 : i)];
  }
  CString m_strEncryptKeyCode;         // key code of dialog 154
  UnZipFn m_pfnUnZip = nullptr;        // "UnZip" of unzip32.dll, or null
  void* m_hUnzipModule = nullptr;
  std::uint32_t m_bExternalRun = 0;    // started with "&ext&" (never cleared)
  std::uint32_t m_bFtpConnected = 0;   // 1 while an FTP site is connected
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
