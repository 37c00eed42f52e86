// The ruled-table rebuild: set-up, rendering and closing text.
#include "table/table_render.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "fw/alloc.h"
#include "table/table_bitmap.h"
#include "table/table_limits.h"
#include "table/table_rtf.h"

namespace table {

const OutputSizing kOutputSizing = {
    200,                 // perCell
    300000,              // floor
    1000000,             // ruledFloor
    0x40000000,          // cap: 1 GiB
    500,                 // slack
    19000,               // reserve
    1u << 20,            // growthStep
};

namespace {

// Appends rows to the document's buffer: in the ruled display the buffer
// keeps its size (a row that would come within the reserve stops the
// rendering); otherwise it grows up to the cap.
class BufferSink : public RtfSink {
 public:
  BufferSink(OutputText* out, bool fixed) : out_(out), fixed_(fixed) {}

  bool Append(const std::string& rowText) override {
    std::uint64_t need = static_cast<std::uint64_t>(out_->len) + rowText.size() + kOutputSizing.reserve;
    if (need > out_->capacity) {
      if (fixed_ || !Grow(need)) return false;
    }
    std::memcpy(out_->text + out_->len, rowText.data(), rowText.size());
    out_->len += static_cast<std::uint32_t>(rowText.size());
    return true;
  }

  bool AppendPicture(const std::string& path, int width, int height) override {
    if (!picture_) return false;
    // Room for the largest object first; without it a picture may still fit.
    const std::uint64_t largest = static_cast<std::uint64_t>(kMaxEmbeddedFile) * 3 + kEmbedReserve;
    const std::uint64_t need = static_cast<std::uint64_t>(out_->len) + largest + kOutputSizing.reserve;
    if (need > out_->capacity && !fixed_) {
      const bool wasFailed = failed_;
      Grow(need);
      failed_ = wasFailed;  // a picture that does not fit is skipped, not a failure
    }
    return EmbedBitmapObject(path, out_->text, &out_->len, out_->capacity, width, height,
                             picture_->pictureConverter) == EmbedResult::kEmbedded;
  }
  void SetPictures(const RenderRequest* req) { picture_ = req; }

  bool failed() const { return failed_; }
  std::uint64_t wanted() const { return wanted_; }

 private:
  bool Grow(std::uint64_t need) {
    std::uint64_t size = std::max<std::uint64_t>(need, static_cast<std::uint64_t>(out_->capacity) * 2);
    size = std::max<std::uint64_t>(size, out_->capacity + kOutputSizing.growthStep);
    if (size > kOutputSizing.cap) size = kOutputSizing.cap;
    wanted_ = need;
    if (size < need) { failed_ = true; return false; }
    void* grown = fw::Realloc(out_->text, static_cast<std::size_t>(size + kOutputSizing.slack));
    if (!grown) { failed_ = true; wanted_ = size; return false; }
    out_->text = static_cast<char*>(grown);
    out_->capacity = static_cast<std::uint32_t>(size);
    out_->readEnd = out_->capacity;
    return true;
  }

