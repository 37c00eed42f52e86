#include "app/shell/save_forms.h"

#include <cctype>

#include "fw/sjis.h"

namespace app {

namespace {

constexpr int kKindRichText = 4;
constexpr int kKindCsv = 33;
constexpr int kKindCommaTable = 35;

struct FormRow {
  SaveForm form;
  const char* extension;
};
// In the order of the dialog's entries.
constexpr FormRow kForms[] = {
    {SaveForm::kText, ".txt"},
    {SaveForm::kCsvComma, ".csv"},
    {SaveForm::kRichText, ".rtf"},
};
constexpr int kFormCount = static_cast<int>(sizeof kForms / sizeof kForms[0]);

// The extension of the last path element ("" when none), lower case, with
// the dot; Shift-JIS aware so a trail byte 0x5C is no separator.
std::string ExtensionOf(const std::string& path) {
  std::size_t nameStart = 0, dot = std::string::npos;
  for (std::size_t i = 0; i < path.size();) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (fw::IsSjisLeadByte(c) && i + 1 < path.size()) {
      i += 2;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') {
      nameStart = i + 1;
      dot = std::string::npos;
    } else if (c == '.') {
      dot = i;
    }
    ++i;
  }
  if (dot == std::string::npos || dot == nameStart || dot + 1 == path.size()) return std::string();
  std::string ext = path.substr(dot);
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return ext;
}

}  // namespace

SaveForm SaveFormForFilterIndex(int filterIndex) {
  return filterIndex >= 1 && filterIndex <= kFormCount ? kForms[filterIndex - 1].form : SaveForm::kText;
}

int FilterIndexForSaveForm(SaveForm form) {
  for (int i = 0; i < kFormCount; ++i)
    if (kForms[i].form == form) return i + 1;
  return 1;
}

int FilterIndexForKind(int kind) {
  if (kind == kKindCsv || kind == kKindCommaTable) return FilterIndexForSaveForm(SaveForm::kCsvComma);
  if (kind == kKindRichText) return FilterIndexForSaveForm(SaveForm::kRichText);
  return FilterIndexForSaveForm(SaveForm::kText);
}

const char* DefaultExtension(SaveForm form) { return kForms[FilterIndexForSaveForm(form) - 1].extension; }

SaveChoice ResolveSaveChoice(const std::string& path, int filterIndex) {
  SaveChoice c;
  c.path = path;
  const std::string ext = ExtensionOf(path);
  if (ext.empty()) {
    c.form = SaveFormForFilterIndex(filterIndex);
    if (!path.empty() && path.back() == '.') c.path.pop_back();
    c.path += DefaultExtension(c.form);
    return c;
  }
  if (ext == ".rtf") c.form = SaveForm::kRichText;
  else if (ext == ".csv") c.form = SaveForm::kCsvComma;
  else c.form = SaveForm::kText;
  return c;
}

}  // namespace app
