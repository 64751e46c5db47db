// The whole-program run: statistics, summary, error list, snapshots and seeks, the tool
// holder selection, the save areas, and cutter radius compensation through the interpreter.
#include "ncdata/ncd_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "ncd_test_util.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "tests/support/ncd_program_gen.h"

namespace {

struct FakeRunHost : NCD_HOST {
  std::vector<int> list;          // T of each tool-holder entry
  std::map<int, float> radius;    // the tool table's cutter radii
  std::vector<int> shown;
  std::vector<std::string> errors;
  int defs = 0, fits = 0;
  int th_find(int t, int& size) override {
    size = static_cast<int>(list.size());
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i] == t) return static_cast<int>(i);
    return -1;
  }
  void th_show(int i) override { shown.push_back(i); }
  bool th_set_tool0() override {
    if (list.empty()) return false;
    list[0] = 0;
    return true;
  }
  bool tool_radius(int t, float& r) override {
    auto it = radius.find(t);
    if (it == radius.end()) return false;
    r = it->second;
    return true;
  }
  void show_system_err(const std::string& s) override { errors.push_back(s); }
  void set_TOOL_defs(NCD_DATA&) override { ++defs; }
  void fit_scale(NCD_DATA&) override { ++fits; }
  // A list and a tool table that hold tool t with cutter radius r.
  void add_tool(int t, float r) {
    list.push_back(t);
    radius[t] = r;
  }
};

std::unique_ptr<NCD_DATA> load(const std::string& text, FakeRunHost* host = nullptr,
                               bool comp = true) {
  auto d = make_ncd();
  d->set_host(host);
  d->exec_opt.comp_enabled = comp;
  load_ncd(*d, text);
  return d;
}

// ---- summary, error list and statistics ------------------------------------------------------

// Each tool record carries the D and H codes in force at the tool's end: none before the
// first D or H word, then the last ones read (a tool that sets none keeps the earlier ones),
// whether or not the block texts are built.
TEST(RunAll, ToolRecordsCarryTheirDAndHCodes) {
  const std::string text =
      "G00 X0. Y0. Z50.\n"
      "T1 M06\n"
      "G43 Z10. H1\n"
      "G41 G01 X10. D21 F100\n"
      "T2 M06\n"
      "G01 X20.\n"
      "T3 M06\n"
      "G43 Z5. H3\n"
      "M30\n";
  for (bool texts : {false, true}) {
    FakeRunHost host;
    auto d = load(text, &host);
    d->exec_opt.block_text = texts;
    ASSERT_TRUE(Run_all_NCD(*d, 0));
    const NCD_RUN& r = d->run;
    ASSERT_EQ(r.stats.size(), 4u);
    const std::array<std::string, 2> want[] = {{"", ""}, {"D21", "H01"}, {"D21", "H01"}, {"D21", "H03"}};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(r.stats[i].block_text, want[i]) << i << " " << texts;
  }
}

TEST(RunAll, SummaryErrorsAndToolRecords) {
  const std::string text =
      "(VLM ORIGN X0Y0Z100.)\n"
      "G01 X100. F1\n"   // a one-digit feed code: timed at F100
      "X200.\n"
      "G00 Z50.\n"
      "X1.2.3\n"          // tokenizer error
      "T2 M06\n"
      "G01 Y-50. F2\n"
      "Y-100.\n"
      "G17 G02 X10. Y0 I4.\n"  // end point error
      "G16\n"              // unsupported
      "M30\n";
  FakeRunHost host;
  auto d = load(text, &host);
  // The values of the first tool just before its tool change, by stepping.
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  Goto_NCD_step(*d, 5, false);
  const NCD_TOOL_RUN t0 = d->exec.tool;
  EXPECT_GT(t0.cut_len, 0);

  ASSERT_TRUE(Run_all_NCD(*d, 0));
  const NCD_RUN& r = d->run;
  ASSERT_EQ(r.err_list.size(), 3u);
  std::string msg;
  get_NCD_err_msg(0x9004, msg);
  EXPECT_EQ(r.err_list[0], "       5 : ERR(9004) " + msg);
  EXPECT_EQ(r.err_list[1].substr(0, 20), "       9 : ERR(9021)");
  EXPECT_EQ(r.err_list[2].substr(0, 20), "      10 : ERR(9006)");
  // One tool change gives two records: the part before it (T0), then T2.
  ASSERT_EQ(r.stats.size(), 2u);
  EXPECT_EQ(r.stats[0].tool, 0);
  EXPECT_EQ(r.stats[1].tool, 2);
  EXPECT_FLOAT_EQ(r.stats[0].cut_len, t0.cut_len);
  EXPECT_FLOAT_EQ(r.stats[0].time, t0.time);
  EXPECT_EQ(r.stats[0].first_block, 0);
  EXPECT_EQ(r.stats[0].last_block, 5);
  EXPECT_EQ(r.stats[1].first_block, 5);
  EXPECT_GT(r.stats[1].cut_len, 0);
  EXPECT_EQ(r.stats[1].tool_text.substr(0, 6), "T2 M06");
  // The second tool starts at the origin of the origin comment.
  EXPECT_NEAR(r.stats[1].first.z, 100, 1e-3);
  const NCD_TOTALS& tot = r.st.totals;
  EXPECT_FLOAT_EQ(tot.cut_len, r.stats[0].cut_len + r.stats[1].cut_len);
  EXPECT_EQ(r.summary, "総切削長:" + float_to_str(tot.cut_len, 0) + "mm, 早送り:" +
                           float_to_str(tot.rapid_len, 0) + "mm, 総加工時間:" +
                           std::to_string(float_to_int(tot.time)) +
                           "分 (=F100) , ( NC-data err : 3 )");
  EXPECT_EQ(r.sum_cut, float_to_str(tot.cut_len, 0) + " mm");
  EXPECT_TRUE(d->run_done);
  EXPECT_EQ(d->pos.total_blocks, d->pos.block_count);

  // Stepping that stops on errors stops at the first error line.
  Goto_NCD_step(*d, 0, false);
  while (!STEP_NCD_stop_on_err(*d, false)) {
  }
  EXPECT_EQ(d->pos.cur_line, 4);
}

