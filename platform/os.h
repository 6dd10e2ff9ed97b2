// The one seam between the program and the operating system.
//
// Every system call the program makes goes through the functions below. They keep the Win32
// level of detail: the same success flags, error codes and results as the real calls, with the
// last-error value set the same way. Strings are byte strings in the ANSI code page
// (Windows-1250 on the target systems), as with the ...A functions.
//
// Two implementations are linked in, one or the other: platform/win32 calls the real API,
// tests/sim acts on the simulated machine of the native tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace os {

using Handle = std::uintptr_t;  // a kernel object (file, process, console buffer)
using HKey = std::uintptr_t;    // an open registry key or a predefined root
using Hwnd = std::uintptr_t;    // a window
using Module = std::uintptr_t;  // a loaded library

inline constexpr Handle kInvalidHandle = ~Handle{0};  // INVALID_HANDLE_VALUE
inline constexpr Hwnd kBroadcast = 0xFFFF;            // HWND_BROADCAST
// MAX_PATH: the room a path query is given first.
inline constexpr std::uint32_t kMaxPath = 260;

// System error codes the program and its tests look at.
inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorInvalidFunction = 1;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorWriteFault = 29;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorLockViolation = 33;
inline constexpr std::uint32_t kErrorFileExists = 80;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorAlreadyExists = 183;
inline constexpr std::uint32_t kErrorMoreData = 234;
inline constexpr std::uint32_t kErrorNoMoreItems = 259;
inline constexpr std::uint32_t kErrorNotLocked = 158;

// ---- Error state and messages --------------------------------------------------------------

std::uint32_t GetLastError();
void SetLastError(std::uint32_t code);

// FormatMessageA(FROM_SYSTEM | IGNORE_INSERTS, code, default language) into a buffer of
// `bufferSize` characters. Returns the number of characters stored in `text` (0 on failure,
// `text` then empty). The text is as the system gives it, line break included.
std::uint32_t FormatMessageA(std::uint32_t code, std::uint32_t bufferSize, std::string& text);

// ---- Console -------------------------------------------------------------------------------

inline constexpr std::int32_t kStdInputHandle = -10;
inline constexpr std::int32_t kStdOutputHandle = -11;
inline constexpr std::int32_t kStdErrorHandle = -12;

struct Coord {
  std::int16_t X = 0;
  std::int16_t Y = 0;
};

Handle GetStdHandle(std::int32_t which);
// 0 x 0 when the handle is not a console screen buffer.
Coord GetLargestConsoleWindowSize(Handle output);
bool FillConsoleOutputCharacterA(Handle output, char character, std::uint32_t length, Coord first,
                                 std::uint32_t* written);
bool FillConsoleOutputAttribute(Handle output, std::uint16_t attribute, std::uint32_t length,
                                Coord first, std::uint32_t* written);
bool SetConsoleTextAttribute(Handle output, std::uint16_t attribute);
bool SetConsoleCursorPosition(Handle output, Coord position);
bool SetConsoleTitleA(const std::string& title);
// The ids of the processes attached to the calling process's console, this one included, into
// `processIds` (room for `count`, at least 1). Returns how many there are; when that is more
// than `count`, nothing is stored. 0 on failure, as for a process without a console.
std::uint32_t GetConsoleProcessList(std::uint32_t* processIds, std::uint32_t count);

// ---- Files and handles ---------------------------------------------------------------------

inline constexpr std::uint32_t kGenericRead = 0x80000000u;
inline constexpr std::uint32_t kGenericWrite = 0x40000000u;
inline constexpr std::uint32_t kFileShareRead = 1;
inline constexpr std::uint32_t kFileShareWrite = 2;
inline constexpr std::uint32_t kFileShareDelete = 4;
inline constexpr std::uint32_t kCreateNew = 1;
inline constexpr std::uint32_t kCreateAlways = 2;
inline constexpr std::uint32_t kOpenExisting = 3;
inline constexpr std::uint32_t kOpenAlways = 4;
inline constexpr std::uint32_t kFileAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;
inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
// What tells two names of one file or folder apart from two objects: while a handle to it is
// open without kFileShareDelete, an open of the other name that asks for kDelete fails with
// ERROR_SHARING_VIOLATION exactly when it names the same object, through whatever drive letter
// (subst), junction, symbolic link, hard link or short name. kFileFlagBackupSemantics lets
// CreateFileA open a folder (OPEN_EXISTING); such a handle reads and writes nothing.
inline constexpr std::uint32_t kDelete = 0x10000;
inline constexpr std::uint32_t kFileFlagBackupSemantics = 0x02000000u;

