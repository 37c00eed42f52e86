// Open + index of one file as the program opens a CSV it shows (the bench's
// -once, and the Windows program that times the same under Wine).
#include "open_once.h"

#include <cstdio>

#include "core/docopen/textload.h"
#include "csv/csv_fileopen.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "fw/mapped_file.h"

// Open + index of one file as the program opens a shown CSV; the row count
// on stdout.
int OpenOnce(const char* path) {
  fw::MappedFile file;
  if (!file.Open(path)) return 1;
  csv::Table table;
  docopen::TextLoad t;
  if (csv::LoadTableInOnePass(file.Data(), static_cast<std::size_t>(file.Size()), textcodec::TextEncoding::kAuto,
                              100000, &table)) {
    file.Close();
    if (!csv::FinishOnePassOpen(&table, 100000, &t)) return 1;
  } else {
    if (!docopen::LoadTextToSjis(file.Data(), static_cast<std::size_t>(file.Size()), textcodec::TextEncoding::kAuto,
                                 100000, &t))
      return 1;
    file.Close();
    if (!table.LoadFileText(t.text, t.length, 100000)) return 1;
  }
  std::printf("%d\n", table.m_nLastRow + 1);
  fw::Free(t.text);
  return 0;
}
