#include <gtest/gtest.h>

#include <cstdlib>

#include "common/widgets/new_ctrls.h"
#include "platform/core/msgbox.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

TEST(TFileOperation, OptionsMapToShellFlags) {
  TFileOperation op;
  EXPECT_EQ(op.Options, (TFileOpFlags{fofAllowUndo, fofFilesOnly}));
  EXPECT_EQ(op.Options.shell_flags(), 0x40u | 0x80u);
  TFileOpFlags all{fofMultiDestFiles, fofConfirmMouse,   fofSilent,         fofRenameOnCollision,
                   fofNoConfirmation, fofWantMappingHandle, fofAllowUndo,   fofFilesOnly,
                   fofSimpleProgress, fofNoConfirmMkdir, fofNoErrorUI};
  EXPECT_EQ(all.shell_flags(), 0x7DFu);  // no bit for the mapping handle
  EXPECT_EQ(TFileOpFlags{fofWantMappingHandle}.shell_flags(), 0u);
}

TEST(TFileOperation, CopyIntoFolderWithWildcardAndCollisions) {
  TempDir dir;
  write_file(dir / "a.nc", "A");
  write_file(dir / "b.nc", "B");
  write_file(dir / "c.txt", "C");
  fs::create_directory(dir / "sub.nc");
  TFileOperation op;
  op.Options = {fofNoConfirmation, fofFilesOnly};
  op.SetFromFiles({dir / "*.nc"});
  op.SetToFiles({dir / "out"});
  EXPECT_FALSE(op.Execute(foCopy));
  EXPECT_EQ(read_file(dir / "out/a.nc"), "A");
  EXPECT_EQ(read_file(dir / "out/b.nc"), "B");
  EXPECT_FALSE(fs::exists(dir / "out/c.txt"));
  EXPECT_FALSE(fs::exists(dir / "out/sub.nc"));  // files only under a wildcard
  EXPECT_TRUE(fs::exists(dir / "a.nc"));

  // Overwrite after confirmation: No skips (and counts as not done), Yes replaces.
  write_file(dir / "a.nc", "A2");
  op.Options = {};
  {
    plat::ScriptedMessageBoxes boxes;
    boxes.answer(plat::IDNO);
    EXPECT_TRUE(op.Execute(foCopy, {dir / "a.nc"}, {dir / "out"}));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("a.nc"), std::string::npos);
    EXPECT_EQ(read_file(dir / "out/a.nc"), "A");
    boxes.answer(plat::IDYES);
    EXPECT_FALSE(op.Execute(foCopy, {dir / "a.nc"}, {dir / "out"}));
    EXPECT_EQ(read_file(dir / "out/a.nc"), "A2");
  }
  // Rename on collision keeps both.
  op.Options = {fofRenameOnCollision};
  write_file(dir / "a.nc", "A3");
  EXPECT_FALSE(op.Execute(foCopy, {dir / "a.nc"}, {dir / "out"}));
  EXPECT_EQ(read_file(dir / "out/a.nc"), "A2");
  EXPECT_EQ(read_file(dir / "out/a (2).nc"), "A3");

  // A missing source is reported (here without a box) and reported as not done.
  op.Options = {fofNoErrorUI};
  EXPECT_TRUE(op.Execute(foCopy, {dir / "missing.nc"}, {dir / "out"}));
}

