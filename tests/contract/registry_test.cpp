// The registry as the font repair and the registry paths use it: keys opened or created with
// full access, string and 32-bit values written and read back, the size-first query.
#include "tests/contract/contract.h"

namespace contract {
namespace {

constexpr char kTestKey[] = "Software\\Sanivo contract test";

std::string Sz(const std::string& text) { return text + '\0'; }

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bool created = false;
    ASSERT_EQ(
        os::RegCreateKeyExA(os::kHkeyCurrentUser, kTestKey, os::kKeyAllAccess, key_, &created),
        os::kErrorSuccess);
    ASSERT_TRUE(created) << "left over from an earlier run";
  }

  void TearDown() override {
    EXPECT_EQ(os::RegCloseKey(key_), os::kErrorSuccess);
    for (const std::string& subKey : subKeys_) os::RegDeleteKeyA(os::kHkeyCurrentUser, subKey);
    EXPECT_EQ(os::RegDeleteKeyA(os::kHkeyCurrentUser, kTestKey), os::kErrorSuccess);
  }

  // A key below the test key, deleted after the test (deepest first, as they are listed).
  std::string SubKey(const std::string& name) {
    subKeys_.insert(subKeys_.begin(), std::string(kTestKey) + "\\" + name);
    return subKeys_.front();
  }

  void Set(const std::string& name, std::uint32_t type, const std::string& data) {
    ASSERT_EQ(os::RegSetValueExA(key_, name, type, data), os::kErrorSuccess) << name;
  }

  struct Query {
    std::int32_t result = -1;
    std::uint32_t type = 0xDEADBEEF;
    std::uint32_t size = 0;
    std::string data;
  };

  // The program's way to read a value: type and size first, then the data with that capacity.
  Query Read(const std::string& name) {
    Query query;
    query.result = os::RegQueryValueExA(key_, name, &query.type, nullptr, &query.size);
    if (query.result != os::kErrorSuccess) return query;
    query.result = os::RegQueryValueExA(key_, name, &query.type, &query.data, &query.size);
    return query;
  }

  os::HKey key_ = 0;
  std::vector<std::string> subKeys_;
};

TEST_F(RegistryTest, OpeningAMissingKeyFailsAndCreatesNothing) {
  const std::string missing = SubKey("missing");
  os::HKey key = 0;
  EXPECT_EQ(os::RegOpenKeyExA(os::kHkeyCurrentUser, missing, os::kKeyAllAccess, key),
            os::kErrorFileNotFound);
  EXPECT_EQ(os::RegOpenKeyExA(os::kHkeyCurrentUser, missing, os::kKeyRead, key),
            os::kErrorFileNotFound);
}

TEST_F(RegistryTest, BadPathsAndHandlesGiveTheirErrors) {
  os::HKey key = 0;
  EXPECT_EQ(
      os::RegOpenKeyExA(os::kHkeyCurrentUser, std::string("\\") + kTestKey, os::kKeyRead, key),
      161);  // ERROR_BAD_PATHNAME
  EXPECT_EQ(os::RegOpenKeyExA(0x1234, "x", os::kKeyRead, key), os::kErrorInvalidHandle);
  EXPECT_EQ(os::RegCloseKey(0x1234), os::kErrorInvalidHandle);
}

TEST_F(RegistryTest, InfoCountsTheKeysAndValuesDirectlyBelow) {
  std::uint32_t counts[2] = {9, 9};
  ASSERT_EQ(os::RegQueryInfoKeyA(key_, &counts[0], &counts[1]), os::kErrorSuccess);
  EXPECT_EQ(counts[0] + counts[1], 0u);
  Set("A", os::kRegSz, Sz("x"));
  SubKey("a");  // deleted after "a\\b", which goes first in the list
  os::HKey child = 0;
  ASSERT_EQ(
      os::RegCreateKeyExA(os::kHkeyCurrentUser, SubKey("a\\b"), os::kKeyAllAccess, child, nullptr),
      0);
  os::RegCloseKey(child);
  ASSERT_EQ(os::RegQueryInfoKeyA(key_, &counts[0], &counts[1]), os::kErrorSuccess);
  EXPECT_EQ(counts[0], 1u);
  EXPECT_EQ(counts[1], 1u);
}

TEST_F(RegistryTest, AKeyOpenedForReadingTakesNoValues) {
  os::HKey reader = 0;
  ASSERT_EQ(os::RegOpenKeyExA(os::kHkeyCurrentUser, kTestKey, os::kKeyRead, reader),
            os::kErrorSuccess);
  EXPECT_EQ(os::RegSetValueExA(reader, "X", os::kRegSz, Sz("y")), os::kErrorAccessDenied);
  EXPECT_EQ(os::RegCloseKey(reader), os::kErrorSuccess);
  EXPECT_EQ(Read("X").result, os::kErrorFileNotFound);
}

TEST_F(RegistryTest, FailuresComeAsResultsAndLeaveTheLastErrorAlone) {
  constexpr std::uint32_t kEarlierError = 12345;
  os::SetLastError(kEarlierError);
  os::HKey key = 0;
  EXPECT_EQ(os::RegOpenKeyExA(os::kHkeyCurrentUser, SubKey("missing"), os::kKeyAllAccess, key),
            os::kErrorFileNotFound);
  std::uint32_t size = 0;
  EXPECT_EQ(os::RegQueryValueExA(key_, "Missing", nullptr, nullptr, &size), os::kErrorFileNotFound);
  EXPECT_EQ(os::GetLastError(), kEarlierError);
}

