#include "convert/word_row.h"

#include <algorithm>
#include <vector>

#include "convert/office_pictures.h"
#include "convert/rtf_text.h"

namespace convert {

WordRequest WordRequestFor(const RenderJob& job) {
  WordRequest req;
  req.readerMode = job.readerMode;
  req.nChar = job.nChar > 0 ? job.nChar : 157;
  req.gridLines = job.tblMax > 0 ? job.tblMax : 5000;
  req.openContext = job.openContext;
  req.fileKind = job.m_nKind;
  return req;
}

WordStreams WordStreamsOf(const RenderJob& job, const CompoundStreamTable& table, bool cut) {
  WordStreams s;
  s.data = job.Head();
  s.size = table.end > 0 ? static_cast<std::size_t>(table.end) : 0;
  if (job.headCapacity && s.size > job.headCapacity) s.size = job.headCapacity;
  for (int i = 0; i < kWordSlots && i < kCompoundSlots; ++i) {
    s.slot[i] = table.slot[i];
    s.slotSize[i] = table.length[i];
  }
  s.cut = cut;
  return s;
}

std::int64_t ReadWordDocument(RenderJob& job, CfbReader& reader, const CompoundStreamTable& table) {
  const WordStreams s = WordStreamsOf(job, table, reader.Truncated());
  // The object list: the picture entries of the copies, in stream order; an
  // entry that only refers to its picture finds it in the main stream.
  OfficePictureTable& pics = job.pictures;
  pics.Clear();
  pics.dataEnd = static_cast<std::int32_t>(s.size);
  const std::int32_t mainFrom = s.slot[0];
  const std::int32_t mainTo = s.slot[0] > 0 ? s.slot[0] + s.slotSize[0] : 0;
  // The main stream holds no picture entries (only the pictures an entry of
  // the table stream refers to), so its text is not searched.
  for (int i = 1; i < 5; ++i) {
    if (s.slot[i] <= 0 || s.slotSize[i] <= 0) continue;
    const std::int64_t to = std::min<std::int64_t>(static_cast<std::int64_t>(s.slot[i]) + s.slotSize[i],
                                                   static_cast<std::int64_t>(s.size));
    FillPicturesFromDrawing(s.data, s.slot[i], static_cast<std::int32_t>(to), mainFrom, mainTo, pics);
  }
  std::vector<WordPicture> list(static_cast<std::size_t>(pics.Count()));
  for (int i = 0; i < pics.Count(); ++i) list[static_cast<std::size_t>(i)].letter = pics.At(i).type;

  const WordResult r = WordCompoundToText(s, WordRequestFor(job), job.out, list);
  if (r.outcome == WordOutcome::kRtf) {
    // Handed to the RTF reader as kind 4.
    job.m_nKind = 4;
    RtfWords words;
    words.m_nConvStyle = job.m_nConvStyle;
    words.m_nDumpBreaks = job.m_nDumpBreaks;
    words.m_nOpenContext = job.openContext;
    words.fromWord = true;
    words.outdata = job.outdata;
    ConvertRtfToText(s.data + r.rtfAt, r.rtfSize, job.out, words);
  }
  if (r.damage) reader.Damage().Mark(r.damage);
  return static_cast<std::int64_t>(job.out.Size());
}

std::int64_t WordHeadToText(RenderJob& job) {
  WordFileToText(job.Head(), static_cast<std::size_t>(job.readSize), WordRequestFor(job), job.out);
  return static_cast<std::int64_t>(job.out.Size());
}

}  // namespace convert
