#include "export/xlsx/xlsx_pictures.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "archive/arc_state.h"
#include "archive/extract_target.h"
#include "archive/zip_extract.h"
#include "core/docsvc/pathpart.h"
#include "fw/file.h"
#include "fw/path.h"
#include "fw/sjis.h"

namespace xlsx {
namespace {

// The first bytes of the picture formats a workbook may carry.
struct Signature {
  const char* bytes;
  std::size_t n;
};
constexpr Signature kPictureSignatures[] = {
    {"\x89PNG\r\n\x1a\n", 8},  // PNG
    {"\xFF\xD8\xFF", 3},       // JPEG
    {"GIF87a", 6},             // GIF
    {"GIF89a", 6},
    {"BM", 2},                 // BMP
    {"II*\0", 4},              // TIFF, little-endian
    {"MM\0*", 4},              // TIFF, big-endian
};
constexpr std::size_t kSignatureBytes = 8;

// Scratch names of a compressed bitmap.
constexpr const char* kScratchFolder = "\\TMP";
constexpr const char* kUnpackFolder = "\\TMP\\ARCHTMP";
constexpr const char* kBitmapMember = "Dorvik1.bmp";
constexpr const char* kCompressedBitmapExt = ".bmz";

// The whole file, or false when it cannot be read, is too large or is no picture.
bool ReadPicture(const CString& path, std::string* bytes) {
  CFile f;
  if (!f.Open(path, CFile::modeRead | CFile::shareDenyNone)) return false;
  try {
    const ULONGLONG size = f.GetLength();
    if (size < kSignatureBytes / 4 || size > kPictureMaxBytes) {
      f.Abort();
      return false;
    }
    bytes->resize(static_cast<std::size_t>(size));
    std::size_t got = 0;
    while (got < bytes->size()) {
      const UINT want = static_cast<UINT>(std::min<std::size_t>(bytes->size() - got, 1u << 20));
      const UINT n = f.Read(&(*bytes)[got], want);
      if (n == 0) break;
      got += n;
    }
    f.Abort();
    bytes->resize(got);
  } catch (const CFileException&) {
    f.Abort();
    return false;
  }
  return XlsxIsPictureBytes(bytes->data(), bytes->size());
}

bool WriteFileBytes(const CString& path, const std::string& bytes) {
  try {
    CFile f(path, CFile::modeCreate | CFile::modeWrite);
    if (!bytes.empty()) f.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    f.Close();
    return true;
  } catch (const CFileException&) {
    return false;
  }
}

bool EndsWithNoCase(const CString& s, const char* tail) {
  const int n = static_cast<int>(std::strlen(tail));
  if (s.GetLength() < n) return false;
  const char* p = s.GetString() + s.GetLength() - n;
  for (int i = 0; i < n; ++i) {
    char c = p[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != tail[i]) return false;
  }
  return true;
}

// A ".bmz" unpacked with the own codec: the path of its bitmap. The bitmap
// of an earlier picture is removed first, so that an archive that does not
// unpack or holds another member never hands on a stale one.
CString UnpackCompressedBitmap(const CString& path, const XlsxPictureFolders& folders) {
  const CString scratch = folders.programDir + kScratchFolder;
  const CString unpack = folders.programDir + kUnpackFolder;
  const CString bitmap = unpack + "\\" + kBitmapMember;
  fw::MakeDir(scratch);
  fw::MakeDir(unpack);
  CFileStatus st;
  if (CFile::GetStatus(bitmap, st)) {
    try {
      CFile::Remove(bitmap);
    } catch (const CFileException&) {
    }
  }
  const CString zip = scratch + "\\" + GetPathPart(path, 2) + ".zip";
  std::string bytes;
  {
    CFile f;
    if (!f.Open(path, CFile::modeRead | CFile::shareDenyNone)) return bitmap;
    try {
      const ULONGLONG size = f.GetLength();
      if (size > kPictureMaxBytes) {
        f.Abort();
        return bitmap;
      }
      bytes.resize(static_cast<std::size_t>(size));
      const UINT n = size ? f.Read(&bytes[0], static_cast<UINT>(size)) : 0;
      bytes.resize(n);
      f.Abort();
    } catch (const CFileException&) {
      f.Abort();
      return bitmap;
    }
  }
  if (!WriteFileBytes(zip, bytes)) return bitmap;
  try {
    arc::ArcState state;
    arc::DiskTarget disk(fw::FullPath(unpack.GetString()));
    arc::UnzipOwn(state, zip.GetString(), 0, 0, nullptr, false, disk);
  } catch (const std::exception&) {
    // No memory or a member that cannot be written: the bitmap is missing.
  }
  return bitmap;
}

}  // namespace

std::string XlsxPictureName(const char* text, std::size_t len, std::int64_t pos) {
  std::string name;
  if (pos < 0 || !text) return name;
  const auto* t = reinterpret_cast<const unsigned char*>(text);
  for (std::size_t i = static_cast<std::size_t>(pos); i < len && t[i] > 31;) {
    const std::size_t n = fw::IsSjisLeadByte(t[i]) && i + 1 < len && t[i + 1] > 31 ? 2 : 1;
    if (name.size() + n > kPictureNameBytes) break;
    name.append(text + i, n);
    i += n;
  }
  return name;
}

CString XlsxResolvePicturePath(const std::string& name, const XlsxPictureFolders& folders) {
  const CString n(name.c_str());
  if (LastBackslash(n) >= 0) return n;
  if (!folders.macroDir.IsEmpty()) return folders.macroDir + "\\" + n;
  return GetPathPart(folders.tablePath, 3) + "\\" + n;
}

bool XlsxIsPictureBytes(const char* head, std::size_t n) {
  for (const Signature& s : kPictureSignatures)
    if (n >= s.n && std::memcmp(head, s.bytes, s.n) == 0) return true;
  return false;
}

// A transparent one-pixel PNG, the stand-in for a picture that could not be read.
constexpr unsigned char kEmptyPicture[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00,
    0x0D, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x60, 0x60, 0x60, 0x60, 0x00, 0x00, 0x00, 0x05, 0x00, 0x01,
    0x7A, 0xA8, 0x57, 0x50, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

bool XlsxCopyPicture(XlsxRun& run, const std::string& name, const XlsxPictureFolders& folders,
                     exportcore::PartSink& sink, XlsxRunHost& host, bool htmlMode) {
  const std::int32_t number = ++run.XlsxPictureNumber;
  const std::uint32_t sheet = run.sheet.number;
  if (sheet < static_cast<std::uint32_t>(kSheetSlots))
    run.XlsxPictureCount[sheet] = std::max<std::int32_t>(run.XlsxPictureCount[sheet], 0) + 1;
  if (htmlMode) return true;
  CString path = XlsxResolvePicturePath(name, folders);
  if (EndsWithNoCase(path, kCompressedBitmapExt)) path = UnpackCompressedBitmap(path, folders);
  std::string bytes;
  bool read = false;
  try {
    read = ReadPicture(path, &bytes);
  } catch (const std::bad_alloc&) {
    read = false;
  }
  const std::string part = "xl/media/image" + std::to_string(number) + ".png";
  if (!read) {
    host.ShowMessage(CString(kPictureCopyError) + path);
    // The drawing and its relationships already count this picture: an
    // empty one-pixel picture stands in its place, so that no link of the
    // package points at a part it does not hold.
    return sink.WritePart(part.c_str(), reinterpret_cast<const char*>(kEmptyPicture), sizeof kEmptyPicture);
  }
  return sink.WritePart(part.c_str(), bytes.data(), bytes.size());
}

bool XlsxCopySheetPictures(XlsxRun& run, const char* text, std::size_t len, const std::vector<XlsxShapeRecord>& shapes,
                           const XlsxPictureFolders& folders, exportcore::PartSink& sink, XlsxRunHost& host,
                           bool htmlMode) {
  bool ok = true;
  for (const XlsxShapeRecord& r : shapes) {
    if (r.Kind() != 'p') continue;
    ok = XlsxCopyPicture(run, XlsxPictureName(text, len, r.textPos), folders, sink, host, htmlMode) && ok;
  }
  return ok;
}

}  // namespace xlsx
