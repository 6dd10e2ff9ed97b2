// What the contract tests of the seam share. The suite runs on the simulated machine and, built
// for Windows, under Wine; everything here goes through os:: only, so it means the same on both.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os.h"

namespace contract {

// The running test program's directory, with its trailing backslash.
std::string ProgramDirectory();

// The helper program beside the test program. Started with one parameter, a file name, it
// creates that file (relative to its current directory unless the name is a full path) with
// the content kHelperMark, and exits with code 0.
std::string HelperProgram();
inline constexpr char kHelperMark[] = "done";

// The console font that the build derives, mrk_lccs.ttf, lies beside the test program.
std::string ConsoleFontFile();

// The test program carries a version resource of file version 1.2.3.4.
inline constexpr std::uint32_t kOwnVersionMS = 0x00010002;
inline constexpr std::uint32_t kOwnVersionLS = 0x00030004;

// kernel32.dll by its full path in the system directory, and one of its entry points.
std::string Kernel32Path();
inline constexpr char kKernel32Entry[] = "GetTickCount";

// Whether the read-only attribute keeps writers out. It does on Windows and on the simulated
// machine; Wine keeps the attribute in the Unix permission bits, which do not bind root.
bool ReadOnlyFilesRefuseWriting();

// The error of unlocking a range that is not locked: ERROR_NOT_LOCKED on Windows and on the
// simulated machine; Wine's server reports a lock conflict (ERROR_LOCK_VIOLATION) instead.
std::uint32_t UnlockingAnUnlockedRangeError();

// `folder` through another drive letter while the object lives: one made with subst ("Q:\\")
// on Windows and on the simulated machine; under Wine, whose drive letters live in the prefix
// and not in the object namespace, Z:, which names the Unix root.
class SecondDriveLetter {
 public:
  explicit SecondDriveLetter(const std::string& folder);
  ~SecondDriveLetter();
  SecondDriveLetter(const SecondDriveLetter&) = delete;
  SecondDriveLetter& operator=(const SecondDriveLetter&) = delete;
  // The folder by that letter, with a trailing backslash.
  const std::string& Root() const { return root_; }

 private:
  std::string root_;
  bool defined_ = false;
};

// The text with its ASCII letters in upper case.
std::string Upper(std::string text);

// Whole-file helpers on top of CreateFileA/WriteFile/ReadFile; they fail the test on error.
void WriteWholeFile(const std::string& path, const std::string& bytes);
std::string ReadWholeFile(const std::string& path);
bool Exists(const std::string& path);

// A test with a fresh directory of its own under the temporary directory. Whatever a test
// creates through Path() and Directory() is removed again after it, read-only files included.
class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The scratch directory, with its trailing backslash.
  const std::string& Scratch() const { return scratch_; }
  // A path inside the scratch directory, removed after the test if it exists.
  std::string Path(const std::string& name);
  // Creates a directory inside the scratch directory, removed after the test.
  std::string Directory(const std::string& name);

 private:
  std::string scratch_;
  std::vector<std::string> created_;  // removed in reverse order
};

}  // namespace contract
