#include "core/docsvc/sourceform.h"

#include "core/crypto/envelope.h"
#include "core/docsvc/pathpart.h"

namespace docsvc {
namespace {

CString LowerExt(const CString& path) {
  CString ext = GetPathPart(path, 5);
  ext.MakeLower();
  return ext;
}

bool IsMacroExt(const CString& ext) { return ext == "rmcx" || ext == "rmcz"; }

}  // namespace

char SourceMarkerOf(const CString& path) {
  const CString ext = GetPathPart(path, 5);
  if (ext.IsEmpty()) return 0;
  const char c = ext.GetAt(0);
  return c == '+' || c == '-' || c == '=' ? c : 0;
}

int SourceModeForMarker(char marker) {
  switch (marker) {
    case '+': return kSourceEncipher;
    case '-': return kSourceZipEncipher;
    case '=': return kSourceZip;
    default: return 0;
  }
}

SourceDecodePlan PlanSourceDecode(int mode, const CString& path) {
  SourceDecodePlan p;
  if (mode != kSourceDecode && mode != kSourceDecodeMacro) return p;
  const char marker = SourceMarkerOf(path);
  const CString ext = LowerExt(path);
  if (mode == kSourceDecodeMacro && !(marker == '+' && IsMacroExt(ext.Mid(1)))) return p;
  if (marker) {
    p.how = marker == '=' ? SourceDecode::kZip : SourceDecode::kEnvelope;
    p.plainName = GetPathPart(path, 4);
    p.plainExt = GetPathPart(path, 5).Mid(1);
    return p;
  }
  if (ext == "rtz" || ext == "bmz") {
    p.how = SourceDecode::kZip;
    p.plainExt = ext == "rtz" ? "rtf" : "bmp";
    p.plainName = GetPathPart(path, 2) + "." + p.plainExt;
  }
  return p;
}

SourceEncodePlan PlanSourceEncode(int mode, const CString& path, const CString& extra) {
  SourceEncodePlan p;
  const CString ext = LowerExt(path);
  char marker = 0;
  switch (mode) {
    case kSourceEncipher: marker = '+', p.envelope = true; break;
    case kSourceZipEncipher: marker = '-', p.envelope = p.zip = true; break;
    case kSourceZip: marker = '=', p.zip = true; break;
    case kSourceEncipherMacro: marker = '+', p.envelope = p.programKey = true; break;
    case kSourceRtz: p.zip = true; break;
    default: p.refusal = SourceRefusal::kBadMode; return p;
  }
  if (ext.IsEmpty()) {
    p.refusal = SourceRefusal::kNoExtension;
    return p;
  }
  if (SourceMarkerOf(path)) {
    p.refusal = SourceRefusal::kAlreadyMarked;
    return p;
  }
  if (mode == kSourceRtz) {
    if (ext != "rtf") {
      p.refusal = ext == "rtz" || ext == "rtzx" ? SourceRefusal::kAlreadyMarked : SourceRefusal::kNotRtf;
      return p;
    }
    p.output = extra.IsEmpty() ? GetPathPart(path, 6) + ".rtz" : extra;
    return p;
  }
  if (mode == kSourceEncipherMacro && !IsMacroExt(ext)) {
    p.refusal = SourceRefusal::kNotMacro;
    return p;
  }
  if (p.envelope)
    p.iterations = p.programKey ? crypto::kEnvelopeProgramIterations : crypto::kEnvelopeUserIterations;
  p.output = extra.IsEmpty() ? MarkedPath(path, marker) : extra;
  return p;
}

CString MarkedPath(const CString& path, char marker) {
  const CString ext = GetPathPart(path, 5);
  if (ext.IsEmpty()) return CString();
  CString out = GetPathPart(path, 6);
  out += '.';
  out += marker;
  out += ext;
  return out;
}

bool IsUsableSourceKey(const CString& key) {
  const int n = key.GetLength();
  if (n < 4) return false;
  for (int i = n - 4; i < n; ++i)
    if (key.GetAt(i) != ' ') return true;
  return false;
}

CString SourceWorkFileName(const CString& programDir, int instance, unsigned counter, const CString& ext) {
  CString name;
  name.Format("%s%s%d_%u", programDir.GetString(), kSourceWorkPrefix, instance, counter);
  if (!ext.IsEmpty()) name += "." + ext;
  return name;
}

bool IsSourceWorkFile(const CString& programDir, const CString& path) {
  if (programDir.IsEmpty()) return false;
  const CString prefix = programDir + kSourceWorkPrefix;
  return path.GetLength() > prefix.GetLength() && path.Left(prefix.GetLength()).CompareNoCase(prefix) == 0;
}

}  // namespace docsvc
