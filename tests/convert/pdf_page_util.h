// Small PDF files built in memory for the PDF reader's tests, and the reader
// run over them through the converter table.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "convert/convert_registry.h"
#include "convert/source_file.h"

namespace pdf_page {

using OwnedSource = convert::OwnedMemorySource;

// Objects 1..n with the given bodies, a trailer naming object 1 as the
// catalog (and `trailerExtra`).
inline std::string Build(const std::vector<std::string>& bodies, const std::string& trailerExtra = "") {
  std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + bodies[i] + "\nendobj\n";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(bodies.size() + 1) + "\n0000000000 65535 f \n";
  for (std::size_t off : offsets) {
    char line[32];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", off);
    pdf += line;
  }
  pdf += "trailer\n<< /Size " + std::to_string(bodies.size() + 1) + " /Root 1 0 R " + trailerExtra +
         " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

inline std::string Stream(const std::string& dict, const std::string& data) {
  return "<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

// One page of Helvetica (object 5, /F1) with `content`; `pageExtra` goes
// into the page's dictionary.
inline std::string OnePage(const std::string& content, const std::string& pageExtra = "") {
  return Build({"<< /Type /Catalog /Pages 2 0 R >>",
                "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595.28 841.89] /Resources << /Font << /F1 5 0 R >> >> "
                "/Contents 4 0 R " + pageExtra + " >>",
                Stream("", content),
                "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"});
}

struct Options {
  int widthAdjust = 5;
  int tdAdjust = 85;
  int latin1 = 0;
  int editMode = 0;
  std::int64_t indata = 204800;
  std::int64_t outdata = 2000000;
  std::int32_t tableRows = 5000;
  int openContext = 0;
};

inline convert::Result Convert(const std::string& pdf, const Options& o = Options()) {
  convert::Request q;
  q.path = "t.pdf";
  q.kind = 11;
  q.limits.indata = o.indata;
  q.limits.outdata = o.outdata;
  q.limits.tableRows = o.tableRows;
  q.openContext = o.openContext;
  q.m_nPdfWidthAdjust = o.widthAdjust;
  q.m_nPdfTdAdjust = o.tdAdjust;
  q.m_bLatin1Text = static_cast<std::uint32_t>(o.latin1);
  q.m_nDocEditMode = o.editMode;
  q.open = [pdf](const CString&) { return std::unique_ptr<convert::SourceFile>(new OwnedSource(pdf)); };
  return convert::ConvertFile(q);
}

// The text's lines without their line ends (empty ones kept).
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t nl = text.find('\n', at);
    if (nl == std::string::npos) nl = text.size();
    std::string line = text.substr(at, nl - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = nl + 1;
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

inline std::string NoBlanks(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\f') out += c;
  return out;
}

}  // namespace pdf_page