  OutputText* out_;
  const RenderRequest* picture_ = nullptr;
  bool fixed_;
  bool failed_ = false;
  std::uint64_t wanted_ = 0;
};

bool IsBangOrDirective(const std::uint8_t* b, const std::uint8_t* e) {
  if (b < e && *b == '!') return true;
  return e - b >= 3 && b[0] == 'X' && b[1] == 'L' && b[2] >= 'a' && b[2] <= 'z';
}

// The ruled-display scan from `start`: first table row, title row, first data row.
void ScanRuledStart(const std::uint8_t* t, std::uint32_t len, std::uint32_t start, RenderResult* r) {
  std::uint32_t i = 0, row = 0;
  bool titleNext = false;
  while (i < len && t[i]) {
    std::uint32_t s = i;
    while (i < len && t[i] && t[i] != '\r' && t[i] != '\n') ++i;
    const std::uint8_t* b = t + s;
    const std::uint8_t* e = t + i;
    if (i < len && t[i] == '\r') ++i;
    if (i < len && t[i] == '\n') ++i;
    if (row >= start) {
      bool skip = IsBangOrDirective(b, e);
      if (e - b >= 2 && b[0] == '!' && b[1] == '^') titleNext = true;
      if (!skip) {
        if (r->firstTableRow < 0) r->firstTableRow = row;
        if (r->titleRow < 0 && (titleNext || !(b < e && *b == '~'))) {
          r->titleRow = row;
        } else if (r->titleRow >= 0 && !(b < e && *b == '~')) {
          r->firstDataRow = row;
          return;
        }
      }
    }
    ++row;
  }
}

}  // namespace

RenderResult RebuildTable(csv::Table& table, OutputText& out, const RenderRequest& req) {
  RenderResult r;
  const bool ruled = req.editMode == kRuledEditMode;
  int cmd = req.cmd;
  // The column limit, on the count the rebuild would use; nothing changes.
  std::uint64_t fields = static_cast<std::uint64_t>(table.m_nFieldCount) + (cmd == kCmdCellFormat ? 1 : 0);
  if (fields >= kColumnLimit) {
    r.code = 1;
    r.status = " raw number over 9000 ";
    return r;
  }
  if (cmd == kCmdCellFormat) table.m_nFieldCount += 1;  // stays raised
  // A final line end, the buffer grown first.
  std::uint32_t used = table.UsedLength();
  if (table.m_pTextBuf && used > 0 && table.m_pTextBuf[used - 1] != '\r' && table.m_pTextBuf[used - 1] != '\n') {
    if (table.Reserve(static_cast<std::uint64_t>(used) + 3)) {
      table.m_pTextBuf[used] = '\r';
      table.m_pTextBuf[used + 1] = '\n';
      table.m_pTextBuf[used + 2] = 0;
      table.m_nTextLen = used + 2;
      used += 2;
    }
  }
  // The output buffer, sized in 64 bits.
  std::uint64_t rows = table.m_nLastRow > 0 ? static_cast<std::uint64_t>(table.m_nLastRow) : 0;
  std::uint64_t size = kOutputSizing.perCell * table.m_nFieldCount * rows + used;
  size = std::max(size, kOutputSizing.floor);
  if (ruled) {
    size = std::max(size, kOutputSizing.ruledFloor);
    if (req.outdata > 0) size = std::max<std::uint64_t>(std::min<std::uint64_t>(size, req.outdata), kOutputSizing.floor);
  }
  r.requestedSize = size;
  void* block = size <= kOutputSizing.cap ? fw::Realloc(out.text, static_cast<std::size_t>(size + kOutputSizing.slack))
                                          : nullptr;
  if (!block) {
    out.capacity = 0;
    out.readEnd = 0;
    r.code = 1;
    r.failure = kFailOutputBuffer;
    return r;
  }
  out.text = static_cast<char*>(block);
  out.capacity = static_cast<std::uint32_t>(size);
  out.readEnd = out.capacity;
  out.len = 0;
  out.text[0] = 0;
  if (ruled) ScanRuledStart(table.m_pTextBuf, used, req.startRow, &r);

  BufferSink sink(&out, ruled);
  if (!req.pictureFolder.empty()) sink.SetPictures(&req);
  RtfStats stats;
  static const std::uint8_t kEmpty[1] = {0};
  WriteRtf(table.m_pTextBuf ? table.m_pTextBuf : kEmpty, table.m_pTextBuf ? used : 0, table, req, &sink, &stats);
  if (sink.failed()) {
    // Past the cap or out of memory: no rich text cut short is handed on.
    out.len = 0;
    out.text[0] = 0;
    out.capacity = 0;
    out.readEnd = 0;
    r.code = 1;
    r.failure = kFailOutputBuffer;
    r.requestedSize = sink.wanted();
    return r;
  }
  std::string closing = RtfClosing(stats.fontSize);
  std::uint64_t room = out.capacity + kOutputSizing.slack;
  if (out.len + closing.size() + 1 <= room) {
    std::memcpy(out.text + out.len, closing.data(), closing.size());
    out.len += static_cast<std::uint32_t>(closing.size());
  }
  out.text[std::min<std::uint64_t>(out.len, room - 1)] = 0;
  if (stats.cut) {
    r.cut = true;
    r.cutAfterRow = stats.cutAfterRow;
    char buf[64];
    std::snprintf(buf, sizeof buf, " cut after row %d ", stats.cutAfterRow + 1);
    r.status = buf;
  }
  r.written = out.len;
  r.paragraphs = stats.paragraphs;
  r.maxColumns = stats.maxColumns;
  r.fontSize = stats.fontSize;
  if (!ruled) {
    r.lastRowIncrement = stats.markParagraphs;
    table.m_nLastRow += stats.markParagraphs;
  }
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
