// Path names: full-path expansion, lookup keys, the system's and the program's directories.
#include <cctype>

#include "tests/sim/state.h"

namespace sim {
namespace {

std::vector<std::string> SplitKeepingEmpty(std::string_view text) {
  std::vector<std::string> pieces(1);
  for (char c : text) {
    if (c == '\\') {
      pieces.emplace_back();
    } else {
      pieces.back() += c;
    }
  }
  return pieces;
}

bool IsDriveLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// Characters that no file name may hold (the ":" of a drive is not part of a name).
bool HasInvalidNameCharacter(std::string_view fullPath) {
  std::string_view names =
      fullPath.size() > 2 && fullPath[1] == ':' ? fullPath.substr(2) : fullPath;
  for (char c : names) {
    if (static_cast<unsigned char>(c) < 0x20 ||
        std::string_view("<>:\"|?*").find(c) != std::string_view::npos) {
      return true;
    }
  }
  return false;
}

// The result of a directory query: the length, or the size needed when the buffer is short.
std::uint32_t Report(const std::string& value, std::uint32_t bufferSize, std::string& path) {
  auto needed = static_cast<std::uint32_t>(value.size() + 1);
  if (needed > bufferSize) {
    path.clear();
    return needed;
  }
  path = value;
  return needed - 1;
}

std::uint32_t DirectoryQuery(FailableCall operation, std::string Machine::State::*value,
                             std::uint32_t bufferSize, std::string& path) {
  auto& s = Current(operation.Name());
  s.Log(operation.Name(), std::to_string(bufferSize));
  path.clear();
  if (s.FailsByInjection(operation, {})) return 0;
  return Report(s.*value, bufferSize, path);
}

}  // namespace

std::optional<std::string> FullPathName(std::string_view name, std::string_view currentDirectory) {
  if (name.empty()) return std::nullopt;
  std::string text(name);
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  if (text.starts_with("\\\\")) return text;  // UNC and device names pass as given

  std::string currentRoot(currentDirectory.substr(0, 3));
  std::string_view currentBelowRoot = currentDirectory.size() > 3 ? currentDirectory.substr(3) : "";
  std::string root;
  std::string_view base;
  std::string_view rest;
  bool hasDrive = text.size() >= 2 && text[1] == ':' && IsDriveLetter(text[0]);
  if (hasDrive && text.size() >= 3 && text[2] == '\\') {
    root = text.substr(0, 3);
    rest = std::string_view(text).substr(3);
  } else if (hasDrive) {
    // "D:name": relative to the current directory when that is on D:, else to D:'s root.
    if (EqualNoCase(text.substr(0, 1), currentRoot.substr(0, 1))) {
      root = currentRoot;
      base = currentBelowRoot;
    } else {
      root = text.substr(0, 1) + ":\\";
    }
    rest = std::string_view(text).substr(2);
  } else if (text[0] == '\\') {
    root = currentRoot;
    rest = std::string_view(text).substr(1);
  } else {
    root = currentRoot;
    base = currentBelowRoot;
    rest = text;
  }

  std::vector<std::string> parts;
  for (std::string& part : SplitKeepingEmpty(base)) {
    if (!part.empty()) parts.push_back(std::move(part));
  }
  std::vector<std::string> pieces = SplitKeepingEmpty(rest);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    std::string& piece = pieces[i];
    if (piece.empty() || piece == ".") continue;
    if (piece == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    if (i + 1 == pieces.size()) {
      // The last name loses its trailing dots and blanks, as Windows strips them.
      while (!piece.empty() && (piece.back() == '.' || piece.back() == ' ')) piece.pop_back();
      if (piece.empty()) continue;
    }
    parts.push_back(std::move(piece));
  }
  std::string full = root;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) full += '\\';
    full += parts[i];
  }
  if (!parts.empty() && !rest.empty() && rest.back() == '\\') full += '\\';
  return full;
}

std::string KeyOf(std::string_view fullPath) {
  std::string key = UpperAnsi(fullPath);
  if (!key.empty() && key.back() == '\\') key.pop_back();
  return key;
}

namespace {

// Rebuilds a full path name by name. The long names are found by the long path so far plus
// the short name, the short names by the long path up to and including the name.
std::string Renamed(const std::string& fullPath, bool toShort,
                    const std::map<std::string, std::string>& names) {
  const std::vector<std::string> pieces = SplitKeepingEmpty(fullPath);
  std::string longPath = pieces.front();
  std::string path = pieces.front();
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    const std::string& piece = pieces[i];
    std::string name = piece;
    std::string longName = piece;
    if (!piece.empty()) {
      const std::string key =
          toShort ? KeyOf(longPath + "\\" + piece) : KeyOf(longPath) + "\\" + UpperAnsi(piece);
      const auto found = names.find(key);
      if (found != names.end()) name = found->second;
      if (!toShort) longName = name;
    }
    path += "\\" + name;
    longPath += "\\" + longName;
  }
  return path;
}

}  // namespace

