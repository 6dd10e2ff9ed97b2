#include "sysenv/file_types.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/sim/machine.h"

namespace sanivo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RecordingFileType : public TFileType {
 public:
  RecordingFileType(std::string name, std::vector<std::string>& freed)
      : name_(std::move(name)), freed_(freed) {}
  ~RecordingFileType() override { freed_.push_back(name_); }

 private:
  std::string name_;
  std::vector<std::string>& freed_;
};

class FileTypeManagerTest : public ::testing::Test {
 protected:
  std::unique_ptr<TFileType> Object(const std::string& name) {
    return std::make_unique<RecordingFileType>(name, freed);
  }

  sim::Machine machine;
  std::vector<std::string> freed;
};

TEST_F(FileTypeManagerTest, FindsNamesWithoutRegardToCase) {
  TFileTypeManager manager;
  manager.Add("ttf");
  manager.Add(
      "\xC8"
      "e\x9Atina");  // Čeština
  EXPECT_EQ(manager.IndexOf("TTF"), 0);
  EXPECT_EQ(manager.IndexOf("\xE8"
                            "E\x8ATINA"),
            1);
  EXPECT_EQ(manager.IndexOf("fon"), -1);
}

TEST_F(FileTypeManagerTest, ClearFreesTheAttachedObjectsInOrder) {
  TFileTypeManager manager;
  manager.Add("a", Object("a"));
  manager.Add("none");
  manager.Add("b", Object("b"));
  manager.Clear();
  EXPECT_THAT(freed, ElementsAre("a", "b"));
  EXPECT_THAT(manager.FileTypes(), IsEmpty());
}

TEST_F(FileTypeManagerTest, GlobalCatalogueLivesFromStartUpToShutDown) {
  InitializeFileTypeManager();
  ASSERT_NE(FileTypeManager, nullptr);
  EXPECT_THAT(FileTypeManager->FileTypes(), IsEmpty());
  FileTypeManager->Add("x", Object("x"));
  FinalizeFileTypeManager();
  EXPECT_EQ(FileTypeManager, nullptr);
  EXPECT_THAT(freed, ElementsAre("x"));
}

}  // namespace
}  // namespace sanivo
