// Reading a workbook's bookkeeping parts by element and attribute names.
#include "export/merge/merge_package.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include "export/merge/merge_sheet.h"
#include "fw/codepage.h"

namespace merge {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct Attr {
  std::string_view prefix;
  std::string_view local;
  std::string value;  // resolved
};

struct Tag {
  std::string_view local;
  bool closing = false;
  bool selfClosing = false;
  std::vector<Attr> attrs;

  const Attr* Find(std::string_view name, bool prefixed = false) const {
    for (const Attr& a : attrs)
      if (a.local == name && (prefixed ? !a.prefix.empty() && a.prefix != "xmlns" : a.prefix.empty())) return &a;
    return nullptr;
  }
  std::string Value(std::string_view name, bool prefixed = false) const {
    const Attr* a = Find(name, prefixed);
    return a ? a->value : std::string();
  }
};

void AppendCodePoint(std::uint32_t cp, bool sjis, std::string* out) {
  char u[4];
  std::size_t n;
  if (cp < 0x80) {
    u[0] = static_cast<char>(cp);
    n = 1;
  } else if (cp < 0x800) {
    u[0] = static_cast<char>(0xC0 | (cp >> 6));
    u[1] = static_cast<char>(0x80 | (cp & 0x3F));
    n = 2;
  } else if (cp < 0x10000) {
    u[0] = static_cast<char>(0xE0 | (cp >> 12));
    u[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    u[2] = static_cast<char>(0x80 | (cp & 0x3F));
    n = 3;
  } else {
    u[0] = static_cast<char>(0xF0 | (cp >> 18));
    u[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    u[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    u[3] = static_cast<char>(0x80 | (cp & 0x3F));
    n = 4;
  }
  if (sjis)
    out->append(fw::Utf8ToCp932(u, n));
  else
    out->append(u, n);
}

// Text with the named entities and character references resolved; anything
// that is no reference stays as it stands.
std::string Unescape(std::string_view raw, bool sjis) {
  std::string out;
  out.reserve(raw.size());
  std::size_t i = 0;
  while (i < raw.size()) {
    if (raw[i] != '&') {
      out.push_back(raw[i++]);
      continue;
    }
    const std::size_t semi = raw.find(';', i + 1);
    if (semi == std::string_view::npos || semi - i > 12) {
      out.push_back(raw[i++]);
      continue;
    }
    const std::string_view ref = raw.substr(i + 1, semi - i - 1);
    static const struct {
      const char* name;
      char c;
    } kNamed[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    bool done = false;
    for (const auto& e : kNamed)
      if (ref == e.name) {
        out.push_back(e.c);
        done = true;
      }
    if (!done && ref.size() >= 2 && ref[0] == '#') {
      const bool hex = ref[1] == 'x' || ref[1] == 'X';
      std::uint32_t cp = 0;
      std::size_t k = hex ? 2 : 1;
      const std::size_t first = k;
      for (; k < ref.size(); ++k) {
        const char c = ref[k];
        int d;
        if (c >= '0' && c <= '9')
          d = c - '0';
        else if (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f')
          d = (c | 0x20) - 'a' + 10;
        else
          break;
        cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
        if (cp > 0x10FFFF) break;
      }
      if (k == ref.size() && k > first && cp != 0 && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF)) {
        AppendCodePoint(cp, sjis, &out);
        done = true;
      }
    }
    if (done) {
      i = semi + 1;
    } else {
      out.push_back(raw[i++]);
    }
  }
  return out;
}

// Splits "p:name" into its prefix and local name.
void SplitName(std::string_view q, std::string_view* prefix, std::string_view* local) {
  const std::size_t colon = q.find(':');
  if (colon == std::string_view::npos) {
    *prefix = {};
    *local = q;
  } else {
    *prefix = q.substr(0, colon);
    *local = q.substr(colon + 1);
  }
}

// Walks the tags of a part, passing over the declaration, processing
// instructions, comments, CDATA and document-type declarations.
class TagReader {
 public:
  TagReader(const char* data, std::size_t len, bool sjis) : d_(data, len), sjis_(sjis) {}

  bool Next(Tag* tag) {
    while (true) {
      const std::size_t lt = d_.find('<', p_);
      if (lt == std::string_view::npos) return false;
      p_ = lt + 1;
      if (d_.compare(p_, 3, "!--") == 0) {
        if (!SkipTo("-->")) return false;
        continue;
      }
      if (d_.compare(p_, 8, "![CDATA[") == 0) {
        if (!SkipTo("]]>")) return false;
        continue;
      }
      if (p_ < d_.size() && (d_[p_] == '?' || d_[p_] == '!')) {
        if (!SkipTo(">")) return false;
        continue;
      }
      return ReadTag(tag);
    }
  }

 private:
  bool SkipTo(const char* end) {
    const std::size_t at = d_.find(end, p_);
    if (at == std::string_view::npos) return false;
    p_ = at + std::strlen(end);
    return true;
  }

  std::string_view ReadName() {
    const std::size_t b = p_;
    while (p_ < d_.size() && !IsSpace(d_[p_]) && d_[p_] != '>' && d_[p_] != '/' && d_[p_] != '=') ++p_;
    return d_.substr(b, p_ - b);
  }
  void SkipSpace() {
    while (p_ < d_.size() && IsSpace(d_[p_])) ++p_;
  }

  bool ReadTag(Tag* tag) {
    tag->attrs.clear();
    tag->closing = false;
    tag->selfClosing = false;
    if (p_ < d_.size() && d_[p_] == '/') {
      tag->closing = true;
      ++p_;
    }
    std::string_view prefix;
    SplitName(ReadName(), &prefix, &tag->local);
    while (true) {
      SkipSpace();
      if (p_ >= d_.size()) return false;
      if (d_[p_] == '>') {
        ++p_;
        return true;
      }
      if (d_[p_] == '/') {
        tag->selfClosing = true;
        ++p_;
        continue;
      }
      const std::string_view name = ReadName();
      if (name.empty()) {
        ++p_;  // a stray byte: passed over
        continue;
      }
      SkipSpace();
      if (p_ >= d_.size() || d_[p_] != '=') continue;
      ++p_;
      SkipSpace();
      if (p_ >= d_.size() || (d_[p_] != '"' && d_[p_] != '\'')) continue;
      const char q = d_[p_++];
      const std::size_t close = d_.find(q, p_);
      if (close == std::string_view::npos) return false;
      Attr a;
      SplitName(name, &a.prefix, &a.local);
      a.value = Unescape(d_.substr(p_, close - p_), sjis_);
      tag->attrs.push_back(std::move(a));
      p_ = close + 1;
    }
  }

  std::string_view d_;
  bool sjis_;
  std::size_t p_ = 0;
};

// Reads the elements named `item` below the root `root`; `take` gets each.
template <typename Take>
bool ReadItems(const char* data, std::size_t len, std::string_view root, Take take) {
  const PartEncoding enc = DetectPartEncoding(data, len);
  if (enc == PartEncoding::Utf16) return false;
  TagReader reader(data, len, enc == PartEncoding::ShiftJis);
  Tag tag;
  bool first = true;
  while (reader.Next(&tag)) {
    if (first) {
      if (tag.closing || tag.local != root) return false;
      first = false;
      continue;
    }
    if (!tag.closing) take(tag);
  }
  return !first;
}

}  // namespace

bool ReadWorkbookSheets(const char* data, std::size_t len, std::vector<SheetEntry>* sheets) {
  sheets->clear();
  // Only the entries inside <sheets> count; other "sheet" elements (such as
  // those of an extension) do not.
  int inSheets = 0;
  const PartEncoding enc = DetectPartEncoding(data, len);
  if (enc == PartEncoding::Utf16) return false;
  TagReader reader(data, len, enc == PartEncoding::ShiftJis);
  Tag tag;
  bool first = true;
  while (reader.Next(&tag)) {
    if (first) {
      if (tag.closing || tag.local != "workbook") return false;
      first = false;
      continue;
    }
    if (tag.local == "sheets") {
      if (tag.closing)
        inSheets = 0;
      else if (!tag.selfClosing)
        inSheets = 1;
      continue;
    }
    if (inSheets && !tag.closing && tag.local == "sheet") {
      SheetEntry e;
      e.name = tag.Value("name");
      e.sheetId = tag.Value("sheetId");
      e.relId = tag.Value("id", true);
      sheets->push_back(std::move(e));
    }
  }
  return !first;
}

bool ReadRelationships(const char* data, std::size_t len, std::vector<Relationship>* rels) {
  rels->clear();
  return ReadItems(data, len, "Relationships", [&](const Tag& tag) {
    if (tag.local != "Relationship") return;
    Relationship r;
    r.id = tag.Value("Id");
    r.type = tag.Value("Type");
    r.target = tag.Value("Target");
    r.external = tag.Value("TargetMode") == "External";
    rels->push_back(std::move(r));
  });
}

bool ReadContentTypes(const char* data, std::size_t len, ContentTypes* types) {
  types->defaults.clear();
  types->overrides.clear();
  return ReadItems(data, len, "Types", [&](const Tag& tag) {
    if (tag.local == "Default")
      types->defaults.push_back({tag.Value("Extension"), tag.Value("ContentType")});
    else if (tag.local == "Override")
      types->overrides.push_back({tag.Value("PartName"), tag.Value("ContentType")});
  });
}

bool IsWorksheetRelationship(const std::string& type) {
  static const char kEnd[] = "/worksheet";
  const std::size_t n = sizeof kEnd - 1;
  return type.size() > n && type.compare(type.size() - n, n, kEnd) == 0;
}

std::string ResolvePartTarget(const std::string& source, const std::string& target) {
  if (target.empty() || target.find("://") != std::string::npos) return "";
  std::string path;
  if (target[0] == '/') {
    path = target.substr(1);
  } else {
    const std::size_t slash = source.rfind('/');
    path = (slash == std::string::npos ? std::string() : source.substr(0, slash + 1)) + target;
  }
  std::vector<std::string> segs;
  std::size_t b = 0;
  while (b <= path.size()) {
    std::size_t e = path.find('/', b);
    if (e == std::string::npos) e = path.size();
    const std::string seg = path.substr(b, e - b);
    if (seg == "..") {
      if (segs.empty()) return "";
      segs.pop_back();
    } else if (!seg.empty() && seg != ".") {
      segs.push_back(seg);
    }
    b = e + 1;
  }
  std::string out;
  for (const std::string& s : segs) {
    if (!out.empty()) out.push_back('/');
    out += s;
  }
  return out;
}

std::vector<std::string> SheetPartPaths(const std::vector<SheetEntry>& sheets,
                                        const std::vector<Relationship>& rels, const std::string& workbookPath) {
  std::vector<std::string> paths;
  paths.reserve(sheets.size());
  for (const SheetEntry& s : sheets) {
    std::string path;
    for (const Relationship& r : rels)
      if (!s.relId.empty() && r.id == s.relId) {
        if (!r.external && IsWorksheetRelationship(r.type)) path = ResolvePartTarget(workbookPath, r.target);
        break;
      }
    paths.push_back(std::move(path));
  }
  return paths;
}

}  // namespace merge