std::string Machine::State::WithLongNames(const std::string& fullPath) const {
  return Renamed(fullPath, false, longNames);
}

std::string Machine::State::WithShortNames(const std::string& fullPath) const {
  return Renamed(fullPath, true, shortNames);
}

std::string Machine::State::ThroughLinks(const std::string& fullPath) const {
  const std::string key = KeyOf(fullPath);
  for (const auto& [link, target] : links) {
    if (key == link || key.starts_with(link + "\\")) {
      std::string rest = fullPath.substr(std::min(link.size(), fullPath.size()));
      if (!rest.empty() && rest.front() == '\\' && target.back() == '\\') rest.erase(0, 1);
      return target + rest;
    }
  }
  return fullPath;
}

std::optional<Location> Machine::State::Locate(std::string_view name) const {
  std::optional<std::string> full = FullPathName(name, currentDirectory);
  if (!full || HasInvalidNameCharacter(*full)) return std::nullopt;
  Location location;
  location.spelled = WithLongNames(*full);
  // A short name may lead into a link, and a link into a folder with short names.
  location.full = ThroughLinks(WithLongNames(ThroughLinks(location.spelled)));
  location.key = KeyOf(location.full);
  std::size_t separator = location.key.rfind('\\');
  if (separator != std::string::npos) location.parentKey = location.key.substr(0, separator);
  location.trailingSeparator = full->size() > 3 && full->back() == '\\';
  return location;
}

const FileNode* Machine::State::Node(const std::string& key) const {
  auto found = files.find(key);
  return found == files.end() ? nullptr : &found->second;
}

FileNode* Machine::State::Node(const std::string& key) {
  auto found = files.find(key);
  return found == files.end() ? nullptr : &found->second;
}

std::uint32_t Machine::State::ParentError(const Location& location) const {
  const std::string& parent = location.parentKey.empty() ? location.key : location.parentKey;
  const FileNode* node = Node(parent);
  return node != nullptr && node->directory ? os::kErrorSuccess : os::kErrorPathNotFound;
}

void Machine::State::MakeDirectories(const std::string& fullPath) {
  std::optional<Location> location = Locate(fullPath);
  if (!location) Misuse("not a path: " + fullPath);
  std::string path;
  for (const std::string& piece : SplitKeepingEmpty(location->full)) {
    if (piece.empty()) continue;
    path += path.empty() ? piece + "\\" : (path.back() == '\\' ? piece : "\\" + piece);
    FileNode& node = files[KeyOf(path)];
    if (node.path.empty()) {
      node.path = path;
      node.directory = true;
    } else if (!node.directory) {
      Misuse("a file stands where a directory should be: " + path);
    }
  }
}

void Machine::SetTempPath(const std::string& path) {
  state_->MakeDirectories(path);
  state_->tempPath = path;
}

void Machine::SetCommonAppDataFolder(const std::string& path) {
  state_->MakeDirectories(path);
  state_->commonAppData = path;
}

void Machine::SetWindowsDirectory(const std::string& path) {
  state_->MakeDirectories(path);
  state_->windowsDirectory = path;
}

void Machine::SetStandardUser() { state_->standardUser = true; }

bool Machine::State::DeniedToUser(const std::string& key) const {
  const std::string windows = KeyOf(windowsDirectory);
  return standardUser && (key == windows || key.starts_with(windows + "\\"));
}

void Machine::SetSystemDirectory(const std::string& path) {
  state_->MakeDirectories(path);
  state_->systemDirectory = path;
}

void Machine::SetCurrentDirectory(const std::string& path) {
  state_->MakeDirectories(path);
  std::string full = state_->Locate(path)->full;
  if (full.size() > 3 && full.back() == '\\') full.pop_back();
  state_->currentDirectory = full;
}

void Machine::SetModulePath(const std::string& path) {
  state_->modulePath = path;
  // "?" stands for letters the ANSI code page lacks: no file has that name.
  if (path.find('?') == std::string::npos && !HasFile(path)) AddFile(path);
}

void Machine::SetModuleBaseAddress(std::uintptr_t base) { state_->moduleBase = base; }

void Machine::AddShortName(const std::string& longPath, const std::string& shortName) {
  std::optional<Location> location = state_->Locate(longPath);
  if (!location || state_->Node(location->key) == nullptr || location->parentKey.empty()) {
    Misuse("no file or directory to give a short name: " + longPath);
  }
  const std::string& full = location->full;
  state_->longNames[location->parentKey + "\\" + UpperAnsi(shortName)] =
      full.substr(full.find_last_of('\\') + 1);
  state_->shortNames[location->key] = shortName;
}

