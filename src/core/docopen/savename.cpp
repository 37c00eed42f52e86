#include "core/docopen/savename.h"

#include "fw/sjis.h"

namespace docopen {

namespace {

// The text a rendered document is saved as gets this after its source's name.
constexpr char kRenderedSuffix[] = ".txt";

unsigned char Fold(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c - 'A' + 'a');
  if (c == '/') return '\\';
  return c;
}

}  // namespace

bool SamePath(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    const unsigned char ca = static_cast<unsigned char>(a[i]);
    const unsigned char cb = static_cast<unsigned char>(b[i]);
    if (fw::IsSjisLeadByte(ca) && i + 1 < a.size()) {
      // A whole character: both bytes as they are.
      if (ca != cb || a[i + 1] != b[i + 1]) return false;
      i += 2;
      continue;
    }
    if (Fold(ca) != Fold(cb)) return false;
    ++i;
  }
  return true;
}

SaveNamePlan PlanSaveName(const std::string& file, const std::string& renderedFrom) {
  SaveNamePlan p;
  if (file.empty()) return p;  // untitled: Save asks, the framework proposes
  if (!renderedFrom.empty() && SamePath(file, renderedFrom)) {
    p.proposal = file + kRenderedSuffix;
    return p;
  }
  p.saveName = file;
  p.proposal = file;
  return p;
}

bool AsksBeforeOverwrite(const SaveNamePlan& plan, const std::string& target) {
  return plan.saveName.empty() || !SamePath(plan.saveName, target);
}

}  // namespace docopen