// The directory queries return what the real calls return: the length stored in `path`, the
// size needed (terminator included, `path` then empty) when `bufferSize` is too small, or 0 on
// failure.
std::uint32_t GetTempPathA(std::uint32_t bufferSize, std::string& path);
std::uint32_t GetWindowsDirectoryA(std::uint32_t bufferSize, std::string& path);
std::uint32_t GetSystemDirectoryA(std::uint32_t bufferSize, std::string& path);
std::uint32_t GetCurrentDirectoryA(std::uint32_t bufferSize, std::string& path);
std::uint32_t GetFullPathNameA(const std::string& name, std::uint32_t bufferSize,
                               std::string& path);
// The full path of the running executable.
std::uint32_t GetModuleFileNameA(std::uint32_t bufferSize, std::string& path);
// The load address of the running executable.
std::uintptr_t GetModuleBaseAddress();

std::uint32_t GetFileAttributesA(const std::string& path);
bool SetFileAttributesA(const std::string& path, std::uint32_t attributes);
bool CopyFileA(const std::string& source, const std::string& target, bool failIfExists);
bool DeleteFileA(const std::string& path);
inline constexpr std::uint32_t kMoveFileReplaceExisting = 1;
inline constexpr std::uint32_t kMoveFileDelayUntilReboot = 4;
inline constexpr std::uint32_t kMoveFileWriteThrough = 8;
// An empty `target` stands for the null pointer of the real call: with kMoveFileDelayUntilReboot
// the file is deleted at the next restart. A move delayed so is only recorded now, as the
// system does, in the REG_MULTI_SZ value kPendingFileRenameOperations of kSessionManagerKey
// (HKEY_LOCAL_MACHINE): pairs of "\??\" + the full source path and the target ("" to delete).
bool MoveFileExA(const std::string& existing, const std::string& target, std::uint32_t flags);
inline constexpr char kSessionManagerKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr char kPendingFileRenameOperations[] = "PendingFileRenameOperations";
bool CreateDirectoryA(const std::string& path);
bool RemoveDirectoryA(const std::string& path);

// SHGetFolderPathA(null, csidl, null, SHGFP_TYPE_CURRENT, ...) of shell32, loaded at run time:
// an HRESULT, kSOk with the folder's path (no trailing backslash) in `path`, else `path` empty.
inline constexpr std::int32_t kCsidlCommonAppData = 0x23;  // the all-users application data
inline constexpr std::int32_t kSOk = 0;
std::int32_t SHGetFolderPathA(std::int32_t csidl, std::string& path);

// ---- Path names ----------------------------------------------------------------------------

inline constexpr std::uint32_t kErrorNoUnicodeTranslation = 1113;

// GetLongPathNameA: the existing `path` with every short (8.3) name in it replaced by the long
// one; results as the directory queries above (0 on failure, as for a path that does not exist).
std::uint32_t GetLongPathNameA(const std::string& path, std::uint32_t bufferSize,
                               std::string& longPath);
// The running executable's path in its short (8.3) form, taken from its Unicode name
// (GetModuleFileNameW, GetShortPathNameW) and converted to the ANSI code page: it reaches the
// file where the long name holds characters that the code page lacks (GetModuleFileNameA then
// gives "?" for them). Results as the directory queries; 0 on failure, with
// kErrorNoUnicodeTranslation when even the short form does not fit the code page.
std::uint32_t GetModuleShortFileNameA(std::uint32_t bufferSize, std::string& path);

// kInvalidHandle on failure.
Handle CreateFileA(const std::string& path, std::uint32_t access, std::uint32_t shareMode,
                   std::uint32_t creation, std::uint32_t flags);
bool WriteFile(Handle file, std::string_view bytes, std::uint32_t* written);
bool ReadFile(Handle file, std::uint32_t toRead, std::string& bytes);
// Writes the file's buffered data to the disk; the handle needs write access.
bool FlushFileBuffers(Handle file);
bool CloseHandle(Handle handle);

inline constexpr std::uint32_t kFileBegin = 0;
inline constexpr std::uint32_t kFileCurrent = 1;
inline constexpr std::uint32_t kFileEnd = 2;
inline constexpr std::uint32_t kInvalidSetFilePointer = 0xFFFFFFFFu;
inline constexpr std::uint32_t kLockfileFailImmediately = 1;
inline constexpr std::uint32_t kLockfileExclusiveLock = 2;

