// The catalogue of file types: names, compared without regard to case, with an optional owned
// object each. It is started and stopped with the other modules as documented, though no repair
// looks a file type up yet; keep it for the callers that the documented interface expects.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace sanivo {

// What a file type carries; the catalogue owns it.
class TFileType {
 public:
  virtual ~TFileType() = default;
};

// A catalogue of file-type names, compared without regard to case, each with an optional
// owned object.
class TFileTypeManager {
 public:
  struct Entry {
    std::string name;
    std::unique_ptr<TFileType> object;  // may be null
  };

  TFileTypeManager() = default;
  ~TFileTypeManager() { Clear(); }
  TFileTypeManager(const TFileTypeManager&) = delete;
  TFileTypeManager& operator=(const TFileTypeManager&) = delete;

  // Appends an entry and returns its index.
  int Add(std::string name, std::unique_ptr<TFileType> object = nullptr);
  // The index of the first entry named `name` in any case, or -1.
  int IndexOf(const std::string& name) const;
  const std::vector<Entry>& FileTypes() const { return fileTypes_; }
  // Frees every attached object, first to last, then empties the list.
  void Clear();

 private:
  std::vector<Entry> fileTypes_;
};

// The one catalogue; it lives from InitializeFileTypeManager to FinalizeFileTypeManager.
extern std::unique_ptr<TFileTypeManager> FileTypeManager;
void InitializeFileTypeManager();
void FinalizeFileTypeManager();

}  // namespace sanivo
