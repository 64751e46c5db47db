#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "tests/support/test_support.h"

using namespace plat;

TEST(MessageBox, ScriptedAnswersAndDefaults) {
  ScriptedMessageBoxes boxes;
  boxes.answer(IDNO);
  EXPECT_EQ(message_box("q1", "cap", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(message_box("q2", "cap", MB_OKCANCEL), IDOK);           // queue empty: default
  EXPECT_EQ(message_box("q3", "cap", MB_YESNO | MB_DEFBUTTON2), IDNO);
  ASSERT_EQ(boxes.shown.size(), 3u);
  EXPECT_EQ(boxes.shown[0].text, "q1");
  EXPECT_EQ(boxes.shown[0].flags, MB_YESNO | MB_ICONQUESTION);
  {
    ScriptedMessageBoxes inner;  // nesting restores the outer double
    message_box("inner", "c");
    EXPECT_EQ(inner.shown.size(), 1u);
  }
  message_box("q4", "c");
  EXPECT_EQ(boxes.shown.size(), 4u);
}

TEST(Input, LatchesAndBusyGuard) {
  EXPECT_FALSE(escape_pressed());  // nothing installed
  {
    ScriptedInput in;
    in.press(Key::Escape);
    EXPECT_TRUE(escape_pressed());
    EXPECT_FALSE(escape_pressed());
    in.press(Key::RButton);
    EXPECT_TRUE(mouse_button_down());
    EXPECT_FALSE(mouse_button_down());
    in.escape_after(5);
    int n = 0;
    while (!escape_pressed()) ++n;
    EXPECT_EQ(n, 2);  // reads 3 and 4 were false, read 5 true
  }
  EXPECT_FALSE(busy());
  {
    BusyGuard a;
    EXPECT_TRUE(a.acquired());
    EXPECT_TRUE(busy());
    BusyGuard b;
    EXPECT_FALSE(b.acquired());
  }
  EXPECT_FALSE(busy());
}

TEST(System, MeminfoParsing) {
  MemoryStatus m;
  ASSERT_TRUE(parse_meminfo("MemTotal:  1000 kB\nMemFree: 100 kB\nMemAvailable: 250 kB\n"
                            "SwapTotal: 40 kB\nSwapFree: 10 kB\n", m));
  EXPECT_EQ(m.total_phys, 1000u * 1024);
  EXPECT_EQ(m.avail_phys, 250u * 1024);
  EXPECT_EQ(m.total_swap, 40u * 1024);
  EXPECT_EQ(m.avail_swap, 10u * 1024);
  EXPECT_EQ(m.load_percent, 75);
  // An old kernel without MemAvailable falls back to MemFree.
  ASSERT_TRUE(parse_meminfo("MemTotal: 200 kB\nMemFree: 50 kB\n", m));
  EXPECT_EQ(m.avail_phys, 50u * 1024);
  EXPECT_FALSE(parse_meminfo("garbage\n", m));
  EXPECT_EQ(m.total_phys, 0u);
  MemoryStatus real;
  EXPECT_TRUE(memory_status(real));
  EXPECT_GT(real.total_phys, 0u);
}

// Large blocks start on a huge page and hold every byte asked for; small ones come from the
// heap; a vector over the allocator grows across the threshold keeping its contents.
TEST(System, LargeBlocks) {
  for (std::size_t bytes : {std::size_t{16}, std::size_t{4} << 20, (std::size_t{5} << 20) + 3,
                            std::size_t{64} << 20}) {
    auto* p = static_cast<unsigned char*>(plat::large_alloc(bytes));
    ASSERT_NE(p, nullptr);
    if (bytes >= (std::size_t{4} << 20))
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % (std::size_t{2} << 20), 0u) << bytes;
    p[0] = 1;
    p[bytes - 1] = 2;
    EXPECT_EQ(p[0] + p[bytes - 1], 3);
    plat::large_free(p, bytes);
  }
  std::vector<int, plat::LargeAllocator<int>> v;
  for (int i = 0; i < (3 << 20); ++i) v.push_back(i);  // 12 MiB: through both kinds of block
  EXPECT_EQ(v[12345], 12345);
  EXPECT_EQ(v.back(), (3 << 20) - 1);
  EXPECT_THROW(plat::large_alloc(static_cast<std::size_t>(-1) - 100), std::bad_alloc);
}

TEST(System, FoldersAndClock) {
  testing_support::TempDir tmp;
  std::uint32_t t0 = tick_ms();
  EXPECT_GE(tick_ms() - t0, 0u);
  EXPECT_FALSE(executable_folder().empty());
  // The build folder is writable, so it is the data folder.
  EXPECT_EQ(data_folder(), executable_folder());
  set_data_folder(tmp.path());
  EXPECT_EQ(data_folder(), tmp.path());

  setenv("XDG_DESKTOP_DIR", (tmp.path() / "Desk").c_str(), 1);
  EXPECT_EQ(desktop_folder(), tmp.path() / "Desk");
  EXPECT_TRUE(std::filesystem::is_directory(tmp.path() / "Desk"));
  unsetenv("XDG_DESKTOP_DIR");
}

TEST(System, LauncherGetsArgumentLists) {
  RecordingLauncher rec;
  EXPECT_TRUE(start_program("/opt/velmor", {"a b \"c\".NCD"}, "/tmp"));
  EXPECT_TRUE(open_with_desktop("/tmp"));
  ASSERT_EQ(rec.calls.size(), 2u);
  EXPECT_EQ(rec.calls[0].args.at(0), "a b \"c\".NCD");
  EXPECT_TRUE(rec.calls[1].open);
}

TEST(System, StartsARealProgram) {
  testing_support::TempDir tmp;
  auto out = tmp.path() / "touched";
  EXPECT_TRUE(start_program("/usr/bin/touch", {out.string()}));
  for (int i = 0; i < 200 && !std::filesystem::exists(out); ++i) usleep(10000);
  EXPECT_TRUE(std::filesystem::exists(out));
  EXPECT_FALSE(start_program("/no/such/program", {}));
}
