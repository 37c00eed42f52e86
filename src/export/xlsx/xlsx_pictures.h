// The pictures of a sheet's format section copied into the package's media
// folder as "xl/media/image<n>.png", n counting every picture line of the
// run in line order across sheets (a picture that cannot be copied keeps
// its number). A ".bmz" picture (a ZIP archive holding one bitmap) is
// unpacked first into the scratch folder "\TMP\ARCHTMP" and its
// "Dorvik1.bmp" taken. Only files that begin as a PNG, JPEG, GIF, BMP or
// TIFF picture are copied: any other file named as a picture is reported as
// a missing one would be, so that a table cannot pack an arbitrary local
// file into the workbook.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "export/part_sink.h"
#include "export/xlsx/xlsx_export.h"
#include "export/xlsx/xlsx_run.h"
#include "export/xlsx/xlsx_shape_record.h"
#include "fw/cstring.h"

namespace xlsx {

// The message of a picture that could not be copied, before its name.
constexpr const char* kPictureCopyError = "image file copy eror\n";
// Bytes of a picture name.
constexpr std::size_t kPictureNameBytes = 99;
// A picture file larger than this is not copied (reported as not copied).
constexpr std::uint64_t kPictureMaxBytes = 256ull << 20;

// Where relative picture names are looked for, and the scratch folders.
struct XlsxPictureFolders {
  CString programDir;  // the program folder, no trailing '\'
  CString macroDir;    // the running macro's folder; empty: none
  CString tablePath;   // the table's file path
};

// The picture name at text[pos]: up to 99 bytes, ending at the first byte of
// 31 or less (a double-byte character is never cut); "" when pos < 0.
std::string XlsxPictureName(const char* text, std::size_t len, std::int64_t pos);

// The path of a picture name: unchanged when it holds a '\' (a whole
// character, not a trail byte); else in the macro's folder, or without one
// in the table's folder.
CString XlsxResolvePicturePath(const std::string& name, const XlsxPictureFolders& folders);

// True when `head` begins with a PNG, JPEG, GIF, BMP or TIFF signature.
bool XlsxIsPictureBytes(const char* head, std::size_t n);

// One picture line: the run's picture number and the sheet's picture count
// are raised, then the file is copied to "xl/media/image<n>.png" through
// `sink` (in the HTML mode nothing is copied). A file that cannot be read
// or is no picture shows "image file copy eror\n" + its path and the run
// goes on. False only when the sink refused the part (the run's part
// failure rule then applies).
bool XlsxCopyPicture(XlsxRun& run, const std::string& name, const XlsxPictureFolders& folders,
                     exportcore::PartSink& sink, XlsxRunHost& host, bool htmlMode);

// Every picture record (kind 'p') of `shapes` in record order, its name read
// from the CSV text at its text offset. False when the sink refused a part.
bool XlsxCopySheetPictures(XlsxRun& run, const char* text, std::size_t len, const std::vector<XlsxShapeRecord>& shapes,
                           const XlsxPictureFolders& folders, exportcore::PartSink& sink, XlsxRunHost& host,
                           bool htmlMode);

}  // namespace xlsx
