// Writing back the workbook part, relationships and content types.
#include "export/merge/merge_workbook.h"

#include <cstring>
#include <string_view>

#include "export/merge/merge_sheet.h"

namespace merge {

namespace {

constexpr char kRelNamespace[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct TagSpan {
  std::size_t begin = 0;  // the '<'
  std::size_t end = 0;    // behind the '>'
  bool selfClosing = false;
  std::string qname;      // with its prefix
};

// The next start tag from `from` whose local name is `local`, passing over
// comments, CDATA, declarations and processing instructions.
bool FindStartTag(std::string_view d, std::size_t from, std::string_view local, TagSpan* span) {
  std::size_t p = from;
  while (true) {
    const std::size_t lt = d.find('<', p);
    if (lt == std::string_view::npos) return false;
    p = lt + 1;
    if (d.compare(p, 3, "!--") == 0) {
      const std::size_t e = d.find("-->", p);
      if (e == std::string_view::npos) return false;
      p = e + 3;
      continue;
    }
    if (d.compare(p, 8, "![CDATA[") == 0) {
      const std::size_t e = d.find("]]>", p);
      if (e == std::string_view::npos) return false;
      p = e + 3;
      continue;
    }
    if (p >= d.size() || d[p] == '/' || d[p] == '?' || d[p] == '!') continue;
    std::size_t n = p;
    while (n < d.size() && !IsSpace(d[n]) && d[n] != '>' && d[n] != '/') ++n;
    const std::string_view q = d.substr(p, n - p);
    const std::size_t colon = q.find(':');
    const std::string_view l = colon == std::string_view::npos ? q : q.substr(colon + 1);
    if (l != local) continue;
    const std::size_t e = FindTagClose(d, n);
    if (e == std::string_view::npos) return false;
    span->begin = lt;
    span->end = e + 1;
    span->selfClosing = d[e - 1] == '/';
    span->qname = std::string(q);
    return true;
  }
}

// The value span of attribute `name` (no prefix) inside a tag.
bool FindTagAttr(std::string_view d, const TagSpan& tag, const char* name, std::size_t* vb, std::size_t* ve) {
  const std::size_t nameLen = std::strlen(name);
  char quote = 0;
  for (std::size_t i = tag.begin + 1; i + nameLen + 2 < tag.end; ++i) {
    const char c = d[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
      continue;
    }
    if (IsSpace(c) && d.compare(i + 1, nameLen, name) == 0) {
      std::size_t k = i + 1 + nameLen;
      while (k < tag.end && IsSpace(d[k])) ++k;
      if (k >= tag.end || d[k] != '=') continue;
      ++k;
      while (k < tag.end && IsSpace(d[k])) ++k;
      if (k >= tag.end || (d[k] != '"' && d[k] != '\'')) continue;
      const std::size_t close = d.find(d[k], k + 1);
      if (close == std::string_view::npos || close >= tag.end) return false;
      *vb = k + 1;
      *ve = close;
      return true;
    }
  }
  return false;
}

// The end tag of an element opened by `tag` (not self-closing): the '<' of
// its "</name>" and, in *after, the position behind its '>'; npos when the
// text ends first.
std::size_t FindEndTag(std::string_view d, const TagSpan& tag, std::size_t* after) {
  const std::string close = "</" + tag.qname;
  for (std::size_t at = d.find(close, tag.end); at != std::string_view::npos; at = d.find(close, at + close.size())) {
    std::size_t k = at + close.size();
    while (k < d.size() && IsSpace(d[k])) ++k;
    if (k < d.size() && d[k] == '>') {
      *after = k + 1;
      return at;
    }
  }
  return std::string_view::npos;
}

}  // namespace

void AppendEscapedName(const std::string& text, std::string* out) {
  for (char c : text) {
    switch (c) {
      case '&': *out += "&amp;"; break;
      case '"': *out += "&quot;"; break;
      case '<': *out += "&lt;"; break;
      case '>': *out += "&gt;"; break;
      default: out->push_back(c);
    }
  }
}

bool RenumberLocalNames(const char* data, std::size_t len, const std::vector<int>& newIndex, std::string* out) {
  if (DetectPartEncoding(data, len) == PartEncoding::Utf16) return false;
  const std::string_view d(data, len);
  std::string result;
  std::size_t copied = 0;
  bool changed = false;
  TagSpan tag;
  for (std::size_t from = 0; FindStartTag(d, from, "definedName", &tag); from = tag.end) {
    std::size_t vb, ve;
    if (!FindTagAttr(d, tag, "localSheetId", &vb, &ve)) continue;
    long long old = vb == ve ? -1 : 0;
    for (std::size_t i = vb; i < ve && old >= 0; ++i) {
      if (d[i] < '0' || d[i] > '9')
        old = -1;
      else if (old < 1000000)
        old = old * 10 + (d[i] - '0');
    }
    const int now =
        old >= 0 && old < static_cast<long long>(newIndex.size()) ? newIndex[static_cast<std::size_t>(old)] : -1;
    if (now == old) continue;
    if (result.empty()) result.reserve(len);
    changed = true;
    if (now >= 0) {
      result.append(d.substr(copied, vb - copied));
      result += std::to_string(now);
      copied = ve;
      continue;
    }
    // The whole element goes: its start tag through its end tag.
    std::size_t end = tag.end;
    if (!tag.selfClosing && FindEndTag(d, tag, &end) == std::string_view::npos) return false;
    result.append(d.substr(copied, tag.begin - copied));
    copied = end;
    tag.end = end;
  }
  if (!changed) return false;
  result.append(d.substr(copied));
  *out = std::move(result);
  return true;
}

int ReadActiveTab(const char* data, std::size_t len) {
  const std::string_view d(data, len);
  TagSpan view;
  if (!FindStartTag(d, 0, "workbookView", &view)) return -1;
  std::size_t vb, ve;
  if (!FindTagAttr(d, view, "activeTab", &vb, &ve) || vb == ve) return -1;
  int v = 0;
  for (std::size_t i = vb; i < ve; ++i) {
    if (d[i] < '0' || d[i] > '9') return -1;
    if (v < 100000) v = v * 10 + (d[i] - '0');
  }
  return v;
}

bool RewriteWorkbookPart(const char* data, std::size_t len, const std::vector<NewSheetEntry>& sheets, int activeTab,
                         std::string* out) {
  if (DetectPartEncoding(data, len) == PartEncoding::Utf16) return false;
  const std::string_view d(data, len);
  TagSpan list;
  if (!FindStartTag(d, 0, "sheets", &list)) return false;
  std::size_t resume = list.end;  // where copying goes on: the list's end tag
  if (!list.selfClosing) {
    std::size_t after;
    resume = FindEndTag(d, list, &after);
    if (resume == std::string_view::npos) return false;
  }
  const std::string prefix =
      list.qname.find(':') == std::string::npos ? std::string() : list.qname.substr(0, list.qname.find(':') + 1);

  std::string result;
  result.reserve(len + sheets.size() * 160 + 64);
  // Up to the sheet list, with the first workbook view's active tab set.
  TagSpan view;
  const bool haveView = FindStartTag(d.substr(0, list.begin), 0, "workbookView", &view);
  std::size_t copied = 0;
  if (haveView) {
    std::size_t vb, ve;
    if (FindTagAttr(d, view, "activeTab", &vb, &ve)) {
      result.append(d.substr(0, vb));
      result += std::to_string(activeTab);
      copied = ve;
    } else {
      const std::size_t insertAt = view.selfClosing ? view.end - 2 : view.end - 1;
      result.append(d.substr(0, insertAt));
      result += " activeTab=\"" + std::to_string(activeTab) + "\"";
      copied = insertAt;
    }
  }
  if (list.selfClosing) {
    // "<sheets/>" opens up to hold the entries.
    result.append(d.substr(copied, list.end - 2 - copied));
    result += ">";
  } else {
    result.append(d.substr(copied, list.end - copied));
  }
  for (const NewSheetEntry& s : sheets) {
    result += "<" + prefix + "sheet xmlns:r=\"";
    result += kRelNamespace;
    result += "\" name=\"";
    AppendEscapedName(s.name, &result);
    result += "\" sheetId=\"" + std::to_string(s.sheetId) + "\" r:id=\"";
    AppendEscapedName(s.relId, &result);
    result += "\"/>";
  }
  if (list.selfClosing) result += "</" + list.qname + ">";
  result.append(d.substr(resume));
  *out = std::move(result);
  return true;
}

bool RewriteEntryPart(const char* data, std::size_t len, const char* item, const char* key,
                      const std::vector<std::string>& drop, const std::vector<NewPartEntry>& add, std::string* out) {
  if (DetectPartEncoding(data, len) == PartEncoding::Utf16) return false;
  const std::string_view d(data, len);
  // The root: the first start tag.
  TagSpan root;
  std::size_t p = 0;
  while (true) {
    const std::size_t lt = d.find('<', p);
    if (lt == std::string_view::npos || lt + 1 >= d.size()) return false;
    const char c = d[lt + 1];
    if (c == '?' || c == '!' || c == '/') {
      p = lt + 1;
      continue;
    }
    std::size_t n = lt + 1;
    while (n < d.size() && !IsSpace(d[n]) && d[n] != '>' && d[n] != '/') ++n;
    const std::string local(d.substr(lt + 1, n - lt - 1).substr(d.substr(lt + 1, n - lt - 1).find(':') + 1));
    if (!FindStartTag(d, lt, local.c_str(), &root)) return false;
    break;
  }
  std::size_t rootEnd;  // the '<' of the root's end tag
  if (root.selfClosing) {
    rootEnd = std::string_view::npos;
  } else {
    rootEnd = d.rfind("</" + root.qname);
    if (rootEnd == std::string_view::npos || rootEnd < root.end) return false;
  }
  std::string result;
  result.reserve(len + add.size() * 200);
  std::size_t copied = 0;
  const std::size_t limit = root.selfClosing ? root.end : rootEnd;
  TagSpan entry;
  std::size_t from = root.end;
  while (from < limit && FindStartTag(d.substr(0, limit), from, item, &entry)) {
    std::size_t skipTo = entry.end;
    if (!entry.selfClosing) {
      const std::size_t close = d.find("</" + entry.qname, entry.end);
      if (close == std::string_view::npos || close >= limit) return false;
      const std::size_t gt = d.find('>', close);
      if (gt == std::string_view::npos) return false;
      skipTo = gt + 1;
    }
    std::size_t vb, ve;
    bool dropIt = false;
    if (FindTagAttr(d, entry, key, &vb, &ve))
      for (const std::string& k : drop) dropIt = dropIt || d.substr(vb, ve - vb) == k;
    if (dropIt) {
      result.append(d.substr(copied, entry.begin - copied));
      copied = skipTo;
    }
    from = skipTo;
  }
  auto writeAdds = [&]() {
    for (const NewPartEntry& e : add) {
      const std::size_t colon = root.qname.find(':');
      result += "<" + (colon == std::string::npos ? std::string() : root.qname.substr(0, colon + 1)) + item;
      for (const auto& a : e.attrs) {
        result += " " + a.first + "=\"";
        AppendEscapedName(a.second, &result);
        result += "\"";
      }
      result += "/>";
    }
  };
  if (root.selfClosing) {
    result.append(d.substr(copied, root.end - 2 - copied));
    result += ">";
    writeAdds();
    result += "</" + root.qname + ">";
    result.append(d.substr(root.end));
  } else {
    result.append(d.substr(copied, rootEnd - copied));
    writeAdds();
    result.append(d.substr(rootEnd));
  }
  *out = std::move(result);
  return true;
}

std::string NextRelationshipId(const std::vector<std::string>& used) {
  for (long long n = 1;; ++n) {
    const std::string id = "rId" + std::to_string(n);
    bool taken = false;
    for (const std::string& u : used) taken = taken || u == id;
    if (!taken) return id;
  }
}

std::size_t FindTagClose(std::string_view d, std::size_t from) {
  char quote = 0;
  for (std::size_t e = from; e < d.size(); ++e) {
    const char c = d[e];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return e;
    }
  }
  return std::string_view::npos;
}

}  // namespace merge
