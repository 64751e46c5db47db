#include "platform/core/file_write.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::TempDir;

TEST(FileWrite, ReplacesTheTargetAndKeepsItsPermissions) {
  TempDir dir;
  const fs::path p = dir / "a.txt";
  std::string err;
  ASSERT_TRUE(plat::write_file_replacing(p, std::string("one\r\n\0x", 7), &err)) << err;
  EXPECT_EQ(read_file(p), std::string("one\r\n\0x", 7));
  ASSERT_EQ(::chmod(p.c_str(), 0640), 0);
  ASSERT_TRUE(plat::write_file_replacing(p, "two", &err)) << err;
  EXPECT_EQ(read_file(p), "two");
  struct stat st {};
  ASSERT_EQ(::stat(p.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(FileWrite, FailureSaysWhyAndLeavesNothing) {
  TempDir dir;
  std::string err;
  EXPECT_FALSE(plat::write_file_replacing(dir / "no" / "a.txt", "x", &err));
  EXPECT_NE(err.find("No such file"), std::string::npos) << err;
  // A folder in the way of the target: the rename fails, the folder stays.
  fs::create_directory(dir / "b.txt");
  fs::create_directory(dir / "b.txt" / "inner");
  EXPECT_FALSE(plat::write_file_replacing(dir / "b.txt", "x", &err));
  EXPECT_TRUE(fs::is_directory(dir / "b.txt" / "inner"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(FileWrite, StreamedWriteLandsWholeOrNotAtAll) {
  TempDir dir;
  const fs::path p = dir / "big.bin";
  std::string err;
  // More than the stream's buffer, in pieces of odd sizes.
  std::string expect;
  ASSERT_TRUE(plat::write_file_replacing(
      p,
      [&](std::ostream& out) {
        for (int i = 0; i < 5000; ++i) {
          std::string piece(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26));
          out << piece;
          expect += piece;
        }
        return true;
      },
      &err))
      << err;
  EXPECT_EQ(read_file(p), expect);
  // A writer that gives up halfway leaves the old file and no temporary file.
  EXPECT_FALSE(plat::write_file_replacing(
      p, [](std::ostream& out) { out << "partial"; return false; }, &err));
  EXPECT_EQ(read_file(p), expect);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}