TEST_F(RegistryTest, CreateOpensAnExistingKeyAndMakesMissingParents) {
  os::HKey again = 0;
  bool created = true;
  ASSERT_EQ(os::RegCreateKeyExA(os::kHkeyCurrentUser, Upper(kTestKey), os::kKeyAllAccess, again,
                                &created),
            os::kErrorSuccess);
  EXPECT_FALSE(created);  // names of keys ignore case
  EXPECT_EQ(os::RegCloseKey(again), os::kErrorSuccess);

  SubKey("outer");
  const std::string inner = SubKey("outer\\inner");
  os::HKey deep = 0;
  ASSERT_EQ(os::RegCreateKeyExA(os::kHkeyCurrentUser, inner, os::kKeyAllAccess, deep, &created),
            os::kErrorSuccess);
  EXPECT_TRUE(created);
  EXPECT_EQ(os::RegCloseKey(deep), os::kErrorSuccess);

  os::HKey opened = 0;
  ASSERT_EQ(os::RegOpenKeyExA(os::kHkeyCurrentUser, inner, os::kKeyRead, opened),
            os::kErrorSuccess);
  EXPECT_EQ(os::RegCloseKey(opened), os::kErrorSuccess);
}

TEST_F(RegistryTest, ValuesRoundTripWithTypeAndSize) {
  const std::string font = Sz("mrk_lccs.ttf");
  const std::string czech = Sz("Lucida Console CS \xE8\xE9\x9A");  // "čéš" in Windows-1250
  const std::string expandable = Sz("%SystemRoot%\\Fonts");
  const std::string dword("\x78\x56\x34\x12", 4);
  Set("Font", os::kRegSz, font);
  Set("Czech", os::kRegSz, czech);
  Set("Path", os::kRegExpandSz, expandable);
  Set("FontFamily", os::kRegDword, dword);
  Set("", os::kRegSz, Sz("default"));

  struct Expected {
    const char* name;
    std::uint32_t type;
    std::string data;
  };
  for (const Expected& expected :
       {Expected{"Font", os::kRegSz, font}, Expected{"czech", os::kRegSz, czech},
        Expected{"Path", os::kRegExpandSz, expandable},
        Expected{"FontFamily", os::kRegDword, dword}, Expected{"", os::kRegSz, Sz("default")}}) {
    SCOPED_TRACE(expected.name);
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    ASSERT_EQ(os::RegQueryValueExA(key_, expected.name, &type, nullptr, &size), os::kErrorSuccess);
    EXPECT_EQ(type, expected.type);
    EXPECT_EQ(size, expected.data.size());
    const Query query = Read(expected.name);
    EXPECT_EQ(query.result, os::kErrorSuccess);
    EXPECT_EQ(query.data, expected.data);
    EXPECT_EQ(query.size, expected.data.size());
  }
}

TEST_F(RegistryTest, StringWithoutTerminatorIsStoredWithOne) {
  Set("Bare", os::kRegSz, "abc");
  const Query query = Read("Bare");
  EXPECT_EQ(query.result, os::kErrorSuccess);
  EXPECT_EQ(query.data, Sz("abc"));
}

TEST_F(RegistryTest, MissingValueIsNotFound) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(os::RegQueryValueExA(key_, "Missing", &type, nullptr, &size), os::kErrorFileNotFound);
  std::string data = "unchanged";
  size = 100;
  EXPECT_EQ(os::RegQueryValueExA(key_, "Missing", &type, &data, &size), os::kErrorFileNotFound);
  EXPECT_EQ(os::RegDeleteValueA(key_, "Missing"), os::kErrorFileNotFound);
}

TEST_F(RegistryTest, TooSmallBufferGivesMoreDataAndTheNeededSize) {
  Set("Long", os::kRegSz, Sz("abcdef"));
  Set("Number", os::kRegDword, std::string("\x01\0\0\0", 4));
  for (const char* name : {"Long", "Number"}) {
    SCOPED_TRACE(name);
    std::uint32_t type = 0;
    std::uint32_t size = 2;
    std::string data;
    EXPECT_EQ(os::RegQueryValueExA(key_, name, &type, &data, &size), os::kErrorMoreData);
    EXPECT_EQ(size, std::string(name) == "Long" ? 7u : 4u);
    EXPECT_EQ(data, "");
  }
}

TEST_F(RegistryTest, DeletedValueIsGone) {
  Set("Doomed", os::kRegDword, std::string(4, '\0'));
  EXPECT_EQ(os::RegDeleteValueA(key_, "doomed"), os::kErrorSuccess);
  EXPECT_EQ(Read("Doomed").result, os::kErrorFileNotFound);
}

TEST_F(RegistryTest, ValuesAreSeenThroughEveryHandleOfTheKey) {
  os::HKey second = 0;
  ASSERT_EQ(os::RegOpenKeyExA(os::kHkeyCurrentUser, kTestKey, os::kKeyAllAccess, second),
            os::kErrorSuccess);
  ASSERT_EQ(os::RegSetValueExA(second, "Shared", os::kRegSz, Sz("x")), os::kErrorSuccess);
  EXPECT_EQ(os::RegCloseKey(second), os::kErrorSuccess);
  EXPECT_EQ(Read("SHARED").data, Sz("x"));
}

}  // namespace
}  // namespace contract