TEST(RunAll, MoreToolsThanRecords) {
  std::string text;
  for (int t = 1; t <= NCD_STAT_MAX + 50; ++t)
    text += "T" + std::to_string(t) + " M06\nG91 G01 X1. F100\nX1.\n";
  text += "M30\n";
  auto d = load(text);
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  ASSERT_EQ(d->run.stats.size(), static_cast<size_t>(NCD_STAT_MAX));
  EXPECT_EQ(d->run.stats.back().tool, NCD_STAT_MAX - 1);
  // The totals go on counting the tools whose records were dropped.
  float kept = 0;
  for (const auto& r : d->run.stats) kept += r.cut_len;
  EXPECT_GT(kept, 0);
  EXPECT_GT(d->run.st.totals.cut_len, kept + 49 * (kept / (NCD_STAT_MAX - 1)) - 1);
}

TEST(RunAll, EmptyStoreAndStartOutside) {
  auto d = load("");
  EXPECT_FALSE(Run_all_NCD(*d, 0));
  auto e = load("G01 X1. F100\nM30\n");
  EXPECT_FALSE(Run_all_NCD(*e, 5));
  EXPECT_TRUE(Run_all_NCD(*e, 0));
  EXPECT_EQ(e->run.summary.find("(=F100)"), std::string::npos);
}

TEST(RunAll, SubprogramsAndCountPass) {
  // The count pass follows the calls as the interpreter does: one call per executed line.
  auto count_pass = [](NCD_DATA& d) {
    NCD_COUNT_STATE c;
    int n = 0;
    while (c.status != 0x8000 && c.next_line < d.line_count) {
      Count_NCD_blocks(d, c);
      ++n;
    }
    return n;
  };
  // Three calls; then calls that the interpreter does not make (no repeats, or too many).
  for (const char* call : {"M98 P10 L3", "M98 P10 L0", "M98 P10 L20000"}) {
    SCOPED_TRACE(call);
    auto d = load(std::string("O1\nG91 G01 X1. F100\n") + call + "\nM30\nO10\nX2.\nM99\n");
    ASSERT_TRUE(Run_all_NCD(*d, 0));
    EXPECT_EQ(count_pass(*d), d->pos.total_blocks);
  }
  auto d = load("O1\nG91 G01 X1. F100\nM98 P10 L3\nM30\nO10\nX2.\nM99\n");
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  EXPECT_NEAR(d->exec.cur.x, 7, 1e-4);
}

// ---- hostile programs: loops, nested repeats, floods of errors ------------------------------

TEST(RunAll, LoopingCallsEndTheRun) {
  auto d = load("M98P2\nM30\nO2\nM98P2\nO3\nM98P2\n");
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  EXPECT_FALSE(d->run.incomplete);
  ASSERT_EQ(d->run.err_list.size(), 2u);
  EXPECT_EQ(d->run.err_list[0].substr(0, 20), "       4 : ERR(9013)");
  EXPECT_EQ(d->run.err_list[1].substr(0, 20), "       6 : ERR(9013)");
  EXPECT_EQ(d->pos.total_blocks, 5);
  // The count pass makes no call either.
  NCD_COUNT_STATE c;
  int n = 0;
  for (; c.status != 0x8000 && c.next_line < d->line_count; ++n) Count_NCD_blocks(*d, c);
  EXPECT_EQ(n, d->pos.total_blocks);
}

