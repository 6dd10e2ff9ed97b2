// The console writes through the whole conversion, which the program brings up before the
// console and takes down after it. The program runs elevated: an iconv library beside it is
// never loaded, and the built-in tables give the same page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program.h"
#include "app_test_support.h"

namespace sanivo {
namespace {

using namespace sanivo::testing;

struct Page {
  std::string text;
  std::vector<std::uint16_t> attributes;
};

Page RunOnWindows2000(bool withLibrary, int* libraryLoads) {
  sim::Machine machine;
  machine.SetVersion(2, 5, 0);
  if (withLibrary) machine.AddIconvLibrary(std::string(kAppDir) + "iconv.dll");
  EXPECT_EQ(RunProgram(), 0);
  Page page{machine.ScreenText(), {}};
  for (int y = 0; y < 25; ++y) {
    for (int x = 0; x < 80; ++x) page.attributes.push_back(machine.AttributeAt(x, y));
  }
  *libraryLoads = 0;
  for (const std::string& path : machine.CallsTo("LoadLibraryA")) {
    *libraryLoads += path.ends_with("iconv.dll");
  }
  return page;
}

TEST(ConversionStartup, ALibraryBesideTheProgramIsNeverLoaded) {
  int loadsWithout = 0, loadsWith = 0;
  const Page without = RunOnWindows2000(false, &loadsWithout);
  const Page with = RunOnWindows2000(true, &loadsWith);
  EXPECT_EQ(with.text, without.text);
  EXPECT_EQ(with.attributes, without.attributes);
  EXPECT_NE(with.text.find("potřebuje"), std::string::npos);
  EXPECT_EQ(loadsWith, 0);
  EXPECT_EQ(loadsWithout, 0);
}

}  // namespace
}  // namespace sanivo
