// The record walk of the PowerPoint reader (phase 1) and the older record
// form. Records are read only inside [from, end); every length is checked
// before the walk steps past it.
#include <cstdio>
#include <string>

#include "convert/latin1.h"
#include "convert/ppt_events.h"
#include "fw/codepage.h"

namespace convert {
namespace {

constexpr int kRecordHeader = 8;
constexpr int kMaxRecords = 40000;
constexpr int kMaxRevisions = 48;
constexpr std::uint32_t kDamagedLength = 0x8000000;
constexpr int kQuotientLimit = 1000;
constexpr int kRowCap = 99;
constexpr int kColumnCap = 149;
constexpr int kLeftCapWithShape = 80;
constexpr int kPropertyScan = 100;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::int32_t S32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }
std::int16_t S16(const std::uint8_t* p) { return static_cast<std::int16_t>(U16(p)); }

// The kind digit of an anchor, by the shape type of its shape: a text box 1,
// a picture frame 2, and the shapes whose text sits centred in them by
// default: rectangle 3, rounded rectangle 4, ellipse 5; any other 0.
int ShapeKindDigit(int shapeType) {
  switch (shapeType) {
    case 202: return 1;
    case 75: return 2;
    case 1: return 3;
    case 2: return 4;
    case 3: return 5;
    default: return 0;
  }
}

class Walker {
 public:
  Walker(const std::uint8_t* data, std::int32_t end, const PptRequest& req, bool cut, PptEvents& ev,
         OfficePictureTable& pictures, LoadBuffer& out, PptResult& r)
      : m_d(data), m_end(end), m_req(req), m_cut(cut), m_ev(ev), m_pics(pictures), m_out(out), m_r(r) {
    m_rowUnit = req.convStyle == 0 ? 250 : 160;
    m_colUnit = req.convStyle == 0 ? 60 : 52;
  }

  void Run(std::int32_t from);

 private:
  // Handles one record; false when the record has no handling of its own
  // (it then clears the two skip flags).
  bool Handle(int verInst, int type, std::int32_t body, std::uint32_t length);
  void AddEvent(std::uint8_t code, std::uint16_t number = 0);
  void AddText(std::string text);
  void Anchor(int type, std::int32_t body, std::uint32_t length);
  int Quotient(std::int64_t v, int unit) const {
    const std::int64_t q = v / unit;
    return q > kQuotientLimit ? 0 : static_cast<int>(q);
  }
  // Bytes of the body held in the data.
  std::uint32_t Held(std::int32_t body, std::uint32_t length) const {
    const std::int64_t left = static_cast<std::int64_t>(m_end) - body;
    if (left <= 0) return 0;
    return static_cast<std::int64_t>(length) < left ? length : static_cast<std::uint32_t>(left);
  }

  const std::uint8_t* m_d;
  std::int32_t m_end;
  const PptRequest& m_req;
  bool m_cut;
  PptEvents& m_ev;
  OfficePictureTable& m_pics;
  LoadBuffer& m_out;
  PptResult& m_r;
  int m_rowUnit = 250;
  int m_colUnit = 60;

