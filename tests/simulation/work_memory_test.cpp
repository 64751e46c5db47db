// The work store refuses works that do not fit in the available memory less the reserve,
// before it allocates anything.
#include <gtest/gtest.h>

#include <memory>

#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "simulation/work_file.h"
#include "simulation/work_store.h"
#include "tests/support/test_support.h"

namespace {

std::uint64_t g_avail = 0;
bool fake_memory(plat::MemoryStatus& out) {
  out = plat::MemoryStatus{};
  out.avail_phys = g_avail;
  out.total_phys = g_avail;
  return true;
}
bool no_memory_figure(plat::MemoryStatus& out) {
  out = plat::MemoryStatus{};
  return false;
}

struct Memory : ::testing::Test {
  std::unique_ptr<Tmat> m = std::make_unique<Tmat>();
  const std::uint8_t col[4] = {1, 2, 3, 255};
  void SetUp() override {
    g_avail = WORK_MEMORY_RESERVE + (64ull << 20);  // 64 MB for works
    plat::set_memory_status_source(fake_memory);
  }
  void TearDown() override { plat::set_memory_status_source(nullptr); }
  bool make(int slot, int n) {
    SET_WORK_NUM(*m, slot);
    return CREATE_WORK(*m, col, n, n, true, false, {0, 0, -10}, {100, 100, 0});
  }
};

TEST_F(Memory, EstimateCountsGridBackupCoordinatesAndTiles) {
  // 4095 divisions: 4096 x 4096 points of 12 bytes, 128 x 128 tiles of 16 bytes (bounds,
  // epoch, revision).
  EXPECT_EQ(work_memory_bytes(4095, 4095, false), 4096ull * 4096 * 12 + 8192 * 4 + 128 * 128 * 16);
  EXPECT_EQ(work_memory_bytes(4095, 4095, true),
            2 * 4096ull * 4096 * 12 + 8192 * 4 + 128 * 128 * 16);
  EXPECT_EQ(work_memory_bytes(0, 0, false), 12u + 8 + 16);
}

TEST_F(Memory, TooLargeWorksAreRefusedBeforeAnythingChanges) {
  ASSERT_TRUE(make(0, 100));
  // 3000 x 3000 divisions need 103 MB: refused with the figures, nothing made.
  EXPECT_FALSE(make(1, 3000));
  EXPECT_FALSE(m->works[1].in_use);
  EXPECT_EQ(m->last_error(),
            "ワーク用のメモリが確保できませんでした\n( 必要 104 MB / 空き 64 MB )");
  // A rebuild that does not fit keeps the old work whole.
  EXPECT_FALSE(RESIZE_WORK_MATRIX(*m, 0, 3000, 3000));
  EXPECT_EQ(m->works[0].nx, 100);
  EXPECT_EQ(m->works[0].grid.size(), 101u * 101u);
  // A jig's backup that does not fit keeps it a work.
  ASSERT_TRUE(make(2, 2000));  // 46 MB
  g_avail = WORK_MEMORY_RESERVE + (30ull << 20);
  plat::ScriptedMessageBoxes boxes;
  EXPECT_FALSE(CHANGE_WORK_to_ZIGU_MODE(*m, 2));
  EXPECT_EQ(m->works[2].jig, 0);
  EXPECT_TRUE(m->works[2].backup.empty());
}

TEST_F(Memory, FileWhoseGridsDoNotFitAddsNone) {
  testing_support::TempDir dir;
  g_avail = WORK_MEMORY_RESERVE + (200ull << 20);
  ASSERT_TRUE(make(0, 2000));
  ASSERT_TRUE(make(1, 2000));
  plat::ScriptedMessageBoxes boxes;
  ASSERT_TRUE(SAVE_WORK_DATA(*m, dir / "two.wok", 0, 0));
  g_avail = WORK_MEMORY_RESERVE + (60ull << 20);  // one such grid fits, two do not
  int first = -1;
  EXPECT_FALSE(LOAD_WORK_DATA(*m, dir / "two.wok", true, first));
  EXPECT_EQ(first, -1);
  EXPECT_FALSE(m->works[2].in_use);
  EXPECT_EQ(boxes.shown.back().caption, "File read Error");
  // Replacing the works in use counts their room as free: the same 60 MB take both.
  EXPECT_NE(m->last_error().find("read ERR ワーク用のメモリが確保できませんでした"), std::string::npos);
  boxes.answer(plat::IDOK);
  EXPECT_TRUE(LOAD_WORK_DATA(*m, dir / "two.wok", false, first));
  EXPECT_TRUE(m->works[1].in_use);
}

TEST_F(Memory, WithoutAFigureTheAllocationGoesAhead) {
  plat::set_memory_status_source(no_memory_figure);
  EXPECT_TRUE(make(0, 3000));
}

}  // namespace
