#include "csv/csv_fileopen.h"

#include <atomic>

#include "csv/csv_loadscan.h"
#include "fw/alloc.h"

namespace csv {

namespace {
std::atomic<bool> g_onePass{true};
}  // namespace

void SetOnePassOpen(bool on) { g_onePass.store(on, std::memory_order_relaxed); }
bool OnePassOpenOn() { return g_onePass.load(std::memory_order_relaxed); }

bool LoadTableInOnePass(const std::uint8_t* bytes, std::size_t n, textcodec::TextEncoding hint,
                        std::uint32_t margin, Table* table, int threads) {
  if (!OnePassOpenOn() || bytes == nullptr) return false;
  const textcodec::TextEncoding e =
      hint == textcodec::TextEncoding::kAuto ? textcodec::DetectTextEncoding(bytes, n) : hint;
  if (e != textcodec::TextEncoding::kShiftJis) return false;
  return table->LoadSjisFileBytes(bytes, n, margin, threads);
}

bool TextLoadFromTable(const Table& table, std::uint32_t margin, docopen::TextLoad* out) {
  *out = docopen::TextLoad();
  const std::uint32_t n = table.UsedLength();
  const std::uint64_t size = static_cast<std::uint64_t>(n) + 1 + margin;
  if (size > 0xFFFFFFFFull) {
    out->tooLarge = true;
    return false;
  }
  char* p = static_cast<char*>(fw::Alloc(static_cast<std::size_t>(size)));
  if (!p) {
    out->outOfMemory = true;
    return false;
  }
  WorkingFormToFileText(table.m_pTextBuf, n, reinterpret_cast<std::uint8_t*>(p));
  p[n] = '\0';
  out->text = p;
  out->length = n;
  out->capacity = static_cast<std::uint32_t>(size);
  out->info.encoding = textcodec::TextEncoding::kShiftJis;
  out->info.inner = textcodec::TextEncoding::kShiftJis;
  return true;
}

}  // namespace csv