// Runs that would take hours end early: by Escape, or when the blocks and the cycles'
// sub-moves reach the run's capacity. The program stays loaded and the blocks run so far can
// be sought.
TEST(RunAll, LongRunsEndEarly) {
  const std::string nested =
      "O1\nM98P2L500\nM30\nO2\nM98P3L500\nM99\nO3\nM98P4L500\nM99\nO4\nG91G1X0.001F100\nM99\n";
  const std::string cycles = "O1\nM98P2L9999\nM30\nO2\nG90G81X1.Y1.Z-1.R1.L9999F100\nM99\n";
  struct Case {
    const char* name;
    const std::string& text;
    int escape_read;  // the poll that sees Escape; 0 none
    int run_moves;
  } cases[] = {
      {"nested repeats, Escape at once", nested, 1, 0x7FFFFFF},
      {"cycles in repeats, Escape later", cycles, 2, 0x7FFFFFF},
      {"cycles in repeats, capacity", cycles, 0, 50000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    NCD_CAPACITY cap;
    cap.run_moves = c.run_moves;
    auto d = make_ncd(nullptr, cap);
    load_ncd(*d, c.text);
    plat::ScriptedInput input;
    if (c.escape_read) input.escape_after(c.escape_read);
    ASSERT_TRUE(Run_all_NCD(*d, 0));
    EXPECT_TRUE(d->run.incomplete);
    EXPECT_NE(d->run.summary.find(" , ( 途中で中断しました )"), std::string::npos);
    EXPECT_TRUE(d->run.err_list.empty());
    if (!c.escape_read) {
      EXPECT_GE(d->pos.total_blocks + d->pos.sub_moves, c.run_moves);
      EXPECT_LT(d->pos.total_blocks + d->pos.sub_moves, c.run_moves + NCD_CYCLE_MOVES_MAX);
    }
    EXPECT_EQ(ncd_lines(*d).size(), static_cast<size_t>(std::count(c.text.begin(), c.text.end(), '\n')));
    const int total = d->pos.total_blocks;
    Goto_NCD_step(*d, total, false);
    EXPECT_EQ(d->pos.block_count, std::max(total - 1, 0));
  }
}

TEST(RunAll, ErrorListKeepsItsCapacity) {
  // 9999 x 11 error blocks.
  auto d = load("O1\nM98P2L9999\nM30\nO2\nM98P3L11\nM99\nO3\nX1.2.3\nM99\n");
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  const NCD_RUN& r = d->run;
  ASSERT_EQ(r.err_list.size(), static_cast<size_t>(NCD_ERR_LIST_MAX) + 1);
  EXPECT_EQ(r.err_list[NCD_ERR_LIST_MAX - 1].substr(0, 20), "       8 : ERR(9004)");
  EXPECT_EQ(r.err_list.back(), "         : ほか 9989 件のエラーは表示しません");
  EXPECT_NE(r.summary.find(" , ( NC-data err : 109989 )"), std::string::npos);
  EXPECT_FALSE(r.incomplete);
}

// ---- seeks and snapshots ----------------------------------------------------------------------

struct Probe {
  std::int32_t cur_line, next_line, block_count;
  NCD_EXEC e;
  std::uint8_t applied;
  std::int32_t moves;
  std::array<TComp_move, 2> m;
};

Probe probe(const NCD_DATA& d) {
  return {d.pos.cur_line, d.pos.next_line, d.pos.block_count, d.exec,
          d.run.st.comp.comp_applied, d.run.st.comp.comp_move_count, d.run.st.comp.comp_moves};
}

void expect_same(const Probe& a, const Probe& b) {
  EXPECT_EQ(a.cur_line, b.cur_line);
  EXPECT_EQ(a.next_line, b.next_line);
  EXPECT_EQ(a.block_count, b.block_count);
  EXPECT_EQ(a.e.status, b.e.status);
  EXPECT_EQ(a.e.flags, b.e.flags);
  EXPECT_EQ(a.e.t_cur, b.e.t_cur);
  EXPECT_EQ(a.e.mode, b.e.mode);
  EXPECT_EQ(a.e.sub_depth, b.e.sub_depth);
  for (auto [p, q] : {std::pair{a.e.cur, b.e.cur}, {a.e.prev, b.e.prev}, {a.e.seg_end, b.e.seg_end}}) {
    EXPECT_FLOAT_EQ(p.x, q.x);
    EXPECT_FLOAT_EQ(p.y, q.y);
    EXPECT_FLOAT_EQ(p.z, q.z);
  }
  const NCD_TOOL_RUN &s = a.e.tool, &t = b.e.tool;
  EXPECT_FLOAT_EQ(s.cut_len, t.cut_len);
  EXPECT_FLOAT_EQ(s.rapid_len, t.rapid_len);
  EXPECT_FLOAT_EQ(s.time, t.time);
  EXPECT_EQ(s.rapid_count, t.rapid_count);
  EXPECT_EQ(s.pecks, t.pecks);
  EXPECT_EQ(s.first_flags, t.first_flags);
  EXPECT_EQ(a.applied, b.applied);
  EXPECT_EQ(a.moves, b.moves);
  for (int i = 0; i < a.moves && i < 2; ++i) {
    EXPECT_FLOAT_EQ(a.m[i].end.x, b.m[i].end.x);
    EXPECT_FLOAT_EQ(a.m[i].end.y, b.m[i].end.y);
  }
}

TEST(Seek, SameStateAsSteppingFromBlockZero) {
  testing_support::NcGenOptions o;
  o.lines = 11000;
  o.seed = 3;
  const std::string text = testing_support::make_nc_program(o);
  FakeRunHost host;
  for (int t = 0; t <= o.tools; ++t) host.add_tool(t, 3.0f);
  auto d = load(text, &host);
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  const int total = d->pos.total_blocks;
  ASSERT_GT(total, 10000);
  EXPECT_TRUE(d->run.err_list.empty()) << d->run.err_list.front();
  EXPECT_GT(d->run.stats.size(), 5u);
  EXPECT_EQ(d->run.slots.size(), static_cast<size_t>((total - 1) / NCD_SNAP_BLOCKS + 1));

  const std::vector<int> targets = {0, 1, 4999, 5000, 5001, 7001, total};
  std::map<int, Probe> stepped;
  Goto_NCD_step(*d, 0, false);
  stepped[0] = probe(*d);
  int comp_blocks = 0;
  for (int n : targets) {
    if (n == 0) continue;
    while (d->pos.block_count < n - 1) {
      ASSERT_FALSE(STEP_NCD(*d, false)) << "ended at " << d->pos.block_count;
      comp_blocks += d->run.st.comp.comp_applied;
    }
    stepped[n] = probe(*d);
  }
  EXPECT_GT(comp_blocks, 10);  // the program does compensate
  for (int n : targets) {
    SCOPED_TRACE(n);
    Goto_NCD_step(*d, n, false);
    expect_same(probe(*d), stepped[n]);
  }
  // A seek beyond the total does nothing.
  Goto_NCD_step(*d, 7001, false);
  const Probe at = probe(*d);
  Goto_NCD_step(*d, total + 1, false);
  EXPECT_EQ(d->pos.block_count, at.block_count);
}

// The table of first blocks takes memory of another kind for a large program: tables of
// every size, made anew over one another and copied, give back what was noted.
TEST(Seek, FirstBlockTablesOfEverySize) {
  NCD_FIRST_BLOCKS t;
  for (int n : {100, 1000000, 1200000, 3000000, 100, 1000000}) {
    SCOPED_TRACE(n);
    t.reset(n);
    ASSERT_EQ(t.size(), n);
    // Every third line, then one line reached long after its neighbours.
    for (int i = 0; i < n; i += 3) t.note(i, i / 3 * 2);
    const int late = n - 2, late_block = 70000 + n;
    t.note(late, late_block);
    t.finish();
    const NCD_FIRST_BLOCKS copy = t;
    for (const NCD_FIRST_BLOCKS* f : {static_cast<const NCD_FIRST_BLOCKS*>(&t), &copy}) {
      int wrong = 0;
      for (int i = 0; i < n; ++i) {
        const std::int32_t want = i == late ? late_block : (i % 3 == 0 ? i / 3 * 2 : -1);
        wrong += f->get(i) != want;
      }
      EXPECT_EQ(wrong, 0);
    }
  }
}

TEST(Seek, SlotsGrowWithTheProgram) {
  // Snapshots every 3 blocks: a program of 11,000 lines takes more than 3000 slots, and
  // the seeks far into it start from the slots past 3000 with the same result as stepping.
  testing_support::NcGenOptions o;
  o.lines = 11000;
  o.seed = 4;
  const std::string text = testing_support::make_nc_program(o);
  FakeRunHost host;
  for (int t = 0; t <= o.tools; ++t) host.add_tool(t, 3.0f);
  NCD_CAPACITY cap;
  cap.snap_blocks = 3;
  auto d = make_ncd(&host, cap);
  d->exec_opt.comp_enabled = true;
  load_ncd(*d, text);
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  const int total = d->pos.total_blocks;
  ASSERT_GT(total, 3 * 3000 + 100);
  const int last = (total - 1) / 3;
  EXPECT_EQ(d->run.slots.size(), static_cast<size_t>(last + 1));
  EXPECT_FALSE(Save_NCD_snapshot(*d, NCD_snap_slots(*d)));

  const std::vector<int> targets = {1, 9000, 9001, 9002, 9003, total - 2, total};
  std::map<int, Probe> stepped;
  Goto_NCD_step(*d, 0, false);
  for (int n : targets) {
    while (d->pos.block_count < n - 1) ASSERT_FALSE(STEP_NCD(*d, false));
    stepped[n] = probe(*d);
  }
  for (int n : {total, 9002, 9003, 1, total - 2, 9000, 9001}) {
    SCOPED_TRACE(n);
    Goto_NCD_step(*d, n, false);
    expect_same(probe(*d), stepped[n]);
  }
  // The last slot is restored as it was taken: just before its block.
  ASSERT_TRUE(Load_NCD_snapshot(*d, last));
  EXPECT_EQ(d->pos.block_count, last * 3);
}

TEST(Seek, SlotBlockUnderCompensationKeepsItsMoves) {
  // Block 5000 lies inside a compensated zigzag: a seek that lands right on the slot, with
  // nothing to step, keeps the compensated moves of the block the slot follows.
  std::string text = "T1 M06\nG90 G00 X-10. Y-10. Z5.\nG01 Z-1. F500\nG41 D1 X0 Y0\n";
  for (int i = 1; i <= NCD_SNAP_BLOCKS + 20; ++i)
    text += "X" + std::to_string(i) + ". Y" + (i % 2 ? "3." : "0") + "\n";
  text += "G40 X0 Y-10.\nM30\n";
  FakeRunHost host;
  host.add_tool(1, 2);
  auto d = load(text, &host);
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  ASSERT_TRUE(d->run.err_list.empty()) << d->run.err_list.front();
  Goto_NCD_step(*d, 0, false);
  while (d->pos.block_count < NCD_SNAP_BLOCKS) ASSERT_FALSE(STEP_NCD(*d, false));
  const Probe stepped = probe(*d);
  ASSERT_TRUE(stepped.applied);
  Goto_NCD_step(*d, NCD_SNAP_BLOCKS + 1, false);
  expect_same(probe(*d), stepped);
}

TEST(Seek, SlotsAreCheckedAndBelongToTheLastRun) {
  auto d = load("G91 G01 X1. F100\nX1.\nX1.\nM30\n");
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  EXPECT_FALSE(Save_NCD_snapshot(*d, -4));
  EXPECT_FALSE(Save_NCD_snapshot(*d, NCD_snap_slots(*d)));
  EXPECT_FALSE(Load_NCD_snapshot(*d, 1));  // never written
  Goto_NCD_step(*d, 3, false);
  EXPECT_NEAR(d->exec.cur.x, 2, 1e-5);
  // A run that fails leaves no slot to restore.
  EXPECT_FALSE(Run_all_NCD(*d, 99));
  EXPECT_FALSE(Load_NCD_snapshot(*d, 0));
  // Nor does a cleared store with a new program that has not been run yet.
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  Clear_NCD(*d);
  load_ncd(*d, "G91 G01 Y1. F100\nM30\n");
  d->exec.cur.y = 42;
  Goto_NCD_step(*d, 0, false);
  EXPECT_EQ(d->exec.cur.y, 42);
  EXPECT_TRUE(d->run.err_list.empty());
}

TEST(Seek, SubStepsReachTheSameEnd) {
  const std::string text =
      "T1 M06\nG90 G00 X0 Y0 Z10.\nG99 G81 X10. Y0 Z-5. R2. F100\nX20.\nG80\n"
      "G01 G41 D1 X30. Y10.\nX40.\nY20.\nG40 X50. Y30.\nM30\n";
  FakeRunHost host;
  host.add_tool(1, 2);
  auto d = load(text, &host);
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  const NCD_EXEC end = d->exec;
  Goto_NCD_step(*d, 0, false);
  int calls = 0;
  while (!STEP_NCD(*d, true)) ++calls;
  EXPECT_GT(calls, d->pos.total_blocks);  // the cycles went sub-move by sub-move
  EXPECT_FLOAT_EQ(d->exec.cur.x, end.cur.x);
  EXPECT_FLOAT_EQ(d->exec.tool.cut_len, end.tool.cut_len);
  EXPECT_FLOAT_EQ(d->exec.tool.time, end.tool.time);
  EXPECT_TRUE(d->run.err_list.empty());
}

TEST(Seek, SaveAreasComeBack) {
  FakeRunHost host;
  host.list = {0, 1};
  auto d = load("T1 M06\nG90 G01 X1. F100\nX2.\nX3.\nM30\n", &host);
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  Goto_NCD_step(*d, 2, false);
  const Probe before = probe(*d);
  Save_NCD_pos_A(*d);
  STEP_NCD(*d, false);
  STEP_NCD(*d, false);
  Load_NCD_pos_A(*d);
  expect_same(probe(*d), before);
  EXPECT_EQ(d->run.th.T, 1);
}

TEST(Seek, LineAfterProgramEnd) {
  const std::string text =
      "O1\nG91 G01 X1. F100\nM30\n"
      "O2\nG91 G01 Y5. F100\nY5.\nM30\n";
  FakeRunHost host;
  auto d = load(text, &host);
  Goto_NCD_line(*d, 5);
  EXPECT_EQ(d->pos.cur_line, 5);
  EXPECT_NEAR(d->exec.cur.y, 10, 1e-5);
  EXPECT_EQ(d->pos.start_line, 3);
  EXPECT_EQ(host.fits, 1);
  EXPECT_EQ(host.defs, 2);
  // A line within the first program is met by stepping; one past the store is clamped.
  Goto_NCD_line(*d, 1);
  EXPECT_EQ(d->pos.cur_line, 1);
  Goto_NCD_line(*d, 1000);
  EXPECT_EQ(d->pos.cur_line, 6);
}

TEST(Seek, LineThatNoRunReaches) {
  // Line 4 is jumped over by the call of the second program, which ends in O5.
  auto d = load("M30\nO4\nX0\nM98 P5\nX1.\nO5\nM30\n");
  plat::ScriptedMessageBoxes boxes;
  Goto_NCD_line(*d, 4);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text,
            "SYSTEM ERR : num(4,last ser=6),cnt(5)が見つかりませんでした。max_cnt=5");
  EXPECT_EQ(boxes.shown[0].flags, plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);

  // With a host of its own the record reports it there, and only there.
  FakeRunHost host;
  auto h = load("M30\nO4\nX0\nM98 P5\nX1.\nO5\nM30\n", &host);
  Goto_NCD_line(*h, 4);
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(host.errors, (std::vector<std::string>{
                             "SYSTEM ERR : num(4,last ser=6),cnt(5)が見つかりませんでした。max_cnt=5"}));
}

