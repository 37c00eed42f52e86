// The keyword readers of the display, status, system-parameter and
// save-text statements: pure functions over the statement's operand, so
// that the executors only act on what they read.
#pragma once

#include <cstdint>

#include "fw/cstring.h"

namespace macro {

// Layout codes of "split" for the frame's text-layout word.
constexpr int kLayoutNone = 0;

// What a display statement's operand asks, in the order the statement
// applies it. Keywords are found by a plain, case-sensitive substring search.
struct DisplayWords {
  int layoutCode = kLayoutNone;  // "split2" 1, "split2V" 2, "split2Q" 3, "split4" 9, other 11
  bool handOver = false;         // "text" and one more byte
  int handOverPane = 0;          // the pane after 1 and 3 are swapped (1-4)
  bool title = false;            // "title"
  bool ruled = false;            // "disprtf", or the letter 'r' after "&Ma"
  bool plain = false;            // "disptxt", or the letter 't'
  int columnSizeDigit = -1;      // "csize" + a byte + a digit; -1 none
  bool quoteOff = false, quoteOn = false;
  bool fullToolbar = false;      // "full tbar"
  bool fileList = false, fullList = false, noList = false;
  bool noMenu = false;           // "no menu"
  bool noToolbar = false;        // "no tbar"
  bool selToolbar = false;       // "sel tbar"
};

// `letter` is the command's byte after "&Ma" (0 when it has none).
DisplayWords MacroReadDisplayWords(const CString& operand, char letter);

// The pane of "text" and a byte: a digit 1-4 with 1 and 3 swapped; any
// other byte gives pane 1 (the first text pane, as the activation does).
int MacroHandOverPane(char byte);

// What a status statement's operand asks.
struct StatusWords {
  int statusMode = -1;  // the last of "status off" 2, "status line" 1, "status on" 0, "status set" 3; -1 none
  bool showSet = false; // "status set": slot 161 into pane 0
  bool title = false;
};
StatusWords MacroReadStatusWords(const CString& operand);

// The system-parameter names, in the order they are looked for.
constexpr int kSysParaNames = 14;
enum SysParaName {
  kFilevol, kTextvol, kCsvline, kCsvclmn, kXlsitem, kXlsline, kXlschar,
  kTexttab, kListmax, kFldrmax, kBkcolor, kZerodiv, kQnodisp, kRtfdisp,
};
const char* MacroSysParaName(int k);

// Each name found in the operand and the value it stores: the number after
// it (the first number of the operand's text from the name on, 0 when there
// is none); "filevol" and "textvol" in bytes (megabytes × 1,048,576,
// computed in 64 bits and held at INT_MAX); "zerodiv" negated when the first
// '-' of that text stands after the name.
struct SysParaReading {
  bool found[kSysParaNames] = {};
  std::int32_t value[kSysParaNames] = {};
};
SysParaReading MacroReadSysPara(const CString& operand);

// The save statements' file name: every "\\" pair becomes one '\'; a name
// that begins with two backslashes (a network name) keeps both.
CString MacroNormaliseBackslashes(const CString& operand);

}  // namespace macro
