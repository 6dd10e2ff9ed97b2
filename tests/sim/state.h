// The inside of the simulated machine: one State that every os:: function and every test
// accessor of sim::Machine works on. Not for use outside tests/sim.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os.h"
#include "tests/sim/machine.h"

namespace sim {

// More system error codes that only the simulation reports.
inline constexpr std::uint32_t kErrorNotSameDevice = 17;
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;
inline constexpr std::uint32_t kErrorNegativeSeek = 131;
inline constexpr std::uint32_t kErrorInvalidName = 123;
inline constexpr std::uint32_t kErrorModNotFound = 126;
inline constexpr std::uint32_t kErrorProcNotFound = 127;
inline constexpr std::uint32_t kErrorDirNotEmpty = 145;
inline constexpr std::uint32_t kErrorBadPathname = 161;
inline constexpr std::uint32_t kErrorBadExeFormat = 193;
inline constexpr std::uint32_t kErrorDirectory = 267;
inline constexpr std::uint32_t kErrorMrMidNotFound = 317;
inline constexpr std::uint32_t kErrorKeyDeleted = 1018;
inline constexpr std::uint32_t kErrorInvalidWindowHandle = 1400;
inline constexpr std::uint32_t kErrorResourceTypeNotFound = 1813;

// ---- Text in the ANSI code page (strings.cpp) ----
std::string UpperAnsi(std::string_view text);
bool EqualNoCase(std::string_view first, std::string_view second);
bool LessNoCase(std::string_view first, std::string_view second);
std::string Cp852ToUtf8(std::string_view bytes);
std::string HexByte(std::uint32_t value);  // "0x1E": at least two upper-case hex digits

// ---- Files (files.cpp) ----
struct FileNode {
  std::string path;  // full path with the case of creation; a root is "C:\"
  bool directory = false;
  std::string bytes;
  std::uint32_t attributes = 0;  // the directory bit is implied by `directory`
  std::optional<std::array<std::uint16_t, 4>> version;
};

struct ByteRange {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  bool Overlaps(std::uint64_t start, std::uint64_t count) const {
    return count != 0 && length != 0 && start < offset + length && offset < start + count;
  }
};

struct OpenFile {
  std::string key;
  std::uint32_t access = 0;  // GENERIC_... as passed
  std::uint32_t share = 0;
  std::size_t position = 0;
  std::vector<ByteRange> locks;  // exclusive, held through this handle
  bool elsewhere = false;        // held on another machine: its share mode does not reach here
};

// A name resolved against the current directory.
struct Location {
  std::string full;       // the object's own full path, links followed, long names
  std::string spelled;    // as given, in full with long names, links not followed
  std::string key;        // upper-cased, no trailing "\"; "C:" for the root of C:
  std::string parentKey;  // empty for a root
  bool trailingSeparator = false;
};

// GetFullPathNameA's rules; nullopt for a name that has no full path (the empty one).
std::optional<std::string> FullPathName(std::string_view name, std::string_view currentDirectory);
std::string KeyOf(std::string_view fullPath);

// ---- Registry (registry.cpp) ----
struct RegistryKey {
  std::string name;
  std::map<std::string, std::unique_ptr<RegistryKey>> subkeys;          // by upper-cased name
  std::map<std::string, std::pair<std::string, RegistryValue>> values;  // by upper-cased name
};

struct OpenKey {
  os::HKey root = 0;
  std::vector<std::string> path;  // names below the root, as the caller gave them
  std::uint32_t access = 0;
};

// ---- Console (console.cpp) ----
struct Cell {
  std::uint8_t character = ' ';
  std::uint16_t attribute = 0x07;
};

struct Console {
  bool isConsole = true;
  int width = 80;
  int height = 25;
  int largestWidth = 80;
  int largestHeight = 25;
  std::vector<Cell> cells = std::vector<Cell>(80 * 25);
  os::Coord cursor;
  std::uint16_t attribute = 0x07;
  std::string title;
  std::string stdoutBytes;
  std::string stderrBytes;
  std::uint32_t processCount = 2;  // attached to the console, the program included
};

inline constexpr os::Handle kStdInput = 3;  // the console handles of Windows XP
inline constexpr os::Handle kStdOutput = 7;
inline constexpr os::Handle kStdError = 11;
inline constexpr std::uint32_t kFirstConsoleProcessId = 0x100;  // GetConsoleProcessList

// ---- Processes, windows, libraries ----
struct Process {
  int waitsLeft = 0;  // -1: never ends
  std::function<void()> onExit;
};

struct Window {
  std::string className;
  std::vector<PostedMessage> posted;
};

struct Library {
  std::string path;
  std::map<std::string, void*> entries;
  int loads = 0;
};

struct Mutex {
  bool denied = false;
  int otherRunsWaits = 0;  // waits that still time out; -1: for ever
  bool abandoned = false;  // the other run ends without releasing it
  int ownedByProgram = 0;  // times taken and not released
};

struct Fault {
  std::string operation;
  std::string target;
  std::uint32_t error = 0;
  int remaining = -1;
};

struct Machine::State {
  State();

