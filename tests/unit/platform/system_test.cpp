// The rest of the machine as a test sets it up: the version record and version resources,
// fonts, windows, libraries and the critical section.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/dll_search.h"
#include "platform/os.h"
#include "tests/sim/machine.h"

namespace {

// What the fake entry points were given.
const char* dllDirectory = "not called";
std::int64_t defaultDirectories = -1;

// XP has SetDllDirectoryA only; it must get the empty name, not a null one, which would put the
// current directory back into the search.
TEST(DllSearchTest, EachEntryPointThatIsThereNarrowsTheSearch) {
  using DefaultDirectories = int (*)(std::uint32_t);
  const auto setDllDirectory = [](const char* name) { return (dllDirectory = name) != nullptr; };
  const DefaultDirectories setDefault = [](std::uint32_t flags) {
    return static_cast<int>(defaultDirectories = flags);
  };
  for (const DefaultDirectories newer : {DefaultDirectories{nullptr}, setDefault}) {
    dllDirectory = "not called";
    defaultDirectories = -1;
    os::NarrowDllSearch(+setDllDirectory, newer);
    ASSERT_NE(dllDirectory, nullptr);
    EXPECT_STREQ(dllDirectory, "");
    EXPECT_EQ(defaultDirectories, newer == nullptr ? -1 : 0x800);
  }
}

class SystemTest : public ::testing::Test {
 protected:
  sim::Machine machine;
};

TEST_F(SystemTest, VersionRecordIsTheOneSetUp) {
  machine.SetVersion(1, 4, 10, " A ");
  os::OsVersionInfo info;
  info.dwOSVersionInfoSize = os::kOsVersionInfoSize;
  ASSERT_TRUE(os::GetVersionExA(info));
  EXPECT_EQ(info.dwPlatformId, 1u);
  EXPECT_EQ(info.dwMinorVersion, 10u);
  EXPECT_STREQ(info.szCSDVersion, " A ");
}

TEST_F(SystemTest, VersionBlockStandsOnItsOwn) {
  const std::string exe = "C:\\Program Files\\Morek\\sanivo.exe";
  machine.SetFileVersion(exe, 1, 2, 3, 4);
  std::uint32_t handle = 7;
  std::uint32_t size = os::GetFileVersionInfoSizeA(exe, &handle);
  ASSERT_GT(size, 0u);
  EXPECT_EQ(handle, 0u);
  std::vector<unsigned char> block(size);
  ASSERT_TRUE(os::GetFileVersionInfoA(exe, 0, size, block.data()));
  std::vector<unsigned char> copy = block;
  block.assign(size, 0xCC);  // the caller may reuse its first buffer
  const void* value = nullptr;
  std::uint32_t length = 0;
  ASSERT_TRUE(os::VerQueryValueA(copy.data(), "\\", &value, &length));
  ASSERT_EQ(length, sizeof(os::FixedFileInfo));
  os::FixedFileInfo info;
  std::memcpy(&info, value, sizeof info);
  EXPECT_EQ(info.dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(info.dwFileVersionMS, 0x00010002u);
  EXPECT_EQ(info.dwFileVersionLS, 0x00030004u);
  EXPECT_FALSE(os::VerQueryValueA(block.data(), "\\", &value, &length));

  EXPECT_EQ(os::GetFileVersionInfoSizeA("C:\\WINDOWS\\system32", nullptr), 0u);
  machine.AddFile("C:\\plain.exe");
  EXPECT_EQ(os::GetFileVersionInfoSizeA("C:\\plain.exe", nullptr), 0u);
  EXPECT_EQ(os::GetLastError(), 1813u);  // ERROR_RESOURCE_TYPE_NOT_FOUND
  EXPECT_EQ(os::GetFileVersionInfoSizeA("C:\\none.exe", nullptr), 0u);
  EXPECT_EQ(os::GetLastError(), os::kErrorFileNotFound);
}

TEST_F(SystemTest, FontResourceNeedsTheFontAndAFreeName) {
  const std::string fot = "C:\\DOCUME~1\\user\\LOCALS~1\\Temp\\mrk_lccs.fot";
  EXPECT_FALSE(os::CreateScalableFontResourceA(0, fot, "mrk_lccs.ttf", "C:\\WINDOWS\\Fonts\\"));
  EXPECT_EQ(os::GetLastError(), os::kErrorInvalidParameter);
  EXPECT_EQ(os::AddFontResourceA(fot), 0);

  machine.AddFile("C:\\WINDOWS\\Fonts\\mrk_lccs.ttf",
                  std::string("\0\1\0\0 and a TrueType body", 24));
  ASSERT_TRUE(os::CreateScalableFontResourceA(0, fot, "mrk_lccs.ttf", "C:\\WINDOWS\\Fonts\\"));
  EXPECT_TRUE(machine.HasFile(fot));
  EXPECT_FALSE(os::CreateScalableFontResourceA(0, fot, "mrk_lccs.ttf", "C:\\WINDOWS\\Fonts\\"));
  EXPECT_EQ(os::GetLastError(), os::kErrorFileExists);

  EXPECT_EQ(os::AddFontResourceA(fot), 1);
  EXPECT_EQ(machine.AddedFonts(), std::vector<std::string>{fot});
  // A font whose file went away after its resource file was made.
  os::DeleteFileA("C:\\WINDOWS\\Fonts\\mrk_lccs.ttf");
  EXPECT_EQ(os::AddFontResourceA(fot), 0);
  os::SendMessageA(os::kBroadcast, os::kWmFontChange, 0, 0);
  ASSERT_EQ(machine.Broadcasts().size(), 1u);
  EXPECT_EQ(machine.Broadcasts()[0].message, os::kWmFontChange);
}

TEST_F(SystemTest, WindowsAreFoundByClassAndKeepWhatIsPosted) {
  EXPECT_EQ(os::FindWindowA("TKeloConsoleMainWindow"), 0u);
  os::Hwnd window = machine.AddWindow("TKeloConsoleMainWindow");
  ASSERT_EQ(os::FindWindowA("tkeloconsolemainwindow"), window);
  EXPECT_TRUE(os::PostMessageA(window, 9999, 65, 0));
  ASSERT_EQ(machine.Posted(window).size(), 1u);
  EXPECT_EQ(machine.Posted(window)[0].wParam, 65u);
  EXPECT_FALSE(os::PostMessageA(window + 2, 9999, 65, 0));
  EXPECT_EQ(os::GetLastError(), 1400u);  // ERROR_INVALID_WINDOW_HANDLE
}

int Answer() { return 42; }

TEST_F(SystemTest, LibrariesCountTheirLoads) {
  const std::string dll = "C:\\Program Files\\Morek\\iconv.dll";
  machine.AddLibrary(dll, "libiconv_open", reinterpret_cast<void*>(&Answer));
  const os::Module module = os::LoadLibraryA(dll);
  ASSERT_NE(module, 0u);
  EXPECT_EQ(os::GetProcAddress(module, "libiconv_open"), reinterpret_cast<void*>(&Answer));
  EXPECT_EQ(os::LoadLibraryA(dll), module);
  EXPECT_TRUE(os::FreeLibrary(module));
  EXPECT_EQ(machine.LoadedLibraryCount(), 1);
  EXPECT_TRUE(os::FreeLibrary(module));
  EXPECT_EQ(machine.LoadedLibraryCount(), 0);
  EXPECT_FALSE(os::FreeLibrary(module));
}

TEST_F(SystemTest, CriticalSectionCountsItsEntries) {
  os::CriticalSection section;
  section.Enter();
  section.Enter();
  section.Leave();
  section.Leave();
  EXPECT_DEATH(section.Leave(), "without Enter");
}

}  // namespace

namespace {

TEST(MachineLifeTest, CallsNeedExactlyOneLivingMachine) {
  EXPECT_DEATH(os::Sleep(1), "os:: call without a sim::Machine: Sleep");
  sim::Machine machine;
  EXPECT_DEATH(sim::Machine(), "a second sim::Machine");
}

}  // namespace
