#include "convert/xlsx_styles.h"

#include <cstring>

#include "convert/ooxml_tag.h"
#include "convert/xlsx_values.h"

namespace convert {
namespace {

bool At(const char* p, const char* s) { return std::strncmp(p, s, std::strlen(s)) == 0; }

}  // namespace

XlsxStyles::XlsxStyles() : m_classOfId(kXlsxFormatIds, 0) {}

void XlsxStyles::Read(const PartText& text) {
  const char* t = text.Data();
  const int n = text.Size();
  bool inFormats = false, inCellXfs = false;
  for (int i = 0; i < n; ++i) {
    if (t[i] != '<') continue;
    const char* p = t + i;
    if (At(p, "<numFmts")) {
      inFormats = true;
    } else if (At(p, "</numFmts")) {
      inFormats = false;
    } else if (At(p, "<cellXfs")) {
      inCellXfs = true;
    } else if (At(p, "</cellXfs")) {
      inCellXfs = false;
    } else if (inFormats && At(p, "<numFmt ")) {
      int pos = i + 1;
      const int id = FindInTag("numFmtId=\"", text, &pos, kTagInteger);
      const int cls = FindInTag("formatCode=\"", text, &pos, kTagFormatClass);
      if (id >= 0 && id < kXlsxFormatIds) m_classOfId[static_cast<std::size_t>(id)] = cls;
      FindInTag("", text, &pos, kTagSkip);
      if (pos > i) i = pos - 1;
    } else if (inCellXfs && At(p, "<xf ")) {
      int pos = i + 1;
      const int id = FindInTag("numFmtId=\"", text, &pos, kTagInteger);
      if (static_cast<int>(m_cellFormat.size()) < kXlsxCellFormats) m_cellFormat.push_back(id);
    }
  }
}

std::int32_t XlsxStyles::FormatId(std::int32_t s) const {
  if (s < 0 || s >= static_cast<std::int32_t>(m_cellFormat.size())) return -1;
  return m_cellFormat[static_cast<std::size_t>(s)];
}

std::int32_t XlsxStyles::CellClass(std::int32_t s) const {
  if (s < 1 || s >= kXlsxCellFormats) return 0;
  const std::int32_t id = FormatId(s);
  if (id < 0 || id >= kXlsxFormatIds) return 0;
  return CellFormatClass(id, m_classOfId[static_cast<std::size_t>(id)]);
}

}  // namespace convert
