#include "export/xlsx/xlsx_export.h"

#include <algorithm>
#include <cstdio>

#include "core/docsvc/backup.h"
#include "core/docsvc/scratch_lock.h"
#include "export/xlsx/xlsx_charts.h"
#include "export/xlsx/xlsx_delivery.h"
#include "export/xlsx/xlsx_package_parts.h"
#include "export/xlsx/xlsx_pictures.h"
#include "export/xlsx/xlsx_prescan.h"
#include "export/xlsx/xlsx_section.h"
#include "export/xlsx/xlsx_sheet.h"
#include "export/xlsx/xlsx_sheetmodel.h"
#include "export/xlsx/xlsx_shapes.h"
#include "export/xlsx/xlsx_styles.h"
#include "fw/file.h"
#include "fw/path.h"

namespace xlsx {
namespace {

// The first capacity is capped: a big table's parts grow the buffer as they need.
constexpr std::uint64_t kCapacityFloor = 500000;
constexpr std::uint64_t kCapacityExtra = 9000;
constexpr std::uint64_t kCapacityCap = 64ull << 20;

int MemoryShort(XlsxRunHost& host) {
  host.ReportMessage(155, CString());
  return -1;
}

}  // namespace

const char* const kXlsxScratchFolders[10] = {
    "\\xl",           "\\xl\\worksheets", "\\xl\\worksheets\\_rels", "\\xl\\drawings", "\\xl\\media",
    "\\xl\\drawings\\_rels", "\\xl\\charts", "\\xl\\_rels",           "\\_rels",       "\\docProps",
};

std::vector<CString> XlsxArchiveEntries() {
  return {CString("test"), CString("_rels"), CString("docProps"), CString("xl"), CString("[Content_Types].xml")};
}

std::uint64_t XlsxWorkCapacity(std::uint64_t textLen, std::int64_t lastRow, std::uint64_t fieldCount) {
  const std::uint64_t rows = lastRow < 0 ? 0 : static_cast<std::uint64_t>(lastRow) + 1;
  std::uint64_t s = kCapacityCap;
  // rows × fields × 100 fits 64 bits for every 32-bit row and field count.
  if (rows <= 0xFFFFFFFFull && fieldCount <= 0xFFFFFFFFull) {
    const std::uint64_t cells = rows * fieldCount;
    if (cells <= kCapacityCap / 100) s = std::min(kCapacityCap, textLen + cells * 100);
  }
  s = std::max(s, kCapacityFloor);
  return std::min(s, kCapacityCap) + kCapacityExtra;
}

bool XlsxNextSheetFollows(const csv::TableFields& t, std::uint32_t n, std::uint32_t len) {
  const std::uint32_t next = n + 1;
  if (next > t.BlockCount() || next >= static_cast<std::uint32_t>(csv::MAX_CSV_BLOCKS)) return false;
  if (!(t.m_aSecRow[next] < static_cast<std::uint32_t>(std::max(t.m_nLastRow, 0)) + 1)) return false;
  if (!(static_cast<std::uint64_t>(t.m_aSecScanPos[next]) + 10 < len)) return false;
  return n < static_cast<std::uint32_t>(kMaxSheets);
}

int XlsxWriteParts(XlsxRun& run, const XlsxRunInput& in, exportcore::PartSink& sink, XlsxRunHost& host) {
  const csv::TableFields& t = *in.table;
  run.Clear();
  run.colourBarColumn = in.colourBarColumn;
  for (int i = 0; i < 10; ++i) {
    run.colourBarChars[i] = in.colourBarChars ? in.colourBarChars[i] : '\0';
    run.colourBarCodes[i] = in.colourBarCodes ? in.colourBarCodes[i] : '\0';
    if (in.colourBarChars && in.colourBarChars[i] == '\0') break;
  }
  run.curLine = in.curLine;

  if (!run.XlsxWorkBuffer.Reserve(XlsxWorkCapacity(t.m_nTextLen, t.m_nLastRow, t.m_nFieldCount)))
    return MemoryShort(host);

  const char* text = reinterpret_cast<const char*>(t.m_pTextBuf);
  const std::uint32_t len = text ? t.m_nTextLen : 0;
  if (!text) text = "";
  const long long list = XlsxPreScan(text, len, run);
  if (list >= 0) XlsxReadSheetList(text, len, static_cast<std::uint32_t>(list), run);

  XlsxPictureFolders folders;
  folders.programDir = in.programDir;
  folders.macroDir = in.macroDir;
  folders.tablePath = in.tablePath;

  for (std::uint32_t n = 1;; ++n) {
    const XlsxSheetNotes notes = XlsxReadSheetModel(t, text, len, n, run);
    if (notes.overLimit) {
      CString m;
      m.Format("Data lines %u over limit 1048576", notes.overLimitRow);
      host.ShowMessage(m);
    }
    run.XlsxSheetCount = n;
    XlsxWriteSheetCharts(run, t, sink, host);
    if (XlsxSheetFormatSection(run, t, host, host.ConditionSelector()) < 0) return -1;
    const SheetPartResult r = WriteSheetPart(run, t, sink);
    if (r == SheetPartResult::kNoMemory) return MemoryShort(host);
    // The sheet's pictures, then its drawn objects after the chart anchors.
    XlsxCopySheetPictures(run, text, len, run.XlsxObjects.shapes, folders, sink, host, false);
    if (!XlsxDrawingShapes(run, t, run.XlsxObjects.shapes)) return MemoryShort(host);
    XlsxStoreSheetDrawing(run, sink);
    if (r == SheetPartResult::kCut) {
      host.ShowMessage("Too many items to convert");
      break;
    }
    if (!XlsxNextSheetFollows(t, n, len)) break;
  }

  if (XlsxWriteStyles(run, sink) < 0) return MemoryShort(host);
  if (XlsxWriteWorkbookParts(run, sink) < 0) return MemoryShort(host);
  if (sink.MemoryShort() || run.XlsxWorkBuffer.Failed()) return MemoryShort(host);
  return 0;
}

int XlsxWritePackageRun(XlsxRun& run, const XlsxRunInput& in, XlsxRunHost& host) {
  const CString tree = docsvc::XlsxScratchDir(in.programDir);
  docsvc::EnsureScratchFolders(in.programDir);
  fw::MakeDir(tree);
  // Held from emptying the tree to the end of the delivery.
  docsvc::ScratchLock lock(tree);
  if (!lock.Held() || !docsvc::EmptyScratchFolder(tree)) {
    host.ReportMessage(2, host.CannotOpenText(tree));
    return -1;
  }
  for (const char* f : kXlsxScratchFolders) fw::MakeDir(tree + f);

  exportcore::FolderPartSink sink(tree);
  const int r = XlsxWriteParts(run, in, sink, host);
  if (r < 0) return r;
  if (sink.AnyFailed()) {
    CString m;
    m.Format("file open eror : %s", sink.FilePath(sink.FirstFailure().c_str()).GetString());
    host.ShowMessage(m);
    return -1;
  }

  const CString package = tree + "\\" + kXlsxPackageName;
  CFileStatus st;
  if (CFile::GetStatus(package, st)) {
    try {
      CFile::Remove(package);
    } catch (const CFileException&) {
    }
  }
  if (host.CreateArchive(tree, XlsxArchiveEntries(), kXlsxPackageName) < 0) return -1;
  switch (XlsxDeliverPackage(package, in.target, host)) {
    case XlsxDelivery::kDone:
      return 0;
    case XlsxDelivery::kNoPackage: {
      CString m;
      m.Format("file open eror : %s", package.GetString());
      host.ShowMessage(m);
      return -1;
    }
    default:
      return -1;
  }
}

}  // namespace xlsx
