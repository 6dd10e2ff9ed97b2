#include "app/program.h"

#include <gtest/gtest.h>

#include "app_test_support.h"
#include "console/console_app.h"
#include "platform/os.h"
#include "tests/unit/pe/test_image.h"

namespace sanivo {
namespace {

TEST(ErrorReport, AddsAFullStopOnlyWhereOneIsMissing) {
  EXPECT_EQ(FormatErrorReport("Exception", "sanivo.exe", 0x1A2B, "Soubor nenalezen"),
            "Exception Exception in module sanivo.exe at 00001A2B.\r\nSoubor nenalezen.\r\n");
  EXPECT_EQ(FormatErrorReport("EInOutError", "sanivo.exe", 0, "Done."),
            "Exception EInOutError in module sanivo.exe at 00000000.\r\nDone.\r\n");
  EXPECT_EQ(FormatErrorReport("EAbort", "a.exe", 0xFFFFFFFF, ""),
            "Exception EAbort in module a.exe at FFFFFFFF.\r\n\r\n");
}

// The report stays for the final pause only where the console closes with the program.
TEST(TopLevelHandler, AnEscapingErrorIsReportedOnStandardErrorWithExitCodeOne) {
  for (const auto& [consoleProcesses, pause] : {std::pair{2u, 0u}, std::pair{1u, 4000u}}) {
    sim::Machine machine;
    machine.SetVersion(2, 10, 0);
    machine.SetModulePath("C:\\Nástroje\\sanivo.exe");
    machine.SetConsoleProcessCount(consoleProcesses);
    machine.Fail("WriteFile", "stdout", os::kErrorWriteFault);

    EXPECT_EQ(RunProgram(), 1);

    const std::string report = machine.Stderr();
    ASSERT_EQ(report.rfind("Exception EInOutError in module sanivo.exe at ", 0), 0u) << report;
    EXPECT_EQ(report.substr(report.size() - 5), ".\r\n\r\n");
    EXPECT_NE(report.find(".\r\n"), std::string::npos);
    EXPECT_EQ(machine.TotalSleep(), pause) << consoleProcesses << " console processes";
    EXPECT_EQ(ConsoleApplication, nullptr);  // shut-down ran
  }
}

TEST(TopLevelHandler, TheReportIsConvertedToTheOemCodePage) {
  sim::Machine machine;
  machine.SetVersion(2, 10, 0);
  machine.SetModulePath("C:\\n\xE8.exe");  // "č" in the module name
  machine.Fail("WriteFile", "stdout", os::kErrorWriteFault);
  EXPECT_EQ(RunProgram(), 1);
  EXPECT_NE(machine.Stderr().find("module n\x9F.exe at"), std::string::npos);
}

// A 32-bit process can run out of memory anywhere, as here while the affinity tool runs: that
// is no normal run either.
TEST(TopLevelHandler, OutOfMemoryEndsWithExitCodeOne) {
  sim::Machine machine;
  machine.AddFile("C:\\WINDOWS\\system32\\NTVDM.EXE", test::BuildTestImage());
  machine.AddFile(std::string(testing::kAppDir) + "IMAGECFG.EXE");
  sim::Program tool;
  tool.onStart = [](const std::string&, const std::string&) { throw std::bad_alloc(); };
  machine.AddProgram(std::string(testing::kAppDir) + "IMAGECFG.EXE", tool);
  EXPECT_EQ(RunProgram(), 1);
  EXPECT_NE(machine.Stderr().find("Exception Exception in module sanivo.exe"), std::string::npos);
}

}  // namespace
}  // namespace sanivo
