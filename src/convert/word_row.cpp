#include "convert/word_row.h"

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

std::int64_t WordStreamsToText(RenderJob& job, const WordStreams& streams, std::vector<WordPicture>* pictures) {
  const std::size_t before = job.out.Size();
  const WordResult r = WordCompoundToText(streams, WordRequestFor(job), job.out, pictures);
  if (r.outcome == WordOutcome::kRtf) {
    // Handed to the RTF reader as kind 4.
    job.m_nKind = 4;
    RtfWords words;
    words.m_nConvStyle = job.readerMode;
    words.m_nOpenContext = job.openContext;
    words.fromWord = true;
    words.outdata = job.outdata;
    ConvertRtfToText(streams.data + r.rtfAt, r.rtfSize, job.out, words);
  }
  return static_cast<std::int64_t>(job.out.Size() - before);
}

std::int64_t WordHeadToText(RenderJob& job) {
  const std::size_t before = job.out.Size();
  WordFileToText(job.Head(), static_cast<std::size_t>(job.readSize), WordRequestFor(job), job.out);
  return static_cast<std::int64_t>(job.out.Size() - before);
}

}  // namespace convert
