// The forms Save As offers and how a chosen name picks one: the dialog's
// choices are text (in the document's encoding), CSV in comma form and rich
// text. A name with an extension says its form itself; a bare name takes
// the chosen entry's form and extension.
#pragma once

#include <string>

namespace app {

enum class SaveForm { kText, kCsvComma, kRichText };

// The dialog's entries are numbered from 1 in this order.
SaveForm SaveFormForFilterIndex(int filterIndex);
int FilterIndexForSaveForm(SaveForm form);
// The entry the dialog starts on for a document of file kind `kind`.
int FilterIndexForKind(int kind);
const char* DefaultExtension(SaveForm form);  // ".txt", ".csv", ".rtf"

struct SaveChoice {
  std::string path;  // the name to write, with the extension added if it had none
  SaveForm form = SaveForm::kText;
};
// What to write for the dialog's answer `path` with entry `filterIndex`.
SaveChoice ResolveSaveChoice(const std::string& path, int filterIndex);

}  // namespace app
