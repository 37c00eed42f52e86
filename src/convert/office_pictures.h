// The picture table the binary Office readers fill (type letter, position,
// size of each picture entry) and the picture extraction at the end of the
// readers: the picture of the requested number is copied out of the head
// buffer and handed to the picture saver (picture_save.h).
//
// Positions are offsets into the head buffer: for a compound document, into
// the reader's copies of its streams (so a fragmented stream still gives the
// right bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fw/cstring.h"

namespace convert {

struct RenderJob;

struct OfficePicture {
  std::uint8_t type = 0;      // first header byte of the entry: 0x52 JPEG, 0x62 PNG, 0x22 EMF, 0x32 WMF
  std::int32_t position = 0;  // offset of the picture's data in the head buffer
  std::int32_t size = 0;      // bytes of the picture
};

class OfficePictureTable {
 public:
  static constexpr int kMax = 400;

  // False (nothing added) when the table is full.
  bool Add(const OfficePicture& p);
  int Count() const { return static_cast<int>(m_entries.size()); }
  const OfficePicture& At(int i) const { return m_entries[static_cast<std::size_t>(i)]; }
  void Clear() { m_entries.clear(); }

  // Kind 1: where the "Pictures" stream starts in the head buffer (its
  // entries' positions count from there); 512 when it is absent.
  std::int32_t picturesStart = 512;
  // The end of the bytes the positions may point into (the copies' end);
  // 0: the job's read size.
  std::int32_t dataEnd = 0;

 private:
  std::vector<OfficePicture> m_entries;
};

// The marker of a picture by its type letter: "[Image%d]JPG" (R), "[Image%d]PNG"
// (b), "[Graph]" ("), "[WorkSheet]" (2), "[Object]" (anything else).
CString PictureMarker(std::uint8_t type, int number);

// Adds the picture entries (drawing record 0xF007, found as the bytes 0x07
// 0xF0 of a version-2 record header) met in head[from, to), in order: the
// type letter is the header's first byte; the data is the picture the entry
// holds (found by FF D8 FF or 89 50 4E 47 within 100 bytes of the blip's
// start), or, when the entry only refers to it, the picture at its delay
// offset in head[delayFrom, delayTo) (pass delayTo 0 when there is none). An
// entry whose data is not found gets position 0 and size 0. Returns the
// entries added.
int FillPicturesFromDrawing(const std::uint8_t* head, std::int32_t from, std::int32_t to, std::int32_t delayFrom,
                            std::int32_t delayTo, OfficePictureTable& table);

// The picture extraction at the end of the Office readers (job.m_nFileKind
// below 4, job.m_nExtractNo above 0, above 199 counting as 1): copies the
// picture out of the head buffer by the rules of the file's kind and saves it
// with PdfSaveEmbeddedImage(data, size, 0, 0, 0, 0). Writes string 152 and
// " 013" when the copy buffer is not had. Returns the saver's result, or 0
// when nothing was extracted.
int ExtractOfficePicture(RenderJob& job);

}  // namespace convert
