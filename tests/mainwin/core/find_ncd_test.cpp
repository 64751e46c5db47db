#include "mainwin/core/find_ncd.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ncdata/ncd_data.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"

namespace {

std::unique_ptr<NCD_DATA> load(const std::string& text) {
  auto d = std::make_unique<NCD_DATA>();
  Create_NCD(*d);
  Append_NCD_text(*d, text.data(), text.size(), true);
  for (int i = 0; i < d->line_count; ++i) Parse_NCD_line(*d, i);
  return d;
}

// Lines 0..8.
const char* const kProgram =
    "%\n"
    "O0001(test)\n"
    "G00X0Y0Z100.\n"
    "G01X5.F100\n"
    "G00X10.\n"
    "G01Y5.(工具)\n"
    "g01x7.\n"
    "M30\n"
    "%\n";

struct RecordingHost : FIND_HOST {
  int answer = FIND_DLG_CANCEL;
  std::string type_search, type_not;  // typed into the dialog
  std::vector<int> found;
  std::vector<std::string> captions;
  std::vector<std::string> lines;
  int open_find_dialog(FIND_SETTINGS& s) override {
    s.search_text = type_search;
    s.not_text = type_not;
    return answer;
  }
  void line_found(int line) override { found.push_back(line); }
  void list_hits(const std::string& caption, std::vector<std::string>&& l) override {
    captions.push_back(caption);
    lines = std::move(l);
  }
};

TEST(FindNcdLine, SearchTable) {
  auto d = load(kProgram);
  ASSERT_EQ(d->line_count, 9);
  struct Case {
    int from;
    bool forward;
    const char* include;
    const char* exclude;
    int expect;
  };
  const Case cases[] = {
      {0, true, "G01", "", 3},
      {3, true, "G01", "", 5},
      {5, false, "G01", "", 3},
      {8, true, "%", "", -1},    // on the last line nothing is searched
      {0, false, "%", "", -1},   // on the first line likewise
      {1, false, "%", "", 0},    // backward from line 1 tests line 0
      {0, true, "G01", "F", 5},  // the exclude pattern wins
      {0, true, "", "G", 1},     // an exclude pattern alone
      {3, true, "G0?X", "", 4},  // G00X and G01X alike
      {0, true, "G01*F", "", 3},
      {0, true, "工具", "", 5},
      {0, true, "G01X7.", "", 6},  // the store holds upper-case text
      {0, true, "Z1?*.", "", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " " << c.include << " / " << c.exclude);
    FIND_SETTINGS s;
    s.search_text = c.include;
    s.not_text = c.exclude;
    EXPECT_EQ(find_NCD_line(*d, c.from, c.forward, s), c.expect);
  }
}

TEST(FindInNcd, DialogAnswersAndStoredPatterns) {
  auto d = load(kProgram);
  plat::ScriptedMessageBoxes boxes;
  RecordingHost host;
  FIND_SETTINGS s;
  // Lower-case patterns are stored upper case and find upper-case text.
  host.answer = FIND_DLG_OK;
  host.type_search = "g01y";
  EXPECT_EQ(find_in_NCD(*d, s, FIND_DIALOG, host), 5);
  EXPECT_EQ(s.search_text, "G01Y");
  EXPECT_EQ(d->pos.cur_line, 5);
  EXPECT_EQ(host.found, std::vector<int>{5});
  // Backward from there.
  host.answer = FIND_DLG_IGNORE;
  host.type_search = "g0?x";
  EXPECT_EQ(find_in_NCD(*d, s, FIND_DIALOG, host), 4);
  EXPECT_EQ(d->pos.cur_line, 4);
  // F3 again goes on forward with the stored text.
  EXPECT_EQ(find_in_NCD(*d, s, FIND_FORWARD, host), 6);
  // Cancel searches nothing but keeps what was typed.
  host.answer = FIND_DLG_CANCEL;
  host.type_search = "m30";
  EXPECT_EQ(find_in_NCD(*d, s, FIND_DIALOG, host), -1);
  EXPECT_EQ(s.search_text, "M30");
  EXPECT_EQ(d->pos.cur_line, 6);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(FindInNcd, MissesEmptyPatternsAndBadModes) {
  auto d = load(kProgram);
  plat::ScriptedMessageBoxes boxes;
  RecordingHost host;
  FIND_SETTINGS s;
  // Both patterns empty: nothing is searched, nothing is said.
  EXPECT_EQ(find_in_NCD(*d, s, FIND_FORWARD, host), -1);
  EXPECT_TRUE(boxes.shown.empty());
  s.search_text = "G99";
  EXPECT_EQ(find_in_NCD(*d, s, FIND_FORWARD, host), -1);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "指定した文字列は見つかりませんでした");
  EXPECT_EQ(find_in_NCD(*d, s, 7, host), -1);
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1].text, "find_in_NCD で無効な mode(= 7 ) 指定がありました");
  EXPECT_TRUE(host.found.empty());
  // An empty program.
  NCD_DATA empty;
  Create_NCD(empty);
  EXPECT_EQ(find_in_NCD(empty, s, FIND_LIST_ALL, host), -1);
  EXPECT_TRUE(host.captions.empty());
}

TEST(FindInNcd, ListAll) {
  auto d = load(kProgram);
  RecordingHost host;
  FIND_SETTINGS s;
  s.search_text = "G01";
  EXPECT_EQ(find_in_NCD(*d, s, FIND_LIST_ALL, host), -1);
  EXPECT_EQ(host.captions, std::vector<std::string>{"検索結果"});
  EXPECT_EQ(host.lines, (std::vector<std::string>{"      4 : G01X5.F100", "      6 : G01Y5.(工具)",
                                                   "      7 : G01X7."}));
  s.search_text = "G02";
  find_in_NCD(*d, s, FIND_LIST_ALL, host);
  EXPECT_EQ(host.captions.back(), "該当する文字列はありませんでした");
  EXPECT_TRUE(host.lines.empty());
}

TEST(FindInNcd, EscapeStopsALongSearch) {
  std::string text;
  for (int i = 0; i < 70000; ++i) text += "G01X1.\n";
  text += "M30\n";
  auto d = load(text);
  plat::ScriptedMessageBoxes boxes;
  RecordingHost host;
  FIND_SETTINGS s;
  s.search_text = "G01";
  {
    plat::ScriptedInput input;
    input.escape_after(1);
    find_in_NCD(*d, s, FIND_LIST_ALL, host);
    EXPECT_EQ(host.captions.back(), "中断しました");
    EXPECT_EQ(host.lines.size(), 65535u);  // the hits before the 65,536th line
    EXPECT_EQ(input.reads[0], 1);
  }
  {
    plat::ScriptedInput input;
    input.escape_after(1);
    s.search_text = "M30";
    EXPECT_EQ(find_in_NCD(*d, s, FIND_FORWARD, host), -1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "中断しました");
  }
  s.search_text = "M30";
  EXPECT_EQ(find_in_NCD(*d, s, FIND_FORWARD, host), 70000);
}

}  // namespace
