// Top-level windows by class name, the messages sent to them, and the system's font table.
#include <algorithm>

#include "tests/sim/state.h"

namespace sim {
namespace {

// What CreateScalableFontResourceA writes: a marker and the full path of the font file.
constexpr std::string_view kFontResourceMarker = "sim font resource\n";

std::string MessageText(os::Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t lParam) {
  return std::to_string(window) + "," + std::to_string(message) + "," + std::to_string(wParam) +
         "," + std::to_string(lParam);
}

// The file or directory of that name, resolved against the current directory.
const FileNode* FileNamed(const Machine::State& s, const std::string& name) {
  const std::optional<Location> location = s.Locate(name);
  return location ? s.Node(location->key) : nullptr;
}

// The first bytes of a TrueType font, as far as the simulation looks.
bool IsTrueTypeFile(const FileNode* node) {
  if (node == nullptr || node->directory || node->bytes.size() < 12) return false;
  const std::string_view version = std::string_view(node->bytes).substr(0, 4);
  return version == std::string_view("\0\1\0\0", 4) || version == "true";
}

}  // namespace

os::Hwnd Machine::AddWindow(const std::string& className) {
  os::Hwnd window = state_->nextWindow;
  state_->nextWindow += 2;
  state_->windows[window] = {className, {}};
  return window;
}

void Machine::RemoveWindow(os::Hwnd window) { state_->windows.erase(window); }

std::vector<PostedMessage> Machine::Posted(os::Hwnd window) const {
  auto found = state_->windows.find(window);
  return found == state_->windows.end() ? std::vector<PostedMessage>() : found->second.posted;
}

std::vector<PostedMessage> Machine::Broadcasts() const { return state_->broadcasts; }

std::vector<std::string> Machine::AddedFonts() const { return state_->addedFonts; }

}  // namespace sim

namespace os {

std::intptr_t SendMessageA(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) {
  auto& s = sim::Current("SendMessageA");
  s.Log("SendMessageA", sim::MessageText(window, message, wParam, lParam));
  if (s.FailsByInjection("SendMessageA", {})) return 0;
  if (window == kBroadcast) {
    s.broadcasts.push_back({message, wParam, lParam});
  } else if (!s.windows.contains(window)) {
    s.lastError = sim::kErrorInvalidWindowHandle;
  }
  return 0;
}

Hwnd FindWindowA(const std::string& className) {
  auto& s = sim::Current("FindWindowA");
  s.Log("FindWindowA", className);
  if (s.FailsByInjection("FindWindowA", {className})) return 0;
  for (const auto& [window, record] : s.windows) {
    if (sim::EqualNoCase(record.className, className)) return window;
  }
  return 0;
}

bool PostMessageA(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  auto& s = sim::Current("PostMessageA");
  s.Log("PostMessageA", sim::MessageText(window, message, wParam, lParam));
  if (s.FailsByInjection("PostMessageA", {})) return false;
  if (window == kBroadcast) {
    s.broadcasts.push_back({message, wParam, lParam});
    return true;
  }
  auto found = s.windows.find(window);
  if (found == s.windows.end()) return s.Refuse(sim::kErrorInvalidWindowHandle);
  found->second.posted.push_back({message, wParam, lParam});
  return true;
}

// Wine's GDI is the oracle here: a non-empty current path is put before the font file name,
// whatever that name holds, and a font file that is missing or no TrueType font is refused
// with ERROR_INVALID_PARAMETER before the resource file is looked at.
bool CreateScalableFontResourceA(std::uint32_t hidden, const std::string& resourceFile,
                                 const std::string& fontFile, const std::string& currentPath) {
  auto& s = sim::Current("CreateScalableFontResourceA");
  s.Log("CreateScalableFontResourceA",
        std::to_string(hidden) + "|" + resourceFile + "|" + fontFile + "|" + currentPath);
  std::optional<sim::Location> resource = s.Locate(resourceFile);
  if (s.FailsByInjection("CreateScalableFontResourceA",
                         {resourceFile, resource ? resource->full : resourceFile})) {
    return false;
  }
  std::string fontName = fontFile;
  if (!currentPath.empty()) {
    fontName = (currentPath.back() == '\\' ? currentPath : currentPath + "\\") + fontFile;
  }
  if (!sim::IsTrueTypeFile(sim::FileNamed(s, fontName))) return s.Refuse(kErrorInvalidParameter);
  if (!resource) return s.Refuse(sim::kErrorInvalidName);
  if (std::uint32_t error = s.ParentError(*resource); error != kErrorSuccess) {
    return s.Refuse(error);
  }
  if (s.Node(resource->key) != nullptr) return s.Refuse(kErrorFileExists);
  sim::FileNode& node = s.files[resource->key];
  node.path = resource->full;
  node.attributes = 0x20;
  // The font's name goes in as the caller gave it, without the current path.
  node.bytes = std::string(sim::kFontResourceMarker) + fontFile;
  return true;
}

// Takes a resource file made above or a TrueType font file itself. A file that is neither
// gives 0 without a new error code, as Wine's does. A bare font name in a resource file is
// looked for in the current directory and then in the Windows Fonts folder.
int AddFontResourceA(const std::string& path) {
  auto& s = sim::Current("AddFontResourceA");
  s.Log("AddFontResourceA", path);
  std::optional<sim::Location> location = s.Locate(path);
  if (s.FailsByInjection("AddFontResourceA", {path, location ? location->full : path})) return 0;
  const sim::FileNode* node = location ? s.Node(location->key) : nullptr;
  if (node == nullptr || node->directory) {
    s.lastError = kErrorFileNotFound;
    return 0;
  }
  const sim::FileNode* font = node;
  if (node->bytes.starts_with(sim::kFontResourceMarker)) {
    const std::string named = node->bytes.substr(sim::kFontResourceMarker.size());
    font = sim::FileNamed(s, named);
    if (font == nullptr && named.find_first_of("\\:") == std::string::npos) {
      font = sim::FileNamed(s, s.windowsDirectory + "\\Fonts\\" + named);
    }
  }
  if (!sim::IsTrueTypeFile(font)) return 0;
  s.addedFonts.push_back(path);
  return 1;
}

bool RemoveFontResourceA(const std::string& path) {
  auto& s = sim::Current("RemoveFontResourceA");
  s.Log("RemoveFontResourceA", path);
  if (s.FailsByInjection("RemoveFontResourceA", {path})) return false;
  const auto added =
      std::find_if(s.addedFonts.begin(), s.addedFonts.end(),
                   [&path](const std::string& font) { return sim::EqualNoCase(font, path); });
  if (added == s.addedFonts.end()) return s.Refuse(kErrorFileNotFound);
  s.addedFonts.erase(added);
  return true;
}

}  // namespace os
