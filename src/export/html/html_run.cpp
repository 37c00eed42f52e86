#include "export/html/html_run.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "core/docsvc/backup.h"
#include "core/docsvc/scratch_lock.h"
#include "core/safewrite/safewrite.h"
#include "export/html/html_body.h"
#include "export/html/html_classes.h"
#include "export/html/html_sheet.h"
#include "export/xlsx/xlsx_charts.h"
#include "export/xlsx/xlsx_prescan.h"
#include "export/xlsx/xlsx_section.h"
#include "export/xlsx/xlsx_sheetmodel.h"
#include "fw/path.h"

namespace htmlexport {
namespace {

// First capacities: bytes per cell, the body's floor, the spare bytes, the
// cap (the buffers grow past it as the page needs), and the attempts, each
// with half the size of the one before.
constexpr std::uint64_t kBodyBytesPerCell = 100;
constexpr std::uint64_t kHeadBytesPerCell = 1000;
constexpr std::uint64_t kBodyFloor = 500000;
constexpr std::uint64_t kSpareBytes = 9000;
constexpr std::uint64_t kCapacityCap = 64ull << 20;
constexpr int kBodyAttempts = 3;
constexpr int kHeadAttempts = 2;

constexpr const char kHeadStart[] =
    "<html>\r\n<head>\r\n"
    "<meta http-equiv=Content-Type content=\"text/html; charset=shift_jis\">\r\n"
    "<style type=\"text/css\">\r\n"
    "<!--\r\n"
    "h5 { page-break-before: always; }\r\n";
constexpr const char kHeadEnd[] = "-->\r\n</style></head>\r\n<body>\r\n";
constexpr const char kSheetEnd[] = "<br>\r\n\r\n";
constexpr const char kPageEnd[] = "</body>\r\n</html>\r\n";

// The chart folders below "\TMP1" with the scratch lock, from the first
// sheet with a chart definition on.
class ChartGate {
 public:
  virtual ~ChartGate() = default;
  // True when the chart writer may run for this sheet.
  virtual bool Open() = 0;
};

std::uint64_t Capacity(std::uint64_t textLen, std::int64_t lastRow, std::uint64_t fieldCount, std::uint64_t perCell,
                       std::uint64_t floor) {
  const std::uint64_t rows = lastRow < 0 ? 0 : static_cast<std::uint64_t>(lastRow) + 1;
  std::uint64_t s = kCapacityCap;
  // rows x fields fits 64 bits for every 32-bit row and field count; the
  // bytes per cell are added only below the cap.
  if (rows <= 0xFFFFFFFFull && fieldCount <= 0xFFFFFFFFull) {
    const std::uint64_t cells = rows * fieldCount;
    if (cells <= kCapacityCap / perCell) s = std::min(kCapacityCap, textLen + cells * perCell);
  }
  return std::min(std::max(s, floor), kCapacityCap);
}

bool ReserveHalving(exportcore::ByteWriter& b, std::uint64_t size, int attempts) {
  for (int i = 0; i < attempts; ++i, size /= 2) {
    if (b.Reserve(size + kSpareBytes)) return true;
    b.Release();
  }
  return false;
}

int MemoryShort(xlsx::XlsxRunHost& host) {
  host.ReportMessage(155, CString());
  return -1;
}

// Steps 1-5 into run.XlsxHtmlBuffer (the head) and run.XlsxWorkBuffer (the body).
int BuildPage(xlsx::XlsxRun& run, const xlsx::XlsxRunInput& in, exportcore::PartSink& chartSink,
              xlsx::XlsxRunHost& host, ChartGate* gate) {
  const csv::TableFields& t = *in.table;
  run.Clear();
  run.htmlMode = true;
  exportcore::ByteWriter& head = run.XlsxHtmlBuffer;
  exportcore::ByteWriter& body = run.XlsxWorkBuffer;
  if (!ReserveHalving(body, HtmlBodyCapacity(t.m_nTextLen, t.m_nLastRow, t.m_nFieldCount), kBodyAttempts) ||
      !ReserveHalving(head, HtmlHeadCapacity(t.m_nTextLen, t.m_nLastRow, t.m_nFieldCount), kHeadAttempts))
    return MemoryShort(host);

  const char* text = reinterpret_cast<const char*>(t.m_pTextBuf);
  const std::uint32_t len = text ? t.m_nTextLen : 0;
  if (!text) text = "";
  const long long list = xlsx::XlsxPreScan(text, len, run);
  if (list >= 0) xlsx::XlsxReadSheetList(text, len, static_cast<std::uint32_t>(list), run);

  head.Append(kHeadStart);
  exportcore::ByteWriter rows;  // one sheet's rows (html_body.h)
  bool cssReported = false;
  for (std::uint32_t n = 1;; ++n) {
    const xlsx::XlsxSheetNotes notes = xlsx::XlsxReadSheetModel(t, text, len, n, run);
    if (notes.overLimit) {
      CString m;
      m.Format("Data lines %u over limit 1048576", notes.overLimitRow);
      host.ShowMessage(m);
    }
    run.XlsxSheetCount = n;
    if (run.sheet.chartDefinition != 0 && (!gate || gate->Open())) {
      xlsx::XlsxWriteSheetCharts(run, t, chartSink, host);
      xlsx::XlsxStoreSheetDrawing(run, chartSink);
    }
    if (xlsx::XlsxSheetFormatSection(run, t, host, host.ConditionSelector(), true) < 0) return -1;

    const HtmlSheetFrame frame = HtmlFrameOf(run);
    HtmlClassIndex index;
    HtmlClassNotes classNotes;
    HtmlWriteSheetClasses(run, frame, text, len, head, index, classNotes);
    if (classNotes.cssShort && !cssReported) {
      host.ReportMessage(123, CString());
      cssReported = true;
    }
    if (!HtmlWriteSheetBody(run, frame, index, text, len, body, rows) || head.Failed()) return MemoryShort(host);

    if (!xlsx::XlsxNextSheetFollows(t, n, len)) break;
  }

  // The page's end: the last sheet's "<br>\r\n\r\n" gives way to the end tags.
  const std::size_t tail = sizeof kSheetEnd - 1;
  if (body.Size() >= tail && std::memcmp(body.Data() + body.Size() - tail, kSheetEnd, tail) == 0)
    body.Truncate(body.Size() - tail);
  body.Append(kPageEnd);
  head.Append(kHeadEnd);
  if (body.Failed() || head.Failed()) return MemoryShort(host);
  return 0;
}

// The lock and folders of "\TMP1" for the charts of an HTML run.
class ScratchChartGate : public ChartGate {
 public:
  explicit ScratchChartGate(const CString& programDir) : m_programDir(programDir) {}
  bool Open() override {
    const CString tree = docsvc::XlsxScratchDir(m_programDir);
    if (!m_lock) {
      docsvc::EnsureScratchFolders(m_programDir);
      fw::MakeDir(tree);
      m_lock = std::make_unique<docsvc::ScratchLock>(tree);
    }
    if (!m_lock->Held()) return false;
    for (const char* f : {"\\xl", "\\xl\\charts", "\\xl\\drawings"}) fw::MakeDir(tree + f);
    return true;
  }

