// Command ids of the text view's menus and keys (the program's numbered
// range). The view's message map, its context menus and its key table use
// these names; commands owned by later parts of the program are listed so
// their menu rows exist (greyed until a handler is there).
#pragma once

namespace viewcmd {

// General menu: edit, overwrite, block edit, find.
constexpr unsigned kCopy = 390;
constexpr unsigned kCut = 391;
constexpr unsigned kPaste = 392;
constexpr unsigned kOverwrite = 393;
constexpr unsigned kBlockEdit = 32886;
constexpr unsigned kFindMenu = 33052;
constexpr unsigned kFindReplace = 32966;
constexpr unsigned kFindNext = 33105;
constexpr unsigned kBlockTopLeft = 33199;
constexpr unsigned kBlockBottomRight = 33200;
constexpr unsigned kRegionTopLeft = 32973;
constexpr unsigned kRegionBottomRight = 32974;
constexpr unsigned kRegionClear = 32990;

// CSV section.
constexpr unsigned kCsvFindColumn = 33104;
constexpr unsigned kCsvNarrowSelect = 33097;
constexpr unsigned kCsvNarrowDelete = 33103;
constexpr unsigned kCsvSelectCheck = 33152;
constexpr unsigned kCsvUndoSelect = 33099;
constexpr unsigned kCsvColumnSum = 33107;
constexpr unsigned kCsvCrossTab = 33108;
constexpr unsigned kCsvCheckedSum = 33120;
constexpr unsigned kCsvCheckToMark = 33119;
constexpr unsigned kCsvMarkToCheck = 33148;
constexpr unsigned kCsvClearChecks = 33149;
constexpr unsigned kCsvQuoteCut = 33111;
constexpr unsigned kCsvQuoteAdd = 33110;
constexpr unsigned kCsvThousands = 33109;
constexpr unsigned kCsvAlignRight = 33195;
constexpr unsigned kCsvAlignLeft = 33196;
constexpr unsigned kCsvAlignCenter = 33197;
constexpr unsigned kCsvTrimTrailing = 33113;
constexpr unsigned kCsvTitleFix = 33207;
constexpr unsigned kCsvTitleAuto = 33208;

// Macro section (a stopped macro, kind 98).
constexpr unsigned kMacroHelpEdit = 33100;
constexpr unsigned kMacroHelpFile = 33101;
constexpr unsigned kMacroHelpVars = 33102;
constexpr unsigned kMacroHelpColumns = 33157;
constexpr unsigned kMacroInsertDialog = 33155;
constexpr unsigned kMacroInsertGraph = 33228;

// Printing.
constexpr unsigned kPrintOrigin = 33122;
constexpr unsigned kFilePrint = 0xE107;         // the framework's print (57607)
constexpr unsigned kFilePrintPreview = 0xE109;  // and preview (57609)

// Display (the document's handlers act on the active text view).
constexpr unsigned kViewZoomIn = 32777;
constexpr unsigned kViewZoomOut = 32778;
constexpr unsigned kViewStyle = 32784;
constexpr unsigned kViewStyle2 = 32989;
// Designed ids of the text view's own block above the numbered range.
constexpr unsigned kSplitWindow = 33240;  // the view's four-way split
constexpr unsigned kViewWrap = 33241;
constexpr unsigned kViewFont = 33242;
constexpr unsigned kViewBackColor = 33243;

// Key-macro commands that feed keys to the key handler.
constexpr unsigned kKeyMacroRecord = 32904;
constexpr unsigned kKeyMacroPlay = 32903;

}  // namespace viewcmd