  bool m_afterDocEnd = false;  // a 0x03EA was met: slides, revisions and notes follow
  int m_slideCount = 0;
  int m_revisions = 0;
  bool m_skipText = false;     // 0x0BC3: the next text record stores nothing
  bool m_skipSlide = false;    // a long 0x0FBA: the next slide atom makes no event
  bool m_shapeKept = false;    // a picture frame's id was kept
  int m_shapeType = 0;         // the last shape's type
  std::uint32_t m_pendingPicture = 0;  // the picture number of the current shape (1-based)
  int m_listInstance = -1;     // the instance of the slide list being walked (-1: none)
  std::int64_t m_listEnd = 0;
};

void Walker::AddEvent(std::uint8_t code, std::uint16_t number) {
  PptEntry e;
  e.kind = PptEntryKind::kEvent;
  e.code = code;
  e.number = number;
  e.slideCount = m_slideCount;
  e.revision = m_revisions;
  e.inSlideList = m_listInstance == 0;
  m_ev.Add(std::move(e));
}

void Walker::AddText(std::string text) {
  PptEntry e;
  e.kind = PptEntryKind::kText;
  e.text = std::move(text);
  e.text += "\r\n";
  m_ev.Add(std::move(e));
}

void Walker::Anchor(int type, std::int32_t body, std::uint32_t length) {
  const std::uint32_t held = Held(body, length);
  std::int64_t top, left, right, bottom;
  const std::uint8_t* p = m_d + body;
  if (type == 0xF00F) {
    if (held < 16) return;
    left = S32(p), top = S32(p + 4), right = S32(p + 8), bottom = S32(p + 12);
  } else if (held >= 16 && length >= 16) {
    top = S32(p), left = S32(p + 4), right = S32(p + 8), bottom = S32(p + 12);
  } else if (held >= 8) {
    top = S16(p), left = S16(p + 2), right = S16(p + 4), bottom = S16(p + 6);
  } else {
    return;
  }
  PptEntry a;
  a.kind = PptEntryKind::kAnchor;
  a.top = Quotient(top, m_rowUnit);
  a.bottom = Quotient(bottom, m_rowUnit);
  a.left = Quotient(left, m_colUnit);
  a.right = Quotient(right, m_colUnit);
  if (a.top > kRowCap) a.top = kRowCap;
  if (a.bottom > kRowCap) a.bottom = kRowCap;
  if (a.left > kColumnCap) a.left = kColumnCap;
  if (a.right > kColumnCap) a.right = kColumnCap;
  if (m_shapeKept && a.left > kLeftCapWithShape) a.left = kLeftCapWithShape;
  a.shapeKind = ShapeKindDigit(m_shapeType);
  char line[64];
  std::snprintf(line, sizeof line, "\\%02d%02d%02d%02d%d\r\n", a.left, a.top, a.right, a.bottom, a.shapeKind);
  a.text = line;
  m_ev.Add(a);
  if (m_pendingPicture > 0) {
    // The picture's marker, placed at this anchor.
    // A number the table does not hold (the file's word) shows "[Object]".
    const bool held = m_pendingPicture <= static_cast<std::uint32_t>(m_pics.Count());
    const int n = held ? static_cast<int>(m_pendingPicture) : 0;
    const std::uint8_t letter = held ? m_pics.At(n - 1).type : 0;
    PptEntry m;
    m.kind = PptEntryKind::kMarker;
    m.text = static_cast<const char*>(PictureMarker(letter, n));
    m.text += "\r\n";
    m_ev.Add(std::move(m));
    m_pendingPicture = 0;
  }
}

bool Walker::Handle(int verInst, int type, std::int32_t body, std::uint32_t length) {
  const int version = verInst & 0x0F;
  const int instance = verInst >> 4;
  const std::uint32_t held = Held(body, length);
  const std::uint8_t* p = m_d + body;
  switch (type) {
    case 0x03F3: {  // a slide of a slide list
      const std::uint16_t number = length > 13 && held > 13 ? U16(p + 12) : 0;
      ++m_slideCount;
      AddEvent(kPptSlideList, number);
      return true;
    }
    case 0x03EF:  // a slide's own atom
      if (m_afterDocEnd && !m_skipSlide) {
        ++m_slideCount;
        AddEvent(kPptSlide);
      }
      m_skipSlide = false;
      return true;
    case 0x03EA:
      if (version != 0) return false;
      AddEvent(kPptDocEnd);
      m_afterDocEnd = true;
      m_slideCount = m_revisions > 0 ? 1 : 0;
      return true;
    case 0x0FF5:
      if (!m_afterDocEnd) return false;
      ++m_revisions;
      AddEvent(kPptRevision);
      return true;
    case 0x03F1:  // a notes page: the slide it belongs to
      if (!m_afterDocEnd) return false;
      AddEvent(kPptNote, held >= 2 ? U16(p) : 0);
      return true;
    case 0x0FD8:
      if (version == 15 && held >= 1 && p[0] == 0 && m_slideCount > 1) AddEvent(kPptFrame);
      return true;
    case 0x0FA0:
      if (m_slideCount > 1 && !m_skipText) {
        std::u16string units;
        units.reserve(held / 2);
        for (std::uint32_t i = 0; i + 1 < held; i += 2) {
          const char16_t u = static_cast<char16_t>(U16(p + i));
          if (u != 0) units.push_back(u);
        }
        std::string text = fw::Utf16ToCp932(units);
        std::string kept;
        kept.reserve(text.size());
        for (char c : text)
          if (c != '\0') kept.push_back(c);
        AddText(std::move(kept));
      }
      return true;
    case 0x0FA8:
      if (m_slideCount > 1 && !m_skipText) {
        // 8-bit text is Latin-1: bytes from 0x80 up become their ASCII
        // look-alikes, so none reads as a Shift-JIS lead byte.
        std::string text;
        text.reserve(held);
        for (std::uint32_t i = 0; i < held; ++i) {
          const std::uint8_t c = p[i];
          if (c == 0) continue;
          text.push_back(static_cast<char>(c >= 0x80 ? TransliterateLatin1(c) : c));
        }
        AddText(std::move(text));
      }
      return true;
    case 0xF007: {  // a picture entry
      if (version != 2 || (verInst >> 8) != 0 || length < 32 || held < 32) return true;
      OfficePicture pic;
      pic.type = static_cast<std::uint8_t>(verInst & 0xFF);
      pic.position = static_cast<std::int32_t>(U32(p + 28) & 0x7FFFFFFF);
      const std::uint32_t size = U32(p + 20);
      pic.size = size > kRecordHeader ? static_cast<std::int32_t>((size - kRecordHeader) & 0x7FFFFFFF) : 0;
      if (m_pics.Add(pic)) {
        ++m_r.pictures;
        if (m_req.openContext == 2)
          m_out.Printf("\r\n picture no.=%3d adr=%8x vol=%6x ", m_pics.Count(), U32(p + 28), size);
      }
      return true;
    }
    case 0xF00A:  // a shape: a picture frame keeps its id
      m_shapeType = instance;
      if (verInst == 0x04B2) {
        m_shapeKept = true;
      }
      m_pendingPicture = 0;
      return true;
    case 0xF00B:  // the shape's properties: the picture number
      if (version == 3 && length >= 10) {
        const std::uint32_t scan = held < kPropertyScan ? held : kPropertyScan;
        for (std::uint32_t i = 0; i + 6 <= scan; i += 1) {
          if (p[i] == 0x04 && p[i + 1] == 0x41) {
            m_pendingPicture = U32(p + i + 2);
            break;
          }
        }
      }
      return true;
    case 0xF010:
    case 0xF00F:
      Anchor(type, body, length);
      return true;
    case 0xF008:  // a drawing: its id and last shape id go to the slide event before it
      if (length == 8 && held >= 8 && !m_ev.entries.empty()) {
        PptEntry& last = m_ev.entries.back();
        if (last.kind == PptEntryKind::kEvent && last.code == kPptSlide) {
          last.drawingId = static_cast<std::uint16_t>(instance);
          last.number = static_cast<std::uint16_t>(p[5] | p[6] << 8);
          last.hasDrawing = true;
        }
      }
      return true;
    case 0x0BC3:
      if (length == 8) m_skipText = true;
      else m_skipText = false;
      m_skipSlide = false;
      return true;
    case 0x0FBA:
      m_skipSlide = length >= 17;
      m_skipText = false;
      return true;
    default:
      return false;
  }
}

void Walker::Run(std::int32_t from) {
  std::int32_t pos = from;
  int records = 0;
  while (records < kMaxRecords && m_revisions < kMaxRevisions) {
    if (static_cast<std::int64_t>(pos) + kRecordHeader > m_end) break;
    const std::uint8_t* h = m_d + pos;
    const int verInst = U16(h);
    const int type = U16(h + 2);
    const std::uint32_t length = U32(h + 4);
    if (type == 0 && h[4] == 0 && h[5] == 0) break;  // a zero header: the end of what was saved
    if (length >= kDamagedLength) {
      m_r.damage = "PowerPoint Document";
      break;
    }
    ++records;
    const std::int32_t body = pos + kRecordHeader;
    const std::int64_t bodyEnd = static_cast<std::int64_t>(body) + length;
    if (m_listInstance >= 0 && pos >= m_listEnd) m_listInstance = -1;
    const bool container = (verInst & 0x0F) == 0x0F || type == 0xF001;
    if (type == 0x0FF0 && container) {
      m_listInstance = verInst >> 4;
      m_listEnd = bodyEnd;
    }
    // Containers are handled too (0x0FD8 is one); entering one is a handling
    // of its own, so only an atom without one clears the skip flags.
    if (!Handle(verInst, type, body, length) && !container) {
      m_skipText = false;
      m_skipSlide = false;
    }
    if (container) {
      pos = body;
      continue;
    }
    if (bodyEnd > m_end) {
      // An atom that runs past the data: damage, unless the copy was cut.
      if (!m_cut) m_r.damage = "PowerPoint Document";
      break;
    }
    pos = static_cast<std::int32_t>(bodyEnd);
  }
}

}  // namespace

