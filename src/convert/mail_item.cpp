#include "convert/mail_item.h"

#include <cstring>
#include <string>

#include "convert/convert_texts.h"
#include "core/docsvc/backup.h"
#include "fw/codepage.h"
#include "fw/file.h"
#include "fw/sjis.h"

namespace convert {

bool WriteScratch(const CString& path, const std::string& bytes);

namespace {

constexpr std::int32_t kEntrySize = 128;
constexpr std::int32_t kMiniCutoff = 4096;  // streams below this lie in the mini-stream
constexpr std::int32_t kMiniSectorBytes = 64;
constexpr int kShownMax = 100;              // streams shown at most
constexpr int kPassedMax = 100;             // entries in a row without one shown
constexpr std::size_t kNameMax = 255;       // bytes of an attachment name kept
constexpr std::size_t kListedNameChars = 50;
constexpr std::int32_t kExtracted = 100000; // added to m_nExtractNo once the file is written

const char kBodyCaption[] = "\r\n-------------------------------------------------\r\n";
const char kHtmlCaption[] = "\r\n--HTML-------------------------------------------\r\n";
const char kAttachRule[] = "------------------------------\r\n";

std::uint32_t U16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8; }
std::uint32_t U24(const std::uint8_t* p) { return U16(p) | static_cast<std::uint32_t>(p[2]) << 16; }

// The saved place of the directory walk while a stream is read.
struct Cursor {
  std::int32_t pos, cur, prev, offset, chain;
};

class MailReader {
 public:
  MailReader(RenderJob& job, CfbReader& reader, const CompoundStreamTable& table, const MailFileOps& files)
      : m_job(job), m_cfb(reader), m_table(table), m_files(files), m_head(job.Head()),
        m_held(job.readSize > 0 ? job.readSize : 0) {}

  std::int64_t Run();

 private:
  enum class Role { kPass, kText, kUtf16Text, kName, kAttachment };

  Cursor Save() const {
    return {m_job.m_nConvPos, m_cfb.m_nCurSector, m_cfb.m_nPrevSector, m_cfb.m_nSectorOffset, m_cfb.m_nChainState};
  }
  void Restore(const Cursor& c) {
    m_job.m_nConvPos = c.pos;
    m_cfb.m_nCurSector = c.cur;
    m_cfb.m_nPrevSector = c.prev;
    m_cfb.m_nSectorOffset = c.offset;
    m_cfb.m_nChainState = c.chain;
  }
  // A stream never holds more than the bytes read: a chain that comes back
  // on itself would otherwise give the same bytes again and again.
  std::int64_t Bounded(std::int64_t size) const { return size < m_held ? size : m_held; }
  bool AtData() const { return m_job.m_nConvPos >= 0 && m_job.m_nConvPos < m_held; }
  std::uint8_t ByteAt(std::int64_t pos) const { return pos >= 0 && pos < m_held ? m_head[pos] : 0; }
  // The byte at the cursor; the cursor one on along the chain.
  std::uint8_t Take() {
    const std::uint8_t b = m_head[m_job.m_nConvPos];
    m_cfb.CfbAdvanceByte();
    return b;
  }

  void Stream(const std::uint8_t* e);
  bool Position(const std::uint8_t* e, std::int64_t size);
  bool CopyText(std::int64_t size, bool utf16);
  bool ReadName(std::int64_t size, bool utf16);
  bool Attachment(std::int64_t size);
  void CloseAttachment();
  std::string StreamBytes(std::int64_t size, bool* complete);
  void Damaged(const std::uint8_t* e);
  CString ScratchPath(const char* name) const;

  RenderJob& m_job;
  CfbReader& m_cfb;
  const CompoundStreamTable& m_table;
  const MailFileOps& m_files;
  const std::uint8_t* m_head;
  std::int32_t m_held;  // bytes read: the file image ends here

