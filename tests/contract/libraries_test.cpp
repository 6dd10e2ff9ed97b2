// Libraries loaded at run time by full path, the clock, fonts and the window lookup.
#include "tests/contract/contract.h"

namespace contract {
namespace {

constexpr std::uint32_t kErrorModNotFound = 126;
constexpr std::uint32_t kErrorProcNotFound = 127;

TEST(LibrariesTest, LibraryLoadedByFullPathGivesItsEntryPoints) {
  const os::Module module = os::LoadLibraryA(Kernel32Path());
  ASSERT_NE(module, 0u) << Kernel32Path() << ": error " << os::GetLastError();
  EXPECT_NE(os::GetProcAddress(module, kKernel32Entry), nullptr);
  EXPECT_EQ(os::GetProcAddress(module, "NoSuchEntryPoint"), nullptr);
  EXPECT_EQ(os::GetLastError(), kErrorProcNotFound);
  EXPECT_EQ(os::GetProcAddress(module, Upper(kKernel32Entry)), nullptr);  // names keep their case
  EXPECT_EQ(os::GetLastError(), kErrorProcNotFound);
  // The same library by a path in other letters is the one already loaded.
  const os::Module again = os::LoadLibraryA(Upper(Kernel32Path()));
  EXPECT_EQ(again, module);
  EXPECT_TRUE(os::FreeLibrary(again));
  EXPECT_TRUE(os::FreeLibrary(module));
}

TEST(LibrariesTest, MissingOrBareLibraryIsNotLoaded) {
  std::string temp;
  os::GetTempPathA(os::kMaxPath, temp);
  EXPECT_EQ(os::LoadLibraryA(temp + "iconv.dll"), 0u);
  EXPECT_EQ(os::GetLastError(), kErrorModNotFound);
  // Loaded by a bare name, a library could come from anywhere on the search path.
  EXPECT_EQ(os::LoadLibraryA("kernel32.dll"), 0u);
  EXPECT_EQ(os::GetLastError(), kErrorModNotFound);
}

using LibraryFileTest = ScratchTest;

TEST_F(LibraryFileTest, FileThatIsNoImageIsNotLoaded) {
  const std::string path = Path("text.dll");
  WriteWholeFile(path, "not an image");
  EXPECT_EQ(os::LoadLibraryA(path), 0u);
  EXPECT_EQ(os::GetLastError(), 193u);  // ERROR_BAD_EXE_FORMAT
}

TEST(FontsTest, MissingFontFileIsNotAdded) {
  std::string temp;
  os::GetTempPathA(os::kMaxPath, temp);
  EXPECT_EQ(os::AddFontResourceA(temp + "no such font.fot"), 0);
}

TEST(WindowsTest, WindowOfAnUnknownClassIsNotFound) {
  EXPECT_EQ(os::FindWindowA("SanivoNoSuchWindowClass"), 0u);
}

}  // namespace
}  // namespace contract
