#include "base/file_names.h"

#include <gtest/gtest.h>

namespace sanivo {
namespace {

TEST(FileNamesTest, SplitAtTheLastBackslashOrColonAndTheLastDotOfTheName) {
  const struct {
    const char* path;
    const char* directory;
    const char* name;
    const char* nameWithoutExt;
  } cases[] = {
      {"C:\\Fonts\\font.ttf", "C:\\Fonts\\", "font.ttf", "font"},
      {"archive.tar.gz", "", "archive.tar.gz", "archive.tar"},
      {"README", "", "README", "README"},
      {".profile", "", ".profile", ""},
      {"C:\\dir.d\\file", "C:\\dir.d\\", "file", "file"},
      {"D:name.ext", "D:", "name.ext", "name"},
      {"C:\\dir\\", "C:\\dir\\", "", ""},
      {"", "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.path), c.directory) << c.path;
    EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
    EXPECT_EQ(FileNameWithoutExt(c.path), c.nameWithoutExt) << c.path;
  }
}

TEST(FileNamesTest, TrailingBackslashIsAddedOrRemovedOnlyOnce) {
  EXPECT_EQ(IncludeTrailingBackslash("C:\\zal"), "C:\\zal\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\zal\\"), "C:\\zal\\");
  EXPECT_EQ(IncludeTrailingBackslash(""), "\\");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\zal\\"), "C:\\zal");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\zal"), "C:\\zal");
  EXPECT_EQ(ExcludeTrailingBackslash(""), "");
}

}  // namespace
}  // namespace sanivo
