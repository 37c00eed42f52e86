// Worksheet markup that names relationships, and the document properties'
// sheet titles.
#include "export/merge/merge_bookkeeping.h"

#include <string_view>

#include "export/merge/merge_sheet.h"
#include "export/merge/merge_workbook.h"

namespace merge {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// One tag of the part.
struct Tag {
  std::size_t begin = 0;    // the '<'
  std::size_t nameEnd = 0;  // behind the qualified name
  std::size_t end = 0;      // behind the '>'
  bool closing = false;     // "</name>"
  bool selfClosing = false;
  bool other = true;        // comment, CDATA, declaration or processing instruction
  std::string_view qname;

  std::string_view Local() const {
    const std::size_t c = qname.find(':');
    return c == std::string_view::npos ? qname : qname.substr(c + 1);
  }
};

// The tag at or after `from`; false when none is complete.
bool NextTag(std::string_view d, std::size_t from, Tag* t) {
  const std::size_t lt = d.find('<', from);
  if (lt == std::string_view::npos || lt + 1 >= d.size()) return false;
  *t = Tag();
  t->begin = lt;
  std::size_t p = lt + 1;
  auto endAt = [&](const char* close, std::size_t n) {
    const std::size_t e = d.find(close, p);
    if (e == std::string_view::npos) return false;
    t->end = e + n;
    return true;
  };
  if (d.compare(p, 3, "!--") == 0) return endAt("-->", 3);
  if (d.compare(p, 8, "![CDATA[") == 0) return endAt("]]>", 3);
  if (d[p] == '?') return endAt("?>", 2);
  if (d[p] == '!') return endAt(">", 1);
  t->other = false;
  if (d[p] == '/') {
    t->closing = true;
    ++p;
  }
  std::size_t n = p;
  while (n < d.size() && !IsSpace(d[n]) && d[n] != '>' && d[n] != '/') ++n;
  t->qname = d.substr(p, n - p);
  t->nameEnd = n;
  const std::size_t e = FindTagClose(d, n);
  if (e == std::string_view::npos) return false;
  t->end = e + 1;
  t->selfClosing = !t->closing && d[e - 1] == '/';
  return true;
}

// An attribute inside a start tag: from the blank before its name to the
// end of its value.
struct Attr {
  std::size_t begin = 0, end = 0;
  std::string_view qname;
  std::size_t valueBegin = 0, valueEnd = 0;
};

std::vector<Attr> Attributes(std::string_view d, const Tag& t) {
  std::vector<Attr> out;
  std::size_t p = t.nameEnd;
  const std::size_t stop = t.end - 1;
  while (p < stop) {
    const std::size_t lead = p;
    while (p < stop && IsSpace(d[p])) ++p;
    const std::size_t nb = p;
    while (p < stop && !IsSpace(d[p]) && d[p] != '=' && d[p] != '/' && d[p] != '>') ++p;
    if (p == nb) {
      ++p;
      continue;
    }
    Attr a;
    a.begin = lead;
    a.qname = d.substr(nb, p - nb);
    while (p < stop && IsSpace(d[p])) ++p;
    if (p >= stop || d[p] != '=') continue;
    ++p;
    while (p < stop && IsSpace(d[p])) ++p;
    if (p >= stop || (d[p] != '"' && d[p] != '\'')) continue;
    const std::size_t close = d.find(d[p], p + 1);
    if (close == std::string_view::npos || close >= stop) break;
    a.valueBegin = p + 1;
    a.valueEnd = close;
    a.end = close + 1;
    p = close + 1;
    out.push_back(a);
  }
  return out;
}

// A prefixed attribute named "id": the relationship reference.
bool IsRelationshipRef(const Attr& a) {
  const std::size_t c = a.qname.find(':');
  return c != std::string_view::npos && a.qname.substr(c + 1) == "id" && a.qname.substr(0, c) != "xmlns";
}

bool HasRelationshipRef(std::string_view d, const Tag& t) {
  for (const Attr& a : Attributes(d, t))
    if (IsRelationshipRef(a)) return true;
  return false;
}

bool IsRelationshipElement(std::string_view local) {
  return local == "drawing" || local == "legacyDrawing" || local == "legacyDrawingHF" || local == "picture" ||
         local == "oleObjects" || local == "controls" || local == "tableParts";
}

// Behind the end tag that closes the element started by `start` (nested
// elements of the same name counted); npos when it never closes.
std::size_t ElementEnd(std::string_view d, const Tag& start) {
  if (start.selfClosing) return start.end;
  int depth = 1;
  Tag t;
  std::size_t p = start.end;
  while (NextTag(d, p, &t)) {
    p = t.end;
    if (t.other || t.qname != start.qname) continue;
    if (t.closing) {
      if (--depth == 0) return t.end;
    } else if (!t.selfClosing) {
      ++depth;
    }
  }
  return std::string_view::npos;
}

}  // namespace