 private:
  CString m_programDir;
  std::unique_ptr<docsvc::ScratchLock> m_lock;
};

}  // namespace

std::uint64_t HtmlBodyCapacity(std::uint64_t textLen, std::int64_t lastRow, std::uint64_t fieldCount) {
  return Capacity(textLen, lastRow, fieldCount, kBodyBytesPerCell, kBodyFloor);
}

std::uint64_t HtmlHeadCapacity(std::uint64_t textLen, std::int64_t lastRow, std::uint64_t fieldCount) {
  return Capacity(textLen, lastRow, fieldCount, kHeadBytesPerCell, 0);
}

int XlsxWriteHtmlPage(xlsx::XlsxRun& run, const xlsx::XlsxRunInput& in, exportcore::PartSink& chartSink,
                      xlsx::XlsxRunHost& host, std::string* page) {
  page->clear();
  try {
    const int r = BuildPage(run, in, chartSink, host, nullptr);
    if (r < 0) return r;
    const exportcore::ByteWriter& head = run.XlsxHtmlBuffer;
    const exportcore::ByteWriter& body = run.XlsxWorkBuffer;
    page->reserve(head.Size() + body.Size());
    page->assign(head.Data(), head.Size());
    page->append(body.Data(), body.Size());
    return 0;
  } catch (const std::bad_alloc&) {
    page->clear();
    return MemoryShort(host);
  }
}

int XlsxWriteHtmlRun(xlsx::XlsxRun& run, const xlsx::XlsxRunInput& in, xlsx::XlsxRunHost& host) {
  // Held from the first sheet with a chart definition to the end of the run.
  ScratchChartGate gate(in.programDir);
  exportcore::FolderPartSink chartSink(docsvc::XlsxScratchDir(in.programDir));
  try {
    const int r = BuildPage(run, in, chartSink, host, &gate);
    if (r < 0) return r;
  } catch (const std::bad_alloc&) {
    return MemoryShort(host);
  }
  // One block for the file: the body after the head.
  exportcore::ByteWriter& head = run.XlsxHtmlBuffer;
  const exportcore::ByteWriter& body = run.XlsxWorkBuffer;
  head.Append(body.Data(), body.Size());
  if (head.Failed()) return MemoryShort(host);
  viewcore::SafeWriteOptions options;  // no backup, the time of the write
  if (!viewcore::SafeWriteFile(in.target, head.Data(), head.Size(), options).ok) {
    CString m;
    m.Format("file open eror : %s", in.target.GetString());
    host.ShowMessage(m);
    return -1;
  }
  return 0;
}

}  // namespace htmlexport
