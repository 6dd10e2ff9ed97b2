#include "sysenv/file_types.h"

#include <utility>

#include "sysenv/strings.h"

namespace sanivo {

int TFileTypeManager::Add(std::string name, std::unique_ptr<TFileType> object) {
  fileTypes_.push_back({std::move(name), std::move(object)});
  return static_cast<int>(fileTypes_.size()) - 1;
}

int TFileTypeManager::IndexOf(const std::string& name) const {
  for (std::size_t index = 0; index < fileTypes_.size(); ++index) {
    if (EqualsIgnoringCase(fileTypes_[index].name, name)) return static_cast<int>(index);
  }
  return -1;
}

void TFileTypeManager::Clear() {
  for (Entry& entry : fileTypes_) entry.object.reset();
  fileTypes_.clear();
}

std::unique_ptr<TFileTypeManager> FileTypeManager;

void InitializeFileTypeManager() { FileTypeManager = std::make_unique<TFileTypeManager>(); }

void FinalizeFileTypeManager() { FileTypeManager.reset(); }

}  // namespace sanivo