void Machine::AddLink(const std::string& link, const std::string& target) {
  std::optional<Location> to = state_->Locate(target);
  std::optional<std::string> from = FullPathName(link, state_->currentDirectory);
  if (!to || !from || state_->Node(to->key) == nullptr) Misuse("a link to nothing: " + link);
  state_->links[KeyOf(*from)] = to->full;
}

void Machine::SetModuleShortPath(const std::string& path) {
  state_->moduleShortPath = path;
  if (!HasFile(path)) AddFile(path);
}

}  // namespace sim

namespace os {

std::uint32_t GetTempPathA(std::uint32_t bufferSize, std::string& path) {
  return sim::DirectoryQuery("GetTempPathA", &sim::Machine::State::tempPath, bufferSize, path);
}

std::int32_t SHGetFolderPathA(std::int32_t csidl, std::string& path) {
  auto& s = sim::Current("SHGetFolderPathA");
  s.Log("SHGetFolderPathA", std::to_string(csidl));
  path.clear();
  constexpr std::int32_t kInvalidArgument = static_cast<std::int32_t>(0x80070057);
  if (s.FailsByInjection("SHGetFolderPathA", {})) {
    return static_cast<std::int32_t>(0x80070000u | s.lastError);
  }
  if (csidl != kCsidlCommonAppData) return kInvalidArgument;  // the one folder modelled
  path = s.commonAppData;
  return kSOk;
}

std::uint32_t GetWindowsDirectoryA(std::uint32_t bufferSize, std::string& path) {
  return sim::DirectoryQuery("GetWindowsDirectoryA", &sim::Machine::State::windowsDirectory,
                             bufferSize, path);
}

std::uint32_t GetSystemDirectoryA(std::uint32_t bufferSize, std::string& path) {
  return sim::DirectoryQuery("GetSystemDirectoryA", &sim::Machine::State::systemDirectory,
                             bufferSize, path);
}

std::uint32_t GetCurrentDirectoryA(std::uint32_t bufferSize, std::string& path) {
  return sim::DirectoryQuery("GetCurrentDirectoryA", &sim::Machine::State::currentDirectory,
                             bufferSize, path);
}

std::uint32_t GetFullPathNameA(const std::string& name, std::uint32_t bufferSize,
                               std::string& path) {
  auto& s = sim::Current("GetFullPathNameA");
  s.Log("GetFullPathNameA", name);
  path.clear();
  if (s.FailsByInjection("GetFullPathNameA", {name})) return 0;
  std::optional<std::string> full = sim::FullPathName(name, s.currentDirectory);
  if (!full) {
    s.lastError = sim::kErrorInvalidName;
    return 0;
  }
  return sim::Report(*full, bufferSize, path);
}

// A short buffer gets the path cut to fit with its terminator; the result is then the buffer
// size, with ERROR_INSUFFICIENT_BUFFER (Windows Vista and later; XP left it unterminated).
std::uint32_t GetModuleFileNameA(std::uint32_t bufferSize, std::string& path) {
  auto& s = sim::Current("GetModuleFileNameA");
  s.Log("GetModuleFileNameA", std::to_string(bufferSize));
  path.clear();
  if (s.FailsByInjection("GetModuleFileNameA", {})) return 0;
  if (s.modulePath.size() + 1 > bufferSize) {
    path = s.modulePath.substr(0, bufferSize == 0 ? 0 : bufferSize - 1);
    s.lastError = sim::kErrorInsufficientBuffer;
    return bufferSize;
  }
  path = s.modulePath;
  return static_cast<std::uint32_t>(path.size());
}

std::uint32_t GetLongPathNameA(const std::string& path, std::uint32_t bufferSize,
                               std::string& longPath) {
  auto& s = sim::Current("GetLongPathNameA");
  s.Log("GetLongPathNameA", path);
  longPath.clear();
  if (s.FailsByInjection("GetLongPathNameA", {path})) return 0;
  std::optional<sim::Location> location = s.Locate(path);
  if (!location) {
    s.lastError = sim::kErrorInvalidName;
    return 0;
  }
  if (s.Node(location->key) == nullptr) {
    s.lastError =
        s.ParentError(*location) == kErrorSuccess ? kErrorFileNotFound : kErrorPathNotFound;
    return 0;
  }
  return sim::Report(location->spelled, bufferSize, longPath);
}

std::uint32_t GetModuleShortFileNameA(std::uint32_t bufferSize, std::string& path) {
  auto& s = sim::Current("GetModuleShortFileNameA");
  s.Log("GetModuleShortFileNameA", std::to_string(bufferSize));
  path.clear();
  if (s.FailsByInjection("GetModuleShortFileNameA", {})) return 0;
  return sim::Report(s.moduleShortPath.value_or(s.WithShortNames(s.modulePath)), bufferSize, path);
}

std::uintptr_t GetModuleBaseAddress() {
  auto& s = sim::Current("GetModuleBaseAddress");
  s.Log("GetModuleBaseAddress", "");
  return s.moduleBase;
}

}  // namespace os
