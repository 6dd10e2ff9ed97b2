#include "sysenv/files.h"

#include <gtest/gtest.h>

namespace sanivo {
namespace {

TEST(IsDevicePathTest, KnowsTheNamesWindowsGivesToDevices) {
  const struct {
    const char* path;
    bool device;
  } cases[] = {
      {"NUL", true},
      {"con", true},
      {"C:\\zal\\nul.bak", true},
      {"C:\\zal\\Aux .log", true},
      {"PRN:", true},
      {"C:COM1", true},
      {"d:\\x\\lpt9.txt", true},
      {"\\\\.\\PhysicalDrive0", true},
      {"\\\\?\\C:\\zal\\ntvdm.bak", true},
      {"//./CON", true},
      {"C:\\zal\\20261208.bak", false},
      {"C:\\NUL\\ntvdm.bak", false},
      {"C:\\zal\\console.bak", false},
      {"C:\\zal\\nulla", false},
      {"COM10", false},
      {"COM0", false},
      {"LPT", false},
      {"\\\\server\\share\\ntvdm.bak", false},
      {"C:\\zal\\", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsDevicePath(c.path), c.device) << c.path;
}

}  // namespace
}  // namespace sanivo
