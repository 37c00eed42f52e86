#include "convert/ooxml_part.h"

#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "core/docopen/opentexts.h"
#include "fw/alloc.h"
#include "fw/codepage.h"
#include "fw/sjis.h"

namespace convert {
namespace {

constexpr int kPathMost = 512;
constexpr std::size_t kReadExtra = 1000;  // the read buffer's room beyond the part
constexpr std::size_t kMarkWithin = 79;   // "UTF" / "JIS" marks start below this index

// Code page 932 form of every UTF-16 unit, as the character conversion of
// the framework gives it: below 0x100 one byte, else lead * 256 + trail.
// U+0000 gives a blank (the conversion's 0 result byte is written as one).
class UnitTable {
 public:
  UnitTable() {
    m_form[0] = ' ';
    Fill(1, 0xD800);
    for (std::uint32_t u = 0xD800; u < 0xE000; ++u) m_form[u] = '?';  // a lone surrogate
    Fill(0xE000, 0x10000);
  }
  std::uint16_t operator[](std::uint32_t unit) const { return m_form[unit]; }

 private:
  // One conversion for the whole range, split back into characters (each
  // unit gives exactly one character); unit by unit if that does not hold.
  void Fill(std::uint32_t from, std::uint32_t to) {
    std::u16string units;
    units.reserve(to - from);
    for (std::uint32_t u = from; u < to; ++u) units.push_back(static_cast<char16_t>(u));
    const std::string bytes = fw::Utf16ToCp932(units);
    std::size_t i = 0;
    std::uint32_t u = from;
    for (; u < to && i < bytes.size(); ++u) i += Take(bytes, i, u);
    if (u == to && i == bytes.size()) return;
    for (u = from; u < to; ++u) {
      const char16_t one = static_cast<char16_t>(u);
      const std::string b = fw::Utf16ToCp932(&one, 1);
      if (b.empty()) {
        m_form[u] = '?';
      } else {
        Take(b, 0, u);
      }
    }
  }
  std::size_t Take(const std::string& bytes, std::size_t i, std::uint32_t unit) {
    const unsigned char b0 = static_cast<unsigned char>(bytes[i]);
    if (fw::IsSjisLeadByte(b0) && i + 1 < bytes.size()) {
      m_form[unit] = static_cast<std::uint16_t>(b0 << 8 | static_cast<unsigned char>(bytes[i + 1]));
      return 2;
    }
    m_form[unit] = b0 == 0 ? ' ' : b0;
    return 1;
  }
  std::array<std::uint16_t, 0x10000> m_form{};
};

const UnitTable& Units() {
  static const UnitTable table;
  return table;
}

int Fail(LoadBuffer& out, const CString& message, PartText& text) {
  text.Clear();
  out.Append(message.GetString(), static_cast<std::size_t>(message.GetLength()));
  return -message.GetLength();
}

struct FreeBlock {
  void operator()(void* p) const { fw::Free(p); }
};

}  // namespace

const char PartText::kEmpty[PartText::kSpare] = {};

PartText::~PartText() { fw::Free(m_pText); }

void PartText::Clear() {
  if (m_pText) std::memset(m_pText, 0, m_nCapacity);
  m_nSize = 0;
}

bool PartText::Reserve(std::size_t length) {
  fw::Free(m_pText);
  m_pText = nullptr;
  m_nCapacity = 0;
  m_nSize = 0;
  if (length > std::numeric_limits<std::size_t>::max() - kSpare - 1) return false;
  const std::size_t capacity = length + 1 + kSpare;
  m_pText = static_cast<char*>(fw::Alloc(capacity));
  if (!m_pText) return false;
  std::memset(m_pText, 0, capacity);
  m_nCapacity = capacity;
  return true;
}

std::size_t ConvertPartToSjis(const std::uint8_t* src, std::size_t length, char* dst) {
  const UnitTable& units = Units();
  auto at = [&](std::size_t i) -> std::uint8_t { return i < length ? src[i] : 0; };
  bool copying = false;  // the part declared a JIS encoding
  std::size_t w = 0;
  std::size_t i = 0;
  while (i < length) {
    const std::uint8_t b = src[i];
    if (i < kMarkWithin && b == 'U' && at(i + 1) == 'T' && at(i + 2) == 'F') {
      copying = false;
    } else if (i < kMarkWithin && b == 'J' && at(i + 1) == 'I' && at(i + 2) == 'S') {
      copying = true;
    }
    if (b == 0) {
      dst[w++] = '?';
      ++i;
      continue;
    }
    if (b < 0xC0 || copying) {
      dst[w++] = static_cast<char>(b);
      ++i;
      continue;
    }
    // A UTF-8 sequence. One past the plane of 16-bit units (lead 0xF0 and
    // above) has no code page 932 form: one "?" for its four bytes. A
    // sequence the part's end cuts is one "?" too; no byte past the end is
    // taken.
    const std::size_t take = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    if (take == 4 || i + take > length) {
      dst[w++] = '?';
      i = i + take > length ? length : i + take;
      continue;
    }
    std::uint32_t code;
    if (take == 2) {
      code = (b & 0x3Fu) * 64 + (src[i + 1] & 0x3Fu);
    } else {
      code = ((b & 0x0Fu) * 64 + (src[i + 1] & 0x3Fu)) * 64 + (src[i + 2] & 0x3Fu);
    }
    const std::uint16_t form = units[code];
    if (form >= 0x100) {
      dst[w++] = static_cast<char>(form >> 8);
      dst[w++] = static_cast<char>(form & 0xFF);
    } else {
      dst[w++] = static_cast<char>(form);
    }
    i += take;
  }
  return w;
}

CString PartCannotOpenText() { return docopen::GetOpenText(docopen::OpenText::kCannotOpen); }

CString PartMemoryText(const char* code) { return docopen::GetOpenText(docopen::OpenText::kRenderMemory) + code; }

int LoadPartAsSjis(OoxmlPackage& package, const CString& path, std::uint64_t memoryLimit, PartText& text,
                   LoadBuffer& out) {
  if (path.GetLength() > kPathMost) {
    text.Clear();
    return 0;
  }
  std::unique_ptr<PartReader> part = package.Open(path);
  if (!part) return Fail(out, PartCannotOpenText(), text);
  // The part's bytes are held whole, so its declared size must fit the
  // memory limit setting and the text's int length (with the spare area).
  const std::uint64_t size = part->Size();
  const std::uint64_t most = static_cast<std::uint64_t>(std::numeric_limits<int>::max()) - PartText::kSpare -
                             kReadExtra;
  if (size > most || (memoryLimit != 0 && size > memoryLimit)) return Fail(out, PartMemoryText(" 018"), text);
  std::unique_ptr<std::uint8_t, FreeBlock> bytes(
      static_cast<std::uint8_t*>(fw::Alloc(static_cast<std::size_t>(size) + kReadExtra)));
  if (!bytes) return Fail(out, PartMemoryText(" 018"), text);
  std::size_t n = 0;
  while (n < size) {
    const std::size_t got = part->Read(bytes.get() + n, static_cast<std::size_t>(size) - n);
    if (got == 0) break;
    n += got;
  }
  part.reset();
  if (!text.Reserve(n)) return Fail(out, PartMemoryText(" 019"), text);
  const std::size_t written = ConvertPartToSjis(bytes.get(), n, text.Buffer());
  text.SetSize(static_cast<int>(written));
  return static_cast<int>(written);
}

}  // namespace convert
