// The NC listing against the real store and run: row texts and layout, the edits that go
// from a row into the store, the dispatcher, and line seeks that reuse the last run.
#include "ncdata/ncd_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "ncd_test_util.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "tests/support/ncd_program_gen.h"

namespace {

using Lines = std::vector<std::string>;

struct FakeRows : NCD_LIST_ROWS {
  struct Row {
    std::string text;
    bool modified = false, selected = false;
    int caret = 0;
  };
  std::array<Row, NCD_LIST_ROW_COUNT> r;
  int focused = -1;
  bool focus_in_list = true;
  bool enabled = true;
  int pos = 0, max = 2;
  int height = 16, prefix_px = 84;
  // With a listing, the rows report as Qt's would: moving the focus is the previous row's
  // Exit, moving the scroll bar its Change.
  NCD_EDIT_LIST* list = nullptr;
  int exits = 0, scrolls = 0;

  std::string row_text(int i) override { return r[i].text; }
  void set_row(int i, const std::string& t) override {
    r[i].text = t;
    r[i].modified = r[i].selected = false;
    r[i].caret = static_cast<int>(t.size());
  }
  bool row_modified(int i) override { return r[i].modified; }
  void clear_row_modified(int i) override { r[i].modified = false; }
  void select_after_prefix(int i, bool on) override { r[i].selected = on; }
  bool row_has_selection(int i) override { return r[i].selected; }
  int row_caret(int i) override { return r[i].caret; }
  void set_row_caret(int i, int c) override { r[i].caret = c; }
  void focus_row(int i) override {
    const int was = focused;
    focused = i;
    if (list && was >= 0 && was != i) {
      ++exits;
      EditList_Exit(*list, was);
    }
  }
  bool rows_have_focus() override { return focus_in_list; }
  void enable_rows(bool on) override { enabled = on; }
  void layout_rows(int, int& h, int& px) override {
    h = height;
    px = prefix_px;
  }
  void set_scroll(int p, int m) override {
    max = m;
    const int was = pos;
    pos = std::clamp(p, 0, m);
    if (list && pos != was) {
      ++scrolls;
      scr_barScroll(*list, pos);
    }
  }
  int scroll_position() override { return pos; }

  // The user types into row i: its text becomes t.
  void type(int i, const std::string& t) {
    r[i].text = t;
    r[i].modified = true;
  }
};

// The main window: drawn steps are plain steps; every call is recorded (the redraws come
// through the record's host).
struct FakeHost : NCD_LIST_HOST {
  std::vector<int> modes;
  bool option = false;
  int status = 0, tool_img = 0, dumps = 0, ncd_status = 0, repaints = 0;
  bool debug_shown = false;
  bool draw_data(NCD_DATA& d, int mode) {
    modes.push_back(mode);
    if (mode == NCD_DRAW_STEP || mode == NCD_DRAW_STEP_ONE) return STEP_NCD_stop_on_err(d, false);
    return false;
  }
  bool sim_option() override { return option; }
  void Set_controler_status() override { ++status; }
  void Draw_controler_TOOL_IMG() override { ++tool_img; }
  void Dump_SIM_status_to_deb() override { ++dumps; }
  void set_NCD_status() override { ++ncd_status; }
  bool debug_window_shown() override { return debug_shown; }
  void repaint() override { ++repaints; }
};

// Counts the whole-program runs: the store, the seeks and the editing steps rebuild the
// tool table after theirs. An empty tool-holder list; the redraws go to `view`.
struct CountingHosts : NCD_HOST {
  int runs = 0;
  FakeHost* view = nullptr;
  int th_find(int, int& size) override {
    size = 0;
    return -1;
  }
  void show_system_err(const std::string&) override {}
  void set_TOOL_defs(NCD_DATA&) override { ++runs; }
  bool draw_data(NCD_DATA& d, int mode) override {
    return view ? view->draw_data(d, mode) : NCD_HOST::draw_data(d, mode);
  }
};

// 20 lines: two programs, two tool changes, M30 and a second program after it.
const char* const kFixture =
    "O1000\r\n"            // 0
    "G90G00X0Y0Z50.\r\n"   // 1
    "T1M06\r\n"            // 2
    "G00X0Y0Z10.\r\n"      // 3
    "G01Z-1.F100\r\n"      // 4
    "G01X10.Y20.\r\n"      // 5
    "X20.\r\n"             // 6
    "Y30.\r\n"             // 7
    "T2M06\r\n"            // 8
    "G00X5.Y5.\r\n"        // 9
    "G01X15.\r\n"          // 10
    "Y15.\r\n"             // 11
    "X5.\r\n"              // 12
    "G00Z50.\r\n"          // 13
    "M30\r\n"              // 14
    "O2000\r\n"            // 15
    "G91G01X1.\r\n"        // 16
    "X2.\r\n"              // 17
    "Y3.\r\n"              // 18
    "M30\r\n";             // 19

Lines fixture_lines() {
  Lines v;
  std::string s = kFixture;
  for (size_t at = 0; at < s.size();) {
    const size_t e = s.find("\r\n", at);
    v.push_back(s.substr(at, e - at));
    at = e + 2;
  }
  return v;
}

struct Listing {
  CountingHosts hosts;
  FakeRows rows;
  FakeHost host;
  std::unique_ptr<NCD_DATA> d;
  std::unique_ptr<NCD_EDIT_LIST> l;

