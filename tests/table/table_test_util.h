// Tables built in code and rendered through the rebuild, for the table tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "table/table_render.h"
#include "rtf_tokens.h"

namespace tabletest {

// One row of the working form: cells joined by 0x06, then CR LF.
inline std::string Row(const std::vector<std::string>& cells) {
  std::string s;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i) s += '\x06';
    s += cells[i];
  }
  return s + "\r\n";
}

struct Rendered {
  table::RenderResult result;
  std::string rtf;
  RtfDoc doc;
  std::vector<std::uint32_t> map;
  std::vector<std::int32_t> edges;

  // The first paragraph whose text holds `part`.
  const RtfPara* Para(const std::string& part) const {
    for (const RtfPara& p : doc.paras) {
      if (p.Text().find(part) != std::string::npos) return &p;
    }
    return nullptr;
  }
  int RuleCount() const {
    int n = 0;
    for (const RtfPara& p : doc.paras) n += p.IsRule();
    return n;
  }
};

// Owns the document buffer of one rebuild.
struct OutputBlock {
  table::OutputText out;
  OutputBlock() {
    out.text = static_cast<char*>(fw::Alloc(16));
    out.text[0] = 0;
    out.capacity = 16;
    out.readEnd = 16;
  }
  ~OutputBlock() { fw::Free(out.text); }
};

inline Rendered RenderTable(csv::Table& t, table::RenderRequest req) {
  Rendered r;
  r.map.assign(4096, 0xFFFFFFFFu);
  r.edges.assign(table::kColumnEdgeCount, -1);
  req.paraRowMap = r.map.data();
  req.paraRowMapSize = static_cast<std::uint32_t>(r.map.size());
  req.columnEdges = r.edges.data();
  req.columnEdgeSize = table::kColumnEdgeCount;
  OutputBlock block;
  r.result = table::RebuildTable(t, block.out, req);
  if (block.out.text) r.rtf.assign(block.out.text, block.out.len);
  r.doc = ParseRtf(r.rtf);
  return r;
}

inline Rendered Render(const std::string& text, table::RenderRequest req = table::RenderRequest()) {
  csv::Table t;
  EXPECT_TRUE(t.Assign(text.data(), text.size(), 16));
  return RenderTable(t, req);
}

inline table::RenderRequest Cmd(int cmd) {
  table::RenderRequest q;
  q.cmd = cmd;
  return q;
}

}  // namespace tabletest