TEST(TFileOperation, MoveRenameAndFolders) {
  TempDir dir;
  write_file(dir / "a.nc", "A");
  fs::create_directories(dir / "tree/deep");
  write_file(dir / "tree/deep/x.nc", "X");
  TFileOperation op;
  op.Options = {fofNoConfirmation};
  EXPECT_FALSE(op.Execute(foMove, {dir / "a.nc"}, {dir / "moved.nc"}));
  EXPECT_FALSE(fs::exists(dir / "a.nc"));
  EXPECT_EQ(read_file(dir / "moved.nc"), "A");
  EXPECT_FALSE(op.Execute(foCopy, {dir / "tree"}, {dir / "tree2"}));
  EXPECT_EQ(read_file(dir / "tree2/deep/x.nc"), "X");
  EXPECT_FALSE(op.Execute(foRename, {dir / "moved.nc"}, {"renamed.nc"}));
  EXPECT_EQ(read_file(dir / "renamed.nc"), "A");
  // Renaming onto an existing name is refused.
  write_file(dir / "other.nc", "O");
  op.Options = {fofNoErrorUI};
  EXPECT_TRUE(op.Execute(foRename, {dir / "renamed.nc"}, {dir / "other.nc"}));
  EXPECT_EQ(read_file(dir / "other.nc"), "O");
  // Several destinations, one per source.
  op.Options = {fofMultiDestFiles, fofNoConfirmation};
  EXPECT_FALSE(op.Execute(foCopy, {dir / "renamed.nc", dir / "other.nc"},
                          {dir / "m1.nc", dir / "m2.nc"}));
  EXPECT_EQ(read_file(dir / "m1.nc"), "A");
  EXPECT_EQ(read_file(dir / "m2.nc"), "O");
}

TEST(TFileOperation, FolderIsNotCopiedIntoItself) {
  TempDir dir;
  fs::create_directories(dir / "tree/deep");
  write_file(dir / "tree/deep/x.nc", "X");
  TFileOperation op;
  op.Options = {fofNoConfirmation, fofNoErrorUI};
  // Refused as a whole: no copy nested in the source, which would grow until the path is
  // too long.
  EXPECT_TRUE(op.Execute(foCopy, {dir / "tree"}, {dir / "tree/inner"}));
  EXPECT_FALSE(fs::exists(dir / "tree/inner"));
  EXPECT_TRUE(op.Execute(foCopy, {dir / "tree"}, {dir / "tree"}));
  EXPECT_TRUE(op.Execute(foMove, {dir / "tree"}, {dir / "tree/deep/in"}));
  EXPECT_EQ(read_file(dir / "tree/deep/x.nc"), "X");
  EXPECT_FALSE(fs::exists(dir / "tree/deep/in"));
  // A sibling whose name merely begins with the source's is fine.
  EXPECT_FALSE(op.Execute(foCopy, {dir / "tree"}, {dir / "tree2"}));
  EXPECT_EQ(read_file(dir / "tree2/deep/x.nc"), "X");
}

TEST(TFileOperation, DeleteConfirmedOrToTheTrash) {
  TempDir dir;
  write_file(dir / "a.nc", "A");
  write_file(dir / "b.nc", "B");
  TFileOperation op;
  op.Options = {};
  {
    plat::ScriptedMessageBoxes boxes;
    boxes.answer(plat::IDNO);
    EXPECT_TRUE(op.Execute(foDelete, {dir / "a.nc"}, {}));
    EXPECT_TRUE(fs::exists(dir / "a.nc"));
    boxes.answer(plat::IDYES);
    EXPECT_FALSE(op.Execute(foDelete, {dir / "a.nc"}, {}));
    EXPECT_FALSE(fs::exists(dir / "a.nc"));
  }
  // With undo the file goes to the user's trash.
  const char* old = std::getenv("XDG_DATA_HOME");
  std::string saved = old ? old : "";
  setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  fs::create_directories(dir / "data");
  op.Options = {fofAllowUndo, fofNoConfirmation};
  EXPECT_FALSE(op.Execute(foDelete, {dir / "b.nc"}, {}));
  EXPECT_FALSE(fs::exists(dir / "b.nc"));
  EXPECT_EQ(read_file(dir / "data/Trash/files/b.nc"), "B");
  if (old) setenv("XDG_DATA_HOME", saved.c_str(), 1);
  else unsetenv("XDG_DATA_HOME");
}

}  // namespace