TEST(ToolHolder, SelectionAndItsReport) {
  FakeRunHost host;
  host.list = {5, 1};
  auto d = load("T1 M06\nG90 G01 X1. F100\nT2 M06\nX2.\nX3.\nT0 M06\nX4.\nM30\n", &host);
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  Goto_NCD_step(*d, 0, false);
  while (!STEP_NCD(*d, false)) {
  }
  // T1 found at entry 1; T2 not in the list: reported once; T0 takes entry 0.
  EXPECT_EQ(host.shown, (std::vector<int>{1, 0}));
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0], "change_TH_zu でえらー発生, T=2 sel_max=2, num(+1)= 3");
  EXPECT_EQ(host.list[0], 0);
  EXPECT_EQ(d->run.th.T, 0);
  EXPECT_TRUE(d->run.th.tool_present);

  // An empty list has no entry for T0 either.
  FakeRunHost empty;
  auto e = load("G01 X1. F100\nM30\n", &empty);
  ASSERT_TRUE(Run_all_NCD(*e, 0));
  Goto_NCD_step(*e, 0, false);
  STEP_NCD(*e, false);
  STEP_NCD(*e, false);
  EXPECT_EQ(empty.errors, (std::vector<std::string>{
                              "change_TH_zu でエラー発生, SEL_MAX=0 , num(+1)= 1"}));
  EXPECT_FALSE(e->run.th.tool_present);

  // A record without a host has no list to look in: its tool changes report nothing.
  plat::ScriptedMessageBoxes boxes;
  auto w = load("T1 M06\nG01 X1. F100\nT0 M06\nM30\n");
  ASSERT_TRUE(Run_all_NCD(*w, 0));
  Goto_NCD_step(*w, 0, false);
  while (!STEP_NCD(*w, false)) {
  }
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(w->run.th.T, 0);
  EXPECT_EQ(w->run.th.index, -1);
  EXPECT_FALSE(w->run.th.tool_present);
}

