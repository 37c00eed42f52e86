// Stand-in for the UI test hooks while the hooks module is not in this tree:
// just enough (message boxes and dialogs) for the window tests. Linked only
// when the tabrye_fwui library does not exist.
#include <windows.h>

#include <deque>
#include <map>
#include <string>
#include <utility>

#include "fw/uihooks.h"

namespace fw {
namespace hooks {
namespace {
bool g_test = false;
std::deque<std::pair<std::string, int>> g_boxes;
std::vector<std::string> g_texts, g_unexpected;
std::map<int, std::deque<DialogAnswer>> g_dialogs;
}  // namespace

void SetTestMode(bool on) { g_test = on; }
bool TestMode() { return g_test; }
void Reset() {
  g_boxes.clear();
  g_texts.clear();
  g_unexpected.clear();
  g_dialogs.clear();
}
std::vector<std::string> Unexpected() { return g_unexpected; }
void ExpectMessageBox(const std::string& part, int answer) { g_boxes.emplace_back(part, answer); }
bool AnswerMessageBox(const char* text, const char*, unsigned type, int* answer) {
  std::string t = text ? text : "";
  if (!g_boxes.empty() && t.find(g_boxes.front().first) != std::string::npos) {
    g_texts.push_back(t);
    *answer = g_boxes.front().second;
    g_boxes.pop_front();
    return true;
  }
  if (!g_test) return false;
  g_texts.push_back(t);
  if ((type & 0xF) == MB_OK) {
    *answer = IDOK;
  } else {
    g_unexpected.push_back(t);
    *answer = IDCANCEL;
  }
  return true;
}
std::vector<std::string> MessageBoxTexts() { return g_texts; }
void ExpectDialog(int id, DialogAnswer answer) { g_dialogs[id].push_back(std::move(answer)); }
bool TakeDialogAnswer(int id, DialogAnswer* answer) {
  auto it = g_dialogs.find(id);
  if (it != g_dialogs.end() && !it->second.empty()) {
    *answer = std::move(it->second.front());
    it->second.pop_front();
    return true;
  }
  if (!g_test) return false;
  g_unexpected.push_back("dialog " + std::to_string(id));
  *answer = [](CDialog&) { return IDCANCEL; };
  return true;
}

}  // namespace hooks
}  // namespace fw