// SetFilePointer with no high part: the new position, or kInvalidSetFilePointer on failure.
std::uint32_t SetFilePointer(Handle file, std::int32_t distance, std::uint32_t method);
// Makes the file end at the handle's position, cutting off or adding what lies between.
bool SetEndOfFile(Handle file);
// LockFileEx on the range of `length` bytes at `offset` (both 64-bit, given as the OVERLAPPED
// record would carry them), synchronously. A range may reach past the end of the file. A lock
// belongs to the handle: another handle, in this process or another, or on another machine
// for a file on a share, cannot lock an overlapping range; with kLockfileFailImmediately that
// fails with ERROR_LOCK_VIOLATION. Closing the handle releases its locks.
bool LockFileEx(Handle file, std::uint32_t flags, std::uint64_t offset, std::uint64_t length);
// Releases exactly a range that this handle locked; ERROR_NOT_LOCKED otherwise.
bool UnlockFileEx(Handle file, std::uint64_t offset, std::uint64_t length);

// ---- Processes -----------------------------------------------------------------------------

inline constexpr std::uint32_t kSeeMaskNoCloseProcess = 0x40;
inline constexpr std::uint32_t kSeeMaskFlagDdeWait = 0x100;
inline constexpr std::int32_t kSwShow = 5;
inline constexpr std::uint32_t kWaitObject0 = 0;
inline constexpr std::uint32_t kWaitTimeout = 258;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFFu;

// SHELLEXECUTEINFOA: cbSize must be 60 for the record that the program fills; a null string
// pointer of the real record is an empty string here.
struct ShellExecuteInfo {
  std::uint32_t cbSize = 0;
  std::uint32_t fMask = 0;
  Hwnd hwnd = 0;
  std::string verb;
  std::string file;
  std::string parameters;
  std::string directory;
  std::int32_t nShow = 0;
  std::uintptr_t hInstApp = 0;  // out
  Handle hProcess = 0;          // out, with kSeeMaskNoCloseProcess; may stay 0
};

bool ShellExecuteExA(ShellExecuteInfo& info);
std::uint32_t WaitForSingleObject(Handle handle, std::uint32_t milliseconds);
// Greater than 31 on success.
std::uint32_t WinExec(const std::string& commandLine, std::uint32_t show);
void Sleep(std::uint32_t milliseconds);
Hwnd GetActiveWindow();
std::string GetCommandLineA();

// ---- Version -------------------------------------------------------------------------------

// OSVERSIONINFOA, the plain 148-byte record.
struct OsVersionInfo {
  std::uint32_t dwOSVersionInfoSize = 0;
  std::uint32_t dwMajorVersion = 0;
  std::uint32_t dwMinorVersion = 0;
  std::uint32_t dwBuildNumber = 0;
  std::uint32_t dwPlatformId = 0;
  char szCSDVersion[128] = {};
};
inline constexpr std::uint32_t kOsVersionInfoSize = 148;

bool GetVersionExA(OsVersionInfo& info);
// IsWow64Process on this process: true on a 64-bit Windows. Looked up in kernel32 at run time,
// which lacks it before XP SP2: false with kErrorProcNotFound then, as GetProcAddress fails.
inline constexpr std::uint32_t kErrorProcNotFound = 127;
bool IsWow64Process(bool& isWow64);

// The version library. The block is the raw version resource the library hands out.
std::uint32_t GetFileVersionInfoSizeA(const std::string& path, std::uint32_t* handle);
bool GetFileVersionInfoA(const std::string& path, std::uint32_t handle, std::uint32_t size,
                         void* block);
bool VerQueryValueA(const void* block, const std::string& subBlock, const void** value,
                    std::uint32_t* length);

// VS_FIXEDFILEINFO, what VerQueryValueA gives for the root block "\".
struct FixedFileInfo {
  std::uint32_t dwSignature;
  std::uint32_t dwStrucVersion;
  std::uint32_t dwFileVersionMS;
  std::uint32_t dwFileVersionLS;
  std::uint32_t dwProductVersionMS;
  std::uint32_t dwProductVersionLS;
  std::uint32_t dwFileFlagsMask;
  std::uint32_t dwFileFlags;
  std::uint32_t dwFileOS;
  std::uint32_t dwFileType;
  std::uint32_t dwFileSubtype;
  std::uint32_t dwFileDateMS;
  std::uint32_t dwFileDateLS;
};

// ---- Locale-aware strings (user's default locale, ANSI code page) --------------------------

inline constexpr std::uint32_t kNormIgnoreCase = 1;
inline constexpr int kCstrLessThan = 1;
inline constexpr int kCstrEqual = 2;
inline constexpr int kCstrGreaterThan = 3;

// CompareStringA(LOCALE_USER_DEFAULT, flags, ...) with both lengths given; 0 on failure.
int CompareStringA(std::uint32_t flags, std::string_view first, std::string_view second);
// CharUpperBuffA over the whole text.
std::string CharUpperBuffA(std::string text);
// CharNextA: the position of the character after the one at `position` (never past the end).
std::size_t CharNextA(std::string_view text, std::size_t position);

// ---- Registry ------------------------------------------------------------------------------