// ---- compensation through the interpreter ---------------------------------------------------

TEST(RunComp, SquareWithPlungeAndErrors) {
  const std::string text =
      "T1 M06\n"
      "G90 G00 X-10. Y-10. Z5.\n"
      "G00 G41 D1 X0 Y0\n"        // start-up, as a rapid move
      "G01 Z-5. F100\n"            // plunge: at the compensated XY
      "X20.\n"                     // inside corner next
      "Y20.\n"
      "G00 X0\n"                   // rapid while compensating: 0x9061
      "G01 X0 Y0\n"
      "G40 X-10. Y-10.\n"
      "M30\n";
  FakeRunHost host;
  host.add_tool(1, 5);
  auto d = load(text, &host);
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  ASSERT_EQ(d->run.err_list.size(), 1u);
  EXPECT_EQ(d->run.err_list[0].substr(0, 20), "       7 : ERR(9061)");

  Goto_NCD_step(*d, 0, false);
  std::map<int, std::vector<TComp_move>> moves;
  while (!STEP_NCD(*d, false)) {
    const TComp_state& c = d->run.st.comp;
    if (d->pos.cur_line == 2) {
      EXPECT_TRUE(c.comp_applied);
      EXPECT_EQ(d->exec.status & 0x1F, 31);  // a compensated rapid stays a rapid
    }
    if (c.comp_applied)
      moves[d->pos.cur_line].assign(c.comp_moves.begin(), c.comp_moves.begin() + c.comp_move_count);
  }
  auto end_of = [&](int line) { return moves.at(line).back().end; };
  EXPECT_NEAR(end_of(2).x, 0, 1e-3);  // start-up to the offset start of X20.
  EXPECT_NEAR(end_of(2).y, 5, 1e-3);
  EXPECT_NEAR(end_of(3).y, 5, 1e-3);  // the plunge stays there
  EXPECT_NEAR(end_of(3).z, -5, 1e-3);
  EXPECT_NEAR(end_of(4).x, 15, 1e-3);  // inside corner
  EXPECT_NEAR(end_of(4).y, 5, 1e-3);
  EXPECT_EQ(moves.count(6), 0u);  // the rapid runs as programmed
}

