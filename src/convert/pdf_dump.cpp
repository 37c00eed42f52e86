// The structure dump of a PDF: the bytes from the frame's cursor copied into
// the text, control bytes made visible, and each stream collected into the
// stream buffer and shown decoded (ASCII85, LZW, Flate) as hexadecimal rows
// or as text. The compact form (m_bSizeHigh 1) shows streams undecoded and
// marks every object's end with its offset.
#include "convert/pdf_dump.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "archive/inflater.h"
#include "archive/lzw_decode.h"
#include "convert/convert_texts.h"
#include "convert/pdf_converter.h"
#include "core/docopen/opentexts.h"
#include "fw/alloc.h"

namespace convert {
namespace {

const char kDotted[] = "\r\n ................ \r\n";

bool At(const std::uint8_t* buf, std::int32_t size, std::int32_t pos, const char* text) {
  const std::int32_t n = static_cast<std::int32_t>(std::strlen(text));
  return pos >= 0 && pos <= size - n && std::memcmp(buf + pos, text, static_cast<std::size_t>(n)) == 0;
}

bool Below(const LoadBuffer& out, std::int64_t bound) { return static_cast<std::int64_t>(out.Size()) < bound; }

}  // namespace

bool IsPdfStreamHead(std::uint8_t a, std::uint8_t b) {
  return (a == 0x78 && (b == 0x9C || b == 0xDA || b == 0x01 || b == 0x5E)) || (a == 0x58 && b == 0x85) ||
         (a == 0x68 && b == 0xDE) || (a == 0x48 && b == 0x89) || (a == 0xFF && b == 0xD8);
}

void DumpHexRows(const std::uint8_t* bytes, std::int32_t n, bool compact, std::int64_t bound, LoadBuffer& out) {
  if (!bytes || n <= 0) return;
  const std::int32_t shown = compact ? n : std::min(n, kDumpHexCap);
  static const char kDigits[] = "0123456789abcdef";
  std::int32_t i = 0;
  for (; i < shown && Below(out, bound); i += kDumpHexRow) {
    char row[8 + kDumpHexRow * 3];
    std::size_t k = 0;
    row[k++] = '\r';
    row[k++] = '\n';
    if (compact) {
      row[k++] = '$';
      row[k++] = '~';
      row[k++] = ' ';
    }
    for (std::int32_t j = i; j < shown && j < i + kDumpHexRow; ++j) {
      row[k++] = kDigits[bytes[j] >> 4];
      row[k++] = kDigits[bytes[j] & 15];
      row[k++] = ' ';
    }
    out.Append(row, k);
  }
  if (!compact && shown == kDumpHexCap && i >= shown && Below(out, bound)) out.Append(kDotted);
}

void DumpTextForm(const std::uint8_t* bytes, std::int32_t n, std::int64_t bound, LoadBuffer& out) {
  if (!bytes || n <= 0) return;
  const std::int64_t stop = bound - kDumpTextMargin;
  std::int32_t controls = 0;
  std::vector<char> chunk;
  chunk.reserve(4096);
  bool cut = false;
  for (std::int32_t i = 0; i < n; ++i) {
    if (controls >= kDumpControlStop ||
        static_cast<std::int64_t>(out.Size() + chunk.size()) >= stop) {
      cut = true;
      break;
    }
    const std::uint8_t c = bytes[i];
    if (c < 7 || (c >= 14 && c <= 31)) ++controls;
    if (c == '(' || c == ')') controls -= 10;
    if (c == '\r') {
      chunk.push_back('\r');
      if (i + 1 >= n || bytes[i + 1] != '\n') chunk.push_back('\n');
    } else if (c < 0x20 && c != '\n') {
      chunk.push_back(static_cast<char>(c + 0xB1));
    } else {
      chunk.push_back(static_cast<char>(c));
    }
    if (chunk.size() >= 4000) {
      out.Append(chunk.data(), chunk.size());
      chunk.clear();
    }
  }
  if (!chunk.empty()) out.Append(chunk.data(), chunk.size());
  if (cut) out.Append(kDotted);
}

std::int64_t PdfConverter::RunStructureDump() {
  if (!AllocateWork()) {
    m_out.Append(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kRenderMemory)));
    m_out.Append(" 009");
    return static_cast<std::int64_t>(m_out.Size());
  }
  m_out.Append("%P");
  const std::uint8_t* buf = m_pConvData;
  const std::int32_t size = m_nConvSize;
  const std::int64_t bound = static_cast<std::int64_t>(m_words.outdata) - kDumpOutMargin;
  const bool compact = m_words.sizeHigh == 1;
  const bool hex = m_words.docEditMode == 0;
  // What the keys since the last "endobj" said.
  bool flate = false, image = false;
  int pre = 0;  // 0 none, 1 ASCII85, 2 LZW
  // The open stream.
  bool inStream = false;
  bool validHead = false;
  std::int32_t count = 0;
  // Room for an inflated stream, made at the first one. Inflating writes
  // every byte it gives before anything reads it, so the room is not cleared.
  struct FreeBlock {
    void operator()(std::uint8_t* p) const { fw::Free(p); }
  };
  std::unique_ptr<std::uint8_t, FreeBlock> inflated;

  // Output of the plain copy, gathered a little at a time.
  std::vector<char> copy;
  copy.reserve(8192);
  auto flush = [&]() {
    if (!copy.empty()) m_out.Append(copy.data(), copy.size());
    copy.clear();
  };
  auto outSize = [&]() { return static_cast<std::int64_t>(m_out.Size() + copy.size()); };

  auto endStream = [&]() {
    flush();
    const std::uint8_t* shown = nullptr;
    std::int32_t shownLen = 0;
    std::uint8_t* data = m_pWork;
    std::int32_t n = count;
    bool failed = false;
    if (compact) {
      shown = data;
      shownLen = n;
    } else {
      if (pre == 1) {
        const std::int32_t d = Ascii85DecodeInPlace(data, n, static_cast<std::size_t>(m_nCfMax));
        if (d == 0) {
          m_out.Append(static_cast<const char*>(GetConvertText(ConvertText::kEncryptedData)));
          failed = true;
        }
        n = d;
      } else if (pre == 2) {
        bool noMemory = false;
        n = arc::LzwDecode(data, n, m_nCfMax, arc::kLzwText, 8, &noMemory);
        if (n < 0) n = 0;
      }
      // Under a pre-filter the Flate head is looked for in what it gave.
      if (!failed && flate && pre != 0) {
        validHead = n >= 2 && IsPdfStreamHead(data[0], data[1]);
        if (validHead) {
          data += 2;
          n -= 2;
        }
      }
      if (!failed) {
        if (flate && validHead) {
          if (!image && n > 0 && n < m_nCfMax) {
            if (!inflated) {
              inflated.reset(static_cast<std::uint8_t*>(fw::Alloc(static_cast<std::size_t>(m_nCfMax))));
              if (!inflated) throw std::bad_alloc();  // as a failed new: the caller reports the shortage
            }
            const std::int64_t got = arc::InflateBytes(data, static_cast<std::size_t>(n), inflated.get(),
                                                       static_cast<std::size_t>(m_nCfMax));
            if (got < 0) {
              m_out.Append(static_cast<const char*>(GetConvertText(ConvertText::kUnsupportedFormat)));
              m_out.Append(" 010");
            } else {
              shown = inflated.get();
              shownLen = static_cast<std::int32_t>(got);
            }
          }
        } else if (flate && pre != 0) {
          // A pre-filter over data without a Flate head: what it gave.
          shown = data;
          shownLen = n;
        } else if (!flate) {
          shown = data;
          shownLen = n;
        }
      }
    }
    if (shown && shownLen > 0) {
      if (hex) DumpHexRows(shown, shownLen, compact, bound, m_out);
      else if (!image) DumpTextForm(shown, shownLen, bound, m_out);
    }
    if (Below(m_out, bound)) m_out.Append(compact ? "\r\nendstream\r" : "\r\n\r\nendstream\r");
    inStream = false;
    flate = false;
    pre = 0;
    count = 0;
  };

  // One byte of the file as text: a lone CR gets its LF, other control
  // bytes (NUL too: the text never holds one) become 0x7F.
  auto copyByte = [&](std::int32_t at) {
    const std::uint8_t b = buf[at];
    if (b == '\r') {
      copy.push_back('\r');
      if (at + 1 >= size || buf[at + 1] != '\n') copy.push_back('\n');
    } else if (b < 0x20 && b != '\n') {
      copy.push_back(0x7F);
    } else {
      copy.push_back(static_cast<char>(b));
    }
  };

  std::int32_t pos = m_nConvPos < 0 ? 0 : std::min(m_nConvPos, size);
  while (pos < size && outSize() < bound) {
    const std::uint8_t c = buf[pos];
    if (c == 'e' || c == 's' || c == '/') {
      if (At(buf, size, pos, "/Flat")) flate = true;
      else if (At(buf, size, pos, "/Image") && pos + 6 < size && (buf[pos + 6] < '!' || buf[pos + 6] == '/'))
        image = true;
      else if (At(buf, size, pos, "/ASCII")) pre = 1;
      else if (At(buf, size, pos, "/LZWDe")) pre = 2;
      else if (At(buf, size, pos, "endstr")) {
        if (inStream) {
          pos += 9;
          endStream();
          continue;
        }
        // A stream end with no stream open (its data was copied): its bytes
        // are text, and its "stream" starts nothing.
        const std::int32_t stop = std::min(size, pos + 9);
        for (; pos < stop; ++pos) copyByte(pos);
        continue;
      } else if (!inStream && At(buf, size, pos, "endob")) {
        flate = false;
        image = false;
        pre = 0;
        if (compact) {
          flush();
          m_out.Append("endobj");
          pos = std::min(size, pos + 6);
          m_out.Printf("\n$$               %d", static_cast<int>(pos));
          continue;
        }
      }
    }
    if (!inStream && At(buf, size, pos, "strea")) {
      // A Flate stream without pre-filter must start with a stream head;
      // without one its bytes are copied as text.
      std::int32_t data = pos + 7;
      if (data < size && buf[data] == '\n') ++data;
      const bool head = data + 1 < size && IsPdfStreamHead(buf[data], buf[data + 1]);
      if (!(flate && pre == 0 && !head)) {
        flush();
        if (Below(m_out, bound)) {
          if (compact) m_out.Append("\r\nstream");
          else if (!hex) m_out.Append("\r\nstream\r\n");
          else m_out.Printf("\r\nstream  adrs = %x\r\n", static_cast<unsigned>(pos + 7));
        }
        validHead = flate && pre == 0 && head;
        if (validHead && !compact) data += 2;
        inStream = true;
        count = 0;
        pos = std::min(data, size);
        continue;
      }
    }
    if (inStream) {
      if (count < m_nCfMax) m_pWork[count++] = c;
      ++pos;
      continue;
    }
    copyByte(pos);
    if (copy.size() >= 8000) flush();
    ++pos;
  }
  flush();
  // A stream without "endstream" ran to the end of the data.
  if (inStream) m_damage.Mark("stream");
  if (static_cast<std::int64_t>(m_out.Size()) >= bound) {
    const std::int64_t back = bound - kDumpTakeBack;
    m_out.Truncate(static_cast<std::size_t>(back < 2 ? 2 : back));
    m_out.Append("\r\n\r\n");
    m_out.Append(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kDisplayOver)));
  }
  m_damage.WriteTo(m_out);
  fw::Free(m_pWork);
  m_pWork = nullptr;
  return static_cast<std::int64_t>(m_out.Size());
}

}  // namespace convert
