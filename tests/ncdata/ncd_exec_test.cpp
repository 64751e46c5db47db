// The block interpreter: modal state, moves, arcs, canned cycles and subprograms.
#include <cmath>
#include <cstdio>
#include <random>

#include "tests/ncdata/ncd_test_util.h"
#include "common/ats_func.h"

namespace {

constexpr float PI_F = static_cast<float>(ATS_PI);

std::unique_ptr<NCD_DATA> program(const std::string& text) {
  auto d = make_ncd();
  load_ncd(*d, text);
  Reset_NCD_exec(*d);
  return d;
}

// Runs to the end of the program; returns the error codes met, in order.
std::vector<std::uint16_t> run(NCD_DATA& d, bool sub_step = false) {
  std::vector<std::uint16_t> errors;
  for (int guard = 0; guard < 100000; ++guard) {
    if (exec_NCD_word(d, sub_step)) break;
    if (d.exec.status == NCD_ST_ERROR) break;
    if (d.exec.status & NCD_ST_ERROR) errors.push_back(d.exec.status);
  }
  return errors;
}

TEST(NcdExec, ResetState) {
  auto d = program("X10.\r\n");
  const NCD_EXEC& e = d->exec;
  EXPECT_EQ(e.status, 0x00DF);
  EXPECT_EQ(e.flags, 0xF000);
  EXPECT_EQ(e.mode, 17u);
  EXPECT_EQ(e.s, -1);
  EXPECT_EQ(e.f, 100.0f);
  EXPECT_EQ(e.feed, 100.0f);
  EXPECT_EQ(e.colour, 45);
  EXPECT_EQ(e.colour_rgba[3], 255);
  EXPECT_EQ(d->pos.total_blocks, NCD_TOTAL_BLOCKS_UNLIMITED);
  run(*d);
  EXPECT_EQ(e.cur.x, 10.0f);

  auto o = program("(VLM ORIGN X5.Y6.Z50.)\r\nX10.\r\n");
  EXPECT_EQ(o->exec.status, 0x00BF);
  EXPECT_EQ(o->exec.cur.z, 50.0f);
  EXPECT_EQ(o->exec.tool.first_flags, 7);
  run(*o);
  EXPECT_EQ(o->exec.cur.x, 10.0f);
  EXPECT_EQ(o->exec.cur.y, 6.0f);
}

TEST(NcdExec, MovesFeedsAndDwell) {
  auto d = program("G91G01X5.F100\r\nX5.\r\n");
  run(*d);
  EXPECT_EQ(d->exec.cur.x, 10.0f);
  EXPECT_EQ(d->exec.seg_end.x, 10.0f);
  EXPECT_EQ(d->pos.block_count, 2);
  EXPECT_TRUE(exec_NCD_word(*d, false));  // ended

  struct Case {
    const char* prog;
    float time;  // minutes
  } feeds[] = {
      {"G90G01X100.F0\r\n", 100.0f / 4000},
      {"G90G01X100.F3\r\n", 100.0f / 100},
      {"G90G01X100.F0.\r\n", 100.0f / 4000},
      {"G90G01X100.F200.\r\n", 100.0f / 200},
      {"G90G00X100.\r\n", 0.0f},  // first point: the travel of the first move is left out
      {"G90G00X0\r\nX100.\r\n", 100.0f / 4000},
  };
  for (const auto& c : feeds) {
    auto f = program(c.prog);
    run(*f);
    EXPECT_FLOAT_EQ(f->exec.tool.time, c.time) << c.prog;
  }
  auto f3 = program("F3\r\n");
  run(*f3);
  EXPECT_EQ(f3->exec.f, 3.0f);

  auto dw = program("G04P500\r\nG90G00X7.\r\nG04X2.5\r\n");
  run(*dw);
  EXPECT_FLOAT_EQ(dw->exec.tool.dwell, 3.0f);
  EXPECT_FLOAT_EQ(dw->exec.tool.time, 3.0f / 60);
  EXPECT_EQ(dw->exec.cur.x, 7.0f);

  auto g28 = program("G90G00X5.\r\nG28X0\r\n");
  run(*g28);
  EXPECT_EQ(g28->exec.cur.x, 5.0f);
}

TEST(NcdExec, ModalWords) {
  auto d = program("G90S1200M03M08\r\nG91A10.\r\nA5.\r\nG18G55\r\nM09M05\r\nD3H4T7\r\n");
  run(*d);
  const NCD_EXEC& e = d->exec;
  EXPECT_EQ(e.s, 1200);
  EXPECT_EQ(e.a, 15.0f);
  EXPECT_EQ(e.mode, 0x22u);
  EXPECT_EQ(e.spindle, 0);
  EXPECT_EQ(e.coolant, 0);
  EXPECT_EQ(e.m_list, (std::array<std::int32_t, 3>{9, 5, -1}));
  EXPECT_EQ(e.d, 3);
  EXPECT_EQ(e.h, 4);
  EXPECT_EQ(e.t_word, 7);
  EXPECT_EQ(e.t_cur, 0);

  auto c = program("G42D5\r\n");
  run(*c);
  EXPECT_EQ(c->exec.flags & NCD_WF_COMP_FIELD, 0x2000);
  auto c0 = program("G42D0\r\n");
  run(*c0);
  EXPECT_EQ(c0->exec.flags & NCD_WF_COMP_FIELD, 0x3000);  // D0 cancels

  // G80 ends the cycle; a motion code of its own line governs the move.
  auto g80 = program("G90G00X0Y0Z10.\r\nG81X5.Z-5.R2.F100\r\nG80G01X0F200.\r\nG80Y3.\r\n");
  exec_NCD_word(*g80, false);
  exec_NCD_word(*g80, false);
  const float cut = g80->exec.tool.cut_len;
  exec_NCD_word(*g80, false);
  EXPECT_EQ(g80->exec.status & NCD_ST_MOTION, 1);
  EXPECT_FALSE(g80->exec.cyc.active);
  EXPECT_FLOAT_EQ(g80->exec.tool.cut_len, cut + 5);
  exec_NCD_word(*g80, false);
  EXPECT_EQ(g80->exec.status & NCD_ST_MOTION, 31);
  EXPECT_FLOAT_EQ(g80->exec.tool.cut_len, cut + 5);
}

TEST(NcdExec, ToolChangeColourAndErrorLines) {
  auto d = program("G90G00X10.Y5.\r\nT2M06\r\n(VLM E5)\r\nG43H1G41D1\r\nX1+2\r\nG01X1.\r\n");
  exec_NCD_word(*d, false);
  exec_NCD_word(*d, false);
  EXPECT_EQ(d->exec.t_cur, 2);
  EXPECT_EQ(d->exec.cur.x, 0.0f);
  EXPECT_TRUE(d->exec.status & NCD_ST_G90);
  EXPECT_TRUE(d->exec.status & NCD_ST_TOOL_CHANGE);
  exec_NCD_word(*d, false);
  EXPECT_EQ(d->exec.colour, 5);
  EXPECT_EQ(d->exec.status & 0xFE00, 0);
  exec_NCD_word(*d, false);
  EXPECT_EQ(d->exec.flags & NCD_WF_LEN_FIELD, 0x4000);
  exec_NCD_word(*d, false);
  EXPECT_EQ(d->exec.status, 0x9003);
  EXPECT_EQ(d->exec.flags, 0);
  exec_NCD_word(*d, false);
  EXPECT_EQ(d->exec.flags & NCD_WF_LEN_FIELD, 0x4000);  // kept over the error line
  EXPECT_EQ(d->exec.flags & NCD_WF_COMP_FIELD, 0x1000);
  EXPECT_EQ(d->exec.cur.x, 1.0f);
  EXPECT_EQ(d->pos.block_count, 6);
}

struct SubMove {
  int kind;
  float x, z;
  bool operator==(const SubMove& o) const {
    return kind == o.kind && std::fabs(x - o.x) < 1e-4f && std::fabs(z - o.z) < 1e-4f;
  }
};
std::ostream& operator<<(std::ostream& os, const SubMove& m) {
  return os << "(" << m.kind << ", x " << m.x << ", z " << m.z << ")";
}

// The sub-moves of the cycle blocks of a program, stepped one sub-move at a time.
std::vector<SubMove> sub_moves(NCD_DATA& d) {
  std::vector<SubMove> v;
  for (int guard = 0; guard < 10000; ++guard) {
    if (exec_NCD_word(d, true) || d.exec.status == NCD_ST_ERROR) break;
    const int g = d.exec.status & NCD_ST_MOTION;
    const bool cycle_line = (d.line(d.pos.cur_line).flags & NCD_WF_AXIS) &&
                            ((g >= 7 && g <= 9) || (g >= 11 && g <= 19));
    if (cycle_line)
      v.push_back({d.exec.cyc.kind, static_cast<float>(d.exec.cur.x), static_cast<float>(d.exec.cur.z)});
  }
  return v;
}

TEST(NcdExec, CannedCycleSubMoves) {
  struct Case {
    const char* name;
    const char* prog;
    std::vector<SubMove> moves;
  };
  const Case cases[] = {
      {"G83 pecks", "G90G00X0Y0Z10.\r\nG83Z-10.R1.Q3.F100\r\n",
       {{51, 0, 10}, {52, 0, 1}, {2, 0, -2}, {0, 0, 1}, {0, 0, -1.9f}, {2, 0, -5}, {0, 0, 1},
        {0, 0, -4.9f}, {2, 0, -8}, {0, 0, 1}, {0, 0, -7.9f}, {53, 0, -10}, {54, 0, 10}}},
      {"G73 pecks", "G90G00X0Y0Z10.\r\nG99G73Z-5.R1.Q2.5F100\r\n",
       {{51, 0, 10}, {52, 0, 1}, {2, 0, -1.5f}, {0, 0, -1.4f}, {2, 0, -4}, {0, 0, -3.9f},
        {53, 0, -5}, {54, 0, 1}}},
      {"G81 in G91 with L3", "G91G00Z10.\r\nG81X10.Y10.Z-5.R-8.L3F100\r\n",
       {{51, 10, 10}, {52, 10, 2}, {53, 10, -3}, {54, 10, 10},
        {51, 20, 10}, {52, 20, 2}, {53, 20, -3}, {54, 20, 10},
        {51, 30, 10}, {52, 30, 2}, {53, 30, -3}, {54, 30, 10}}},
      {"G81 already at R", "G90G00X0Y0Z2.\r\nG81X4.Z-5.R2.F100\r\n",
       {{51, 4, 2}, {53, 4, -5}, {54, 4, 2}}},
      {"G81 levels from a line without axis words", "G90G00X0Y0Z50.\r\nG98G81R2.P9F100\r\nX10.Z-5.\r\n",
       {{51, 10, 50}, {52, 10, 2}, {53, 10, -5}, {54, 10, 50}}},
      {"G82 levels from a line without axis words, in G91", "G91G00Z50.\r\nG82R-48.P200\r\nX10.Z-7.\r\n",
       {{51, 10, 50}, {52, 10, 2}, {53, 10, -5}, {3, 10, -5}, {54, 10, 50}}},
      {"G81 L0 positions only", "G90G00X0Y0Z10.\r\nG81X4.Z-5.R2.L0F100\r\n", {{51, 4, 10}}},
      {"G76 with G98", "G90G00X0Y0Z10.S1000M03\r\nG76X5.Z-10.R2.Q1.F50\r\n",
       {{51, 5, 10}, {52, 5, 2}, {53, 5, -10}, {6, 5, -10}, {5, 6, -10}, {12, 6, 10},
        {7, 5, 10}, {8, 5, 10}, {54, 5, 10}}},
      {"G76 with G99", "G90G00X0Y0Z10.S1000M03\r\nG99G76X5.Z-10.R2.Q1.F50\r\n",
       {{51, 5, 10}, {52, 5, 2}, {53, 5, -10}, {6, 5, -10}, {5, 6, -10}, {12, 6, 2},
        {7, 5, 2}, {8, 5, 2}, {54, 5, 2}}},
      {"G82 dwell", "G90G00X0Y0Z10.\r\nG82Z-3.R1.P200F100\r\n",
       {{51, 0, 10}, {52, 0, 1}, {53, 0, -3}, {3, 0, -3}, {54, 0, 10}}},
      {"G85 feed out", "G90G00X0Y0Z10.\r\nG99G85Z-3.R1.F100\r\n",
       {{51, 0, 10}, {52, 0, 1}, {53, 0, -3}, {2, 0, 1}, {54, 0, 1}}},
      {"G86 rapid out", "G90G00X0Y0Z10.\r\nG86Z-3.R1.F100\r\n",
       {{51, 0, 10}, {52, 0, 1}, {53, 0, -3}, {6, 0, -3}, {0, 0, 10}, {8, 0, 10}, {54, 0, 10}}},
      {"G88 stops", "G90G00X0Y0Z10.\r\nG88Z-3.R1.F100\r\n",
       {{51, 0, 10}, {52, 0, 1}, {53, 0, -3}, {6, 0, -3}, {9, 0, -3}, {54, 0, 10}}},
      {"G89 dwell and feed out", "G90G00X0Y0Z10.\r\nG89Z-3.R1.P100F100\r\n",
       {{51, 0, 10}, {52, 0, 1}, {53, 0, -3}, {3, 0, -3}, {2, 0, 1}, {54, 0, 10}}},
      {"G84 tapping", "G90G00X0Y0Z10.S500M03\r\nG84Z-3.R1.F500\r\n",
       {{51, 0, 10}, {52, 0, 1}, {53, 0, -3}, {11, 0, 1}, {8, 0, 1}, {54, 0, 10}}},
      {"G87 back boring", "G90G00X0Y0Z10.S500M03\r\nG87Z5.R-5.Q2.F100\r\n",
       {{51, 0, 10}, {52, 0, -5}, {6, 0, -5}, {5, 2, -5}, {13, 2, -5}, {7, 0, -5},
        {2, 0, 5}, {6, 0, 5}, {5, 2, 5}, {1, 2, 10}, {7, 0, 10}, {8, 0, 10}, {54, 0, 10}}},
  };
  for (const auto& c : cases) {
    auto d = program(c.prog);
    EXPECT_EQ(sub_moves(*d), c.moves) << c.name;
  }
}

TEST(NcdExec, CannedCycleStatistics) {
  auto d = program("G90G00X0Y0Z10.\r\nG83Z-10.R1.Q3.F100\r\n");
  run(*d);
  const NCD_TOOL_RUN& t = d->exec.tool;
  // Feeds: 3 + 3.1 + 3.1 + 2.1 (to the bottom); rapids: 9 to R, 3 + 6 + 9 up, 2.9 + 5.9 + 8.9
  // down ... and the return of 20.
  EXPECT_NEAR(t.cut_len, 11.3f, 1e-4f);
  EXPECT_NEAR(t.rapid_len, 9 + (3 + 6 + 9) + (2.9f + 5.9f + 8.9f) + 20, 1e-3f);
  EXPECT_EQ(t.pecks, 6);
  EXPECT_NEAR(t.time, 11.3f / 100 + t.rapid_len / 4000, 1e-5f);

  auto g87 = program("G90G00X0Y0Z10.S500M03\r\nG87X0Z5.R-5.Q2.F100\r\nG80G91G00X1.\r\n");
  run(*g87);
  EXPECT_EQ(g87->exec.cur.x, 1.0f);  // shifted back before the G91 move
  EXPECT_NEAR(g87->exec.tool.shift_len, 2 + 15 + 2 + 2 + 5 + 2, 1e-4f);
  EXPECT_EQ(g87->exec.tool.pecks, 6);
  EXPECT_EQ(g87->exec.spindle, 3);

  auto tap = program("G90G00X0Y0Z10.S500M03\r\nG84Z-3.R1.F500\r\n");
  run(*tap);
  EXPECT_TRUE(tap->exec.tool.pitch_set);
  EXPECT_FLOAT_EQ(tap->exec.tool.pitch, 1.0f);
  EXPECT_EQ(tap->exec.spindle, 3);
}

TEST(NcdExec, CannedCycleErrors) {
  struct Case {
    const char* prog;
    std::vector<std::uint16_t> errors;
  };
  const Case cases[] = {
      {"G90G00Z10.\r\nG83X0Z-10.R1.\r\n", {0x9035}},
      {"G90G00Z10.\r\nG83X0Z-10.R1.Q0\r\n", {0x9035}},
      {"G90G00Z10.\r\nG73X0Z-10.R1.Q0.0005\r\n", {0x9035}},
      {"G90G00Z10.\r\nG81X0Z5.R1.\r\n", {0x9033}},
      {"G90G00Z10.S500M03\r\nG74X0Z-5.R1.F500\r\n", {0x9034}},
      {"G90G00Z10.S500M04\r\nG84X0Z-5.R1.F500\r\n", {0x9037}},
      {"G90G00Z10.S500M03\r\nG84X0Z-5.R1.F500\r\nG84X5.Z-5.R1.F750\r\n", {0x9031}},
      {"G90G00Z10.S500M03\r\nG99G87X0Z5.R-5.Q1.\r\n", {0x9032}},
      {"G90G00Z10.\r\nG82X0Z-5.R1.\r\n", {0x9036}},
      {"G90G00Z10.\r\nG81X0Z-5.R1.L10000\r\n", {0x9015}},
      {"G90G00Z10.\r\nG83X0Z-10000.R1.Q0.01\r\n", {0x9038}},
  };
  for (const auto& c : cases) {
    auto d = program(c.prog);
    EXPECT_EQ(run(*d), c.errors) << c.prog;
    EXPECT_FALSE(d->exec.cyc.active) << c.prog;
  }
  // The configured peck return governs the pecks.
  auto pd = make_ncd();
  pd->exec_opt.peck_return = 0.5f;
  load_ncd(*pd, "G90G00X0Y0Z10.\r\nG73Z-5.R1.Q2.5F100\r\n");
  Reset_NCD_exec(*pd);
  EXPECT_EQ(pd->exec.peck_d, 0.5f);
  EXPECT_EQ(sub_moves(*pd)[3], (SubMove{0, 0, -1.0f}));
  // A Q of an earlier cycle block is used again.
  auto d = program("G90G00Z10.\r\nG83X0Z-10.R1.Q3.\r\nX5.\r\n");
  EXPECT_TRUE(run(*d).empty());
  EXPECT_EQ(d->exec.tool.pecks, 12);
  EXPECT_EQ(d->exec.cur.x, 5.0f);
}

// Executing a cycle one sub-move per call reaches the same end as whole blocks.
TEST(NcdExec, SubStepsEqualBlocks) {
  const char* progs[] = {
      "G90G00X0Y0Z10.\r\nG83Z-10.R1.Q3.F100\r\nX5.\r\nG80G01X0F200.\r\n",
      "G91G00Z10.\r\nG81X10.Y10.Z-5.R-8.L3F100\r\n",
      "G90G00X0Y0Z10.S1000M03\r\nG99G76X5.Z-10.R2.Q1.F50\r\nG98X7.\r\n",
      "G90G00X0Y0Z10.S500M03\r\nG87Z5.R-5.Q2.F100\r\n",
      "G90G00X0Y0Z10.S500M04\r\nG74Z-3.R1.P300F500\r\nG80\r\n",
      "G90G00X0Y0Z10.S500M03\r\nG84Z-3.R1.F500\r\nG89X3.Z-2.R2.P100\r\nG86X4.\r\nG88X5.\r\n"
      "G82X6.P50\r\nG85X7.\r\nG73X8.Q1.\r\n",
  };
  for (const char* p : progs) {
    auto a = program(p);
    auto b = program(p);
    run(*a, false);
    run(*b, true);
    const NCD_EXEC& x = a->exec;
    const NCD_EXEC& y = b->exec;
    SCOPED_TRACE(p);
    EXPECT_EQ(x.cur.x, y.cur.x);
    EXPECT_EQ(x.cur.y, y.cur.y);
    EXPECT_EQ(x.cur.z, y.cur.z);
    EXPECT_EQ(x.status, y.status);
    EXPECT_EQ(x.spindle, y.spindle);
    EXPECT_EQ(x.tool.time, y.tool.time);
    EXPECT_EQ(x.tool.cut_len, y.tool.cut_len);
    EXPECT_EQ(x.tool.rapid_len, y.tool.rapid_len);
    EXPECT_EQ(x.tool.shift_len, y.tool.shift_len);
    EXPECT_EQ(x.tool.pecks, y.tool.pecks);
    EXPECT_EQ(x.tool.rapid_count, y.tool.rapid_count);
    EXPECT_EQ(x.tool.dwell, y.tool.dwell);
    EXPECT_EQ(a->pos.block_count, b->pos.block_count);
    EXPECT_EQ(a->pos.next_line, b->pos.next_line);
    EXPECT_GT(a->pos.block_count, 1);
  }
}

TEST(NcdExec, Arcs) {
  struct Case {
    const char* prog;
    std::uint16_t error;
    float x, y, z;
    float len;  // cutting length
    float radius;
  };
  const float half5 = PI_F * 5;
  const Case cases[] = {
      {"G90G02X10.Y0I5.J0F100\r\n", 0, 10, 0, 0, half5, 5},
      {"G90G03X10.Y0I5.F100\r\n", 0, 10, 0, 0, half5, 5},
      {"G90G02X10.Y0I4.F100\r\n", 0x9021, 0, 0, 0, 0, 0},
      {"G90G02X5.Y5.R5.F100\r\n", 0, 5, 5, 0, PI_F * 5 / 2, 5},
      {"G90G02X5.Y5.R-5.F100\r\n", 0, 5, 5, 0, PI_F * 15 / 2, -5},
      // Half circles whose float chord comes out a hair longer than 2R.
      {"G90G00X0.07\r\nG02X2.17R1.05F100\r\n", 0, 2.17f, 0, 0, PI_F * 1.05f, 1.05f},
      {"G90G00X100.574\r\nG03X150.014R-24.72F100\r\n", 0, 150.014f, 0, 0, PI_F * 24.72f, -24.72f},
      {"G90G03X5.Y5.R5.F100\r\n", 0, 5, 5, 0, PI_F * 5 / 2, 5},
      {"G90G02I5.F100\r\n", 0, 0, 0, 0, 2 * PI_F * 5, 5},
      {"G91G03I5.Z-10.F100\r\n", 0, 0, 0, -10, std::hypot(2 * PI_F * 5, 10.f), 5},
      {"G90G02X0Y0R5.\r\n", 0x9021, 0, 0, 0, 0, 0},
      {"G90G02X20.R5.\r\n", 0x9021, 0, 0, 0, 0, 0},
      {"G90G02X10.I5.K1.\r\n", 0x9022, 0, 0, 0, 0, 0},
      {"G90G02X10.\r\n", 0x9024, 0, 0, 0, 0, 0},
      {"G90G02X1.R0.0005\r\n", 0x9025, 0, 0, 0, 0, 0},
      {"G90G02X1.I0.0005J-0.0005\r\n", 0x9026, 0, 0, 0, 0, 0},
      {"G90G18G03X10.Z0I5.K0F100\r\n", 0, 10, 0, 0, half5, 5},
      {"G90G18G02X10.I5.J1.\r\n", 0x9042, 0, 0, 0, 0, 0},
      {"G90G18G02X1.R0.0001\r\n", 0x9045, 0, 0, 0, 0, 0},
      {"G90G19G02Y10.Z0J5.F100\r\n", 0, 0, 10, 0, half5, 5},
      {"G90G19G02Y10.I1.J5.\r\n", 0x9052, 0, 0, 0, 0, 0},
      {"G90G19G02Y10.Z0K0.0001\r\n", 0x9056, 0, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    auto d = program(c.prog);
    std::vector<std::uint16_t> errs = run(*d);
    SCOPED_TRACE(c.prog);
    if (c.error) {
      EXPECT_EQ(errs, (std::vector<std::uint16_t>{c.error}));
      continue;
    }
    EXPECT_TRUE(errs.empty());
    const NCD_EXEC& e = d->exec;
    EXPECT_NEAR(e.cur.x, c.x, 1e-4f);
    EXPECT_NEAR(e.cur.y, c.y, 1e-4f);
    EXPECT_NEAR(e.cur.z, c.z, 1e-4f);
    EXPECT_NEAR(e.tool.cut_len, c.len, 1e-3f);
    EXPECT_NEAR(e.arc_r, c.radius, 1e-4f);
    EXPECT_TRUE(std::isfinite(e.tool.time));
  }
  // The centre of a long arc lies on the other side of the chord.
  auto s = program("G90G02X5.Y5.R5.\r\n");
  run(*s);
  auto l = program("G90G02X5.Y5.R-5.\r\n");
  run(*l);
  EXPECT_NEAR(s->exec.arc_i, 5.0f, 1e-4f);
  EXPECT_NEAR(s->exec.arc_j, 0.0f, 1e-4f);
  EXPECT_NEAR(l->exec.arc_i, 0.0f, 1e-4f);
  EXPECT_NEAR(l->exec.arc_j, 5.0f, 1e-4f);
  // The extents take in the arc's quadrant points.
  auto q = program("G90G02I5.F100\r\n");
  run(*q);
  EXPECT_NEAR(q->exec.ext_max.x, 10.0f, 1e-4f);
  EXPECT_NEAR(q->exec.ext_min.y, -5.0f, 1e-4f);
  EXPECT_NEAR(q->exec.ext_max.y, 5.0f, 1e-4f);
}

TEST(NcdExec, Subprograms) {
  auto d = program(
      "O1\r\nM98P10L2\r\nM98P10\r\nM30\r\n"
      "O10\r\nG91G01X1.F100\r\nM99\r\n");
  EXPECT_TRUE(run(*d).empty());
  EXPECT_EQ(d->exec.status, NCD_ST_ERROR);
  EXPECT_EQ(d->pos.cur_line, 3);
  EXPECT_EQ(d->exec.cur.x, 3.0f);
  EXPECT_EQ(d->exec.sub_depth, 0);
  EXPECT_STREQ(d->exec.sub_text.data(), "TAPE END");
  EXPECT_EQ(d->exec.o, 1);

  auto missing = program("O1\r\nM98P20\r\nG91X1.\r\nM30\r\n");
  EXPECT_EQ(run(*missing), (std::vector<std::uint16_t>{NCD_ERR_SUB_MISSING}));
  EXPECT_EQ(missing->exec.cur.x, 1.0f);

  auto self = program("O1\r\nM98P1\r\n");
  EXPECT_EQ(run(*self), (std::vector<std::uint16_t>{0x9013}));
  EXPECT_STREQ(self->exec.sub_text.data(), "endlessly loop");

  // O2 calling back the main program O1 is caught at its own M98, before O1 runs again.
  auto calling = program("O1\r\nG91X1.\r\nM98P2\r\nM30\r\nO2\r\nM98P1\r\nM99\r\n");
  EXPECT_EQ(run(*calling), (std::vector<std::uint16_t>{0x9013}));
  EXPECT_EQ(calling->exec.cur.x, 1.0f);

  auto deep = program(
      "O1\r\nM98P2\r\nM30\r\nO2\r\nM98P3\r\nM99\r\nO3\r\nM98P4\r\nM99\r\n"
      "O4\r\nM98P5\r\nM99\r\nO5\r\nM98P6\r\nM99\r\nO6\r\nM99\r\n");
  EXPECT_EQ(run(*deep), (std::vector<std::uint16_t>{0x9011}));
  EXPECT_EQ(deep->exec.sub_depth, 0);
  EXPECT_EQ(deep->pos.cur_line, 2);

  auto no_p = program("M98\r\n");
  EXPECT_EQ(run(*no_p), (std::vector<std::uint16_t>{0x9012}));

  auto main_m99 = program("G91X1.\r\nM99\r\nX2.\r\n");
  run(*main_m99);
  EXPECT_EQ(main_m99->exec.status, NCD_ST_ERROR);
  EXPECT_EQ(main_m99->pos.cur_line, 1);
  EXPECT_EQ(main_m99->exec.cur.x, 1.0f);

  // A call that would loop is not made: the program goes on after it, with its caller's
  // stack, and so meets its end.
  auto loop = program("M98P2\r\nM30\r\nO2\r\nM98P2\r\nO3\r\nM98P2\r\n");
  EXPECT_EQ(run(*loop), (std::vector<std::uint16_t>{0x9013, 0x9013}));
  EXPECT_EQ(loop->exec.sub_depth, 1);
  EXPECT_EQ(loop->exec.sub[1].prog, 2);
  EXPECT_LT(loop->pos.block_count, 10);

  auto zero = program("O1\r\nM98P10L0\r\nM30\r\nO10\r\nG91X1.\r\nM99\r\n");
  EXPECT_TRUE(run(*zero).empty());
  EXPECT_EQ(zero->exec.cur.x, 0.0f);
}

TEST(NcdExec, Texts) {
  std::string s;
  get_NCD_err_msg(0x9035, s);
  EXPECT_EQ(s, "固定サイクルでQ指定がありません。");
  get_NCD_err_msg(0x9003, s);
  EXPECT_EQ(s, "符号\"+-\"が数値の先頭にありません");
  get_NCD_err_msg(0x9999, s);
  EXPECT_EQ(s, "err_num= 9999 , 未定義エラー");
  get_NCD_err_msg(0x1234, s);
  EXPECT_EQ(s, "");

  auto d = program("F3\r\n");
  run(*d);
  const std::pair<int, const char*> kinds[] = {
      {51, "(FF)"}, {53, "(F3)"}, {3, "(dwell)"}, {4, "(CW & ↑)"}, {7, "(← Return)"},
      {13, "(In)"}, {77, " ???"}};
  for (const auto& [k, text] : kinds) {
    d->exec.cyc.kind = k;
    get_cycle_step_text(*d, s);
    EXPECT_EQ(s, text) << k;
  }
}

TEST(NcdExec, BlockTexts) {
  auto d = make_ncd();
  d->exec_opt.block_text = true;
  load_ncd(*d, "F1200.S800H3D7M03M08\r\nG90G81X0Z-1.R1.\r\n");
  Reset_NCD_exec(*d);
  run(*d);
  EXPECT_EQ(d->block_text.f, "F1200");
  EXPECT_EQ(d->block_text.s, "S800");
  EXPECT_EQ(d->block_text.h, "H03");
  EXPECT_EQ(d->block_text.d, "D07");
  EXPECT_EQ(d->block_text.m, "M03 M08");
  EXPECT_EQ(d->block_text.cycle, "G81");
}

// Half circles given by R: exact ones at coordinates up to 1000 have their centre at the
// chord's midpoint, also when the program's rounding makes the chord a little longer or
// shorter than 2|R|.
TEST(NcdExec, HalfCirclesGivenByR) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> coord(-1000000, 1000000), radius(1000, 50000), pick(0, 7);
  auto d = make_ncd();
  char text[160];
  for (int i = 0; i < 600; ++i) {
    const double x = coord(rng) / 1000.0, y = coord(rng) / 1000.0, r = radius(rng) / 1000.0;
    const int k = pick(rng);
    const double sign = (k & 1) ? 1 : -1;
    const double ex = (k & 2) ? x + sign * 2 * r : x, ey = (k & 2) ? y : y + sign * 2 * r;
    std::snprintf(text, sizeof text, "G90G00X%.3fY%.3f\nG0%dX%.3fY%.3fR%.3fF100\n", x, y,
                  (k & 4) ? 3 : 2, ex, ey, r);
    Clear_NCD(*d);
    load_ncd(*d, text);
    Reset_NCD_exec(*d);
    SCOPED_TRACE(text);
    ASSERT_TRUE(run(*d).empty());
    const VEC3 c = ncd_arc_centre(d->exec);
    ASSERT_NEAR(c.x, (x + ex) / 2, 1e-3);
    ASSERT_NEAR(c.y, (y + ey) / 2, 1e-3);
  }

  struct Case {
    const char* prog;
    std::uint16_t error;
    float ca, cb;  // centre in the plane's own axes
  };
  const Case cases[] = {
      {"G90G00X123.456Y78.901\nG02X143.456R10.F100\n", 0, 133.456f, 78.901f},
      // A CAM output rounded to three decimals: the chord is 20.0012.
      {"G90G00X0Y0\nG02X14.143Y14.143R10.F100\n", 0, 7.0715f, 7.0715f},
      {"G90G00X0Y0\nG03X20.002R-10.F100\n", 0, 10.001f, 0},
      {"G90G00X0Y0\nG02X19.999R10.F100\n", 0, 9.9995f, 0},
      {"G90G00X0Y0\nG02X20.003R10.F100\n", 0x9021, 0, 0},
      {"G90G18G00X123.456Z78.901\nG02X143.456R10.F100\n", 0, 78.901f, 133.456f},
      {"G90G19G00Y-500.25Z999.999\nG03Y-480.25R10.F100\n", 0, -490.25f, 999.999f},
      {"G90G19G00Y0Z0\nG03Y20.003R10.F100\n", 0x9051, 0, 0},
  };
  for (const auto& c : cases) {
    auto p = program(c.prog);
    SCOPED_TRACE(c.prog);
    const std::vector<std::uint16_t> errs = run(*p);
    if (c.error) {
      EXPECT_EQ(errs, (std::vector<std::uint16_t>{c.error}));
      continue;
    }
    ASSERT_TRUE(errs.empty());
    const VEC3 centre = ncd_arc_centre(p->exec);
    const std::uint32_t plane = p->exec.mode & 0x30;
    const float a = plane == 0x10 ? centre.x : (plane == 0x20 ? centre.z : centre.y);
    const float b = plane == 0x10 ? centre.y : (plane == 0x20 ? centre.x : centre.z);
    EXPECT_NEAR(a, c.ca, 1e-3f);
    EXPECT_NEAR(b, c.cb, 1e-3f);
    // The arc runs through both of its ends.
    const NCD_EXEC& e = p->exec;
    EXPECT_NEAR(std::hypot(e.arc_i, e.arc_j, e.arc_k), std::fabs(e.arc_r), 1e-4f);
  }
}

// G92 names the current position: no move, no length; the moves after it start there.
TEST(NcdExec, G92NamesTheCurrentPosition) {
  struct Case {
    const char* prog;
    float x, y, z;
    float cut;  // cutting length; < 0 not checked
  };
  const Case cases[] = {
      {"G92X60.Y40.\nG91G01X10.F100\n", 70, 40, 0, 10},
      {"G90G00X5.Z3.\nG92X0\nG01X10.F100\n", 10, 0, 3, -1},
      {"G91G92X60.Z-2.\nG01Y5.F100\nG90X0\n", 0, 5, -2, 65},
      {"G90G01X7.F100\nG92Y40.\n", 7, 40, 0, -1},
  };
  for (const auto& c : cases) {
    auto d = program(c.prog);
    SCOPED_TRACE(c.prog);
    EXPECT_TRUE(run(*d).empty());
    const NCD_EXEC& e = d->exec;
    EXPECT_NEAR(e.cur.x, c.x, 1e-4);
    EXPECT_NEAR(e.cur.y, c.y, 1e-4);
    EXPECT_NEAR(e.cur.z, c.z, 1e-4);
    if (c.cut >= 0) {
      EXPECT_NEAR(e.tool.cut_len, c.cut, 1e-4);
    }
    EXPECT_EQ(e.mode & 0x0F, 7u);
  }
  // The G92 block itself moves nothing and stays a line that is kept, not simulated.
  auto d = program("G92X60.Y40.Z5.\n");
  ASSERT_FALSE(exec_NCD_word(*d, false));
  const NCD_EXEC& e = d->exec;
  EXPECT_EQ(e.prev.x, 60.0);
  EXPECT_EQ(e.seg_end.y, 40.0);
  EXPECT_EQ(e.tool.rapid_len, 0.0);
  EXPECT_EQ(e.tool.time, 0.0);
  EXPECT_FALSE(e.ext_set);
  EXPECT_TRUE(d->line(0).flags & NCD_WF_NOSIM);
}

// A program that ends every block with ";" runs its moves.
TEST(NcdExec, SemicolonEndsTheBlock) {
  auto d = program("G90G00X0Y0;\nG01X10.F100;\nY10.; X99.\nX0;(END\nM30;\n");
  EXPECT_TRUE(run(*d).empty());
  EXPECT_EQ(d->exec.cur.x, 0.0);
  EXPECT_EQ(d->exec.cur.y, 10.0);
  EXPECT_EQ(d->pos.cur_line, 4);
  EXPECT_NEAR(d->exec.tool.cut_len, 20.0, 1e-9);  // the first feed of a tool is not counted
}

// Incremental words and per-tool sums add up over many blocks without drifting.
TEST(NcdExec, LongIncrementalRunsDoNotDrift) {
  auto d = program("G91G01F100\nM98P2L3000\nM30\nO2\nX0.1Y0.07Z-0.001\nM99\n");
  EXPECT_TRUE(run(*d).empty());
  EXPECT_NEAR(d->exec.cur.x, 300.0, 2e-3);
  EXPECT_NEAR(d->exec.cur.y, 210.0, 2e-3);
  EXPECT_NEAR(d->exec.cur.z, -3.0, 2e-3);

  auto m = program("G91G01F100\nM98P2L100\nM30\nO2\nM98P3L1000\nM99\nO3\nX0.001\nM99\n");
  int blocks = 0;
  while (!exec_NCD_word(*m, false) && m->exec.status != NCD_ST_ERROR) ++blocks;
  EXPECT_GT(blocks, 200000);
  const NCD_EXEC& e = m->exec;
  EXPECT_NEAR(e.cur.x, 100.0, 2e-3);
  EXPECT_NEAR(e.tool.cut_len, 100.0, 2e-3);
  EXPECT_NEAR(e.tool.time, 1.0, 2e-5);  // minutes at F100
}

}  // namespace
