// The simulated Windows machine that the os:: functions act on in native builds.
//
// A test creates one Machine; while it lives, every os:: call goes to it (creating a second
// one while the first lives is an error, and an os:: call without one aborts the test run).
// A new machine looks like a freshly installed 32-bit Czech Windows:
//   C:\WINDOWS, C:\WINDOWS\system32, C:\WINDOWS\Fonts, C:\WINDOWS\system32\dllcache,
//   temporary directory C:\DOCUME~1\user\LOCALS~1\Temp\ (GetTempPathA gives the trailing "\"),
//   the running program C:\Program Files\Morek\sanivo.exe (an empty file, loaded at 0x400000),
//   current directory C:\,
//   console 80 x 25 buffer, largest window 80 x 25, attribute 0x07, cursor 0,0, blank cells,
//   standard handles 3 (input), 7 (output) and 11 (error), as on Windows XP,
//   version 5.1.2600 (platform 2) without service-pack text, ANSI code page 1250,
//   the short name PROGRA~1 of C:\Program Files,
//   command line "sanivo.exe", local time 2026-12-08 09:30:00, computer "UCEBNA-01", user
//   "user", an empty registry with the predefined roots and
//   HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts and os::kSessionManagerKey present,
//   no windows, no programs, no libraries.
// Paths are case-insensitive and relative ones are taken from the current directory; "/" is
// read as "\", as Windows does. Files keep the case of their creation. A file that exists
// but was not registered with AddProgram starts and ends at once when run.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os.h"

namespace sim {

// A program that the shell or WinExec can start. The file must exist on the machine too.
struct Program {
  // Runs when the program is started (at the start, before any wait).
  std::function<void(const std::string& parameters, const std::string& directory)> onStart;
  // Runs once, when a wait first sees the process ended: what another process does at that
  // moment, such as swapping a file the program is about to read.
  std::function<void()> onExit;
  // How many WaitForSingleObject calls time out before the process counts as ended;
  // -1: it never ends.
  int waitsBeforeExit = 0;
  // The shell reports success but hands back no process handle.
  bool noProcessHandle = false;
};

struct Launch {
  std::string via;  // "ShellExecuteExA" or "WinExec"
  std::string file;
  std::string parameters;
  std::string directory;
  std::string verb;
  std::int32_t show = 0;
  std::uint32_t mask = 0;
  std::uint32_t size = 0;  // cbSize as passed
};

struct PostedMessage {
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

struct RegistryValue {
  std::uint32_t type = 0;
  std::string data;  // raw bytes; strings with their terminating zero
};

// The name of an os:: call that Machine::Fail can make fail. The name is checked when the
// program is compiled: a misspelt one, or a call that cannot fail, stops the build instead of
// setting up a fault that never fires.
class FailableCall {
 public:
  consteval FailableCall(const char* name) : name_(name) {  // NOLINT: implicit on purpose
    if (!IsFailable(name)) throw "not an os:: call that can be made to fail";
  }
  const char* Name() const { return name_; }

 private:
  static consteval bool IsFailable(std::string_view name) {
    for (std::string_view known : kFailableCalls) {
      if (known == name) return true;
    }
    return false;
  }

  static constexpr std::string_view kFailableCalls[] = {"AddFontResourceA",
                                                        "CreateMutexForAdministratorsA",
                                                        "CloseHandle",
                                                        "CompareStringA",
                                                        "CopyFileA",
                                                        "CreateDirectoryA",
                                                        "CreateFileA",
                                                        "CreateScalableFontResourceA",
                                                        "DeleteFileA",
                                                        "FillConsoleOutputAttribute",
                                                        "FillConsoleOutputCharacterA",
                                                        "FindWindowA",
                                                        "FlushFileBuffers",
                                                        "FormatMessageA",
                                                        "FreeLibrary",
                                                        "GetComputerNameA",
                                                        "GetConsoleProcessList",
                                                        "GetCurrentDirectoryA",
                                                        "GetFileAttributesA",
                                                        "GetFileVersionInfoA",
                                                        "GetFileVersionInfoSizeA",
                                                        "GetFullPathNameA",
                                                        "GetLargestConsoleWindowSize",
                                                        "GetLongPathNameA",
                                                        "GetModuleFileNameA",
                                                        "GetModuleShortFileNameA",
                                                        "GetProcAddress",
                                                        "GetStdHandle",
                                                        "GetSystemDirectoryA",
                                                        "GetTempPathA",
                                                        "GetUserNameA",
                                                        "GetVersionExA",
                                                        "IsWow64Process",
                                                        "GetWindowsDirectoryA",
                                                        "LoadLibraryA",
                                                        "LockFileEx",
                                                        "MoveFileExA",
                                                        "PostMessageA",
                                                        "ReadFile",
                                                        "RegCloseKey",
                                                        "RegCreateKeyExA",
                                                        "RegDeleteKeyA",
                                                        "RegDeleteValueA",
                                                        "RegOpenKeyExA",
                                                        "RegQueryInfoKeyA",
                                                        "RegQueryValueExA",
                                                        "RegSetValueExA",
                                                        "ReleaseMutex",
                                                        "RemoveDirectoryA",
                                                        "RemoveFontResourceA",
                                                        "SendMessageA",
                                                        "SetConsoleCursorPosition",
                                                        "SetConsoleTextAttribute",
                                                        "SetConsoleTitleA",
                                                        "SetFileAttributesA",
                                                        "SetEndOfFile",
                                                        "SetFilePointer",
                                                        "SHGetFolderPathA",
                                                        "ShellExecuteExA",
                                                        "UnlockFileEx",
                                                        "VerQueryValueA",
                                                        "WaitForSingleObject",
                                                        "WinExec",
                                                        "WriteFile"};

