// Small ".xlsx" packages built byte by byte for the reader's tests: stored
// members with their CRC, a central directory and its end record.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace xlsx_test {

inline void Put(std::string& s, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

inline std::uint32_t Crc32(const std::string& data) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : data) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

using Parts = std::vector<std::pair<std::string, std::string>>;

// A ZIP of stored members, in order.
inline std::string StoredZip(const Parts& parts) {
  std::string local, central;
  for (const auto& p : parts) {
    const std::uint32_t offset = static_cast<std::uint32_t>(local.size());
    const std::uint32_t crc = Crc32(p.second), n = static_cast<std::uint32_t>(p.second.size());
    std::string head;
    Put(head, 20, 2);
    Put(head, 0, 2);
    Put(head, 0, 2);
    Put(head, 0x6000, 2);
    Put(head, 0x5A21, 2);
    Put(head, crc, 4);
    Put(head, n, 4);
    Put(head, n, 4);
    Put(head, static_cast<std::uint32_t>(p.first.size()), 2);
    Put(head, 0, 2);
    local += "PK\x03\x04" + head + p.first + p.second;
    central += "PK\x01\x02";
    Put(central, 20, 2);
    central += head;
    Put(central, 0, 2);   // comment
    Put(central, 0, 2);   // disk
    Put(central, 0, 2);   // internal attributes
    Put(central, 0, 4);   // external attributes
    Put(central, offset, 4);
    central += p.first;
  }
  std::string end = "PK\x05\x06";
  Put(end, 0, 2);
  Put(end, 0, 2);
  Put(end, static_cast<std::uint32_t>(parts.size()), 2);
  Put(end, static_cast<std::uint32_t>(parts.size()), 2);
  Put(end, static_cast<std::uint32_t>(central.size()), 4);
  Put(end, static_cast<std::uint32_t>(local.size()), 4);
  Put(end, 0, 2);
  return local + central + end;
}

// A workbook of `sheets` sheets; sheet n holds the number n in A1 and the
// text "s<n>" in B1.
inline Parts Workbook(int sheets, const std::string& extraStyles = "") {
  Parts parts;
  std::string rels = "<Relationships>", book = "<workbook><sheets>";
  for (int n = 1; n <= sheets; ++n) {
    const std::string id = std::to_string(n);
    rels += "<Relationship Id=\"rId" + id + "\" Target=\"worksheets/sheet" + id + ".xml\"/>";
    book += "<sheet name=\"Sheet" + id + "\" sheetId=\"" + id + "\" r:id=\"rId" + id + "\"/>";
  }
  parts.push_back({"xl/_rels/workbook.xml.rels", rels + "</Relationships>"});
  parts.push_back({"xl/workbook.xml", book + "</sheets></workbook>"});
  parts.push_back({"xl/styles.xml", "<styleSheet>" + extraStyles + "</styleSheet>"});
  for (int n = 1; n <= sheets; ++n) {
    const std::string id = std::to_string(n);
    parts.push_back({"xl/worksheets/sheet" + id + ".xml",
                     "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>" + id +
                         "</v></c><c r=\"B1\" t=\"inlineStr\"><is><t>s" + id + "</t></is></c></row></sheetData></worksheet>"});
  }
  return parts;
}

}  // namespace xlsx_test
