// The drawn grid of the workbook layout, and the run state both forms share:
// the progress shown every 256 cells, the stop keys and the output bound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/workbook_layout.h"
#include "convert/workbook_table.h"

namespace convert {

class LayoutRun {
 public:
  LayoutRun(WorkbookTable& t, const WorkbookLayoutRequest& r, LoadBuffer& o, std::int32_t total);

  // One cell laid out. Every 256 cells of a long layout (quick load off) it
  // shows the progress, asks about Esc and looks at one waiting key: Esc
  // answered Yes, Up or Down set the run's stop flag. False once the layout
  // stopped so. A flag the reader set before the layout (a damaged record)
  // ended the reading only: the cells read are laid out.
  bool Tick();
  std::int32_t Done() const { return m_done; }

  WorkbookTable& table;
  const WorkbookLayoutRequest& req;
  LoadBuffer& out;
  bool stoppedByKey = false;

 private:
  std::int32_t m_total = 0;
  std::int32_t m_done = 0;
  bool m_progress = false;
};

// Writes the drawn grid of the sheets (each the cells of one sheet in row
// order). True when the output bound ended it (string 239 written).
bool WriteGridForm(LayoutRun& run, const std::vector<std::vector<WorkbookCell>>& sheets);

// `text` cut to at most `bytes` bytes without splitting a double-byte
// character (a lead byte whose trail would be cut off is dropped).
std::string CutSjis(const std::string& text, std::size_t bytes);

}  // namespace convert
