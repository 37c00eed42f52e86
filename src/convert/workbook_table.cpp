#include "convert/workbook_table.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace convert {

bool WorkbookTable::Allocate(std::int32_t tblMax, std::int32_t nChar) {
  m_planes.reset();
  m_kinds.clear();
  m_cells.clear();
  m_shapes.clear();
  m_pictures.Clear();
  std::memset(m_abPictureUsed, 0, sizeof m_abPictureUsed);
  std::memset(m_abFormatDecimals, 0, sizeof m_abFormatDecimals);
  std::memset(m_abFormatClass, kFormatOther, sizeof m_abFormatClass);
  std::memset(m_anXfFormat, 0, sizeof m_anXfFormat);
  std::memset(m_acSheetName, 0, sizeof m_acSheetName);
  std::memset(m_abColumnWidth, kWorkbookDefaultWidth, sizeof m_abColumnWidth);
  for (auto& row : m_abColumnWidth) row[0] = 0;
  m_nXfCount = m_nWidthRow = m_nSheetNames = 0;
  m_nValueCount = m_nCellCount = m_nSheet = m_nSheetCount = m_nFirstRecordLength = 0;
  m_bDate1904 = false;
  m_bStreamsWhole = true;
  m_bStop = false;
  m_nCapacity = m_nSlots = m_nPlanes = m_nMaxChars = 0;
  if (tblMax <= kWorkbookTableSpare || nChar < 1) return false;
  if (nChar > 510) nChar = 510;
  m_nCapacity = tblMax - kWorkbookTableSpare;
  m_nSlots = m_nCapacity + kWorkbookShapeCells;
  m_nPlanes = nChar + 6;
  m_nMaxChars = std::min<std::int32_t>(255, nChar);
  try {
    m_planes.reset(new std::uint8_t[static_cast<std::size_t>(m_nPlanes) * static_cast<std::size_t>(m_nSlots)]);
    std::memset(m_planes.get(), 0, static_cast<std::size_t>(m_nSlots));
    m_kinds.assign(static_cast<std::size_t>(m_nSlots), 0);
    m_cells.reserve(static_cast<std::size_t>(std::min<std::int32_t>(m_nCapacity, 65536)));
  } catch (const std::bad_alloc&) {
    m_planes.reset();
    m_kinds.clear();
    m_nCapacity = m_nSlots = m_nPlanes = m_nMaxChars = 0;
    return false;
  }
  return true;
}

bool WorkbookTable::SetValue(std::int32_t index, const std::uint8_t* text, std::size_t length,
                             std::int32_t kindBase) {
  if (index < 0 || index >= m_nSlots) return false;
  const std::size_t n = std::min<std::size_t>(length, static_cast<std::size_t>(m_nMaxChars));
  const std::size_t slots = static_cast<std::size_t>(m_nSlots);
  const std::size_t i = static_cast<std::size_t>(index);
  m_planes[i] = static_cast<std::uint8_t>(n);
  for (std::size_t k = 0; k < n; ++k) m_planes[(k + 1) * slots + i] = text[k];
  m_planes[(n + 1) * slots + i] = 0;
  m_kinds[i] = kindBase + static_cast<std::int32_t>(n);
  return true;
}

std::int32_t WorkbookTable::AddValue(const std::uint8_t* text, std::size_t length, std::int32_t kindBase) {
  const std::int32_t index = m_nValueCount;
  if (m_nValueCount < INT32_MAX) ++m_nValueCount;
  if (index >= m_nCapacity) return -1;
  SetValue(index, text, length, kindBase);
  return index;
}

std::int32_t WorkbookTable::Kind(std::int32_t index) const {
  return index >= 0 && index < m_nSlots ? m_kinds[static_cast<std::size_t>(index)] : 0;
}

std::int32_t WorkbookTable::Length(std::int32_t index) const {
  return index >= 0 && index < m_nSlots ? m_planes[static_cast<std::size_t>(index)] : 0;
}

std::uint8_t WorkbookTable::CharAt(std::int32_t index, std::int32_t k) const {
  if (index < 0 || index >= m_nSlots || k < 1 || k >= m_nPlanes || k > Length(index)) return 0;
  return m_planes[static_cast<std::size_t>(k) * static_cast<std::size_t>(m_nSlots) + static_cast<std::size_t>(index)];
}

std::string WorkbookTable::Text(std::int32_t index) const {
  std::string s;
  const std::int32_t n = Length(index);
  for (std::int32_t k = 1; k <= n; ++k) s.push_back(static_cast<char>(CharAt(index, k)));
  return s;
}

