// The simulated registry's own records: the keys a creation made, the call log and the dump.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/os.h"
#include "tests/sim/machine.h"

namespace {

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
