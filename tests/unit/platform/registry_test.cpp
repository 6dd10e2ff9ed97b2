// The simulated registry: case-insensitive keys and values, created paths, short buffers,
// and the access of an open key.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/os.h"
#include "tests/sim/machine.h"

namespace {

constexpr std::int32_t Code(std::uint32_t error) { return static_cast<std::int32_t>(error); }

class RegistryTest : public ::testing::Test {
 protected:
  sim::Machine machine;
  os::HKey key = 0;

  void TearDown() override {
    if (key != 0) os::RegCloseKey(key);
    EXPECT_EQ(machine.OpenKeyCount(), 0);
  }
};

TEST_F(RegistryTest, CreateMakesTheMissingKeysOnTheWay) {
  bool created = false;
  ASSERT_EQ(os::RegCreateKeyExA(os::kHkeyCurrentUser, "Console\\%SystemRoot%_system32_ntvdm.exe",
                                os::kKeyAllAccess, key, &created),
            0);
  EXPECT_TRUE(created);
  EXPECT_TRUE(machine.HasKey(os::kHkeyCurrentUser, "CONSOLE"));
  os::RegCloseKey(key);
  ASSERT_EQ(os::RegCreateKeyExA(os::kHkeyCurrentUser, "console\\%systemroot%_SYSTEM32_NTVDM.EXE",
                                os::kKeyAllAccess, key, &created),
            0);
  EXPECT_FALSE(created);
  EXPECT_EQ(machine.CallsTo("RegCreateKeyExA").back(),
            "HKEY_CURRENT_USER\\console\\%systemroot%_SYSTEM32_NTVDM.EXE");
}

TEST_F(RegistryTest, ValuesAreFoundWithoutRegardToCaseAndReadAsRawBytes) {
  machine.SetDword(os::kHkeyCurrentUser, "Console\\x", "FontFamily", 0x36);
  ASSERT_EQ(os::RegOpenKeyExA(os::kHkeyCurrentUser, "CONSOLE\\X", os::kKeyRead, key), 0);
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  ASSERT_EQ(os::RegQueryValueExA(key, "fontfamily", &type, nullptr, &size), 0);
  EXPECT_EQ(type, os::kRegDword);
  EXPECT_EQ(size, 4u);
  std::string data;
  size = 3;
  EXPECT_EQ(os::RegQueryValueExA(key, "FontFamily", &type, &data, &size), Code(os::kErrorMoreData));
  EXPECT_EQ(size, 4u);
  size = 16;
  ASSERT_EQ(os::RegQueryValueExA(key, "FontFamily", &type, &data, &size), 0);
  EXPECT_EQ(data, std::string("\x36\0\0\0", 4));
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(os::RegQueryValueExA(key, "FaceName", &type, nullptr, &size),
            Code(os::kErrorFileNotFound));
}

TEST_F(RegistryTest, MissingKeysAndBadPathsGiveTheirErrors) {
  EXPECT_EQ(os::RegOpenKeyExA(os::kHkeyLocalMachine, "SOFTWARE\\Nothing", os::kKeyRead, key),
            Code(os::kErrorFileNotFound));
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(os::RegOpenKeyExA(os::kHkeyLocalMachine,
                              "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
                              os::kKeyRead, key),
            161);  // ERROR_BAD_PATHNAME
  EXPECT_EQ(os::RegOpenKeyExA(0x1234, "x", os::kKeyRead, key), Code(os::kErrorInvalidHandle));
  EXPECT_EQ(os::RegCloseKey(0x1234), Code(os::kErrorInvalidHandle));
}

TEST_F(RegistryTest, AKeyOpenedForReadingTakesNoValues) {
  const std::string fonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
  ASSERT_EQ(os::RegOpenKeyExA(os::kHkeyLocalMachine, fonts, os::kKeyRead, key), 0);
  EXPECT_EQ(os::RegSetValueExA(key, "X", os::kRegSz, std::string_view("y\0", 2)),
            Code(os::kErrorAccessDenied));
  os::RegCloseKey(key);
  ASSERT_EQ(os::RegOpenKeyExA(os::kHkeyLocalMachine, fonts, os::kKeyAllAccess, key), 0);
  ASSERT_EQ(os::RegSetValueExA(key, "Lucida Console CS", os::kRegSz,
                               std::string_view("mrk_lccs.ttf\0", 13)),
            0);
  EXPECT_EQ(machine.ValueNames(os::kHkeyLocalMachine, fonts),
            std::vector<std::string>{"Lucida Console CS"});
  EXPECT_EQ(os::RegDeleteValueA(key, "lucida console cs"), 0);
  EXPECT_EQ(os::RegDeleteValueA(key, "lucida console cs"), Code(os::kErrorFileNotFound));
}

TEST_F(RegistryTest, DumpListsKeysAndValuesReadably) {
  machine.SetString(os::kHkeyCurrentUser, "Console\\n", "FaceName", "Lucida Console CS");
  machine.SetDword(os::kHkeyCurrentUser, "Console\\n", "FontFamily", 55);
  std::vector<std::string> dump = machine.RegistryDump();
  auto has = [&dump](const std::string& line) {
    return std::find(dump.begin(), dump.end(), line) != dump.end();
  };
  EXPECT_TRUE(has("HKEY_CURRENT_USER\\Console\\n"));
  EXPECT_TRUE(has("HKEY_CURRENT_USER\\Console\\n [FaceName] type 1 = \"Lucida Console CS\""));
  EXPECT_TRUE(has("HKEY_CURRENT_USER\\Console\\n [FontFamily] type 4 = 55"));
}

}  // namespace