std::string LeaveOutRelationshipMarkup(const char* data, std::size_t len) {
  const std::string_view d(data, len);
  std::string out;
  out.reserve(len);
  std::size_t copied = 0;
  // The open hyperlinks list: where its start tag went in `out`, and
  // whether an entry of it stayed.
  std::size_t listAt = std::string::npos;
  bool listKept = false;
  Tag t;
  std::size_t p = 0;
  while (NextTag(d, p, &t)) {
    p = t.end;
    if (t.other) continue;
    const std::string_view local = t.Local();
    if (t.closing) {
      if (local == "hyperlinks" && listAt != std::string::npos) {
        if (!listKept) {
          out.resize(listAt);
          copied = t.end;
        }
        listAt = std::string::npos;
      }
      continue;
    }
    if (local == "hyperlinks" && !t.selfClosing) {
      out.append(d.substr(copied, t.begin - copied));
      copied = t.begin;
      listAt = out.size();
      listKept = false;
      continue;
    }
    const bool dropHyperlink = local == "hyperlink" && HasRelationshipRef(d, t);
    if (IsRelationshipElement(local) || dropHyperlink) {
      const std::size_t e = ElementEnd(d, t);
      if (e == std::string_view::npos) break;  // a cut part: the rest is copied
      out.append(d.substr(copied, t.begin - copied));
      copied = e;
      p = e;
      continue;
    }
    if (local == "hyperlink") listKept = true;
    if (local == "pageSetup") {
      for (const Attr& a : Attributes(d, t)) {
        if (!IsRelationshipRef(a)) continue;
        out.append(d.substr(copied, a.begin - copied));
        copied = a.end;
      }
    }
  }
  out.append(d.substr(copied));
  return out;
}

bool RewriteAppPart(const char* data, std::size_t len, const std::vector<std::string>& titles, std::string* out) {
  if (DetectPartEncoding(data, len) == PartEncoding::Utf16) return false;
  const std::string_view d(data, len);
  // The heading pairs: the first count ("i4") in them.
  auto findStart = [&](std::string_view local, std::size_t from, std::size_t limit, Tag* found) {
    std::size_t q = from;
    while (NextTag(d, q, found) && found->end <= limit) {
      q = found->end;
      if (!found->other && !found->closing && found->Local() == local) return true;
    }
    return false;
  };
  Tag pairs;
  if (!findStart("HeadingPairs", 0, len, &pairs) || pairs.selfClosing) return false;
  const std::size_t pairsEnd = ElementEnd(d, pairs);
  if (pairsEnd == std::string_view::npos) return false;
  Tag count;
  if (!findStart("i4", pairs.end, pairsEnd, &count) || count.selfClosing) return false;
  const std::size_t countEnd = d.find('<', count.end);
  if (countEnd == std::string_view::npos) return false;
  long long oldCount = 0;
  for (std::size_t i = count.end; i < countEnd; ++i) {
    if (d[i] < '0' || d[i] > '9') return false;
    if (oldCount < 1000000) oldCount = oldCount * 10 + (d[i] - '0');
  }
  // The titles: a vector of strings whose first oldCount entries are the sheets.
  Tag parts;
  if (!findStart("TitlesOfParts", pairsEnd, len, &parts) || parts.selfClosing) return false;
  const std::size_t partsEnd = ElementEnd(d, parts);
  if (partsEnd == std::string_view::npos) return false;
  Tag vec;
  if (!findStart("vector", parts.end, partsEnd, &vec)) return false;
  std::size_t sizeBegin = 0, sizeEnd = 0;
  for (const Attr& a : Attributes(d, vec))
    if (a.qname == "size") sizeBegin = a.valueBegin, sizeEnd = a.valueEnd;
  if (sizeEnd == 0) return false;
  long long oldSize = 0;
  for (std::size_t i = sizeBegin; i < sizeEnd; ++i) {
    if (d[i] < '0' || d[i] > '9') return false;
    if (oldSize < 1000000) oldSize = oldSize * 10 + (d[i] - '0');
  }
  if (oldCount > oldSize) return false;
  // The old sheet entries: from the vector's start to the end of entry oldCount.
  std::size_t entriesBegin = vec.end, entriesEnd = vec.end;
  std::string prefix;
  {
    std::size_t q = vec.end;
    Tag e;
    for (long long i = 0; i < oldCount; ++i) {
      if (!findStart("lpstr", q, partsEnd, &e)) return false;
      if (i == 0) {
        entriesBegin = e.begin;
        const std::size_t c = e.qname.find(':');
        if (c != std::string_view::npos) prefix = std::string(e.qname.substr(0, c + 1));
      }
      const std::size_t ee = ElementEnd(d, e);
      if (ee == std::string_view::npos) return false;
      q = entriesEnd = ee;
    }
    if (oldCount == 0) {
      const std::size_t c = vec.qname.find(':');
      prefix = c == std::string_view::npos ? std::string() : std::string(vec.qname.substr(0, c + 1));
    }
  }
  std::string r;
  r.reserve(len + titles.size() * 64);
  r.append(d.substr(0, count.end));
  r += std::to_string(titles.size());
  r.append(d.substr(countEnd, sizeBegin - countEnd));
  r += std::to_string(static_cast<long long>(titles.size()) + oldSize - oldCount);
  r.append(d.substr(sizeEnd, entriesBegin - sizeEnd));
  for (const std::string& title : titles) {
    r += "<" + prefix + "lpstr>";
    AppendEscapedName(title, &r);
    r += "</" + prefix + "lpstr>";
  }
  r.append(d.substr(entriesEnd));
  *out = std::move(r);
  return true;
}

std::string RelationshipsPartOf(const std::string& partPath) {
  const std::size_t slash = partPath.rfind('/');
  if (slash == std::string::npos) return "_rels/" + partPath + ".rels";
  return partPath.substr(0, slash + 1) + "_rels/" + partPath.substr(slash + 1) + ".rels";
}

}  // namespace merge
