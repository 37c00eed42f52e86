// One macro file that runs the table statements one after the other in the
// running program: a TAB text becomes a table, is sorted on its third column
// descending, saved with TABs, counted by its second column, saved again,
// and last written as blank-aligned text. The expected files are what GNU
// sort (LC_ALL=C, -t TAB -k3,3r) and Python's collections.Counter give for
// the same data (worked out once: no Python under Wine).
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "macro/macro_run.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> out;
  std::string line;
  std::istringstream in(bytes);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) out.push_back(line);
  }
  return out;
}

std::vector<std::string> Fields(const std::string& line, char sep) {
  std::vector<std::string> out(1);
  for (char c : line) {
    if (c == sep)
      out.emplace_back();
    else
      out.back().push_back(c);
  }
  return out;
}

class MacroTableChainTest : public shelltest::ShellFileTest {};

TEST_F(MacroTableChainTest, TextToTableSortSaveCountSaveAndSaveText) {
  CDvkView* v = Open("data.txt",
                     "id\tgroup\tvalue\tnote\r\n1\tb\t15\tx\r\n2\ta\t42\ty\r\n3\tb\t07\t\\&z\r\n4\tc\t33\tw\r\n"
                     "5\tb\t28\tv\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  const std::string sorted = File("sorted.tab"), counted = File("counted.tab"), text = File("out.txt");
  const std::string macroPath = File("chain.rmc");
  testsupport::WriteFileBytes(macroPath, "\ttextauto\r\n\tsortd:3\t\r\n\tsavetab\t" + sorted + "\r\n\tcount2\r\n\tsavetab\t" +
                                             counted + "\r\n\tsavetext\t" + text + "\r\n");
  EXPECT_EQ(1, v->RunMacro(macro::kRunFile, macroPath.c_str(), "", ""));

  // GNU sort's order; the field "\&z" is written "&z".
  EXPECT_EQ("id\tgroup\tvalue\tnote\r\n2\ta\t42\ty\r\n4\tc\t33\tw\r\n5\tb\t28\tv\r\n1\tb\t15\tx\r\n3\tb\t07\t&z\r\n",
            testsupport::ReadFileBytes(sorted));

  // One row per group, its count of rows beside it: Counter(a=1, b=3, c=1).
  std::map<std::string, std::string> counts;
  const std::vector<std::string> countLines = Lines(testsupport::ReadFileBytes(counted));
  ASSERT_GE(countLines.size(), 4u);
  EXPECT_EQ("group", Fields(countLines[0], '\t')[0]);
  for (std::size_t k = 1; k < countLines.size(); ++k) {
    const std::vector<std::string> f = Fields(countLines[k], '\t');
    ASSERT_GE(f.size(), 2u) << countLines[k];
    if (f[0] != "Total") counts[f[0]] = f[1];
  }
  EXPECT_EQ((std::map<std::string, std::string>{{"a", "1"}, {"b", "3"}, {"c", "1"}}), counts);

  // Blank-aligned: each column's fields start where its title starts.
  const std::vector<std::string> textLines = Lines(testsupport::ReadFileBytes(text));
  ASSERT_EQ(countLines.size(), textLines.size());
  const std::vector<std::string> titles = Fields(countLines[0], '\t');
  std::vector<std::size_t> starts;
  for (const std::string& t : titles) starts.push_back(textLines[0].find(t));
  for (std::size_t k = 1; k < textLines.size(); ++k) {
    const std::vector<std::string> f = Fields(countLines[k], '\t');
    EXPECT_EQ(std::string::npos, textLines[k].find('\t')) << textLines[k];
    for (std::size_t c = 0; c < f.size() && c < starts.size(); ++c)
      if (!f[c].empty()) EXPECT_EQ(f[c], textLines[k].substr(starts[c], f[c].size())) << textLines[k];
  }
}

}  // namespace
