// The table of built-in function handlers and the call into it.
#include "macro/macro_builtins.h"

#include <cstring>

#include "csv/csv_buffer.h"
#include "macro/macro_fn_common.h"
#include "macro/macro_host.h"

namespace macro {
namespace {

// The library's families register their codes when the table is first
// used (one call from here, so that every program and test linking the
// library gets them).
struct HandlerTable {
  BuiltinHandler at[kBuiltinCodes] = {};
  HandlerTable() {
    RegisterFieldFunctions(at);
    RegisterDefinedFunctions(at);
    RegisterStatisticsFunctions(at);
    RegisterTextFunctions(at);
    RegisterLineFunctions(at);
    RegisterLookupFunctions(at);
    RegisterWidthFunctions(at);
    RegisterDateFunctions(at);
    RegisterTimeFunctions(at);
    RegisterNumberFunctions(at);
    RegisterConversionFunctions(at);
  }
};

HandlerTable& Table() {
  static HandlerTable table;
  return table;
}

}  // namespace

bool BuiltinArgs::Put(const void* bytes, int n) {
  if (pOut == nullptr || pnOutLen == nullptr || n <= 0) return n <= 0;
  int at = *pnOutLen < 0 ? 0 : *pnOutLen;
  if (at > nOutCapacity) at = nOutCapacity;
  const int room = nOutCapacity - at;
  const int take = n < room ? n : room;
  if (take > 0) std::memcpy(pOut + at, bytes, static_cast<std::size_t>(take));
  *pnOutLen = at + take;
  return take == n;
}

CString BuiltinArgs::Field(const BuiltinScope& scope) const {
  if (pSource == nullptr || pnReadPos == nullptr || *pnReadPos < 0) return CString();
  const std::uint32_t n = scope.sourceLength;
  std::uint32_t e = static_cast<std::uint32_t>(*pnReadPos);
  const std::uint32_t s = e;
  while (e < n && pSource[e] != csv::CSV_FIELD_SEP && pSource[e] != 0 && pSource[e] != '\r' && pSource[e] != '\n') ++e;
  return e > s ? CString(reinterpret_cast<const char*>(pSource + s), static_cast<int>(e - s)) : CString();
}

BuiltinHandler MacroBuiltinHandler(int code) {
  return code >= 0 && code < kBuiltinCodes ? Table().at[code] : nullptr;
}

BuiltinHandler MacroSetBuiltinHandler(int code, BuiltinHandler handler) {
  if (code < 0 || code >= kBuiltinCodes) return nullptr;
  BuiltinHandler old = Table().at[code];
  Table().at[code] = handler;
  return old;
}

CString MacroNotAvailableText(const CString& funcText) {
  CString text("#function not available yet : ");
  text += funcText;
  return text;
}

int MacroCallBuiltinFunction(BuiltinScope& scope, int nCode, int* pnParam, int nColumn, int nRow, int* pnReadPos,
                             int* pnOutLen, int* pnTitleState, int* pnStatState, const std::uint8_t* pSource,
                             std::uint8_t* pOut, const CString& strFuncText, const CString& strArgText,
                             int* pnPatternOption, int* pnFillDownPos, int* pnCountValue, int nOutCapacity) {
  // Codes below 0 and from 600 on are no function: nothing is written.
  if (nCode < 0 || nCode >= kBuiltinCodes) return 0;
  const BuiltinHandler handler = MacroBuiltinHandler(nCode);
  if (handler == nullptr) {
    if (scope.host) scope.host->ReportMessage(2, MacroNotAvailableText(strFuncText));
    return -1;
  }
  int param = 0, readPos = 0, outLen = 0, title = 0, stat = 0, option = 0, fill = 0, count = 0;
  BuiltinArgs a;
  a.nCode = nCode;
  a.pnParam = pnParam ? pnParam : &param;
  a.nColumn = nColumn;
  a.nRow = nRow;
  a.pnReadPos = pnReadPos ? pnReadPos : &readPos;
  a.pnOutLen = pnOutLen ? pnOutLen : &outLen;
  a.pnTitleState = pnTitleState ? pnTitleState : &title;
  a.pnStatState = pnStatState ? pnStatState : &stat;
  a.pSource = pSource;
  a.pOut = pOut;
  a.strFuncText = strFuncText;
  a.strArgText = strArgText;
  a.pnPatternOption = pnPatternOption ? pnPatternOption : &option;
  a.pnFillDownPos = pnFillDownPos ? pnFillDownPos : &fill;
  a.pnCountValue = pnCountValue ? pnCountValue : &count;
  a.nOutCapacity = pOut ? (nOutCapacity > 0 ? nOutCapacity : 0) : 0;
  if (*a.pnOutLen > a.nOutCapacity) *a.pnOutLen = a.nOutCapacity;
  if (*a.pnOutLen < 0) *a.pnOutLen = 0;
  handler(scope, a);
  // A handler that set the length past what it may write is held to it.
  if (*a.pnOutLen > a.nOutCapacity) *a.pnOutLen = a.nOutCapacity;
  if (*a.pnOutLen < 0) *a.pnOutLen = 0;
  return 0;
}

}  // namespace macro
