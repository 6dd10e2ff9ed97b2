// The simulated Windows machine that the os:: functions act on in native builds.
//
// A test creates one Machine; while it lives, every os:: call goes to it (creating a second
// one while the first lives is an error). A new machine looks like a freshly installed
// 32-bit Czech Windows:
//   C:\WINDOWS, C:\WINDOWS\system32, C:\WINDOWS\Fonts, C:\WINDOWS\system32\dllcache,
//   temporary directory C:\DOCUME~1\user\LOCALS~1\Temp\ (GetTempPathA gives the trailing "\"),
//   the running program C:\Program Files\Morek\sanivo.exe, current directory C:\,
//   console 80 x 25 buffer, largest window 80 x 25, attribute 0x07, cursor 0,0,
//   version 5.1 (platform 2), ANSI code page 1250, empty command line "sanivo.exe",
//   local date 2026-12-08, an empty registry with the predefined roots and
//   HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts present.
// Paths are case-insensitive, with "\" separators; "/" is not accepted as a separator.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/os.h"

namespace sim {

// A program that the shell or WinExec can start. The file must exist on the machine too.
struct Program {
  // Runs when the program is started (at the start, before any wait).
  std::function<void(const std::string& parameters, const std::string& directory)> onStart;
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
  // Handles of the program's own that are still open (files and processes).
  int OpenHandleCount() const;

  // ---- Directories of the system and of the program ----
  void SetTempPath(const std::string& path);  // as GetTempPathA reports it
  void SetWindowsDirectory(const std::string& path);
  void SetSystemDirectory(const std::string& path);
  void SetCurrentDirectory(const std::string& path);
  void SetModulePath(const std::string& path);  // the running executable
  void SetModuleBaseAddress(std::uintptr_t base);

  // ---- Registry ---- (root is one of os::kHkey...; key paths without leading "\")
  void AddKey(os::HKey root, const std::string& key);
  void SetValue(os::HKey root, const std::string& key, const std::string& name,
                std::uint32_t type, const std::string& data);  // creates the key
  void SetString(os::HKey root, const std::string& key, const std::string& name,
                 const std::string& text, std::uint32_t type = os::kRegSz);
  void SetDword(os::HKey root, const std::string& key, const std::string& name,
                std::uint32_t value);
  bool HasKey(os::HKey root, const std::string& key) const;
  std::optional<RegistryValue> Value(os::HKey root, const std::string& key,
                                     const std::string& name) const;
  std::vector<std::string> ValueNames(os::HKey root, const std::string& key) const;
  // The whole registry as sorted text lines, for "nothing else changed" checks.
  std::vector<std::string> RegistryDump() const;
  int OpenKeyCount() const;  // keys opened by the program and not closed yet

  // ---- Console ----
  // A console with a buffer of width x height cells and the given largest window size.
  void SetConsole(int width, int height, int largestWidth, int largestHeight);
  // Standard output and error are files, not a console: sizes 0 x 0, console calls fail with
  // ERROR_INVALID_HANDLE and change nothing; written bytes are still kept.
  void SetNotAConsole();
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
  // A file with a version resource of file version a.b.c.d.
  void SetFileVersion(const std::string& path, std::uint16_t major, std::uint16_t minor,
                      std::uint16_t release, std::uint16_t build);
  void SetCommandLine(const std::string& commandLine);
  void SetLocalDate(int year, int month, int day);

  // ---- Programs, windows, fonts, libraries ----
  void AddProgram(const std::string& path, Program program);  // also creates the file
  std::vector<Launch> Launches() const;
  std::uint32_t TotalSleep() const;  // sum of every Sleep
  os::Hwnd AddWindow(const std::string& className);
  std::vector<PostedMessage> Posted(os::Hwnd window) const;
  std::vector<PostedMessage> Broadcasts() const;  // SendMessageA to HWND_BROADCAST
  // Resource files passed to a successful AddFontResourceA, in order.
  std::vector<std::string> AddedFonts() const;
  void AddLibrary(const std::string& path, const std::string& entry, void* address);

  // ---- Faults ----
  // The next `times` calls (-1: every call) of `operation` (an os:: function name such as
  // "CopyFileA") whose target matches fail with `error`, as the real call reports failure.
  // The target is the call's path (the target path for CopyFileA), "ROOT\key" for
  // RegOpenKeyExA/RegCreateKeyExA (ROOT as "HKEY_LOCAL_MACHINE"), the value name for
  // RegQueryValueExA/RegSetValueExA, "stdout"/"stderr" for WriteFile to those handles, and
  // "" for calls without one. Matching is case-insensitive; an empty `target` matches all.
  void Fail(const std::string& operation, const std::string& target, std::uint32_t error,
            int times = -1);

  // ---- Call log ----
  // Arguments of every call of `operation`, in order, one text per call, formatted as the
  // operation's own documentation in machine.cpp says (e.g. "0x1E" for
  // SetConsoleTextAttribute, "10,6" for SetConsoleCursorPosition, the path for file calls).
  std::vector<std::string> CallsTo(const std::string& operation) const;
  int CallCount(const std::string& operation) const;

  struct State;

 private:
  State* state_;
};

}  // namespace sim
