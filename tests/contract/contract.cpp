#include "tests/contract/contract.h"

#include <algorithm>

#include "base/file_names.h"
#include "platform/module_file_name.h"

namespace contract {

namespace {

// Under Wine, a program that ran in a directory holds it for a moment after its end.
bool RemoveDirectoryPatiently(const std::string& path) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (os::RemoveDirectoryA(path)) return true;
    if (os::GetLastError() != os::kErrorSharingViolation) return false;
    os::Sleep(100);
  }
  return false;
}

}  // namespace

std::string ProgramDirectory() { return sanivo::ExtractFilePath(sanivo::ModuleFileName()); }

std::string HelperProgram() { return ProgramDirectory() + "contract_helper.exe"; }

std::string ConsoleFontFile() { return ProgramDirectory() + "mrk_lccs.ttf"; }

std::string Kernel32Path() {
  std::string system;
  os::GetSystemDirectoryA(os::kMaxPath, system);
  return system + "\\kernel32.dll";
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  const os::Handle file =
      os::CreateFileA(path, os::kGenericWrite, 0, os::kCreateAlways, os::kFileAttributeNormal);
  ASSERT_NE(file, os::kInvalidHandle) << path << ": error " << os::GetLastError();
  std::uint32_t written = 0;
  EXPECT_TRUE(os::WriteFile(file, bytes, &written)) << path;
  EXPECT_EQ(written, bytes.size()) << path;
  EXPECT_TRUE(os::CloseHandle(file));
}

std::string ReadWholeFile(const std::string& path) {
  const os::Handle file =
      os::CreateFileA(path, os::kGenericRead, os::kFileShareRead, os::kOpenExisting, 0);
  EXPECT_NE(file, os::kInvalidHandle) << path << ": error " << os::GetLastError();
  if (file == os::kInvalidHandle) return {};
  std::string content;
  std::string chunk;
  while (os::ReadFile(file, 4096, chunk) && !chunk.empty()) content += chunk;
  os::CloseHandle(file);
  return content;
}

bool Exists(const std::string& path) {
  return os::GetFileAttributesA(path) != os::kInvalidFileAttributes;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

void ScratchTest::SetUp() {
  std::string temp;
  ASSERT_NE(os::GetTempPathA(os::kMaxPath, temp), 0u);
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  scratch_ = temp + "contract-" + test->test_suite_name() + "-" + test->name() + "\\";
  ASSERT_TRUE(os::CreateDirectoryA(scratch_)) << scratch_ << ": error " << os::GetLastError();
}

void ScratchTest::TearDown() {
  std::reverse(created_.begin(), created_.end());
  for (const std::string& path : created_) {
    const std::uint32_t attributes = os::GetFileAttributesA(path);
    if (attributes == os::kInvalidFileAttributes) continue;
    if (attributes & os::kFileAttributeDirectory) {
      EXPECT_TRUE(RemoveDirectoryPatiently(path)) << path << ": error " << os::GetLastError();
    } else {
      os::SetFileAttributesA(path, os::kFileAttributeNormal);
      EXPECT_TRUE(os::DeleteFileA(path)) << path << ": error " << os::GetLastError();
    }
  }
  EXPECT_TRUE(RemoveDirectoryPatiently(scratch_)) << scratch_ << ": error " << os::GetLastError();
}

std::string ScratchTest::Path(const std::string& name) {
  created_.push_back(scratch_ + name);
  return created_.back();
}

std::string ScratchTest::Directory(const std::string& name) {
  const std::string path = Path(name);
  EXPECT_TRUE(os::CreateDirectoryA(path)) << path;
  return path;
}

}  // namespace contract
