// A small strict check of one XML document as stored bytes, for tests and
// fuzz targets that have no XML library: UTF-8 throughout (no overlong
// forms, no surrogates), no control characters but TAB, CR and LF, an
// optional declaration first, one root element, start and end tags that
// match, attributes quoted and not repeated, no '<' in text or values, and
// only the five named entities or character references. Returns an empty
// text when the document is well-formed, else what is wrong and where.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

// The check is the fuzz targets' oracle, run over every document of every
// input: clang's coverage feedback is left out of it (its branches are not
// the program's, and tracing each byte's comparisons cost most of a run).
#if defined(__clang__)
#define TABRYE_XMLCHECK_NO_COVERAGE __attribute__((no_sanitize("coverage")))
#else
#define TABRYE_XMLCHECK_NO_COVERAGE
#endif

namespace testsupport {

namespace xmlcheck_detail {

TABRYE_XMLCHECK_NO_COVERAGE inline bool NameStart(unsigned char c) {
  return c == '_' || c == ':' || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || c >= 0x80;
}
TABRYE_XMLCHECK_NO_COVERAGE inline bool NameChar(unsigned char c) { return NameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9'); }

// Length of the UTF-8 character at s[i], 0 when it is not one (or a
// character XML does not allow).
TABRYE_XMLCHECK_NO_COVERAGE inline std::size_t Utf8Length(const std::string& s, std::size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') ? 1 : 0;
  std::size_t n;
  unsigned cp;
  if (c >= 0xC2 && c <= 0xDF) n = 2, cp = c & 0x1F;
  else if (c >= 0xE0 && c <= 0xEF) n = 3, cp = c & 0x0F;
  else if (c >= 0xF0 && c <= 0xF4) n = 4, cp = c & 0x07;
  else return 0;
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    const unsigned char t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (t & 0x3F);
  }
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF) return 0;
  return n;
}

}  // namespace xmlcheck_detail

