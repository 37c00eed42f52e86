// The document's load and save encoding as the open-and-save tests use them:
// bytes in, the Shift-JIS text and how it was read out; text and that record
// in, the bytes a save writes.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/docopen/textload.h"
#include "core/textcodec/keepbytes.h"
#include "fw/alloc.h"

namespace docopentest {

struct Loaded {
  std::string text;
  textcodec::DecodeResult info;
};

inline Loaded Load(const std::string& bytes, textcodec::TextEncoding hint = textcodec::TextEncoding::kAuto,
                   std::size_t piece = 0, textcodec::ReadBack readBack = textcodec::ReadBack::kAsRead) {
  docopen::TextLoad t;
  EXPECT_TRUE(docopen::LoadTextToSjis(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), hint, 16,
                                      &t, piece, nullptr, readBack));
  Loaded l;
  l.text.assign(t.text, t.length);
  l.info = t.info;
  fw::Free(t.text);
  return l;
}

inline std::string Save(const std::string& text, const textcodec::DecodeResult& how, std::size_t* lost) {
  std::string out;
  textcodec::TextCodecError error;
  EXPECT_TRUE(textcodec::EncodeForSave(text.data(), text.size(), how, &out, lost, &error));
  return out;
}

}  // namespace docopentest