  const char* name_;
};

class Machine {
 public:
  Machine();
  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  // ---- Files ----
  // Creates the file (and its missing parent directories), replacing any content.
  void AddFile(const std::string& path, const std::string& bytes = {});
  void AddDirectory(const std::string& path);  // with missing parents
  bool HasFile(const std::string& path) const;
  bool HasDirectory(const std::string& path) const;
  std::string FileBytes(const std::string& path) const;  // empty when missing
  void SetReadOnly(const std::string& path, bool readOnly);
  // Every file and directory, as "C:\X\y.txt" with the case of creation, sorted
  // case-insensitively; directories end in "\". For "nothing else changed" checks.
  std::vector<std::string> Listing() const;
  // Another process opens the file with this access and share mode; until Release, opens
  // that conflict fail with ERROR_SHARING_VIOLATION (and DeleteFileA/CopyFileA onto it too).
  os::Handle HoldOpen(const std::string& path, std::uint32_t access, std::uint32_t shareMode);
  void Release(os::Handle handle);
  // A writer on another machine opens the file on its share for reading and writing without
  // sharing; its share mode binds nobody here (as with Wine prefixes, each with a server of its
  // own), while its byte-range locks (HoldLock) do.
  os::Handle HoldOpenElsewhere(const std::string& path);
  // The other process also locks `length` bytes at `offset` through its handle (exclusively,
  // as LockFileEx does), until UnlockHeld or Release; the program's own LockFileEx on an
  // overlapping range then fails with ERROR_LOCK_VIOLATION, and so do its reads and writes
  // there. Stands for a writer on another machine as well: byte-range locks reach across.
  void HoldLock(os::Handle handle, std::uint64_t offset, std::uint64_t length);
  void UnlockHeld(os::Handle handle);
  // Appends to the file through a held handle, as that other writer would.
  void AppendHeld(os::Handle handle, const std::string& bytes);
  // The next WriteFile to the file puts only its first `bytes` bytes there and reports success
  // with that count, as a disk that fills up or a quota that is reached does.
  void CutNextWriteShort(const std::string& path, std::uint32_t bytes);
  // Handles of the program's own that are still open (files and processes).
  int OpenHandleCount() const;
  // Read-only attribute, share modes and sharing:
  //   a read-only file refuses write opens, CREATE_ALWAYS, DeleteFileA and CopyFileA onto it
  //   (ERROR_ACCESS_DENIED); CopyFileA reads its source shared for reading and deleting and
  //   writes its target unshared; DeleteFileA and MoveFileExA need every open to share
  //   deleting. Opens without read, write or delete access never conflict. A move delayed
  //   until the restart is only recorded, as Windows records it (see os::MoveFileExA): the
  //   machine never restarts. A fault for it is matched by its source path as well.

  // ---- Directories of the system and of the program ----
  void SetTempPath(const std::string& path);  // as GetTempPathA reports it
  void SetWindowsDirectory(const std::string& path);
  void SetSystemDirectory(const std::string& path);
  void SetCurrentDirectory(const std::string& path);
  // SHGetFolderPathA's all-users application data, created; XP's at first.
  void SetCommonAppDataFolder(const std::string& path);
  // The running executable, created when missing unless the path holds "?" (see below).
  void SetModulePath(const std::string& path);
  void SetModuleBaseAddress(std::uintptr_t base);  // GetModuleBaseAddress; 0x400000 at first