TABRYE_XMLCHECK_NO_COVERAGE inline std::string XmlWellFormedProblem(const std::string& doc) {
  using namespace xmlcheck_detail;
  // Names are kept as (offset, length) into the document: the check runs in
  // fuzz targets on every input, so it makes no string per tag.
  using Span = std::pair<std::size_t, std::size_t>;
  auto at = [](const char* what, std::size_t pos) TABRYE_XMLCHECK_NO_COVERAGE { return std::string(what) + " at byte " + std::to_string(pos); };
  for (std::size_t i = 0; i < doc.size();) {
    const unsigned char c = static_cast<unsigned char>(doc[i]);
    if (c >= 0x20 && c < 0x80) {
      ++i;
      continue;
    }
    const std::size_t n = Utf8Length(doc, i);
    if (n == 0) return at("not a UTF-8 XML character", i);
    i += n;
  }
  std::size_t i = 0;
  const std::size_t end = doc.size();
  const char* d = doc.data();
  if (doc.compare(0, 5, "<?xml") == 0) {
    const std::size_t close = doc.find("?>");
    if (close == std::string::npos) return "unclosed declaration";
    i = close + 2;
  }
  auto text = [&](const Span& s) TABRYE_XMLCHECK_NO_COVERAGE { return doc.substr(s.first, s.second); };
  auto same = [&](const Span& a, const Span& b) TABRYE_XMLCHECK_NO_COVERAGE {
    return a.second == b.second && std::memcmp(d + a.first, d + b.first, a.second) == 0;
  };
  auto isWord = [&](std::size_t p, std::size_t n, const char* w) TABRYE_XMLCHECK_NO_COVERAGE {
    return std::strlen(w) == n && std::memcmp(d + p, w, n) == 0;
  };
  std::vector<Span> open;
  std::vector<Span> attrs;
  bool rootSeen = false;
  auto name = [&](std::size_t& p) TABRYE_XMLCHECK_NO_COVERAGE -> Span {
    const std::size_t s = p;
    if (p >= end || !NameStart(static_cast<unsigned char>(d[p]))) return Span(s, 0);
    while (p < end && NameChar(static_cast<unsigned char>(d[p]))) ++p;
    return Span(s, p - s);
  };
  auto reference = [&](std::size_t& p) TABRYE_XMLCHECK_NO_COVERAGE -> bool {  // p at '&'
    const std::size_t semi = doc.find(';', p);
    if (semi == std::string::npos || semi - p > 12) return false;
    const std::size_t r = p + 1, rn = semi - p - 1;
    p = semi + 1;
    if (isWord(r, rn, "amp") || isWord(r, rn, "lt") || isWord(r, rn, "gt") || isWord(r, rn, "quot") ||
        isWord(r, rn, "apos"))
      return true;
    if (rn < 2 || d[r] != '#') return false;
    unsigned long v = 0;
    const bool hex = d[r + 1] == 'x';
    if (hex && rn < 3) return false;
    for (std::size_t k = hex ? 2 : 1; k < rn; ++k) {
      const char c = d[r + k];
      int dv = (c >= '0' && c <= '9') ? c - '0' : (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f') ? (c | 0x20) - 'a' + 10 : -1;
      if (dv < 0 || v > 0x10FFFF) return false;
      v = v * (hex ? 16 : 10) + static_cast<unsigned>(dv);
    }
    return v == 0x9 || v == 0xA || v == 0xD || (v >= 0x20 && v <= 0xD7FF) || (v >= 0xE000 && v <= 0xFFFD) ||
           (v >= 0x10000 && v <= 0x10FFFF);
  };
  while (i < end) {
    if (d[i] != '<') {
      if (d[i] == '&') {
        const std::size_t s = i;
        if (!reference(i)) return at("bad reference", s);
        if (open.empty()) return at("reference outside the root", s);
        continue;
      }
      if (open.empty() && d[i] != ' ' && d[i] != '\t' && d[i] != '\r' && d[i] != '\n')
        return at("text outside the root", i);
      if (d[i] == '>' && i >= 2 && d[i - 2] == ']' && d[i - 1] == ']') return at("\"]]>\" in text", i);
      ++i;
      continue;
    }
    const std::size_t tag = i;
    if (doc.compare(i, 4, "<!--") == 0) {
      const std::size_t c = doc.find("-->", i + 4);
      if (c == std::string::npos) return at("unclosed comment", tag);
      i = c + 3;
      continue;
    }
    if (doc.compare(i, 9, "<![CDATA[") == 0) {
      const std::size_t c = doc.find("]]>", i + 9);
      if (c == std::string::npos || open.empty()) return at("bad CDATA section", tag);
      i = c + 3;
      continue;
    }
    if (doc.compare(i, 2, "<?") == 0) {
      const std::size_t c = doc.find("?>", i + 2);
      if (c == std::string::npos) return at("unclosed processing instruction", tag);
      i = c + 2;
      continue;
    }
    if (doc.compare(i, 2, "</") == 0) {
      i += 2;
      const Span n = name(i);
      while (i < end && (d[i] == ' ' || d[i] == '\t' || d[i] == '\r' || d[i] == '\n')) ++i;
      if (n.second == 0 || i >= end || d[i] != '>') return at("bad end tag", tag);
      if (open.empty() || !same(open.back(), n)) return at(("end tag </" + text(n) + "> does not match").c_str(), tag);
      open.pop_back();
      ++i;
      continue;
    }
    ++i;
    const Span n = name(i);
    if (n.second == 0) return at("bad start tag", tag);
    if (open.empty() && rootSeen) return at("second root element", tag);
    attrs.clear();
    for (;;) {
      const std::size_t before = i;
      while (i < end && (d[i] == ' ' || d[i] == '\t' || d[i] == '\r' || d[i] == '\n')) ++i;
      if (i >= end) return at("unclosed start tag", tag);
      if (d[i] == '>' || doc.compare(i, 2, "/>") == 0) break;
      if (i == before) return at("attribute without a blank before it", i);
      const Span a = name(i);
      if (a.second == 0 || i >= end || d[i] != '=') return at("bad attribute", i);
      for (const Span& b : attrs)
        if (same(a, b)) return at(("attribute " + text(a) + " repeated").c_str(), i);
      attrs.push_back(a);
      ++i;
      if (i >= end || (d[i] != '"' && d[i] != '\'')) return at("unquoted attribute value", i);
      const char q = d[i++];
      while (i < end && d[i] != q) {
        if (d[i] == '<') return at("'<' in an attribute value", i);
        if (d[i] == '&') {
          const std::size_t s = i;
          if (!reference(i)) return at("bad reference", s);
        } else {
          ++i;
        }
      }
      if (i >= end) return at("unclosed attribute value", i);
      ++i;
    }
    rootSeen = true;
    if (d[i] == '>') {
      open.push_back(n);
      ++i;
    } else {
      i += 2;
    }
  }
  if (!open.empty()) return "unclosed element <" + text(open.back()) + ">";
  if (!rootSeen) return "no root element";
  return std::string();
}

}  // namespace testsupport
