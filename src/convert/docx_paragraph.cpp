// Paragraphs, line breaks, page lines and pictures of the ".docx" layout:
// where each lands on the canvas and how the placement moves on after it.
#include <algorithm>
#include <cstdio>

#include "convert/docx_walk.h"
#include "convert/ooxml_tag.h"
#include "core/docsvc/sjis_state.h"

namespace convert {

void DocxWalker::WriteAt(std::int64_t r, std::int64_t c, const std::string& s) {
  if (r < 0) r = 0;
  if (c < 0) c = 0;
  if (canvas.At(r, c) < 0 && canvas.At(r, 0) < 0) {
    stop = true;  // the canvas is full
    return;
  }
  for (std::size_t k = 0; k < s.size(); ++k) {
    // A control byte in a media name would break the row apart.
    const char b = s[k] != '\r' && s[k] != '\n' && static_cast<unsigned char>(s[k]) < ' ' ? ' ' : s[k];
    canvas.Put(r, c + static_cast<std::int64_t>(k), b);
  }
}

void DocxWalker::WriteParagraph() {
  if (state == 'g' || (drawingGroup && !InTable())) {
    para.clear();
    return;
  }
  std::int64_t c = col, r = row;
  if (InTextBox() && InTable()) {
    c = relH == 2 ? floatCol + offCol : relH == 1 ? floatCol : offCol;
    r = relV == 2 ? floatRow + offRow : relV == 1 ? floatRow : offRow;
  } else if (InTextBox() || InTable()) {
    c = floatCol;
    r = floatRow;
  }
  if (row > 200 && state != 0) {
    para.clear();
    return;
  }
  const bool outside = !InTable() && !InTextBox();
  const bool empty = para.empty();
  if (!empty) {
    if (emptyMark && outside && r < 300) {
      const std::int64_t base = r - stretch;
      r = base + base / 3;
      stretch = base / 3;
    }
    if (r < 0) r = 0;  // on every page: never before the page's first row
    if (c < 0) c = 0;
    std::int64_t w = g.width;
    if ((state == 'd' || state == 'p') && drawW > 1500) {
      w = drawW / 600;
      if (!(drawW < 5000 && drawH > 2000)) w += 5;
    }
    const std::int64_t startRow = pageBase + r;
    if (canvas.At(startRow, c) < 0 && canvas.At(startRow, 0) < 0) {
      stop = true;
      para.clear();
      return;
    }
    std::int64_t line = 0, count = 0;
    const std::size_t size = para.size();
    for (std::size_t i = 0; i < size; ++i) {
      const unsigned char b = static_cast<unsigned char>(para[i]);
      bool breakNow = false;
      if (b == '\t') {
        count += 8;
        breakNow = count > w - 5;
      } else if (b == ' ') {
        ++count;
        breakNow = count > w - 5;
      } else if (b < ' ') {
        // NUL, LF, CR (and any other control byte of a damaged part) take
        // a column and write nothing.
        ++count;
        breakNow = b == '\n' && count > 2;
      } else {
        canvas.Put(startRow + line, c + count, static_cast<char>(b));
        ++count;
        const bool leadPending = docsvc::IsSjisLeadByte80(b) && i + 1 < size;
        if (leadPending) {
          const char second = para[++i];
          canvas.Put(startRow + line, c + count, static_cast<unsigned char>(second) < ' ' ? ' ' : second);
          ++count;
        }
      }
      if (count >= w) breakNow = true;
      if (breakNow && i + 1 < size) {
        widest = std::max(widest, std::min<std::int64_t>(c + count, kSideColumns));
        ++line;
        count = 0;
      }
    }
    widest = std::max(widest, std::min<std::int64_t>(c + count, kSideColumns));
    const std::int64_t last = r + line;
    if (rowsUsed < last + 1) rowsUsed = last + 1;
    if (outside) {
      row = last + 1;
      ClearFloat();
    } else {
      floatRow = last + 1;
    }
  }
  runCol = 2;
  lineCount = lineIndex = cellIndex = 0;
  if (!drawingGroup) cellWidth = kCellNone;
  if (outside) emptyMark = empty;
  para.clear();
  if (markDue) WritePageMark();
}

// "<w:br/>": the buffer up to its first LF as it is, then the next row.
void DocxWalker::WriteBreakLine() {
  std::int64_t r = row < 0 ? 0 : row;
  const std::int64_t c = col < 0 ? 0 : col;
  for (std::size_t k = 0; k < para.size() && para[k] != '\n'; ++k)
    canvas.Put(pageBase + r, c + static_cast<std::int64_t>(k),
               static_cast<unsigned char>(para[k]) < ' ' && para[k] != '\t' ? ' ' : para[k]);
  if (!para.empty()) widest = std::max(widest, std::min<std::int64_t>(c + static_cast<std::int64_t>(para.size()), kSideColumns));
  para.clear();
  col = 0;
  ++row;
  if (rowsUsed < row) rowsUsed = row;
}

void DocxWalker::WritePageMark() {
  pageNo += rowsUsed > 100 ? (rowsUsed + 80) / 80 : 1;
  char line[160];
  const int k = std::snprintf(line, sizeof line, "\r\n\r\n-[page %lld]", static_cast<long long>(pageNo));
  std::string mark(line, static_cast<std::size_t>(k > 0 ? k : 0));
  mark.append(80, '-');
  const std::int64_t at = pageBase + rowsUsed + 3;
  if (canvas.At(at, 0) >= 0) WriteAt(at, 0, mark);
  // The page line is shown whole, however narrow the text.
  widest = std::max(widest, static_cast<std::int64_t>(mark.size()));
  pageBase += rowsUsed + 5;
  row = 3;
  col = 0;
  rowsUsed = 0;
  para.clear();
  stretch = 0;
  emptyMark = false;
  ClearFloat();
  savedRow = savedCol = 0;
  boxRow = boxCol = 0;
  markDue = false;
}

// "<a:blip" and "<v:imagedata": the media name in brackets where the
// picture stands.
void DocxWalker::Picture(bool vml) {
  const int id = Find(vml ? "r:id=\"rId" : "r:embed=\"rId", kTagInteger);
  std::string name;
  if (id >= 0 && id < kDocxMediaNames) name = "[" + media[id] + "]";
  else name = "[Image]";
  std::int64_t c, r;
  if (vml) {
    c = floatCol + (relH == 2 ? col : 0);
    r = relV == 2 ? row + floatRow : floatRow + 1;
  } else if (!anchored) {
    row += drawH;
    c = col;
    r = row;
  } else {
    c = floatCol + (relH == 2 ? col : 0);
    r = floatRow + (relV == 2 ? row : 0);
  }
  if (row >= 300) return;
  std::int64_t w = drawW, h = drawH;
  if (w > 2000 || h > 2000) {
    w /= 3000;
    h /= 200;
  }
  if (!vml && r < 5 && h > 10) {
    r = 1;
    h = 2;
  }
  std::int64_t at = w / 2 + c - 6;
  if (at < 0) at = 0;
  std::int64_t canvasRow = pageBase + h / 2 + r;
  if (canvasRow < 0) canvasRow = 0;
  rowsUsed = std::max(rowsUsed, h / 2 + r + (vml ? 0 : 5));
  widest = std::max(widest, std::min<std::int64_t>(w / 2 + c + 6, kSideColumns));
  if (!vml && canvas.Get(canvasRow, at) == '[') {
    ++canvasRow;
    ++row;
  }
  WriteAt(canvasRow, at, name);
  if (h == 1) ++row;
}

}  // namespace convert