  // ---- Rights ----
  // From now on the program runs as a user without administrator rights: keys of
  // HKEY_LOCAL_MACHINE open for reading only and cannot be deleted, nothing at or below the
  // Windows directory can be created, written, copied onto, moved, deleted or given other
  // attributes, and no move waits for the restart (ERROR_ACCESS_DENIED).
  void SetStandardUser();

  // ---- Short (8.3) names ----
  // The existing file or directory at `longPath` also answers to `shortName`, the 8.3 alias of
  // its last name, in every path an os:: call is given; GetLongPathNameA puts the long names
  // back. A new machine knows "C:\PROGRA~1" for "C:\Program Files", as Windows XP names it.
  void AddShortName(const std::string& longPath, const std::string& shortName);
  // What GetModuleShortFileNameA gives: by default the module path with the aliases known for
  // it. A test of a module name outside the ANSI code page sets this (the file is created when
  // missing) and a module path that holds "?" where the code page lacks a character.
  void SetModuleShortPath(const std::string& path);

  // ---- Other names of one file or folder ----
  // `link` ("Y:\" for a drive letter made with subst, "C:\odkaz" for a junction or a symbolic
  // link) names the existing file or folder `target` from now on: every path at or below it
  // reaches what lies at or below the target, as the system follows the link. GetFullPathNameA
  // and GetLongPathNameA keep the spelling given; the link itself is never created or removed.
  void AddLink(const std::string& link, const std::string& target);

  // ---- Named mutexes: other runs of the program ----
  // Another run holds the mutex `name` (as the program spells it): the program's waits on it
  // time out `waits` times (-1: always), then it is the program's. With `abandoned`, that run
  // was killed instead of releasing it, and the wait that takes it says so (WAIT_ABANDONED).
  void HoldMutex(const std::string& name, int waits, bool abandoned = false);
  // The mutex exists with a security descriptor that does not let the program open it (one made
  // under SYSTEM by an older release): creating it fails with ERROR_ACCESS_DENIED until Allow.
  void DenyMutex(const std::string& name);
  void AllowMutex(const std::string& name);
  // Whether the program has taken the mutex and not released it.
  bool OwnsMutex(const std::string& name) const;

  // ---- Registry ---- (root is one of os::kHkey...; key paths without leading "\")
  // Keys and value names are case-insensitive and keep the case of their creation. Keys opened
  // with KEY_READ cannot take values (ERROR_ACCESS_DENIED); a sub-key path that starts with
  // "\" gives ERROR_BAD_PATHNAME.
  void AddKey(os::HKey root, const std::string& key);
  void SetValue(os::HKey root, const std::string& key, const std::string& name, std::uint32_t type,
                const std::string& data);  // creates the key
  void SetString(os::HKey root, const std::string& key, const std::string& name,
                 const std::string& text, std::uint32_t type = os::kRegSz);
  void SetDword(os::HKey root, const std::string& key, const std::string& name,
                std::uint32_t value);
  bool HasKey(os::HKey root, const std::string& key) const;
  std::optional<RegistryValue> Value(os::HKey root, const std::string& key,
                                     const std::string& name) const;
  std::vector<std::string> ValueNames(os::HKey root, const std::string& key) const;
  // The whole registry as sorted text lines, for "nothing else changed" checks: one line a
  // key ("HKEY_CURRENT_USER\Console") and one a value
  // ('HKEY_CURRENT_USER\Console [FaceName] type 1 = "Lucida Console CS"'; a DWORD in decimal,
  // other data as "hex:0A0B").
  std::vector<std::string> RegistryDump() const;
  int OpenKeyCount() const;  // keys opened by the program and not closed yet

