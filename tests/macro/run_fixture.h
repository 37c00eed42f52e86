// The pieces of a whole macro run in the portable tests: the state, a window
// side of the test's choosing, a table, the document's fields and the view's
// kind words, bound into one run context; the document's text set as a macro
// document holds it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "core/docdata/doc_fields.h"
#include "csv/csv_table.h"
#include "fake_run_host.h"
#include "fw/alloc.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"

namespace macrotest {

// The document's text replaced by `text` (a NUL after it, not counted).
inline void SetDocumentText(app::DvkDocData& doc, const std::string& text) {
  fw::Free(doc.m_pText);
  doc.m_pText = static_cast<char*>(fw::Alloc(text.size() + 1));
  std::memcpy(doc.m_pText, text.c_str(), text.size() + 1);
  doc.m_nTextLen = static_cast<std::uint32_t>(text.size());
  doc.m_nTextCapacity = static_cast<std::uint32_t>(text.size() + 1);
}

template <class Host = FakeRunHost>
class RunFixture : public ::testing::Test {
 protected:
  explicit RunFixture(std::uint32_t kind = 9) : fileKind(kind) {}

  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  Host host;
  csv::Table table;
  std::unique_ptr<app::DvkDocData> doc = std::make_unique<app::DvkDocData>();
  std::uint32_t fileKind, sourceView = 0, editMode = 0, sortFlags = 0;
  macro::MacroRunContext rc{*st,  host, table, *doc, *doc, *doc, *doc, *doc,
                            {&fileKind, &sourceView, &editMode, &sortFlags}};

  void SetDocumentText(const std::string& text) { macrotest::SetDocumentText(*doc, text); }
  // The document's text run as a macro document from "C:\m\a.rmc".
  int RunDocument(const std::string& text) {
    SetDocumentText(text);
    return macro::RunMacro(rc, macro::kRunDocument, "C:\\m\\a.rmc", "", "C:\\m");
  }
  std::string Var(int slot) const { return st->m_strMacroVars[slot].GetString(); }
};

}  // namespace macrotest
