#include "csv/csv_fileopen.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "csv/csv_loadscan.h"
#include "fw/alloc.h"

namespace csv {

namespace {
std::atomic<bool> g_onePass{true};
std::atomic<std::uint32_t> g_taken{0};
}  // namespace

std::uint32_t OpenedTablesTaken() { return g_taken.load(std::memory_order_relaxed); }

void SetOnePassOpen(bool on) { g_onePass.store(on, std::memory_order_relaxed); }
bool OnePassOpenOn() { return g_onePass.load(std::memory_order_relaxed); }

bool LoadTableInOnePass(const std::uint8_t* bytes, std::size_t n, textcodec::TextEncoding hint,
                        std::uint32_t margin, Table* table, int threads, const docopen::LoadProgress* progress,
                        bool* stopped) {
  bool dummy = false;
  if (stopped == nullptr) stopped = &dummy;
  *stopped = false;
  if (!OnePassOpenOn() || bytes == nullptr) return false;
  // The pass declines bytes holding an ESC, so detection without the escape
  // search is the whole detection for every file it takes. On a large file
  // detection runs beside the pass (on another thread); the pass's work is
  // thrown away when the file is not Shift-JIS.
  using textcodec::TextEncoding;
  if (hint != TextEncoding::kAuto) {
    return hint == TextEncoding::kShiftJis &&
           table->LoadSjisFileBytes(bytes, n, margin, threads, true, progress, stopped);
  }
  TextEncoding e = TextEncoding::kAuto;
  std::thread detect;
  if (n >= kThreadedBytes) {
    try {
      detect = std::thread([&e, bytes, n] { e = textcodec::DetectTextEncodingWithoutEscapes(bytes, n); });
    } catch (...) {
    }
  }
  if (!detect.joinable()) {
    e = textcodec::DetectTextEncodingWithoutEscapes(bytes, n);
    return e == TextEncoding::kShiftJis &&
           table->LoadSjisFileBytes(bytes, n, margin, threads, true, progress, stopped);
  }
  Table made;
  const bool ok = made.LoadSjisFileBytes(bytes, n, margin, threads, true, progress, stopped);
  detect.join();
  if (!ok || e != TextEncoding::kShiftJis) return false;
  table->TakeContentOf(made);
  return true;
}

bool TextLoadFromTable(const Table& table, std::uint32_t margin, docopen::TextLoad* out, int threads) {
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
  // Cut into equal parts, one a thread (the bytes stand on their own); a
  // part no thread could be started for is done here.
  auto* dst = reinterpret_cast<std::uint8_t*>(p);
  if (threads < 1 || n < kThreadedBytes) threads = 1;
  const std::size_t part = (n + static_cast<std::size_t>(threads) - 1) / static_cast<std::size_t>(threads);
  auto convert = [&table, dst, n, part](std::size_t k) {
    const std::size_t from = part * k;
    if (from < n) WorkingFormToFileText(table.m_pTextBuf + from, std::min(part, n - from), dst + from);
  };
  std::vector<std::thread> helpers;
  std::vector<std::size_t> left;
  for (std::size_t k = 1; k < static_cast<std::size_t>(threads); ++k) {
    try {
      helpers.emplace_back(convert, k);
    } catch (...) {
      left.push_back(k);
    }
  }
  convert(0);
  for (std::size_t k : left) convert(k);
  for (auto& h : helpers) h.join();
  p[n] = '\0';
  out->text = p;
  out->length = n;
  out->capacity = static_cast<std::uint32_t>(size);
  out->info.encoding = textcodec::TextEncoding::kShiftJis;
  out->info.inner = textcodec::TextEncoding::kShiftJis;
  return true;
}

bool FinishOnePassOpen(Table* table, std::uint32_t margin, docopen::TextLoad* out, int threads) {
  // The index was made beside the pass: the text alone is left, on every
  // thread there is.
  const std::size_t n = table->UsedLength();
  if (threads <= 0) {
    const unsigned cores = std::thread::hardware_concurrency();
    threads = n < kThreadedBytes ? 1 : static_cast<int>(std::min<unsigned>(cores ? cores : 1, kMaxLoadThreads));
  }
  return TextLoadFromTable(*table, margin, out, threads);
}

void OpenedTable::Offer(Table& table, const char* text, std::size_t len, std::uint32_t margin) {
  table_.TakeContentOf(table);
  text_ = text;
  len_ = len;
  margin_ = margin;
}

bool OpenedTable::TakeFor(const char* text, std::size_t len, std::uint32_t margin, Table* into) {
  if (!Waiting() || text != text_ || len != len_ || margin != margin_ ||
      table_.m_nWorkSize != static_cast<std::uint64_t>(len) + 1 + margin)
    return false;
  into->TakeContentOf(table_);
  Drop();
  g_taken.fetch_add(1, std::memory_order_relaxed);
  return true;
}

void OpenedTable::Drop() {
  table_.Clear();
  text_ = nullptr;
  len_ = 0;
  margin_ = 0;
}

}  // namespace csv
