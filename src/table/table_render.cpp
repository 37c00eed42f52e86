// The ruled-table rebuild: set-up, rendering and closing text.
#include "table/table_render.h"

#include <cstdio>

#include "fw/alloc.h"

namespace table {

RenderResult RebuildTable(csv::Table& table, OutputText& out, const RenderRequest& req) {
  RenderResult r;
  (void)table;
  (void)out;
  (void)req;
  return r;
}

bool PrepareWriteBack(OutputText& out) {
  std::uint64_t want = static_cast<std::uint64_t>(out.len) + 10000;
  if (want > 0xFFFFFFF0u) return false;
  void* grown = fw::Realloc(out.text, static_cast<std::size_t>(want));
  if (!grown) return false;
  out.text = static_cast<char*>(grown);
  out.capacity = static_cast<std::uint32_t>(want);
  out.readEnd = out.capacity;
  return true;
}

std::string FailureText(const char* memoryText, const RenderResult& r) {
  std::string s = memoryText ? memoryText : "";
  char buf[64];
  switch (r.failure) {
    case kFailOutputBuffer:
      std::snprintf(buf, sizeof buf, " %llu TAct1 038", static_cast<unsigned long long>(r.requestedSize));
      s += buf;
      break;
    case kFailWriteBack:
      s += " 041";
      break;
    default:
      break;
  }
  return s;
}

}  // namespace table
