#include "csv/csv_selectcond.h"


namespace csv {

std::vector<std::string> LoadCondList(const std::string& listText, int index) {
  std::string section = listText;
  if (index >= 1 && listText.find('!') != std::string::npos) {
    // Sections begin after the first character, one per "!".
    std::size_t begin = listText.empty() ? 0 : 1;
    for (int k = 1; k < index; ++k) {
      const std::size_t bang = listText.find('!', begin);
      if (bang == std::string::npos) return {};
      begin = bang + 1;
    }
    const std::size_t bang = listText.find('!', begin);
    section = listText.substr(begin, bang == std::string::npos ? std::string::npos : bang - begin);
  }
  std::vector<std::string> items;
  if (section.empty()) return items;
  if (section[0] == '|') {
    items.push_back(section);
    return items;
  }
  std::size_t at = 0;
  while (static_cast<int>(items.size()) < kCondListMax) {
    const std::size_t bar = section.find('|', at);
    items.push_back(section.substr(at, bar == std::string::npos ? std::string::npos : bar - at));
    if (bar == std::string::npos) break;
    at = bar + 1;
  }
  return items;
}

CondListStart ClassifyCondList(const std::string& text) {
  CondListStart s;
  s.listText = text;
  if (!text.empty() && text[0] == '!') {
    s.mode = kListDependent;
    s.index = 1;
  } else if (!text.empty() && text[0] == '$') {
    s.mode = kListFile;
    s.listText = text.substr(1);
    s.index = 2;
  }
  return s;
}

bool CondOperatorDisablesDates(const std::string& text) { return !text.empty() && text.back() == '>'; }

namespace {

CondDialogTable MakeSmall() {
  CondDialogTable t;
  t.dialogId = 187;
  t.comboIds = {1109, 1111, 1112, 1113, 1110};
  t.comboCount = 5;
  t.chain = {0, 1, 2, 3};
  t.dateIds = {1114, 1115};
  t.editIds = {1036, 1089, 1121};
  t.checkIds = {1117, 1118, 1119, 1120};
  t.prompts = {{1051, 1110}, {1037, 1114}, {1042, 1115}, {1043, 1109}, {1044, 1111}, {1045, 1112}, {1046, 1113},
               {1052, 1036}, {1053, 1089}, {1047, 1117}, {1049, 1118}, {1048, 1119}, {1050, 1120}};
  t.operators = {{4, 0, 1}};
  t.fields = {{CondField::Combo, 1110, 4}, {CondField::Date, 1114, 0}, {CondField::Date, 1115, 1},
              {CondField::Combo, 1109, 0}, {CondField::Combo, 1111, 1}, {CondField::Combo, 1112, 2},
              {CondField::Combo, 1113, 3}, {CondField::Edit, 1036, 0}, {CondField::Edit, 1089, 1},
              {CondField::Check, 1117, 0}, {CondField::Check, 1118, 1}, {CondField::Check, 1119, 2},
              {CondField::Check, 1120, 3}, {CondField::Edit, 1121, 2}};
  t.freeEdit = 1121;
  return t;
}

CondDialogTable MakeExtended() {
  CondDialogTable t;
  t.dialogId = 188;
  t.comboIds = {1122, 1123, 1124, 1125, 1126, 1133, 1141, 1142, 1143, 1144};
  t.comboCount = 10;
  t.chain = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  t.dateIds = {1127, 1128, 1134, 1135};
  t.editIds = {1129, 1130, 1131, 1091, 1092, 1093, 1094, 1095, 1096, 1097, 1098, 1099, 1100};
  t.checkIds = {1136, 1137, 1138, 1139};
  t.prompts = {{1132, 1130}, {1048, 1131}, {1049, 1091}, {1050, 1092}, {1051, 1093}, {1052, 1094},
               {1053, 1095}, {1054, 1096}, {1055, 1097}, {1056, 1098}, {1057, 1099}, {1058, 1100},
               {1060, 1122}, {1061, 1123}, {1062, 1124}, {1063, 1125}, {1059, 1126}, {1064, 1133},
               {1065, 1141}, {1066, 1142}, {1067, 1143}, {1068, 1144}, {1140, 1127}, {1070, 1128},
               {1069, 1134}, {1071, 1135}, {1072, 1136}, {1073, 1137}, {1074, 1138}, {1075, 1139}};
  t.operators = {{8, 0, 1}, {9, 2, 3}};
  for (int e = 1; e <= 12; ++e) t.fields.push_back({CondField::Edit, t.editIds[static_cast<std::size_t>(e)], e});
  for (int c = 0; c < 10; ++c) t.fields.push_back({CondField::Combo, t.comboIds[static_cast<std::size_t>(c)], c});
  for (int d = 0; d < 4; ++d) t.fields.push_back({CondField::Date, t.dateIds[static_cast<std::size_t>(d)], d});
  for (int k = 0; k < 4; ++k) t.fields.push_back({CondField::Check, t.checkIds[static_cast<std::size_t>(k)], k});
  t.fields.push_back({CondField::Edit, 1129, 0});
  t.freeEdit = 1129;
  return t;
}

}  // namespace

const CondDialogTable& SelectCondTable() {
  static const CondDialogTable t = MakeSmall();
  return t;
}

const CondDialogTable& SelectCondExTable() {
  static const CondDialogTable t = MakeExtended();
  return t;
}

std::vector<std::vector<std::string>> CondCombos::Open(const std::vector<std::string>& texts) {
  std::vector<std::vector<std::string>> lists(static_cast<std::size_t>(table_.comboCount));
  for (int slot = 0; slot < table_.comboCount; ++slot) {
    const std::size_t s = static_cast<std::size_t>(slot);
    const std::string text = s < texts.size() ? texts[s] : std::string();
    mode_[s] = kListPlain;
    sel_[s] = 0;
    listTexts_[s].clear();
    text_[s] = text;
    if (text.empty()) continue;
    const CondListStart start = ClassifyCondList(text);
    mode_[s] = start.mode;
    listTexts_[s] = start.listText;
    lists[s] = LoadCondList(start.listText, start.index);
    // The combo shows its first item.
    text_[s] = lists[s].empty() ? std::string() : lists[s][0];
  }
  return lists;
}

int CondCombos::Choose(int slot, int index, const std::string& chosen, std::vector<std::string>* items) {
  if (!Valid(slot)) return -1;
  const std::size_t s = static_cast<std::size_t>(slot);
  sel_[s] = index;
  text_[s] = chosen;
  // The next combo of the chain, when this one is in it.
  int next = -1;
  for (std::size_t k = 0; k + 1 < table_.chain.size(); ++k) {
    if (table_.chain[k] == slot) next = table_.chain[k + 1];
  }
  if (next < 0) return -1;
  const std::size_t n = static_cast<std::size_t>(next);
  if (mode_[n] != kListDependent || listTexts_[n].empty()) return -1;
  std::vector<std::string> list = LoadCondList(listTexts_[n], index + 1);
  text_[n] = list.empty() ? std::string() : list[0];
  if (items) *items = std::move(list);
  return next;
}

}  // namespace csv