TEST(RunComp, GeneratedProgramRunsWithoutGaps) {
  // Every block starts where the tool was left, compensated or not (tool changes and the
  // sub-moves of cycles aside).
  testing_support::NcGenOptions o;
  o.lines = 4000;
  o.seed = 9;
  FakeRunHost host;
  for (int t = 0; t <= o.tools; ++t) host.add_tool(t, 2.5f);
  auto d = load(testing_support::make_nc_program(o), &host);
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  ASSERT_TRUE(d->run.err_list.empty()) << d->run.err_list.front();
  Goto_NCD_step(*d, 0, false);
  VEC3 last = d->exec.seg_end;
  int compensated = 0;
  while (!STEP_NCD(*d, false)) {
    const NCD_EXEC& e = d->exec;
    const TComp_state& c = d->run.st.comp;
    const int g = e.status & NCD_ST_MOTION;
    const bool skip = (e.status & (NCD_ST_TOOL_CHANGE | NCD_ST_ERROR)) || (g >= 7 && g <= 19);
    const VEC3 start = c.comp_applied ? c.comp_moves[0].start : VEC3(e.prev);
    if (!skip) {
      ASSERT_NEAR(start.x, last.x, 2e-3) << "line " << d->pos.cur_line + 1;
      ASSERT_NEAR(start.y, last.y, 2e-3) << "line " << d->pos.cur_line + 1;
      ASSERT_NEAR(start.z, last.z, 2e-3) << "line " << d->pos.cur_line + 1;
    }
    for (int i = 1; i < c.comp_move_count && c.comp_applied; ++i)
      ASSERT_NEAR(c.comp_moves[i].start.x, c.comp_moves[i - 1].end.x, 2e-3);
    compensated += c.comp_applied;
    last = e.seg_end;
  }
  EXPECT_GT(compensated, 20);
}

