// The word-spacing commands of a shown PDF against the running frame: grey
// without a PDF, each press one step along the scale with its status text,
// the settings stored, and the file shown again.
#include <gtest/gtest.h>

#include <string>

#include "convert/convert_registry.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"

using shelltest::ShellFileTest;

namespace {

// Whether the menu item of `id` is enabled after every popup was updated
// as when the user opens it.
bool MenuEnabled(CWnd* frame, HMENU menu, UINT id) {
  frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), 0);
  }
  const UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

std::string Pane0() { return g_pStatusBar ? g_pStatusBar->GetPaneText(0).Str() : std::string(); }

const char kPdf[] =
    "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
    "2 0 obj << /Type /Pages /Kids [] /Count 0 >> endobj\n"
    "trailer << /Root 1 0 R >>\n%%EOF\n";

TEST_F(ShellFileTest, PdfWordGapCommandsWalkTheScale) {
  ASSERT_TRUE(StartIn(""));
  frame->ActivateTextPane(0, 0);
  // No PDF shown: both are grey.
  EXPECT_FALSE(MenuEnabled(frame, frame->GetMenuHandle(), ID_VIEW_PDF_NARROW));
  EXPECT_FALSE(MenuEnabled(frame, frame->GetMenuHandle(), ID_VIEW_PDF_WIDEN));

  const std::string path = File("page.pdf");
  testsupport::WriteFileBytes(path, kPdf);
  doc->m_strCurFile = path.c_str();
  doc->m_nFileKind = 11;
  doc->m_nPdfWidthAdjust = 5;
  doc->m_nPdfTdAdjust = 85;
  EXPECT_TRUE(MenuEnabled(frame, frame->GetMenuHandle(), ID_VIEW_PDF_NARROW));
  EXPECT_TRUE(MenuEnabled(frame, frame->GetMenuHandle(), ID_VIEW_PDF_WIDEN));

  struct Press {
    UINT id;
    int width, td;
    const char* status;
  } presses[] = {
      {ID_VIEW_PDF_WIDEN, 5, 90, "TD adjust 5"},   {ID_VIEW_PDF_WIDEN, 5, 95, "TD adjust 10"},
      {ID_VIEW_PDF_NARROW, 5, 90, "TD adjust 5"},  {ID_VIEW_PDF_NARROW, 5, 85, "TD adjust 0"},
      {ID_VIEW_PDF_NARROW, 5, 80, "TD adjust -5"},
  };
  // Each press shows the file again. While this build has no PDF reader the
  // showing is the notice that the form cannot be shown yet: one per press.
  convert::Request probe;
  probe.path = path.c_str();
  probe.kind = 11;
  probe.limits = {doc->m_nIndata, doc->m_nOutdata, doc->m_nTblMax};
  const bool notice = convert::ConvertFile(probe).status == convert::Status::kNotBuilt;
  auto press = [&](UINT id) {
    doc->m_nFileKind = 11;
    if (notice) fw::hooks::ExpectMessageBox("file = ", IDOK);
    frame->SendMessage(WM_COMMAND, id);
    if (notice) EXPECT_TRUE(fw::hooks::Unused().empty());
  };
  for (const Press& p : presses) {
    press(p.id);
    EXPECT_EQ(p.width, doc->m_nPdfWidthAdjust) << p.status;
    EXPECT_EQ(p.td, doc->m_nPdfTdAdjust) << p.status;
    EXPECT_EQ(p.status, Pane0());
  }
  // From the widest TD a widening lowers the width adjust.
  doc->m_nPdfTdAdjust = 115;
  press(ID_VIEW_PDF_WIDEN);
  EXPECT_EQ(4, doc->m_nPdfWidthAdjust);
  EXPECT_EQ("width adjust 1", Pane0());
  // The settings file holds the new values.
  const std::string inf = testsupport::ReadFileBytes(File("Dorvik.inf"));
  EXPECT_NE(std::string::npos, inf.find("pdfwadj")) << inf.substr(0, 200);
  EXPECT_EQ(doc->m_strCurFile.Str(), path);
}

}  // namespace
