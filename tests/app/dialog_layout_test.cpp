// Every dialog template of the program, made through the framework's dialog
// machinery (test mode: hidden, answered by a callback): each caption fits its
// control in the dialog's own font, and no control crosses a group box's
// border or the dialog's edge.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "fw/codepage.h"
#include "fw/dialog.h"
#include "fw/uihooks.h"
#include "support/ui_test.h"

namespace {

class DialogLayout : public testsupport::UiTest {};

BOOL CALLBACK NoteDialog(HMODULE, LPCSTR, LPSTR name, LONG_PTR found) {
  if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<UINT>*>(found)->push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
  return TRUE;
}

// The dialog templates of this module: the program's resources (and the
// test resources, which follow the same rules).
std::vector<UINT> DialogIds() {
  std::vector<UINT> ids;
  EnumResourceNamesA(GetModuleHandleA(nullptr), reinterpret_cast<LPCSTR>(RT_DIALOG), NoteDialog,
                     reinterpret_cast<LONG_PTR>(&ids));
  return ids;
}

std::string ClassOf(HWND h) {
  char buf[64] = {};
  GetClassNameA(h, buf, sizeof buf);
  return buf;
}

std::string TextOf(HWND h) {
  char buf[1024] = {};
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

// The text as drawn: "&&" is "&", a single "&" marks the access key.
std::string Shown(const std::string& text, bool prefix) {
  if (!prefix) return text;
  std::string s;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    else if (text[i] == '&') continue;
    s += text[i];
  }
  return s;
}

std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> out(1);
  for (char c : s) {
    if (c == '\n') out.emplace_back();
    else if (c != '\r') out.back() += c;
  }
  return out;
}

struct Control {
  HWND hwnd;
  std::string name;  // class and text, for messages
  RECT rect;         // in the dialog's client coordinates
  bool groupBox;
};

RECT RectIn(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Checks one created dialog; returns the number of captions measured.
int CheckDialog(HWND dlg, UINT id) {
  SCOPED_TRACE("dialog " + std::to_string(id));
  RECT client;
  GetClientRect(dlg, &client);
  HDC dc = GetDC(dlg);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  // The check box or radio glyph and the gap before its text, as the
  // button control draws them.
  const int glyph = 12 * dpi / 96 + 1 + 4;
  std::vector<Control> controls;
  int measured = 0;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongA(c, GWL_STYLE);
    if (!(style & WS_VISIBLE)) continue;
    const std::string cls = ClassOf(c), text = TextOf(c);
    const std::string name = cls + " \"" + fw::Cp932ToUtf8(text) + "\"";
    const LONG type = style & BS_TYPEMASK;
    const bool button = lstrcmpiA(cls.c_str(), "Button") == 0;
    const bool group = button && type == BS_GROUPBOX;
    controls.push_back({c, name, RectIn(dlg, c), group});
    // Every control lies inside the dialog.
    const RECT& r = controls.back().rect;
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
        << name << " reaches past the dialog's edge";
    if (text.empty()) continue;
    const bool statictext = lstrcmpiA(cls.c_str(), "Static") == 0 &&
                            ((style & SS_TYPEMASK) <= SS_RIGHT || (style & SS_TYPEMASK) == SS_SIMPLE ||
                             (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP);
    if (!statictext && !button) continue;
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    RECT cr;
    GetClientRect(c, &cr);
    int room = cr.right, height = cr.bottom;
    int lineHeight = tm.tmHeight;
    if (button) {
      if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
          type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
        room -= glyph;
      } else if (type == BS_GROUPBOX) {
        room -= 2 * 8;  // the border's corners on either side of the caption
      } else {
        room -= 2 * 4;  // a push button's edges and their inner margin
        height -= 2 * 2;
      }
    }
    const bool prefix = !(statictext && (style & SS_NOPREFIX));
    const std::vector<std::string> lines = Lines(Shown(text, prefix));
    for (const std::string& line : lines) {
      SIZE ext = {};
      GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &ext);
      EXPECT_LE(ext.cx, room) << name << ": the caption is " << ext.cx << " px wide, the control has room for " << room;
    }
    if (type != BS_GROUPBOX || !button) {
      const int needed = lineHeight * static_cast<int>(lines.size());
      EXPECT_LE(needed, height) << name << ": " << lines.size() << " line(s) need " << needed << " px, the control is " << height;
    }
    SelectObject(dc, old);
    ++measured;
  }
  // A control that touches a group box lies inside it, below its caption.
  for (const Control& g : controls) {
    if (!g.groupBox) continue;
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(g.hwnd, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    RECT inner = g.rect;
    inner.left += 2;
    inner.right -= 2;
    inner.top += tm.tmHeight;
    inner.bottom -= 2;
    for (const Control& c : controls) {
      if (&c == &g) continue;
      RECT meet;
      if (!IntersectRect(&meet, &c.rect, &g.rect)) continue;
      EXPECT_TRUE(c.rect.left >= inner.left && c.rect.right <= inner.right && c.rect.top >= inner.top &&
                  c.rect.bottom <= inner.bottom)
          << c.name << " crosses the border of " << g.name;
    }
  }
  ReleaseDC(dlg, dc);
  return measured;
}

TEST_F(DialogLayout, EveryCaptionFitsItsControlAndNoControlCrossesAGroupBox) {
  const std::vector<UINT> ids = DialogIds();
  ASSERT_GE(ids.size(), 4u);  // input, schedule message, settings, find (and the tests' own)
  int measured = 0;
  for (UINT id : ids) {
    CDialog dlg(id);
    bool answered = false;
    fw::hooks::ExpectDialog(static_cast<int>(id), [&](CDialog& d) {
      answered = true;
      measured += CheckDialog(d.m_hWnd, id);
      return IDCANCEL;
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal()) << "dialog " << id;
    EXPECT_TRUE(answered) << "dialog " << id;
  }
  EXPECT_GE(measured, 30);
}

}  // namespace
