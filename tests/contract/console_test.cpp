// The console calls when standard output is not a console, as under a test runner or a
// redirection: every call reports failure and nothing is written, while plain writes go on.
#include "tests/contract/contract.h"

namespace contract {
namespace {

TEST(ConsoleTest, ScreenCallsOnANonConsoleOutputFailAndWriteNothing) {
  const os::Handle output = os::GetStdHandle(os::kStdOutputHandle);
  ASSERT_NE(output, os::kInvalidHandle);
  ASSERT_NE(output, 0u);

  const os::Coord largest = os::GetLargestConsoleWindowSize(output);
  EXPECT_EQ(largest.X, 0);
  EXPECT_EQ(largest.Y, 0);

  std::uint32_t written = 99;
  os::SetLastError(0);
  EXPECT_FALSE(os::FillConsoleOutputCharacterA(output, ' ', 80 * 25, os::Coord{0, 0}, &written));
  EXPECT_EQ(os::GetLastError(), os::kErrorInvalidHandle);
  EXPECT_EQ(written, 0u);

  written = 99;
  os::SetLastError(0);
  EXPECT_FALSE(os::FillConsoleOutputAttribute(output, 0x1F, 80 * 25, os::Coord{0, 0}, &written));
  EXPECT_EQ(os::GetLastError(), os::kErrorInvalidHandle);
  EXPECT_EQ(written, 0u);

  os::SetLastError(0);
  EXPECT_FALSE(os::SetConsoleTextAttribute(output, 0x1E));
  EXPECT_EQ(os::GetLastError(), os::kErrorInvalidHandle);

  os::SetLastError(0);
  EXPECT_FALSE(os::SetConsoleCursorPosition(output, os::Coord{10, 6}));
  EXPECT_EQ(os::GetLastError(), os::kErrorInvalidHandle);
}

TEST(ConsoleTest, PlainWritesToStandardOutputAndErrorGoThrough) {
  for (const std::int32_t which : {os::kStdOutputHandle, os::kStdErrorHandle}) {
    std::uint32_t written = 0;
    EXPECT_TRUE(os::WriteFile(os::GetStdHandle(which), "\r\n", &written));
    EXPECT_EQ(written, 2u);
  }
}

// The suite runs with its output piped, and Wine then gives the program no console at all.
// In a console window of its own the list holds the program alone, and started from cmd, cmd
// as well: the start-up scenarios show those two.
TEST(ConsoleTest, ProcessListWithoutAConsoleFailsAfterCheckingTheBuffer) {
  std::uint32_t processIds[2] = {};
  os::SetLastError(0);
  EXPECT_EQ(os::GetConsoleProcessList(processIds, 0), 0u);
  EXPECT_EQ(os::GetLastError(), os::kErrorInvalidParameter);
  EXPECT_EQ(os::GetConsoleProcessList(processIds, 2), 0u);
  EXPECT_EQ(os::GetLastError(), os::kErrorInvalidHandle);
}

}  // namespace
}  // namespace contract
