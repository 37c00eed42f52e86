#include "convert/compound_readers.h"

#include "convert/biff_row.h"
#include "convert/ppt_text.h"
#include "convert/word_row.h"

namespace convert {
namespace {

struct CompoundReaderRow {
  int kind;
  CompoundReaderFn read;
};

// One row per kind; nullptr: not in this build.
const CompoundReaderRow kCompoundReaders[] = {
    {1, ReadPowerPoint},     // PowerPoint
    {2, ReadWordDocument},   // Word
    {3, ReadExcelWorkbook},  // Excel
    {42, ReadWordDocument},  // a compound document of an RTF name: read as Word
};

}  // namespace

CompoundReaderFn CompoundReaderFor(int kind) {
  for (const CompoundReaderRow& row : kCompoundReaders)
    if (row.kind == kind) return row.read;
  return nullptr;
}

}  // namespace convert