bool WorkbookTable::AddCell(std::int32_t row, std::int32_t column, std::int32_t value, std::int32_t sheet) {
  if (m_nCellCount < INT32_MAX) ++m_nCellCount;
  if (static_cast<std::int32_t>(m_cells.size()) >= m_nCapacity) return false;
  WorkbookCell c;
  c.row = row;
  c.column = std::min(std::max(column, 0), kWorkbookMaxColumn);
  c.value = value;
  c.sheet = sheet;
  try {
    m_cells.push_back(c);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool WorkbookTable::AddShapeCell(std::int32_t row, std::int32_t column, std::int32_t value, std::int32_t sheet) {
  if (static_cast<int>(m_shapes.size()) >= kWorkbookShapeCells) return false;
  WorkbookCell c;
  c.row = row;
  c.column = std::min(std::max(column, 0), kWorkbookMaxColumn);
  c.value = value;
  c.sheet = sheet;
  m_shapes.push_back(c);
  return true;
}

void WorkbookTable::UsePicture(std::int32_t number) {
  if (number >= 1 && number < kWorkbookPictureUse) m_abPictureUsed[number] = 1;
}

bool WorkbookTable::PictureUsed(std::int32_t number) const {
  return number >= 0 && number < kWorkbookPictureUse && m_abPictureUsed[number] != 0;
}

std::int32_t WorkbookTable::PictureRank(std::int32_t number) const {
  std::int32_t r = 0;
  const std::int32_t end = std::min(number, static_cast<std::int32_t>(kWorkbookPictureUse));
  for (std::int32_t p = 0; p < end; ++p) r += m_abPictureUsed[p] ? 1 : 0;
  return r;
}

void WorkbookTable::SetFormat(std::int32_t number, std::uint8_t formatClass, std::uint8_t decimals) {
  if (number < 0 || number >= kWorkbookFormats) return;
  m_abFormatClass[number] = formatClass;
  m_abFormatDecimals[number] = decimals;
}

std::uint8_t WorkbookTable::FormatClass(std::int32_t number) const {
  return number >= 0 && number < kWorkbookFormats ? m_abFormatClass[number] : static_cast<std::uint8_t>(kFormatOther);
}

std::uint8_t WorkbookTable::FormatDecimals(std::int32_t number) const {
  return number >= 0 && number < kWorkbookFormats ? m_abFormatDecimals[number] : 0;
}

void WorkbookTable::AddXf(std::int32_t formatNumber) {
  if (m_nXfCount < kWorkbookFormats) m_anXfFormat[m_nXfCount] = formatNumber;
  if (m_nXfCount < INT32_MAX) ++m_nXfCount;
}

std::int32_t WorkbookTable::XfFormat(std::int32_t xf) const {
  if (xf < 0 || xf >= kWorkbookFormats) return 3;
  if (xf >= m_nXfCount) return 0;  // no such XF record: as read
  const std::int32_t f = m_anXfFormat[xf];
  return f >= 0 && f < kWorkbookFormats ? f : 3;
}

void WorkbookTable::NextWidthRow() {
  if (m_nWidthRow < kWorkbookWidthRows - 1) ++m_nWidthRow;
  std::uint8_t* row = m_abColumnWidth[m_nWidthRow];
  std::memset(row + 1, kWorkbookDefaultWidth, kWorkbookWidthColumns - 1);
}

std::uint8_t* WorkbookTable::WidthRowAt(std::int32_t row) {
  return m_abColumnWidth[std::min(std::max(row, 0), kWorkbookWidthRows - 1)];
}

const std::uint8_t* WorkbookTable::WidthRowAt(std::int32_t row) const {
  return m_abColumnWidth[std::min(std::max(row, 0), kWorkbookWidthRows - 1)];
}

void WorkbookTable::SetColumnWidths(std::int32_t first, std::int32_t last, std::uint8_t width) {
  first = std::max(first, 0);
  last = std::min(last, kWorkbookWidthColumns - 2);
  std::uint8_t* row = m_abColumnWidth[m_nWidthRow];
  for (std::int32_t c = first; c <= last; ++c) row[c + 1] = width;
}

void WorkbookTable::SetColumnCount(std::int32_t count) {
  m_abColumnWidth[m_nWidthRow][0] = static_cast<std::uint8_t>(std::min(std::max(count, 1), 255));
}

void WorkbookTable::SetSheetName(std::int32_t index, const std::uint8_t* name, std::size_t length) {
  if (index < 0 || index >= kWorkbookSheetNames) return;
  const std::size_t n = std::min<std::size_t>(length, kWorkbookNameBytes - 1);
  std::memcpy(m_acSheetName[index], name, n);
  m_acSheetName[index][n] = '\0';
  m_nSheetNames = std::max(m_nSheetNames, index + 1);
}

const char* WorkbookTable::SheetName(std::int32_t index) const {
  return index >= 0 && index < kWorkbookSheetNames ? m_acSheetName[index] : "";
}

}  // namespace convert
