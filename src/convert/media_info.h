// Information text for sound and video files: a title line with the kind of
// media, then what the file's head holds: the format fields of a WAV file,
// the tag text of an MP3 file (the tail tag and the head frames), the content
// description of a Windows Media file, and the text events of a MIDI file.
//
// Every field is read within the bytes actually held (the head's read size,
// the bytes the tail read gave); a field beyond them ends that part of the
// text. A damaged header gives a shorter text, never an error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/load_buffer.h"
#include "convert/source_file.h"

namespace convert {

struct MediaFile {
  int kind = 0;                       // 51-58: MIDI, WAV, video kinds, MP3/WMA
  std::string extension;              // the path's last three characters, as written
  const std::uint8_t* head = nullptr; // the file's first bytes
  std::size_t headSize = 0;           // bytes of the head that hold file data
  SourceFile* file = nullptr;         // for the MP3 tail tag (nullptr: none read)
};

void WriteMediaInfo(const MediaFile& media, LoadBuffer& out);

// A Windows Media time (100-ns steps since 1601-01-01, UTC) as
// " yyyy/mm/dd hhhmmmsss (UTC)"; right from 1901 to 2099.
std::string FormatMediaTime(std::uint64_t ticks);

}  // namespace convert
