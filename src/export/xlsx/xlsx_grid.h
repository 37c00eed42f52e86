// The object grid of a sheet's format section: one text line per sheet row,
// three bytes a cell, naming the format object that covers the cell, and the
// list of cells two regions cover. The cell writer (xlsx_cells.cpp) reads
// it; the section reader (xlsx_section.h) lays the regions and the condition
// step (xlsx_conditions.h) writes the cells its conditions mark.
//
// A grid line holds column count + 1 cells of "O:" and 0x06, the last 0x06
// replaced by CR and followed by LF: 3 x columns + 4 bytes. A covered cell
// holds the two base-32 digits ('0' to 'O', high digit first) of the
// object's index + 1; "O:" (1002) names none. Sizes and offsets are 64-bit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "export/xlsx/xlsx_shape_record.h"

namespace xlsx {

constexpr int kMaxSectionObjects = 500;   // records of one format section
constexpr int kMaxOverlaps = 256;         // cells listed as covered twice
constexpr int kGridNamedObjects = 999;    // higher numbers name no object

// The grid bytes, allocated through fw::Alloc (so a test can refuse them)
// and shared by the copies the sheet layout takes.
class XlsxGridText {
 public:
  // Empties the grid and allocates `bytes`; false when they cannot be had
  // (the grid stays empty).
  bool Allocate(std::uint64_t bytes);
  // The grid holding a copy of `bytes` (tests); false when they cannot be had.
  bool Assign(const std::string& bytes);
  void Release();
  std::uint64_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  unsigned char* data() { return m_bytes.get(); }
  const unsigned char* data() const { return m_bytes.get(); }
  unsigned char operator[](std::uint64_t i) const { return m_bytes.get()[i]; }
  unsigned char& operator[](std::uint64_t i) { return m_bytes.get()[i]; }

 private:
  std::shared_ptr<unsigned char> m_bytes;
  std::uint64_t m_size = 0;
};

// A cell covered by more than one format region and the object it shows.
struct XlsxOverlap {
  std::uint32_t row = 0;     // sheet row (1-based)
  std::uint32_t column = 0;  // 1-based
  std::uint32_t object = 0;  // index + 1 of the shape record the cell held before
};

// A cell a condition object marked, listed for the HTML form.
struct XlsxConditionMark {
  std::uint32_t column = 0;  // 1-based
  std::uint32_t object = 0;  // index + 1 of the record
  std::uint32_t row = 0;     // sheet row (1-based)
};

// A region record as it was laid on the grid (its from-column reads -9998
// afterwards): the cells it covers, rows cut to the grid. The HTML form
// names a class for each of them.
struct XlsxLaidRegion {
  std::uint32_t object = 0;  // index + 1 of the record
  std::uint64_t c1 = 1, r1 = 1, c2 = 0, r2 = 0;
};

// The sheet's format objects and their grid.
struct XlsxObjectLayer {
  std::vector<XlsxShapeRecord> shapes;  // at most 500, in line order
  XlsxGridText grid;
  std::uint32_t gridColumns = 0;
  std::uint64_t gridRows = 0;
  std::vector<XlsxOverlap> overlaps;    // at most 256
  std::vector<XlsxLaidRegion> laid;     // in laying order

  bool Present() const { return !shapes.empty() && !grid.empty(); }
  void Clear() {
    shapes.clear();
    grid.Release();
    gridColumns = 0;
    gridRows = 0;
    overlaps.clear();
    laid.clear();
  }
};

// Line length, laid size and allocation of a grid (64-bit; the allocation
// keeps 15000 spare bytes beyond the lines).
std::uint64_t GridLineBytes(std::uint32_t columns);
std::uint64_t GridLaidBytes(std::uint32_t columns, std::uint64_t rows);
constexpr std::uint64_t kGridSpareBytes = 15000;

// Allocates the grid of `rows` lines for `columns` columns and fills every
// cell with "O:". False when the bytes cannot be had (layer.grid empty).
bool XlsxBuildGrid(XlsxObjectLayer& layer, std::uint32_t columns, std::uint64_t rows);

// The two base-32 digits of object number k (1 to 1023) and back (-1 for
// bytes that are no digits).
void GridDigits(std::uint32_t k, unsigned char out[2]);
int GridValue(unsigned char hi, unsigned char lo);

// Offset of cell (row, column), both 1-based; false outside the laid grid.
bool GridCellOffset(const XlsxObjectLayer& layer, std::uint64_t row, std::uint64_t column, std::uint64_t* at);

// Writes object number k into cell (row, column) when it lies in the grid
// and k can be named; a cell that held another object is listed as an
// overlap first (while fewer than 256 are listed).
void GridMark(XlsxObjectLayer& layer, std::uint64_t row, std::uint64_t column, std::uint32_t k);

// True for the kinds of shape lines (lines, rectangles, ellipses, pictures,
// preset and flowchart shapes).
bool IsShapeLineKind(unsigned char kind);

// Lays every region record on the grid: records that are not drawn, not
// merges ('M', 'N'), no conditions and not laid before. Values of 100000 and
// more are divided by 100000, the from-cell becomes at least (1, 1), the
// columns are capped at the column count. Each laid record's from-column
// becomes -9998, and its cells are listed in layer.laid.
void XlsxLayRegions(XlsxObjectLayer& layer);

// The merge ranges the worksheet writes: records of kind 'M' or 'N' in
// record order, each range left out when it overlaps one written before.
struct XlsxMergeRange {
  std::uint32_t c1 = 1, r1 = 1, c2 = 1, r2 = 1;
};
std::vector<XlsxMergeRange> XlsxMergeRanges(const std::vector<XlsxShapeRecord>& shapes);

// A cell number of a record (column * 100000 + offset, or a plain number)
// as the 1-based cell it names, at least 1.
std::uint32_t RecordCell(std::int64_t v);

}  // namespace xlsx
