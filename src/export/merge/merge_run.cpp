#include "export/merge/merge_run.h"

#include <algorithm>
#include <new>

#include "core/docsvc/backup.h"
#include "core/docsvc/scratch_lock.h"
#include "export/byte_writer.h"
#include "export/merge/merge_bookkeeping.h"
#include "export/merge/merge_sheet.h"
#include "export/merge/merge_workbook.h"
#include "export/xlsx/xlsx_delivery.h"
#include "fw/codepage.h"
#include "fw/file.h"
#include "fw/filefind.h"
#include "fw/path.h"

namespace merge {

namespace {

constexpr const char* kWorksheetType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
constexpr const char* kWorksheetContentType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
constexpr const char* kBuildFolder = "~merge";  // new sheets under scratch names, below the tree
constexpr std::uint64_t kMaxPartFileBytes = std::uint64_t{512} << 20;

// The file of a package path below the tree.
CString FileOf(const CString& tree, const std::string& packagePath) {
  std::string p = packagePath;
  std::replace(p.begin(), p.end(), '/', '\\');
  return tree + "\\" + p.c_str();
}

bool Exists(const CString& path) {
  CFileStatus st;
  return CFile::GetStatus(path, st) && !(st.m_attribute & CFile::directory);
}

// A whole file; false when it cannot be opened or read (or is too large).
bool ReadWhole(const CString& path, std::string* out) {
  CFile f;
  if (!f.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) return false;
  try {
    const ULONGLONG n = f.GetLength();
    if (n > kMaxPartFileBytes) return false;
    out->resize(static_cast<std::size_t>(n));
    std::size_t done = 0;
    while (done < out->size()) {
      const UINT got = f.Read(&(*out)[done], static_cast<UINT>(out->size() - done));
      if (got == 0) break;
      done += got;
    }
    out->resize(done);
    f.Close();
  } catch (const CFileException&) {
    return false;
  }
  return true;
}

// Writes a whole file through the file layer; false on any failure.
bool WriteWhole(const CString& path, const char* data, std::size_t len) {
  CFile f;
  if (!f.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) return false;
  try {
    std::size_t done = 0;
    while (done < len) {
      const std::size_t chunk = std::min<std::size_t>(len - done, 1u << 30);
      f.Write(data + done, static_cast<UINT>(chunk));
      done += chunk;
    }
    f.Close();
  } catch (const CFileException&) {
    f.Abort();
    return false;
  }
  return true;
}

bool RemoveIfThere(const CString& path) {
  if (!Exists(path)) return true;
  try {
    CFile::Remove(path);
  } catch (const CFileException&) {
    return false;
  }
  return true;
}

// The tree's items, "TestA.xlsx" and the build folder left out.
std::vector<CString> TreeItems(const CString& tree) {
  std::vector<CString> items;
  CFileFind ff;
  BOOL more = ff.FindFile(tree + "\\*.*");
  while (more) {
    more = ff.FindNextFile();
    if (ff.IsDots()) continue;
    const CString name = ff.GetFileName();
    if (name.CompareNoCase(xlsx::kXlsxPackageName) == 0 || name.CompareNoCase(kBuildFolder) == 0) continue;
    items.push_back(name);
  }
  ff.Close();
  std::sort(items.begin(), items.end(), [](const CString& a, const CString& b) { return a.Compare(b) < 0; });
  return items;
}

std::string ToPartText(const std::string& sjis, bool shiftJisPart) {
  return shiftJisPart ? sjis : fw::Cp932ToUtf8(sjis);
}

// The target of a relationship from `source` to `part`: relative when the
// part lies below the source's folder, else from the package root.
std::string RelativeTarget(const std::string& source, const std::string& part) {
  const std::size_t slash = source.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : source.substr(0, slash + 1);
  if (part.compare(0, folder.size(), folder) == 0) return part.substr(folder.size());
  return "/" + part;
}

class Runner {
 public:
  Runner(MergeRun& run, const MergeRunInput& in, MergeRunHost& host) : r_(run), in_(in), host_(host) {}
  int Go();

 private:
  int Fail(const CString& path) {
    CString m;
    m.Format("file open eror : %s", path.GetString());
    host_.ShowMessage(m);
    return -1;
  }
  int MemoryShort() {
    host_.ReportMessage(155, CString());
    return -1;
  }
  bool ReadPackageRoot();
  int BuildSheets();
  std::string FreshSheetPath(const std::vector<std::string>& taken) const;