TEST(RunComp, ArcErrorsAreListedAndOptionAndToolGate) {
  const std::string text =
      "T1 M06\n"
      "G90 G00 X-10. Y-10.\n"
      "G01 G41 D1 X0 Y0 F100\n"
      "X10.\n"
      "G03 X10. Y10.2 J5.1\n"   // offset radius 0.1: 0x9102
      "G01 X0\n"
      "G40 X-10. Y-10.\n"
      "M30\n";
  FakeRunHost host;
  host.add_tool(1, 5);
  auto d = load(text, &host);
  ASSERT_TRUE(Run_all_NCD(*d, 0));
  ASSERT_FALSE(d->run.err_list.empty());
  EXPECT_EQ(d->run.err_list[0].substr(0, 20), "       4 : ERR(9102)");
  EXPECT_NE(d->run.err_list[0].find(COMP_TEXT_SMALL_ARC), std::string::npos);
  // The block keeps its motion status.
  EXPECT_EQ(d->run.st.comp.comp_error.code, 0x9102);

  // Without the option, or without the tool in the table, nothing is compensated.
  auto off = load(text, &host, false);
  ASSERT_TRUE(Run_all_NCD(*off, 0));
  EXPECT_TRUE(off->run.err_list.empty());
  FakeRunHost none;
  auto unknown = load(text, &none);
  ASSERT_TRUE(Run_all_NCD(*unknown, 0));
  EXPECT_TRUE(unknown->run.err_list.empty());
}

