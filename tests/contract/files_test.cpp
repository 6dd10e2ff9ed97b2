// Files, directories and paths: what the repairs rely on when they copy, replace and test
// system files.
#include "tests/contract/contract.h"

namespace contract {
namespace {

constexpr std::uint32_t kReadWrite = os::kGenericRead | os::kGenericWrite;

// The open that tells whether another program holds a file: read and write, no sharing.
os::Handle OpenExclusively(const std::string& path) {
  return os::CreateFileA(path, kReadWrite, 0, os::kOpenExisting, os::kFileAttributeNormal);
}

void ExpectExclusiveOpenFails(const std::string& path, std::uint32_t error) {
  const os::Handle file = OpenExclusively(path);
  EXPECT_EQ(file, os::kInvalidHandle) << path;
  if (file != os::kInvalidHandle) {
    os::CloseHandle(file);
    return;
  }
  EXPECT_EQ(os::GetLastError(), error) << path;
}

using FilesTest = ScratchTest;

// 0 when the object can be opened for deleting (the open is closed again), else the error.
std::uint32_t DeleteOpenError(const std::string& path) {
  const os::Handle handle = os::CreateFileA(
      path, os::kDelete, os::kFileShareRead | os::kFileShareWrite | os::kFileShareDelete,
      os::kOpenExisting, os::kFileFlagBackupSemantics);
  if (handle == os::kInvalidHandle) return os::GetLastError();
  os::CloseHandle(handle);
  return 0;
}

// How the program tells two names of one file or folder from two objects, whatever drive letter
// or spelling leads there: while it holds one without delete sharing, an open of the other that
// asks to delete is refused exactly when it is the same object. Readers and writers go on.
TEST_F(FilesTest, ADeleteOpenIsRefusedExactlyWhileTheSameObjectIsHeld) {
  const std::string folder = Directory("held");
  const std::string file = Path("held\\file.txt");
  const std::string other = Path("other.txt");
  WriteWholeFile(file, "abc");
  WriteWholeFile(other, "xyz");
  const SecondDriveLetter drive(Scratch());
  const struct {
    std::string held;
    std::vector<std::string> names;
  } cases[] = {
      {folder, {Upper(folder) + "\\", Scratch() + "held\\..\\held", drive.Root() + "held"}},
      {file, {Upper(file), folder + "\\.\\file.txt", drive.Root() + "held\\FILE.TXT"}},
  };
  for (const auto& c : cases) {
    const os::Handle hold =
        os::CreateFileA(c.held, os::kGenericRead, os::kFileShareRead | os::kFileShareWrite,
                        os::kOpenExisting, os::kFileFlagBackupSemantics);
    ASSERT_NE(hold, os::kInvalidHandle) << c.held << ": error " << os::GetLastError();
    for (const std::string& name : c.names) {
      EXPECT_EQ(DeleteOpenError(name), os::kErrorSharingViolation) << name;
    }
    EXPECT_EQ(DeleteOpenError(other), 0u);
    const os::Handle writer = os::CreateFileA(file, os::kGenericRead | os::kGenericWrite,
                                              os::kFileShareRead | os::kFileShareWrite,
                                              os::kOpenExisting, os::kFileAttributeNormal);
    EXPECT_NE(writer, os::kInvalidHandle) << "error " << os::GetLastError();
    os::CloseHandle(writer);
    EXPECT_TRUE(os::CloseHandle(hold));
    for (const std::string& name : c.names) EXPECT_EQ(DeleteOpenError(name), 0u) << name;
  }
}

TEST_F(FilesTest, NamesAreCaseInsensitive) {
  const std::string path = Path("MixedCase.Txt");
  WriteWholeFile(path, "abc");
  const std::string shouted = Upper(path);
  EXPECT_EQ(os::GetFileAttributesA(shouted) & os::kFileAttributeDirectory, 0u);
  EXPECT_EQ(ReadWholeFile(shouted), "abc");
  EXPECT_TRUE(os::DeleteFileA(shouted));
  EXPECT_FALSE(Exists(path));
}

TEST_F(FilesTest, CopyCreatesOverwritesOrRefuses) {
  const std::string source = Path("source.bin");
  const std::string target = Path("target.bin");
  WriteWholeFile(source, std::string("first\0bytes", 11));

  ASSERT_TRUE(os::CopyFileA(source, target, true));
  EXPECT_EQ(ReadWholeFile(target), std::string("first\0bytes", 11));

  WriteWholeFile(source, "second");
  os::SetLastError(0);
  EXPECT_FALSE(os::CopyFileA(source, target, true));
  EXPECT_EQ(os::GetLastError(), os::kErrorFileExists);
  EXPECT_EQ(ReadWholeFile(target), std::string("first\0bytes", 11));

  EXPECT_TRUE(os::CopyFileA(source, Upper(target), false));  // the same file, whatever the case
  EXPECT_EQ(ReadWholeFile(target), "second");
  EXPECT_EQ(ReadWholeFile(source), "second");
}

TEST_F(FilesTest, CreateNewNeverOpensAnExistingFile) {
  const std::string path = Path("kept.bin");
  WriteWholeFile(path, "kept");
  EXPECT_EQ(os::CreateFileA(path, os::kGenericWrite, 0, os::kCreateNew, os::kFileAttributeNormal),
            os::kInvalidHandle);
  EXPECT_EQ(os::GetLastError(), os::kErrorFileExists);
  EXPECT_EQ(ReadWholeFile(path), "kept");
}

TEST_F(FilesTest, CopyFailsWithoutSourceOrOntoDirectory) {
  const std::string missing = Path("missing.bin");
  const std::string target = Path("target.bin");
  EXPECT_FALSE(os::CopyFileA(missing, target, false));
  EXPECT_EQ(os::GetLastError(), os::kErrorFileNotFound);
  EXPECT_FALSE(Exists(target));

  const std::string source = Path("source.bin");
  WriteWholeFile(source, "data");
  const std::string directory = Directory("folder");
  EXPECT_FALSE(os::CopyFileA(source, directory, false));
  EXPECT_EQ(os::GetLastError(), os::kErrorAccessDenied);
  EXPECT_NE(os::GetFileAttributesA(directory) & os::kFileAttributeDirectory, 0u);

  EXPECT_FALSE(os::CopyFileA(source, Scratch() + "no\\such\\target.bin", false));
  EXPECT_EQ(os::GetLastError(), os::kErrorPathNotFound);
  EXPECT_FALSE(os::CopyFileA(Scratch() + "no\\source.bin", target, false));
  EXPECT_EQ(os::GetLastError(), os::kErrorPathNotFound);
}

TEST_F(FilesTest, DeleteRemovesOnlyWhatExists) {
  const std::string path = Path("doomed.txt");
  WriteWholeFile(path, "x");
  EXPECT_TRUE(os::DeleteFileA(path));
  EXPECT_EQ(os::GetFileAttributesA(path), os::kInvalidFileAttributes);
  EXPECT_EQ(os::GetLastError(), os::kErrorFileNotFound);
  EXPECT_FALSE(os::DeleteFileA(path));
  EXPECT_EQ(os::GetLastError(), os::kErrorFileNotFound);
}

TEST_F(FilesTest, ExclusiveOpenFailsWhileAnotherHandleHoldsTheFile) {
  const std::string path = Path("held.bin");
  WriteWholeFile(path, "x");
  const os::Handle holder =
      os::CreateFileA(path, os::kGenericRead, os::kFileShareRead | os::kFileShareWrite,
                      os::kOpenExisting, os::kFileAttributeNormal);
  ASSERT_NE(holder, os::kInvalidHandle);
  ExpectExclusiveOpenFails(path, os::kErrorSharingViolation);
  EXPECT_FALSE(os::DeleteFileA(path));
  EXPECT_EQ(os::GetLastError(), os::kErrorSharingViolation);
  EXPECT_TRUE(os::CloseHandle(holder));

  const os::Handle exclusive = OpenExclusively(path);
  ASSERT_NE(exclusive, os::kInvalidHandle);
  EXPECT_TRUE(os::CloseHandle(exclusive));
}

TEST_F(FilesTest, ExclusiveOpenFailsOnAReadOnlyFile) {
  if (!ReadOnlyFilesRefuseWriting()) GTEST_SKIP() << "the read-only attribute binds no writer here";
  const std::string readOnly = Path("readonly.bin");
  WriteWholeFile(readOnly, "x");
  ASSERT_TRUE(os::SetFileAttributesA(readOnly, os::kFileAttributeReadOnly));
  EXPECT_NE(os::GetFileAttributesA(readOnly) & os::kFileAttributeReadOnly, 0u);
  ExpectExclusiveOpenFails(readOnly, os::kErrorAccessDenied);
}

TEST_F(FilesTest, ExclusiveOpenFailsOnAMissingFileOrADirectory) {
  ExpectExclusiveOpenFails(Path("missing.bin"), os::kErrorFileNotFound);
  ExpectExclusiveOpenFails(Directory("folder"), os::kErrorAccessDenied);
}

TEST_F(FilesTest, DirectoriesAreCreatedOneLevelAtATime) {
  const std::string outer = Path("outer");
  const std::string inner = Path("outer\\inner");
  EXPECT_FALSE(os::CreateDirectoryA(inner));
  EXPECT_EQ(os::GetLastError(), os::kErrorPathNotFound);

  EXPECT_TRUE(os::CreateDirectoryA(outer));
  EXPECT_TRUE(os::CreateDirectoryA(inner));
  EXPECT_EQ(os::GetFileAttributesA(inner) & os::kFileAttributeDirectory,
            os::kFileAttributeDirectory);

  EXPECT_FALSE(os::CreateDirectoryA(outer));
  EXPECT_EQ(os::GetLastError(), os::kErrorAlreadyExists);
  EXPECT_TRUE(os::CreateDirectoryA(Path("trailing") + "\\"));
  EXPECT_EQ(os::GetFileAttributesA(Scratch() + "trailing"), os::kFileAttributeDirectory);

  // A missing name is not found; a name in a missing directory has no path.
  EXPECT_EQ(os::GetFileAttributesA(outer + "\\missing"), os::kInvalidFileAttributes);
  EXPECT_EQ(os::GetLastError(), os::kErrorFileNotFound);
  EXPECT_EQ(os::GetFileAttributesA(outer + "\\missing\\x"), os::kInvalidFileAttributes);
  EXPECT_EQ(os::GetLastError(), os::kErrorPathNotFound);

  EXPECT_FALSE(os::RemoveDirectoryA(outer));  // not empty
  EXPECT_TRUE(Exists(outer));
}

TEST_F(FilesTest, MoveReplacesOnlyWhenAsked) {
  const std::string existing = Path("new.bin");
  const std::string target = Path("live.bin");
  WriteWholeFile(existing, "patched");
  WriteWholeFile(target, "original");

  EXPECT_FALSE(os::MoveFileExA(existing, target, 0));
  EXPECT_EQ(os::GetLastError(), os::kErrorAlreadyExists);
  EXPECT_EQ(ReadWholeFile(target), "original");

  EXPECT_TRUE(
      os::MoveFileExA(existing, target, os::kMoveFileReplaceExisting | os::kMoveFileWriteThrough));
  EXPECT_EQ(ReadWholeFile(target), "patched");
  EXPECT_FALSE(Exists(existing));

  const std::string folder = Directory("folder");
  const std::string moved = Path("moved");
  EXPECT_TRUE(os::MoveFileExA(folder, moved, 0));
  EXPECT_EQ(os::GetFileAttributesA(moved), os::kFileAttributeDirectory);
  EXPECT_FALSE(Exists(folder));
}

// The program runs elevated, as it must for this: the move is only recorded, for the system to
// make when it next starts, in a list that a later run can read and change back.
TEST_F(FilesTest, DeletionAtTheRestartIsRecordedAsAPendingMove) {
  const std::string file = Path("pending.bin");
  WriteWholeFile(file, "held");
  os::HKey key = 0;
  ASSERT_EQ(
      os::RegOpenKeyExA(os::kHkeyLocalMachine, os::kSessionManagerKey, os::kKeyAllAccess, key),
      os::kErrorSuccess);
  const auto readList = [key](std::string& list) {
    std::uint32_t type = 0;
    std::uint32_t size = 0x10000;
    return os::RegQueryValueExA(key, os::kPendingFileRenameOperations, &type, &list, &size) ==
               os::kErrorSuccess &&
           type == os::kRegMultiSz;
  };
  std::string before;
  std::string after;
  const bool hadList = readList(before);
  ASSERT_TRUE(os::MoveFileExA(file, "", os::kMoveFileDelayUntilReboot)) << os::GetLastError();
  EXPECT_EQ(ReadWholeFile(file), "held");
  ASSERT_TRUE(readList(after));
  EXPECT_EQ(after, (hadList ? before.substr(0, before.size() - 1) : "") + "\\??\\" + file +
                       std::string(3, '\0'));
  if (hadList) os::RegSetValueExA(key, os::kPendingFileRenameOperations, os::kRegMultiSz, before);
  if (!hadList) os::RegDeleteValueA(key, os::kPendingFileRenameOperations);
  os::RegCloseKey(key);
}

TEST_F(FilesTest, ReadAndWriteFollowTheHandle) {
  const std::string path = Path("data.bin");
  WriteWholeFile(path, "0123456789");
  const os::Handle file =
      os::CreateFileA(path, os::kGenericRead, os::kFileShareRead, os::kOpenExisting, 0);
  ASSERT_NE(file, os::kInvalidHandle);
  std::string bytes;
  EXPECT_TRUE(os::ReadFile(file, 4, bytes));
  EXPECT_EQ(bytes, "0123");
  EXPECT_TRUE(os::ReadFile(file, 100, bytes));
  EXPECT_EQ(bytes, "456789");
  EXPECT_TRUE(os::ReadFile(file, 100, bytes));  // the end of the file is no failure
  EXPECT_EQ(bytes, "");
  std::uint32_t written = 99;
  EXPECT_FALSE(os::WriteFile(file, "x", &written));  // opened for reading only
  EXPECT_EQ(os::GetLastError(), os::kErrorAccessDenied);
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(os::CloseHandle(file));
}

TEST_F(FilesTest, CreateAlwaysSaysWhetherTheFileExistedAndEmptiesIt) {
  const std::string path = Path("zal.bak");
  os::Handle file = os::CreateFileA(path, os::kGenericWrite, 0, os::kCreateAlways, 0);
  ASSERT_NE(file, os::kInvalidHandle);
  EXPECT_EQ(os::GetLastError(), os::kErrorSuccess);
  std::uint32_t written = 0;
  EXPECT_TRUE(os::WriteFile(file, "hello", &written));
  EXPECT_TRUE(os::WriteFile(file, " world", &written));  // after the first
  std::string bytes;
  EXPECT_FALSE(os::ReadFile(file, 1, bytes));  // opened for writing only
  EXPECT_EQ(os::GetLastError(), os::kErrorAccessDenied);
  EXPECT_TRUE(os::CloseHandle(file));
  EXPECT_FALSE(os::CloseHandle(file));
  EXPECT_EQ(os::GetLastError(), os::kErrorInvalidHandle);
  EXPECT_EQ(ReadWholeFile(path), "hello world");

  file = os::CreateFileA(path, os::kGenericWrite, 0, os::kCreateAlways, 0);
  ASSERT_NE(file, os::kInvalidHandle);
  EXPECT_EQ(os::GetLastError(), os::kErrorAlreadyExists);
  EXPECT_TRUE(os::CloseHandle(file));
  EXPECT_EQ(ReadWholeFile(path), "");
}

// The all-or-nothing replace flushes its temporary file before the move; only a handle that
// may write can be flushed.
TEST_F(FilesTest, FlushNeedsAHandleThatMayWrite) {
  const std::string path = Path("flushed.bin");
  const os::Handle writer =
      os::CreateFileA(path, os::kGenericWrite, 0, os::kCreateAlways, os::kFileAttributeNormal);
  ASSERT_NE(writer, os::kInvalidHandle);
  std::uint32_t written = 0;
  EXPECT_TRUE(os::WriteFile(writer, "data", &written));
  EXPECT_TRUE(os::FlushFileBuffers(writer));
  EXPECT_TRUE(os::CloseHandle(writer));

  const os::Handle reader =
      os::CreateFileA(path, os::kGenericRead, os::kFileShareRead, os::kOpenExisting, 0);
  ASSERT_NE(reader, os::kInvalidHandle);
  EXPECT_FALSE(os::FlushFileBuffers(reader));
  EXPECT_EQ(os::GetLastError(), os::kErrorAccessDenied);
  EXPECT_TRUE(os::CloseHandle(reader));
  EXPECT_EQ(ReadWholeFile(path), "data");
}

// ---- Paths and the directories of the system ----

TEST(PathsTest, FullPathOfRelativeNamesStartsAtTheCurrentDirectory) {
  std::string current;
  ASSERT_NE(os::GetCurrentDirectoryA(os::kMaxPath, current), 0u);
  const std::string base = current.ends_with('\\') ? current : current + "\\";

  const std::string drive = current.substr(0, 2);
  const std::string parent = current.substr(0, current.rfind('\\', current.size() - 2));
  for (const auto& [name, expected] : std::initializer_list<std::pair<std::string, std::string>>{
           {"zaloha\\ntvdm.exe", base + "zaloha\\ntvdm.exe"},
           {"zaloha\\.\\x\\..\\ntvdm.exe", base + "zaloha\\ntvdm.exe"},
           {"D:\\zal\\", "D:\\zal\\"},
           {"D:\\a\\\\b\\c.bak", "D:\\a\\b\\c.bak"},
           {"x\\..\\Fonts\\", base + "Fonts\\"},
           {".", current},
           {".\\", base},
           {"..", parent.size() > 2 ? parent : drive + "\\"},
           {"..\\..\\..\\..\\..\\..\\..\\..\\..\\..", drive + "\\"},
           {"\\zal", drive + "\\zal"},
           {"a/b", base + "a\\b"},
           {drive + "x", base + "x"},
           {"Q:x", "Q:\\x"}}) {  // another drive without a current directory of its own
    SCOPED_TRACE(name);
    std::string full;
    EXPECT_EQ(os::GetFullPathNameA(name, os::kMaxPath, full), expected.size());
    EXPECT_EQ(full, expected);
  }
  std::string full;
  EXPECT_EQ(os::GetFullPathNameA("", os::kMaxPath, full), 0u);  // Wine sets no last error
}

// The directory queries report the size they need, terminator included, when the buffer is
// too small, and the length they stored otherwise.
void ExpectSizeReporting(const char* what, std::uint32_t (*query)(std::uint32_t, std::string&)) {
  SCOPED_TRACE(what);
  std::string text;
  const std::uint32_t length = query(os::kMaxPath, text);
  ASSERT_GT(length, 0u);
  ASSERT_EQ(length, text.size());

  std::string tooSmall = "unchanged";
  EXPECT_EQ(query(length, tooSmall), length + 1);  // no room for the terminator
  EXPECT_EQ(tooSmall, "");
  EXPECT_EQ(query(0, tooSmall), length + 1);

  std::string exact;
  EXPECT_EQ(query(length + 1, exact), length);
  EXPECT_EQ(exact, text);
}

TEST(PathsTest, DirectoryQueriesReportTheSizeTheyNeed) {
  ExpectSizeReporting("GetTempPathA", os::GetTempPathA);
  ExpectSizeReporting("GetWindowsDirectoryA", os::GetWindowsDirectoryA);
  ExpectSizeReporting("GetSystemDirectoryA", os::GetSystemDirectoryA);
  ExpectSizeReporting("GetCurrentDirectoryA", os::GetCurrentDirectoryA);
  ExpectSizeReporting("GetFullPathNameA", [](std::uint32_t size, std::string& path) {
    return os::GetFullPathNameA("relative.txt", size, path);
  });
}

TEST(PathsTest, SystemDirectoriesExistAndAreSpeltAsTheSystemGivesThem) {
  std::string temp;
  std::string windows;
  std::string system;
  os::GetTempPathA(os::kMaxPath, temp);
  os::GetWindowsDirectoryA(os::kMaxPath, windows);
  os::GetSystemDirectoryA(os::kMaxPath, system);
  EXPECT_TRUE(temp.ends_with('\\')) << temp;
  EXPECT_FALSE(windows.ends_with('\\')) << windows;
  EXPECT_FALSE(system.ends_with('\\')) << system;
  EXPECT_EQ(Upper(system), Upper(windows + "\\system32"));
  for (const std::string& directory : {temp, windows, system}) {
    EXPECT_NE(os::GetFileAttributesA(directory) & os::kFileAttributeDirectory, 0u) << directory;
  }
}

TEST(PathsTest, ModuleFileNameIsTheRunningProgram) {
  std::string path;
  const std::uint32_t length = os::GetModuleFileNameA(os::kMaxPath, path);
  EXPECT_EQ(length, path.size());
  EXPECT_TRUE(Upper(path).ends_with(".EXE")) << path;
  EXPECT_EQ(path.find(":\\"), 1u) << path;
  EXPECT_EQ(os::GetFileAttributesA(path) & os::kFileAttributeDirectory, 0u);
  EXPECT_NE(os::GetModuleBaseAddress(), 0u);

  // Cut to the buffer, which is reported as filled; XP leaves out the terminator, later
  // versions the last character.
  std::string cut;
  EXPECT_EQ(os::GetModuleFileNameA(8, cut), 8u);
  EXPECT_GE(cut.size(), 7u);
  EXPECT_TRUE(path.starts_with(cut)) << cut;
}

// The short form of the program's own path reaches the same file, and the long form of the
// short one gives the path back: what the repairs use to compare paths however spelt.
TEST(PathNamesTest, TheProgramsShortPathLeadsBackToItsLongOne) {
  std::string shortPath;
  ASSERT_GT(os::GetModuleShortFileNameA(os::kMaxPath, shortPath), 0u);
  std::string modulePath;
  ASSERT_GT(os::GetModuleFileNameA(os::kMaxPath, modulePath), 0u);
  EXPECT_NE(Upper(shortPath), Upper(modulePath));
  EXPECT_EQ(os::GetFileAttributesA(shortPath) & os::kFileAttributeDirectory, 0u);
  std::string longPath;
  const std::uint32_t length = os::GetLongPathNameA(shortPath, os::kMaxPath, longPath);
  ASSERT_EQ(length, longPath.size());
  EXPECT_EQ(Upper(longPath), Upper(modulePath));
  std::string tooSmall = "x";
  EXPECT_EQ(os::GetLongPathNameA(shortPath, 4, tooSmall), longPath.size() + 1);
}

TEST_F(FilesTest, LongPathNameOfAMissingFileFails) {
  std::string longPath = "x";
  EXPECT_EQ(os::GetLongPathNameA(Path("missing.txt"), os::kMaxPath, longPath), 0u);
  EXPECT_EQ(os::GetLastError(), os::kErrorFileNotFound);
  EXPECT_EQ(longPath, "");
}

TEST(FoldersTest, AllUsersApplicationDataIsAnExistingFullPath) {
  std::string folder = "stale";
  ASSERT_EQ(os::SHGetFolderPathA(os::kCsidlCommonAppData, folder), os::kSOk);
  ASSERT_GE(folder.size(), 3u);
  EXPECT_EQ(folder.substr(1, 2), ":\\") << folder;
  EXPECT_NE(folder.back(), '\\') << folder;
  const std::uint32_t attributes = os::GetFileAttributesA(folder);
  ASSERT_NE(attributes, os::kInvalidFileAttributes) << folder;
  EXPECT_NE(attributes & os::kFileAttributeDirectory, 0u);
}

}  // namespace
}  // namespace contract
