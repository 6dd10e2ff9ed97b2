// Libraries that a test provides by path, each with the entry points it exports.
#include "tests/sim/state.h"

namespace sim {

void Machine::AddLibrary(const std::string& path, const std::string& entry, void* address) {
  if (!HasFile(path)) AddFile(path);
  Library& library = state_->libraries[state_->Locate(path)->key];
  library.path = path;
  library.entries[entry] = address;
}

int Machine::LoadedLibraryCount() const { return static_cast<int>(state_->loadedLibraries.size()); }

}  // namespace sim

namespace os {

// Recorded only: the simulated loader never searches, it takes full paths as they are.
void RestrictDllSearchToSystem() {
  sim::Current("RestrictDllSearchToSystem").Log("RestrictDllSearchToSystem", "");
}

// Only a file registered with AddLibrary loads; any other existing file is not an image.
Module LoadLibraryA(const std::string& path) {
  auto& s = sim::Current("LoadLibraryA");
  s.Log("LoadLibraryA", path);
  std::optional<sim::Location> location = s.Locate(path);
  if (s.FailsByInjection("LoadLibraryA", {path, location ? location->full : path})) return 0;
  const sim::FileNode* node = location ? s.Node(location->key) : nullptr;
  if (node == nullptr) {
    s.lastError = sim::kErrorModNotFound;
    return 0;
  }
  auto library = s.libraries.find(location->key);
  if (library == s.libraries.end()) {
    s.lastError = sim::kErrorBadExeFormat;
    return 0;
  }
  for (const auto& [module, key] : s.loadedLibraries) {
    if (key == location->key) {
      ++library->second.loads;
      return module;
    }
  }
  Module module = s.nextModule;
  s.nextModule += 0x10000;
  s.loadedLibraries[module] = location->key;
  library->second.loads = 1;
  return module;
}

void* GetProcAddress(Module module, const std::string& name) {
  auto& s = sim::Current("GetProcAddress");
  s.Log("GetProcAddress", name);
  if (s.FailsByInjection("GetProcAddress", {name})) return nullptr;
  auto loaded = s.loadedLibraries.find(module);
  if (loaded == s.loadedLibraries.end()) {
    s.lastError = sim::kErrorModNotFound;
    return nullptr;
  }
  const auto& entries = s.libraries.at(loaded->second).entries;
  auto entry = entries.find(name);  // export names are case-sensitive
  if (entry == entries.end()) {
    s.lastError = sim::kErrorProcNotFound;
    return nullptr;
  }
  return entry->second;
}

bool FreeLibrary(Module module) {
  auto& s = sim::Current("FreeLibrary");
  s.Log("FreeLibrary", std::to_string(module));
  if (s.FailsByInjection("FreeLibrary", {})) return false;
  auto loaded = s.loadedLibraries.find(module);
  if (loaded == s.loadedLibraries.end()) return s.Refuse(sim::kErrorModNotFound);
  if (--s.libraries.at(loaded->second).loads == 0) s.loadedLibraries.erase(loaded);
  return true;
}

}  // namespace os
