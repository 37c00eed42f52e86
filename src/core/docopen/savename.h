// The name a document is saved under: the one rule for Save, Save As and the
// save question (which saves through Save).
//
// A document whose text was read from its file as text saves back to that
// file. A document whose text a renderer or converter made from its file
// (an archive listing, media information, any converter's output) is never
// saved over that file: Save asks for a name as Save As does, Save As
// proposes the file's name with ".txt" added in the same folder, and a save
// onto the file itself asks the overwrite question like any other existing
// file. The document records the file its text was made from
// (`renderedFrom`) when an open goes through the renderer path, so a new
// converter gets the rule by being a converter.
#pragma once

#include <string>

namespace docopen {

struct SaveNamePlan {
  // Where Save writes without asking; "" = Save asks for a name (Save As).
  std::string saveName;
  // The name Save As offers; "" = the framework's (the untitled title).
  std::string proposal;
};

// `file`: the document's file ("" for a new document). `renderedFrom`: the
// file a renderer or converter made the text from ("" when the text was read
// as text); it only counts while it is still the document's file.
SaveNamePlan PlanSaveName(const std::string& file, const std::string& renderedFrom);

// Whether a save to `target` asks the overwrite question when a file of that
// name exists: every target but the plan's save name does.
bool AsksBeforeOverwrite(const SaveNamePlan& plan, const std::string& target);

// Two paths name the same file: ASCII letters in either case, '/' and '\'
// alike, Shift-JIS characters compared whole (a trail byte is never folded).
bool SamePath(const std::string& a, const std::string& b);

}  // namespace docopen
