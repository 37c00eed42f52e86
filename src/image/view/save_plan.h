// The decisions of the picture save (the shown picture written to a file):
// the dialog's proposed name and filter, the refusal of marked names, the
// format code by the target's kind, the sizes read from the header, and the
// pixel rows of a packed DIB taken from the clipboard. The view's member
// does the dialog, the clipboard and the bitmap reads; everything it
// decides on is here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace img {

// Format codes of the save (those of WriteImageFile, and 1: any of the
// dialog's formats, the chosen extension decides).
constexpr int kSaveAnyFormat = 1;

struct SaveDialogOffer {
  std::string proposal;  // the picture's path without its extension + the proposed one
  const char* filter = "";
};
// `stem` is the shown picture's path without its extension.
SaveDialogOffer PlanSaveDialog(int format, const std::string& stem);

// Whether the target's kind (by extension) is one a picture may be saved
// over by the save modes that take a given path (12-30).
inline bool SaveKindAllowed(int kind) { return kind >= 12 && kind <= 30; }

// Whether a picture file of this kind can be written again in its own form
// (BMP, JPEG, PNG, zipped bitmap). Save of any other picture (GIF, TIFF,
// metafiles, plug-in forms) goes through the save dialog, so that a ".gif"
// never ends up holding a bitmap.
inline bool WritesOwnForm(int kind) { return kind == 12 || kind == 13 || kind == 14 || kind == 22; }

// A "-", "=" or "+" marked BMP name ("x.+bmp"): compressed or enciphered
// forms are never written directly (string 338).
bool MarkedBitmapName(const std::string& path);

// A ".pdf" target: the picture goes first to a scratch JPEG.
bool PdfTarget(const std::string& path);

// The format code for a target of file kind `kind` (12 BMP, 13 JPEG, 14 PNG,
// 22 zipped bitmap; others keep `format`), the picture's bit count and the
// target's last four characters lower-cased (".jpg", "jpeg").
int SaveFormatCode(int kind, int format, int bitCount, const std::string& lowerTail);

// The sizes of a picture to save from its header (40 bytes and the colour
// table). `empty` when width, height or the total is 0 (string 334).
struct SaveSizes {
  uint32_t colours = 0;
  uint64_t infoSize = 0;   // header + 4 x colours
  uint64_t imageSize = 0;  // the header's image size, or stride x height when it gives 0
  uint64_t total = 0;      // image + info + 14
  uint64_t buffer = 0;     // bytes to allocate for the rows (JPEG room for 24 bits)
  bool empty = false;
};
SaveSizes PlanSaveSizes(const uint8_t* header, int format);

// Where the pixel rows of a packed DIB of `blockSize` bytes lie and how many
// may be copied: after the header and its colour table, the image size (or
// stride x height when the header gives 0), never past the block's end.
struct PackedDibRows {
  size_t offset = 0;
  size_t bytes = 0;
  bool ok = false;  // a header that fits the block
};
PackedDibRows LocatePackedDibRows(const uint8_t* dib, size_t blockSize);

// A packed DIB's rows stored top-down (negative height) turned bottom-up in
// place, the header's height made positive; the writers take bottom-up rows
// only. Compressed rows and bottom-up ones are left as they are. `rowsSize`
// is what `rows` holds.
void MakeRowsBottomUp(uint8_t* header, uint8_t* rows, size_t rowsSize);

// The shown picture's rows as indexes into its own colour table. A bitmap on
// the screen gives its pixels back at 24 bits (a colour table asked of it is
// the system's, not the picture's); this turns them into `bits` (1, 4 or 8)
// per pixel again. `rgb`: `height` bottom-up rows of `width` pixels, blue
// green red, rows padded to four bytes; `palette`: `colours` entries of
// blue, green, red, unused. Each pixel takes the first entry of its colour,
// or the nearest entry when none has it exactly. `out` receives the rows
// padded to four bytes; false (nothing written) when the depth, the table or
// the sizes do not fit.
bool IndexRowsByPalette(const uint8_t* rgb, uint32_t width, uint32_t height, const uint8_t* palette,
                        uint32_t colours, int bits, uint8_t* out, size_t outSize);

}  // namespace img