bool PptEvents::Add(PptEntry e) {
  std::size_t cost = 1;
  if (e.kind != PptEntryKind::kEvent && nChar > 0) cost += e.text.size() / static_cast<std::size_t>(nChar);
  if (used + cost > capacity) return false;
  used += cost;
  entries.push_back(std::move(e));
  return true;
}

bool IsPptMarker(const std::string& t) {
  return t.size() >= 2 && t[0] == '[' && (t[1] == 'I' || t[1] == 'G' || t[1] == 'O' || t[1] == 'W');
}

void WalkPptRecords(const std::uint8_t* data, std::int32_t from, std::int32_t end, const PptRequest& req, bool cut,
                    PptEvents& ev, OfficePictureTable& pictures, LoadBuffer& out, PptResult& r) {
  if (!data || from < 0 || end <= from) return;
  Walker w(data, end, req, cut, ev, pictures, out, r);
  w.Run(from);
}

void CopyOlderPptForm(const std::uint8_t* data, std::int32_t from, std::int32_t end, LoadBuffer& out) {
  std::int32_t pos = from;
  int records = 0;
  while (records++ < kMaxRecords && static_cast<std::int64_t>(pos) + kRecordHeader <= end) {
    const std::uint8_t* h = data + pos;
    if (h[2] == 0xFF) break;
    const int verInst = U16(h);
    const int type = U16(h + 2);
    const std::uint32_t length = U32(h + 4);
    if (length >= kDamagedLength) break;
    const std::int32_t body = pos + kRecordHeader;
    const std::int64_t bodyEnd = static_cast<std::int64_t>(body) + length;
    if ((verInst & 0x0F) == 0x0F) {
      pos = body;
      continue;
    }
    const std::int64_t stop = bodyEnd < end ? bodyEnd : end;
    if (type == 0x03F4) {
      out.Append("==============================================================\r\n");
    } else if ((type == 0x0FBA && stop >= pos + 12 && h[10] == '0' && h[11] == 0) ||
               (type == 0x07EE && stop >= pos + 12 && h[10] == '5' && h[11] == 0)) {
      std::string text;
      for (std::int64_t i = body; i < stop; ++i) {
        const std::uint8_t c = data[i];
        if (c == 0 || c == 0xFF) continue;
        if (c == 0x91 && i + 1 < stop && data[i + 1] >= '0' && data[i + 1] <= '9') {
          text.push_back('\'');
        } else if (c == '\r') {
          text += "\r\n";
          if (i + 1 < stop && data[i + 1] == '\n') ++i;
        } else if (c == 0x0B) {
          text += "\r\n\t";
        } else {
          text.push_back(static_cast<char>(c));
        }
      }
      text += "\r\n";
      out.Append(text.data(), text.size());
    }
    if (bodyEnd > end) break;
    pos = static_cast<std::int32_t>(bodyEnd);
  }
}

}  // namespace convert