inline constexpr HKey kHkeyClassesRoot = 0x80000000u;
inline constexpr HKey kHkeyCurrentUser = 0x80000001u;
inline constexpr HKey kHkeyLocalMachine = 0x80000002u;
inline constexpr HKey kHkeyUsers = 0x80000003u;
inline constexpr HKey kHkeyPerformanceData = 0x80000004u;
inline constexpr HKey kHkeyCurrentConfig = 0x80000005u;
inline constexpr HKey kHkeyDynData = 0x80000006u;

inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// Results are system error codes (kErrorSuccess on success), as the Reg... calls return them.
std::int32_t RegOpenKeyExA(HKey root, const std::string& subKey, std::uint32_t access, HKey& key);
std::int32_t RegCreateKeyExA(HKey root, const std::string& subKey, std::uint32_t access, HKey& key,
                             bool* created);
// With `data` null only the type and the size are asked for. Otherwise `*size` is the capacity
// on entry; kErrorMoreData when the data does not fit. `data` receives the raw bytes (a string
// value with its terminating zero, as stored).
std::int32_t RegQueryValueExA(HKey key, const std::string& name, std::uint32_t* type,
                              std::string* data, std::uint32_t* size);
std::int32_t RegSetValueExA(HKey key, const std::string& name, std::uint32_t type,
                            std::string_view data);
std::int32_t RegDeleteValueA(HKey key, const std::string& name);
std::int32_t RegDeleteKeyA(HKey root, const std::string& subKey);
// RegQueryInfoKeyA for the counts of the key's sub-keys and values.
std::int32_t RegQueryInfoKeyA(HKey key, std::uint32_t* subKeys, std::uint32_t* values);
std::int32_t RegCloseKey(HKey key);

// ---- GDI fonts and window messages ---------------------------------------------------------

inline constexpr std::uint32_t kWmFontChange = 0x001D;

bool CreateScalableFontResourceA(std::uint32_t hidden, const std::string& resourceFile,
                                 const std::string& fontFile, const std::string& currentPath);
int AddFontResourceA(const std::string& path);
// Takes a font added under exactly this name out of the system font table; false when none was.
bool RemoveFontResourceA(const std::string& path);
std::intptr_t SendMessageA(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam);
Hwnd FindWindowA(const std::string& className);
bool PostMessageA(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

// ---- Dynamic libraries ---------------------------------------------------------------------

// SetDllDirectoryA("") and, where kernel32 has it (not on XP), SetDefaultDllDirectories(
// LOAD_LIBRARY_SEARCH_SYSTEM32): from then on neither the current directory nor, where the
// second call exists, the program's own directory is searched for a library that the system
// loads on demand. Called first thing by each program, which runs elevated.
void RestrictDllSearchToSystem();

// Loads by the path given; callers pass full paths only (the program runs elevated).
Module LoadLibraryA(const std::string& path);
void* GetProcAddress(Module module, const std::string& name);
bool FreeLibrary(Module module);

// ---- Lock, clock, the computer and its user -----------------------------------------------------

// A critical section; only one exists at a time in the program.
class CriticalSection {
 public:
  CriticalSection();
  ~CriticalSection();
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  void Enter();
  void Leave();

 private:
  alignas(8) unsigned char storage_[64];
};

// The local date and time of day to the millisecond.
struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
};
LocalTime GetLocalTime();

// ---- Synchronisation: a named mutex --------------------------------------------------------

inline constexpr std::uint32_t kWaitAbandoned = 0x80;  // WAIT_ABANDONED: its owner ended
inline constexpr std::uint32_t kErrorNotOwner = 288;

// CreateMutexA(attributes, FALSE, name) whose security descriptor lets the local system and the
// administrators open and take the mutex, whoever made it: a "Global\" mutex made by a start-up
// script under SYSTEM is otherwise closed to an administrator's run. 0 on failure
// (ERROR_ACCESS_DENIED when it exists and refuses us); ERROR_ALREADY_EXISTS when it was there.
// WaitForSingleObject takes it (kWaitObject0, or kWaitAbandoned when its owner ended without
// releasing it); CloseHandle closes the handle.
Handle CreateMutexForAdministratorsA(const std::string& name);
// Releases the mutex that this thread took; ERROR_NOT_OWNER otherwise.
bool ReleaseMutex(Handle mutex);

// The NetBIOS name of the computer (at most 15 characters) and the name of the user the
// process runs as ("SYSTEM" for a computer start-up script).
bool GetComputerNameA(std::string& name);
bool GetUserNameA(std::string& name);
// A counter that runs fast enough to tell apart processes started in the same millisecond.
std::uint64_t QueryPerformanceCounter();

}  // namespace os
