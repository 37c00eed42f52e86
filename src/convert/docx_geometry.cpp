// The page canvas, the page geometry from the section properties and the
// media names of the document's relationships.
#include <algorithm>
#include <cstring>

#include "convert/docx_walk.h"
#include "convert/ooxml_tag.h"
#include "fw/alloc.h"

namespace convert {

DocxCanvas::~DocxCanvas() { fw::Free(m_bytes); }

namespace {
constexpr std::int64_t kSpare = 1000;
}

// Blank rows with CR LF in the last two bytes of each.
void DocxCanvas::Blank(std::int64_t from, std::int64_t to) {
  if (from >= to) return;
  std::memset(m_bytes + from, ' ', static_cast<std::size_t>(to - from));
  for (std::int64_t cr = from - from % kRowBytes + kRowBytes - 2; cr < to; cr += kRowBytes) {
    if (cr >= from && cr < to) m_bytes[cr] = '\r';
    if (cr + 1 >= from && cr + 1 < to) m_bytes[cr + 1] = '\n';
  }
}

bool DocxCanvas::Allocate(std::int64_t size, std::int64_t limit) {
  fw::Free(m_bytes);
  m_bytes = nullptr;
  m_size = m_allocated = 0;
  const std::int64_t most = static_cast<std::int64_t>(std::min<std::uint64_t>(SIZE_MAX / 2, INT64_MAX / 4));
  if (size < 0 || size > most) return false;
  m_bytes = static_cast<char*>(fw::Alloc(static_cast<std::size_t>(size + kSpare)));
  if (!m_bytes) return false;
  Blank(0, size + kSpare);
  m_size = size;
  m_allocated = size + kSpare;
  m_limit = std::min(std::max(limit, size), most);
  return true;
}

// Room for byte `needed`: the size at least doubles, in whole rows, up to
// the limit.
bool DocxCanvas::Grow(std::int64_t needed) {
  if (needed >= m_limit) return false;
  std::int64_t size = std::max(m_size * 2, (needed / kRowBytes + 64) * kRowBytes);
  if (size > m_limit) size = m_limit;
  char* bytes = static_cast<char*>(fw::Realloc(m_bytes, static_cast<std::size_t>(size + kSpare)));
  if (!bytes) {
    m_limit = m_size;  // no more growing
    return false;
  }
  m_bytes = bytes;
  Blank(m_allocated, size + kSpare);
  m_size = size;
  m_allocated = size + kSpare;
  return true;
}

std::int64_t DocxCanvas::At(std::int64_t row, std::int64_t column) {
  if (row < 0) row = 0;
  if (column < 0) column = 0;
  if (column > kLastColumn || row > m_limit / kRowBytes) return -1;
  const std::int64_t at = row * kRowBytes + column;
  if (at >= m_size && !Grow(at)) return -1;
  return at;
}

bool DocxCanvas::Put(std::int64_t row, std::int64_t column, char c) {
  const std::int64_t at = At(row, column);
  if (at < 0) return false;
  m_bytes[at] = c;
  return true;
}

char DocxCanvas::Get(std::int64_t row, std::int64_t column) const {
  if (row < 0) row = 0;
  if (column < 0) column = 0;
  if (column > kLastColumn || row > m_size / kRowBytes) return ' ';
  const std::int64_t at = row * kRowBytes + column;
  return at < m_size ? m_bytes[at] : ' ';
}

bool DocxCanvas::CopyRows(std::int64_t lastRow, int width, LoadBuffer& out) const {
  if (width < 0) width = 0;
  if (width > kRowBytes - 2) width = kRowBytes - 2;
  const std::int64_t rows = std::min<std::int64_t>(lastRow + 1, m_allocated / kRowBytes);
  if (rows > 0 && !out.Reserve(out.Size() + static_cast<std::size_t>(rows) * (static_cast<std::size_t>(width) + 2)))
    return false;
  for (std::int64_t r = 0; r < rows; ++r) {
    if (!out.Append(m_bytes + r * kRowBytes, static_cast<std::size_t>(width)) || !out.Append("\r\n", 2)) return false;
  }
  return true;
}

DocxGeometry ReadDocxGeometry(const PartText& document) {
  const char* t = document.Data();
  const int n = document.Size();
  int top = 0, right = 0, pageWidth = 0, columns = 0;
  for (int i = n > 500 ? n - 500 : 0; i < n; ++i) {
    if (t[i] != '<') continue;
    int p = i + 1;
    if (std::strncmp(t + i, "<w:pgMar ", 9) == 0) {
      top = FindInTag("w:top=\"", document, &p, kTagInteger);
      right = FindInTag("w:right=\"", document, &p, kTagInteger);
    } else if (std::strncmp(t + i, "<w:pgSz ", 8) == 0) {
      pageWidth = FindInTag("w:w=\"", document, &p, kTagInteger);
    } else if (std::strncmp(t + i, "<w:cols ", 8) == 0) {
      columns = FindInTag("w:num=\"", document, &p, kTagInteger);
    }
    if (top && right && pageWidth && columns) break;
  }
  DocxGeometry g;
  g.top = top / 300 + 5;
  g.right = right / 300 + 5;
  g.width = pageWidth / 100 - 10;
  if (g.width <= 0) g.width = 110;
  if (columns > 1) g.width /= columns;
  return g;
}

void ReadDocxMediaNames(const PartText& rels, std::string (&names)[kDocxMediaNames]) {
  const char* t = rels.Data();
  const int n = rels.Size();
  for (int i = 0; i < n; ++i) {
    if (t[i] != '<' || std::strncmp(t + i, "<Relationship ", 14) != 0) continue;
    int p = i + 1;
    const int id = FindInTag("Id=\"rId", rels, &p, kTagInteger);
    if (id < 1 || id >= kDocxMediaNames) continue;
    if (FindInTag("image\" Target=\"media/", rels, &p, kTagMoveTo) != 1) continue;
    std::string name;
    for (int k = p; k < n && name.size() < 255; ++k) {
      const char c = t[k];
      if (c == '"' || c == '/' || c == '>' || static_cast<unsigned char>(c) < ' ') break;
      name.push_back(c);
    }
    names[id] = name;
  }
}

}  // namespace convert
