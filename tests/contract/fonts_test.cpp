// GDI's font resource calls as the console font repair makes them: a resource file for a font
// named without its folder, then adding that resource file to the system's font table. The
// font gets a name of its own here, so that no file of the current directory can stand in.
#include "tests/contract/contract.h"

namespace contract {
namespace {

constexpr char kFontName[] = "sanivo-contract.ttf";

std::string WindowsFontsFolder() {
  std::string windows;
  os::GetWindowsDirectoryA(os::kMaxPath, windows);
  return windows + "\\Fonts\\";
}

class FontResourceTest : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    fonts_ = Directory("fonts") + "\\";
    font_ = Path(std::string("fonts\\") + kFontName);
    ASSERT_TRUE(os::CopyFileA(ConsoleFontFile(), font_, false)) << os::GetLastError();
    notAFont_ = Path("fonts\\notafont.ttf");
    WriteWholeFile(notAFont_, std::string(64, 'x'));
    resource_ = Path("sanivo-contract.fot");
  }

  std::string fonts_;  // with its trailing backslash
  std::string font_;
  std::string notAFont_;
  std::string resource_;
};

// Taking the console font back removes it from the table by the name it was added under. First
// of the suite: Wine keeps one file of a face, so while the tests below keep the face loaded
// from elsewhere, adding it once more counts but leaves nothing to remove under this name.
TEST_F(FontResourceTest, RemovingTakesOutWhatWasAddedUnderThatName) {
  EXPECT_FALSE(os::RemoveFontResourceA(font_));
  ASSERT_GT(os::AddFontResourceA(font_), 0);
  EXPECT_TRUE(os::RemoveFontResourceA(font_));
  EXPECT_FALSE(os::RemoveFontResourceA(font_));
}

struct ResourceCall {
  const char* what;
  std::string fontFile;
  std::string currentPath;
  std::uint32_t error;  // kErrorSuccess: the call succeeds
};

TEST_F(FontResourceTest, ResourceFileNeedsAFontNamedRelativeToTheCurrentPath) {
  const std::string folder = fonts_.substr(0, fonts_.size() - 1);
  const ResourceCall calls[] = {
      {"bare name, folder with backslash", kFontName, fonts_, os::kErrorSuccess},
      {"bare name, folder without backslash", kFontName, folder, os::kErrorSuccess},
      {"full path, no folder", font_, "", os::kErrorSuccess},
      // The folder goes before whatever the name holds, a full path too.
      {"full path, folder", font_, fonts_, os::kErrorInvalidParameter},
      {"missing font", "missing.ttf", fonts_, os::kErrorInvalidParameter},
      {"no TrueType font", "notafont.ttf", fonts_, os::kErrorInvalidParameter},
  };
  for (const ResourceCall& call : calls) {
    os::DeleteFileA(resource_);
    os::SetLastError(0);
    const bool made =
        os::CreateScalableFontResourceA(0, resource_, call.fontFile, call.currentPath);
    EXPECT_EQ(made, call.error == os::kErrorSuccess) << call.what;
    if (!made) {
      EXPECT_EQ(os::GetLastError(), call.error) << call.what;
    }
    EXPECT_EQ(Exists(resource_), made) << call.what;
  }
}

TEST_F(FontResourceTest, ResourceFileIsNeverOverwrittenNorPutInAMissingFolder) {
  ASSERT_TRUE(os::CreateScalableFontResourceA(0, resource_, kFontName, fonts_));
  EXPECT_FALSE(os::CreateScalableFontResourceA(0, resource_, kFontName, fonts_));
  EXPECT_EQ(os::GetLastError(), os::kErrorFileExists);
  EXPECT_FALSE(os::CreateScalableFontResourceA(0, Scratch() + "none\\x.fot", kFontName, fonts_));
  EXPECT_EQ(os::GetLastError(), os::kErrorPathNotFound);
}

// The resource file keeps the font's name as given: a bare name is looked for in the Windows
// Fonts folder (or the current directory), not in the folder given when it was made.
TEST_F(FontResourceTest, ResourceFileFindsABareFontNameInTheWindowsFontsFolder) {
  ASSERT_TRUE(os::CreateScalableFontResourceA(0, resource_, kFontName, fonts_));
  EXPECT_EQ(os::AddFontResourceA(resource_), 0);

  const std::string installed = WindowsFontsFolder() + kFontName;
  ASSERT_TRUE(os::CopyFileA(font_, installed, false)) << os::GetLastError();
  EXPECT_GT(os::AddFontResourceA(resource_), 0);
  os::DeleteFileA(installed);
}

TEST_F(FontResourceTest, AddingTakesTheResourceFileOrTheFontButNothingElse) {
  ASSERT_TRUE(os::CreateScalableFontResourceA(0, resource_, font_, ""));
  EXPECT_GT(os::AddFontResourceA(resource_), 0);
  EXPECT_GT(os::AddFontResourceA(font_), 0);
  EXPECT_EQ(os::AddFontResourceA(notAFont_), 0);
  EXPECT_EQ(os::AddFontResourceA(Scratch() + "missing.fot"), 0);
  EXPECT_EQ(os::GetLastError(), os::kErrorFileNotFound);
}

}  // namespace
}  // namespace contract