// The tool's cutting length and time follow the compensated path, summed here by hand for
// a 50 mm square cut with a 10 mm cutter (radius 5). The tool change puts the tool at the
// origin, so the start-up move is the compensation's own; it and the plunge come before
// the cut start and are timed but left out of the length.
TEST(RunComp, LengthsAndTimesFollowTheCompensatedPath) {
  const std::string body =
      "%\n"
      "O0100(G41 TEST)\n"
      "(VLM ORIGN X0Y0Z100.)\n"
      "G90G54G00X-20.Y0.\n"
      "T1M06\n"
      "G43Z10.H01\n"
      "G01Z-2.F100\n"
      "G4xX0.Y0.D01\n"
      "Y50.\n"
      "X50.\n"
      "Y0.\n"
      "X0.\n"
      "G40X-20.\n"
      "G00Z100.\n"
      "M30\n"
      "%\n";
  const double quarter = 5 * M_PI / 2;
  const double cancel = std::hypot(20.0, 5.0);  // from the offset end (0, +-5) to (-20, 0)
  struct Case {
    const char* code;
    bool comp;
    double cut;      // mm, from the cut start on
    double startup;  // the start-up move, timed but not in the length
  } cases[] = {
      // Outside the square: three quarter circles round the corners.
      {"G41", true, 3 * (50 + quarter) + 50 + cancel, 5},
      // Inside: the sides shortened by the radius at each corner.
      {"G42", true, 45 + 40 + 40 + 45 + cancel, 5},
      {"G41", false, 4 * 50 + 20, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.code << (c.comp ? " compensated" : " as programmed"));
    std::string text = body;
    text.replace(text.find("G4x"), 3, c.code);
    FakeRunHost host;
    host.add_tool(0, 0);
    host.add_tool(1, 5);
    auto d = load(text, &host, c.comp);
    ASSERT_TRUE(Run_all_NCD(*d, 0));
    ASSERT_TRUE(d->run.err_list.empty()) << d->run.err_list.front();
    ASSERT_EQ(d->run.stats.size(), 2u);
    const NCD_TOOL_STAT& t1 = d->run.stats[1];
    EXPECT_NEAR(t1.cut_len, c.cut, 2e-3);
    // The plunge from Z10 at F100; the rapids Z100 to Z10 and Z-2 to Z100 at 4000.
    const double minutes = (12 + c.startup + c.cut) / 100 + (90 + 102) / 4000.0;
    EXPECT_NEAR(t1.time, minutes, 1e-4);
  }
}

// The same moves in G90 and in G91, summed by hand: the time holds every feed move; the
// cutting length of G90 starts at the cut start (the plunge and the move to the cut start
// left out), that of G91 holds every feed move.
TEST(RunAll, CuttingLengthFromTheCutStartInG90AndEveryFeedInG91) {
  const std::string g90 =
      "(VLM ORIGN X0Y0Z100.)\n"
      "T1M06\n"
      "G90G00X-10.Y-10.\n"
      "Z5.\n"
      "G01Z-2.F100\n"
      "X0.Y0.\n"
      "Y40.\n"
      "X60.\n"
      "M30\n";
  const std::string g91 =
      "(VLM ORIGN X0Y0Z100.)\n"
      "T1M06\n"
      "G91G00X-10.Y-10.\n"
      "Z-95.\n"
      "G01Z-7.F100\n"
      "X10.Y10.\n"
      "Y40.\n"
      "X60.\n"
      "M30\n";
  const double approach = 7 + std::hypot(10.0, 10.0);  // the plunge and the move to X0Y0
  const double cut = 40 + 60;
  struct Case {
    const char* what;
    const std::string* text;
    double cut_len;
  } cases[] = {{"G90", &g90, cut}, {"G91", &g91, approach + cut}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRunHost host;
    auto d = load(*c.text, &host, false);
    ASSERT_TRUE(Run_all_NCD(*d, 0));
    ASSERT_EQ(d->run.stats.size(), 2u);
    const NCD_TOOL_STAT& t1 = d->run.stats[1];
    EXPECT_NEAR(t1.cut_len, c.cut_len, 1e-3);
    EXPECT_NEAR(t1.time, (approach + cut) / 100 + t1.rapid_len / 4000, 1e-4);
  }
}

}  // namespace
