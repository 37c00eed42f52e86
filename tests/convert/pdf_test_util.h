// A PDF run object over bytes held by the test.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/pdf_converter.h"

namespace pdftest {

struct Run {
  explicit Run(const std::string& text, std::size_t extra = 0, convert::PdfRunWords words = {})
      : bytes(text.begin(), text.end()) {
    bytes.resize(text.size() + extra + 16);
    words.readSize = static_cast<std::int32_t>(text.size());
    pdf = std::make_unique<convert::PdfConverter>(bytes.data(), static_cast<std::int32_t>(text.size()),
                                                  text.size() + extra, words, out, nullptr);
  }
  convert::PdfConverter& operator*() { return *pdf; }
  convert::PdfConverter* operator->() { return pdf.get(); }

  std::vector<std::uint8_t> bytes;
  convert::LoadBuffer out;
  std::unique_ptr<convert::PdfConverter> pdf;
};

inline const std::uint8_t* U(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }
inline std::int32_t L(const std::string& s) { return static_cast<std::int32_t>(s.size()); }

}  // namespace pdftest