  // ---- Console ----
  // A console with a buffer of width x height cells and the given largest window size.
  void SetConsole(int width, int height, int largestWidth, int largestHeight);
  // Standard output and error are files, not a console: sizes 0 x 0, console calls fail with
  // ERROR_INVALID_HANDLE and change nothing; written bytes are still kept. The title, which
  // belongs to the console window rather than to standard output, is still set.
  //
  // Bytes written with WriteFile to standard output or error land at the cursor in the current
  // attribute, as the console's processed output treats them: CR goes to column 0, LF to column
  // 0 of the next row, BS one column left (not past column 0), TAB writes blanks up to the next
  // multiple of 8 (not past the row's end), BEL shows nothing; any other byte is a character.
  // Past the last column the cursor goes to the next row; past the last row the buffer scrolls
  // up one row and the new row is blank in the current attribute. The fills run on row by row
  // over the buffer width and stop at the buffer's end; a start or cursor position outside the
  // buffer gives ERROR_INVALID_PARAMETER.
  void SetNotAConsole();
  // How many processes GetConsoleProcessList reports on the program's console, the program
  // included: 2 at first (started from a command prompt), 1 when the console is its own (as
  // when started from Explorer), 0 when it has no console (ERROR_INVALID_HANDLE, as under
  // Wine with standard output piped).
  void SetConsoleProcessCount(std::uint32_t count);
  std::uint8_t CharAt(int x, int y) const;        // the CP852 byte of a cell
  std::uint16_t AttributeAt(int x, int y) const;  // the attribute of a cell
  // Row y as UTF-8 (CP852 decoded), trailing blanks kept; `from`/`count` cut it.
  std::string Row(int y, int from = 0, int count = -1) const;
  // The whole buffer, rows joined by "\n", trailing blanks of each row removed.
  std::string ScreenText() const;
  os::Coord Cursor() const;
  std::uint16_t CurrentAttribute() const;
  std::string Title() const;   // raw bytes as passed to SetConsoleTitleA
  std::string Stdout() const;  // every byte written to standard output
  std::string Stderr() const;  // every byte written to standard error

  // ---- Version, locale, command line, date ----
  void SetVersion(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                  const std::string& servicePack = {});
  // Whether IsWow64Process finds the program on a 64-bit Windows; false at first.
  void SetWow64(bool wow64);
  // A file with a version resource of file version a.b.c.d.
  // The file is created when missing; the version goes with copies and is lost when the file is
  // rewritten with CREATE_ALWAYS or AddFile. A file without one gives size 0 and
  // ERROR_RESOURCE_TYPE_NOT_FOUND (1813). The block holds only the root "\" (VS_FIXEDFILEINFO).
  void SetFileVersion(const std::string& path, std::uint16_t major, std::uint16_t minor,
                      std::uint16_t release, std::uint16_t build);
  void SetCommandLine(const std::string& commandLine);
  void SetLocalDate(int year, int month, int day);
  void SetLocalTimeOfDay(int hour, int minute, int second, int milliseconds = 0);
  // "UCEBNA-01" and "user" at first.
  void SetComputerName(const std::string& name);
  void SetUserName(const std::string& name);
  // QueryPerformanceCounter gives this value, then one more on every call.
  void SetPerformanceCounter(std::uint64_t value);

  // ---- Programs, windows, fonts, libraries ----
  void AddProgram(const std::string& path, Program program);  // also creates the file
  std::vector<Launch> Launches() const;
  std::uint32_t TotalSleep() const;  // sum of every Sleep
  // Runs after every Sleep of the program with its milliseconds: what others do meanwhile.
  void OnSleep(std::function<void(std::uint32_t milliseconds)> action);
  os::Hwnd AddWindow(const std::string& className);
  void RemoveWindow(os::Hwnd window);  // posts to it fail from then on
  std::vector<PostedMessage> Posted(os::Hwnd window) const;
  std::vector<PostedMessage> Broadcasts() const;  // SendMessageA to HWND_BROADCAST
  // Resource and font files passed to a successful AddFontResourceA, in order. A font file is
  // a TrueType one when it starts with the version 00 01 00 00 or "true"; nothing more is
  // looked at. RemoveFontResourceA takes out one entry of the same name, without regard to
  // case, and fails without one.
  std::vector<std::string> AddedFonts() const;
  // A library file (created when missing) exporting `entry`; call once per entry. Only such
  // files load: another existing file gives ERROR_BAD_EXE_FORMAT, a missing one
  // ERROR_MOD_NOT_FOUND.
  void AddLibrary(const std::string& path, const std::string& entry, void* address);
  int LoadedLibraryCount() const;  // libraries loaded and not freed as often
  // An iconv library at `path` whose "libiconv_open", "libiconv", "libiconv_close" and
  // "libiconvctl" are the host's iconv; its open refuses the target names in `refusedNames`
  // (suffixes included, as passed), as a library that lacks a charset does. An entry can be
  // taken away with Fail("GetProcAddress", entry, ...).
  void AddIconvLibrary(const std::string& path, std::vector<std::string> refusedNames = {});

