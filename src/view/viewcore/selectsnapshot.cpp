// The snapshot files of the narrowing undo.
#include "view/viewcore/selectsnapshot.h"

#include <new>
#include <string>

#include "core/docsvc/settings_io.h"

namespace viewcore {
namespace {

// The largest file a table can hold (its length is 32 bits, with a NUL).
constexpr long long kMaxSnapshotBytes = 0xFFFFFFFFll;

}  // namespace

SaveResult WriteSelectSnapshot(const csv::Table& table, const CString& path) {
  std::string text;
  try {
    text = table.FileText(csv::CommaFormKind::kComma);
  } catch (const std::bad_alloc&) {
    SaveResult r;
    r.error = SaveError::kWriteFailed;
    r.message = SaveErrorText(r.error, path);
    return r;
  }
  return SafeWriteFile(path, text.data(), text.size(), SafeWriteOptions{});
}

SnapshotRead ReadSelectSnapshot(const CString& path, csv::Table* table, std::uint32_t margin,
                                bool (*decode)(const std::string& bytes, std::string* text, void* ctx), void* ctx) {
  try {
    std::string bytes;
    if (docsvc::ReadWholeFile(path, &bytes, kMaxSnapshotBytes) != docsvc::FileRead::Loaded)
      return SnapshotRead::kCannotOpen;
    std::string decoded;
    const std::string* text = &bytes;
    if (decode != nullptr) {
      if (!decode(bytes, &decoded, ctx)) return SnapshotRead::kCannotOpen;
      text = &decoded;
    }
    if (static_cast<unsigned long long>(text->size()) + margin + 1 > 0xFFFFFFFFull) return SnapshotRead::kNoMemory;
    if (!table->LoadFileText(text->data(), text->size(), margin)) return SnapshotRead::kNoMemory;
  } catch (const std::bad_alloc&) {
    return SnapshotRead::kNoMemory;
  }
  return SnapshotRead::kLoaded;
}

}  // namespace viewcore
