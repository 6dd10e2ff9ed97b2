#include "sysenv/file_access.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/os.h"
#include "tests/sim/machine.h"

namespace sanivo {
namespace {

const std::string kLive = "C:\\WINDOWS\\system32\\NTVDM.EXE";
const std::string kTemporary = TemporaryNameFor(kLive);
const std::string kOriginal("MZ original\0image", 17);
const std::string kPatched("MZ patched\0image, longer", 24);

TEST(ReplaceFileContentsTest, MovesAFlushedFileFromBesideTheOriginalOverIt) {
  sim::Machine machine;
  machine.AddFile(kLive, kOriginal);

  ReplaceFileContents(kLive, kPatched);

  EXPECT_EQ(machine.FileBytes(kLive), kPatched);
  EXPECT_FALSE(machine.HasFile(kTemporary));
  EXPECT_EQ(machine.OpenHandleCount(), 0);
  EXPECT_THAT(machine.CallsTo("MoveFileExA"),
              ::testing::ElementsAre(kTemporary + "|" + kLive + "|9"));
}

// Whatever step fails, or is refused by the system, the original stays byte for byte and no
// temporary file is left: the replace is all or nothing.
TEST(ReplaceFileContentsTest, EveryFailureLeavesTheOriginalAndNoTemporaryFile) {
  const struct {
    const char* what;
    std::function<void(sim::Machine&)> arrange;
  } cases[] = {
      {"temporary file not created",
       [](sim::Machine& m) { m.Fail("CreateFileA", kTemporary, os::kErrorAccessDenied); }},
      {"write cut", [](sim::Machine& m) { m.Fail("WriteFile", kTemporary, os::kErrorWriteFault); }},
      {"flush failed",
       [](sim::Machine& m) { m.Fail("FlushFileBuffers", kTemporary, os::kErrorWriteFault); }},
      {"move failed",
       [](sim::Machine& m) { m.Fail("MoveFileExA", kLive, os::kErrorAccessDenied); }},
      {"original read-only", [](sim::Machine& m) { m.SetReadOnly(kLive, true); }},
      {"original held open without delete sharing",
       [](sim::Machine& m) { m.HoldOpen(kLive, os::kGenericRead, os::kFileShareRead); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim::Machine machine;
    machine.AddFile(kLive, kOriginal);
    c.arrange(machine);
    const auto listing = machine.Listing();

    EXPECT_THROW(ReplaceFileContents(kLive, kPatched), EFileAccessError);

    EXPECT_EQ(machine.FileBytes(kLive), kOriginal);
    EXPECT_EQ(machine.Listing(), listing);
    EXPECT_EQ(machine.OpenHandleCount(), 0);
  }
}

// A close that fails may have lost the data just as a failed write: nothing is moved.
TEST(ReplaceFileContentsTest, FailedCloseOfTheTemporaryFileStopsBeforeTheMove) {
  sim::Machine machine;
  machine.AddFile(kLive, kOriginal);
  machine.Fail("CloseHandle", "", os::kErrorWriteFault, 1);
  EXPECT_THROW(ReplaceFileContents(kLive, kPatched), EFileAccessError);
  EXPECT_EQ(machine.FileBytes(kLive), kOriginal);
  EXPECT_EQ(machine.CallCount("MoveFileExA"), 0);
}

// A new file appears whole under its name or not at all, and never over an existing one.
TEST(CreateFileWithContentsTest, NewFileOnlyAndWholeOrNothing) {
  const std::string target = "C:\\zal\\20261208.bak";
  sim::Machine machine;
  machine.AddDirectory("C:\\zal");
  CreateFileWithContents(target, kOriginal);
  EXPECT_EQ(machine.FileBytes(target), kOriginal);
  EXPECT_FALSE(machine.HasFile(TemporaryNameFor(target)));

  auto listing = machine.Listing();
  EXPECT_THROW(CreateFileWithContents(target, kPatched), EFileAccessError);
  EXPECT_EQ(machine.FileBytes(target), kOriginal);
  EXPECT_EQ(machine.Listing(), listing);

  const std::string other = "C:\\zal\\other.bak";
  machine.Fail("WriteFile", TemporaryNameFor(other), os::kErrorWriteFault);
  EXPECT_THROW(CreateFileWithContents(other, kPatched), EFileAccessError);
  EXPECT_EQ(machine.Listing(), listing);
  EXPECT_EQ(machine.OpenHandleCount(), 0);

  // A file of the user's under a name like ours stays as it was; a leftover of ours goes, unless
  // another writer still holds it.
  const std::string notes = "C:\\zal\\notes.txt";
  machine.AddFile(notes + ".tmp", "draft");
  machine.AddFile(TemporaryNameFor(notes), "left by a run that was killed");
  CreateFileWithContents(notes, kOriginal);
  EXPECT_EQ(machine.FileBytes(notes), kOriginal);
  EXPECT_EQ(machine.FileBytes(notes + ".tmp"), "draft");
  EXPECT_FALSE(machine.HasFile(TemporaryNameFor(notes)));
  const std::string held = "C:\\zal\\held.txt";
  machine.AddFile(TemporaryNameFor(held), "being written");
  machine.HoldOpen(TemporaryNameFor(held), os::kGenericWrite, 0);
  CreateFileWithContents(held, kOriginal);
  EXPECT_EQ(machine.FileBytes(TemporaryNameFor(held)), "being written");
  EXPECT_EQ(machine.FileBytes(held), kOriginal);
  // A folder that refuses us refuses every name in it: no second name is tried.
  machine.Fail("CreateFileA", TemporaryNameFor("C:\\zal\\denied.txt"), os::kErrorAccessDenied);
  const int createsBefore = machine.CallCount("CreateFileA");
  EXPECT_THROW(CreateFileWithContents("C:\\zal\\denied.txt", kOriginal), EFileAccessError);
  EXPECT_EQ(machine.CallCount("CreateFileA") - createsBefore, 1);
}

TEST(FileHoldsTest, OnlyAReadableFileWithExactlyTheseBytes) {
  sim::Machine machine;
  machine.AddFile(kLive, kOriginal);
  EXPECT_TRUE(FileHolds(kLive, kOriginal));
  EXPECT_FALSE(FileHolds(kLive, kPatched));
  EXPECT_FALSE(FileHolds(kLive + "x", ""));
  machine.Fail("ReadFile", kLive, os::kErrorWriteFault);
  EXPECT_FALSE(FileHolds(kLive, kOriginal));
}

}  // namespace
}  // namespace sanivo