  MergeRun& r_;
  const MergeRunInput& in_;
  MergeRunHost& host_;
  CString tree_;
  std::string workbookPath_ = "xl/workbook.xml";
  std::string workbook_;  // its bytes
  bool shiftJisBook_ = false;
  std::vector<int> templateOf_;  // block k (from 1) -> template number
  int lastTemplate_ = 0;
};

// The workbook part named by the package's root relationships.
bool Runner::ReadPackageRoot() {
  std::string bytes;
  if (!ReadWhole(FileOf(tree_, "_rels/.rels"), &bytes)) return true;  // the usual place then
  std::vector<Relationship> rels;
  if (!ReadRelationships(bytes.data(), bytes.size(), &rels)) return true;
  for (const Relationship& rel : rels) {
    const std::string& t = rel.type;
    const std::string tail = "/officeDocument";
    if (rel.external || t.size() < tail.size() || t.compare(t.size() - tail.size(), tail.size(), tail) != 0) continue;
    const std::string path = ResolvePartTarget("", rel.target);
    if (!path.empty()) workbookPath_ = path;
    break;
  }
  return true;
}

// The block loop: each block rewritten from its template into the build
// folder. 0, or -1 after its message (none for a missing template).
int Runner::BuildSheets() {
  const char* text = in_.text ? in_.text : "";
  const std::size_t len = in_.text ? in_.textLen : 0;
  const MergeSheetRecords& table = r_.MergeSheetTable;
  const int n = static_cast<int>(table.parts.size());
  const CString build = tree_ + "\\" + kBuildFolder;
  if (!fw::MakeDir(build)) return Fail(build);
  templateOf_.assign(1, 0);
  std::size_t pos = 0;
  int t = 0;
  for (int k = 1;; ++k) {
    const BlockHead head = ReadBlockHead(text, len, pos);
    t = head.NextTemplate(t);
    if (head.Marked()) r_.marked = true;
    if (t < 1 || t > n || table.parts[static_cast<std::size_t>(t - 1)].empty()) return -1;
    std::string part;
    const CString partFile = FileOf(tree_, table.parts[static_cast<std::size_t>(t - 1)]);
    if (!ReadWhole(partFile, &part)) return -1;
    if (head.hasTitle && k < kMergeNameSlots) {
      r_.MergeSheetTable.titles[static_cast<std::size_t>(k)] = head.title;
      r_.MergeSheetTable.titled[static_cast<std::size_t>(k)] = true;
    }
    if (k < kMergeMapSlots) r_.MergeBlockMap[static_cast<std::size_t>(k)] = t;
    templateOf_.push_back(t);
    lastTemplate_ = t;

    exportcore::ByteWriter out;
    const SheetRewriteResult rw = RewriteTemplateSheet(part.data(), part.size(), text, len, head.end, &out);
    if (rw.unsupported) return Fail(partFile);
    if (!rw.ok) return MemoryShort();
    CString name;
    name.Format("%s\\sheet%dAA.xml", build.GetString(), k);
    bool written;
    if (k != t) {
      const std::string kept = LeaveOutRelationshipMarkup(out.Data(), out.Size());
      written = WriteWhole(name, kept.data(), kept.size());
    } else {
      written = WriteWhole(name, out.Data(), out.Size());
    }
    if (!written) return Fail(name);

    pos = rw.textPos;
    if (pos >= len) break;
    if (IsSheetListLine(text, len, pos)) {
      const SheetList list = ReadSheetList(text, len, pos);
      r_.MergeOrderList = list.order;
      r_.MergeExtraNames = list.names;
      r_.activeSheet = list.active;
      pos = list.end;
      if (pos < len && text[pos] == '!') continue;
      break;
    }
    if (t >= n || table.parts[static_cast<std::size_t>(t)].empty() ||
        !Exists(FileOf(tree_, table.parts[static_cast<std::size_t>(t)])))
      break;
  }
  return 0;
}

// "xl/worksheets/sheet%d.xml" with the first number no file, part name or
// relationship target of the package uses.
std::string Runner::FreshSheetPath(const std::vector<std::string>& taken) const {
  for (long long d = 1;; ++d) {
    const std::string p = "xl/worksheets/sheet" + std::to_string(d) + ".xml";
    bool used = Exists(FileOf(tree_, p));
    for (const std::string& t : taken) {
      if (used) break;
      used = CString(t.c_str()).CompareNoCase(p.c_str()) == 0;
    }
    if (!used) return p;
  }
}

int Runner::Go() {
  tree_ = docsvc::XlsxScratchDir(in_.programDir);
  docsvc::EnsureScratchFolders(in_.programDir);
  fw::MakeDir(tree_);
  // Held from emptying the tree to the end of the delivery.
  docsvc::ScratchLock lock(tree_);
  if (!lock.Held() || !docsvc::EmptyScratchFolder(tree_)) {
    host_.ReportMessage(2, host_.CannotOpenText(tree_));
    return -1;
  }
  {
    CFile probe;
    if (!probe.Open(in_.workbook, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary))
      return Fail(in_.workbookAsGiven);
    probe.Abort();
  }
  const int unzipped = host_.UnzipArchive(in_.workbook, tree_);
  if (unzipped < 0) {
    CString m;
    m.Format("file unzip eror : %s", in_.workbookAsGiven.GetString());
    host_.ShowMessage(m);
    return unzipped;
  }

  // The sheets and their parts, by reference.
  ReadPackageRoot();
  MergeSheetRecords& table = r_.MergeSheetTable;
  if (!ReadWhole(FileOf(tree_, workbookPath_), &workbook_)) return Fail("workbook.xml");
  const PartEncoding bookEncoding = DetectPartEncoding(workbook_.data(), workbook_.size());
  if (bookEncoding == PartEncoding::Utf16) return Fail(in_.workbookAsGiven);
  shiftJisBook_ = bookEncoding == PartEncoding::ShiftJis;
  if (!ReadWorkbookSheets(workbook_.data(), workbook_.size(), &table.sheets) || table.sheets.empty())
    return Fail("workbook.xml");
  const std::string relsPath = RelationshipsPartOf(workbookPath_);
  std::string relsBytes;
  if (!ReadWhole(FileOf(tree_, relsPath), &relsBytes) ||
      !ReadRelationships(relsBytes.data(), relsBytes.size(), &table.rels))
    return Fail("workbook.xml");
  table.parts = SheetPartPaths(table.sheets, table.rels, workbookPath_);
  const int n = static_cast<int>(table.parts.size());

  const int built = BuildSheets();
  if (built < 0) return built;
  const int K = static_cast<int>(templateOf_.size()) - 1;
  const int t = lastTemplate_;

  // Where each new sheet goes, which template parts go, and what the
  // relationships and content types gain and lose.
  std::string ctBytes;
  ContentTypes types;
  const bool haveTypes = ReadWhole(FileOf(tree_, "[Content_Types].xml"), &ctBytes) &&
                         ReadContentTypes(ctBytes.data(), ctBytes.size(), &types);
  if (!haveTypes) return Fail("[Content_Types].xml");
  std::vector<std::string> taken;  // part paths in use
  for (const ContentTypes::Entry& o : types.overrides) taken.push_back(o.key.empty() ? o.key : o.key.substr(1));
  for (const Relationship& rel : table.rels)
    if (!rel.external) taken.push_back(ResolvePartTarget(workbookPath_, rel.target));
  std::vector<std::string> usedIds;
  for (const Relationship& rel : table.rels) usedIds.push_back(rel.id);
  std::string worksheetType = kWorksheetType;
  for (const Relationship& rel : table.rels)
    if (IsWorksheetRelationship(rel.type)) {
      worksheetType = rel.type;
      break;
    }

  std::vector<std::string> newPath(static_cast<std::size_t>(K) + 1), newId(static_cast<std::size_t>(K) + 1);
  std::vector<NewPartEntry> relAdds, typeAdds;
  for (int s = 1; s <= K; ++s) {
    const std::size_t i = static_cast<std::size_t>(s);
    if (s <= n && !table.parts[i - 1].empty()) {
      newPath[i] = table.parts[i - 1];
      newId[i] = table.sheets[i - 1].relId;
      continue;
    }
    newPath[i] = FreshSheetPath(taken);
    taken.push_back(newPath[i]);
    newId[i] = NextRelationshipId(usedIds);
    usedIds.push_back(newId[i]);
    relAdds.push_back({{{"Id", newId[i]}, {"Type", worksheetType}, {"Target", RelativeTarget(workbookPath_, newPath[i])}}});
    typeAdds.push_back({{{"PartName", "/" + newPath[i]}, {"ContentType", kWorksheetContentType}}});
  }
  std::vector<std::string> relDrops, typeDrops, removedFiles;
  for (int s = K + 1; s <= std::min(t, n); ++s) {
    const std::string& p = table.parts[static_cast<std::size_t>(s - 1)];
    if (p.empty()) continue;
    relDrops.push_back(table.sheets[static_cast<std::size_t>(s - 1)].relId);
    typeDrops.push_back("/" + p);
    removedFiles.push_back(p);
    removedFiles.push_back(RelationshipsPartOf(p));
  }

  // The sheet list.
  std::vector<NewSheetEntry> entries;
  std::vector<int> entrySheet;  // new sheet s (> 0) or old sheet -s
  std::vector<int> entryPosition;
  const bool listGiven = !r_.MergeOrderList.empty();
  std::vector<int> order = r_.MergeOrderList;
  if (!listGiven)
    for (int s = 1; s <= K; ++s) order.push_back(s);
  auto listable = [&](int s) {
    return (s >= 1 && s <= K) ||
           (s > K && s > t && s <= n && !table.parts[static_cast<std::size_t>(s - 1)].empty());
  };
  if (std::none_of(order.begin(), order.end(), listable)) {
    // A workbook needs a sheet: a list naming none that exists gives 1 to K.
    order.clear();
    for (int s = 1; s <= K; ++s) order.push_back(s);
  }
  for (std::size_t p = 1; p <= order.size(); ++p) {
    const int s = order[p - 1];
    NewSheetEntry e;
    e.sheetId = static_cast<long long>(p) + 3;
    const std::string* extra = nullptr;
    for (const SheetList::Name& nm : r_.MergeExtraNames)
      if (nm.position == static_cast<int>(p)) extra = &nm.name;
    if (s >= 1 && s <= K) {
      const std::size_t i = static_cast<std::size_t>(s);
      if (extra) {
        e.name = ToPartText(*extra, shiftJisBook_);
      } else {
        if (s < kMergeNameSlots && table.titled[i])
          e.name = ToPartText(table.titles[i], shiftJisBook_);
        else if (s <= n)
          e.name = table.sheets[i - 1].name;
        if (e.name.empty()) e.name = "sheet" + std::to_string(s);
        int d = 0;
        for (std::size_t q = 1; q < p; ++q) d += order[q - 1] == s ? 1 : 0;
        if (d > 0) e.name += "(" + std::to_string(d + 1) + ")";
      }
      e.relId = newId[i];
      entries.push_back(e);
      entrySheet.push_back(s);
      entryPosition.push_back(static_cast<int>(p));
    } else if (listable(s)) {
      // A sheet of the workbook no block touched, listed as it was.
      const SheetEntry& old = table.sheets[static_cast<std::size_t>(s - 1)];
      e.name = extra ? ToPartText(*extra, shiftJisBook_) : old.name;
      e.relId = old.relId;
      entries.push_back(e);
      entrySheet.push_back(-s);
      entryPosition.push_back(static_cast<int>(p));
    }
  }
  if (!listGiven && SameFilePath(in_.target, in_.workbook)) {
    // Written over the workbook itself: its sheets above the templates stay.
    long long nextId = static_cast<long long>(order.size()) + 4;
    for (int s = std::max(K, t) + 1; s <= n; ++s) {
      const std::size_t i = static_cast<std::size_t>(s - 1);
      if (table.parts[i].empty()) continue;
      entries.push_back({table.sheets[i].name, nextId++, table.sheets[i].relId});
      entrySheet.push_back(-s);
      entryPosition.push_back(0);
    }
  }

  // The active tab: the list's active position, or where the sheet the
  // workbook had active now stands.
  int active = 0;
  if (r_.activeSheet > 0) {
    for (std::size_t e = 0; e < entries.size(); ++e)
      if (entryPosition[e] == r_.activeSheet) {
        active = static_cast<int>(e);
        break;
      }
  } else {
    const int old = ReadActiveTab(workbook_.data(), workbook_.size());
    for (std::size_t e = 0; old >= 0 && e < entries.size(); ++e) {
      const int s = entrySheet[e];
      const int from = s > 0 ? templateOf_[static_cast<std::size_t>(s)] : -s;
      if (from == old + 1) {
        active = static_cast<int>(e);
        break;
      }
    }
  }

  // The bookkeeping parts, built before anything in the tree changes.
  std::string bookOut, relsOut, typesOut, appOut;
  if (!RewriteWorkbookPart(workbook_.data(), workbook_.size(), entries, active, &bookOut))
    return Fail("workbook.xml");
  {
    // Names local to a sheet follow it: to the first sheet built on it, or
    // where it is listed as it was.
    std::vector<int> newIndex(table.sheets.size(), -1);
    for (std::size_t e = 0; e < entries.size(); ++e) {
      const int s = entrySheet[e];
      const int from = s > 0 ? templateOf_[static_cast<std::size_t>(s)] : -s;
      if (from >= 1 && static_cast<std::size_t>(from) <= newIndex.size() && newIndex[from - 1] < 0)
        newIndex[static_cast<std::size_t>(from - 1)] = static_cast<int>(e);
    }
    std::string renumbered;
    if (RenumberLocalNames(bookOut.data(), bookOut.size(), newIndex, &renumbered)) bookOut.swap(renumbered);
  }
  const bool relsChange = !relAdds.empty() || !relDrops.empty();
  if (relsChange && !RewriteEntryPart(relsBytes.data(), relsBytes.size(), "Relationship", "Id", relDrops, relAdds,
                                      &relsOut))
    return Fail("workbook.xml.rels");
  const bool typesChange = !typeAdds.empty() || !typeDrops.empty();
  if (typesChange &&
      !RewriteEntryPart(ctBytes.data(), ctBytes.size(), "Override", "PartName", typeDrops, typeAdds, &typesOut))
    return Fail("[Content_Types].xml");
  bool appChange = false;
  if (r_.marked) {
    std::string app;
    if (ReadWhole(FileOf(tree_, "docProps/app.xml"), &app)) {
      const bool sjisApp = DetectPartEncoding(app.data(), app.size()) == PartEncoding::ShiftJis;
      std::vector<std::string> titles;
      for (const NewSheetEntry& e : entries)
        titles.push_back(sjisApp == shiftJisBook_ ? e.name
                                                  : sjisApp ? fw::Utf8ToCp932(e.name) : fw::Cp932ToUtf8(e.name));
      appChange = RewriteAppPart(app.data(), app.size(), titles, &appOut);
    }
  }

  // The tree: template parts no block replaced go, the new sheets take
  // their places, then the bookkeeping parts.
  for (const std::string& p : removedFiles)
    if (!RemoveIfThere(FileOf(tree_, p))) return Fail(FileOf(tree_, p));
  for (int s = 1; s <= K; ++s) {
    const std::size_t i = static_cast<std::size_t>(s);
    const CString dest = FileOf(tree_, newPath[i]);
    CString from;
    from.Format("%s\\%s\\sheet%dAA.xml", tree_.GetString(), kBuildFolder, s);
    if (!RemoveIfThere(dest)) return Fail(dest);
    const std::string& p = newPath[i];
    const std::size_t slash = p.rfind('/');
    if (slash != std::string::npos) fw::MakeDir(FileOf(tree_, p.substr(0, slash)));
    try {
      CFile::Rename(from, dest);
    } catch (const CFileException&) {
      return Fail(dest);
    }
    // A sheet on another sheet's template: the relationships of the part it
    // replaces are not its own.
    if (templateOf_[i] != s && !RemoveIfThere(FileOf(tree_, RelationshipsPartOf(p))))
      return Fail(FileOf(tree_, RelationshipsPartOf(p)));
  }
  fw::RemoveDir(tree_ + "\\" + kBuildFolder);
  struct Out {
    std::string path;
    const std::string* bytes;
    bool write;
  };
  const Out outs[] = {{workbookPath_, &bookOut, true},
                      {"[Content_Types].xml", &typesOut, typesChange},
                      {relsPath, &relsOut, relsChange},
                      {"docProps/app.xml", &appOut, appChange}};
  for (const Out& o : outs) {
    if (!o.write) continue;
    const CString file = FileOf(tree_, o.path);
    if (!WriteWhole(file, o.bytes->data(), o.bytes->size())) return Fail(file);
  }

  // Every item of the tree zipped, then delivered.
  const CString package = tree_ + "\\" + xlsx::kXlsxPackageName;
  if (!RemoveIfThere(package)) return Fail(package);
  std::vector<CString> archiveEntries{CString("test")};
  for (const CString& item : TreeItems(tree_)) archiveEntries.push_back(item);
  if (host_.CreateArchive(tree_, archiveEntries, xlsx::kXlsxPackageName) < 0) return -1;
  switch (xlsx::XlsxDeliverPackage(package, in_.target, host_)) {
    case xlsx::XlsxDelivery::kDone:
      return 0;
    case xlsx::XlsxDelivery::kNoPackage:
      return Fail(package);
    default:
      return -1;
  }
}

}  // namespace

int MergeRun::Run(const MergeRunInput& in, MergeRunHost& host) {
  try {
    Runner runner(*this, in, host);
    return runner.Go();
  } catch (const std::bad_alloc&) {
    host.ReportMessage(155, CString());
    return -1;
  }
}

bool SameFilePath(const CString& a, const CString& b) {
  if (a.IsEmpty() || b.IsEmpty()) return false;
  const std::string fa = fw::FullPath(a.GetString());
  const std::string fb = fw::FullPath(b.GetString());
  return CString(fa.c_str()).CompareNoCase(fb.c_str()) == 0;
}

}  // namespace merge