  std::uint32_t lastError = 0;

  std::map<std::string, FileNode> files;  // by KeyOf
  std::map<os::Handle, OpenFile> openFiles;
  std::map<os::Handle, OpenFile> heldFiles;          // opened by other processes
  std::map<std::string, std::uint32_t> shortWrites;  // by KeyOf: what the next write puts
  std::map<os::Handle, Process> processes;
  std::map<std::string, Mutex> mutexes;            // by upper-cased name
  std::map<os::Handle, std::string> mutexHandles;  // the program's, to the mutex's key
  os::Handle nextHandle = 0x100;
  std::string tempPath;
  std::string windowsDirectory;
  std::string systemDirectory;
  std::string currentDirectory;
  std::string commonAppData;
  std::string modulePath;
  std::optional<std::string> moduleShortPath;     // else derived from modulePath
  std::map<std::string, std::string> longNames;   // KeyOf(parent\SHORT) -> the long last name
  std::map<std::string, std::string> shortNames;  // KeyOf(long path) -> the short last name
  std::map<std::string, std::string> links;       // KeyOf(link) -> the full path it names
  std::uintptr_t moduleBase = 0x400000;
  bool standardUser = false;

  std::map<os::HKey, RegistryKey> registryRoots;
  std::map<os::HKey, OpenKey> openKeys;
  os::HKey nextKey = 0x1000;

  Console console;

  os::OsVersionInfo version;
  bool wow64 = false;
  std::string commandLine = "sanivo.exe";
  os::LocalTime time{2026, 12, 8, 9, 30, 0, 0};
  std::string computerName = "UCEBNA-01";
  std::string userName = "user";
  std::uint64_t performanceCounter = 0x12345678;
  std::function<void(std::uint32_t)> onSleep;

  std::map<std::string, Program> programs;  // by KeyOf
  std::vector<Launch> launches;
  std::uint32_t totalSleep = 0;
  std::map<os::Hwnd, Window> windows;
  os::Hwnd nextWindow = 0x10010;
  std::vector<PostedMessage> broadcasts;
  std::vector<std::string> addedFonts;
  std::map<std::string, Library> libraries;  // by KeyOf
  std::map<os::Module, std::string> loadedLibraries;
  os::Module nextModule = 0x10000000;

  std::vector<Fault> faults;
  std::vector<std::pair<std::string, std::string>> calls;

  os::Handle NewHandle();
  void Log(std::string_view operation, std::string arguments);
  // The error of an injected fault for this call, if one applies; the fault is used up.
  std::optional<std::uint32_t> Injected(FailableCall operation,
                                        std::initializer_list<std::string_view> targets);
  // For calls that report failure through the last error: sets it when a fault applies.
  bool FailsByInjection(FailableCall operation, std::initializer_list<std::string_view> targets);

  // Sets the last error and gives false, as a failing call of the bool kind reports.
  bool Refuse(std::uint32_t error);

  // Files
  std::optional<Location> Locate(std::string_view name) const;
  const FileNode* Node(const std::string& key) const;
  FileNode* Node(const std::string& key);
  // A full path with every short name in it replaced by the long one, or the other way round.
  std::string WithLongNames(const std::string& fullPath) const;
  std::string WithShortNames(const std::string& fullPath) const;
  // A full path with a link at its start or at its whole replaced by what the link names.
  std::string ThroughLinks(const std::string& fullPath) const;
  // kErrorSuccess when the parent directory exists, else the error to report.
  std::uint32_t ParentError(const Location& location) const;
  // Whether a standard user may not change the file or directory of this key.
  bool DeniedToUser(const std::string& key) const;
  // Creates the directory and its missing parents (test set-up).
  void MakeDirectories(const std::string& fullPath);
  // Whether an open with this access and share mode conflicts with one already open.
  bool SharingConflict(const std::string& key, std::uint32_t access, std::uint32_t share) const;
  // Whether a handle other than `except` holds a lock on the file that overlaps the range.
  bool LockConflict(const std::string& key, std::uint64_t offset, std::uint64_t length,
                    os::Handle except) const;

  // Registry
  RegistryKey* Key(os::HKey root, const std::vector<std::string>& path);
  RegistryKey& CreateKey(os::HKey root, const std::vector<std::string>& path);
  // Appends a move delayed until the restart to the system's list, as MoveFileExA records it:
  // full paths, an empty target for a deletion.
  void RecordPendingRename(const std::string& source, const std::string& target);

  // Console
  bool IsConsoleOutput(os::Handle handle) const;
  void WriteToConsole(std::string_view bytes);
};

// WaitForSingleObject on a mutex of the program's (mutexes.cpp).
std::uint32_t WaitForMutex(Machine::State& s, Mutex& mutex, std::uint32_t milliseconds);

// The state of the living machine; aborts with a message naming `operation` when there is none.
Machine::State& Current(const char* operation);
// Ends the test run: a test set the machine up in a way it cannot be.
[[noreturn]] void Misuse(const std::string& what);

}  // namespace sim