  // ---- Faults ----
  // The next `times` calls (-1: every call) of `operation` (an os:: function name such as
  // "CopyFileA", checked by FailableCall) whose target matches fail with `error`, as the real call
  // reports failure. The target is the call's path, as passed or as a full path (the target path
  // for CopyFileA and MoveFileExA, the resource file for CreateScalableFontResourceA, the file for
  // ShellExecuteExA, the program or the whole command line for WinExec, the file's path for
  // ReadFile/WriteFile/SetFilePointer/LockFileEx/UnlockFileEx on a file), "ROOT\key" for
  // RegOpenKeyExA/RegCreateKeyExA/RegDeleteKeyA (ROOT as "HKEY_LOCAL_MACHINE"), the value name for
  // RegQueryValueExA/RegSetValueExA/ RegDeleteValueA, "stdout"/"stderr" for WriteFile to those
  // handles, the class name for FindWindowA, the entry name for GetProcAddress, the code for
  // FormatMessageA, and "" for calls without one. Matching is case-insensitive; an empty `target`
  // matches all. Faults are tried in the order they were added. FlushFileBuffers has the file's
  // path, as ReadFile.
  //
  // A faulted call changes nothing and returns its failure value: false, 0, kInvalidHandle,
  // kInvalidFileAttributes, WAIT_FAILED, a null pointer or a 0 x 0 size, with the last error set
  // to `error`; the Reg... calls return `error` itself; WinExec returns `error` when it is below
  // 32, else 0; WriteFile reports 0 bytes written. Sleep, GetCommandLineA, GetLocalTime,
  // QueryPerformanceCounter,
  // GetActiveWindow, GetModuleBaseAddress, CharUpperBuffA and CharNextA cannot fail.
  void Fail(FailableCall operation, const std::string& target, std::uint32_t error, int times = -1);

  // ---- Call log ----
  // Arguments of every call of `operation`, in order, one text per call (faulted and failing
  // calls included). Every os:: function is logged except GetLastError, SetLastError and
  // CharNextA. Numbers are decimal unless shown otherwise:
  //   SetConsoleTextAttribute        "0x1E" (at least two upper-case hex digits)
  //   SetConsoleCursorPosition       "X,Y"
  //   FillConsoleOutputCharacterA    "0x20,COUNT,X,Y"
  //   FillConsoleOutputAttribute     "0x1F,COUNT,X,Y"
  //   SetConsoleTitleA               the raw title
  //   GetStdHandle                   the number passed, "-11"
  //   WriteFile                      the raw bytes, whatever the handle
  //   ReadFile                       "HANDLE,COUNT"
  //   CopyFileA                      "SOURCE|TARGET|0" (1 with fail-if-exists)
  //   MoveFileExA                    "EXISTING|TARGET|FLAGS"
  //   SetFileAttributesA             "PATH|0x01"
  //   CreateFileA, DeleteFileA, CreateDirectoryA, RemoveDirectoryA, GetFileAttributesA,
  //   GetFullPathNameA, GetLongPathNameA, GetFileVersionInfoSizeA, LoadLibraryA,
  //   AddFontResourceA, RemoveFontResourceA
  //                                  the path as passed
  //   GetFileVersionInfoA            "PATH|HANDLE|SIZE"
  //   VerQueryValueA                 the sub-block
  //   RegOpenKeyExA, RegCreateKeyExA, RegDeleteKeyA, RegCloseKey
  //                                  the key's full path, "HKEY_LOCAL_MACHINE\SOFTWARE\X"
  //   RegQueryValueExA, RegSetValueExA, RegDeleteValueA
  //                                  the value name
  //   Sleep                          the milliseconds
  //   WaitForSingleObject            "HANDLE,MS"
  //   CloseHandle, FreeLibrary       the handle
  //   FlushFileBuffers               the handle
  //   SetFilePointer                 "HANDLE,DISTANCE,METHOD"
  //   LockFileEx                     "HANDLE,0xFLAGS,OFFSET,LENGTH"
  //   UnlockFileEx                   "HANDLE,OFFSET,LENGTH"
  //   ShellExecuteExA                "FILE|PARAMETERS"
  //   WinExec                        the command line
  //   SendMessageA, PostMessageA     "HWND,MESSAGE,WPARAM,LPARAM"
  //   FindWindowA                    the class name
  //   CreateScalableFontResourceA    "HIDDEN|RESOURCE|FONT|CURRENTPATH"
  //   GetProcAddress                 the entry name
  //   CompareStringA                 "FIRST|SECOND|FLAGS"
  //   CharUpperBuffA                 the text
  //   FormatMessageA                 "CODE,BUFFERSIZE"
  //   GetVersionExA                  the record's size field
  //   GetConsoleProcessList          the room given, "2"
  //   GetTempPathA, GetWindowsDirectoryA, GetSystemDirectoryA, GetCurrentDirectoryA,
  //   GetModuleFileNameA, GetModuleShortFileNameA
  //                                  the buffer size
  //   the others                     ""
  std::vector<std::string> CallsTo(const std::string& operation) const;
  int CallCount(const std::string& operation) const;

  struct State;

 private:
  State* state_;
};

}  // namespace sim
