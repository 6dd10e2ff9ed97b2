// Starting a program and waiting for it, file-name and file-in-use tests, and the file-type
// catalogue.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sanivo {

// Starts `file` through the shell ("open") and waits until it has ended or, with a non-zero
// `timeLimitMs`, until about that many milliseconds have passed; a program that outlives the
// limit is left running. Always returns true; raises Exception with the system's message
// text when the shell cannot start the file.
bool ExecuteAndWait(const std::string& file, const std::string& parameters,
                    const std::string& directory, std::int32_t showCommand,
                    std::uint32_t timeLimitMs);

// The file part of `path` (after the last "\" or ":") without its extension (from the last
// "." of the file part).
std::string FileNameWithoutExt(const std::string& path);

// Whether `path` cannot be opened for exclusive reading and writing. Every reason counts:
// another process holds it, it is missing, read-only or a directory.
bool IsFileLocked(const std::string& path);

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
