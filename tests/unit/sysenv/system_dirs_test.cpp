#include "sysenv/system_dirs.h"

#include <gtest/gtest.h>

#include "sysenv/errors.h"
#include "tests/sim/machine.h"

namespace sanivo {
namespace {

TEST(RootKeyFromName, MatchesExactRootNamesAndKeepsTheBackslash) {
  struct Case {
    std::string path;
    os::HKey root;
    std::string rest;
  };
  const Case cases[] = {
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\X", os::kHkeyLocalMachine, "\\SOFTWARE\\X"},
      {"hkey_local_machine\\SOFTWARE\\X", os::kHkeyCurrentUser, "\\SOFTWARE\\X"},
      {"HKEY_CURRENT_USER\\Console", os::kHkeyCurrentUser, "\\Console"},
      {"HKEY_CLASSES_ROOT\\.txt", os::kHkeyClassesRoot, "\\.txt"},
      {"HKEY_USERS\\S", os::kHkeyUsers, "\\S"},
      {"HKEY_PERFORMANCE_DATA\\P", os::kHkeyPerformanceData, "\\P"},
      {"HKEY_CURRENT_CONFIG\\C", os::kHkeyCurrentConfig, "\\C"},
      {"HKEY_DYN_DATA\\D", os::kHkeyDynData, "\\D"},
      {"Console", os::kHkeyCurrentUser, "Console"},
      {"\\Console", os::kHkeyCurrentUser, "\\Console"},
  };
  for (Case c : cases) {
    std::string path = c.path;
    EXPECT_EQ(RootKeyFromName(path), c.root) << c.path;
    EXPECT_EQ(path, c.rest) << c.path;
  }
}

class RegistryPathTest : public ::testing::Test {
 protected:
  sim::Machine machine;
};

TEST_F(RegistryPathTest, ReadsStringsAsStoredAndTheDefaultValue) {
  machine.SetString(os::kHkeyLocalMachine, "SOFTWARE\\X", "Dir", "C:\\A");
  machine.SetString(os::kHkeyLocalMachine, "SOFTWARE\\X", "Expand", "%windir%\\a",
                    os::kRegExpandSz);
  machine.SetString(os::kHkeyLocalMachine, "SOFTWARE\\X", "", "default");
  machine.SetValue(os::kHkeyLocalMachine, "SOFTWARE\\X", "Cut", os::kRegSz,
                   std::string("ab\0cd\0", 6));
  machine.SetValue(os::kHkeyLocalMachine, "SOFTWARE\\X", "Empty", os::kRegDword, "");
  EXPECT_EQ(ReadRegistryPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\Dir"), "C:\\A");
  EXPECT_EQ(ReadRegistryPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\Expand"), "%windir%\\a");
  EXPECT_EQ(ReadRegistryPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\"), "default");
  EXPECT_EQ(ReadRegistryPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\Cut"), "ab");
  EXPECT_EQ(ReadRegistryPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\Empty"), "");
  EXPECT_EQ(machine.OpenKeyCount(), 0);
}

TEST_F(RegistryPathTest, ReportsEachFailureWithItsMessageAndClosesTheKey) {
  machine.SetDword(os::kHkeyCurrentUser, "Console", "FontFamily", 54);
  auto messageOf = [](const std::string& path) {
    try {
      ReadRegistryPath(path);
    } catch (const ERegistryException& error) {
      return std::string("ERegistryException: ") + error.Message();
    } catch (const Exception& error) {
      return error.Message();
    }
    return std::string("no error");
  };
  EXPECT_EQ(messageOf("HKEY_CURRENT_USER\\Console\\Missing"), "Value does not exists.");
  EXPECT_EQ(messageOf("HKEY_CURRENT_USER\\Console\\FontFamily"),
            "ERegistryException: Invalid data type for 'FontFamily'");
  EXPECT_EQ(messageOf("HKEY_CURRENT_USER\\NoSuchKey\\Value"),
            SystemErrorText(os::kErrorFileNotFound));
  machine.SetString(os::kHkeyCurrentUser, "Console", "Face", "x");
  machine.Fail("RegQueryValueExA", "Face", os::kErrorAccessDenied, 1);
  // The first query (type and size) fails: the value counts as missing.
  EXPECT_EQ(messageOf("HKEY_CURRENT_USER\\Console\\Face"), "Value does not exists.");
  EXPECT_EQ(machine.OpenKeyCount(), 0);
}

TEST_F(RegistryPathTest, OnlyTheOneBackslashAfterTheRootNameIsDropped) {
  machine.SetString(os::kHkeyCurrentUser, "", "Temp", "D:\\T");
  EXPECT_EQ(ReadRegistryPath("HKEY_CURRENT_USER\\Temp"), "D:\\T");
  // A doubled backslash leaves one leading the key path, which the registry refuses.
  try {
    ReadRegistryPath("HKEY_CURRENT_USER\\\\Temp");
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "The specified path is invalid");
  }
  EXPECT_EQ(machine.OpenKeyCount(), 0);
}

TEST_F(RegistryPathTest, SpecialDirectoriesComeFromTheSystemByExactName) {
  EXPECT_EQ(GetSpecialDir("TEMP"), "C:\\DOCUME~1\\user\\LOCALS~1\\Temp\\");
  EXPECT_EQ(GetSpecialDir("WINDOWS"), "C:\\WINDOWS");
  EXPECT_EQ(GetSpecialDir("SYSTEM"), "C:\\WINDOWS\\system32");
  // Any other spelling is a value directly under HKEY_CURRENT_USER.
  EXPECT_THROW(GetSpecialDir("temp"), Exception);
  machine.SetString(os::kHkeyCurrentUser, "", "Temp", "D:\\T");
  EXPECT_EQ(GetSpecialDir("Temp"), "D:\\T");
}

TEST_F(RegistryPathTest, LongAndFailingDirectoryQueries) {
  const std::string deep = "C:\\" + std::string(300, 'd') + "\\";
  machine.SetTempPath(deep);
  EXPECT_EQ(GetSpecialDir("TEMP"), deep);
  machine.Fail("GetWindowsDirectoryA", "", os::kErrorInvalidFunction);
  EXPECT_EQ(GetSpecialDir("WINDOWS"), "");
}

}  // namespace
}  // namespace sanivo