  std::string m_pendingName;
  std::int64_t m_pendingSize = 0;
  int m_attachments = 0;
  bool m_wrote = false;  // something was written for the current stream
  DamageNote m_damage;
  std::string m_damageName;
};

// Text rules of a property: NUL NUL and 0x1E "x" end it; other NULs and
// control bytes but CR, LF and TAB are left out; a lone CR becomes CR LF.
// Returns false at an end mark.
bool TextByte(std::uint8_t b, std::uint8_t next, std::string& text) {
  if ((b == 0 && next == 0) || (b == 0x1E && next == 'x')) return false;
  if (b < 0x20 && b != '\r' && b != '\n' && b != '\t') return true;
  if (b == '\r' && next != '\n') {
    text += "\r\n";
    return true;
  }
  text += static_cast<char>(b);
  return true;
}

// The UTF-16 text of a stream as Shift-JIS: the characters up to a NUL.
std::string Utf16ToText(const std::u16string& units) {
  std::size_t n = 0;
  while (n < units.size() && units[n] != 0) ++n;
  return fw::Utf16ToCp932(units.data(), n);
}

void MailReader::Damaged(const std::uint8_t* e) {
  if (m_job.inputCut || m_damage.Marked()) return;
  for (std::size_t k = 0; k < 32; ++k) {
    const std::uint8_t c = e[2 * k];
    if (!c) break;
    m_damageName += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  m_damage.Mark(m_damageName.c_str());
}

CString MailReader::ScratchPath(const char* name) const {
  return docsvc::ScratchDir(m_job.m_strProgramDir) + "\\" + name;
}

std::int64_t MailReader::Run() {
  const std::int32_t dirPos = m_table.slot[kSlotData];
  if (dirPos < 0 || dirPos >= m_held || !m_head) return 0;
  m_job.out.Clear();
  m_job.m_bSizeHigh = 1;
  m_cfb.SetSectorCursor(dirPos + kEntrySize);

  int shown = 0, passed = 0;
  while (AtData() && shown < kShownMax && passed < kPassedMax) {
    const std::int32_t at = m_job.m_nConvPos;
    if (at > m_held - (kEntrySize + 1)) {
      // The last entries of the data: the attachment so far is closed, and
      // an entry not wholly read is not looked at.
      CloseAttachment();
      break;
    }
    const std::uint8_t* e = m_head + at;
    const bool underscores = e[0] == '_' && e[2] == '_';
    if (underscores && e[4] == 'p') CloseAttachment();
    const bool property = underscores && (e[4] == 's' || m_job.openContext == 2);
    const Cursor entry = Save();
    m_wrote = false;
    if (property) Stream(e);
    Restore(entry);
    if (m_wrote) {
      ++shown;
      passed = 0;
    } else {
      ++passed;
    }
    m_cfb.CfbSkipBytes(kEntrySize);
  }
  CloseAttachment();  // whichever end the walk came to

  if (m_job.out.Size() == 0) m_job.out.Append(static_cast<const char*>(GetConvertText(ConvertText::kUnsupportedOffice)));
  if (!m_damage.Marked() && m_cfb.Damage().Marked() && !m_job.inputCut) m_damage.Mark(m_cfb.Damage().Where());
  m_damage.WriteTo(m_job.out);
  m_job.out.Append("\r\n--END--- ");
  return static_cast<std::int64_t>(m_job.out.Size());
}

void MailReader::Stream(const std::uint8_t* e) {
  const std::int64_t size = U24(e + 120);
  if (size == 0) return;
  LoadBuffer& out = m_job.out;
  const std::size_t before = out.Size();
  if (m_job.openContext == 2) {
    std::string name;
    for (std::size_t k = 0; k < kListedNameChars && e[2 * k]; ++k) name += static_cast<char>(e[2 * k]);
    out.Printf("\r\n##%4d##%s : ", static_cast<int>(size), name.c_str());
  }
  char prop[5] = {static_cast<char>(e[24]), static_cast<char>(e[26]), static_cast<char>(e[28]),
                  static_cast<char>(e[30]), '\0'};
  const char typeEnd = static_cast<char>(e[38]);
  const bool utf16 = typeEnd == 'F';
  Role role = Role::kText;
  if (std::strcmp(prop, "1000") == 0 && (typeEnd == 'E' || utf16)) {
    out.Append(kBodyCaption);
  } else if (std::strcmp(prop, "1013") == 0 && m_job.openContext == 2) {
    out.Append(kHtmlCaption);
  } else if (std::strcmp(prop, "0037") == 0) {
    out.Append("\r\nTITLE  : ");
  } else if (std::strcmp(prop, "007D") == 0 && m_job.openContext == 2) {
    out.Append("\r\n--DATA--\r\n");
  } else if (std::strcmp(prop, "0E04") == 0) {
    out.Append("\r\nTO     : ");
  } else if (std::strcmp(prop, "0E03") == 0) {
    out.Append("\r\nCC     : ");
  } else if (std::strcmp(prop, "0042") == 0) {
    out.Append("\r\nFROM   : ");
  } else if (std::strcmp(prop, "3707") == 0 && m_job.openContext == 0) {
    role = Role::kName;
  } else if (std::strcmp(prop, "3701") == 0) {
    role = Role::kAttachment;
  } else {
    role = Role::kPass;
  }
  m_wrote = out.Size() != before;
  if (role == Role::kPass && m_wrote) role = Role::kText;  // shown with its size and name
  if (role == Role::kPass || (role == Role::kText && !m_wrote)) return;
  if (role == Role::kText && utf16) role = Role::kUtf16Text;

  if (!Position(e, size)) {
    Damaged(e);
    return;
  }
  bool complete = true;
  switch (role) {
    case Role::kText:
    case Role::kUtf16Text:
      complete = CopyText(size, role == Role::kUtf16Text);
      break;
    case Role::kName:
      complete = ReadName(size, utf16);
      break;
    case Role::kAttachment:
      m_wrote = true;
      complete = Attachment(size);
      break;
    case Role::kPass:
      break;
  }
  // A stream that runs past the data (or a chain that loops) is damage.
  if (!complete) Damaged(e);
}

// The cursor to the stream's first byte: the mini-stream for a stream below
// 4,096 bytes, else its first sector. False when it lies past the data.
bool MailReader::Position(const std::uint8_t* e, std::int64_t size) {
  const std::int32_t start = static_cast<std::int32_t>(U16(e + 116));
  if (size < kMiniCutoff) {
    const std::int64_t container = (static_cast<std::int64_t>(m_table.slot[kSlotMain]) + 1) * kCfbSectorSize;
    m_cfb.CfbSeekMiniStream(start * kMiniSectorBytes, static_cast<std::int32_t>(container > INT32_MAX ? INT32_MAX : container));
  } else {
    m_cfb.SetSectorCursor((start + 1) * kCfbSectorSize);
  }
  return AtData();
}

bool MailReader::CopyText(std::int64_t size, bool utf16) {
  std::string text;
  std::int64_t left = Bounded(size);
  if (utf16) {
    std::u16string units;
    while (left >= 2 && AtData()) {
      const std::uint8_t lo = Take();
      if (!AtData()) break;
      const std::uint8_t hi = Take();
      left -= 2;
      const char16_t u = static_cast<char16_t>(lo | hi << 8);
      if (u == 0) {
        left = 0;
        break;
      }
      units += u;
    }
    const std::string converted = Utf16ToText(units);
    for (std::size_t i = 0; i < converted.size(); ++i) {
      const std::uint8_t next = i + 1 < converted.size() ? static_cast<std::uint8_t>(converted[i + 1]) : 0;
      if (!TextByte(static_cast<std::uint8_t>(converted[i]), next, text)) break;
    }
  } else {
    while (left > 0 && AtData()) {
      const std::uint8_t next = ByteAt(static_cast<std::int64_t>(m_job.m_nConvPos) + 1);
      const std::uint8_t b = Take();
      --left;
      if (!TextByte(b, next, text)) {
        left = 0;
        break;
      }
    }
  }
  m_job.out.Append(text.data(), text.size());
  return (utf16 ? left < 2 : left <= 0) && size <= m_held;
}

// An attachment's long name: up to the stream's size or a control
// character, at most 255 bytes (never half a double-byte character).
bool MailReader::ReadName(std::int64_t size, bool utf16) {
  std::string name;
  std::int64_t left = Bounded(size);
  if (utf16) {
    std::u16string units;
    while (left >= 2 && AtData() && units.size() < kNameMax) {
      const std::uint8_t lo = Take();
      if (!AtData()) break;
      const std::uint8_t hi = Take();
      left -= 2;
      const char16_t u = static_cast<char16_t>(lo | hi << 8);
      if (u < 0x20) {
        left = 0;
        break;
      }
      units += u;
    }
    name = Utf16ToText(units);
  } else {
    while (left > 0 && AtData() && name.size() < kNameMax + 1) {
      const std::uint8_t b = Take();
      --left;
      if (b <= 0x1F) {
        left = 0;
        break;
      }
      name += static_cast<char>(b);
    }
  }
  if (name.size() > kNameMax) {
    std::size_t keep = 0;
    for (std::size_t i = 0; i < kNameMax;) {
      const std::size_t step = fw::IsSjisLeadByte(static_cast<unsigned char>(name[i])) ? 2 : 1;
      if (i + step > kNameMax) break;
      i += step;
      keep = i;
    }
    name.resize(keep);
    left = 0;  // the rest of a long name is not read
  }
  m_pendingName = name;
  return utf16 ? left < 2 : left <= 0;
}

// The stream's bytes from the cursor: its size, or up to the end of the data.
std::string MailReader::StreamBytes(std::int64_t size, bool* complete) {
  std::string bytes;
  std::int64_t left = Bounded(size);
  while (left > 0 && AtData()) {
    bytes += static_cast<char>(Take());
    --left;
  }
  *complete = left <= 0 && size <= m_held;
  return bytes;
}

// Attachment data: shown as text unless it begins as a document, a picture
// or a page of its own; counted; written to "TMP_msg.tmp" when it is the one
// asked for.
bool MailReader::Attachment(std::int64_t size) {
  static const struct {
    const char* bytes;
    std::size_t n;
  } kHeads[] = {{"\xD0\xCF\x11\xE0", 4}, {"%PDF", 4}, {"{\\rt", 4}, {"<htm", 4},
                {"<!", 2},                {"GIF8", 4}, {"\xFF\xD8\xFF", 3}};
  const Cursor start = Save();
  const std::int32_t pos = m_job.m_nConvPos;
  bool hidden = false;
  for (const auto& h : kHeads) {
    if (size >= static_cast<std::int64_t>(h.n) && pos + static_cast<std::int64_t>(h.n) <= m_held &&
        std::memcmp(m_head + pos, h.bytes, h.n) == 0)
      hidden = true;
  }
  bool complete = true;
  if (!hidden) {
    m_job.out.Append(kAttachRule);
    complete = CopyText(size, false);
    m_job.out.Append("\r\n");
    m_job.out.Append(kAttachRule);
  }
  ++m_attachments;
  m_pendingSize = size;
  if (m_attachments == m_job.m_nExtractNo) {
    // The bytes from the stream's start again (the text copy moved on).
    Restore(start);
    bool whole = false;
    const std::string bytes = StreamBytes(size, &whole);
    complete = complete && whole;
    const CString path = ScratchPath("TMP_msg.tmp");
    const bool written = m_files.write ? m_files.write(path, bytes) : WriteScratch(path, bytes);
    if (written) {
      m_job.m_strCurFile = path;
      m_job.m_nExtractNo += kExtracted;
    }
  }
  return complete;
}

// At a property table or the end: the attachment line, and the rename of an
// attachment just written to its own name in the scratch folder.
void MailReader::CloseAttachment() {
  if (!m_pendingName.empty() && m_pendingSize > 0 && m_attachments > 0) {
    m_job.out.Printf("\r\n[file_%d] vol=%d", m_attachments, static_cast<int>(m_pendingSize));
    m_job.out.Append(" name= ");
    m_job.out.Append(m_pendingName.data(), m_pendingName.size());
    m_job.out.Append("\r\n");
    if (m_attachments == m_job.m_nExtractNo - kExtracted) {
      const CString from = ScratchPath("TMP_msg.tmp");
      const CString to = ScratchPath(("TMP_" + SafeAttachmentName(m_pendingName)).c_str());
      if (m_files.remove) {
        m_files.remove(to);
      } else {
        try {
          CFile::Remove(to);
        } catch (...) {
        }
      }
      bool renamed = false;
      if (m_files.rename) {
        renamed = m_files.rename(from, to);
      } else {
        try {
          CFile::Rename(from, to);
          renamed = true;
        } catch (...) {
        }
      }
      if (renamed) m_job.m_strCurFile = to;
    }
  }
  m_pendingName.clear();
  m_pendingSize = 0;
}

}  // namespace

bool WriteScratch(const CString& path, const std::string& bytes) {
  CFile file;
  if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) return false;
  try {
    if (!bytes.empty()) file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    file.Close();
  } catch (...) {
    return false;
  }
  return true;
}

std::string SafeAttachmentName(const std::string& name) {
  // The last component: after the last separator that is not a second byte.
  std::size_t from = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (fw::IsSjisLeadByte(c) && i + 1 < name.size()) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') from = i + 1;
  }
  std::string out;
  for (std::size_t i = from; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (fw::IsSjisLeadByte(c) && i + 1 < name.size()) {
      out += name[i];
      out += name[++i];
      continue;
    }
    const bool refused = c < 0x20 || c == '<' || c == '>' || c == ':' || c == '"' || c == '/' || c == '\\' ||
                         c == '|' || c == '?' || c == '*';
    out += refused ? '_' : static_cast<char>(c);
  }
  if (out.empty() || out == "." || out == "..") out = "_";
  return out;
}

std::int64_t ReadMailItem(RenderJob& job, CfbReader& reader, const CompoundStreamTable& table,
                          const MailFileOps& files) {
  MailReader mail(job, reader, table, files);
  return mail.Run();
}

}  // namespace convert