  explicit Listing(const std::string& text = kFixture, int panel_height = 15 * 20) {
    hosts.view = &host;
    d = make_ncd(&hosts);
    if (!text.empty()) load_ncd(*d, text);
    if (d->line_count > 0) Run_all_NCD(*d, 0);
    l = std::make_unique<NCD_EDIT_LIST>(*d, rows, &host);
    l->panel_height = panel_height;
    Setup_NCD_list(*l);
    Goto_NCD_step(*d, 0, false);
    Redraw_NCD_list(*l);
    hosts.runs = 0;
  }
  // Goes to line n as a click would, then forgets what that cost.
  void at_line(int n) {
    if (n >= 0) Goto_NCD_line(*d, n);
    Redraw_NCD_list(*l);
    hosts.runs = 0;
    host = FakeHost{};
  }
  // The row that shows line n, and what the listing filled it with.
  int row_of(int n) const {
    for (int i = 0; i < l->visible; ++i)
      if (!l->shown[i].empty() && get_edit_line_no(*l, l->shown[i], true) == n) return i;
    ADD_FAILURE() << "line " << n << " is not shown";
    return 0;
  }
  std::string row(int n) const { return l->shown[row_of(n)]; }
};

std::string row_text(int n, const std::string& text, bool current = false) {
  char head[32];
  std::snprintf(head, sizeof head, "%c%8d : ", current ? '*' : ' ', n + 1);
  return head + text;
}

// ---- row texts, layout ----------------------------------------------------------------------

TEST(NcdList, RowTextsAndLineNumbers) {
  Listing t;
  t.at_line(5);
  EXPECT_EQ(t.row(5), "*       6 : G01X10.Y20.");
  EXPECT_EQ(t.row(4), "        5 : G01Z-1.F100");
  EXPECT_EQ(t.rows.focused, t.row_of(5));
  EXPECT_EQ(make_NCD_row_text(*t.l, 20), "");
  EXPECT_EQ(make_NCD_row_text(*t.l, -1), "");
  struct Case {
    std::string text;
    bool allow_end;
    int line;
  } cases[] = {
      {"        6 : X", false, 5},   {"*      20 : M30", false, 19}, {"       21 : ", false, -1},
      {"       21 : ", true, 20},    {"        0 : ", true, -1},     {"", true, -1},
      {"   abc : G", false, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(get_edit_line_no(*t.l, c.text, c.allow_end), c.line) << c.text;

  // An empty store shows one numbered row that takes typing.
  Listing empty("");
  EXPECT_EQ(empty.rows.r[0].text, "        1 : ");
  EXPECT_EQ(empty.rows.r[1].text, "");
}

TEST(NcdList, VisibleRowsAndKeepingTheCurrentLine) {
  // Rows of 16 pixels overlap by one: a panel of 80 rows shows 50, one of 3 rows shows 5.
  for (auto [rows_high, visible] : {std::pair{80, 50}, std::pair{3, 5}, std::pair{20, 20}}) {
    Listing t(kFixture, rows_high * 15);
    EXPECT_EQ(t.l->visible, visible) << rows_high;
  }
  // Five rows, top 10 (lines 8 .. 12 shown): the current line is kept in view.
  struct Case {
    int current, top, scroll, first_shown;
  } cases[] = {
      {10, 10, 10, 8},   // inside: the top stays
      {8, 10, 9, 7},     // at the first row: it moves to the second
      {3, 10, 4, 2},     // above: the same
      {12, 10, 12, 10},  // below the fourth-last row: it becomes the third row
      {0, 10, 0, 0},     // line 0: the top
  };
  for (const Case& c : cases) {
    Listing t(kFixture, 5 * 15);
    Goto_NCD_line(*t.d, c.current);
    Show_NCD_list(*t.l, 10, false);
    Show_NCD_list(*t.l, 10, true);
    EXPECT_EQ(t.rows.pos, c.scroll) << c.current;
    EXPECT_EQ(get_edit_line_no(*t.l, t.rows.r[0].text, false), c.first_shown) << c.current;
  }
}

// ---- edits ----------------------------------------------------------------------------------

struct EditCase {
  const char* name;
  int line;                                  // the current line before the edit
  std::function<void(Listing&)> act;
  std::function<void(Lines&)> change;        // the stored lines after the edit
  int cur_line;                              // the current line after it
  int block;                                 // its block counter
  int runs;                                  // whole-program runs it took
};

TEST(NcdList, EditsGoIntoTheStoreWithOneRun) {
  const std::string long_line(250, 'X');
  const EditCase cases[] = {
      {"commit a changed row", 6,
       [](Listing& t) {
         t.rows.type(t.row_of(6), row_text(6, "X25.", true));
         Commit_NCD_list(*t.l);
       },
       [](Lines& v) { v[6] = "X25."; }, 6, 7, 1},
      {"commit of an unchanged row", 6,
       [](Listing& t) {
         t.rows.type(t.row_of(6), row_text(6, "X20.", true));
         Commit_NCD_list(*t.l);
       },
       [](Lines&) {}, 6, 7, 0},
      {"commit with a changed digit of the prefix", 6,
       [](Listing& t) {
         t.rows.type(t.row_of(6), row_text(7, "X25.", true));
         Commit_NCD_list(*t.l);
       },
       [](Lines&) {}, 6, 7, 0},
      {"commit with a blank of the prefix deleted", 6,
       [](Listing& t) {
         t.rows.type(t.row_of(6), "*      7 : X25.");
         Commit_NCD_list(*t.l);
       },
       [](Lines&) {}, 6, 7, 0},
      {"commit turns control characters into blanks", 6,
       [](Listing& t) {
         t.rows.type(t.row_of(6), row_text(6, "X2\t5.\n", true));
         Commit_NCD_list(*t.l);
       },
       [](Lines& v) { v[6] = "X2 5. "; }, 6, 7, 1},
      {"Enter between G01X10. and Y20.", 6,
       [](Listing& t) { EditList_KeyPress(*t.l, t.row_of(5), NCD_KEY_ENTER, 12 + 7); },
       [](Lines& v) {
         v[5] = "G01X10.";
         v.insert(v.begin() + 6, "Y20.");
       },
       6, 7, 1},
      {"Enter at the end", 6,
       [](Listing& t) { EditList_KeyPress(*t.l, t.row_of(5), NCD_KEY_ENTER, 12 + 11); },
       [](Lines& v) { v.insert(v.begin() + 6, ""); }, 6, 7, 1},
      {"Enter at the start", 6,
       [](Listing& t) { EditList_KeyPress(*t.l, t.row_of(5), NCD_KEY_ENTER, 12); },
       [](Lines& v) { v.insert(v.begin() + 5, ""); }, 6, 7, 1},
      // Line 19 is a program end after the first one: a seek to it or past it runs from 0
      // to find that the run does not reach it, then from the line after the end before it.
      {"Enter on the last line", 19,
       [](Listing& t) { EditList_KeyPress(*t.l, t.row_of(19), NCD_KEY_ENTER, 12 + 1); },
       [](Lines& v) {
         v[19] = "M";
         v.push_back("30");
       },
       20, 6, 3},
      {"Delete at the end", 6,
       [](Listing& t) { EditList_KeyDown(*t.l, t.row_of(5), NCD_KEY_DELETE, 12 + 11); },
       [](Lines& v) {
         v[5] = "G01X10.Y20.X20.";
         v.erase(v.begin() + 6);
       },
       6, 7, 1},
      {"Delete inside the text is the row's own", 6,
       [](Listing& t) { EXPECT_FALSE(EditList_KeyDown(*t.l, t.row_of(5), NCD_KEY_DELETE, 14)); },
       [](Lines&) {}, 6, 7, 0},
      {"Delete at the end of the last line", 19,
       [](Listing& t) { EditList_KeyDown(*t.l, t.row_of(19), NCD_KEY_DELETE, 12 + 3); },
       [](Lines&) {}, 19, 0, 0},
      {"Backspace at the start", 6,
       [](Listing& t) { EditList_KeyPress(*t.l, t.row_of(6), NCD_KEY_BACK, 12); },
       [](Lines& v) {
         v[5] = "G01X10.Y20.X20.";
         v.erase(v.begin() + 6);
       },
       5, 6, 1},
      {"Backspace at the start of line 0", 0,
       [](Listing& t) { EXPECT_TRUE(EditList_KeyPress(*t.l, t.row_of(0), NCD_KEY_BACK, 12)); },
       [](Lines&) {}, 0, 0, 0},
      {"Backspace inside the text is the row's own", 6,
       [](Listing& t) { EXPECT_FALSE(EditList_KeyPress(*t.l, t.row_of(6), NCD_KEY_BACK, 13)); },
       [](Lines&) {}, 6, 7, 0},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.name);
    Listing t;
    t.at_line(c.line);
    Lines want = fixture_lines();
    c.act(t);
    c.change(want);
    EXPECT_EQ(ncd_lines(*t.d), want);
    EXPECT_EQ(t.d->pos.cur_line, c.cur_line);
    EXPECT_EQ(t.d->pos.block_count, c.block);
    EXPECT_EQ(t.hosts.runs, c.runs);
    // The listing shows the stored lines with the star on the current one.
    EXPECT_EQ(t.row(c.cur_line).substr(0, 1), "*");
    if (c.cur_line < t.d->line_count)
      EXPECT_EQ(t.row(c.cur_line).substr(12), want[static_cast<size_t>(c.cur_line)]);
  }
}

TEST(NcdList, EventsOfTheRowsDuringAnEditAreIgnored) {
  Listing t(kFixture, 10 * 15);
  t.at_line(5);
  t.rows.list = t.l.get();
  // Each edit moves the focus to another row and the scroll bar along, while the edited row
  // may still look modified: neither may commit or redraw again.
  t.rows.type(t.row_of(5), row_text(5, "G01X11.Y21.", true));
  Commit_NCD_list(*t.l);
  EditList_KeyPress(*t.l, t.row_of(6), NCD_KEY_ENTER, 12 + 3);
  EXPECT_GT(t.rows.exits, 0);
  EXPECT_GT(t.rows.scrolls, 0);
  Lines want = fixture_lines();
  want[5] = "G01X11.Y21.";
  want[6] = "X20";
  want.insert(want.begin() + 7, ".");
  EXPECT_EQ(ncd_lines(*t.d), want);
  EXPECT_EQ(t.hosts.runs, 2);
  EXPECT_EQ(t.d->pos.cur_line, 7);
  EXPECT_EQ(t.rows.focused, t.row_of(7));
}

TEST(NcdList, JoinsThatTheStoreWouldCutAreRefused) {
  const std::string l250(250, 'X');
  const std::string l249(249, 'X');
  for (const char* key : {"Delete", "Backspace"}) {
    SCOPED_TRACE(key);
    Listing t(std::string("G01X1.\r\n") + l249 + "\r\nY22\r\nM30\r\n");
    t.at_line(1);
    const bool del = std::strcmp(key, "Delete") == 0;
    const int row = t.row_of(del ? 1 : 2);
    if (del) EditList_KeyDown(*t.l, row, NCD_KEY_DELETE, 12 + 249);
    else EditList_KeyPress(*t.l, row, NCD_KEY_BACK, 12);
    EXPECT_EQ(ncd_lines(*t.d), (Lines{"G01X1.", l249, "Y22", "M30"}));
    EXPECT_EQ(t.hosts.runs, 0);
  }
  // A 250-byte line edited by one character is stored whole.
  Listing t(std::string("G01X1.\r\n") + l250 + "\r\nM30\r\n");
  t.at_line(1);
  std::string edited = l250;
  edited[100] = 'Y';
  t.rows.type(t.row_of(1), row_text(1, edited, true));
  Commit_NCD_list(*t.l);
  EXPECT_EQ(ncd_lines(*t.d), (Lines{"G01X1.", edited, "M30"}));
  EXPECT_EQ(t.hosts.runs, 1);
}

TEST(NcdList, TypingIntoAnEmptyListing) {
  Listing t("");
  t.rows.type(0, "        1 : G01X5.");
  Commit_NCD_list(*t.l);
  EXPECT_EQ(ncd_lines(*t.d), (Lines{"G01X5."}));
  EditList_KeyPress(*t.l, t.row_of(0), NCD_KEY_ENTER, 12 + 6);
  EXPECT_EQ(ncd_lines(*t.d), (Lines{"G01X5.", ""}));
  EXPECT_EQ(t.d->pos.cur_line, 1);
  EXPECT_EQ(t.rows.max, 2);
  // Lines typed one after the other stay in view as the listing grows past its rows.
  for (int n = 1; n < 30; ++n) {
    const int row = t.row_of(n);
    const std::string text = "X" + std::to_string(n) + ".";
    t.rows.type(row, row_text(n, text, true));
    EditList_KeyPress(*t.l, row, NCD_KEY_ENTER, NCD_LIST_PREFIX + static_cast<int>(text.size()));
    ASSERT_EQ(t.d->pos.cur_line, n + 1);
    ASSERT_EQ(t.row(n + 1).substr(0, 1), "*");
  }
  EXPECT_EQ(t.d->line_count, 31);
  EXPECT_EQ(t.rows.max, 31);
  EXPECT_EQ(t.l->visible, 20);
}

TEST(NcdList, EditsRefusedWhileTheBufferIsExhausted) {
  Listing t;
  t.at_line(6);
  t.d->buf_full = true;
  t.d->buf_msg = "バッファがなくなりました";
  plat::ScriptedMessageBoxes boxes;
  EditList_KeyPress(*t.l, t.row_of(5), NCD_KEY_ENTER, 12 + 7);
  t.rows.type(t.row_of(6), row_text(6, "X25.", true));
  Commit_NCD_list(*t.l);
  EXPECT_EQ(ncd_lines(*t.d), fixture_lines());
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text, "バッファがなくなりました");
  EXPECT_FALSE(t.rows.r[t.row_of(6)].modified);
}

TEST(NcdList, DeleteRowAndEnabling) {
  Listing t;
  t.at_line(6);
  t.l->sel_start = 3;
  t.l->sel_end = 5;
  Delete_NCD_row(*t.l, 3);
  Lines want = fixture_lines();
  want.erase(want.begin() + 3);
  EXPECT_EQ(ncd_lines(*t.d), want);
  EXPECT_EQ(t.d->pos.block_count, 7);
  EXPECT_EQ(t.hosts.runs, 1);
  EXPECT_TRUE(t.rows.enabled);
  EXPECT_EQ(t.l->sel_start, 0);  // disabling the listing drops the selection start
  EXPECT_EQ(t.rows.max, 19);
}

// ---- dispatcher -----------------------------------------------------------------------------

struct ActionCase {
  int action;
  bool flag;
  int line;           // current line before (its first block)
  int cur_line;       // after
  int block;          // after
  std::vector<int> modes;
  int runs = 0;
};

TEST(NcdList, DispatcherActions) {
  const ActionCase cases[] = {
      {1, true, 5, 6, 7, {}},
      {2, true, 6, 5, 6, {}},
      {2, false, 6, 5, 6, {NCD_DRAW_FULL}},
      {4, false, 3, 14, 15, {NCD_DRAW_FULL}},
      {5, false, 9, 0, 1, {NCD_DRAW_FULL}},
      {6, false, 3, 8, 9, {NCD_DRAW_FULL}},
      {7, false, 11, 8, 9, {NCD_DRAW_FULL}},
      {8, false, 5, 6, 7, {NCD_DRAW_STEP_ONE}},
      {8, true, 5, 6, 7, {}},
      {9, true, 3, 19, 0, {NCD_DRAW_FULL}, 1},  // a program end after the first: run from it
      {10, true, 9, 0, 0, {NCD_DRAW_FULL}},
      {14, false, 11, 0, 1, {NCD_DRAW_FULL}},
      {15, false, 3, 14, 15, {NCD_DRAW_FULL}},
      {16, false, 5, 6, 7, {NCD_DRAW_STEP}},
  };
  for (const ActionCase& c : cases) {
    SCOPED_TRACE("action " + std::to_string(c.action) + (c.flag ? " flag" : ""));
    Listing t;
    t.at_line(c.line);
    const int before = t.d->pos.block_count;
    t.d->pos.mark_first = t.d->pos.mark_last = before;
    Central_Control_Action(*t.l, c.action, c.flag);
    EXPECT_EQ(t.d->pos.cur_line, c.cur_line);
    EXPECT_EQ(t.d->pos.block_count, c.block);
    EXPECT_EQ(t.host.modes, c.modes);
    EXPECT_EQ(t.host.status, 1);
    EXPECT_EQ(t.row(t.d->pos.cur_line).substr(0, 1), "*");
    EXPECT_EQ(t.hosts.runs, c.runs);
    EXPECT_EQ(t.host.repaints, c.flag && (c.action == 9 || c.action == 10) ? 1 : 0);
    const bool tool_img = c.action == 6 || c.action == 7 || c.action == 14 || c.action == 15;
    EXPECT_EQ(t.host.tool_img, tool_img ? 1 : 0);
    // The marked range takes in the block the simulation came to.
    const int b = t.d->pos.block_count;
    if (c.action == 5 || c.action == 10) EXPECT_EQ(t.d->pos.mark_first, 0);
    else EXPECT_EQ(t.d->pos.mark_first, std::min(before, b));
    if (c.action == 4 || c.action == 9) EXPECT_EQ(t.d->pos.mark_last, t.d->pos.total_blocks - 1);
    else EXPECT_EQ(t.d->pos.mark_last, std::max(before, b));
  }
}

TEST(NcdList, DrawnStepsFollowTheOptionAndTheRun) {
  // Down: the main window draws the step only with the option on; action 16 always.
  for (bool option : {false, true}) {
    Listing t;
    t.at_line(5);
    t.host.option = option;
    ASSERT_TRUE(t.d->run_done);
    Central_Control_Action(*t.l, 1, true);
    EXPECT_EQ(t.host.modes, option ? std::vector<int>{NCD_DRAW_STEP} : std::vector<int>{});
    Central_Control_Action(*t.l, 1, false);
    EXPECT_EQ(t.host.modes.back(), NCD_DRAW_STEP);
    EXPECT_EQ(t.d->pos.block_count, 8);
  }
  // PgDn steps a page without drawing, even with the option on, and refreshes once.
  Listing t(kFixture, 8 * 15);
  t.at_line(1);
  t.host.option = true;
  EXPECT_TRUE(EditList_KeyDown(*t.l, t.row_of(1), NCD_KEY_PGDN, 14));
  EXPECT_EQ(t.d->pos.block_count, 2 + 6);
  EXPECT_TRUE(t.host.modes.empty());
  EXPECT_EQ(t.host.status, 1);
  EXPECT_EQ(t.rows.r[t.row_of(7)].caret, 14);
  // PgUp walks back and stops at block 1.
  EXPECT_TRUE(EditList_KeyDown(*t.l, t.row_of(7), NCD_KEY_PGUP, 14));
  EXPECT_EQ(t.d->pos.block_count, 2);
  EXPECT_TRUE(EditList_KeyDown(*t.l, t.row_of(1), NCD_KEY_PGUP, 14));
  EXPECT_EQ(t.d->pos.block_count, 1);
}

TEST(NcdList, InvalidActionsShowTheirNumber) {
  for (int a : {0, 3, 11, 12, 13, 17}) {
    Listing t;
    t.at_line(5);
    plat::ScriptedMessageBoxes boxes;
    const NCD_POS before = t.d->pos;
    EXPECT_FALSE(Central_Control_Action(*t.l, a, true));
    ASSERT_EQ(boxes.shown.size(), 1u) << a;
    EXPECT_EQ(boxes.shown[0].text, "Central_Control_Action で無効な action(= " + std::to_string(a) +
                                       " ) 指定がありました");
    EXPECT_EQ(boxes.shown[0].caption, "");
    EXPECT_EQ(boxes.shown[0].flags, plat::MB_ICONQUESTION | plat::MB_SYSTEMMODAL);
    EXPECT_EQ(t.d->pos.block_count, before.block_count);
    EXPECT_EQ(t.d->pos.mark_first, before.mark_first);
    EXPECT_EQ(t.host.status, 1);
    EXPECT_TRUE(t.host.modes.empty());
  }
}

TEST(NcdList, EdgesOfTheProgram) {
  {
    // Down on the last block moves to the lines after M30.
    Listing t;
    t.at_line(14);
    ASSERT_EQ(t.d->pos.block_count, t.d->pos.total_blocks);
    EXPECT_TRUE(EditList_KeyDown(*t.l, t.row_of(14), NCD_KEY_DOWN, 12));
    EXPECT_EQ(t.d->pos.cur_line, 15);
    EXPECT_EQ(t.row(15).substr(0, 1), "*");
  }
  {
    // Up at block 1 of line 0 does nothing.
    Listing t;
    Goto_NCD_step(*t.d, 0, true);
    t.at_line(-1);
    ASSERT_EQ(t.d->pos.block_count, 1);
    const auto rows = t.rows.r;
    EXPECT_TRUE(EditList_KeyDown(*t.l, 0, NCD_KEY_UP, 12));
    EXPECT_EQ(t.d->pos.block_count, 1);
    EXPECT_EQ(t.d->pos.cur_line, 0);
    for (int i = 0; i < NCD_LIST_ROW_COUNT; ++i) EXPECT_EQ(t.rows.r[i].text, rows[i].text);
    // Without the flag it is not even refreshed.
    EXPECT_FALSE(Central_Control_Action(*t.l, 2, false));
    EXPECT_EQ(t.host.status, 1);
  }
  {
    // Up at block 1 of the second program goes to the line before.
    Listing t;
    t.at_line(16);
    EXPECT_EQ(t.d->pos.block_count, 2);
    Central_Control_Action(*t.l, 2, true);
    Central_Control_Action(*t.l, 2, true);
    EXPECT_EQ(t.d->pos.cur_line, 14);
  }
}

TEST(NcdList, PreviousToolAndProgramWalkBack) {
  Listing t;
  t.at_line(13);
  std::vector<int> tools, progs;
  for (int k = 0; k < 3; ++k) {
    Central_Control_Action(*t.l, 7, false);
    tools.push_back(t.d->pos.cur_line);
  }
  EXPECT_EQ(tools, (std::vector<int>{8, 2, 0}));
  // From a tool-change block, the next tool and back again.
  Central_Control_Action(*t.l, 6, false);
  EXPECT_EQ(t.d->pos.cur_line, 2);
  Central_Control_Action(*t.l, 6, false);
  EXPECT_EQ(t.d->pos.cur_line, 8);
  Central_Control_Action(*t.l, 7, false);
  EXPECT_EQ(t.d->pos.cur_line, 2);
  t.at_line(16);
  Central_Control_Action(*t.l, 14, false);
  EXPECT_EQ(t.d->pos.cur_line, 15);
  Central_Control_Action(*t.l, 14, false);
  EXPECT_EQ(t.d->pos.cur_line, 15);  // block 1 of the second program: nothing before it
}

// ---- mouse ----------------------------------------------------------------------------------

TEST(NcdList, ClicksSeekWithoutARun) {
  Listing t;
  t.at_line(3);
  EditList_MouseDown(*t.l, t.row_of(9), false, 15);
  EXPECT_EQ(t.d->pos.cur_line, 9);
  EXPECT_EQ(t.d->pos.block_count, 10);
  EXPECT_EQ(t.hosts.runs, 0);
  EXPECT_EQ(t.host.modes, std::vector<int>{NCD_DRAW_CLICK});
  EXPECT_EQ(t.rows.r[t.row_of(9)].caret, 15);
  // A click into the prefix puts the caret after it.
  EditList_MouseDown(*t.l, t.row_of(4), false, 3);
  EXPECT_EQ(t.rows.r[t.row_of(4)].caret, 12);
  // The right button only dumps the state, while the debug window is shown.
  t.host.debug_shown = true;
  EditList_MouseDown(*t.l, t.row_of(7), true, 15);
  EXPECT_EQ(t.d->pos.cur_line, 4);
  EXPECT_EQ(t.host.dumps, 1);
  // Moving the mouse extends a selection that is being made.
  t.l->sel_start = 4;
  EditList_MouseMove(*t.l, t.row_of(6));
  EXPECT_EQ(t.l->sel_end, 7);
  EXPECT_TRUE(t.rows.r[t.row_of(5)].selected);
  EXPECT_FALSE(t.rows.r[t.row_of(7)].selected);
  t.l->sel_fixed = 1;
  EditList_MouseMove(*t.l, t.row_of(8));
  EXPECT_EQ(t.l->sel_end, 7);
}

// ---- line seeks -----------------------------------------------------------------------------

// The state of stepping from block 0 until line n is current (or the run from the line after
// the nearest program end, for lines that the run from 0 does not reach).
struct SeekProbe {
  int cur_line, next_line, block_count;
  double x, y, z;
  std::int32_t t;
};
SeekProbe seek_probe(const NCD_DATA& d) {
  return {d.pos.cur_line, d.pos.next_line, d.pos.block_count, d.exec.cur.x, d.exec.cur.y,
          d.exec.cur.z, d.exec.t_cur};
}

SeekProbe stepped_to_line(NCD_DATA& d, int n) {
  Run_all_NCD(d, 0);
  Goto_NCD_step(d, 0, false);
  while (d.pos.cur_line != n)
    if (STEP_NCD(d, false)) break;
  if (d.pos.cur_line != n) {
    const int end = Find_prev_end_line(d, n);
    Run_all_NCD(d, end == n ? n : std::min(end + 1, d.line_count));
    Goto_NCD_step(d, 0, false);
    while (d.pos.cur_line != n)
      if (STEP_NCD(d, false)) break;
  }
  return seek_probe(d);
}

TEST(NcdList, ASeekAfterAnInterruptedRunRunsAgain) {
  std::string text = "G91G01X1.F100\n";
  for (int i = 0; i < 3000; ++i) text += "X1.\n";
  Listing t(text + "M30\n");
  {
    plat::ScriptedInput input;
    input.escape_after(1);
    Run_all_NCD(*t.d, 0);
  }
  ASSERT_TRUE(t.d->run.incomplete);
  Goto_NCD_line(*t.d, 2000);
  EXPECT_EQ(t.d->pos.cur_line, 2000);
  EXPECT_EQ(t.d->pos.block_count, 2001);
  EXPECT_FALSE(t.d->run.incomplete);
}

TEST(NcdList, LineSeeksToLinesReachedLongAfterTheirNeighbours) {
  // Line 2 comes after 9999 calls of the 7 blocks of the subprogram below it: it is first
  // reached more than 65535 blocks after line 0 of its group of lines.
  CountingHosts hosts;
  auto d = make_ncd(&hosts);
  load_ncd(*d, "O1\nM98P2L9999\nG90G01X5.Y6.F100\nM30\nO2\nG91G01X0.001F100\nY0.001\nX0.001\n"
               "Y0.001\nX0.001\nY0.001\nM99\n");
  for (int n : {2, 3, 1, 5, 6, 2}) {
    SCOPED_TRACE(n);
    const SeekProbe want = stepped_to_line(*d, n);
    Run_all_NCD(*d, 0);
    hosts.runs = 0;
    Goto_NCD_line(*d, n);
    const SeekProbe got = seek_probe(*d);
    EXPECT_EQ(hosts.runs, 0);
    EXPECT_EQ(got.cur_line, want.cur_line);
    EXPECT_EQ(got.block_count, want.block_count);
    EXPECT_FLOAT_EQ(got.x, want.x);
    EXPECT_FLOAT_EQ(got.y, want.y);
  }
  EXPECT_GT(d->run.from_top.first.get(2), 65535 + d->run.from_top.first.get(0));
}

TEST(NcdList, LineSeeksEqualSteppingFromBlockZero) {
  testing_support::NcGenOptions o;
  o.lines = 11000;
  o.seed = 3;
  std::string text = testing_support::make_nc_program(o);
  text += "O3000\nG91G01X7.F100\nY7.\nM30\n";
  CountingHosts hosts;
  auto d = make_ncd(&hosts);
  load_ncd(*d, text);
  std::vector<int> lines = {0, 1, 2, d->line_count - 1, d->line_count - 3};
  // Lines of the subprogram after the main program's end.
  for (int i = 0; i < d->line_count; ++i)
    if (get_NCD_line_view(*d, i) == "O2000") {
      lines.push_back(i + 1);
      lines.push_back(i + 2);
    }
  std::mt19937 rng(7);
  for (int k = 0; k < 12; ++k) lines.push_back(static_cast<int>(rng() % static_cast<unsigned>(d->line_count)));
  for (int n : lines) {
    SCOPED_TRACE(n);
    const SeekProbe want = stepped_to_line(*d, n);
    Run_all_NCD(*d, 0);
    Goto_NCD_step(*d, 7, true);
    hosts.runs = 0;
    Goto_NCD_line(*d, n);
    const SeekProbe got = seek_probe(*d);
    EXPECT_EQ(got.cur_line, want.cur_line);
    EXPECT_EQ(got.next_line, want.next_line);
    EXPECT_EQ(got.block_count, want.block_count);
    EXPECT_FLOAT_EQ(got.x, want.x);
    EXPECT_FLOAT_EQ(got.y, want.y);
    EXPECT_FLOAT_EQ(got.z, want.z);
    EXPECT_EQ(got.t, want.t);
  }
  // Seeks within the program after the end run from there once; seeks back run from 0 once.
  const int o3000 = d->line_count - 4;
  ASSERT_EQ(get_NCD_line_view(*d, o3000), "O3000");
  Run_all_NCD(*d, 0);
  hosts.runs = 0;
  for (int n : {o3000 + 1, o3000 + 2, o3000}) {
    Goto_NCD_line(*d, n);
    EXPECT_EQ(d->pos.cur_line, n);
  }
  EXPECT_EQ(hosts.runs, 1);
  Goto_NCD_line(*d, 5);
  Goto_NCD_line(*d, 9);
  EXPECT_EQ(hosts.runs, 2);
  // A change of the store or of the options makes the next seek run again.
  Run_all_NCD(*d, 0);
  hosts.runs = 0;
  Goto_NCD_line(*d, 5);
  EXPECT_EQ(hosts.runs, 0);
  d->exec_opt.comp_enabled = !d->exec_opt.comp_enabled;
  Goto_NCD_line(*d, 5);
  EXPECT_EQ(hosts.runs, 1);
  Delete_NCD_line(*d, d->line_count - 1);
  Goto_NCD_line(*d, 5);
  EXPECT_EQ(hosts.runs, 2);
}

}  // namespace
