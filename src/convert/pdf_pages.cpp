// The page walk of the PDF reader: from the catalog down the page tree, each
// page's resources into the resource table, its content streams decoded and
// handed to the content walk, a band of the grid per page.
//
// The walk keeps the pending page-tree objects on the reference stack (at
// most kPdfRefStack; more are lost). An object is entered at most once, and
// the walk has a budget of steps in proportion to the data, so a tree that
// names itself or its parent ends.
#include <algorithm>
#include <cstring>
#include <string>

#include "convert/pdf_converter.h"
#include "convert/pdf_scan.h"

namespace convert {
namespace {

constexpr std::int32_t kDictSearch = 65536;     // bytes of an object looked at for its dictionary
constexpr std::int32_t kContentsMax = 2000;     // content streams of one page
constexpr std::size_t kPageContentMax = 64u << 20;  // decoded content bytes of one page
constexpr std::size_t kNamedMax = 4096;         // resource names kept by their bytes
constexpr std::int32_t kResourceDepth = 3;      // references followed inside "/Resources"
constexpr std::int32_t kNoStream = -100;        // the object is no stream (nothing to say)

// "/PageOrigin", its P and O in either case.
bool IsPageOriginKey(const std::uint8_t* buf, std::int32_t keyPos, std::int32_t nameEnd) {
  if (nameEnd - keyPos - 1 != 10) return false;
  const std::uint8_t* n = buf + keyPos + 1;
  return (n[0] == 'P' || n[0] == 'p') && std::memcmp(n + 1, "age", 3) == 0 && (n[4] == 'O' || n[4] == 'o') &&
         std::memcmp(n + 5, "rigin", 5) == 0;
}

}  // namespace

bool PdfConverter::ObjectDictionary(std::int32_t obj, std::int32_t* begin, std::int32_t* end) const {
  if (obj < 1 || obj >= kPdfObjects) return false;
  const std::int32_t off = m_anObjOffset[static_cast<std::size_t>(obj)];
  if (off <= 0 || off >= m_nConvSize) return false;
  const std::int32_t b = std::min(off + 4, m_nConvSize);
  const std::int32_t limit = static_cast<std::int32_t>(std::min<std::int64_t>(m_nConvSize, std::int64_t{b} + kDictSearch));
  std::int32_t e = limit;
  for (std::int32_t i = b; i + 6 <= limit; ++i) {
    if (m_pConvData[i] == 's' && std::memcmp(m_pConvData + i, "stream", 6) == 0) {
      e = i;
      break;
    }
    if (m_pConvData[i] == 'e' && std::memcmp(m_pConvData + i, "endobj", 6) == 0) {
      e = i;
      break;
    }
  }
  *begin = b;
  *end = e;
  return true;
}

void PdfConverter::WalkPages() {
  m_abEntered.Clear();
  // A budget of steps: every entered object and every content stream costs
  // one, and every 512 bytes of content walked one more; a tree that would
  // take more is damaged.
  m_nWalkBudget = 4096 + m_nConvSize / 32;
  m_nRefHeight = 0;
  // A marker's picture asked for: the walk starts (and ends) at its object.
  // Only when its saver wrote nothing does the text follow, markers and all.
  if (m_words.extractNo >= 1 && m_words.extractNo < kPdfObjects && m_words.extractLetter > 0) {
    m_words.extractLetter -= 97;
    ShowOnePicture(m_words.extractNo);
    if (m_nPictureResult != -1) return;
  }
  if (m_nRootObj > 0 && m_nRootObj < kPdfObjects) {
    m_anRefObj[0] = m_nRootObj;
    m_anRefPos[0] = m_anObjOffset[static_cast<std::size_t>(m_nRootObj)];
    m_nRefHeight = 1;
  }
  while (m_nRefHeight > 0 && WalkGoesOn()) {
    const std::int32_t obj = m_anRefObj[--m_nRefHeight];
    if (obj < 1 || obj >= kPdfObjects || m_abEntered[static_cast<std::size_t>(obj)]) continue;
    if (--m_nWalkBudget < 0) {
      m_damage.Mark("Pages");
      break;
    }
    m_abEntered.Slot(static_cast<std::size_t>(obj)) = 1;
    m_nCurObj = obj;
    WalkNode(obj);
  }
  // Failure lines written by the decoding count as used lines.
  if (m_nLastLine > 0 && m_nMaxLine < m_nLastLine) m_nMaxLine = m_nLastLine;
}

void PdfConverter::WalkNode(std::int32_t obj) {
  std::int32_t b = 0, e = 0;
  if (!ObjectDictionary(obj, &b, &e)) return;
  const std::uint8_t* buf = m_pConvData;
  std::vector<std::int32_t> kids;
  std::vector<std::int32_t> contents;
  bool page = false;
  bool rotated = false;
  std::int32_t rotate = 0;
  std::int32_t pos = pdfscan::SkipWhite(buf, b, e);
  // The object's own dictionary: its keys at the top level.
  if (pos + 1 < e && buf[pos] == '<' && buf[pos + 1] == '<') pos += 2;
  while (pos < e) {
    pos = pdfscan::SkipWhite(buf, pos, e);
    if (pos >= e) break;
    if (buf[pos] == '>') break;
    if (buf[pos] != '/') {
      pos = pdfscan::SkipValue(buf, pos, e);
      continue;
    }
    const std::int32_t keyPos = pos;
    const std::int32_t valuePos = pdfscan::SkipName(buf, pos, e);
    auto key = [&](const char* name) { return pdfscan::NameIs(buf, keyPos, valuePos, name); };
    if (key("Kids") || key("Pages")) {
      pos = pdfscan::ReadRefList(buf, valuePos, e, kPdfRefStack, &kids);
      continue;
    }
    if (key("Contents")) {
      pos = pdfscan::ReadRefList(buf, valuePos, e, kContentsMax, &contents);
      page = true;
      continue;
    }
    if (key("Type")) {
      const std::int32_t v = pdfscan::SkipWhite(buf, valuePos, e);
      const std::int32_t after = pdfscan::SkipValue(buf, v, e);
      if (v < e && buf[v] == '/' && pdfscan::NameIs(buf, v, after, "Page")) page = true;
      pos = after;
      continue;
    }
    if (key("Resources")) {
      LoadResources(valuePos, 0);
    } else if (key("MediaBox")) {
      std::int64_t box[4] = {};
      if (pdfscan::ReadNumbers(buf, valuePos, e, box, 4) == 4) {
        // The third and fourth numbers, each plus one point, when they are
        // a page's size (100 to 2,000 points).
        const std::int64_t w = box[2] + 100, h = box[3] + 100;
        if (w > 10000 && w < 200000) m_nPageWidth = static_cast<std::int32_t>(w);
        if (h > 10000 && h < 200000) m_nPageHeight = static_cast<std::int32_t>(h);
      }
    } else if (IsPageOriginKey(buf, keyPos, valuePos)) {
      // The page origin: the two numbers of the array behind the key.
      std::int64_t origin[2] = {};
      const std::int32_t open = pdfscan::SkipWhite(buf, valuePos, e);
      if (open < e && buf[open] == '[' && open - valuePos < 20 && pdfscan::ReadNumbers(buf, open, e, origin, 2) == 2) {
        m_nOriginX = static_cast<std::int32_t>(origin[0]);
        m_nOriginY = static_cast<std::int32_t>(origin[1]);
      }
    } else if (key("Rotate")) {
      std::int64_t r = 0;
      if (pdfscan::ReadNumbers(buf, valuePos, e, &r, 1) == 1) {
        std::int64_t deg = (r / 100) % 360;
        if (deg < 0) deg += 360;
        rotate = static_cast<std::int32_t>(deg);
        rotated = true;
      }
    }
    pos = pdfscan::SkipValue(buf, valuePos, e);
  }
  if (!kids.empty() && rotated) m_nInheritRotate = rotate;
  if (page) {
    m_nPageRotate = rotated ? rotate : m_nInheritRotate;
    BeginPage();
    // The page's content streams make one content: the walk's state runs on
    // from one stream into the next, as an operator may span them.
    std::vector<std::uint8_t> content;
    bool spent = false;
    for (std::int32_t c : contents) {
      if (!WalkGoesOn()) break;
      if (--m_nWalkBudget < 0) {
        spent = true;
        break;
      }
      const std::int32_t n = DecodeObjectStream(c, false);
      if (n < 0) continue;
      m_nWalkBudget -= n / kBudgetBytes;  // walking a content costs by its length
      if (content.size() + static_cast<std::size_t>(n) + 1 > kPageContentMax) break;
      content.insert(content.end(), m_pWork, m_pWork + n);
      content.push_back('\n');
    }
    // What was gathered is walked; a spent budget then ends the walk.
    if (!content.empty() && !m_bStopWalk) {
      TextState ts;
      ts.width = 84 * m_words.widthAdjust;
      WalkContent(content.data(), static_cast<std::int32_t>(content.size()), ts, 0);
    }
    if (spent) {
      m_damage.Mark("Contents");
      m_bStopWalk = true;
    }
  }
  // The children, the first on top; beyond the stack's height they are lost.
  for (std::size_t i = kids.size(); i-- > 0;) {
    if (m_nRefHeight >= kPdfRefStack) break;
    const std::int32_t k = kids[i];
    if (k < 1 || k >= kPdfObjects || m_abEntered[static_cast<std::size_t>(k)]) continue;
    m_anRefObj[m_nRefHeight] = k;
    m_anRefPos[m_nRefHeight] = m_anObjOffset[static_cast<std::size_t>(k)];
    ++m_nRefHeight;
  }
}

bool PdfConverter::StreamBytes(std::int32_t obj, std::int32_t* dataPos, std::int32_t* dataLen) const {
  std::int32_t b = 0, e = 0;
  if (!ObjectDictionary(obj, &b, &e)) return false;
  const std::uint8_t* buf = m_pConvData;
  if (e + 6 > m_nConvSize || std::memcmp(buf + e, "stream", 6) != 0) return false;
  std::int32_t data = e + 6;
  if (data < m_nConvSize && buf[data] == '\r') ++data;
  if (data < m_nConvSize && buf[data] == '\n') ++data;
  // The data ends at its "/Length" when that is a number followed by
  // "endstream", else at "endstream".
  std::int32_t length = -1;
  const std::int32_t lenKey = pdfscan::FindKey(buf, b, e, "Length");
  if (lenKey >= 0) {
    std::int64_t v = 0;
    const std::int32_t vpos = pdfscan::SkipName(buf, lenKey, e);
    if (pdfscan::ReadNumbers(buf, vpos, e, &v, 1) == 1 && !pdfscan::IsRefAt(buf, vpos, e)) {
      const std::int64_t end = data + v / 100;
      if (v >= 0 && end <= m_nConvSize) {
        std::int32_t p = static_cast<std::int32_t>(end);
        p = pdfscan::SkipWhite(buf, p, m_nConvSize);
        if (p + 9 <= m_nConvSize && std::memcmp(buf + p, "endstream", 9) == 0) length = static_cast<std::int32_t>(v / 100);
      }
    }
  }
  if (length < 0) {
    const std::int32_t endPos = pdfscan::Find(buf, data, m_nConvSize, "endstream");
    std::int32_t end = endPos < 0 ? m_nConvSize : endPos;
    if (end > data && buf[end - 1] == '\n') --end;
    if (end > data && buf[end - 1] == '\r') --end;
    length = end - data;
  }
  *dataPos = data;
  *dataLen = length;
  return true;
}

std::int32_t PdfConverter::DecodeObjectStream(std::int32_t obj, bool image) {
  std::int32_t b = 0, e = 0, data = 0, length = 0;
  if (!ObjectDictionary(obj, &b, &e) || !StreamBytes(obj, &data, &length)) return kNoStream;
  const std::int32_t n = DecodeStream(data, length, StreamFiltersBetween(b, e), image);
  if (n < 0) {
    WriteDecodeFailure(n);
    if (m_nLastLine > m_nMaxLine) m_nMaxLine = m_nLastLine;
    if (n == kPdfDecodeNoMemory) m_bStopWalk = true;
  }
  return n;
}

void PdfConverter::LoadResources(std::int32_t pos, std::int32_t depth) {
  const std::uint8_t* buf = m_pConvData;
  std::int32_t b = 0, e = 0;
  if (!pdfscan::DictionaryAt(buf, pos, m_nConvSize, &b, &e)) {
    // A reference to the resource dictionary.
    const std::int32_t ref = pdfscan::ReadRef(buf, pos, m_nConvSize, nullptr);
    if (ref <= 0 || depth >= kResourceDepth || !ObjectDictionary(ref, &b, &e)) return;
    std::int32_t p = pdfscan::SkipWhite(buf, b, e);
    if (!pdfscan::DictionaryAt(buf, p, e, &b, &e)) return;
  }
  std::int32_t p = b;
  while (p < e) {
    p = pdfscan::SkipWhite(buf, p, e);
    if (p >= e) break;
    if (buf[p] != '/') {
      p = pdfscan::SkipValue(buf, p, e);
      continue;
    }
    const std::int32_t keyPos = p;
    const std::int32_t valuePos = pdfscan::SkipName(buf, p, e);
    const bool fonts = pdfscan::NameIs(buf, keyPos, valuePos, "Font");
    const bool objects = pdfscan::NameIs(buf, keyPos, valuePos, "XObject");
    if (depth == 0 && (fonts || objects)) {
      // The names of the fonts or pictures and their objects.
      std::int32_t db = 0, de = 0;
      if (!pdfscan::DictionaryAt(buf, valuePos, e, &db, &de)) {
        const std::int32_t ref = pdfscan::ReadRef(buf, valuePos, e, nullptr);
        std::int32_t ob = 0, oe = 0;
        if (ref > 0 && ObjectDictionary(ref, &ob, &oe)) {
          const std::int32_t s = pdfscan::SkipWhite(buf, ob, oe);
          if (!pdfscan::DictionaryAt(buf, s, oe, &db, &de)) db = de = 0;
        }
      }
      std::int32_t q = db;
      while (q < de) {
        q = pdfscan::SkipWhite(buf, q, de);
        if (q >= de) break;
        if (buf[q] != '/') {
          q = pdfscan::SkipValue(buf, q, de);
          continue;
        }
        const std::int32_t nameEnd = pdfscan::SkipName(buf, q, de);
        std::int32_t after = nameEnd;
        const std::int32_t target = pdfscan::ReadRef(buf, nameEnd, de, &after);
        if (target > 0 && target < kPdfObjects) {
          const std::int32_t id = PdfReadResourceIdAt(q, 0);
          if (id > 0 && id < kPdfResources) m_anResource.Slot(static_cast<std::size_t>(id)) = target;
          const std::string name(reinterpret_cast<const char*>(buf + q + 1), static_cast<std::size_t>(nameEnd - q - 1));
          bool replaced = false;
          for (auto& named : m_aNamedResources) {
            if (named.first == name) {
              named.second = target;
              replaced = true;
              break;
            }
          }
          if (!replaced && m_aNamedResources.size() < kNamedMax) m_aNamedResources.emplace_back(name, target);
          q = after;
        } else {
          q = pdfscan::SkipValue(buf, nameEnd, de);
        }
      }
    }
    p = pdfscan::SkipValue(buf, valuePos, e);
  }
}

std::int32_t PdfConverter::ResourceObject(const std::uint8_t* buf, std::int32_t length, std::int32_t namePos) {
  // The name's bytes first (they tell every name apart), then its id.
  const std::int32_t end = pdfscan::SkipName(buf, namePos, length);
  const std::string name(reinterpret_cast<const char*>(buf + namePos + 1),
                         static_cast<std::size_t>(std::max(end - namePos - 1, 0)));
  for (const auto& named : m_aNamedResources)
    if (named.first == name) return named.second;
  int kind = 0;
  std::int32_t p = namePos;
  const std::int32_t id = PdfParseResourceName(buf, length, &p, &kind, 1);
  if (id > 0 && id < kPdfResources) return m_anResource[static_cast<std::size_t>(id)];
  return 0;
}

void PdfConverter::BeginPage() {
  ++m_nPageCount;
  if (m_nPageCount > 1) {
    m_nBandBase += kPdfBandLines;
    if (m_pHost) {
      CString status;
      status.Format("  %3d page    (Push ESC to stop)", m_nPageCount);
      m_pHost->StatusText(status);
    }
    if (m_nBandBase + kPdfBandLines - 1 > m_words.tblMax - 3) m_bGridFull = true;
    ClearGridLines(m_nBandBase, m_nBandBase + kPdfBandLines - 2);
    PrepareSeparator(m_nBandBase + kPdfBandLines - 1, m_nPageCount + 1);
  }
  m_nGridLine = m_nBandBase;
  m_nGridCol = 0;
}

}  // namespace convert
