// The list loader and the combo chain of the selection-condition dialogs.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "csv/csv_selectcond.h"

namespace {

using Items = std::vector<std::string>;

TEST(CsvSelectCond, LoadList) {
  EXPECT_EQ((Items{"a", "b"}), csv::LoadCondList("!a|b!c|d", 1));
  EXPECT_EQ((Items{"c", "d"}), csv::LoadCondList("!a|b!c|d", 2));
  EXPECT_EQ(Items{}, csv::LoadCondList("!a|b!c|d", 3));
  EXPECT_EQ((Items{"!a", "b!c", "d"}), csv::LoadCondList("!a|b!c|d", 0));
  EXPECT_EQ((Items{"x", "y", "z"}), csv::LoadCondList("x|y|z", 0));
  EXPECT_EQ((Items{"x", "y", "z"}), csv::LoadCondList("x|y|z", 1));  // no "!": the whole text
  // A section beginning with "|" is one item.
  EXPECT_EQ((Items{"|a|b"}), csv::LoadCondList("!|a|b!c", 1));
  EXPECT_EQ((Items{"|a|b"}), csv::LoadCondList("|a|b", 0));
  EXPECT_EQ(Items{}, csv::LoadCondList("", 0));
  EXPECT_EQ(Items{}, csv::LoadCondList("!!c", 1));
  // 150 items are cut to 100.
  std::string many;
  for (int i = 0; i < 150; ++i) many += (i ? "|" : "") + std::to_string(i);
  const Items cut = csv::LoadCondList(many, 0);
  ASSERT_EQ(100u, cut.size());
  EXPECT_EQ("99", cut.back());
}

TEST(CsvSelectCond, Classify) {
  auto s = csv::ClassifyCondList("!a|b!c|d");
  EXPECT_EQ(csv::kListDependent, s.mode);
  EXPECT_EQ((Items{"a", "b"}), csv::LoadCondList(s.listText, s.index));
  // A "$" text with "!" loads section 2.
  s = csv::ClassifyCondList("$!C:\\a.csv!x.csv|y.csv");
  EXPECT_EQ(csv::kListFile, s.mode);
  EXPECT_EQ((Items{"x.csv", "y.csv"}), csv::LoadCondList(s.listText, s.index));
  s = csv::ClassifyCondList("$C:\\a.csv|C:\\b.csv");
  EXPECT_EQ((Items{"C:\\a.csv", "C:\\b.csv"}), csv::LoadCondList(s.listText, s.index));
  EXPECT_EQ(csv::kListPlain, csv::ClassifyCondList("=|<>|>").mode);
  EXPECT_TRUE(csv::CondOperatorDisablesDates("<>"));
  EXPECT_FALSE(csv::CondOperatorDisablesDates("="));
  EXPECT_FALSE(csv::CondOperatorDisablesDates(""));
}

TEST(CsvSelectCond, TablesCoverEveryControlOnce) {
  for (const csv::CondDialogTable* t : {&csv::SelectCondTable(), &csv::SelectCondExTable()}) {
    std::set<int> inputs;
    for (const auto& p : t->prompts) EXPECT_TRUE(inputs.insert(p.control).second) << p.control;
    std::set<int> fields;
    for (const auto& f : t->fields) EXPECT_TRUE(fields.insert(f.control).second) << f.control;
    // Every prompted input is a field, and the one without a prompt too.
    EXPECT_EQ(inputs.size() + 1, fields.size());
    EXPECT_EQ(0u, inputs.count(t->freeEdit));
    EXPECT_EQ(t->freeEdit, t->fields.back().control);
    EXPECT_EQ(static_cast<std::size_t>(t->comboCount), t->comboIds.size());
  }
  // The macro's places for the dates and checks (5.153: 12-13, 33-36;
  // 20-23, 37-40) follow from these orders.
  const auto& small = csv::SelectCondTable();
  EXPECT_EQ(1110, small.fields[0].control);
  EXPECT_EQ(1114, small.fields[1].control);
  EXPECT_EQ(1117, small.fields[9].control);
  const auto& ex = csv::SelectCondExTable();
  EXPECT_EQ(1130, ex.fields[0].control);
  EXPECT_EQ(1127, ex.fields[22].control);
  EXPECT_EQ(1136, ex.fields[26].control);
  EXPECT_EQ(1129, ex.fields[30].control);
}

TEST(CsvSelectCond, DependentComboKeepsItsList) {
  csv::CondCombos combos(csv::SelectCondExTable());
  const auto lists = combos.Open({"x|y", "!a|b!c|d!e"});
  EXPECT_EQ((Items{"x", "y"}), lists[0]);
  EXPECT_EQ((Items{"a", "b"}), lists[1]);
  EXPECT_EQ("a", combos.Text(1));
  Items items;
  EXPECT_EQ(1, combos.Choose(0, 1, "y", &items));
  EXPECT_EQ((Items{"c", "d"}), items);
  // The user picks in the dependent combo: its text is the choice ...
  EXPECT_EQ(-1, combos.Choose(1, 1, "d", &items));
  EXPECT_EQ("d", combos.Text(1));
  // ... and the next change before it still reloads from the "!" list.
  items.clear();
  EXPECT_EQ(1, combos.Choose(0, 0, "x", &items));
  EXPECT_EQ((Items{"a", "b"}), items);
  EXPECT_EQ("a", combos.Text(1));
  // A choice past the last section leaves the dependent combo empty.
  EXPECT_EQ(1, combos.Choose(0, 5, "?", &items));
  EXPECT_TRUE(items.empty());
}

TEST(CsvSelectCond, SmallDialogChain) {
  csv::CondCombos combos(csv::SelectCondTable());
  combos.Open({"p|q", "!a!b", "", "", "!z|w"});
  Items items;
  EXPECT_EQ(1, combos.Choose(0, 1, "q", &items));
  EXPECT_EQ(Items{"b"}, items);
  // 1110 (slot 4) is in no chain, even with a "!" text.
  EXPECT_EQ(-1, combos.Choose(4, 0, "z", &items));
  // The last of the chain has no next; a plain combo after is not reloaded.
  EXPECT_EQ(-1, combos.Choose(1, 0, "b", &items));
  EXPECT_EQ(-1, combos.Choose(3, 0, "", &items));
  EXPECT_EQ(-1, combos.Choose(7, 0, "", &items));
}

}  // namespace
